// The client side of TLS (OpenSSL 3): one shared context per distinct choice
// of extra CA file and verification, and the texts of TLS failures.
#pragma once

#include <string>

#include "base/Translate.h"

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;

namespace trawlonix {

// Logged once per run when certificates are not checked.
inline constexpr const char* kTlsVerifyOffNotice =
    QT_TRANSLATE_NOOP("Net", "注意: 不检查 HTTPS 服务器的证书。");

// How the peer's certificate is judged.
struct TTlsSettings {
  // PEM file with CA certificates trusted besides the system store; empty: none.
  std::string CAFile;
  // Off only when the user asks: then any certificate is accepted.
  bool Verify = true;
  bool operator==(const TTlsSettings&) const = default;
};

// The shared client context for `settings`, created on first use (any thread).
// The system store comes from OpenSSL's default paths, so SSL_CERT_FILE and
// SSL_CERT_DIR work. nullptr when it cannot be made; `error` then says why.
SSL_CTX* TlsClientContext(const TTlsSettings& settings, std::string& error);

// A new connection object for `host` (name or IP address literal): SNI for a
// name, and the certificate checked against that name or address.
SSL* TlsNewConnection(SSL_CTX* ctx, const std::string& host, bool verify, std::string& error);

// What went wrong in the last TLS call on `ssl` (certificate verification
// result first, then OpenSSL's error queue, which is emptied).
std::string TlsFailureText(SSL* ssl);

}  // namespace trawlonix
