#include <gtest/gtest.h>

#include "netaddr/cookies.h"
#include "netaddr/url.h"

namespace netaddr {
namespace {

TEST(Url, HostPortAndPathOfEachForm) {
  struct Case {
    std::string url, host, hostWithPort;
    int port;
    std::string path;
  };
  const Case cases[] = {
      {"http://Example.COM/ic.asp", "example.com", "example.com", 80, "/ic.asp"},
      {"myhost/a", "myhost", "myhost", 80, "/a"},
      {"https://myhost:81/x?y=1", "myhost", "myhost:81", 81, "/x?y=1"},
      {"https://myhost/x", "myhost", "myhost", 443, "/x"},
      {"HTTPS://myhost", "myhost", "myhost", 443, "/"},
      {"http://host", "host", "host", 80, "/"},
      {"http://host/", "host", "host", 80, "/"},
      {"http://h:8080/A/B?Q=C", "h", "h:8080", 8080, "/A/B?Q=C"},  // path keeps its case
      {"127.0.0.1:5000/p", "127.0.0.1", "127.0.0.1:5000", 5000, "/p"},
      {"http://h:/x", "h", "h:", 0, "/x"},
      {"http://h:abc/x", "h", "h:abc", 0, "/x"},
      {"http://h:12ab/x", "h", "h:12ab", 12, "/x"},
      {"http://h:99999/x", "h", "h:99999", 65536, "/x"},  // beyond ports: names none
      {"http://tp/x", "tp", "tp", 80, "/x"},
      {"https://s/x", "s", "s", 443, "/x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(UrlHost(c.url, false), c.host);
    EXPECT_EQ(UrlHost(c.url, true), c.hostWithPort);
    EXPECT_EQ(UrlPort(c.url), c.port);
    EXPECT_EQ(UrlPath(c.url), c.path);
  }
}

TEST(Url, FullWidthDigitsInPortCount) {
  // ８０８１ in GBK: A3 B8 A3 B0 A3 B8 A3 B1
  EXPECT_EQ(UrlPort("http://h:\xA3\xB8\xA3\xB0\xA3\xB8\xA3\xB1/x"), 8081);
  // Mixed with ASCII digits, then a non-digit ends the number.
  EXPECT_EQ(UrlPort("http://h:8\xA3\xB0z/x"), 80);
  // A3 BA is the full-width colon, not a digit.
  EXPECT_EQ(UrlPort("http://h:\xA3\xBA" "1/x"), 0);
}

TEST(Cookies, NameOfPiece) {
  EXPECT_EQ(CookieName(" sid =abc=d"), "sid");
  EXPECT_EQ(CookieName("flag"), "flag");
  EXPECT_EQ(CookieName("=v"), "");
}

TEST(Cookies, UniqueJoinKeepsFirstOccurrences) {
  EXPECT_EQ(UniqueJoin("a=1; b=2; a=1; c=3; b=2", "; "), "a=1; b=2; c=3");
  EXPECT_EQ(UniqueJoin("a=1; A=1", "; "), "a=1; A=1");  // byte for byte
  EXPECT_EQ(UniqueJoin("", "; "), "");
  EXPECT_EQ(UniqueJoin("x", "; "), "x");
}

TEST(Cookies, MergeExamples) {
  struct Case {
    std::string cookies, fresh, wantCookies, wantFresh;
  };
  const Case cases[] = {
      // The response resets a and deletes c.
      {"a=1; c=3", "a=9; c=deleted", "a=9", "a=9;c=deleted"},
      // New cookies first, then old ones the response did not name.
      {"a=1; b=2", "c=3", "c=3; a=1; b=2", "c=3"},
      // Supplied but empty: only what the response set.
      {"", "s=1; t=2", "s=1; t=2", "s=1;t=2"},
      {"a=1", "", "a=1", ""},
      {"a=1; a=1", "", "a=1", ""},
      // Blanks go, full-width ones too.
      {"a = 1;\xA1\xA1" "b=2", "", "a=1; b=2", ""},
      // The first old piece of a name wins over a later one.
      {"a=1; a=2", "", "a=1", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cookies + " + " + c.fresh);
    std::string cookies = c.cookies;
    std::string fresh = c.fresh;
    MergeCookies(cookies, fresh);
    EXPECT_EQ(cookies, c.wantCookies);
    EXPECT_EQ(fresh, c.wantFresh);
  }
}

}  // namespace
}  // namespace netaddr
