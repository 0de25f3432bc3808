// The servers that integration tests start: the scripted test server and nginx,
// reached with a plain socket so that nothing of the program's own network
// code is involved.
#include "TestServer.h"

#include <QFile>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace trawlonix::testsupport {
namespace {

// One request on a fresh connection, read to EOF (bounded).
QByteArray fetch(quint16 port, const QByteArray& request) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return {};
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  QByteArray answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      ::send(fd, request.constData(), request.size(), MSG_NOSIGNAL) == request.size()) {
    char buf[4096];
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, 10000) == 1) {
      ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n <= 0) break;
      answer.append(buf, n);
    }
  }
  ::close(fd);
  return answer;
}

void writeFile(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_EQ(f.write(data), data.size());
}

TEST(TestServerSmoke, ServesFileAndRecordsRequest) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  writeFile(dir.filePath("page.html"), "<html>hi</html>");

  TestServer server;
  TestServer::Options opts;
  opts.root = dir.path();
  opts.script = R"({"/gone": {"status": 410, "reason": "Gone Away"}})";
  ASSERT_TRUE(server.start(opts)) << server.errorString().toStdString();
  EXPECT_EQ(server.baseUrl(), QStringLiteral("http://127.0.0.1:%1/").arg(server.port()));

  const QByteArray answer =
      fetch(server.port(), "GET /page.html HTTP/1.0\r\nUser-Agent: smoke\r\nX-Order: 2\r\n\r\n");
  EXPECT_TRUE(answer.startsWith("HTTP/1.0 200 OK\r\n")) << answer.toStdString();
  EXPECT_TRUE(answer.contains("\r\nContent-Length: 15\r\n"));
  EXPECT_TRUE(answer.contains("\r\nContent-Type: text/html\r\n"));
  EXPECT_TRUE(answer.endsWith("\r\n\r\n<html>hi</html>"));

  EXPECT_TRUE(
      fetch(server.port(), "GET /gone HTTP/1.0\r\n\r\n").startsWith("HTTP/1.0 410 Gone Away"));
  ASSERT_TRUE(server.addScript("/later", R"([{"status": 503}, {"body": "ok"}])"));
  EXPECT_TRUE(fetch(server.port(), "GET /later HTTP/1.0\r\n\r\n").startsWith("HTTP/1.0 503 "));
  EXPECT_TRUE(fetch(server.port(), "GET /later HTTP/1.0\r\n\r\n").endsWith("\r\n\r\nok"));

  const QList<RecordedRequest> reqs = server.requests();
  ASSERT_EQ(reqs.size(), 4);
  EXPECT_EQ(reqs[0].method, "GET");
  EXPECT_EQ(reqs[0].target, "/page.html");
  EXPECT_EQ(reqs[0].version, "HTTP/1.0");
  ASSERT_EQ(reqs[0].headers.size(), 2);
  EXPECT_EQ(reqs[0].headers[0].first, "User-Agent");
  EXPECT_EQ(reqs[0].headers[1].second, "2");
  EXPECT_EQ(reqs[0].header("user-agent"), "smoke");
  EXPECT_FALSE(reqs[0].hasHeader("Host"));
  EXPECT_EQ(reqs[0].raw, "GET /page.html HTTP/1.0\r\nUser-Agent: smoke\r\nX-Order: 2\r\n\r\n");
  EXPECT_EQ(server.requestsFor("/later").size(), 2);

  ASSERT_TRUE(server.clear());
  EXPECT_TRUE(server.requests().isEmpty());
  server.stop();
  EXPECT_FALSE(canConnect(server.port()));
}

TEST(TestServerSmoke, BrokenScriptFailsStartClearly) {
  TestServer server;
  TestServer::Options opts;
  opts.script = "{not json";
  bool started = true;
  // The helper records its own failure; expect exactly that one.
  EXPECT_NONFATAL_FAILURE(started = server.start(opts), "cannot load script");
  EXPECT_FALSE(started);
  EXPECT_TRUE(server.errorString().contains("cannot load script"));
}

TEST(TestServerSmoke, NginxServesDirectory) {
  if (!NginxServer::available()) GTEST_SKIP() << "nginx is not installed";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  writeFile(dir.filePath("index.html"), "<html>nginx</html>");

  NginxServer nginx;
  ASSERT_TRUE(nginx.start(dir.path())) << nginx.errorString().toStdString();
  const QByteArray answer = fetch(nginx.port(), "GET / HTTP/1.0\r\n\r\n");
  EXPECT_TRUE(answer.startsWith("HTTP/1.1 200 OK\r\n")) << answer.toStdString();
  EXPECT_TRUE(answer.endsWith("<html>nginx</html>"));
  EXPECT_TRUE(fetch(nginx.port(), "GET /nothing HTTP/1.0\r\n\r\n").startsWith("HTTP/1.1 404"));
  nginx.stop();
  EXPECT_FALSE(canConnect(nginx.port()));
}

}  // namespace
}  // namespace trawlonix::testsupport
