// One HTTP or HTTPS request over WinInet, read to its end.
//
// Only the URL is required. Every optional input is told apart from an
// omitted one: a null pointer or an empty std::optional means "not passed".
// The pointer members are the routine's in/out and out parameters: the
// routine writes the caller's variable through them. The result is the
// response body; it is empty when the request could not be made or nothing
// could be read. No exception leaves the routine.
#pragma once

#include <optional>
#include <string>

namespace netaddr {

struct HttpFetchOptions {
  // 1 selects "POST", anything else "GET"; every non-zero value sends a body.
  int method = 0;
  // Body text, used when the POST bytes are empty.
  std::string postText;
  // In/out, supplied when not null: "name=value" pairs separated by ";" that
  // are sent as the Cookie header; receives the merged cookie set afterwards.
  // Supplying it (even empty) also stops WinInet's own cookie handling.
  std::string* cookies = nullptr;
  // Out, ignored when null: the pairs the response set, separated by "; ".
  std::string* returnedCookies = nullptr;
  // In/out, empty when null: request header lines separated by CR LF without
  // a trailing CR LF; receives the header block actually sent.
  std::string* extraHeaders = nullptr;
  // Out, ignored when null: the raw response header block.
  std::string* returnedHeaders = nullptr;
  // True stops WinInet from following redirects.
  bool noRedirect = false;
  // In/out, empty when null: body bytes; when a body is sent and these are
  // empty, they are replaced by the bytes of postText.
  std::string* postBytes = nullptr;
  // Supplied (even empty) selects proxied access through this server.
  std::optional<std::string> proxy;
  // Seconds for connecting, sending and receiving each; 15 when omitted.
  // Host-name resolution is bounded by the same time.
  std::optional<double> timeoutSeconds;
};

std::string HttpFetch(const std::string& url, const HttpFetchOptions& options = {});

}  // namespace netaddr
