#include "netaddr/fetch_plan.h"

#include <cmath>

#include "netaddr/text_search.h"
#include "netaddr/url.h"

namespace netaddr {

std::uint32_t TimeoutMilliseconds(const std::optional<double>& timeoutSeconds) {
  if (!timeoutSeconds) return kDefaultTimeoutMs;
  const double ms = *timeoutSeconds * 1000.0;
  if (!(ms > 0.0)) return 0;  // negative or NaN
  if (ms >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<std::uint32_t>(ms);
}

FetchPlan PlanFetch(const std::string& url, int method, bool cookiesSupplied,
                    const std::string& extraHeaders, bool noRedirect,
                    const std::optional<std::string>& proxy,
                    const std::optional<double>& timeoutSeconds) {
  FetchPlan plan;
  plan.timeoutMs = TimeoutMilliseconds(timeoutSeconds);
  plan.verb = method == 1 ? "POST" : "GET";
  plan.secure = LowerText(LeftBytes(url, 5)) == "https";

  if (ContainsText(extraHeaders, "User-Agent:", true)) {
    plan.agent = TrimBlanks(TextBetween(extraHeaders, "User-Agent:", "\r\n"));
    if (plan.agent.empty()) {
      const int colon = FindText(extraHeaders, ":");
      plan.agent = TrimBlanks(std::string_view(extraHeaders).substr(static_cast<std::size_t>(colon)));
    }
  } else {
    plan.agent = kDefaultUserAgent;
  }

  if (proxy) {
    plan.useProxy = true;
    plan.proxyList = plan.secure ? *proxy : "http=" + *proxy;
  }

  plan.host = UrlHost(url, false);
  plan.port = UrlPort(url);
  plan.path = UrlPath(url);

  plan.flags = kFlagReload | kFlagNeedFile;
  if (cookiesSupplied) plan.flags |= kFlagNoCookies;
  if (noRedirect) plan.flags |= kFlagNoAutoRedirect;
  plan.flags |= plan.secure ? kFlagSecure : kFlagIgnoreRedirectToHttps;
  return plan;
}

std::string BuildHeaderBlock(const std::string& extraHeaders, const std::string& cookies) {
  std::string block = extraHeaders;
  if (block.empty()) {
    block = "Accept: */*";
  } else if (!ContainsText(block, "Accept:")) {
    block += "\r\nAccept: */*";
  }
  if (!ContainsText(block, "Accept-Language:")) block += "\r\nAccept-Language: zh-cn";
  if (!cookies.empty()) {
    block += "\r\nCookie: ";
    block += cookies;
  }
  return block;
}

std::string NormalizeSetCookie(const std::string& rawHeaders) {
  return ReplaceText(rawHeaders, "Set-Cookie", "Set-Cookie", true);
}

std::string CollectCookies(const std::string& headers) {
  std::string cookies;
  for (const std::string& line : SplitAt(headers, "\r\n")) {
    if (!ContainsText(line, "Set-Cookie")) continue;
    std::string value = ContainsText(line, ";") ? TextBetween(line, "Set-Cookie:", ";")
                                                : ReplaceText(line, "Set-Cookie:", "");
    cookies += TrimBlanks(value);
    cookies += "; ";
  }
  return LeftBytes(cookies, static_cast<long long>(cookies.size()) - 2);
}

}  // namespace netaddr
