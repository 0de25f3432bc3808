// THttpCli against the scripted test server, in a worker thread.
#include <gtest/gtest.h>
#include <QDate>
#include <QTime>

#include <memory>

#include "NetHarness.h"
#include "TestServer.h"
#include "net/HttpProt.h"

namespace trawlonix {
namespace {

using nettest::ResolverGuard;
using nettest::Signal;
using nettest::WorkerThread;
using testsupport::TestServer;

const char kScript[] = R"({
  "/a/b.html": {"body": "0123456789", "range": "ignore"},
  "/head.html": {"body": "abcdef"},
  "/moved": {"status": 302, "headers": {"Location": "/new.html"}, "body": "never read"},
  "/moved-abs": {"status": 301, "headers": {"Location": "http://u:p@127.0.0.2:81/x"}},
  "/dir/moved-rel": {"status": 302, "headers": {"Location": "sub/y.html"}},
  "/dir/moved-query": {"status": 302, "headers": {"Location": "?page=2"}},
  "/dir/moved-nohost": {"status": 302, "headers": {"Location": "http:/top.html"}},
  "/dir/moved-net": {"status": 302, "headers": {"Location": "//127.0.0.3/n"}},
  "/missing": {"status": 404, "body_size": 200000},
  "/plain": {"no_header": true, "body": "<html>\n<body>old</body>\n</html>\n"},
  "/lf": {"lf_only": true, "body": "xyz", "headers": {"Content-Type": "Text/Plain"}},
  "/long": {"long_header": 9000, "body": "after"},
  "/slow": {"header_delay_ms": 3000, "body": "late"},
  "/second": {"status": 203, "body": "second answer"},
  "/reset": {"reset_now": true},
  "/cookie": {"headers": [["Set-Cookie", "a=1"], ["Set-Cookie", "b=2"]], "body": "c"}
})";

class HttpCliTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new TestServer;
    TestServer::Options o;
    o.script = kScript;
    if (!server_->start(o)) {
      delete server_;
      server_ = nullptr;
    }
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(server_, nullptr) << "test server did not start";
    worker_.Run([this] {
      cli_ = new THttpCli(worker_.Context());
      cli_->ReceivedStream = &body_;
      cli_->OnStateChange = [this](THttpCli& c) { states_ += std::to_string(c.State()); };
      cli_->OnLocationChange = [this](THttpCli&) { events_ += "L"; };
      cli_->OnDocBegin = [this](THttpCli&) { events_ += "D"; };
      cli_->OnDocEnd = [this](THttpCli&) { events_ += "e"; };
      cli_->OnHeaderEnd = [this](THttpCli&) { events_ += "E"; };
      cli_->OnCookie = [this](THttpCli&, const std::string& v, bool&) { cookies_ += v + ";"; };
      cli_->OnRequestDone = [this](THttpCli&, THttpRequest, std::uint16_t) {
        events_ += "R";
        done_.Notify();
      };
    });
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(server_->port()) + path;
  }
  // Starts a GET (or HEAD) in the worker and waits for the end of the request.
  void Fetch(const std::string& url, bool head = false,
             const std::function<void(THttpCli&)>& setup = {}) {
    int before = done_.Count();
    worker_.Run([&] {
      cli_->URL = url;
      if (setup) setup(*cli_);
      head ? cli_->Head() : cli_->Get();
    });
    ASSERT_TRUE(done_.WaitFor(before + 1)) << "request did not end: " << url;
  }
  template <typename T>
  T Read(const std::function<T()>& f) {
    T v{};
    worker_.Run([&] { v = f(); });
    return v;
  }
  int Status() {
    return Read<int>([this] { return cli_->StatusCode(); });
  }
  std::string Reason() {
    return Read<std::string>([this] { return cli_->ReasonPhrase(); });
  }

  static TestServer* server_;
  ResolverGuard resolver_;
  WorkerThread worker_;
  THttpCli* cli_ = nullptr;
  std::string body_;
  std::string states_;
  std::string events_;
  std::string cookies_;
  Signal done_;
};

TestServer* HttpCliTest::server_ = nullptr;

