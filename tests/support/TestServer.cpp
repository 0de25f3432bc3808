#include "TestServer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#ifndef TX_SOURCE_DIR
#error "TX_SOURCE_DIR must be defined by the build"
#endif

extern char** environ;

namespace trawlonix::testsupport {

namespace {

using Clock = std::chrono::steady_clock;

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

sockaddr_in loopback(quint16 port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return addr;
}

// Connects with a bounded wait; returns -1 on failure.
int connectLoopback(quint16 port, int timeoutMs) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  sockaddr_in addr = loopback(port);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    if (errno != EINPROGRESS) {
      ::close(fd);
      return -1;
    }
    pollfd p{fd, POLLOUT, 0};
    int err = 0;
    socklen_t len = sizeof err;
    if (::poll(&p, 1, timeoutMs) != 1 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 ||
        err != 0) {
      ::close(fd);
      return -1;
    }
  }
  int flags = ::fcntl(fd, F_GETFL);
  ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

QByteArray readWholeFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

QByteArray latin1Bytes(const QJsonValue& v) {
  return v.toString().toLatin1();
}

}  // namespace

quint16 freeLocalPort() {
  Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (fd.get() < 0) return 0;
  sockaddr_in addr = loopback(0);
  if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return 0;
  socklen_t len = sizeof addr;
  if (::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
  return ntohs(addr.sin_port);
}

bool canConnect(quint16 port) {
  int fd = connectLoopback(port, 1000);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

QByteArray RecordedRequest::header(const QByteArray& name) const {
  for (const auto& h : headers) {
    if (h.first.compare(name, Qt::CaseInsensitive) == 0) return h.second;
  }
  return {};
}

// ------------------------------------------------------------- ServerProcess

ServerProcess::~ServerProcess() {
  stop();
}

QString ServerProcess::baseUrl() const {
  return QStringLiteral("%1://127.0.0.1:%2/").arg(tls_ ? "https" : "http").arg(port_);
}

QString NginxServer::tlsBaseUrl() const {
  return QStringLiteral("https://127.0.0.1:%1/").arg(tlsPort_);
}

bool TestCertificates::run(const QStringList& args) {
  QProcess p;
  p.setWorkingDirectory(dir_->path());
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(QStringLiteral("openssl"), args);
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    ADD_FAILURE() << "openssl " << args.join(' ').toStdString() << ": "
                  << p.readAll().toStdString();
    return false;
  }
  return true;
}

QString TestCertificates::certFile(Kind kind) const {
  static const char* const kNames[] = {"good.pem", "wrong.pem", "expired.pem", "unknown.pem"};
  return path(QString::fromLatin1(kNames[kind]));
}

bool TestCertificates::make() {
  dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tx-certs-XXXXXX"));
  if (!dir_->isValid()) return false;
  const QStringList ec = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
  auto ca = [&](const QString& name) {
    return run(QStringList{"req", "-x509"} + ec +
               QStringList{"-keyout", name + ".key", "-out", name + ".pem", "-subj",
                           "/CN=Trawlonix test " + name, "-days", "2"});
  };
  if (!ca("ca") || !ca("other")) return false;
  if (!run(QStringList{"req"} + ec +
           QStringList{"-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1"}))
    return false;
  QFile good(path("good.cnf")), wrong(path("wrong.cnf"));
  if (!good.open(QIODevice::WriteOnly) || !wrong.open(QIODevice::WriteOnly)) return false;
  good.write("subjectAltName=IP:127.0.0.1\n");
  wrong.write("subjectAltName=IP:127.0.0.2\n");
  good.close();
  wrong.close();
  auto sign = [&](const char* out, const char* caName, const char* days, const char* ext) {
    return run({"x509", "-req", "-in", "server.csr", "-CA", QString(caName) + ".pem", "-CAkey",
                QString(caName) + ".key", "-CAcreateserial", "-out", out, "-days", days, "-extfile",
                ext});
  };
  return sign("good.pem", "ca", "2", "good.cnf") && sign("wrong.pem", "ca", "2", "wrong.cnf") &&
         sign("expired.pem", "ca", "-1", "good.cnf") &&
         sign("unknown.pem", "other", "2", "good.cnf");
}

bool ServerProcess::makeTempDir() {
  temp_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tx-server-XXXXXX"));
  if (!temp_->isValid()) return fail(QStringLiteral("cannot create a temporary directory"));
  return true;
}

QString ServerProcess::tempPath(const QString& name) const {
  return temp_ ? temp_->filePath(name) : QString();
}

bool ServerProcess::fail(const QString& why) {
  error_ = why;
  ADD_FAILURE() << why.toStdString();
  stop();
  return false;
}

QByteArray ServerProcess::childOutput() const {
  return readWholeFile(tempPath(QStringLiteral("output.log")));
}

bool ServerProcess::spawn(const QStringList& argv) {
  std::vector<std::string> args;
  for (const QString& a : argv)
    args.push_back(a.toStdString());
  std::vector<char*> cargv;
  for (auto& a : args)
    cargv.push_back(a.data());
  cargv.push_back(nullptr);
  const std::string out = tempPath(QStringLiteral("output.log")).toStdString();

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  // The child starts with default signal handling, whatever the test program set.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, cargv[0], &actions, &attr, cargv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    return fail(QStringLiteral("cannot start %1: %2")
                    .arg(argv.first(), QString::fromUtf8(std::strerror(rc))));
  }
  pid_ = pid;
  return true;
}

