// The per-client limits at their edges, on a clock the tests move by hand.
#include <gtest/gtest.h>

#include "Limits.h"

namespace vexa::collector {

namespace {

using namespace std::chrono_literals;
const TLimitClock::time_point T0{std::chrono::hours(1)};

TEST(ClientKey, CountsIpv4ByAddressAndIpv6ByItsNetwork) {
  const struct {
    const char* address;
    std::optional<std::string> key;
  } cases[] = {
      {"127.0.0.2", "127.0.0.2"},
      {"::ffff:10.0.0.1", "10.0.0.1"},
      {"2001:db8:1:2:3:4:5:6", "2001:db8:1:2::/64"},
      {"2001:DB8:1:2::9", "2001:db8:1:2::/64"},
      {"2001:db8:1:3::9", "2001:db8:1:3::/64"},
      {"10.0.0.256", std::nullopt},
      {" 10.0.0.1", std::nullopt},
      {"example.org", std::nullopt},
      {"", std::nullopt},
      {"1111:2222:3333:4444:5555:6666:7777:8888:9999", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ClientKey(c.address), c.key) << c.address;
  EXPECT_TRUE(SameAddress("127.0.0.1", "::ffff:127.0.0.1"));
  EXPECT_TRUE(SameAddress("::1", "0:0::1"));
  EXPECT_FALSE(SameAddress("127.0.0.1", "127.0.0.2"));
  EXPECT_FALSE(SameAddress("proxy", "proxy"));
}

TEST(ForwardedClient, BelievesOnlyTheEntryTheProxyAppended) {
  const struct {
    const char* header;
    std::optional<std::string> client;
  } cases[] = {
      {"10.0.0.1", "10.0.0.1"},
      {"6.6.6.6, 10.0.0.1", "10.0.0.1"},
      {"10.0.0.1,\t2001:db8::1 ", "2001:db8::1"},
      {"10.0.0.1, unknown", std::nullopt},
      {"10.0.0.1,", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ForwardedClient(c.header), c.client) << c.header;
}

TEST(RateLimiter, LetsAMinutesWorthThroughAtOnceThenOneEachInterval) {
  const struct {
    int perMinute;
    int retryAfter;
    TLimitClock::duration interval;
  } cases[] = {
      {60, 1, 1s},
      {30, 2, 2s},
      {1, 60, 60s},
      {7, 9, 8571428571ns},  // a minute does not divide evenly: the whole nanoseconds below it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.perMinute);
    TRateLimiter limiter(c.perMinute);
    for (int i = 0; i < c.perMinute; ++i) ASSERT_EQ(limiter.Take("a", T0), 0) << i;
    EXPECT_EQ(limiter.Take("a", T0), c.retryAfter);
    EXPECT_EQ(limiter.Take("b", T0), 0);  // each client has a bucket of its own
    // A refused request takes nothing: the next token is there one interval on.
    EXPECT_EQ(limiter.Take("a", T0 + c.interval - 1ns), 1);
    EXPECT_EQ(limiter.Take("a", T0 + c.interval), 0);
    EXPECT_GT(limiter.Take("a", T0 + c.interval), 0);
  }
}

TEST(RateLimiter, ForgetsFullBucketsAndBoundsTheClientsItRemembers) {
  TRateLimiter limiter(60, 3);
  EXPECT_EQ(limiter.Take("a", T0), 0);
  EXPECT_EQ(limiter.Take("b", T0), 0);
  EXPECT_EQ(limiter.Take("c", T0 + 999ms), 0);
  EXPECT_EQ(limiter.Remembered(), 3u);
  // a's and b's one token is back a second on: they are as good as unknown.
  EXPECT_EQ(limiter.Take("c", T0 + 1s), 0);
  EXPECT_EQ(limiter.Remembered(), 1u);

  TRateLimiter small(60, 2);
  for (int i = 0; i < 60; ++i) small.Take("a", T0);
  ASSERT_GT(small.Take("a", T0), 0);
  small.Take("b", T0);
  small.Take("c", T0);
  EXPECT_EQ(small.Remembered(), 2u);
  // a was seen longest ago and made room: it starts over with a full bucket.
  EXPECT_EQ(small.Take("a", T0), 0);

  TRateLimiter unlimited(0);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(unlimited.Take("a", T0), 0);
  EXPECT_EQ(unlimited.Remembered(), 0u);
}

TEST(ConnectionCounter, RefusesOneOverTheLimitUntilOneCloses) {
  TConnectionCounter counter(2);
  EXPECT_TRUE(counter.TryOpen("a"));
  EXPECT_TRUE(counter.TryOpen("a"));
  EXPECT_FALSE(counter.TryOpen("a"));
  EXPECT_EQ(counter.Open("a"), 2);
  EXPECT_TRUE(counter.TryOpen("b"));
  counter.Close("a");
  EXPECT_TRUE(counter.TryOpen("a"));
  EXPECT_FALSE(counter.TryOpen("a"));
  counter.Close("a");
  counter.Close("a");
  counter.Close("b");
  EXPECT_EQ(counter.Clients(), 0u);

  TConnectionCounter unlimited(0);
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(unlimited.TryOpen("a"));
  EXPECT_EQ(unlimited.Open("a"), 1000);
}

}  // namespace

}  // namespace vexa::collector
