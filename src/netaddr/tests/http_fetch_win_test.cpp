// What HttpFetch really sends and receives, against the loopback server
// fetch_server.py (started by the ctest fixture netaddr_fetch_server).
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>

#include "netaddr/addresses.h"
#include "netaddr/http_fetch.h"

namespace netaddr {
namespace {

using Clock = std::chrono::steady_clock;

std::map<std::string, int> ServerPorts() {
  std::map<std::string, int> ports;
  std::ifstream in(std::string("Z:") + NETADDR_SERVER_DIR + "/ports");
  std::string line;
  while (std::getline(in, line)) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) ports[line.substr(0, eq)] = std::stoi(line.substr(eq + 1));
  }
  return ports;
}

class HttpFetchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ports_ = ServerPorts();
    ASSERT_EQ(ports_.size(), 3u) << "the loopback server (fixture netaddr_fetch_server) is not up";
  }
  std::string Url(const char* role, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(ports_[role]) + path;
  }
  std::map<std::string, int> ports_;
};

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The request the server received, split into its head and its body.
struct Received {
  std::string requestLine, head, body;
};
Received Parse(const std::string& echoed) {
  Received r;
  const size_t headEnd = echoed.find("\r\n\r\n");
  r.head = echoed.substr(0, headEnd == std::string::npos ? echoed.size() : headEnd + 2);
  if (headEnd != std::string::npos) r.body = echoed.substr(headEnd + 4);
  r.requestLine = echoed.substr(0, echoed.find("\r\n"));
  return r;
}

TEST_F(HttpFetchTest, DefaultGetSendsTheFixedHeaderBlockAndAgent) {
  std::string extra;
  HttpFetchOptions o;
  o.extraHeaders = &extra;
  const Received r = Parse(HttpFetch(Url("main", "/echo?q=1"), o));
  EXPECT_EQ(r.requestLine, "GET /echo?q=1 HTTP/1.1");
  EXPECT_NE(r.head.find("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n"),
            std::string::npos) << r.head;
  EXPECT_NE(r.head.find("\r\nAccept: */*\r\n"), std::string::npos) << r.head;
  EXPECT_NE(r.head.find("\r\nAccept-Language: zh-cn\r\n"), std::string::npos) << r.head;
  EXPECT_EQ(r.head.find("Cookie:"), std::string::npos) << r.head;
  EXPECT_EQ(r.body, "");
  EXPECT_EQ(extra, "Accept: */*\r\nAccept-Language: zh-cn");
}