bool ServerProcess::exitedEarly() {
  if (pid_ <= 0) return true;
  int status = 0;
  pid_t r = ::waitpid(pid_, &status, WNOHANG);
  if (r == 0) return false;
  pid_ = -1;
  error_ = QStringLiteral("server exited early (status %1); its output:\n%2")
               .arg(status)
               .arg(QString::fromUtf8(childOutput()));
  return true;
}

void ServerProcess::stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  const auto deadline = Clock::now() + std::chrono::seconds(3);
  int status = 0;
  while (::waitpid(pid_, &status, WNOHANG) == 0) {
    if (Clock::now() >= deadline) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid_ = -1;
}

// ------------------------------------------------------------- TestServer

TestServer::~TestServer() {
  stop();
}

QString TestServer::scriptPath() {
  return QStringLiteral(TX_SOURCE_DIR "/tools/testserver/testserver.py");
}

bool TestServer::start(const Options& options) {
  stop();
  error_.clear();
  port_ = 0;
  if (!makeTempDir()) return false;
  if (!QFile::exists(scriptPath())) return fail(QStringLiteral("missing ") + scriptPath());
  const QString portFile = tempPath(QStringLiteral("port"));
  QStringList argv{QStringLiteral("python3"),      scriptPath(),
                   QStringLiteral("--port-file"),  portFile,
                   QStringLiteral("--log"),        logPath(),
                   QStringLiteral("--lifetime"),   QString::number(options.lifetimeSeconds),
                   QStringLiteral("--parent-pid"), QString::number(::getpid())};
  if (!options.root.isEmpty()) argv << QStringLiteral("--root") << options.root;
  if (!options.script.isEmpty()) {
    const QString scriptFile = tempPath(QStringLiteral("script.json"));
    QFile f(scriptFile);
    if (!f.open(QIODevice::WriteOnly) || f.write(options.script) != options.script.size()) {
      return fail(QStringLiteral("cannot write ") + scriptFile);
    }
    f.close();
    argv << QStringLiteral("--script") << scriptFile;
  }
  argv << options.extraArgs;
  if (!options.tlsCert.isEmpty())
    argv << QStringLiteral("--tls-cert") << options.tlsCert << QStringLiteral("--tls-key")
         << options.tlsKey;
  if (options.tlsStallHandshake) argv << QStringLiteral("--tls-stall-handshake");
  tls_ = !options.tlsCert.isEmpty();
  if (!spawn(argv)) return false;

  const auto deadline = Clock::now() + std::chrono::milliseconds(options.startTimeoutMs);
  while (Clock::now() < deadline) {
    const QByteArray text = readWholeFile(portFile).trimmed();
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (ok && port > 0 && port < 65536) {
      port_ = static_cast<quint16>(port);
      return true;
    }
    if (exitedEarly()) return fail(error_);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return fail(QStringLiteral("test server did not report its port within %1 ms; its output:\n%2")
                  .arg(options.startTimeoutMs)
                  .arg(QString::fromUtf8(childOutput())));
}

QByteArray TestServer::rawExchange(const QByteArray& request, int timeoutMs) {
  if (port_ == 0) return {};
  Fd fd(connectLoopback(port_, timeoutMs));
  if (fd.get() < 0) return {};
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  qsizetype sent = 0;
  while (sent < request.size()) {
    ssize_t n = ::send(fd.get(), request.constData() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return {};
    sent += n;
  }
  QByteArray answer("");
  char buf[65536];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return {};
    pollfd p{fd.get(), POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) != 1) return {};
    ssize_t n = ::recv(fd.get(), buf, sizeof buf, 0);
    if (n == 0) break;
    if (n < 0) return errno == ECONNRESET ? answer : QByteArray();
    answer.append(buf, n);
  }
  return answer;
}

