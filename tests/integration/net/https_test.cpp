// The fetch slot over TLS and over HTTP/1.1 against the scripted test server:
// certificates that must be refused, TLS sessions that break, bodies that come
// in chunks or compressed (and lie about it), and kept connections that the
// server closes after a few answers.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "NetHarness.h"
#include "TestServer.h"
#include "net/HttpObject.h"

namespace trawlonix {
namespace {

using nettest::Generated;
using nettest::ResolverGuard;
using nettest::Signal;
using nettest::WorkerThread;
using testsupport::TestCertificates;
using testsupport::TestServer;

const char kScript[] = R"({
  "/ok": {"body": "secure"},
  "/cut-record": {"body_size": 5000, "tls_cut_record": true, "headers": {"Content-Length": null}},
  "/chunked": {"body_size": 3000, "chunked": true, "chunk_size": 100},
  "/gzip": {"body_size": 30000, "encoding": "gzip"},
  "/deflate-chunked": {"body_size": 30000, "encoding": "deflate", "chunked": true, "chunk_size": 333},
  "/chunk-cut": {"body_size": 3000, "chunked": true, "chunk_size": 1000, "cut_at": 1500},
  "/chunk-lies": {"raw": "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nabcdefgh\r\n0\r\n\r\n"},
  "/chunk-bad": {"raw": "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nxyz\r\nabc\r\n0\r\n\r\n"},
  "/gzip-bad": {"raw": "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 9\r\n\r\nnot gzip!"},
  "/interim": {"raw": "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"},
  "/bomb": {"body_size": 4000000, "encoding": "gzip"},
  "/n*": {"body": "keep"}
})";

class HttpsTest : public ::testing::Test {
 protected:
  enum ServerKind { kGood, kWrongName, kExpired, kUnknownCa, kStall, kPlainKeepAlive, kServers };

  static void SetUpTestSuite() {
    certs_ = new TestCertificates;
    if (!certs_->make()) {
      delete certs_;
      certs_ = nullptr;
    }
  }
  // The server of a kind, started on first use (nullptr when it would not start).
  static TestServer* Server(ServerKind k) {
    if (servers_[k]) return servers_[k];
    const TestCertificates::Kind certFor[] = {TestCertificates::Good, TestCertificates::WrongName,
                                              TestCertificates::Expired,
                                              TestCertificates::UnknownCa, TestCertificates::Good};
    TestServer::Options o;
    o.script = kScript;
    o.startTimeoutMs = 30000;
    if (k == kPlainKeepAlive) {
      o.extraArgs = {"--keep-alive", "3"};
    } else {
      o.tlsCert = certs_->certFile(certFor[k]);
      o.tlsKey = certs_->keyFile();
      o.tlsStallHandshake = k == kStall;
    }
    auto server = std::make_unique<TestServer>();
    if (server->start(o)) servers_[k] = server.release();
    return servers_[k];
  }
  static void TearDownTestSuite() {
    for (TestServer*& s : servers_) {
      delete s;
      s = nullptr;
    }
    delete certs_;
    certs_ = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(certs_, nullptr) << "no test certificates";
    worker_.Run([this] {
      obj_ = new THTTPObject(worker_.Context());
      obj_->SetTimeoutMs(2000);
      obj_->OnTransferResults = [this](int, bool success) {
        success_ = success;
        reported_.Notify();
      };
    });
  }
  std::string Url(ServerKind k, const std::string& path) const {
    TestServer* s = Server(k);
    EXPECT_NE(s, nullptr) << "test server " << k << " did not start";
    return s ? s->baseUrl().toStdString() + path.substr(1) : std::string("http://127.0.0.1:1/");
  }
  void Fetch(const std::string& url, const TTlsSettings& tls,
             const std::function<void(THTTPObject&)>& setup = {}) {
    const int before = reported_.Count();
    worker_.Run([&] {
      obj_->SetURL(url);
      obj_->SetTls(tls);
      if (setup) setup(*obj_);
      obj_->InitiateProcess();
    });
    ASSERT_TRUE(reported_.WaitFor(before + 1, 20000)) << "no report for " << url;
  }
  template <typename T>
  T Read(const std::function<T()>& f) {
    T v{};
    worker_.Run([&] { v = f(); });
    return v;
  }
  // Success as the crawl judges it: reported good, and a good status.
  bool Good() {
    return success_ && Read<int>([this] { return obj_->StatusCode(); }) < 400;
  }

  static TestCertificates* certs_;
  static TestServer* servers_[kServers];
  ResolverGuard resolver_;
  WorkerThread worker_;
  THTTPObject* obj_ = nullptr;
  bool success_ = false;
  Signal reported_;
};

TestCertificates* HttpsTest::certs_ = nullptr;
TestServer* HttpsTest::servers_[HttpsTest::kServers] = {};

// Every TLS failure is a failed fetch whose text says why; none is a
// success, none hangs.
TEST_F(HttpsTest, CertificatesAndBrokenSessions) {
  const std::string ca = certs_->caFile().toStdString();
  struct {
    ServerKind server;
    const char* path;
    TTlsSettings tls;
    bool good;
    const char* reason;  // part of the reason phrase; "" for a good fetch
  } cases[] = {
      {kGood, "/ok", {ca, true}, true, ""},
      {kGood, "/ok", {"", true}, false, "unable to get local issuer certificate"},
      {kWrongName, "/ok", {ca, true}, false, "IP address mismatch"},
      {kExpired, "/ok", {ca, true}, false, "certificate has expired"},
      {kUnknownCa, "/ok", {ca, true}, false, "unable to get local issuer certificate"},
      {kWrongName, "/ok", {"", false}, true, ""},  // checks turned off by the user
      {kStall, "/ok", {ca, true}, false, "连接被客户暂停"},
      {kGood, "/cut-record", {ca, true}, false, "TLS"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.server) + c.path + " CA file: " + c.tls.CAFile);
    Fetch(Url(c.server, c.path), c.tls);
    EXPECT_EQ(Good(), c.good);
    const std::string reason = Read<std::string>([this] { return obj_->ReasonPhrase(); });
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    if (c.good) {
      EXPECT_EQ(Read<std::string>([this] { return obj_->Data(); }), "secure");
    }
  }
}

