#pragma once

// Servers that integration tests start on 127.0.0.1: the project's scripted
// test server (tools/testserver/testserver.py, see its README.md) and nginx
// serving a directory. Both bind a free port, end by themselves after their
// lifetime, and are stopped and reaped by the destructor.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/types.h>
#include <memory>

namespace trawlonix::testsupport {

// One request as the test server received it.
struct RecordedRequest {
  int seq = 0;
  int conn = 0;
  QByteArray method;
  QByteArray target;                             // exactly as sent, absolute-form included
  QByteArray path;                               // path part of the target (no query)
  QByteArray version;                            // "HTTP/1.0", "HTTP/1.1" or "" (HTTP/0.9 style)
  QList<QPair<QByteArray, QByteArray>> headers;  // in order, spelled as sent
  QByteArray raw;                                // request line + header bytes
  QByteArray body;

  // First header of that name (case-insensitive), or a null QByteArray.
  QByteArray header(const QByteArray& name) const;
  bool hasHeader(const QByteArray& name) const { return !header(name).isNull(); }
};

// A child process with a temp dir of its own; shared by both servers.
class ServerProcess {
 public:
  ServerProcess() = default;
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  bool running() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  quint16 port() const { return port_; }
  // "http://127.0.0.1:PORT/" ("https://" for a TLS test server)
  QString baseUrl() const;
  QString errorString() const { return error_; }
  // SIGTERM, wait up to 3 s, then SIGKILL; always reaps. Idempotent.
  void stop();

 protected:
  bool makeTempDir();
  QString tempPath(const QString& name) const;
  // Starts argv[0] with stdout+stderr to <temp>/output.log.
  bool spawn(const QStringList& argv);
  // True once the child has exited (reaps it); fills error_ with its output.
  bool exitedEarly();
  QByteArray childOutput() const;
  bool fail(const QString& why);

  std::unique_ptr<QTemporaryDir> temp_;
  pid_t pid_ = -1;
  quint16 port_ = 0;
  QString error_;
  bool tls_ = false;
};

// A throwaway CA and server certificates for 127.0.0.1, made at run time with
// the openssl command in a temporary directory of their own.
class TestCertificates {
 public:
  enum Kind {
    Good,       // subjectAltName IP:127.0.0.1, signed by the CA
    WrongName,  // subjectAltName IP:127.0.0.2 only
    Expired,    // valid name, but its time has run out
    UnknownCa,  // valid name, signed by a CA nobody trusts
  };
  // False (and a non-fatal test failure) when openssl failed.
  bool make();
  QString caFile() const { return path(QStringLiteral("ca.pem")); }
  QString certFile(Kind kind) const;
  QString keyFile() const { return path(QStringLiteral("server.key")); }

 private:
  QString path(const QString& name) const { return dir_ ? dir_->filePath(name) : QString(); }
  bool run(const QStringList& args);
  std::unique_ptr<QTemporaryDir> dir_;
};

class TestServer : public ServerProcess {
 public:
  struct Options {
    QString root;           // served directory; empty = none
    QByteArray script;      // script JSON; empty = none
    QStringList extraArgs;  // e.g. {"--proxy"}, {"--keep-alive", "3"}
    // Speak TLS with this certificate and key (baseUrl() becomes https).
    QString tlsCert;
    QString tlsKey;
    bool tlsStallHandshake = false;  // accept, then never answer the handshake
    int lifetimeSeconds = 120;
    int startTimeoutMs = 10000;
  };

  TestServer() = default;
  ~TestServer();

  // Starts the server and waits (bounded) for its port. On failure returns
  // false, errorString() says why (with the server's output), and a
  // non-fatal test failure is recorded.
  bool start(const Options& options);
  bool start(const QString& root) {
    Options o;
    o.root = root;
    return start(o);
  }

  // Adds/replaces one script entry: json is an answer object or a list of them.
  bool addScript(const QByteArray& path, const QByteArray& json);
  // Merges a whole script object.
  bool addScripts(const QByteArray& scriptObject);
  // Forgets recorded requests and sequence counters.
  bool clear();
  // Every request recorded so far (control requests excluded), in order.
  QList<RecordedRequest> requests();
  // Requests whose path equals `path`.
  QList<RecordedRequest> requestsFor(const QByteArray& path);

  // Path of testserver.py.
  static QString scriptPath();
  // File the requests are appended to as JSON lines.
  QString logPath() const { return tempPath(QStringLiteral("requests.jsonl")); }

  // A tiny blocking HTTP/1.0 exchange with the server (control paths, tests).
  // Returns the raw answer bytes or a null QByteArray on failure.
  QByteArray rawExchange(const QByteArray& request, int timeoutMs = 10000);
};

class NginxServer : public ServerProcess {
 public:
  NginxServer() = default;
  ~NginxServer();

  static QString binary() { return QStringLiteral("/usr/sbin/nginx"); }
  // False when the nginx binary is missing: tests GTEST_SKIP then.
  static bool available();

  // Serves `root` on 127.0.0.1:<free port>. `extraServerConfig` is pasted into
  // the server block (e.g. "autoindex on;"). Waits (bounded) for the port.
  bool start(const QString& root, const QString& extraServerConfig = QString(),
             int lifetimeSeconds = 120);
  // Before start: also serve the same root over TLS (and compressed) on a
  // second port, with this certificate and key.
  void setTls(const QString& cert, const QString& key) {
    tlsCert_ = cert;
    tlsKey_ = key;
  }
  quint16 tlsPort() const { return tlsPort_; }
  // "https://127.0.0.1:TLSPORT/"
  QString tlsBaseUrl() const;

 private:
  QString tlsCert_;
  QString tlsKey_;
  quint16 tlsPort_ = 0;
  QString configPath() const { return tempPath(QStringLiteral("nginx.conf")); }
};

// Asks the kernel for a currently free TCP port on 127.0.0.1 (0 on failure).
quint16 freeLocalPort();
// True when a TCP connect to 127.0.0.1:port succeeds.
bool canConnect(quint16 port);

}  // namespace trawlonix::testsupport
