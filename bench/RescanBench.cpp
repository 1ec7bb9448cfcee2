// A full rescan of the largest bundled machine with every kind of device enabled
// (256 open attempts each), then the selection of each device in turn, through the
// objects the main window uses. The counters show how many storage requests each
// step issued, so a change that multiplies them shows up next to the time.
#include <benchmark/benchmark.h>

#include <string>

#include "device/DeviceManager.h"
#include "platform/ReplayMachine.h"
#include "platform/StorageLayout.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/MainSettings.h"
#include "shell/Shared.h"
#include "shell/StatusProperties.h"
#include "shell/Tabs.h"
#include "views/MainController.h"

namespace vexa {
namespace {

// The window as far as the controller reaches it; it keeps nothing.
class TSilentWindow : public TMainWindowHost {
public:
  void SetBusyCursor(bool) override {}
  void HideTooltip() override {}
  void SetTitle(const std::string& text) override { benchmark::DoNotOptimize(text.data()); }
  void SelectorAdd(const std::string&, TDeviceInfo*) override {}
  void SelectorRemove(TDeviceInfo*) override {}
  void SelectorClear() override {}
  void SelectorSetIndex(int) override {}
  void SelectorRepaint() override {}
  void RepaintWindow() override {}
};

constexpr std::uint32_t kControlCodes[] = {
    storage::kIoctlScsiPassThrough,        storage::kIoctlScsiMiniport,
    storage::kIoctlAtaPassThrough,         storage::kSmartGetVersion,
    storage::kSmartSendDriveCommand,       storage::kSmartRcvDriveData,
    storage::kIoctlStorageQueryProperty,   storage::kIoctlStorageGetDeviceNumber,
    storage::kIoctlDiskGetDriveGeometry,   storage::kIoctlDiskGetDriveGeometryEx,
    storage::kIoctlDiskGetLengthInfo,      storage::kIoctlDiskGetPartitionInfo,
    storage::kIoctlDiskGetPartitionInfoEx, storage::kIoctlDiskGetDriveLayoutEx,
    storage::kIoctlVolumeGetVolumeDiskExtents,
};

std::uint64_t RequestsSoFar(const ReplayMachine& machine) {
  std::uint64_t total = 0;
  for (std::uint32_t code : kControlCodes) total += machine.RequestCount(code);
  return total;
}

void RescanAndSelectEach(benchmark::State& state) {
  auto machine = ReplayMachine::FromFile(std::string(VEXA_SAMPLES_DIR) + "/desktop-ssd-hdd.machine");
  TVexaCore core(*machine, "");
  TDeviceManager devices(*machine);
  TEasyConfigIni store("unused.ini");
  const TMainSettings settings = RegisterMainSettings(store, 432, 445, 1024, 768);
  settings.enumPhysical->SetValue(true);
  settings.enumScsi->SetValue(true);
  settings.enumOptical->SetValue(true);
  core.SetDevices(&devices);
  core.SetDeviceIndexVariable(settings.deviceIndex);
  TVexaTabManager tabs;
  TStatusProperties status;
  TSilentWindow window;
  TMainController controller(core, devices, tabs, status, settings, window);
  devices.onChange = [&](TListChange code, int index, TDeviceInfo* d) { controller.DeviceListChanged(code, index, d); };
  // The System module's part: a new device index selects the device.
  store.onChange = [&](TConfigVar* v) {
    if (v == settings.deviceIndex) controller.SelectDevice();
  };
  std::uint64_t messages = 0;
  SetMessageSink([&](std::string_view, std::uint32_t) {
    ++messages;
    return kAnswerOk;
  });
  core.started = true;

  std::uint64_t rescanRequests = 0;
  std::vector<std::uint64_t> selectRequests;
  for (auto _ : state) {
    const std::uint64_t before = RequestsSoFar(*machine);
    controller.Rescan();
    rescanRequests = RequestsSoFar(*machine) - before;
    selectRequests.assign(static_cast<std::size_t>(devices.Count()), 0);
    for (int i = 0; i < devices.Count(); ++i) {
      const std::uint64_t start = RequestsSoFar(*machine);
      settings.deviceIndex->SetValue(i);
      selectRequests[static_cast<std::size_t>(i)] = RequestsSoFar(*machine) - start;
    }
  }
  SetMessageSink({});

  const int count = devices.Count();
  state.counters["devices"] = count;
  state.counters["rescan_requests"] = static_cast<double>(rescanRequests);
  std::uint64_t selectTotal = 0;
  for (int i = 0; i < count; ++i) {
    const std::uint64_t n = selectRequests[static_cast<std::size_t>(i)];
    selectTotal += n;
    state.counters["select" + std::to_string(i) + "_requests"] = static_cast<double>(n);
  }
  state.counters["requests_per_device"] =
      count > 0 ? static_cast<double>(rescanRequests + selectTotal) / count : 0.0;
  state.counters["refused"] = machine->RefusedCount();
  state.counters["messages"] = static_cast<double>(messages);
  if (count == 0) state.SkipWithError("the machine file gave no device");
}
BENCHMARK(RescanAndSelectEach)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vexa
