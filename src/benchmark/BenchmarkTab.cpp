// The Benchmark module: settings, entries, drawers, the overview's plaques and the
// program runner.
#include "benchmark/BenchmarkTab.h"

#include <algorithm>

#include "benchmark/BenchmarkPrograms.h"
#include "benchmark/DriveIops.h"
#include "device/DeviceInfo.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "support/Error.h"
#include "support/Format.h"

namespace vexa {

namespace {

constexpr std::string_view kSection = "tabs.benchmark";
constexpr std::string_view kPageFont = "\"Lucida Console\" 8";
constexpr std::string_view kPlaqueFont = "\"Segoe UI\" 10";
constexpr std::string_view kNotAvailable = "n/a";
constexpr std::string_view kNotRun = "未執行";
constexpr std::string_view kRunningMark = "-> ";

struct TOverviewCell {
  std::string_view caption;
  double hue;
};
// Rows are the measurements; column 0 reads, column 1 writes (never run).
constexpr std::array<std::array<TOverviewCell, 2>, 4> kOverviewCells{{
    {{{"順序讀取", 120}, {"順序寫入", 0}}},
    {{{"4K 讀取", 150}, {"4K 寫入", 30}}},
    {{{"讀取存取時間", 60}, {"寫入存取時間", 80}}},
    {{{"讀取 IOPS QD32", 260}, {"寫入 IOPS QD32", 280}}},
}};
constexpr std::array<double, 2> kOverviewSaturation{0.30, 0.07};
constexpr double kOverviewValue = 0.8;
// The overview's steps and the row each one fills.
constexpr std::array<int, 4> kOverviewRows{2, 3, 1, 0};

Machine& TheMachine() {
  if (!App().machine) throw EVexaError("the benchmark needs a machine");
  return *App().machine;
}

}  // namespace

TBenchmarkTab::TBenchmarkTab(std::unique_ptr<TSheet> sheet)
    : TVexaTab(std::move(sheet)), machine(TheMachine()), warmUp(machine) {
  SetCaption("基準");
  if (TEasyConfig* config = App().config) {
    gridSections = TConfigVarInt::Register(config, kSection, 8, "grid_sections");
    transferBlockSize = TConfigVarInt::Register(config, kSection, 524288, "transfer_blocksize");
    transferSampleCount = TConfigVarInt::Register(config, kSection, 256, "transfer_samplecount");
    accessBlockSize = TConfigVarInt::Register(config, kSection, 512, "access_blocksize");
    accessSampleCount = TConfigVarInt::Register(config, kSection, 500, "access_samplecount");
    backgroundColor = TConfigVarColor::Register(config, kSection, static_cast<std::int32_t>(kBenchmarkBackground),
                                                "background_color");
    activeBenchmark = TConfigVarNamed::Register(config, kSection, 0, "active_benchmark");
    activeBenchmark->minimum = 0;
    activeBenchmark->maximum = static_cast<std::int32_t>(kBenchmarkPrograms.size()) - 1;
    activeBenchmark->names.clear();
    for (const TBenchmarkProgram& program : kBenchmarkPrograms) activeBenchmark->names.emplace_back(program.name);
    active = Clamp(activeBenchmark->Value(), 0, activeBenchmark->maximum);
  }
  const TPixelsPerInch* scaler = App().scaler;
  const TFontSpec* noBase = nullptr;
  if (scaler) canvasSwitch.SetFont(scaler->ParseFont(kPageFont, noBase));
  SetUpWarmUp(warmUp);

  queueDrawer = std::make_unique<TVexaBenchmarkIops>(canvasSwitch, scaler);
  graph = std::make_unique<TVexaBenchmarkGraph>(canvasSwitch, scaler);
  mixedDrawer = std::make_unique<TVexaBenchmarkIops>(canvasSwitch, scaler);
  plaques = std::make_unique<TVexaBenchmarkPlaques>(canvasSwitch, scaler);
  queueDrawer->lineSpacing = scaler ? scaler->Scale(9) : 9;
  mixedDrawer->lineSpacing = scaler ? scaler->Scale(18) : 18;
  graph->gridSections = gridSections ? gridSections->Value() : 8;
  if (scaler) plaques->font = scaler->ParseFont(kPlaqueFont, noBase);
  plaques->onCell = [this](TVexaBenchmarkPlaques&, int row, TPlaqueCell& cell, int column) {
    FillOverviewCell(row, cell, column);
  };
  plaques->SetRows(4);
  plaques->SetColumns(2);
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 2; ++column) {
      const TOverviewCell& cell = kOverviewCells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
      plaques->SetCellCaption(row, column, cell.caption);
      plaques->SetCellColor(row, column,
                            HsvToColor(cell.hue, kOverviewSaturation[static_cast<std::size_t>(column)], kOverviewValue));
      plaques->SetCellValue(row, column, kNotAvailable);
    }
  }
  if (backgroundColor) ConfigChanged(backgroundColor);
  if (App().core && App().core->started) DeviceChanged(App().core->CurrentDevice());
}