TEST_F(HttpFetchTest, BodiesForEachMethod) {
  struct Case {
    int method;
    std::string postText, postBytes, wantLine, wantBody, wantBytesAfter;
  };
  const Case cases[] = {
      {1, "a=1&b=2", "", "POST /form HTTP/1.1", "a=1&b=2", "a=1&b=2"},
      {1, "ignored", std::string("raw\0bytes", 9), "POST /form HTTP/1.1",
       std::string("raw\0bytes", 9), std::string("raw\0bytes", 9)},
      {2, "q=5", "", "GET /form HTTP/1.1", "q=5", "q=5"},
      {0, "not sent", "", "GET /form HTTP/1.1", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    std::string bytes = c.postBytes;
    HttpFetchOptions o;
    o.method = c.method;
    o.postText = c.postText;
    o.postBytes = &bytes;
    const Received r = Parse(HttpFetch(Url("main", "/form"), o));
    EXPECT_EQ(r.requestLine, c.wantLine);
    EXPECT_EQ(r.body, c.wantBody);
    EXPECT_EQ(bytes, c.wantBytesAfter);
    if (!c.wantBody.empty()) {
      EXPECT_NE(r.head.find("Content-Length: " + std::to_string(c.wantBody.size()) + "\r\n"),
                std::string::npos) << r.head;
    }
  }
}

TEST_F(HttpFetchTest, UserAgentComesFromTheExtraHeaders) {
  std::string extra = "User-Agent: X\r\nX-Test: 1";
  HttpFetchOptions o;
  o.extraHeaders = &extra;
  const Received r = Parse(HttpFetch(Url("main", "/ua"), o));
  EXPECT_NE(r.head.find("User-Agent: X\r\n"), std::string::npos) << r.head;
  EXPECT_EQ(r.head.find("MSIE"), std::string::npos) << r.head;
  EXPECT_NE(r.head.find("X-Test: 1\r\n"), std::string::npos) << r.head;
  EXPECT_EQ(extra, "User-Agent: X\r\nX-Test: 1\r\nAccept: */*\r\nAccept-Language: zh-cn");
}

TEST_F(HttpFetchTest, SuppliedCookiesAreSentAndMergedWithTheResponse) {
  std::string cookies = "a=1; c=3";
  std::string returned = "stale";
  std::string headers;
  HttpFetchOptions o;
  o.cookies = &cookies;
  o.returnedCookies = &returned;
  o.returnedHeaders = &headers;
  const Received r = Parse(HttpFetch(Url("main", "/cookies"), o));
  EXPECT_NE(r.head.find("\r\nCookie: a=1; c=3\r\n"), std::string::npos) << r.head;
  EXPECT_EQ(cookies, "a=9");
  EXPECT_EQ(returned, "a=9;c=deleted");
  EXPECT_NE(headers.find("Set-Cookie: a=9; path=/\r\n"), std::string::npos) << headers;
  EXPECT_NE(headers.find("Set-Cookie: c=deleted\r\n"), std::string::npos) << headers;
  EXPECT_EQ(headers.substr(0, 15), "HTTP/1.1 200 OK");
}

TEST_F(HttpFetchTest, EmptyOrOmittedCookies) {
  {
    SCOPED_TRACE("supplied, empty");
    std::string cookies;
    HttpFetchOptions o;
    o.cookies = &cookies;
    const Received r = Parse(HttpFetch(Url("main", "/cookies"), o));
    EXPECT_EQ(r.head.find("Cookie:"), std::string::npos) << r.head;
    EXPECT_EQ(cookies, "a=9");
  }
  {
    SCOPED_TRACE("omitted");
    std::string returned;
    HttpFetchOptions o;
    o.returnedCookies = &returned;
    HttpFetch(Url("main", "/cookies"), o);
    EXPECT_EQ(returned, "a=9; c=deleted");
  }
}

TEST_F(HttpFetchTest, RedirectsFollowedUnlessSwitchedOff) {
  EXPECT_EQ(Parse(HttpFetch(Url("main", "/redirect"))).requestLine, "GET /landed HTTP/1.1");
  HttpFetchOptions o;
  o.noRedirect = true;
  EXPECT_EQ(HttpFetch(Url("main", "/redirect"), o), "moved");
}

TEST_F(HttpFetchTest, ProxyReceivesTheAbsoluteUrl) {
  // The target name never resolves: only the proxy is contacted.
  HttpFetchOptions o;
  o.proxy = "127.0.0.1:" + std::to_string(ports_["main"]);
  o.timeoutSeconds = 5;
  const Received r = Parse(HttpFetch("http://proxied.invalid/p?x=1", o));
  // Some WinInet builds name the default port in the absolute URL.
  EXPECT_TRUE(r.requestLine == "GET http://proxied.invalid/p?x=1 HTTP/1.1" ||
              r.requestLine == "GET http://proxied.invalid:80/p?x=1 HTTP/1.1")
      << r.requestLine;
}

TEST_F(HttpFetchTest, ServerThatNeverAnswersCostsTheTimeout) {
  std::string headers = "untouched";
  HttpFetchOptions o;
  o.timeoutSeconds = 2;
  o.returnedHeaders = &headers;
  const auto start = Clock::now();
  EXPECT_EQ(HttpFetch(Url("hang", "/x"), o), "");
  const double took = SecondsSince(start);
  EXPECT_GE(took, 1.5);
  EXPECT_LT(took, 8.0) << "the 2 s time-out was not applied";
  EXPECT_EQ(headers.find(':'), std::string::npos) << headers;  // no header lines
}

TEST_F(HttpFetchTest, UnreachableTargetsFailWithinTheTimeout) {
  // A loopback port nobody listens on: bound, noted and released.
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  int length = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
  const int unused = ntohs(a.sin_port);
  closesocket(s);
  WSACleanup();

  const std::string urls[] = {"http://127.0.0.1:" + std::to_string(unused) + "/x",
                              "http://nohost.invalid/ic.asp", "http://127.0.0.1:99999/x"};
  for (const std::string& url : urls) {
    SCOPED_TRACE(url);
    HttpFetchOptions o;
    o.timeoutSeconds = 2;
    const auto start = Clock::now();
    EXPECT_EQ(HttpFetch(url, o), "");
    EXPECT_LT(SecondsSince(start), 4.0);
  }
}

class EchoHostOverride : public HttpFetchTest {
 protected:
  void TearDown() override { SetEnvironmentVariableA(kEchoHostVariable, nullptr); }
  void Point(const std::string& value) { SetEnvironmentVariableA(kEchoHostVariable, value.c_str()); }
};

TEST_F(EchoHostOverride, PublicAddressFromTheEchoPage) {
  Point("127.0.0.1:" + std::to_string(ports_["main"]));
  EXPECT_EQ(FetchPublicAddress(), "1.2.3.4");
  EXPECT_EQ(PublicAddressCaption(FetchPublicAddress()), "\xCD\xE2\xCD\xF8IP\xA3\xBA" "1.2.3.4");
}

TEST_F(EchoHostOverride, NoAddressWithoutClosingBracketOrServer) {
  Point("127.0.0.1:" + std::to_string(ports_["noclose"]));
  EXPECT_EQ(FetchPublicAddress(), "");
  Point("nohost.invalid");
  EXPECT_EQ(FetchPublicAddress(), "");
  Point("not a host/");
  EXPECT_EQ(FetchPublicAddress(), "");
}

TEST(LocalAddresses, AtMostTenDottedAddresses) {
  const std::vector<std::string> addresses = LocalAddressList();
  EXPECT_LE(addresses.size(), kMaxLocalAddresses);
  for (const std::string& address : addresses) {
    SCOPED_TRACE(address);
    EXPECT_NE(inet_addr(address.c_str()), INADDR_NONE);
  }
}

}  // namespace
}  // namespace netaddr
