// What a drawing of one attribute's (or NVMe health field's) history shows: the
// series and the lines it is judged against. The program decides it (views/), the
// history graph draws it (benchmark/), in the window and in the console program's PNG.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/SmartHistory.h"
#include "support/UInt128.h"

namespace vexa {

struct THistoryGraphData {
  std::string title;                      // whatever the caller names the series
  bool hasNormalised = true;              // ATA: current and worst values exist; false for an NVMe field
  std::optional<std::uint8_t> threshold;  // drawn on the normalised panel unless 0
  std::optional<TUInt128> rawThreshold;   // drawn on the raw panel
  std::vector<THistoryPoint> points;      // oldest first (others are sorted by time)
};

}  // namespace vexa
