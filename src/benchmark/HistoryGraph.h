// One attribute's (or NVMe health field's) SMART history drawn over time, on the
// canvas the benchmark draws with: the normalised values and their threshold in an
// upper panel, the raw values in a lower one (the whole height for an NVMe field),
// one time axis under both with the readings' dates, and a legend. Any data draws:
// readings out of order are put in order, and a rectangle too small for the panels
// gets only its background.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "benchmark/BenchmarkDrawer.h"
#include "history/HistoryGraphData.h"
#include "support/UInt128.h"

namespace vexa {

class THistoryGraph : public TVexaBenchmarkDrawer {
public:
  THistoryGraph(TCanvas& canvas, const TPixelsPerInch* scaler);

  void SetData(THistoryGraphData newData);
  const THistoryGraphData& Data() const { return data; }
  // Background, title, panels, time axis and legend; no banner (a history is no
  // measurement in progress). Without readings: the frame and "沒有讀數".
  void Draw() override;
  // "YYYY-MM-DD HH:MM 目前值 N 最差值 N 原始值 N" of the reading nearest in time to x
  // (no normalised values for an NVMe field); empty outside the panels or before Draw.
  std::string GetHint(std::int32_t x, std::int32_t y) const override;

  // Where the last Draw put the panels (empty when it drew none).
  const TEdges& NormalisedRect() const { return normalisedRect; }
  const TEdges& RawRect() const { return rawRect; }

private:
  // A vertical scale: low and high are multiples of step, high above low.
  struct TScale {
    double low = 0, high = 1, step = 1;
    // Bounded: past 64 steps a scale is a solid fill anyway, whatever the doubles did.
    int Steps() const { return static_cast<int>(std::clamp(std::lround((high - low) / step), 1L, 64L)); }
  };

  static TScale MakeScale(double low, double high, int maxSteps, double minimumSpan, double floor, double ceiling);
  std::int32_t TextPixels() const;
  std::int32_t TextWidth(std::string_view text) const;
  std::int32_t TimeX(std::size_t index) const;
  std::int32_t ValueY(const TScale& scale, const TEdges& panel, double value) const;
  void DrawPanel(const TEdges& panel, const TScale& scale, std::int32_t labelRight, TColor colour);
  void DrawThreshold(const TEdges& panel, const TScale& scale, double value, const std::string& label);
  void DrawSeries(const TEdges& panel, const TScale& scale, const std::vector<double>& values, TColor colour);
  void DrawTimeAxis();
  void DrawLegend(std::int32_t left, std::int32_t top, std::int32_t right, bool threshold);

  THistoryGraphData data;
  std::vector<std::int64_t> seconds;  // of each point, in the points' (sorted) order
  TEdges normalisedRect, rawRect, plotRect;
  TColor framePen = 0, gridPen = 0;
};

}  // namespace vexa
