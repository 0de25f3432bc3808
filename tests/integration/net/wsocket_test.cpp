// The socket layer's lookups and error texts, and the client's URL splitting,
// date and Base64 helpers.
#include <gtest/gtest.h>
#include <QDate>
#include <QTime>
#include <cerrno>

#include "NetHarness.h"
#include "net/HttpProt.h"
#include "net/WSocket.h"

namespace trawlonix {
namespace {

using nettest::ResolverGuard;
using nettest::Signal;
using nettest::WorkerThread;

TEST(WSocketErrors, QuotedTextsAndDefault) {
  const std::pair<int, const char*> cases[] = {
      {0, "无错误"},
      {10004, "打断的系统呼叫"},
      {10022, "无效的参数"},
      {10035, "操作将锁定"},
      {10053, "连接中断"},
      {10054, "链接被同位体重置"},
      {10055, "没有缓冲空间可用"},
      {10057, "套接字没有连接上"},
      {10060, "连接暂停了"},
      {10061, "连接被拒绝"},
      {10064, "主机已关机"},
      {10065, "没有路线到主机"},
      {10093, "WinSock 没有初始化"},
      {11001, "没有找到主机"},
      {11002, "没有找到非权威的主机"},
      {11004, "无数据"},
      {1, "不是 WinSock 错误"},
      {10000, "不是 WinSock 错误"},
  };
  for (const auto& [code, text] : cases)
    EXPECT_EQ(WSocketErrorDesc(code), text) << code;
  // Every code of the table has a text of its own.
  const int table[] = {0,     10004, 10009, 10013, 10014, 10022, 10024, 10035, 10036, 10037, 10038,
                       10039, 10040, 10041, 10042, 10043, 10044, 10045, 10046, 10047, 10048, 10049,
                       10050, 10051, 10052, 10053, 10054, 10055, 10056, 10057, 10058, 10059, 10060,
                       10061, 10062, 10063, 10064, 10065, 10066, 10067, 10068, 10069, 10070, 10071,
                       10091, 10092, 10093, 11001, 11002, 11003, 11004};
  static_assert(sizeof table / sizeof table[0] == 51);
  for (int code : table)
    EXPECT_NE(WSocketErrorDesc(code), "不是 WinSock 错误") << code;
}

TEST(WSocketErrors, ErrnoMapping) {
  EXPECT_EQ(ErrnoToWSocketError(0), 0);
  EXPECT_EQ(ErrnoToWSocketError(ECONNREFUSED), 10061);
  EXPECT_EQ(ErrnoToWSocketError(ETIMEDOUT), 10060);
  EXPECT_EQ(ErrnoToWSocketError(ECONNRESET), 10054);
  EXPECT_EQ(ErrnoToWSocketError(EHOSTUNREACH), 10065);
  EXPECT_EQ(ErrnoToWSocketError(ENETUNREACH), 10051);
  EXPECT_EQ(ErrnoToWSocketError(EWOULDBLOCK), 10035);
  EXPECT_EQ(ErrnoToWSocketError(EPIPE), 10053);
  // An errno without a counterpart never reads as one of the numbered errors.
  for (int err : {EDEADLK, ENODATA, EBADR, ENOSTR, ENOSYS, EXFULL, ENOENT}) {
    EXPECT_EQ(WSocketErrorDesc(ErrnoToWSocketError(err)), "不是 WinSock 错误") << err;
    EXPECT_NE(ErrnoToWSocketError(err), 0) << err;
  }
}

class WSocketLookup : public ::testing::Test {
 protected:
  ResolverGuard resolver_;
  WorkerThread worker_;
};

TEST_F(WSocketLookup, EmptyDottedAndResolvedNames) {
  Signal done;
  std::vector<std::pair<std::uint16_t, std::string>> results;
  TWSocket* s = nullptr;
  resolver_.fake->Set("site.test", "127.0.0.5");
  worker_.Run([&] {
    s = new TWSocket(worker_.Context());
    s->OnDnsLookupDone = [&](TWSocket& sock, std::uint16_t e) {
      results.push_back({e, sock.DnsResult()});
      done.Notify();
    };
    try {
      s->LookupHost("");
      ADD_FAILURE() << "empty name accepted";
    } catch (const ESocketException& e) {
      EXPECT_EQ(e.Code(), 10022);
      EXPECT_NE(std::string(e.what()).find("DNS 搜寻: 无效的主机名。"), std::string::npos);
    }
    s->LookupHost("127.0.0.9");  // completes inside the call
    EXPECT_EQ(results.size(), 1u);
    s->LookupHost("site.test");
    EXPECT_EQ(results.size(), 1u);  // not before the call returned
  });
  ASSERT_TRUE(done.WaitFor(2));
  worker_.Run([&] { s->LookupHost("unknown.test"); });
  ASSERT_TRUE(done.WaitFor(3));
  worker_.Run([&] {
    s->LookupHost("hang");
    s->CancelLookup();
  });
  ASSERT_EQ(results.size(), 4u);
  EXPECT_EQ(results[0], std::make_pair(std::uint16_t{0}, std::string("127.0.0.9")));
  EXPECT_EQ(results[1], std::make_pair(std::uint16_t{0}, std::string("127.0.0.5")));
  EXPECT_EQ(results[2].first, 11001);
  EXPECT_EQ(results[3].first, 10004);
}

TEST_F(WSocketLookup, SendWhileNotConnectedRaises) {
  worker_.Run([&] {
    TWSocket s;
    try {
      s.Send("x", 1);
      ADD_FAILURE() << "send accepted";
    } catch (const ESocketException& e) {
      EXPECT_EQ(e.Code(), 10057);
      EXPECT_EQ(std::string(e.what()), "错误 10057 在函数 Send\r\n套接字没有连接上");
    }
    EXPECT_EQ(s.State(), wsClosed);
  });
}

TEST(ParseHttpURL, Splits) {
  struct {
    const char* text;
    THttpURLParts want;
  } cases[] = {
      {"", {}},
      {"http://host:8080/a/b.html?x=1", {"http", "", "", "host", "8080", "/a/b.html?x=1"}},
      {"http://user:pw@host/p", {"http", "user", "pw", "host", "", "/p"}},
      {"http://user@host:81", {"http", "user", "", "host", "81", ""}},
      {"ftp://h", {"ftp", "", "", "h", "", ""}},
      {"/only/path", {"http", "", "", "", "", "/only/path"}},
      {"HTTP:/rel", {"http", "", "", "", "", "/rel"}},
      {"proxy:3128", {"", "", "", "proxy", "3128", ""}},
      {"mailto:a@b.c", {"mailto", "a", "", "b.c", "", ""}},
      {"new.html", {"", "", "", "new.html", "", ""}},
  };
  for (const auto& c : cases) {
    THttpURLParts p = ParseHttpURL(c.text);
    EXPECT_EQ(p.Scheme, c.want.Scheme) << c.text;
    EXPECT_EQ(p.User, c.want.User) << c.text;
    EXPECT_EQ(p.Password, c.want.Password) << c.text;
    EXPECT_EQ(p.Host, c.want.Host) << c.text;
    EXPECT_EQ(p.Port, c.want.Port) << c.text;
    EXPECT_EQ(p.Path, c.want.Path) << c.text;
  }
}

TEST(HttpHelpers, DateAndBase64) {
  EXPECT_EQ(HttpDate(QDateTime(QDate(2026, 12, 7), QTime(9, 30, 0), Qt::UTC)),
            "Mon, 07 Dec 2026 09:30:00");
  EXPECT_EQ(HttpDate(QDateTime(QDate(2000, 2, 29), QTime(23, 5, 9), Qt::UTC)),
            "Tue, 29 Feb 2000 23:05:09");
  // A local time goes out as the same instant in GMT.
  QDateTime shanghai(QDate(2026, 12, 7), QTime(17, 30, 0), Qt::OffsetFromUTC, 8 * 3600);
  EXPECT_EQ(HttpDate(shanghai), "Mon, 07 Dec 2026 09:30:00");
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("f"), "Zg==");
  EXPECT_EQ(Base64Encode("fo"), "Zm8=");
  EXPECT_EQ(Base64Encode("foo"), "Zm9v");
  EXPECT_EQ(Base64Encode("user:pw"), "dXNlcjpwdw==");
  EXPECT_EQ(Base64Encode("\xff\xfe"), "//4=");
}

}  // namespace
}  // namespace trawlonix
