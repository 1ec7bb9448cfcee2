// Base descriptor: base names, the raw-value rules every family shares, the
// threshold verdict and the key attributes of the standard ids.
#include "knowledge/SmartDescriptor.h"

#include <limits>

#include "support/Format.h"

namespace vexa {

namespace {

constexpr std::string_view kKindNames[] = {
    "Samsung", "Intel", "SandForce", "Marvell", "JMicron", "Indilinx",
    "SiliconMotion", "LinkAMedia", "Phison", "MechWdc", "Fallback",
};
static_assert(std::size(kKindNames) == kSmartDescriptorKindCount);

constexpr std::string_view kUnknownName = "<Unknown>";

}  // namespace

std::string_view SmartDescriptorKindName(TSmartDescriptorKind kind) {
  const auto index = static_cast<std::size_t>(kind);
  return index < std::size(kKindNames) ? kKindNames[index] : std::string_view{};
}

TSmartDescriptor::TSmartDescriptor(TSmartDescriptorKind kind, std::span<const TSmartNameRow> ownNames)
    : kind(kind) {
  for (const TSmartNameRange& range : SmartBaseNameRanges())
    for (int id = range.first; id <= range.last; ++id) names[id] = range.name;
  for (const TSmartNameRow& row : SmartBaseNames()) names[row.id] = row.name;
  for (const TSmartNameRow& row : ownNames) names[row.id] = row.name;
}

std::string_view TSmartDescriptor::AttributeName(int id) const {
  if (id <= 0 || id > 255 || names[id].empty()) return kUnknownName;
  return names[id];
}

std::string TSmartDescriptor::FormatHours(std::uint32_t hours) const {
  return Format("%dd %dh", hours / 24, hours % 24);
}

std::string TSmartDescriptor::FormatTemperature(std::uint8_t value) const {
  if (fahrenheit) return Format("%d °F", value * 9 / 5 + 32);
  return Format("%d °C", value);
}

std::string TSmartDescriptor::Percent(std::uint32_t value) {
  return Format("%d %%", value);
}

// The product of a 48-bit count and a unit can pass 64 bits (a garbage raw value
// times 1 GiB); it saturates instead of wrapping into a small or negative count.
std::string TSmartDescriptor::ByteSize(std::uint64_t count, std::uint64_t unitBytes) {
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  const std::uint64_t bytes = unitBytes != 0 && count > kMax / unitBytes ? kMax : count * unitBytes;
  return FormatByteSize(bytes);
}

std::string TSmartDescriptor::MarkedByteSize(std::uint64_t count, std::uint64_t unitBytes) {
  return "¤ " + ByteSize(count, unitBytes);
}

std::string TSmartDescriptor::Plain(std::uint64_t value) {
  return FormatFloat("0,;;#", static_cast<long double>(value));
}

std::string TSmartDescriptor::FormatRawValue(TSmartEntry entry) const {
  switch (entry.Id()) {
    case 3:
      return FormatFloat("0, ms;;#", static_cast<long double>(entry.Raw32()));
    case 9:
      return FormatHours(entry.Raw32());
    case 190:
    case 194:
      return FormatTemperature(static_cast<std::uint8_t>(entry.Raw()));
    default:
      return Plain(entry.Raw());
  }
}

TSmartStatus TSmartDescriptor::AttributeStatus(TSmartEntry entry) const {
  if (entry.IsNone()) return TSmartStatus::None;
  const std::uint8_t threshold = attributes ? attributes->ThresholdOf(entry.Id()) : 0;
  if (threshold == 0) return entry.Raw() == 0 ? TSmartStatus::Good : TSmartStatus::None;
  if (entry.Current() == 0 && entry.Worst() == 0) return TSmartStatus::None;
  if (threshold >= entry.Current()) return TSmartStatus::CurrentReached;
  if (threshold >= entry.Worst()) return TSmartStatus::WorstReached;
  return TSmartStatus::Good;
}

TSmartEntry TSmartDescriptor::FindKeyAttribute(TSmartKeyKind kind) const {
  switch (kind) {
    case TSmartKeyKind::PowerOnHours:
      return FindById(9);
    case TSmartKeyKind::PowerCycles:
      return FindById(12);
    case TSmartKeyKind::Temperature:
      return FindFirstOf({190, 194});
    case TSmartKeyKind::HostWrites:
      return FindById(241);
    case TSmartKeyKind::HostReads:
      return FindById(242);
    case TSmartKeyKind::RemainingLife:
    default:
      return {};
  }
}

TSmartEntry TSmartDescriptor::FindById(std::uint8_t id) const {
  return attributes ? attributes->FindById(id) : TSmartEntry{};
}

TSmartEntry TSmartDescriptor::FindFirstOf(std::initializer_list<std::uint8_t> ids) const {
  return attributes ? attributes->FindFirstOf(MakeSmartIdSet(ids)) : TSmartEntry{};
}

}  // namespace vexa
