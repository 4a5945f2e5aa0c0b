// Splitting a URL into the parts a request needs: host, port and path.
#pragma once

#include <string>
#include <string_view>

namespace netaddr {

// The host of the URL in lower case; with keepPort, followed by its colon and
// port when the URL names one. A URL without a scheme counts as plain HTTP.
std::string UrlHost(std::string_view url, bool keepPort);

// The port the URL names (full-width digits count as digits), else 443 for
// an https URL and 80 otherwise; 0 when the text after the colon has no digits.
// Numbers beyond the range of ports saturate at 65536, which names no port.
int UrlPort(std::string_view url);

// The path, query included, that goes into the request line, in the URL's
// own letter case: from the first "/" after the host; "/" when there is none.
std::string UrlPath(std::string_view url);

}  // namespace netaddr
