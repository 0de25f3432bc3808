// THTTPObject, the fetch slot, against the scripted test server in a worker
// thread: resumes, time-outs, relocations, aborts and the bounds on retries.
#include <gtest/gtest.h>
#include <QDate>
#include <QTime>

#include <memory>

#include "NetHarness.h"
#include "TestServer.h"
#include "net/HttpObject.h"

namespace trawlonix {
namespace {

using nettest::Generated;
using nettest::ResolverGuard;
using nettest::Signal;
using nettest::WorkerThread;
using testsupport::TestServer;

const char kScript[] = R"({
  "/cut": [{"body_size": 1000, "cut_at": 400}, {"body_size": 1000}],
  "/cut-ignored": [{"body_size": 1000, "cut_at": 400}, {"body_size": 1000, "range": "ignore"}],
  "/cut-wrong": [{"body_size": 1000, "cut_at": 400}, {"body_size": 1000, "range": "wrong"}],
  "/stall": [{"body_size": 1000, "body_stall_at": 300, "body_stall_ms": 4000}, {"body_size": 1000}],
  "/stall-nolength": {"body_size": 1000, "body_stall_at": 300, "body_stall_ms": 4000,
                      "headers": {"Content-Length": null}},
  "/drip": {"body_size": 1000, "drip_bytes": 1, "drip_ms": 1500},
  "/err-short": {"status": 404, "headers": {"Content-Length": "500"}, "body": ""},
  "/short": {"headers": {"Content-Length": "500"}, "body": "", "range": "ignore"},
  "/short-range": {"headers": {"Content-Length": "500"}, "body": ""},
  "/empty": {"body": ""},
  "/moved": {"status": 302, "headers": {"Location": "/new \"x\".html"}},
  "/big": {"body_size": 100000},
  "/slow": {"header_delay_ms": 4000, "body": "late"},
  "/ok": {"body": "fine"},
  "/head": {"body_size": 777},
  "/notmod": {"status": 304, "reason": "Not Modified", "headers": {"Content-Length": "500"}, "body": ""}
})";

class HttpObjectTest : public ::testing::Test {
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
    ASSERT_TRUE(server_->clear());
    worker_.Run([this] {
      obj_ = new THTTPObject(worker_.Context());
      obj_->SetThreadID(7);
      obj_->SetUserAgent("Morvek Trawlonix 2.7 b6");
      obj_->SetTimeoutMs(2000);
      obj_->OnTransferResults = [this](int tid, bool success) {
        reports_.push_back({tid, success});
        reported_.Notify();
      };
      obj_->OnReceiveData = [this](int, std::int64_t size) { lastSize_ = size; };
    });
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(server_->port()) + path;
  }
  // Starts a fetch and waits for its report; returns InitiateProcess's result.
  int Fetch(const std::string& url, const std::function<void(THTTPObject&)>& setup = {},
            int waitMs = 10000) {
    int before = reported_.Count();
    int result = -1;
    worker_.Run([&] {
      obj_->SetURL(url);
      if (setup) setup(*obj_);
      result = obj_->InitiateProcess();
    });
    EXPECT_TRUE(reported_.WaitFor(before + 1, waitMs)) << "no report for " << url;
    return result;
  }
  template <typename T>
  T Read(const std::function<T()>& f) {
    T v{};
    worker_.Run([&] { v = f(); });
    return v;
  }
  int Status() {
    return Read<int>([this] { return obj_->StatusCode(); });
  }
  std::string Reason() {
    return Read<std::string>([this] { return obj_->ReasonPhrase(); });
  }
  std::string Data() {
    return Read<std::string>([this] { return obj_->Data(); });
  }
  bool LastSuccess() { return !reports_.empty() && reports_.back().second; }

  static TestServer* server_;
  ResolverGuard resolver_;
  WorkerThread worker_;
  THTTPObject* obj_ = nullptr;
  std::vector<std::pair<int, bool>> reports_;
  std::int64_t lastSize_ = 0;
  Signal reported_;
};

TestServer* HttpObjectTest::server_ = nullptr;

