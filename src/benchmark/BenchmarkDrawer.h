// The benchmark drawings. Each drawer repaints fully on every DrawIn, into the
// canvas it was created on, and keeps no pixels: the background and banner (base),
// the overview's plaques, the IOPS bars and the graph of samples along the drive.
// Each also answers the hint for a point of the drawing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "benchmark/Canvas.h"
#include "support/Geometry.h"

namespace vexa {

class TDriveIops;
class TDriveBenchmark;

inline constexpr std::string_view kBenchmarkBanner = "工作進行中 - 結果並不可靠";
inline constexpr TColor kBenchmarkBackground = 0x524131;  // RGB(49, 65, 82)

class TVexaBenchmarkDrawer {
public:
  // scaler: the scaling of the page (none: sizes as written).
  TVexaBenchmarkDrawer(TCanvas& canvas, const TPixelsPerInch* scaler);
  virtual ~TVexaBenchmarkDrawer() = default;
  TVexaBenchmarkDrawer(const TVexaBenchmarkDrawer&) = delete;
  TVexaBenchmarkDrawer& operator=(const TVexaBenchmarkDrawer&) = delete;

  // The background and the banner; drawers paint their content after it.
  virtual void Draw();
  virtual void SetBackgroundColor(TColor colour);
  void DrawIn(const TEdges& rect) {
    bounds = rect;
    Draw();
  }
  virtual std::string GetHint(std::int32_t /*x*/, std::int32_t /*y*/) const { return {}; }

  TColor BackgroundColor() const { return background; }
  const TEdges& Bounds() const { return bounds; }

protected:
  std::int32_t Scaled(std::int32_t n) const;
  TCanvas& canvas;
  TEdges bounds;

private:
  const TPixelsPerInch* scaler;
  TColor background = kBenchmarkBackground;
};

struct TPlaqueCell {
  std::string caption;
  std::string value;
  std::string hint;
  TColor color = 0;
};

// A grid of labelled result plaques, column by column.
class TVexaBenchmarkPlaques : public TVexaBenchmarkDrawer {
public:
  // Called for every cell just before it is drawn, so the page can fill its value.
  using TOnCell = std::function<void(TVexaBenchmarkPlaques& sender, int row, TPlaqueCell& cell, int column)>;

  TVexaBenchmarkPlaques(TCanvas& canvas, const TPixelsPerInch* scaler);
  void Draw() override;
  // "[caption]" and, on the next lines, the cell's hint; empty outside the grid.
  std::string GetHint(std::int32_t x, std::int32_t y) const override;

  void SetRows(int n);
  void SetColumns(int n);
  int Rows() const { return rows; }
  int Columns() const { return columns; }
  TPlaqueCell& Cell(int row, int column) { return cells[static_cast<std::size_t>(row * columns + column)]; }
  const TPlaqueCell& Cell(int row, int column) const {
    return cells[static_cast<std::size_t>(row * columns + column)];
  }
  void SetCellCaption(int row, int column, std::string_view text) { Cell(row, column).caption = text; }
  void SetCellValue(int row, int column, std::string_view text) { Cell(row, column).value = text; }
  void SetCellColor(int row, int column, TColor colour) { Cell(row, column).color = colour; }

  // The plaque rectangle of a cell.
  TEdges PlaqueRect(int row, int column) const;

  TOnCell onCell;
  TFontSpec font;

private:
  void Resize(int newRows, int newColumns);
  void DrawPlaque(const TEdges& rect, const TPlaqueCell& cell);

  std::int32_t plaqueWidth, plaqueHeight, leftMargin, topMargin, columnGap, rowGap, captionHeight, pad;
  int rows = 3;
  int columns = 2;
  std::vector<TPlaqueCell> cells;
};

// One bar with three lines of figures per IOPS measurement that has run.
class TVexaBenchmarkIops : public TVexaBenchmarkDrawer {
public:
  using TVexaBenchmarkDrawer::TVexaBenchmarkDrawer;
  void Draw() override;

  template <typename TRange>
  void SetItems(const TRange& range) {
    items.clear();
    for (const auto& item : range) items.push_back(&*item);
  }
  void ClearItems() { items.clear(); }
  const std::vector<TDriveIops*>& Items() const { return items; }

  std::int32_t lineSpacing = 18;

private:
  std::vector<TDriveIops*> items;
};

// Curves of samples along the drive, with axes, legend and average markers.
class TVexaBenchmarkGraph : public TVexaBenchmarkDrawer {
public:
  TVexaBenchmarkGraph(TCanvas& canvas, const TPixelsPerInch* scaler);
  void Draw() override;
  void SetBackgroundColor(TColor colour) override;
  // "TR: … MB/s\r\nAT: … ms" read off the first two series at the point's height;
  // empty outside the plot or with fewer than two series.
  std::string GetHint(std::int32_t x, std::int32_t y) const override;

  void AddSeries(TDriveBenchmark* benchmark);
  void ClearSeries() { series.clear(); }
  const std::vector<TDriveBenchmark*>& Series() const { return series; }

  const TEdges& PlotRect() const { return plotRect; }
  const TEdges& LegendRect() const { return legendRect; }
  TColor FrameColor() const { return framePen; }
  TColor GridColor() const { return gridPen; }

  std::int64_t diskSize = 0;
  std::int32_t gridSections = 8;

private:
  void Layout();
  void DrawGrid();
  void DrawSeries(std::size_t index, TDriveBenchmark& benchmark);
  void DrawLegend(std::size_t index, const TDriveBenchmark& benchmark);

  std::int32_t legendBand;
  TEdges plotRect, legendRect;
  TColor framePen = 0, gridPen = 0;
  std::vector<TDriveBenchmark*> series;
};

// The scale of a series: its maximum rounded up past the next multiple of step
// (a multiple itself goes up by a whole step).
std::int64_t SeriesScale(std::int64_t maximum, std::int64_t step);

}  // namespace vexa
