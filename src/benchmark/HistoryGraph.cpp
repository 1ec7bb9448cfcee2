#include "benchmark/HistoryGraph.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>

#include "benchmark/BenchmarkEntryTable.h"
#include "support/Format.h"

namespace vexa {

namespace {

constexpr TColor kCurrentColour = kTransferColour;
constexpr TColor kRawColour = kAccessColour;
constexpr TColor kThresholdColour = 0x4040FF;  // RGB(255, 64, 64): red, yet readable on the dark blue
// The worst values: the current values' colour, faded towards the background.
TColor WorstColour(TColor background) { return Blend(kCurrentColour, background, 150); }

constexpr std::string_view kNoReadings = "沒有讀數";
constexpr std::string_view kCurrentName = "目前值";
constexpr std::string_view kWorstName = "最差值";
constexpr std::string_view kRawName = "原始值";
constexpr std::string_view kThresholdName = "臨界值";

constexpr std::int64_t kSecondsPerDay = 86400;

std::string DateText(const TCalendarTime& t, bool withTime) {
  return withTime ? Format("%.4u-%.2u-%.2u %.2u:%.2u", t.year, t.month, t.day, t.hour, t.minute)
                  : Format("%.4u-%.2u-%.2u", t.year, t.month, t.day);
}

// A scale's figure: exact with separators while that stays short, else in powers of
// ten with as many digits as the step needs to tell neighbours apart.
std::string ScaleText(double value, double step) {
  if (value < 1e9) return Format("%.0n", value);
  const int digits = static_cast<int>(std::floor(std::log10(value)) - std::floor(std::log10(step)));
  return Format("%.*e", std::clamp(digits, 1, 16), value);
}

}  // namespace

// A scale from low to high (either order) with steps of 1, 2 or 5 × 10^n (at least
// 1), about maxSteps of them. A range narrower than minimumSpan (a flat series) is
// widened about its middle, then shifted to stay within floor and ceiling.
THistoryGraph::TScale THistoryGraph::MakeScale(double low, double high, int maxSteps, double minimumSpan, double floor,
                                               double ceiling) {
  if (high < low) std::swap(low, high);
  minimumSpan = std::max(minimumSpan, 1.0);
  if (high - low < minimumSpan) {
    const double middle = low / 2 + high / 2;
    low = middle - minimumSpan / 2;
    high = middle + minimumSpan / 2;
  }
  if (high > ceiling) {
    low -= high - ceiling;
    high = ceiling;
  }
  if (low < floor) {
    high += floor - low;
    low = floor;
  }
  const double rough = (high - low) / std::max(maxSteps, 1);
  const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
  const double fraction = rough / magnitude;
  double step = (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * magnitude;
  step = std::max(step, 1.0);
  TScale scale{std::floor(low / step) * step, std::ceil(high / step) * step, step};
  if (scale.high <= scale.low) scale.high = scale.low + step;
  return scale;
}

THistoryGraph::THistoryGraph(TCanvas& canvas, const TPixelsPerInch* scaler) : TVexaBenchmarkDrawer(canvas, scaler) {}

void THistoryGraph::SetData(THistoryGraphData newData) {
  data = std::move(newData);
  // Sorted through an index so the times are computed once; equal times keep their order.
  std::vector<std::size_t> order(data.points.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::vector<std::int64_t> times(data.points.size());
  for (std::size_t i = 0; i < times.size(); ++i) times[i] = LocalSeconds(data.points[i].time);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return times[a] < times[b]; });
  std::vector<THistoryPoint> sorted;
  sorted.reserve(order.size());
  seconds.clear();
  for (const std::size_t i : order) {
    sorted.push_back(data.points[i]);
    seconds.push_back(times[i]);
  }
  data.points = std::move(sorted);
  normalisedRect = rawRect = plotRect = {};
}

std::int32_t THistoryGraph::TextPixels() const {
  const std::int64_t height = std::abs(std::int64_t{canvas.Font().height});
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(height == 0 ? Scaled(11) : height, 6, 200));
}

// The canvas cannot measure text: a column is taken as 5/8 of the font's height,
// wider than the faces in use, so texts placed apart by it never touch.
std::int32_t THistoryGraph::TextWidth(std::string_view text) const {
  const auto columns = static_cast<std::int32_t>(std::min<std::size_t>(DisplayWidth(text), 1000));
  return columns * ((TextPixels() * 5 + 7) / 8);
}

