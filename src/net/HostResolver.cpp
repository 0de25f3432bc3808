// The system resolver behind the socket layer's host lookups, and the
// process-wide choice of resolver that tests replace.
#include <QHostAddress>
#include <QHostInfo>
#include <mutex>

#include "net/WSocket.h"

namespace trawlonix {

namespace {

class QtResolver : public THostResolver {
 public:
  int Start(const std::string& host, QObject* context, Done done, std::uint16_t& error) override {
    error = 0;
    int id = QHostInfo::lookupHost(QString::fromStdString(host), context,
                                   [done = std::move(done)](const QHostInfo& info) {
                                     std::uint16_t err = 0;
                                     std::string address;
                                     switch (info.error()) {
                                       case QHostInfo::NoError:
                                         break;
                                       case QHostInfo::HostNotFound:
                                         err = wsaHOST_NOT_FOUND;
                                         break;
                                       default:
                                         err = wsaNO_RECOVERY;
                                         break;
                                     }
                                     if (err == 0) {
                                       // The first IPv4 address, else the first one at all.
                                       const QList<QHostAddress> all = info.addresses();
                                       for (const QHostAddress& a : all) {
                                         if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                                           address = a.toString().toStdString();
                                           break;
                                         }
                                       }
                                       if (address.empty() && !all.isEmpty())
                                         address = all.first().toString().toStdString();
                                       if (address.empty()) err = wsaNO_DATA;
                                     }
                                     done(err, address);
                                   });
    // Ids handed out by QHostInfo may be 0; ours must not.
    return id + 1;
  }
  void Cancel(int id) override { QHostInfo::abortHostLookup(id - 1); }
};

std::mutex gResolverMutex;
std::shared_ptr<THostResolver> gResolver;

}  // namespace

std::shared_ptr<THostResolver> SystemResolver() {
  static std::shared_ptr<THostResolver> system = std::make_shared<QtResolver>();
  return system;
}

void SetDefaultResolver(std::shared_ptr<THostResolver> resolver) {
  std::lock_guard<std::mutex> lock(gResolverMutex);
  gResolver = std::move(resolver);
}

std::shared_ptr<THostResolver> DefaultResolver() {
  std::lock_guard<std::mutex> lock(gResolverMutex);
  return gResolver ? gResolver : SystemResolver();
}

}  // namespace trawlonix
