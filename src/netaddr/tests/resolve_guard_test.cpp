#include "netaddr/resolve_guard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>

namespace netaddr {
namespace {

using std::chrono::milliseconds;

TEST(ResolveGuard, LiteralsAndReservedNamesNeedNoLookup) {
  std::atomic<int> lookups{0};
  const HostResolver counting = [&](const std::string&) {
    ++lookups;
    return true;
  };
  EXPECT_EQ(ResolveWithin("127.0.0.1", milliseconds(100), counting), ResolveOutcome::kResolved);
  EXPECT_EQ(ResolveWithin("[::1]", milliseconds(100), counting), ResolveOutcome::kResolved);
  EXPECT_EQ(ResolveWithin("echo.invalid", milliseconds(100), counting), ResolveOutcome::kNotFound);
  EXPECT_EQ(ResolveWithin("A.INVALID.", milliseconds(100), counting), ResolveOutcome::kNotFound);
  EXPECT_EQ(ResolveWithin("", milliseconds(100), counting), ResolveOutcome::kNotFound);
  EXPECT_EQ(lookups.load(), 0);
  EXPECT_FALSE(IsAddressLiteral("1.2.3"));
  EXPECT_FALSE(IsAddressLiteral("1.2.3.4.5"));
  EXPECT_FALSE(IsAddressLiteral("1..3.4"));
  EXPECT_FALSE(IsReservedInvalidName("invalid.example"));
}

TEST(ResolveGuard, AnswerWithinTheLimitIsPassedOn) {
  EXPECT_EQ(ResolveWithin("a.example", milliseconds(2000), [](const std::string&) { return true; }),
            ResolveOutcome::kResolved);
  EXPECT_EQ(ResolveWithin("b.example", milliseconds(2000), [](const std::string&) { return false; }),
            ResolveOutcome::kNotFound);
}

TEST(ResolveGuard, SlowLookupIsAbandonedAtTheLimit) {
  // The lookup blocks until released, like a resolver whose name server never answers.
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> finished;
  std::future<void> lookupDone = finished.get_future();
  auto finishedPtr = std::make_shared<std::promise<void>>(std::move(finished));
  const HostResolver hanging = [released, finishedPtr](const std::string&) {
    released.wait();
    finishedPtr->set_value();
    return true;
  };
  EXPECT_EQ(ResolveWithin("slow.example", milliseconds(50), hanging), ResolveOutcome::kTimedOut);
  // The abandoned lookup ends on its own later without harm.
  release.set_value();
  lookupDone.wait();
}

}  // namespace
}  // namespace netaddr