std::int32_t THistoryGraph::TimeX(std::size_t index) const {
  const std::int32_t inset = Scaled(4);
  const std::int32_t left = plotRect.left + inset;
  const std::int32_t width = std::max(plotRect.Width() - 1 - 2 * inset, 0);
  const std::int64_t span = seconds.back() - seconds.front();
  if (span <= 0) return left + width / 2;  // one reading, or all at one time: in the middle
  const auto offset = static_cast<std::uint64_t>(seconds[index] - seconds.front());
  return left + static_cast<std::int32_t>(
                    MulDivFloor(offset, static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(span)));
}

std::int32_t THistoryGraph::ValueY(const TScale& scale, const TEdges& panel, double value) const {
  const std::int32_t inset = Scaled(4);
  const std::int32_t height = std::max(panel.Height() - 1 - 2 * inset, 0);
  const double fraction = std::clamp((value - scale.low) / (scale.high - scale.low), 0.0, 1.0);
  return panel.bottom - 1 - inset - static_cast<std::int32_t>(std::lround(fraction * height));
}

void THistoryGraph::Draw() {
  normalisedRect = rawRect = plotRect = {};
  if (bounds.Width() <= 0 || bounds.Height() <= 0) return;
  const TColor background = BackgroundColor();
  framePen = Blend(background, kWhite, 64);
  gridPen = Blend(background, kWhite, 24);
  canvas.FillRect(bounds, background);

  // Top to bottom: title, panels, the time axis's labels, the legend.
  const std::int32_t text = TextPixels();
  const std::int32_t line = text + Scaled(4);
  const std::int32_t pad = Scaled(6);
  const TEdges area{bounds.left + pad, bounds.top + pad, bounds.right - pad, bounds.bottom - pad};
  const std::int32_t plotTop = area.top + line + Scaled(4);
  const std::int32_t plotBottom = area.bottom - 2 * line - Scaled(8);
  if (area.Width() < Scaled(64) || plotBottom - plotTop < Scaled(32)) return;  // no room for anything readable
  canvas.WriteTextIn({area.left, area.top, area.right, area.top + line}, data.title, kWhite,
                     (TextWidth(data.title) > area.Width() ? tfLeft : tfCenter) | tfSingleLine | tfNoPrefix);

  if (data.points.empty()) {
    const TEdges frame{area.left, plotTop, area.right, plotBottom};
    canvas.Rectangle(frame, framePen, std::nullopt);
    canvas.WriteTextIn(frame, kNoReadings, kWhite, tfCenter | tfVCenter | tfSingleLine | tfNoPrefix);
    return;
  }

  std::vector<double> current, worst, raw;
  double low = 255, high = 0;  // of the normalised values
  for (const THistoryPoint& point : data.points) {
    current.push_back(point.current);
    worst.push_back(point.worst);
    raw.push_back(ToDouble(point.raw));
    low = std::min({low, current.back(), worst.back()});
    high = std::max({high, current.back(), worst.back()});
  }
  const bool threshold = data.hasNormalised && data.threshold.value_or(0) != 0;
  if (threshold) {
    low = std::min<double>(low, *data.threshold);
    high = std::max<double>(high, *data.threshold);
  }
  const std::int32_t gap = Scaled(10);
  const std::int32_t panelHeight = data.hasNormalised ? (plotBottom - plotTop - gap) / 2 : plotBottom - plotTop;
  const int maxSteps = std::max(panelHeight / (2 * line), 1);
  const TScale normalisedScale = MakeScale(low, high, maxSteps, 10, 0, 255);
  const auto [rawLow, rawHigh] = std::minmax_element(raw.begin(), raw.end());
  const double rawThreshold = data.rawThreshold ? ToDouble(*data.rawThreshold) : *rawLow;
  const TScale rawScale = MakeScale(std::min(*rawLow, rawThreshold), std::max(*rawHigh, rawThreshold), maxSteps,
                                    std::max(10.0, *rawHigh / 10), 0, ToDouble({~std::uint64_t{0}, ~std::uint64_t{0}}));

  // The scales' figures sit left of the panels, right-aligned on one edge.
  std::int32_t labelWidth = 0;
  for (const TScale* scale : std::array<const TScale*, 2>{&normalisedScale, &rawScale}) {
    if (scale == &normalisedScale && !data.hasNormalised) continue;
    for (int k = 0; k <= scale->Steps(); ++k) {
      labelWidth = std::max(labelWidth, TextWidth(ScaleText(scale->low + k * scale->step, scale->step)));
    }
  }
  labelWidth = std::min(labelWidth, area.Width() / 3);
  plotRect = {area.left + labelWidth + Scaled(6), plotTop, area.right, plotBottom};
  if (data.hasNormalised) {
    normalisedRect = {plotRect.left, plotTop, plotRect.right, plotTop + panelHeight};
    rawRect = {plotRect.left, normalisedRect.bottom + gap, plotRect.right, plotBottom};
  } else {
    rawRect = plotRect;
  }

  const std::int32_t labelRight = plotRect.left - Scaled(4);
  if (data.hasNormalised) DrawPanel(normalisedRect, normalisedScale, labelRight, kCurrentColour);
  DrawPanel(rawRect, rawScale, labelRight, kRawColour);
  DrawTimeAxis();
  if (data.hasNormalised) {
    DrawSeries(normalisedRect, normalisedScale, worst, WorstColour(background));
    DrawSeries(normalisedRect, normalisedScale, current, kCurrentColour);
  }
  DrawSeries(rawRect, rawScale, raw, kRawColour);
  if (threshold) {
    DrawThreshold(normalisedRect, normalisedScale, *data.threshold, Format("%s %u", kThresholdName, *data.threshold));
  }
  if (data.rawThreshold) {
    DrawThreshold(rawRect, rawScale, rawThreshold, Format("%s %s", kThresholdName, DecimalText(*data.rawThreshold)));
  }
  DrawLegend(plotRect.left, area.bottom - line, area.right, threshold || data.rawThreshold);
}

