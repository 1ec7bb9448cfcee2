#include "Limits.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace vexa::collector {

namespace {

using TAddressBytes = std::array<unsigned char, 16>;

// Any address as its IPv6 form (an IPv4 address as the IPv4-mapped one), so that the
// two ways of writing an IPv4 peer compare equal.
std::optional<TAddressBytes> ParseAddress(std::string_view text) {
  // inet_pton wants a terminated string; no address is longer than this.
  char buffer[INET6_ADDRSTRLEN] = {};
  if (text.empty() || text.size() >= sizeof buffer) return std::nullopt;
  std::memcpy(buffer, text.data(), text.size());
  TAddressBytes bytes{};
  in_addr v4{};
  if (inet_pton(AF_INET, buffer, &v4) == 1) {
    bytes[10] = bytes[11] = 0xFF;
    std::memcpy(bytes.data() + 12, &v4, 4);
    return bytes;
  }
  if (inet_pton(AF_INET6, buffer, bytes.data()) == 1) return bytes;
  return std::nullopt;
}

bool IsMappedIpv4(const TAddressBytes& bytes) {
  return std::all_of(bytes.begin(), bytes.begin() + 10, [](unsigned char b) { return b == 0; }) && bytes[10] == 0xFF &&
         bytes[11] == 0xFF;
}

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<std::string> ClientKey(std::string_view address) {
  std::optional<TAddressBytes> bytes = ParseAddress(address);
  if (!bytes) return std::nullopt;
  char text[INET6_ADDRSTRLEN] = {};
  if (IsMappedIpv4(*bytes)) {
    inet_ntop(AF_INET, bytes->data() + 12, text, sizeof text);
    return std::string(text);
  }
  std::fill(bytes->begin() + 8, bytes->end(), 0);
  inet_ntop(AF_INET6, bytes->data(), text, sizeof text);
  return std::string(text) + "/64";
}

bool SameAddress(std::string_view a, std::string_view b) {
  const auto first = ParseAddress(a);
  const auto second = ParseAddress(b);
  return first && second && *first == *second;
}

std::optional<std::string> ForwardedClient(std::string_view forwardedFor) {
  const auto comma = forwardedFor.rfind(',');
  const std::string_view last = Trim(comma == std::string_view::npos ? forwardedFor : forwardedFor.substr(comma + 1));
  if (!ParseAddress(last)) return std::nullopt;
  return std::string(last);
}

TRateLimiter::TRateLimiter(int perMinute, std::size_t maxClients)
    : interval_(perMinute > 0 ? TLimitClock::duration(std::chrono::minutes(1)) / perMinute : TLimitClock::duration()),
      burst_(interval_ * std::max(perMinute - 1, 0)),
      unlimited_(perMinute <= 0),
      maxClients_(std::max<std::size_t>(maxClients, 1)) {}

void TRateLimiter::Forget(TLimitClock::time_point now) {
  while (!recent_.empty() && recent_.back().full <= now) {
    byKey_.erase(recent_.back().key);
    recent_.pop_back();
  }
}

int TRateLimiter::Take(const std::string& client, TLimitClock::time_point now) {
  if (unlimited_) return 0;
  const std::lock_guard lock(mutex_);
  Forget(now);
  const auto found = byKey_.find(client);
  // A client not remembered has a full bucket.
  const TLimitClock::time_point full = std::max(found == byKey_.end() ? now : found->second->full, now);
  if (found != byKey_.end()) recent_.splice(recent_.begin(), recent_, found->second);
  // The bucket holds a token when it was full at most burst_ ago.
  if (full - burst_ > now) {
    return static_cast<int>(std::chrono::ceil<std::chrono::seconds>(full - burst_ - now).count());
  }
  if (found != byKey_.end()) {
    found->second->full = full + interval_;
    return 0;
  }
  if (recent_.size() >= maxClients_) {
    byKey_.erase(recent_.back().key);
    recent_.pop_back();
  }
  recent_.push_front({client, full + interval_});
  byKey_.emplace(client, recent_.begin());
  return 0;
}

std::size_t TRateLimiter::Remembered() const {
  const std::lock_guard lock(mutex_);
  return recent_.size();
}

bool TConnectionCounter::TryOpen(const std::string& client) {
  const std::lock_guard lock(mutex_);
  int& open = open_[client];
  if (perClient_ > 0 && open >= perClient_) return false;
  ++open;
  return true;
}

void TConnectionCounter::Close(const std::string& client) {
  const std::lock_guard lock(mutex_);
  const auto found = open_.find(client);
  if (found != open_.end() && --found->second <= 0) open_.erase(found);
}

int TConnectionCounter::Open(const std::string& client) const {
  const std::lock_guard lock(mutex_);
  const auto found = open_.find(client);
  return found == open_.end() ? 0 : found->second;
}

std::size_t TConnectionCounter::Clients() const {
  const std::lock_guard lock(mutex_);
  return open_.size();
}

}  // namespace vexa::collector