TBenchmarkTab::~TBenchmarkTab() {
  Bind(nullptr);
  current = nullptr;
}

TVexaBenchmarkDrawer& TBenchmarkTab::Drawer(int program) const {
  switch (program) {
    case bpOverview: return *plaques;
    case bpQueueDepth: return *queueDrawer;
    case bpMixed: return *mixedDrawer;
    default: return *graph;
  }
}

TBenchmarkSettings TBenchmarkTab::Settings() const {
  TBenchmarkSettings settings;
  // Negative values read as huge ones, which a run then refuses.
  if (transferBlockSize) settings.transferBlockSize = static_cast<std::uint32_t>(transferBlockSize->Value());
  if (transferSampleCount) settings.transferSampleCount = static_cast<std::uint32_t>(transferSampleCount->Value());
  if (accessBlockSize) settings.accessBlockSize = static_cast<std::uint32_t>(accessBlockSize->Value());
  if (accessSampleCount) settings.accessSampleCount = static_cast<std::uint32_t>(accessSampleCount->Value());
  return settings;
}

void TBenchmarkTab::Bind(TBenchmarkEntry* entry) {
  queueDrawer->ClearItems();
  mixedDrawer->ClearItems();
  graph->ClearSeries();
  if (!entry) return;
  mixedDrawer->SetItems(entry->mixed);
  queueDrawer->SetItems(entry->queued);
  graph->AddSeries(&entry->transfer);
  graph->AddSeries(&entry->access);
  graph->AddSeries(&entry->queuedTransfer);
  const std::uint64_t size = entry->device ? entry->device->size : 0;
  graph->diskSize = size == kUnknownSize ? 0 : static_cast<std::int64_t>(std::min<std::uint64_t>(size, INT64_MAX));
}

void TBenchmarkTab::DevicesEnumerated(int /*count*/) {
  current = nullptr;
  Bind(nullptr);
  // A run still uses its entry: the old list lives until the run is over.
  if (Running()) {
    retired.push_back(std::move(entries));
    entries = TBenchmarkCollection{};
  } else {
    entries.Clear();
  }
}

void TBenchmarkTab::DeviceChanged(TDeviceInfo* device) {
  current = nullptr;
  if (device) {
    current = entries.Find(device);
    if (!current) {
      auto entry = std::make_unique<TBenchmarkEntry>(machine, device, Settings());
      const auto progress = [this](TDriveBenchmark& sender, const TBenchmarkSample&) { OnSample(sender); };
      entry->transfer.onSample = progress;
      entry->access.onSample = progress;
      entry->queuedTransfer.onSample = progress;
      current = entries.Add(std::move(entry));
    }
  }
  if (!current) return;
  Bind(current);
  Redraw(true);
}

bool TBenchmarkTab::GetTooltip(std::uint16_t item, TTooltipContent& tooltip) {
  if (item == kBenchmarkButtonTip) {
    tooltip.title = "基準測試或停止";
    tooltip.text = "執行目前選取的基准測試或中止任何正在執行的測試";
  } else if (item == kBenchmarkSelectorTip) {
    const TBenchmarkProgram& program = kBenchmarkPrograms[static_cast<std::size_t>(active)];
    tooltip.title = program.name;
    tooltip.text = program.hint;
  } else {
    return false;
  }
  tooltip.icon = TooltipIcon();
  return true;
}