void THistoryGraph::DrawPanel(const TEdges& panel, const TScale& scale, std::int32_t labelRight, TColor colour) {
  canvas.Rectangle(panel, framePen, std::nullopt);
  const std::int32_t text = TextPixels();
  std::int32_t lastLabel = std::numeric_limits<std::int32_t>::max();
  for (int k = 0; k <= scale.Steps(); ++k) {
    const double value = scale.low + k * scale.step;
    const std::int32_t y = ValueY(scale, panel, value);
    if (y > panel.top && y < panel.bottom - 1) {
      const std::array<TPoint, 2> grid{TPoint{panel.left + 1, y}, TPoint{panel.right - 1, y}};
      canvas.Polyline(grid, gridPen);
    }
    // Figures bottom up; one too close to the last is left out.
    if (lastLabel - y < text + Scaled(2)) continue;
    canvas.WriteText(labelRight, y - text / 2, ScaleText(value, scale.step), colour, tfRight | tfNoPrefix);
    lastLabel = y;
  }
}

void THistoryGraph::DrawSeries(const TEdges& panel, const TScale& scale, const std::vector<double>& values,
                               TColor colour) {
  std::vector<TPoint> points;
  points.reserve(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) points.push_back({TimeX(i), ValueY(scale, panel, values[i])});
  if (points.size() > 1) canvas.Polyline(points, colour);
  const std::int32_t half = Scaled(2);
  for (const TPoint& p : points) canvas.FillRect({p.x - half, p.y - half, p.x + half + 1, p.y + half + 1}, colour);
}

void THistoryGraph::DrawThreshold(const TEdges& panel, const TScale& scale, double value, const std::string& label) {
  const std::int32_t y = ValueY(scale, panel, value);
  const std::array<TPoint, 2> rule{TPoint{panel.left + 1, y}, TPoint{panel.right - 1, y}};
  canvas.Polyline(rule, kThresholdColour);
  // The label above the line at its right end (below it near the top), on a patch
  // of background so the series under it cannot garble it.
  const std::int32_t text = TextPixels();
  const std::int32_t top = y - text - Scaled(2) > panel.top ? y - text - Scaled(2) : y + Scaled(2);
  const std::int32_t right = panel.right - Scaled(4);
  const std::int32_t left = std::max(right - TextWidth(label), panel.left + 1);
  canvas.FillRect({left, top, right, top + text}, BackgroundColor());
  canvas.WriteText(right, top, label, kThresholdColour, tfRight | tfNoPrefix);
}

