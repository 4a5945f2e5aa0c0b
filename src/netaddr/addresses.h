// The machine's addresses as the main window shows them: the local IPv4
// addresses and the public address read from an IP echo page.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace netaddr {

// Host of the IP echo page unless the environment says otherwise. A public
// plain-HTTP page at "/ic.asp" that answers with "您的IP是：[address]".
inline constexpr const char* kDefaultEchoHost = "2019.ip138.com";

// The one environment setting the program reads: "host" or "host:port" of
// the IP echo page, replacing kDefaultEchoHost.
inline constexpr const char* kEchoHostVariable = "RECEIVER_IP_ECHO_HOST";

inline constexpr std::size_t kMaxLocalAddresses = 10;

// The URL of the echo page for the value of RECEIVER_IP_ECHO_HOST (nullopt
// when the variable is not set, or set to an empty or blank value): "http://"
// + host + "/ic.asp". Empty when the value is not a plain host name or IPv4
// address with an optional decimal port: the page is then not fetched at all,
// rather than fetched from a host nobody chose.
std::string EchoPageUrl(const std::optional<std::string>& overrideValue);

// The public address a page carries: the text between "您的IP是：[" and the
// next "]", looked for in the page up to its first NUL byte; empty when either
// marker is missing.
std::string ExtractPublicAddress(std::string_view page);

// "外网IP：" followed by the address, as 标签8 shows it.
std::string PublicAddressCaption(std::string_view address);

// The text of 编辑框1: every address followed by CR LF.
std::string LocalAddressText(const std::vector<std::string>& addresses);

// Windows only (netaddr_win) -------------------------------------------------

// Up to ten local IPv4 addresses in dotted-decimal form, in the order the host
// name resolves to them; empty when the host name cannot be read or resolved.
// Starts and stops Windows Sockets around its own use.
std::vector<std::string> LocalAddressList();

// The public address from the IP echo page (host from RECEIVER_IP_ECHO_HOST
// or kDefaultEchoHost), fetched with every HttpFetch option at its default;
// empty when it cannot be found.
std::string FetchPublicAddress();

}  // namespace netaddr