void TBenchmarkTab::ConfigChanged(TConfigVar* variable) {
  if (!variable || variable->Section() != kSection) return;
  if (variable == gridSections) {
    graph->gridSections = gridSections->Value();
    if (active == bpTransfer || active == bpAccessTime) Redraw(false);
  } else if (variable == transferBlockSize || variable == transferSampleCount || variable == accessBlockSize ||
             variable == accessSampleCount) {
    const TBenchmarkSettings settings = Settings();
    for (std::size_t i = 0; i < entries.Count(); ++i) entries.Entry(i)->Apply(settings);
  } else if (variable == backgroundColor) {
    const auto colour = static_cast<TColor>(backgroundColor->Value()) & 0xFFFFFF;
    for (int program = 0; program < static_cast<int>(kBenchmarkPrograms.size()); ++program) {
      Drawer(program).SetBackgroundColor(colour);
    }
    Redraw(false);
  } else if (variable == activeBenchmark) {
    active = Clamp(activeBenchmark->Value(), 0, static_cast<int>(kBenchmarkPrograms.size()) - 1);
    ActiveChanged();
    Redraw(false);
  }
}

void TBenchmarkTab::ChooseProgram(int index) {
  if (activeBenchmark) {
    activeBenchmark->SetValue(index);
  } else {
    active = Clamp(index, 0, static_cast<int>(kBenchmarkPrograms.size()) - 1);
    ActiveChanged();
    Redraw(false);
  }
}

void TBenchmarkTab::SetDrawingSize(std::int32_t width, std::int32_t height) {
  drawingWidth = std::max(width, 0);
  drawingHeight = std::max(height, 0);
}

void TBenchmarkTab::DrawActive(TCanvas* target) {
  TCanvas* previous = canvasSwitch.Target();
  if (target) canvasSwitch.SetTarget(target);
  Drawer(active).DrawIn(DrawingRect());
  if (target) canvasSwitch.SetTarget(previous);
}

void TBenchmarkTab::Redraw(bool /*immediate*/) { DrawActive(); }

void TBenchmarkTab::SetButtonState(int state) {
  ProcessMessages();
  buttonState = state;
  ButtonStateChanged();
}

void TBenchmarkTab::Click() {
  if (buttonState == 1) {
    Stop();
  } else {
    RunProgram();
  }
}

void TBenchmarkTab::Stop() {
  warmUp.RequestStop();
  for (std::size_t i = 0; i < entries.Count(); ++i) {
    TBenchmarkEntry& entry = *entries.Entry(i);
    entry.transfer.RequestStop();
    entry.access.RequestStop();
    entry.queuedTransfer.RequestStop();
  }
  for (const TBenchmarkCollection& old : retired) {
    for (std::size_t i = 0; i < old.Count(); ++i) {
      old.Entry(i)->transfer.RequestStop();
      old.Entry(i)->access.RequestStop();
      old.Entry(i)->queuedTransfer.RequestStop();
    }
  }
}

void TBenchmarkTab::OnSample(const TDriveBenchmark& sender) {
  if (current &&
      (&sender == &current->transfer || &sender == &current->access || &sender == &current->queuedTransfer)) {
    Redraw(false);
  }
  ProcessMessages();
}

bool TBenchmarkTab::RunProgram() {
  if (Running()) return false;
  TBenchmarkEntry* entry = current;
  if (!entry || !entry->device) return false;
  const TDeviceInfo& device = *entry->device;
  // A size not determined is never benchmarked, nor one not above one sector.
  if (device.size == kUnknownSize || device.size > static_cast<std::uint64_t>(INT64_MAX)) return false;
  const auto size = static_cast<std::int64_t>(device.size);
  if (size <= std::int64_t{device.geometry.bytesPerSector}) return false;
  // The device list may be rebuilt while the run processes messages: nothing of the
  // record is read after this point.
  const std::string path = device.path;
  const THandle handle = machine.Open(path, BenchmarkOpenMode(false));
  if (handle == kInvalidHandle) return false;
  const int program = active;
  struct TFinally {
    TBenchmarkTab& tab;
    THandle handle;
    ~TFinally() {
      tab.Redraw(true);
      tab.SetButtonState(0);
      tab.ShowBusy(false);
      tab.machine.Close(handle);
      tab.running = false;
      tab.retired.clear();
    }
  } finally{*this, handle};
  running = true;
  ShowBusy(true);
  SetButtonState(1);
  machine.Flush(handle);
  warmUp.RunAccess(handle, size);
  switch (program) {
    case bpOverview: RunOverview(*entry, path, handle, size); break;
    case bpQueueDepth: RunQueueSeries(*entry, path, size); break;
    case bpTransfer: entry->transfer.RunTransfer(handle, size); break;
    case bpAccessTime: entry->access.RunAccess(handle, size); break;
    case bpQueuedTransfer: entry->queuedTransfer.RunQueuedTransfer(path, size); break;
    case bpMixed: RunMixedSeries(*entry, handle, size); break;
    default: break;
  }
  return true;
}