TEST_F(HttpCliTest, GetComposesTheRequestByteForByte) {
  Fetch(Url("/a/b.html?x=1").replace(0, 7, "http://user:pw@"), false, [](THttpCli& c) {
    c.Agent = "Morvek Trawlonix 2.7 b6";
    c.Reference = "http://127.0.0.1/ref.html";
    c.Username = "other";
    c.Password = "secret";
    c.ModifiedSince = QDateTime(QDate(2026, 12, 7), QTime(9, 30, 0), Qt::UTC);
    c.ContentRangeBegin = "100";
    c.ContentRangeEnd = "199";
    c.Http10 = true;
  });
  auto reqs = server_->requestsFor("/a/b.html");
  ASSERT_EQ(reqs.size(), 1);
  EXPECT_EQ(reqs[0].raw.toStdString(),
            "GET /a/b.html?x=1 HTTP/1.0\r\n"
            "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
            "Referer: http://127.0.0.1/ref.html\r\n"
            "User-Agent: Morvek Trawlonix 2.7 b6\r\n"
            "Host: 127.0.0.1:" +
                std::to_string(server_->port()) +
                "\r\n"
                "If-Modified-Since: Mon, 07 Dec 2026 09:30:00 GMT\r\n"
                "Authorization: Basic dXNlcjpwdw==\r\n"
                "Range: bytes=100-199\r\n"
                "\r\n");
  EXPECT_EQ(Status(), 200);
  EXPECT_EQ(Reason(), "OK");
  EXPECT_EQ(Read<std::int64_t>([this] { return cli_->ContentLength(); }), 10);
  EXPECT_EQ(Read<std::int64_t>([this] { return cli_->ReceivedCount(); }), 10);
  EXPECT_EQ(body_, "0123456789");
  EXPECT_TRUE(Read<bool>(
      [this] { return cli_->ContentRangeBegin.empty() && cli_->ContentRangeEnd.empty(); }));
  // NotConnected, DnsLookup, Connecting, Connected, WaitingHeader, WaitingBody, Ready.
  EXPECT_EQ(states_, "1342560");
  EXPECT_EQ(events_, "EDeR");
}

TEST_F(HttpCliTest, ProxyGetsTheAbsoluteTargetAndProxyCredentials) {
  TestServer proxy;
  TestServer::Options o;
  o.script = R"({"/a/b.html": {"body": "via proxy"}})";
  o.extraArgs = {"--proxy"};
  ASSERT_TRUE(proxy.start(o));
  resolver_.fake->Set("proxyhost", "127.0.0.1");
  Fetch("http://www.example.test:8080/a/b.html?x=1", false, [&](THttpCli& c) {
    c.Proxy = "proxyhost:" + std::to_string(proxy.port());
    c.ProxyUsername = "pu";
    c.ProxyPassword = "pp";
    c.Agent.clear();
    c.Accept.clear();
    c.Http10 = true;
  });
  auto reqs = proxy.requests();
  ASSERT_EQ(reqs.size(), 1);
  EXPECT_EQ(reqs[0].raw.toStdString(),
            "GET http://www.example.test:8080/a/b.html?x=1 HTTP/1.0\r\n"
            "Host: www.example.test:8080\r\n"
            "Proxy-Authorization: Basic cHU6cHA=\r\n"
            "\r\n");
  EXPECT_EQ(body_, "via proxy");
  // Only the proxy's name was looked up; the site's is the proxy's business.
  EXPECT_EQ(resolver_.fake->Started(), std::vector<std::string>{"proxyhost"});
}

TEST_F(HttpCliTest, ProxyPortSettingAppliesWhenProxyNamesNone) {
  Fetch("http://site.test/head.html", false, [&](THttpCli& c) {
    c.Proxy = "127.0.0.1";
    c.ProxyPort = std::to_string(server_->port());
  });
  EXPECT_EQ(Status(), 200);
  auto reqs = server_->requestsFor("/head.html");
  ASSERT_FALSE(reqs.empty());
  EXPECT_EQ(reqs.back().target, "http://site.test/head.html");
}

