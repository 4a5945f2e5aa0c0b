// A bound on host-name resolution.
//
// WinInet resolves the server name with the system resolver, which has no
// time-out of its own: with an unreachable name server a single lookup can
// block for far longer than the fetch's time-out. The fetch therefore looks
// the name up first, on a helper thread, and waits at most its time-out for
// the answer. A lookup that takes longer is abandoned (its thread finishes on
// its own and touches only state it shares by ownership), and the fetch fails
// as it would on a name that does not resolve.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace netaddr {

enum class ResolveOutcome { kResolved, kNotFound, kTimedOut };

// Resolves `host`, true when it has at least one address. Runs on the helper
// thread; must not throw.
using HostResolver = std::function<bool(const std::string& host)>;

// Names that never need a lookup: IPv4 dotted-decimal and bracketed IPv6
// literals resolve to themselves.
bool IsAddressLiteral(const std::string& host);

// Names under ".invalid" never resolve (RFC 6761): they are refused here, so
// no query for them ever leaves the machine.
bool IsReservedInvalidName(const std::string& host);

// Looks `host` up with `resolver`, waiting at most `limit`. A limit of zero
// means "no limit". Literals and ".invalid" names are answered without a lookup.
ResolveOutcome ResolveWithin(const std::string& host, std::chrono::milliseconds limit,
                             const HostResolver& resolver);

}  // namespace netaddr
