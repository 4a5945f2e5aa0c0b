// The parts of a fetch that need no network: what to ask WinInet for, the
// header block to send, and what to make of the response headers. The
// Windows adapter (http_fetch_win.cpp) only carries these out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace netaddr {

inline constexpr const char* kDefaultUserAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
inline constexpr std::uint32_t kDefaultTimeoutMs = 15000;

// Request flag values as WinInet defines them.
inline constexpr std::uint32_t kFlagReload = 0x80000000u;
inline constexpr std::uint32_t kFlagNeedFile = 0x10u;
inline constexpr std::uint32_t kFlagNoCookies = 0x80000u;
inline constexpr std::uint32_t kFlagNoAutoRedirect = 0x200000u;
inline constexpr std::uint32_t kFlagSecure = 0x800000u;
inline constexpr std::uint32_t kFlagIgnoreRedirectToHttps = 0x4000u;

struct FetchPlan {
  std::uint32_t timeoutMs = kDefaultTimeoutMs;
  std::string verb;
  bool secure = false;
  std::string agent;
  bool useProxy = false;
  std::string proxyList;  // only with useProxy
  std::string host;       // for the connection, without port
  int port = 80;
  std::string path;
  std::uint32_t flags = 0;
};

// Steps 1 to 9 of a fetch, as values. `extraHeaders` are the caller's lines
// before the header block is built.
FetchPlan PlanFetch(const std::string& url, int method, bool cookiesSupplied,
                    const std::string& extraHeaders, bool noRedirect,
                    const std::optional<std::string>& proxy,
                    const std::optional<double>& timeoutSeconds);

// The time-out in milliseconds: seconds times 1000, truncated; 15000 when
// omitted; negative or not-a-number values give 0 and huge ones saturate.
std::uint32_t TimeoutMilliseconds(const std::optional<double>& timeoutSeconds);

// The header block sent: the caller's lines, then "Accept: */*" and
// "Accept-Language: zh-cn" unless present, then the Cookie line when the
// cookie text is not empty.
std::string BuildHeaderBlock(const std::string& extraHeaders, const std::string& cookies);

// Every "Set-Cookie" in any letter case rewritten as "Set-Cookie".
std::string NormalizeSetCookie(const std::string& rawHeaders);

// The "name=value" pairs the Set-Cookie lines of the headers carry, joined by "; ".
std::string CollectCookies(const std::string& headers);

}  // namespace netaddr