void TBenchmarkTab::RunQueueSeries(TBenchmarkEntry& entry, const std::string& path, std::int64_t size) {
  for (auto& iops : entry.queued) iops->Reset();
  Redraw(true);
  for (auto& iops : entry.queued) {
    iops->RunQueued(path, size);
    Redraw(true);
  }
}

void TBenchmarkTab::RunMixedSeries(TBenchmarkEntry& entry, THandle handle, std::int64_t size) {
  for (auto& iops : entry.mixed) iops->Reset();
  Redraw(true);
  for (auto& iops : entry.mixed) {
    if (iops->kind == bkRandomRead || iops->kind == bkAccessTime) {
      iops->RunRandom(handle, size);
    } else if (iops->kind == bkSequentialRead) {
      iops->RunSequential(handle, size);
    }
    Redraw(true);
  }
}

void TBenchmarkTab::RunOverview(TBenchmarkEntry& entry, const std::string& path, THandle handle,
                                std::int64_t size) {
  for (std::size_t step = 0; step < kOverviewRows.size(); ++step) {
    TPlaqueCell& cell = plaques->Cell(kOverviewRows[step], 0);
    const TColor saved = cell.color;
    cell.color = Blend(saved, kWhite, 208);
    cell.caption = std::string(kRunningMark) + cell.caption;
    Redraw(true);
    switch (step) {
      case 0: entry.access.RunAccess(handle, size); break;
      case 1: RunQueueSeries(entry, path, size); break;
      case 2: entry.mixed[3]->RunRandom(handle, size); break;
      default: entry.transfer.RunTransfer(handle, size); break;
    }
    cell.caption.erase(0, kRunningMark.size());
    cell.color = saved;
    Redraw(true);
    ProcessMessages();
  }
}

void TBenchmarkTab::FillOverviewCell(int row, TPlaqueCell& cell, int column) const {
  cell.value = kNotAvailable;
  if (!current) return;
  if (column == 1) {
    cell.value = kNotRun;
    return;
  }
  switch (row) {
    case 0: {
      TDriveBenchmark& transfer = current->transfer;
      transfer.ComputeStats();
      if (transfer.rateAverage == 0) return;
      cell.value = FormatByteSize(static_cast<std::uint64_t>(std::max<std::int64_t>(transfer.rateAverage, 0))) + "/s";
      cell.hint = Format("最小: %s/", FormatByteSize(static_cast<std::uint64_t>(std::max<std::int64_t>(
                                          transfer.minimum, 0)))) +
                  "\r\n" +
                  Format("最大: %s/", FormatByteSize(static_cast<std::uint64_t>(std::max<std::int64_t>(
                                          transfer.maximum, 0)))) +
                  "\r\n" + Format("樣本: %d / %d", transfer.count, transfer.sampleCount);
      break;
    }
    case 1: {
      const TDriveIops& random = *current->mixed[3];
      if (random.bytesPerSecond == 0) return;
      cell.value = FormatByteSize(static_cast<std::uint64_t>(random.bytesPerSecond)) + "/s";
      cell.hint = Format("IOPS 次數: %.0n", random.iops) + "\r\n" +
                  Format("樣本: %d / %d", random.completed, random.sampleCount);
      break;
    }
    case 2: {
      TDriveBenchmark& access = current->access;
      access.ComputeStats();
      if (access.latencyAverage == 0) return;
      cell.value = Format("%.3n ms", TRatio(access.latencyAverage, 1000));
      cell.hint = Format("Min: %.3n ms", TRatio(access.minimum, 1000)) + "\r\n" +
                  Format("Max: %.3n ms", TRatio(access.maximum, 1000)) + "\r\n" +
                  Format("樣本: %d / %d", access.count, access.sampleCount);
      break;
    }
    default: {
      std::int32_t largest = 0;
      for (const auto& iops : current->queued) largest = std::max(largest, iops->iops);
      if (largest == 0) return;
      cell.value = Format("%.0n", largest);
      cell.hint.clear();
      for (const auto& iops : current->queued) cell.hint += "\r\n" + Format("QD %.2d: %.0n", iops->queueDepth, iops->iops);
      break;
    }
  }
}

}  // namespace vexa