namespace {

// Body of an answer whose status is 200, or a null QByteArray.
QByteArray okBody(const QByteArray& answer) {
  if (!answer.startsWith("HTTP/1.0 200 ")) return {};
  const qsizetype end = answer.indexOf("\r\n\r\n");
  if (end < 0) return {};
  return answer.mid(end + 4);
}

QByteArray post(const QByteArray& path, const QByteArray& body) {
  return "POST " + path + " HTTP/1.0\r\nContent-Type: application/json\r\nContent-Length: " +
         QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

}  // namespace

bool TestServer::addScripts(const QByteArray& scriptObject) {
  const QByteArray answer = rawExchange(post("/__script", scriptObject));
  if (okBody(answer).isNull()) {
    ADD_FAILURE() << "test server refused the script: " << answer.toStdString();
    return false;
  }
  return true;
}

bool TestServer::addScript(const QByteArray& path, const QByteArray& json) {
  // The key is escaped by QJson; the answer is pasted in as given.
  const QByteArray key =
      QJsonDocument(QJsonArray{QString::fromUtf8(path)}).toJson(QJsonDocument::Compact);
  return addScripts("{" + key.mid(1, key.size() - 2) + ":" + json + "}");
}

bool TestServer::clear() {
  return !okBody(rawExchange(post("/__clear", QByteArray()))).isNull();
}

QList<RecordedRequest> TestServer::requests() {
  QList<RecordedRequest> out;
  const QByteArray body = okBody(rawExchange("GET /__requests HTTP/1.0\r\n\r\n"));
  QJsonParseError err{};
  const QJsonDocument doc = QJsonDocument::fromJson(body, &err);
  if (body.isNull() || !doc.isArray()) {
    ADD_FAILURE() << "cannot read the test server's request log: "
                  << err.errorString().toStdString();
    return out;
  }
  for (const QJsonValue& v : doc.array()) {
    const QJsonObject o = v.toObject();
    RecordedRequest r;
    r.seq = o.value(QStringLiteral("seq")).toInt();
    r.conn = o.value(QStringLiteral("conn")).toInt();
    r.method = latin1Bytes(o.value(QStringLiteral("method")));
    r.target = latin1Bytes(o.value(QStringLiteral("target")));
    r.path = latin1Bytes(o.value(QStringLiteral("path")));
    r.version = latin1Bytes(o.value(QStringLiteral("version")));
    r.raw = latin1Bytes(o.value(QStringLiteral("raw")));
    r.body = latin1Bytes(o.value(QStringLiteral("body")));
    for (const QJsonValue& h : o.value(QStringLiteral("headers")).toArray()) {
      const QJsonArray pair = h.toArray();
      r.headers.append({latin1Bytes(pair.at(0)), latin1Bytes(pair.at(1))});
    }
    out.append(r);
  }
  return out;
}

QList<RecordedRequest> TestServer::requestsFor(const QByteArray& path) {
  QList<RecordedRequest> out;
  for (const RecordedRequest& r : requests()) {
    if (r.path == path) out.append(r);
  }
  return out;
}

// ------------------------------------------------------------- NginxServer

NginxServer::~NginxServer() {
  stop();
}

bool NginxServer::available() {
  struct stat st {};
  return ::stat(binary().toLocal8Bit().constData(), &st) == 0 && S_ISREG(st.st_mode) &&
         ::access(binary().toLocal8Bit().constData(), X_OK) == 0;
}

bool NginxServer::start(const QString& root, const QString& extraServerConfig,
                        int lifetimeSeconds) {
  stop();
  error_.clear();
  port_ = 0;
  if (!available()) return fail(binary() + QStringLiteral(" is not installed"));
  if (!makeTempDir()) return false;
  const QString dir = temp_->path();
  const QString rootDir = QDir(root).absolutePath();

  // The free port is only reserved until nginx binds it; a lost race is retried.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const quint16 port = freeLocalPort();
    if (port == 0) return fail(QStringLiteral("no free port on 127.0.0.1"));
    QString tlsConfig;
    if (!tlsCert_.isEmpty()) {
      tlsPort_ = freeLocalPort();
      tlsConfig = QStringLiteral(
                      "listen 127.0.0.1:%1 ssl;\n"
                      "    ssl_certificate %2;\n"
                      "    ssl_certificate_key %3;\n"
                      "    gzip on;\n"
                      "    gzip_types text/css application/javascript text/plain;\n")
                      .arg(tlsPort_)
                      .arg(tlsCert_, tlsKey_);
    }
    const QString conf = QStringLiteral(
                             "daemon off;\n"
                             "master_process off;\n"
                             "worker_processes 1;\n"
                             "error_log %1/error.log warn;\n"
                             "pid %1/nginx.pid;\n"
                             "events { worker_connections 512; }\n"
                             "http {\n"
                             "  access_log off;\n"
                             "  client_body_temp_path %1/client_body;\n"
                             "  proxy_temp_path %1/proxy;\n"
                             "  fastcgi_temp_path %1/fastcgi;\n"
                             "  uwsgi_temp_path %1/uwsgi;\n"
                             "  scgi_temp_path %1/scgi;\n"
                             "  types {\n"
                             "    text/html html htm;\n"
                             "    text/css css;\n"
                             "    text/plain txt;\n"
                             "    application/javascript js;\n"
                             "    image/gif gif;\n"
                             "    image/jpeg jpg jpeg;\n"
                             "    image/png png;\n"
                             "    application/zip zip;\n"
                             "    application/pdf pdf;\n"
                             "  }\n"
                             "  default_type application/octet-stream;\n"
                             "  server {\n"
                             "    listen 127.0.0.1:%2;\n"
                             "    server_name testhost;\n"
                             "    root %3;\n"
                             "    index index.html;\n"
                             "    %4\n"
                             "    %5\n"
                             "  }\n"
                             "}\n")
                             .arg(dir)
                             .arg(port)
                             .arg(rootDir, extraServerConfig, tlsConfig);
    QFile f(configPath());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(conf.toUtf8()) < 0) {
      return fail(QStringLiteral("cannot write ") + configPath());
    }
    f.close();

