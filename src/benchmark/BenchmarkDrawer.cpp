#include "benchmark/BenchmarkDrawer.h"

#include <algorithm>
#include <array>
#include <limits>

#include "benchmark/DriveBenchmark.h"
#include "benchmark/DriveIops.h"
#include "support/Format.h"

namespace vexa {

namespace {

// Shared by the bars and the graph's markers (not scaled).
constexpr std::int32_t kLeftInset = 8;
constexpr std::int32_t kTopInset = 16;
constexpr std::int32_t kMarkerLength = 6;
constexpr std::int32_t kMarkerHalfHeight = 3;

// A grid finer than this is a solid fill anyway; the setting is not bounded, the
// drawing is.
constexpr std::int32_t kMaxGridSections = 512;

constexpr std::int64_t kLatencyStep = 500;             // µs
constexpr std::int64_t kRateStep = 10485760;           // 10 MiB/s
constexpr std::uint64_t kMebibyte = 1048576;

// part × length ÷ whole in whole pixels (truncated): a share of a bar or an axis,
// exact in integers; nothing for a part at or below 0 or an empty length or whole.
std::int32_t ShareOf(std::int64_t part, std::int32_t length, std::int64_t whole) {
  if (part <= 0 || length <= 0 || whole <= 0) return 0;
  return static_cast<std::int32_t>(std::min<std::uint64_t>(
      MulDivFloor(static_cast<std::uint64_t>(part), static_cast<std::uint64_t>(length), static_cast<std::uint64_t>(whole)),
      std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

// --- Base: background and banner ---

TVexaBenchmarkDrawer::TVexaBenchmarkDrawer(TCanvas& canvas, const TPixelsPerInch* scaler)
    : canvas(canvas), scaler(scaler) {}

std::int32_t TVexaBenchmarkDrawer::Scaled(std::int32_t n) const { return scaler ? scaler->Scale(n) : n; }

void TVexaBenchmarkDrawer::Draw() {
  canvas.FillRect(bounds, background);
  const std::int32_t x = (bounds.right - bounds.left) / 2;
  canvas.WriteText(x + 1, 3, kBenchmarkBanner, kBlack, tfCenter);
  canvas.WriteText(x, 2, kBenchmarkBanner, kWhite, tfCenter);
}

void TVexaBenchmarkDrawer::SetBackgroundColor(TColor colour) { background = colour & 0xFFFFFF; }

// --- Plaques ---

TVexaBenchmarkPlaques::TVexaBenchmarkPlaques(TCanvas& canvas, const TPixelsPerInch* scaler)
    : TVexaBenchmarkDrawer(canvas, scaler),
      plaqueWidth(Scaled(178)),
      plaqueHeight(Scaled(56)),
      leftMargin(Scaled(12)),
      topMargin(Scaled(18)),
      columnGap(Scaled(14)),
      rowGap(Scaled(16)),
      captionHeight(Scaled(22)),
      pad(Scaled(6)),
      cells(static_cast<std::size_t>(rows * columns)) {}

void TVexaBenchmarkPlaques::Resize(int newRows, int newColumns) {
  newRows = std::max(newRows, 0);
  newColumns = std::max(newColumns, 0);
  if (newRows == rows && newColumns == columns) return;
  std::vector<TPlaqueCell> resized(static_cast<std::size_t>(newRows * newColumns));
  for (int r = 0; r < std::min(rows, newRows); ++r) {
    for (int c = 0; c < std::min(columns, newColumns); ++c) {
      resized[static_cast<std::size_t>(r * newColumns + c)] = std::move(Cell(r, c));
    }
  }
  cells = std::move(resized);
  rows = newRows;
  columns = newColumns;
}

void TVexaBenchmarkPlaques::SetRows(int n) { Resize(n, columns); }
void TVexaBenchmarkPlaques::SetColumns(int n) { Resize(rows, n); }

TEdges TVexaBenchmarkPlaques::PlaqueRect(int row, int column) const {
  const std::int32_t left = leftMargin + column * (plaqueWidth + columnGap);
  const std::int32_t top = topMargin + row * (plaqueHeight + rowGap);
  return {left, top, left + plaqueWidth, top + plaqueHeight};
}

void TVexaBenchmarkPlaques::Draw() {
  TVexaBenchmarkDrawer::Draw();
  const TFontSpec previous = canvas.Font();
  canvas.SetFont(font);
  for (int c = 0; c < columns; ++c) {
    for (int r = 0; r < rows; ++r) {
      if (onCell) onCell(*this, r, Cell(r, c), c);
      DrawPlaque(PlaqueRect(r, c), Cell(r, c));
    }
  }
  canvas.SetFont(previous);
}

void TVexaBenchmarkPlaques::DrawPlaque(const TEdges& rect, const TPlaqueCell& cell) {
  const TColor body = Blend(cell.color, BackgroundColor(), 192);
  canvas.FillRect(rect.Moved(2, 2), kBlack);
  canvas.FillRect(rect, cell.color);
  canvas.WriteTextIn({rect.left + pad, rect.top, rect.right, rect.top + captionHeight}, cell.caption, kBlack,
                  tfLeft | tfSingleLine | tfVCenter | tfNoPrefix);
  canvas.FillRect({rect.left, rect.top + captionHeight, rect.right, rect.bottom}, body);
  canvas.WriteTextIn({rect.left, rect.top + captionHeight, rect.right - pad, rect.bottom}, cell.value, kWhite,
                  tfRight | tfSingleLine | tfVCenter | tfNoPrefix);
}

std::string TVexaBenchmarkPlaques::GetHint(std::int32_t x, std::int32_t y) const {
  // The margins are not subtracted: a point left of or above the grid still maps to
  // the first column or row. Far outside it maps to nothing.
  if (plaqueHeight + rowGap <= 0 || plaqueWidth + columnGap <= 0) return {};
  const std::int64_t row = (std::int64_t{y} - rowGap / 2) / (plaqueHeight + rowGap);
  const std::int64_t column = (std::int64_t{x} - columnGap / 2) / (plaqueWidth + columnGap);
  if (row < 0 || column < 0 || row >= rows || column >= columns) return {};
  const TPlaqueCell& cell = Cell(static_cast<int>(row), static_cast<int>(column));
  std::string text = Format("[%s]", cell.caption);
  if (!cell.hint.empty()) text += "\r\n" + cell.hint;
  return text;
}

// --- IOPS bars ---

void TVexaBenchmarkIops::Draw() {
  TVexaBenchmarkDrawer::Draw();
  const std::int32_t barRoom = bounds.Width() - 2 * kLeftInset;
  const std::int32_t step = lineSpacing + 38;
  std::int32_t peak = 0;
  for (const TDriveIops* item : items) peak = std::max(peak, item->iops);
  if (peak == 0) peak = 1;
  const std::int32_t x = kLeftInset;
  std::int32_t top = kTopInset;
  std::int32_t bottom = kTopInset + lineSpacing;
  for (const TDriveIops* item : items) {
    if (item->elapsedTicks == 0) continue;  // not run, or failed: takes no room
    // The time of one read: the run's whole microseconds shared among its reads.
    const TRatio averageMs(item->completed == 0 ? 0 : WholeMicros(item->elapsedTicks, item->frequency),
                           std::uint64_t{std::max<std::uint32_t>(item->completed, 1)} * 1000);
    const std::int32_t right = std::max(x + 3, x + ShareOf(item->iops, barRoom, peak));
    canvas.Rectangle({x, top, right, bottom}, kBlack, item->color);
    const std::array<std::string, 3> lines{
        Format("%-28s | IOPS: %10d", item->Label(), item->iops),
        Format("傳輸速率: %9.2f MB/s | 平均時間: %6.3f ms", TRatio(item->bytesPerSecond, kMebibyte), averageMs),
        Format("讀取字節: %13.2n MB | 樣本: %7d", TRatio(Multiply(item->completed, item->blockSize), kMebibyte),
               item->completed)};
    for (std::size_t i = 0; i < lines.size(); ++i) {
      canvas.WriteText(x + 2, bottom + 2 + 10 * static_cast<std::int32_t>(i), lines[i], kWhite, tfLeft);
    }
    top += step;
    bottom += step;
  }
}

// --- Graph ---

std::int64_t SeriesScale(std::int64_t maximum, std::int64_t step) {
  const std::int64_t capped = std::min(maximum, std::numeric_limits<std::int64_t>::max() - step);
  return (capped / step + 1) * step;
}

TVexaBenchmarkGraph::TVexaBenchmarkGraph(TCanvas& canvas, const TPixelsPerInch* scaler)
    : TVexaBenchmarkDrawer(canvas, scaler), legendBand(Scaled(41)) {
  SetBackgroundColor(BackgroundColor());
}

void TVexaBenchmarkGraph::SetBackgroundColor(TColor colour) {
  TVexaBenchmarkDrawer::SetBackgroundColor(colour);
  framePen = Blend(BackgroundColor(), kWhite, 64);
  gridPen = Blend(BackgroundColor(), kWhite, 16);
}

void TVexaBenchmarkGraph::AddSeries(TDriveBenchmark* benchmark) {
  if (benchmark) series.push_back(benchmark);
}

void TVexaBenchmarkGraph::Layout() {
  const std::int32_t w = bounds.Width();
  const std::int32_t h = bounds.Height();
  legendRect = {16, h - legendBand - 15, w - 16, h - legendBand};
  plotRect = {bounds.left + 16, bounds.top + 16, w - 16, legendRect.top - 1};
}

void TVexaBenchmarkGraph::DrawGrid() {
  canvas.Rectangle(plotRect.Grown(1), framePen, std::nullopt);
  const std::int32_t sections = std::min(gridSections, kMaxGridSections);
  for (std::int32_t a = 1; a < sections; ++a) {
    const std::int32_t x = plotRect.left + a * plotRect.Width() / sections;
    const std::int32_t y = plotRect.top + a * plotRect.Height() / sections;
    const std::array<TPoint, 2> vertical{TPoint{x, plotRect.top}, TPoint{x, plotRect.bottom}};
    const std::array<TPoint, 2> horizontal{TPoint{plotRect.left, y}, TPoint{plotRect.right, y}};
    canvas.Polyline(vertical, gridPen);
    canvas.Polyline(horizontal, gridPen);
  }
  canvas.Rectangle(legendRect.Grown(1), framePen, std::nullopt);
}

void TVexaBenchmarkGraph::Draw() {
  TVexaBenchmarkDrawer::Draw();
  Layout();
  DrawGrid();
  for (std::size_t i = 0; i < series.size(); ++i) {
    series[i]->ComputeStats();
    DrawSeries(i, *series[i]);
    if (i < 2) DrawLegend(i, *series[i]);
  }
}

void TVexaBenchmarkGraph::DrawSeries(std::size_t index, TDriveBenchmark& benchmark) {
  if (benchmark.count <= 0) return;
  const bool latency = benchmark.kind == bkAccessTime;
  std::int64_t scale = 0;
  if (latency) {
    scale = SeriesScale(benchmark.maximum, kLatencyStep);
    benchmark.latencyAverage = static_cast<std::int32_t>(benchmark.latencySum / benchmark.count);
  } else {
    scale = SeriesScale(benchmark.maximum, kRateStep);
    benchmark.rateAverage = benchmark.rateSum / benchmark.count;
  }
  const auto above = [&](std::int64_t value) { return ShareOf(value, plotRect.Height(), scale); };
  const std::uint32_t side = index == 0 ? tfLeft : tfRight;
  if (index < 2) {
    const TEdges axis{4, 3, bounds.Width() - 4, plotRect.bottom};
    const std::uint32_t flags = side | tfSingleLine | tfNoClip | tfNoPrefix;
    canvas.WriteTextIn(axis, Format("%.0n", TRatio(scale, latency ? 1 : kMebibyte)), benchmark.color, flags);
    canvas.WriteTextIn(axis, "0", benchmark.color, flags | tfBottom);

    const std::int64_t average = benchmark.kind == bkSequentialRead ? benchmark.rateAverage
                                 : latency                          ? benchmark.latencyAverage
                                                                    : 0;
    if (average != 0) {
      const std::int32_t y = plotRect.bottom - above(average);
      const std::int32_t tip = index == 0 ? plotRect.left - 4 : plotRect.right + 4;
      const std::int32_t back = index == 0 ? tip - kMarkerLength : tip + kMarkerLength;
      const std::array<TPoint, 3> marker{TPoint{tip, y}, TPoint{back, y - kMarkerHalfHeight},
                                         TPoint{back, y + kMarkerHalfHeight}};
      canvas.Polygon(marker, benchmark.color, std::nullopt);
    }
  }
  const auto count = static_cast<std::size_t>(std::min<std::int64_t>(benchmark.count, benchmark.samples.size()));
  const bool dots = count == 1 || latency || benchmark.queueDepth > 1;
  std::vector<TPoint> line;
  for (std::size_t k = 0; k < count; ++k) {
    const TBenchmarkSample& sample = benchmark.samples[k];
    const std::int32_t x = plotRect.left + ShareOf(sample.offset, plotRect.Width(), diskSize);
    if (latency) {
      canvas.Pixel({x, plotRect.bottom - 1 - above(sample.micros)}, benchmark.color);
    } else if (dots) {
      // A single transfer sample is a dot at its rate, like every other rate point.
      canvas.Pixel({x, plotRect.bottom - above(sample.rate)}, benchmark.color);
    } else {
      line.push_back({x, plotRect.bottom - above(sample.rate)});
    }
  }
  if (!line.empty()) canvas.Polyline(line, benchmark.color);
}

void TVexaBenchmarkGraph::DrawLegend(std::size_t index, const TDriveBenchmark& benchmark) {
  if (benchmark.count <= 0) return;
  const std::string text =
      benchmark.kind == bkAccessTime
          ? Format("%.3f ms", TRatio(benchmark.latencySum, std::uint64_t{static_cast<std::uint32_t>(benchmark.count)} * 1000))
          : Format("最小:%.1f, 最大:%.1f, 平均:%.1f", TRatio(benchmark.minimum, kMebibyte),
                   TRatio(benchmark.maximum, kMebibyte), TRatio(benchmark.rateAverage, kMebibyte));
  const TEdges rect{legendRect.left + 4, legendRect.top, legendRect.right - 4, legendRect.bottom};
  canvas.WriteTextIn(rect, text, benchmark.color,
                  (index == 0 ? tfLeft : tfRight) | tfSingleLine | tfVCenter | tfNoPrefix);
}

std::string TVexaBenchmarkGraph::GetHint(std::int32_t x, std::int32_t y) const {
  if (series.size() < 2 || !plotRect.Contains(x, y) || plotRect.Height() <= 0) return {};
  const std::int32_t v = std::max(plotRect.bottom - y, 0);
  // Read against each series' maximum, not the rounded scale; a series that has
  // not run reads 0.
  const auto reading = [&](const TDriveBenchmark* benchmark, std::uint64_t unit) {
    const std::int64_t maximum = benchmark->count > 0 ? std::max<std::int64_t>(benchmark->maximum, 0) : 0;
    return TRatio(Multiply(static_cast<std::uint64_t>(maximum), static_cast<std::uint64_t>(v)),
                  static_cast<std::uint64_t>(plotRect.Height()) * unit);
  };
  return Format("TR: %.3f MB/s\r\nAT: %.3f ms", reading(series[0], kMebibyte), reading(series[1], 1000));
}

}  // namespace vexa