TEST_F(HttpCliTest, HeadSendsHeadAndGetsNoBody) {
  Fetch(Url("/head.html"), true, [](THttpCli& c) { c.Http10 = true; });
  auto reqs = server_->requestsFor("/head.html");
  ASSERT_FALSE(reqs.empty());
  EXPECT_TRUE(reqs.back().raw.startsWith("HEAD /head.html HTTP/1.0\r\n"));
  EXPECT_EQ(Status(), 200);
  EXPECT_EQ(Read<std::int64_t>([this] { return cli_->ContentLength(); }), 6);
  EXPECT_EQ(body_, "");
}

TEST_F(HttpCliTest, RelocationTargets) {
  const std::string port = std::to_string(server_->port());
  const std::string origin = "http://127.0.0.1:" + port;
  const std::string proxy = "127.0.0.1:" + port;
  struct {
    std::string url;
    std::string proxy;
    std::string location;
    int status;
  } cases[] = {
      // The port of the server that answered is kept.
      {origin + "/moved", "", origin + "/new.html", 302},
      // A direct request went out as http, whatever case the scheme had.
      {"HTTP://127.0.0.1:" + port + "/moved", "", origin + "/new.html", 302},
      // An absolute Location keeps its port; only the user information goes.
      {origin + "/moved-abs", "", "http://127.0.0.2:81/x", 301},
      // A relative one is taken against the requested document's directory.
      {origin + "/dir/moved-rel?q=1", "", origin + "/dir/sub/y.html", 302},
      {origin + "/dir/moved-query?q=1", "", origin + "/dir/moved-query?page=2", 302},
      {origin + "/dir/moved-nohost", "", origin + "/top.html", 302},
      {origin + "/dir/moved-net", "", "http://127.0.0.3/n", 302},
      // Through a proxy the request URL's own scheme and host are used.
      {"Http://site.test/moved", proxy, "Http://site.test/new.html", 302},
      {"http://site.test:8080/dir/moved-rel", proxy, "http://site.test:8080/dir/sub/y.html", 302},
  };
  for (const auto& c : cases) {
    body_.clear();
    events_.clear();
    Fetch(c.url, false, [&](THttpCli& cli) { cli.Proxy = c.proxy; });
    EXPECT_EQ(Status(), c.status) << c.url;
    EXPECT_EQ(Read<std::string>([this] { return cli_->Location(); }), c.location) << c.url;
    EXPECT_EQ(events_, "ELR") << c.url;  // header end, location change, done: no body
    EXPECT_EQ(body_, "") << c.url;
  }
}

TEST_F(HttpCliTest, ErrorStatusClosesTheConnection) {
  Fetch(Url("/missing"));
  EXPECT_EQ(Status(), 404);
  EXPECT_EQ(Reason(), "Not Found");
  // The client hung up after the status: far less than the announced body arrived.
  EXPECT_LT(Read<std::int64_t>([this] { return cli_->ReceivedCount(); }), 200000);
}

TEST_F(HttpCliTest, AnswerWithoutHeaderIsTheDocument) {
  Fetch(Url("/plain"));
  EXPECT_EQ(Status(), 0);
  EXPECT_EQ(Read<std::string>([this] { return cli_->ContentType(); }), "text/html");
  EXPECT_EQ(body_, "<html>\n<body>old</body>\n</html>\n");
}

TEST_F(HttpCliTest, LineFeedOnlyHeaderAndCookies) {
  Fetch(Url("/lf"));
  EXPECT_EQ(Status(), 200);
  EXPECT_EQ(Read<std::string>([this] { return cli_->ContentType(); }), "text/plain");
  EXPECT_EQ(body_, "xyz");
  Fetch(Url("/cookie"));
  EXPECT_EQ(cookies_, "a=1;b=2;");
}

TEST_F(HttpCliTest, OverlongHeaderLineFailsTheRequest) {
  Fetch(Url("/long"));
  // The status line before it said 200, but the answer cannot be read.
  EXPECT_EQ(Status(), 404);
  EXPECT_EQ(Read<std::string>([this] { return cli_->ReasonPhrase(); }), "HTTP 行太长");
  EXPECT_EQ(body_, "");
  EXPECT_EQ(Read<int>([this] { return cli_->State(); }), httpReady);
}

