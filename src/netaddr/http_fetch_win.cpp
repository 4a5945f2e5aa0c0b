// HttpFetch over WinInet. The decisions (agent, proxy, flags, header block,
// cookie handling) are made by the portable code in fetch_plan.cpp; this file
// carries them out with the WinInet calls and closes every handle it opened.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <new>

#include "netaddr/cookies.h"
#include "netaddr/fetch_plan.h"
#include "netaddr/http_fetch.h"
#include "netaddr/resolve_guard.h"
#include "netaddr/url.h"

static_assert(netaddr::kFlagReload == INTERNET_FLAG_RELOAD);
static_assert(netaddr::kFlagNeedFile == INTERNET_FLAG_NEED_FILE);
static_assert(netaddr::kFlagNoCookies == INTERNET_FLAG_NO_COOKIES);
static_assert(netaddr::kFlagNoAutoRedirect == INTERNET_FLAG_NO_AUTO_REDIRECT);
static_assert(netaddr::kFlagSecure == INTERNET_FLAG_SECURE);
static_assert(netaddr::kFlagIgnoreRedirectToHttps == INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS);

namespace netaddr {
namespace {

constexpr DWORD kReadChunk = 1024;
constexpr DWORD kHeaderBuffer = 5000;

// The system resolver, as WinInet will use it for the same name.
bool SystemResolves(const std::string& host) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  const bool found = getaddrinfo(host.c_str(), nullptr, &hints, &result) == 0 && result != nullptr;
  if (result != nullptr) freeaddrinfo(result);
  WSACleanup();
  return found;
}

// The name the request's first network step resolves: the proxy's host when
// a proxy is used, else the server's. Empty when the proxy text is a list in
// WinInet's own syntax, which is left to WinInet.
std::string NameToResolve(const FetchPlan& plan, const std::optional<std::string>& proxy) {
  if (!plan.useProxy) return plan.host;
  const std::string host = UrlHost(*proxy, false);
  for (const char c : host) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
                    c == '[' || c == ']';
    if (!ok) return {};
  }
  return host;
}

void SetTimeouts(HINTERNET handle, DWORD ms) {
  // Each network step gets the same bound. Set on every handle of the
  // request: handles take these values from their parent when they are
  // created, but not every WinInet passes all three on.
  DWORD value = ms;
  InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &value, sizeof value);
  InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &value, sizeof value);
  InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, sizeof value);
}

std::string Fetch(const std::string& url, const HttpFetchOptions& o) {
  const std::string extra = o.extraHeaders ? *o.extraHeaders : std::string();
  const FetchPlan plan =
      PlanFetch(url, o.method, o.cookies != nullptr, extra, o.noRedirect, o.proxy, o.timeoutSeconds);
  // WinInet takes a 16-bit port: a larger number would silently name another one.
  if (plan.port < 0 || plan.port > 65535) return {};

  HINTERNET internet =
      plan.useProxy
          ? InternetOpenA(plan.agent.c_str(), INTERNET_OPEN_TYPE_PROXY, plan.proxyList.c_str(), "", 0)
          : InternetOpenA(plan.agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (internet == nullptr) return {};
  SetTimeouts(internet, plan.timeoutMs);

  HINTERNET connection =
      InternetConnectA(internet, plan.host.c_str(), static_cast<INTERNET_PORT>(plan.port), nullptr,
                       nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  if (connection == nullptr) {
    InternetCloseHandle(internet);
    return {};
  }
  SetTimeouts(connection, plan.timeoutMs);

  HINTERNET request = HttpOpenRequestA(connection, plan.verb.c_str(), plan.path.c_str(), "HTTP/1.1",
                                       nullptr, nullptr, plan.flags, 0);
  if (request == nullptr) {
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
    return {};
  }
  SetTimeouts(request, plan.timeoutMs);

  const std::string block = BuildHeaderBlock(extra, o.cookies ? *o.cookies : std::string());
  if (o.extraHeaders) *o.extraHeaders = block;

  std::string localBody;
  std::string& body = o.postBytes ? *o.postBytes : localBody;
  if (o.method != 0 && body.empty()) body = o.postText;

  // The name is resolved before WinInet does it, within the time-out; a name
  // that does not resolve in time fails the request as a failed send would.
  const std::string name = NameToResolve(plan, o.proxy);
  const bool reachable =
      name.empty() || ResolveWithin(name, std::chrono::milliseconds(plan.timeoutMs),
                                    SystemResolves) == ResolveOutcome::kResolved;
  if (reachable) {
    if (o.method != 0) {
      HttpSendRequestA(request, block.c_str(), static_cast<DWORD>(block.size()), body.data(),
                       static_cast<DWORD>(body.size()));
    } else {
      HttpSendRequestA(request, block.c_str(), static_cast<DWORD>(block.size()), nullptr, 0);
    }
  }

  std::string result;
  if (reachable) {
    char chunk[kReadChunk];
    while (true) {
      DWORD got = 0;
      ZeroMemory(chunk, sizeof chunk);
      if (!InternetReadFile(request, chunk, kReadChunk, &got) || got == 0) break;
      result.append(chunk, got);
    }
  }

  std::string headers;
  if (reachable) {
    char raw[kHeaderBuffer];
    DWORD length = kHeaderBuffer;
    if (HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, raw, &length, nullptr) &&
        length < kHeaderBuffer) {
      headers.assign(raw, length);
    }
    headers = NormalizeSetCookie(headers);
  }

  InternetCloseHandle(request);
  InternetCloseHandle(connection);
  InternetCloseHandle(internet);

  std::string returned = CollectCookies(headers);
  if (o.cookies) MergeCookies(*o.cookies, returned);
  if (o.returnedCookies) *o.returnedCookies = returned;
  if (o.returnedHeaders) *o.returnedHeaders = headers;
  return result;
}

}  // namespace

std::string HttpFetch(const std::string& url, const HttpFetchOptions& options) {
  try {
    return Fetch(url, options);
  } catch (const std::bad_alloc&) {
    // A response too large to hold: treated like one that could not be read.
    return {};
  }
}

}  // namespace netaddr
