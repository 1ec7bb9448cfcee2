// The Benchmark page as a portable module: one entry of measuring objects per device
// chosen so far, the six programs and their runner, the drawers of each program on
// one canvas, the overview's plaques, and the page's seven settings. The Win32 page
// derives from it for its panel, button, selector and cursor; vexa-cli and the tests
// run the same module without a window. Everything runs on the caller's thread: a
// run lets the page process its messages after samples and between the items of a
// series, and a stop request takes effect after the current sample.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "benchmark/BenchmarkDrawer.h"
#include "benchmark/BenchmarkEntry.h"
#include "benchmark/CanvasSwitch.h"
#include "shell/Tabs.h"

namespace vexa {

class Machine;
class TConfigVarInt;
class TConfigVarNamed;
class TConfigVarColor;

inline constexpr std::uint16_t kBenchmarkButtonTip = 256;
inline constexpr std::uint16_t kBenchmarkSelectorTip = 257;
inline constexpr std::string_view kBenchmarkRunCaption = "&基準測試";
inline constexpr std::string_view kBenchmarkStopCaption = "中止";
// The size of the drawing until the page gives its panel's.
inline constexpr std::int32_t kBenchmarkDefaultWidth = 640;
inline constexpr std::int32_t kBenchmarkDefaultHeight = 360;

class TBenchmarkTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TBenchmarkTab";
  static constexpr bool kNeedsSheet = true;

  explicit TBenchmarkTab(std::unique_ptr<TSheet> sheet);
  ~TBenchmarkTab() override;
  std::string_view ClassName() const override { return kClassName; }

  void DevicesEnumerated(int count) override;
  void DeviceChanged(TDeviceInfo* device) override;
  bool GetTooltip(std::uint16_t item, TTooltipContent& tooltip) override;
  void ConfigChanged(TConfigVar* variable) override;

  // The button: runs the active program in the run state, stops in the stop state.
  void Click();
  // Runs the active program on the current entry (the runner); nothing without an
  // entry, with a device too small or of unknown size, or one that cannot be opened
  // (false: nothing ran).
  bool RunProgram();
  // Stop requests for the warm-up and every entry's three benchmarks.
  void Stop();
  // True from the moment a run has its entry until it let go of it (the button's
  // state changes inside that span, while messages are processed).
  bool Running() const { return running; }
  // 0: a click runs the active program; 1: it stops the run.
  int ButtonState() const { return buttonState; }

  // The selector's choice: sets the setting, to which the page then reacts.
  void ChooseProgram(int index);
  int Active() const { return active; }
  TBenchmarkEntry* Current() const { return current; }
  const TBenchmarkCollection& Entries() const { return entries; }
  TDriveBenchmark& WarmUp() { return warmUp; }

  // The drawing: the drawer of a program, the whole picture at the drawing's size,
  // and the hint for a point (empty: none).
  TVexaBenchmarkDrawer& Drawer(int program) const;
  TVexaBenchmarkPlaques& Plaques() const { return *plaques; }
  TVexaBenchmarkGraph& Graph() const { return *graph; }
  void SetDrawingSize(std::int32_t width, std::int32_t height);
  TEdges DrawingRect() const { return {0, 0, drawingWidth, drawingHeight}; }
  // Draws the active program's picture on target (none: on the page's own canvas).
  void DrawActive(TCanvas* target = nullptr);
  std::string HintAt(std::int32_t x, std::int32_t y) const { return Drawer(active).GetHint(x, y); }

  // The page's canvas: drawers paint on whatever the page points it at.
  TCanvasSwitch& Canvas() { return canvasSwitch; }

protected:
  // Draws the active program and shows it; immediate: paint the panel now.
  virtual void Redraw(bool immediate);
  // Lets the user interface handle what is pending (clicks on the stop button).
  virtual void ProcessMessages() {}
  // The busy cursor during a run.
  virtual void ShowBusy(bool /*busy*/) {}
  // The button's caption changed with its state.
  virtual void ButtonStateChanged() {}
  // The active program changed: the selector follows, the balloon hides.
  virtual void ActiveChanged() {}
  // The icon of both tool tips (the program's icon on Windows).
  virtual std::uintptr_t TooltipIcon() const { return 0; }

private:
  void Bind(TBenchmarkEntry* entry);
  void SetButtonState(int state);
  TBenchmarkSettings Settings() const;
  void FillOverviewCell(int row, TPlaqueCell& cell, int column) const;
  void RunOverview(TBenchmarkEntry& entry, const std::string& path, THandle handle, std::int64_t size);
  void RunQueueSeries(TBenchmarkEntry& entry, const std::string& path, std::int64_t size);
  void RunMixedSeries(TBenchmarkEntry& entry, THandle handle, std::int64_t size);
  void OnSample(const TDriveBenchmark& sender);

  Machine& machine;
  TCanvasSwitch canvasSwitch;
  TDriveBenchmark warmUp;
  TBenchmarkCollection entries;
  // Entries of a list rebuilt during a run, freed when the run is over.
  std::vector<TBenchmarkCollection> retired;
  TBenchmarkEntry* current = nullptr;
  std::unique_ptr<TVexaBenchmarkIops> queueDrawer;
  std::unique_ptr<TVexaBenchmarkGraph> graph;
  std::unique_ptr<TVexaBenchmarkIops> mixedDrawer;
  std::unique_ptr<TVexaBenchmarkPlaques> plaques;
  int active = 0;
  int buttonState = 0;
  bool running = false;
  std::int32_t drawingWidth = kBenchmarkDefaultWidth;
  std::int32_t drawingHeight = kBenchmarkDefaultHeight;

  TConfigVarInt* gridSections = nullptr;
  TConfigVarInt* transferBlockSize = nullptr;
  TConfigVarInt* transferSampleCount = nullptr;
  TConfigVarInt* accessBlockSize = nullptr;
  TConfigVarInt* accessSampleCount = nullptr;
  TConfigVarColor* backgroundColor = nullptr;
  TConfigVarNamed* activeBenchmark = nullptr;
};

}  // namespace vexa
