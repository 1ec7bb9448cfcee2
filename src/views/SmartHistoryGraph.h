// What the graph of one SMART page row shows: the row's series from the drive's
// history (an ATA attribute by id, an NVMe health field by key), the threshold a
// line is drawn at, and a title naming the attribute and the drive. The window that
// draws it only shows what this decides.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/HistoryGraphData.h"
#include "support/UInt128.h"

namespace vexa {

class THistoryKeeper;
struct TSmartPageRow;

// None when there is nothing to draw: no keeper, history off, or no reading of the
// row in the drive's history; the page then copies the row as it always did.
std::optional<THistoryGraphData> GraphOfRow(THistoryKeeper* history, std::string_view model, std::string_view serial,
                                         const TSmartPageRow& row);

}  // namespace vexa