    // `timeout` ends nginx by itself should this process die without stopping it.
    QStringList argv;
    if (QFile::exists(QStringLiteral("/usr/bin/timeout"))) {
      argv << QStringLiteral("/usr/bin/timeout") << QStringLiteral("-k") << QStringLiteral("5")
           << QString::number(lifetimeSeconds);
      argv << binary();
    } else {
      argv << binary();
    }
    argv << QStringLiteral("-e") << dir + QStringLiteral("/error.log") << QStringLiteral("-p")
         << dir << QStringLiteral("-c") << configPath();
    if (!spawn(argv)) return false;

    const auto deadline = Clock::now() + std::chrono::seconds(10);
    bool exited = false;
    while (Clock::now() < deadline) {
      if (canConnect(port) && (tlsPort_ == 0 || canConnect(tlsPort_))) {
        port_ = port;
        return true;
      }
      if (exitedEarly()) {
        exited = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const QByteArray log = readWholeFile(dir + QStringLiteral("/error.log"));
    if (!exited) {
      return fail(QStringLiteral("nginx did not listen within 10 s; error.log:\n") +
                  QString::fromUtf8(log));
    }
    if (!log.contains("Address already in use")) {
      return fail(error_ + QStringLiteral("\nerror.log:\n") + QString::fromUtf8(log));
    }
  }
  return fail(QStringLiteral("nginx could not bind a free port in 3 attempts"));
}

}  // namespace trawlonix::testsupport
