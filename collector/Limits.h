// What one client may ask of the collector, as bookkeeping only: how many connections
// it holds open, and how fast it sends requests (a token bucket per client). Clients
// are counted by a key made from their address; the time is passed in, so that the
// tests drive the clock. Both classes may be used from any thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vexa::collector {

// The largest real report is under 10 KiB form-encoded; 64 KiB leaves room for a long
// comment and still keeps a refused flood of bodies cheap.
inline constexpr std::size_t DefaultMaxBodyBytes = 64 << 10;
inline constexpr int DefaultRequestTimeoutSeconds = 30;
inline constexpr int DefaultConnectionsPerClient = 8;
// Requests that change something (posts); a machine's drives are sent one after another.
inline constexpr int DefaultChangesPerMinute = 30;
// Pages and JSON; a person reading, or a crawler of fair manners, stays well below.
inline constexpr int DefaultPagesPerMinute = 600;

// The key a client is counted under: an IPv4 address in dotted form (also when it comes
// as an IPv4-mapped IPv6 address), an IPv6 address's /64 network ("2001:db8:0:1::/64"),
// since one subscriber is usually handed a whole /64. None for text that is no address.
std::optional<std::string> ClientKey(std::string_view address);

// Whether both texts are the same address, however each is written.
bool SameAddress(std::string_view a, std::string_view b);

// The client a trusted reverse proxy names in X-Forwarded-For: the last address, the one
// the proxy itself appended (those before it come from the client and may be forged).
// None when that entry is no address.
std::optional<std::string> ForwardedClient(std::string_view forwardedFor);

using TLimitClock = std::chrono::steady_clock;

// perMinute requests per minute for each client, perMinute of them at once (a bucket of
// perMinute tokens refilled evenly over a minute); 0 lets everything through. Kept as
// the time at which each client's bucket is full again (the generic cell rate
// algorithm), in whole nanoseconds, so the edges are exact. A client whose bucket is
// full again is forgotten; beyond maxClients the one seen longest ago is, so memory is
// bounded whatever the number of addresses.
class TRateLimiter {
public:
  explicit TRateLimiter(int perMinute, std::size_t maxClients = 100000);

  // 0 when the request may go ahead (and is counted), else the whole seconds (at least
  // 1) after which the client may try again; a refused request is not counted.
  int Take(const std::string& client, TLimitClock::time_point now);
  std::size_t Remembered() const;

private:
  struct TClient {
    std::string key;
    TLimitClock::time_point full;  // when the bucket holds perMinute tokens again
  };
  void Forget(TLimitClock::time_point now);

  const TLimitClock::duration interval_;  // one token's worth of time
  const TLimitClock::duration burst_;     // perMinute - 1 tokens' worth
  const bool unlimited_;
  const std::size_t maxClients_;
  mutable std::mutex mutex_;
  std::list<TClient> recent_;  // the one seen last first
  std::unordered_map<std::string, std::list<TClient>::iterator> byKey_;
};

// The connections each client holds open, at most perClient (0: no limit).
class TConnectionCounter {
public:
  explicit TConnectionCounter(int perClient) : perClient_(perClient) {}

  // Counts one more connection of the client, or refuses it (false, nothing counted).
  bool TryOpen(const std::string& client);
  void Close(const std::string& client);
  int Open(const std::string& client) const;
  std::size_t Clients() const;

private:
  const int perClient_;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, int> open_;
};

}  // namespace vexa::collector
