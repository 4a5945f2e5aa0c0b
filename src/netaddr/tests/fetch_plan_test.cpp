#include "netaddr/fetch_plan.h"

#include <gtest/gtest.h>

#include <cmath>

namespace netaddr {
namespace {

FetchPlan Plan(const std::string& url, int method = 0, bool cookies = false,
               const std::string& extra = "", bool noRedirect = false,
               std::optional<std::string> proxy = std::nullopt,
               std::optional<double> timeout = std::nullopt) {
  return PlanFetch(url, method, cookies, extra, noRedirect, proxy, timeout);
}

TEST(FetchPlan, DefaultsForThePlainEchoPage) {
  const FetchPlan p = Plan("http://echo.example/ic.asp");
  EXPECT_EQ(p.verb, "GET");
  EXPECT_FALSE(p.secure);
  EXPECT_EQ(p.agent, kDefaultUserAgent);
  EXPECT_FALSE(p.useProxy);
  EXPECT_EQ(p.host, "echo.example");
  EXPECT_EQ(p.port, 80);
  EXPECT_EQ(p.path, "/ic.asp");
  EXPECT_EQ(p.flags, 0x80004010u);
  EXPECT_EQ(p.timeoutMs, 15000u);
}

TEST(FetchPlan, FlagsFollowTheOptions) {
  struct Case {
    std::string url;
    bool cookies, noRedirect;
    std::uint32_t want;
  };
  const Case cases[] = {
      {"https://myhost:81/x?y=1", false, false, 0x80800010u},
      {"http://h/", true, false, 0x80084010u},
      {"http://h/", false, true, 0x80204010u},
      {"https://h/", true, true, 0x80a80010u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(Plan(c.url, 0, c.cookies, "", c.noRedirect).flags, c.want);
  }
}

TEST(FetchPlan, VerbAndProxyList) {
  EXPECT_EQ(Plan("h/", 1).verb, "POST");
  EXPECT_EQ(Plan("h/", 2).verb, "GET");
  EXPECT_EQ(Plan("h/", -1).verb, "GET");
  const FetchPlan plain = Plan("http://h/", 0, false, "", false, std::string("127.0.0.1:8888"));
  EXPECT_TRUE(plain.useProxy);
  EXPECT_EQ(plain.proxyList, "http=127.0.0.1:8888");
  const FetchPlan secure = Plan("https://h/", 0, false, "", false, std::string("p:1"));
  EXPECT_EQ(secure.proxyList, "p:1");
  const FetchPlan empty = Plan("http://h/", 0, false, "", false, std::string());
  EXPECT_TRUE(empty.useProxy);  // supplied, even empty
}

TEST(FetchPlan, UserAgentFromExtraHeaders) {
  struct Case {
    std::string extra, want;
  };
  const Case cases[] = {
      {"User-Agent: X", "X"},
      {"User-Agent:  Tool/1.0 \r\nAccept: a", "Tool/1.0"},
      {"Accept: a\r\nuser-agent: Y\r\nX-A: b", "a\r\nuser-agent: Y\r\nX-A: b"},
      {"Referer: r", kDefaultUserAgent},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra);
    EXPECT_EQ(Plan("h/", 0, false, c.extra).agent, c.want);
  }
}

TEST(FetchPlan, TimeoutMilliseconds) {
  EXPECT_EQ(TimeoutMilliseconds(std::nullopt), 15000u);
  EXPECT_EQ(TimeoutMilliseconds(5.0), 5000u);
  EXPECT_EQ(TimeoutMilliseconds(1.2345), 1234u);
  EXPECT_EQ(TimeoutMilliseconds(-3.0), 0u);
  EXPECT_EQ(TimeoutMilliseconds(std::nan("")), 0u);
  EXPECT_EQ(TimeoutMilliseconds(1e12), 0xFFFFFFFFu);
}

TEST(FetchPlan, HeaderBlock) {
  struct Case {
    std::string extra, cookies, want;
  };
  const Case cases[] = {
      {"", "", "Accept: */*\r\nAccept-Language: zh-cn"},
      {"Accept-Language: en", "", "Accept-Language: en\r\nAccept: */*"},
      {"User-Agent: X", "", "User-Agent: X\r\nAccept: */*\r\nAccept-Language: zh-cn"},
      {"Accept: text/html", "a=1; b=2",
       "Accept: text/html\r\nAccept-Language: zh-cn\r\nCookie: a=1; b=2"},
      {"accept: x", "", "accept: x\r\nAccept: */*\r\nAccept-Language: zh-cn"},  // exact case
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra);
    EXPECT_EQ(BuildHeaderBlock(c.extra, c.cookies), c.want);
  }
}

TEST(FetchPlan, CookiesFromResponseHeaders) {
  const std::string raw =
      "HTTP/1.1 200 OK\r\nset-cookie: a=1; path=/\r\nSET-COOKIE:b=2\r\n"
      "Content-Type: text/html\r\nSet-Cookie:  c=3 ;HttpOnly\r\n\r\n";
  const std::string headers = NormalizeSetCookie(raw);
  EXPECT_EQ(headers,
            "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie:b=2\r\n"
            "Content-Type: text/html\r\nSet-Cookie:  c=3 ;HttpOnly\r\n\r\n");
  EXPECT_EQ(CollectCookies(headers), "a=1; b=2; c=3");
  EXPECT_EQ(CollectCookies("HTTP/1.1 200 OK\r\n\r\n"), "");
  EXPECT_EQ(CollectCookies(""), "");
}

}  // namespace
}  // namespace netaddr
