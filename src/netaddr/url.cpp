#include "netaddr/url.h"

#include "netaddr/text_search.h"

namespace netaddr {

std::string UrlHost(std::string_view url, bool keepPort) {
  std::string text = LowerText(url);
  if (text.empty() || text.back() != '/') text.push_back('/');
  std::string host;
  if (text.compare(0, 8, "https://") == 0) {
    host = TextBetween(text, "https://", "/");
  } else {
    if (!ContainsText(text, "http://")) text.insert(0, "http://");
    host = TextBetween(text, "http://", "/");
  }
  if (!keepPort) {
    const int colon = FindText(host, ":");
    if (colon != -1) host.resize(static_cast<std::size_t>(colon - 1));
  }
  return host;
}

int UrlPort(std::string_view url) {
  const std::string host = UrlHost(url, true);
  const int colon = FindLastText(host, ":");
  if (colon == -1) return LowerText(LeftBytes(url, 5)) == "https" ? 443 : 80;
  constexpr int kBeyondPorts = 65536;
  int value = 0;
  std::size_t i = static_cast<std::size_t>(colon);  // the byte after the colon
  while (i < host.size()) {
    int digit = -1;
    const unsigned char c = static_cast<unsigned char>(host[i]);
    if (c >= '0' && c <= '9') {
      digit = c - '0';
      i += 1;
    } else if (c == 0xA3 && i + 1 < host.size() &&
               static_cast<unsigned char>(host[i + 1]) >= 0xB0 &&
               static_cast<unsigned char>(host[i + 1]) <= 0xB9) {
      digit = static_cast<unsigned char>(host[i + 1]) - 0xB0;  // full-width ０ to ９
      i += 2;
    } else {
      break;
    }
    value = value * 10 + digit;
    if (value >= kBeyondPorts) value = kBeyondPorts;
  }
  return value;
}

std::string UrlPath(std::string_view url) {
  // The host is looked for after the scheme: a host such as "h" or "tp"
  // would otherwise be found inside "http://" itself.
  const int scheme = FindText(LeftBytes(url, 8), "://");
  const int hostAt = FindText(url, UrlHost(url, false), scheme == -1 ? 1 : scheme + 3, true);
  const int slash = FindText(url, "/", hostAt);
  if (slash == -1) return "/";
  return std::string(url.substr(static_cast<std::size_t>(slash - 1)));
}

}  // namespace netaddr
