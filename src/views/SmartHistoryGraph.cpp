#include "views/SmartHistoryGraph.h"

#include "support/Format.h"
#include "views/HistoryKeeper.h"
#include "views/SmartPageModel.h"

namespace vexa {

std::optional<THistoryGraphData> GraphOfRow(THistoryKeeper* history, std::string_view model, std::string_view serial,
                                         const TSmartPageRow& row) {
  if (!history || !history->Enabled()) return std::nullopt;
  const TSmartHistory* file = history->History();
  if (!file) return std::nullopt;
  const std::string drive = DriveKey(model, serial);
  THistoryGraphData graph;
  graph.points = row.key.empty() ? file->Series(drive, row.id) : file->Series(drive, row.key);
  if (graph.points.empty()) return std::nullopt;
  graph.title = Format("%s %s - %s", row.Cell(TSmartColumn::Id), row.Cell(TSmartColumn::Name), model);
  graph.hasNormalised = row.key.empty();
  if (graph.hasNormalised) {
    graph.threshold = graph.points.back().threshold;
  } else if (row.key == "available_spare") {
    // The spare is judged against the drive's own threshold, a field of its own.
    const std::vector<THistoryPoint> threshold = file->Series(drive, "available_spare_threshold");
    if (!threshold.empty()) graph.rawThreshold = threshold.back().raw;
  }
  return graph;
}

}  // namespace vexa