TEST_F(HttpObjectTest, CutBodyIsResumedWithARange) {
  EXPECT_EQ(Fetch(Url("/cut")), 0);
  EXPECT_EQ(Status(), 206);
  EXPECT_EQ(Data(), Generated(1000));
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0], std::make_pair(7, true));
  EXPECT_EQ(lastSize_, 1000);
  auto reqs = server_->requestsFor("/cut");
  ASSERT_EQ(reqs.size(), 2);
  EXPECT_FALSE(reqs[0].hasHeader("Range"));
  EXPECT_EQ(reqs[1].header("Range"), "bytes=400-999");
}

// A server that ignores the range sends the whole document again: it
// replaces the part held, it is never appended to it. One that sends the part
// from the wrong place has its bytes put where they belong.
TEST_F(HttpObjectTest, WholeOrMisplacedAnswerToARangeGivesTheRightDocument) {
  for (const char* path : {"/cut-ignored", "/cut-wrong"}) {
    Fetch(Url(path));
    EXPECT_EQ(Data(), Generated(1000)) << path;
    EXPECT_TRUE(LastSuccess()) << path;
  }
}

TEST_F(HttpObjectTest, StallWithKnownLengthIsResumedFromTheBytesHeld) {
  Fetch(Url("/stall"), [](THTTPObject& o) { o.SetTimeoutMs(500); });
  EXPECT_EQ(Data(), Generated(1000));
  EXPECT_TRUE(LastSuccess());
  EXPECT_EQ(Status(), 206);
  auto reqs = server_->requestsFor("/stall");
  ASSERT_EQ(reqs.size(), 2);
  EXPECT_EQ(reqs[1].header("Range"), "bytes=300-999");
}

TEST_F(HttpObjectTest, StallWithoutLengthIsATimeout) {
  Fetch(Url("/stall-nolength"), [](THTTPObject& o) { o.SetTimeoutMs(500); });
  EXPECT_EQ(Status(), 499);
  EXPECT_EQ(Reason(), "连接被客户暂停。");
  EXPECT_FALSE(LastSuccess());
  EXPECT_EQ(Data(), Generated(300));
}

TEST_F(HttpObjectTest, DrippingServerEndsAfterBoundedTimeouts) {
  Fetch(
      Url("/drip"),
      [](THTTPObject& o) {
        o.SetTimeoutMs(300);
        o.SetMaxTimeoutResumes(2);
      },
      20000);
  EXPECT_EQ(Status(), 499);
  EXPECT_FALSE(LastSuccess());
  EXPECT_EQ(Read<int>([this] { return obj_->RequestCount(); }), 3);
  EXPECT_EQ(server_->requestsFor("/drip").size(), 3);
}

TEST_F(HttpObjectTest, ShortAnswersAreResumedOnlyWhenTheyAreDocuments) {
  struct Case {
    const char* path;
    int status;
    bool success;  // an error answer is reported as a success: its status tells
    int requests;
  } cases[] = {
      // Resumed until the ranges stop bringing bytes.
      {"/short", 200, false, THTTPObject::kDefaultMaxStalledResumes},
      // The range asked for cannot be given: that error answer ends it.
      {"/short-range", 416, true, 2},
      // An error answer is final, however short its body.
      {"/err-short", 404, true, 1},
  };
  for (const Case& c : cases) {
    const std::size_t before = reports_.size();
    Fetch(Url(c.path));
    EXPECT_EQ(Status(), c.status) << c.path;
    EXPECT_EQ(LastSuccess(), c.success) << c.path;
    EXPECT_EQ(reports_.size(), before + 1) << c.path;
    EXPECT_EQ(server_->requestsFor(c.path).size(), c.requests) << c.path;
  }
}

TEST_F(HttpObjectTest, EmptyDocumentIsComplete) {
  Fetch(Url("/empty"));
  EXPECT_EQ(Status(), 200);
  EXPECT_TRUE(LastSuccess());
  EXPECT_EQ(Data(), "");
  EXPECT_EQ(server_->requestsFor("/empty").size(), 1);
}

