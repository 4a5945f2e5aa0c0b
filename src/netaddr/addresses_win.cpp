// Local addresses through Windows Sockets, the public one through HttpFetch.
#include <winsock2.h>
#include <windows.h>

#include "netaddr/addresses.h"
#include "netaddr/http_fetch.h"

namespace netaddr {
namespace {

std::optional<std::string> EnvironmentValue(const char* name) {
  char buffer[512];
  SetLastError(ERROR_SUCCESS);
  const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (length == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
  }
  if (length >= sizeof buffer) return std::string("\x01");  // too long: never a valid host
  return std::string(buffer, length);
}

}  // namespace

std::vector<std::string> LocalAddressList() {
  std::vector<std::string> addresses;
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return addresses;
  char name[256] = {};
  if (gethostname(name, sizeof name) == 0) {
    name[sizeof name - 1] = '\0';
    const hostent* host = gethostbyname(name);
    if (host != nullptr && host->h_addrtype == AF_INET && host->h_length == 4 &&
        host->h_addr_list != nullptr) {
      for (char** entry = host->h_addr_list;
           *entry != nullptr && addresses.size() < kMaxLocalAddresses; ++entry) {
        in_addr address;
        memcpy(&address, *entry, sizeof address);
        const char* text = inet_ntoa(address);
        if (text != nullptr) addresses.emplace_back(text);
      }
    }
  }
  WSACleanup();
  return addresses;
}

std::string FetchPublicAddress() {
  const std::string url = EchoPageUrl(EnvironmentValue(kEchoHostVariable));
  if (url.empty()) return {};
  return ExtractPublicAddress(HttpFetch(url));
}

}  // namespace netaddr