void THistoryGraph::DrawTimeAxis() {
  // Labels are the readings' own times: the first, the last, then the others left to
  // right wherever one fits beside those placed. Within two days the time of day tells
  // readings apart; beyond, a date already written is not written again.
  const bool withTime = seconds.back() - seconds.front() < 2 * kSecondsPerDay;
  const std::int32_t space = Scaled(10);
  struct TLabel {
    std::int32_t x, left, right;
    std::string text;
  };
  std::vector<TLabel> labels;
  const auto place = [&](std::size_t index) {
    std::string text = DateText(data.points[index].time, withTime);
    const std::int32_t x = TimeX(index);
    const std::int32_t width = TextWidth(text);
    const std::int32_t left =
        std::max(std::min(x - width / 2, bounds.right - Scaled(6) - width), bounds.left + Scaled(6));
    for (const TLabel& label : labels) {
      if (label.text == text || (left < label.right + space && label.left < left + width + space)) return;
    }
    labels.push_back({x, left, left + width, std::move(text)});
  };
  const std::size_t count = data.points.size();
  place(0);
  place(count - 1);
  for (std::size_t i = 1; i + 1 < count; ++i) place(i);

  const TEdges& lowest = rawRect;
  for (const TLabel& label : labels) {
    for (const TEdges* panel : {&normalisedRect, &rawRect}) {
      if (panel->Height() <= 2) continue;
      const std::array<TPoint, 2> grid{TPoint{label.x, panel->top + 1}, TPoint{label.x, panel->bottom - 1}};
      canvas.Polyline(grid, gridPen);
    }
    const std::array<TPoint, 2> tick{TPoint{label.x, lowest.bottom}, TPoint{label.x, lowest.bottom + Scaled(4)}};
    canvas.Polyline(tick, framePen);
    canvas.WriteText(label.left, lowest.bottom + Scaled(5), label.text, kWhite, tfLeft | tfNoPrefix);
  }
}

void THistoryGraph::DrawLegend(std::int32_t left, std::int32_t top, std::int32_t right, bool threshold) {
  struct TEntry {
    std::string_view name;
    TColor colour;
    bool shown;
  };
  const std::array<TEntry, 4> entries{{{kCurrentName, kCurrentColour, data.hasNormalised},
                                       {kWorstName, WorstColour(BackgroundColor()), data.hasNormalised},
                                       {kRawName, kRawColour, true},
                                       {kThresholdName, kThresholdColour, threshold}}};
  const std::int32_t text = TextPixels();
  const std::int32_t box = Scaled(8);
  std::int32_t x = left;
  for (const TEntry& entry : entries) {
    if (!entry.shown) continue;
    const std::int32_t width = box + Scaled(4) + TextWidth(entry.name);
    if (x + width > right) break;
    const std::int32_t boxTop = top + (text - box) / 2;
    canvas.FillRect({x, boxTop, x + box, boxTop + box}, entry.colour);
    canvas.WriteText(x + box + Scaled(4), top, entry.name, kWhite, tfLeft | tfNoPrefix);
    x += width + Scaled(14);
  }
}

std::string THistoryGraph::GetHint(std::int32_t x, std::int32_t y) const {
  if (data.points.empty() || !plotRect.Contains(x, y)) return {};
  std::size_t nearest = 0;
  std::int64_t distance = std::numeric_limits<std::int64_t>::max();
  for (std::size_t i = 0; i < data.points.size(); ++i) {
    const std::int64_t d = std::abs(std::int64_t{TimeX(i)} - x);
    if (d <= distance) {  // among readings at one place, the latest
      nearest = i;
      distance = d;
    }
  }
  const THistoryPoint& point = data.points[nearest];
  std::string hint = DateText(point.time, true);
  if (data.hasNormalised) hint += Format(" %s %u %s %u", kCurrentName, point.current, kWorstName, point.worst);
  return hint + Format(" %s %s", kRawName, DecimalText(point.raw));
}

}  // namespace vexa