TEST_F(HttpCliTest, BusyClientRefusesASecondRequest) {
  int code = 0;
  std::string what;
  worker_.Run([&] {
    cli_->URL = Url("/slow");
    cli_->Get();
    try {
      cli_->Get();
    } catch (const EHttpException& e) {
      code = e.Code();
      what = e.what();
    }
    cli_->Abort();
  });
  EXPECT_EQ(code, 1);
  EXPECT_EQ(what, "HTTP 组件正忙着");
}

TEST_F(HttpCliTest, AbortDuringLookupIsReadyBeforeItReturns) {
  int stateAfter = -1;
  worker_.Run([&] {
    cli_->URL = "http://hang/x";
    cli_->Get();
    cli_->Abort();
    stateAfter = cli_->State();
  });
  EXPECT_EQ(stateAfter, httpReady);
  EXPECT_EQ(Status(), 404);
  EXPECT_EQ(Reason(), "连接被请求中断");
  EXPECT_EQ(Read<int>([this] { return cli_->RequestError(); }), 3);
  EXPECT_EQ(states_,
            "13"
            "70");
}

TEST_F(HttpCliTest, FailuresBeforeAnAnswer) {
  const quint16 closed = testsupport::freeLocalPort();
  ASSERT_NE(closed, 0);
  struct {
    std::string url;
    std::string reason;
    int error;
  } cases[] = {
      {"http://127.0.0.1:" + std::to_string(closed) + "/", "连接被拒绝 (错误 #10061)", 10061},
      {"http://no-such-host.test/", "不能将主机名分解成 IP 地址", 11001},
      {Url("/reset"), "链接被同位体重置 (错误 #10054)", 10054},
      // The connection cannot even be started: the socket's own message follows.
      {"http://127.0.0.1:99999/",
       "不能连接: \r无效的参数 (错误 #10022)\r错误 10022 在函数 Connect\r\n无效的参数", 10022},
  };
  for (const auto& c : cases) {
    Fetch(c.url);
    EXPECT_EQ(Status(), 404) << c.url;
    EXPECT_EQ(Reason(), c.reason) << c.url;
    EXPECT_EQ(Read<int>([this] { return cli_->RequestError(); }), c.error) << c.url;
  }
}

TEST_F(HttpCliTest, EmptyHostRaisesAndLeavesTheClientReady) {
  bool raised = false;
  worker_.Run([&] {
    cli_->URL = "http:///x";
    try {
      cli_->Get();
    } catch (const ESocketException& e) {
      raised = e.Code() == 10022;
    }
  });
  EXPECT_TRUE(raised);
  EXPECT_EQ(Read<int>([this] { return cli_->State(); }), httpReady);
  Fetch(Url("/head.html"));
  EXPECT_EQ(Status(), 200);
}

// A request that ended is aborted before its posted end notification ran,
// and a new request starts at once: the stale notification must leave the new
// request alone.
TEST_F(HttpCliTest, StaleEndNotificationDoesNotTouchTheNextRequest) {
  std::string second = Url("/second");
  worker_.Run([&] {
    cli_->OnDocEnd = [this, second](THttpCli&) {
      events_ += "e";
      QMetaObject::invokeMethod(
          cli_,
          [this, second] {
            cli_->OnDocEnd = nullptr;
            cli_->Abort();
            body_.clear();
            cli_->URL = second;
            cli_->Get();
          },
          Qt::QueuedConnection);
    };
  });
  int before = done_.Count();
  worker_.Run([&] {
    cli_->URL = Url("/head.html");
    cli_->Get();
  });
  // Only the second request reports; when it does, it is complete.
  ASSERT_TRUE(done_.WaitFor(before + 1));
  EXPECT_EQ(Read<int>([this] { return cli_->State(); }), httpReady);
  EXPECT_EQ(Status(), 203);
  EXPECT_EQ(done_.Count(), before + 1);
  EXPECT_EQ(body_, "second answer");
}

}  // namespace
}  // namespace trawlonix