// HTTP/1.1 bodies, over TLS and over plain TCP: decoded before they are
// stored; cut, lying or undecodable ones fail, with the reason.
TEST_F(HttpsTest, ChunkedAndCompressedBodies) {
  const TTlsSettings tls{certs_->caFile().toStdString(), true};
  struct {
    const char* path;
    bool good;
    std::string data;    // for a good fetch
    const char* reason;  // for a failed one
  } cases[] = {
      {"/chunked", true, Generated(3000), ""},
      {"/gzip", true, Generated(30000), ""},
      {"/deflate-chunked", true, Generated(30000), ""},
      {"/interim", true, "ok", ""},
      {"/chunk-cut", false, "", "连接在文档结束之前被关闭"},
      {"/chunk-lies", false, "", "HTTP 分块长度无效"},
      {"/chunk-bad", false, "", "HTTP 分块长度无效"},
      {"/gzip-bad", false, "", "文档无法解压缩"},
  };
  for (ServerKind server : {kGood, kPlainKeepAlive}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.path) + (server == kGood ? " over TLS" : " plain"));
      Fetch(Url(server, c.path), tls);
      EXPECT_EQ(Good(), c.good);
      if (c.good) {
        EXPECT_TRUE(Read<std::string>([this] { return obj_->Data(); }) == c.data);
      } else {
        const std::string reason = Read<std::string>([this] { return obj_->ReasonPhrase(); });
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
      }
    }
  }
}

// A compressed body is held to the body cap by its decoded size.
TEST_F(HttpsTest, DecodedSizeIsBoundedByTheBodyCap) {
  Fetch(Url(kPlainKeepAlive, "/bomb"), {}, [](THTTPObject& o) { o.SetMaxBodySize(100000); });
  EXPECT_FALSE(Good());
  EXPECT_LT(Read<std::int64_t>([this] { return obj_->DataSize(); }), 100000 + 70000);
}

// One slot, many requests: each connection carries answers until the server
// closes it (here after every third, unannounced); a request sent on a
// connection the server closed meanwhile is repeated once, unnoticed.
TEST_F(HttpsTest, KeptConnectionsAreReusedAndRetriedWhenClosed) {
  ASSERT_TRUE(Server(kPlainKeepAlive)->clear());
  for (int i = 0; i < 7; ++i) {
    Fetch(Url(kPlainKeepAlive, "/n" + std::to_string(i)), {});
    EXPECT_TRUE(Good()) << i;
    EXPECT_EQ(Read<std::string>([this] { return obj_->Data(); }), "keep");
  }
  const auto reqs = Server(kPlainKeepAlive)->requests();
  ASSERT_EQ(reqs.size(), 7);
  std::set<int> connections;
  for (const auto& r : reqs) {
    connections.insert(r.conn);
    EXPECT_EQ(r.version, "HTTP/1.1");
    EXPECT_EQ(r.header("Connection"), "keep-alive");
    EXPECT_EQ(r.header("Accept-Encoding"), "gzip, deflate");
    EXPECT_EQ(r.header("Host"), "127.0.0.1:" + QByteArray::number(Server(kPlainKeepAlive)->port()));
  }
  EXPECT_EQ(connections.size(), 3u);
}

// Bytes outside printable ASCII in a path go out as %XX; escapes already
// there stay as they are.
TEST_F(HttpsTest, RequestTargetIsPercentEncoded) {
  ASSERT_TRUE(Server(kPlainKeepAlive)->clear());
  Fetch(Url(kPlainKeepAlive, "/n/\xC3\xA4 b%41.html"), {});
  const auto reqs = Server(kPlainKeepAlive)->requests();
  ASSERT_EQ(reqs.size(), 1);
  EXPECT_EQ(reqs[0].target, "/n/%C3%A4%20b%41.html");
}

// Through a proxy an https request opens a tunnel with CONNECT; TLS and the
// request itself (origin form) go through it to the server.
TEST_F(HttpsTest, ProxyTunnelsHttpsWithConnect) {
  TestServer proxy;
  TestServer::Options o;
  o.extraArgs = {"--proxy"};
  ASSERT_TRUE(proxy.start(o));
  Fetch(Url(kGood, "/ok"), {certs_->caFile().toStdString(), true}, [&](THTTPObject& obj) {
    obj.SetUseProxy(true);
    obj.SetProxyServer("127.0.0.1");
    obj.SetProxyPort(proxy.port());
  });
  EXPECT_TRUE(Good()) << Read<std::string>([this] { return obj_->ReasonPhrase(); });
  EXPECT_EQ(Read<std::string>([this] { return obj_->Data(); }), "secure");
  const auto tunnels = proxy.requests();
  ASSERT_EQ(tunnels.size(), 1);
  EXPECT_EQ(tunnels[0].method, "CONNECT");
  EXPECT_EQ(tunnels[0].target, "127.0.0.1:" + QByteArray::number(Server(kGood)->port()));
}

}  // namespace
}  // namespace trawlonix
