#include "engine/SlotRequest.h"

#include <algorithm>

#include "net/HttpObject.h"
#include "settings/Settings.h"

namespace trawlonix {

int SlotCountFor(const TOptions& options) {
  return std::clamp(options.MaxThreads, 1, kMaxSlots);
}

std::string UserAgentOf(const TOptions& options) {
  std::string agent;
  for (char c : options.UserAgent)
    if (c != '\r' && c != '\n') agent += c;
  return agent.empty() ? std::string(kUserAgent) : agent;
}

std::string SlotPrefix(int slot) {
  return "[" + std::to_string(slot) + "] ";
}

void BeginRequest(THTTPObject* f, const std::string& url, const TOptions& options, int timeoutMs) {
  f->SetURL(url);
  f->SetUserAgent(UserAgentOf(options));
  f->SetHttp10(options.Http10);
  f->SetTls({options.CACertificate, options.CheckCertificate});
  if (timeoutMs > 0)
    f->SetTimeoutMs(timeoutMs);
  else
    f->SetTimeoutTime(options.TimeOut);
}

void ApplyProxy(THTTPObject* f, const TOptions& options) {
  if (options.UseProxy) {
    f->SetUseProxy(true);
    f->SetProxyServer(options.ProxyServer);
    f->SetProxyPort(options.ProxyPort16());
    f->SetProxyUsername(options.ProxyUsername);
    f->SetProxyPassword(options.ProxyPassword);
  } else {
    f->SetUseProxy(false);
    f->SetProxyServer({});
    f->SetProxyPort(80);
    f->SetProxyUsername({});
    f->SetProxyPassword({});
  }
}

}  // namespace trawlonix
