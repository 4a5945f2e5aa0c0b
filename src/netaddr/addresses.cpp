#include "netaddr/addresses.h"

#include "netaddr/text_search.h"

namespace netaddr {
namespace {

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.';
}

}  // namespace

std::string EchoPageUrl(const std::optional<std::string>& overrideValue) {
  std::string value = overrideValue ? TrimBlanks(*overrideValue) : std::string();
  if (value.empty()) value = kDefaultEchoHost;
  const std::size_t colon = value.find(':');
  const std::string host = value.substr(0, colon);
  if (host.empty()) return {};
  for (const char c : host) {
    if (!IsHostChar(c)) return {};
  }
  if (colon != std::string::npos) {
    const std::string port = value.substr(colon + 1);
    if (port.empty() || port.size() > 5) return {};
    for (const char c : port) {
      if (c < '0' || c > '9') return {};
    }
    const int number = std::stoi(port);
    if (number < 1 || number > 65535) return {};
  }
  return "http://" + value + "/ic.asp";
}

std::string ExtractPublicAddress(std::string_view page) {
  const std::size_t nul = page.find('\0');
  if (nul != std::string_view::npos) page = page.substr(0, nul);
  // "您的IP是：["
  return TextBetween(page, "\xC4\xFA\xB5\xC4IP\xCA\xC7\xA3\xBA[", "]");
}

std::string PublicAddressCaption(std::string_view address) {
  std::string caption = "\xCD\xE2\xCD\xF8IP\xA3\xBA";  // "外网IP："
  caption += address;
  return caption;
}

std::string LocalAddressText(const std::vector<std::string>& addresses) {
  std::string text;
  for (const std::string& address : addresses) {
    text += address;
    text += "\r\n";
  }
  return text;
}

}  // namespace netaddr
