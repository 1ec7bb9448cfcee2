// What an attribute id stands for under a controller family, where that matters for
// judging a drive over time: the counters whose rise means the medium or the link is
// failing, the counters that only ever grow, and the temperature. The same id means
// different things to different controllers (199 counts CRC errors on most drives
// and sectors written on Indilinx ones), so each family lists its own ids, taken
// from the names it gives them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "knowledge/SmartDescriptor.h"

namespace vexa {

enum class TSmartMeaning : std::uint8_t {
  Other,
  Reallocated,         // reallocated sectors, retired or runtime bad blocks
  Pending,             // sectors waiting for reallocation
  Uncorrectable,       // uncorrectable errors or sectors
  CrcErrors,           // interface CRC errors
  ReallocationEvents,  // reallocation events
  PowerOnHours,
  PowerCycles,
  Temperature,
};

TSmartMeaning SmartMeaning(TSmartDescriptorKind kind, std::uint8_t id);

// A rise of the raw value of these is a drive getting worse.
constexpr bool IsFailureCounter(TSmartMeaning meaning) {
  return meaning >= TSmartMeaning::Reallocated && meaning <= TSmartMeaning::ReallocationEvents;
}
// Raw values that only ever grow: a fall is a reset or a wrap.
constexpr bool IsGrowingCounter(TSmartMeaning meaning) {
  return IsFailureCounter(meaning) || meaning == TSmartMeaning::PowerOnHours || meaning == TSmartMeaning::PowerCycles;
}

// The family of a display name ("Fallback", "MechWdc", ...; exact); none when unknown.
std::optional<TSmartDescriptorKind> SmartDescriptorKindOf(std::string_view displayName);

}  // namespace vexa
