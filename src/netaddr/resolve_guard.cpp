#include "netaddr/resolve_guard.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "netaddr/text_search.h"

namespace netaddr {

bool IsAddressLiteral(const std::string& host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') return true;
  int parts = 0;
  int digits = 0;
  for (const char c : host) {
    if (c >= '0' && c <= '9') {
      if (++digits > 3) return false;
    } else if (c == '.') {
      if (digits == 0) return false;
      ++parts;
      digits = 0;
    } else {
      return false;
    }
  }
  return parts == 3 && digits > 0;
}

bool IsReservedInvalidName(const std::string& host) {
  std::string name = LowerText(host);
  while (!name.empty() && name.back() == '.') name.pop_back();
  return name == "invalid" ||
         (name.size() > 8 && name.compare(name.size() - 8, 8, ".invalid") == 0);
}

ResolveOutcome ResolveWithin(const std::string& host, std::chrono::milliseconds limit,
                             const HostResolver& resolver) {
  if (IsAddressLiteral(host)) return ResolveOutcome::kResolved;
  if (host.empty() || IsReservedInvalidName(host)) return ResolveOutcome::kNotFound;

  // Shared between this call and the helper thread; whoever leaves last frees it.
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool found = false;
  };
  auto shared = std::make_shared<Shared>();
  try {
    std::thread([shared, host, resolver] {
      const bool found = resolver(host);
      const std::lock_guard<std::mutex> lock(shared->mutex);
      shared->finished = true;
      shared->found = found;
      shared->done.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    // No thread to spare: resolve here, unbounded, rather than not at all.
    return resolver(host) ? ResolveOutcome::kResolved : ResolveOutcome::kNotFound;
  }
  std::unique_lock<std::mutex> lock(shared->mutex);
  if (limit.count() <= 0) {
    shared->done.wait(lock, [&] { return shared->finished; });
  } else if (!shared->done.wait_for(lock, limit, [&] { return shared->finished; })) {
    return ResolveOutcome::kTimedOut;
  }
  return shared->found ? ResolveOutcome::kResolved : ResolveOutcome::kNotFound;
}

}  // namespace netaddr
