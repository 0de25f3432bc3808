#include "net/TlsContext.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>

#include <map>
#include <mutex>
#include <utility>

namespace trawlonix {

namespace {

std::string DrainErrorQueue() {
  std::string text;
  while (unsigned long e = ERR_get_error()) {
    char buf[256];
    ERR_error_string_n(e, buf, sizeof buf);
    const char* reason = ERR_reason_error_string(e);
    if (!text.empty()) text += "; ";
    text += reason ? reason : buf;
  }
  return text;
}

bool IsAddressLiteral(const std::string& host) {
  unsigned char buf[16];
  return inet_pton(AF_INET, host.c_str(), buf) == 1 || inet_pton(AF_INET6, host.c_str(), buf) == 1;
}

SSL_CTX* MakeContext(const TTlsSettings& s, std::string& error) {
  SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
  if (!ctx) {
    error = DrainErrorQueue();
    return nullptr;
  }
  SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
  SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  SSL_CTX_set_verify(ctx, s.Verify ? SSL_VERIFY_PEER : SSL_VERIFY_NONE, nullptr);
  if (s.Verify) {
    SSL_CTX_set_default_verify_paths(ctx);
    if (!s.CAFile.empty() && SSL_CTX_load_verify_locations(ctx, s.CAFile.c_str(), nullptr) != 1) {
      error = s.CAFile + ": " + DrainErrorQueue();
      SSL_CTX_free(ctx);
      return nullptr;
    }
  }
  ERR_clear_error();
  return ctx;
}

}  // namespace

SSL_CTX* TlsClientContext(const TTlsSettings& settings, std::string& error) {
  // Contexts live until the program ends: connections of every thread share them.
  static std::mutex mutex;
  // Freed when the program ends (SSL objects still using one hold their own
  // reference), so that leak checkers see nothing left behind.
  struct Contexts : std::map<std::pair<std::string, bool>, SSL_CTX*> {
    ~Contexts() {
      for (auto& entry : *this)
        SSL_CTX_free(entry.second);
    }
  };
  static Contexts contexts;
  std::lock_guard<std::mutex> lock(mutex);
  const auto key = std::make_pair(settings.CAFile, settings.Verify);
  auto it = contexts.find(key);
  if (it != contexts.end()) return it->second;
  SSL_CTX* ctx = MakeContext(settings, error);
  // A failure is not kept: the CA file may appear later.
  if (ctx) contexts.emplace(key, ctx);
  return ctx;
}

SSL* TlsNewConnection(SSL_CTX* ctx, const std::string& host, bool verify, std::string& error) {
  SSL* ssl = SSL_new(ctx);
  if (!ssl) {
    error = DrainErrorQueue();
    return nullptr;
  }
  const bool literal = IsAddressLiteral(host);
  bool ok = true;
  if (!literal && !host.empty()) ok = SSL_set_tlsext_host_name(ssl, host.c_str()) == 1;
  if (ok && verify) {
    if (literal) {
      ok = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str()) == 1;
    } else {
      SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
      ok = SSL_set1_host(ssl, host.c_str()) == 1;
    }
  }
  if (!ok) {
    error = DrainErrorQueue();
    SSL_free(ssl);
    return nullptr;
  }
  return ssl;
}

std::string TlsFailureText(SSL* ssl) {
  std::string text;
  if (ssl) {
    const long v = SSL_get_verify_result(ssl);
    if (v != X509_V_OK) text = X509_verify_cert_error_string(v);
  }
  std::string queue = DrainErrorQueue();
  if (!queue.empty() && !text.empty())
    text += " (" + queue + ")";
  else if (!queue.empty())
    text = queue;
  return text;
}

}  // namespace trawlonix