TEST_F(HttpObjectTest, RelocationBecomesALinkPage) {
  Fetch(Url("/moved"));
  EXPECT_EQ(Status(), 302);
  EXPECT_TRUE(LastSuccess());
  const std::string from = Url("/moved");
  const std::string to = Url("/new %22x%22.html");
  EXPECT_EQ(Data(),
            "<HTML>\r\n"
            " <HEAD>\r\n"
            "  <TITLE>文件重新部署</TITLE>\r\n"
            " </HEAD>\r\n"
            " <BODY>\r\n"
            "  &nbsp;<P>&nbsp;<P>&nbsp;<P>\r\n"
            "\r\n"
            "  <CENTER>\r\n"
            "  该文件由 morvek <A HREF=\"#\">Trawlonix</A> 自动创建。\r\n"
            "  <P>&nbsp;<P>\r\n"
            "  当被文档<BR>&nbsp;<BR>\r\n"
            "  " +
                from +
                "<BR>&nbsp;<BR>\r\n"
                "  要求时对方发送了一个重新部署请求到 URL<BR>&nbsp;<BR>\r\n"
                "  <A HREF=\"" +
                to + "\">" + to +
                "</A><BR>&nbsp;<BR>\r\n"
                " </BODY>\r\n"
                "</HTML>");
}

// The slot's settings reach the request: through a proxy (absolute target,
// proxy credentials, the port as decimal text) and, on the next fetch without
// it, directly with none of the proxy's settings left over.
TEST_F(HttpObjectTest, SettingsReachTheRequestDirectAndThroughAProxy) {
  Fetch("http://site.test/ok", [&](THTTPObject& o) {
    o.SetUseProxy(true);
    o.SetProxyServer("127.0.0.1");
    o.SetProxyPort(server_->port());
    o.SetProxyUsername("pu");
    o.SetProxyPassword("pp");
    o.SetUsername("u");
    o.SetPassword("p");
    o.SetRefering("http://site.test/");
    o.SetModifiedSince(QDateTime(QDate(2026, 12, 7), QTime(9, 30, 0), Qt::UTC));
    o.SetHttp10(true);
  });
  EXPECT_EQ(Status(), 200);
  EXPECT_EQ(Data(), "fine");
  auto reqs = server_->requestsFor("/ok");
  ASSERT_EQ(reqs.size(), 1);
  EXPECT_EQ(reqs[0].raw.toStdString(),
            "GET http://site.test/ok HTTP/1.0\r\n"
            "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
            "Referer: http://site.test/\r\n"
            "User-Agent: Morvek Trawlonix 2.7 b6\r\n"
            "Host: site.test\r\n"
            "If-Modified-Since: Mon, 07 Dec 2026 09:30:00 GMT\r\n"
            "Authorization: Basic dTpw\r\n"
            "Proxy-Authorization: Basic cHU6cHA=\r\n"
            "\r\n");

  Fetch(Url("/ok"), [&](THTTPObject& o) {
    o.SetUseProxy(false);
    o.SetUsername("");
    o.SetRefering("");
    o.SetModifiedSince(QDateTime());
  });
  EXPECT_EQ(Status(), 200);
  reqs = server_->requestsFor("/ok");
  ASSERT_EQ(reqs.size(), 2);
  EXPECT_EQ(reqs[1].raw.toStdString(),
            "GET /ok HTTP/1.0\r\n"
            "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
            "User-Agent: Morvek Trawlonix 2.7 b6\r\n"
            "Host: 127.0.0.1:" +
                std::to_string(server_->port()) +
                "\r\n"
                "\r\n");
}

// A 304 is reported at once, even when it names a length it does not send;
// it is a success only as the answer to a conditional request.
TEST_F(HttpObjectTest, NotModifiedIsReportedAtOnce) {
  Fetch(Url("/notmod"), [](THTTPObject& o) {
    o.SetModifiedSince(QDateTime::fromSecsSinceEpoch(1000000000, Qt::UTC));
  });
  EXPECT_EQ(Status(), 304);
  EXPECT_EQ(Reason(), "Not Modified");
  EXPECT_TRUE(LastSuccess());
  EXPECT_EQ(Data(), "");
  Fetch(Url("/notmod"), [](THTTPObject& o) { o.SetModifiedSince({}); });
  EXPECT_EQ(Status(), 304);
  EXPECT_FALSE(LastSuccess());
  EXPECT_EQ(server_->requestsFor("/notmod").size(), 2);
}

TEST_F(HttpObjectTest, HeadIsReportedAtOnce) {
  Fetch(Url("/head"), [](THTTPObject& o) { o.SetMethod(htom_Head); });
  EXPECT_EQ(Status(), 200);
  EXPECT_TRUE(LastSuccess());
  EXPECT_EQ(Data(), "");
  EXPECT_EQ(Read<std::int64_t>([this] { return obj_->ContentLength(); }), 777);
  auto reqs = server_->requestsFor("/head");
  ASSERT_EQ(reqs.size(), 1);
  EXPECT_EQ(reqs[0].method, "HEAD");
  worker_.Run([this] { obj_->SetMethod(htom_Get); });
}

TEST_F(HttpObjectTest, FailuresBeforeAnAnswerAre404) {
  const quint16 closed = testsupport::freeLocalPort();
  struct {
    std::string url;
    std::string reason;
  } cases[] = {
      {"http://127.0.0.1:" + std::to_string(closed) + "/x", "连接被拒绝 (错误 #10061)"},
      {"http://unknown.test/x", "不能将主机名分解成 IP 地址"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Fetch(c.url), 0);
    EXPECT_EQ(Status(), 404) << c.url;
    EXPECT_EQ(Reason(), c.reason) << c.url;
    EXPECT_TRUE(LastSuccess()) << c.url;  // the owner judges by the status
  }
}

// An aborted fetch never reports: the next fetch on the same slot is the only
// one heard from.
TEST_F(HttpObjectTest, AbortReportsNothingAndTheSlotIsReusable) {
  worker_.Run([&] {
    obj_->SetURL(Url("/slow"));
    EXPECT_EQ(obj_->InitiateProcess(), 0);
    obj_->AbortProcess();
    EXPECT_TRUE(obj_->IsReady());
  });
  Fetch(Url("/ok"));
  EXPECT_EQ(reports_.size(), 1u);
  EXPECT_EQ(Data(), "fine");
  // Aborting while the body arrives is just as silent.
  Signal abortedInBody;
  bool abortedOnce = false;  // touched in the worker only
  worker_.Run([&] {
    obj_->OnReceiveData = [&](int, std::int64_t) {
      if (abortedOnce) return;
      abortedOnce = true;
      obj_->AbortProcess();
      abortedInBody.Notify();
    };
    obj_->SetURL(Url("/big"));
    obj_->InitiateProcess();
  });
  ASSERT_TRUE(abortedInBody.WaitFor(1));
  Fetch(Url("/ok"));
  EXPECT_EQ(reports_.size(), 2u);
  EXPECT_EQ(Data(), "fine");
}

TEST_F(HttpObjectTest, StartFailureStillReportsAndLeavesTheSlotUsable) {
  int result = Fetch("http:///nohost");
  EXPECT_EQ(result, 2);
  EXPECT_FALSE(LastSuccess());
  EXPECT_EQ(Status(), 404);
  Fetch(Url("/ok"));
  EXPECT_EQ(reports_.size(), 2u);
  EXPECT_TRUE(LastSuccess());
  EXPECT_EQ(Data(), "fine");
}

TEST_F(HttpObjectTest, BodyOverTheLimitFails) {
  Fetch(Url("/big"), [](THTTPObject& o) { o.SetMaxBodySize(50000); });
  EXPECT_FALSE(LastSuccess());
  worker_.Run([&] { obj_->SetMaxBodySize(THTTPObject::kDefaultMaxBodySize); });
  Fetch(Url("/big"));
  EXPECT_TRUE(LastSuccess());
  EXPECT_EQ(Data(), Generated(100000));
}

TEST_F(HttpObjectTest, ReportMayStartTheNextFetch) {
  int starts = 0;
  worker_.Run([&] {
    obj_->OnTransferResults = [this, &starts](int tid, bool success) {
      reports_.push_back({tid, success});
      if (++starts == 1) {
        obj_->SetURL(Url("/ok"));
        obj_->InitiateProcess();
      }
      reported_.Notify();
    };
  });
  int before = reported_.Count();
  worker_.Run([&] {
    obj_->SetURL(Url("/cut"));
    obj_->InitiateProcess();
  });
  ASSERT_TRUE(reported_.WaitFor(before + 2));
  EXPECT_EQ(Data(), "fine");
  EXPECT_EQ(reports_.size(), 2u);
}

}  // namespace
}  // namespace trawlonix
