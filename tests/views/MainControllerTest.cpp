// The road from a rescan to every module: enumeration, the selector mirror,
// selection with its title, failures to open, and the device-list reactions.
#include "views/MainController.h"

#include <gtest/gtest.h>

#include "device/DeviceManager.h"
#include "platform/ReplayMachine.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/MainSettings.h"
#include "shell/Shared.h"
#include "shell/StatusProperties.h"
#include "shell/Tabs.h"

namespace vexa {
namespace {

class TFakeWindow : public TMainWindowHost {
public:
  void SetBusyCursor(bool busy) override { busyDepth += busy ? 1 : -1; }
  void HideTooltip() override {}
  void SetTitle(const std::string& text) override { title = text; }
  void SelectorAdd(const std::string& name, TDeviceInfo*) override { selector.push_back(name); }
  void SelectorRemove(TDeviceInfo* device) override { std::erase(selector, device->GetDisplayName()); }
  void SelectorClear() override { selector.clear(); }
  void SelectorSetIndex(int index) override { selectorIndex = index; }
  void SelectorRepaint() override {}
  void RepaintWindow() override {}
  int busyDepth = 0;
  std::string title;
  std::vector<std::string> selector;
  int selectorIndex = -2;
};

std::vector<std::string> events;

class TListeningTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TListeningTab";
  static constexpr bool kNeedsSheet = false;
  explicit TListeningTab(std::unique_ptr<TSheet> sheet) : TVexaTab(std::move(sheet)) {}
  std::string_view ClassName() const override { return kClassName; }
  void DevicesEnumerated(int count) override { events.push_back("enumerated " + std::to_string(count)); }
  void DeviceChanged(TDeviceInfo* device) override {
    events.push_back(device ? "device " + device->name + (device->IsOpen() ? " open" : " closed") : "no device");
  }
};

class MainControllerTest : public ::testing::Test {
protected:
  void SetUp() override {
    events.clear();
    machine = ReplayMachine::FromFile(std::string(VEXA_SAMPLES_DIR) + "/desktop-ssd-hdd.machine");
    core = std::make_unique<TVexaCore>(*machine, "");
    devices = std::make_unique<TDeviceManager>(*machine);
    settings = RegisterMainSettings(store, 432, 445, 1024, 768);
    core->SetDevices(devices.get());
    core->SetDeviceIndexVariable(settings.deviceIndex);
    controller = std::make_unique<TMainController>(*core, *devices, tabs, status, settings, window);
    devices->onChange = [this](TListChange code, int index, TDeviceInfo* d) { controller->DeviceListChanged(code, index, d); };
    // The System module's part: a new device index selects the device.
    store.onChange = [this](TConfigVar* v) {
      if (v == settings.deviceIndex) controller->SelectDevice();
    };
    tabs.Add(TabClassOf<TListeningTab>());
    SetMessageSink([this](std::string_view text, std::uint32_t) {
      messages.emplace_back(text);
      return kAnswerOk;
    });
    core->started = true;
  }
  void TearDown() override { SetMessageSink({}); }

  std::unique_ptr<ReplayMachine> machine;
  TEasyConfigIni store{"unused.ini"};
  TMainSettings settings{};
  std::unique_ptr<TVexaCore> core;
  std::unique_ptr<TDeviceManager> devices;
  TVexaTabManager tabs;
  TStatusProperties status;
  TFakeWindow window;
  std::unique_ptr<TMainController> controller;
  std::vector<std::string> messages;
};

TEST_F(MainControllerTest, RescanSelectsTheCurrentDeviceOnce) {
  controller->Rescan();
  EXPECT_EQ(window.selector.size(), 3u);  // physical disks and the optical drive; SCSI ports are off
  EXPECT_EQ(window.selectorIndex, 0);
  EXPECT_EQ(window.busyDepth, 0);
  EXPECT_EQ(events, (std::vector<std::string>{"no device", "enumerated 3", "device PhysicalDrive0 open"}));
  EXPECT_EQ(window.title.rfind("Vexa 16.09.09 beta", 0), 0u);
  EXPECT_GT(devices->Device(0)->smartAttributes.Count(), 0u);  // SMART read while selected
  EXPECT_FALSE(devices->Device(0)->IsOpen());
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(machine->RefusedCount(), 0u);
}

TEST_F(MainControllerTest, EveryKindDisabledLeavesNoDevice) {
  settings.enumPhysical->SetValue(false);
  settings.enumOptical->SetValue(false);
  events.clear();
  controller->Rescan();
  EXPECT_EQ(events, (std::vector<std::string>{"no device", "enumerated 0", "no device"}));
  EXPECT_EQ(window.title, "Vexa 16.09.09 beta");
}

TEST_F(MainControllerTest, DeletingTheSelectedDeviceMovesOn) {
  controller->Rescan();
  settings.deviceIndex->SetValue(2);
  events.clear();
  devices->Delete(2);  // outside an update: the index is re-applied at once
  EXPECT_EQ(settings.deviceIndex->Value(), 1);
  EXPECT_EQ(events, std::vector<std::string>{"device PhysicalDrive1 open"});
  EXPECT_EQ(window.selector.size(), 2u);
}

TEST_F(MainControllerTest, DeviceThatCannotBeOpenedIsReported) {
  controller->Rescan();
  TDeviceInfo* device = devices->Device(0);
  device->path = "\\\\.\\PhysicalDrive99";
  events.clear();
  controller->SelectDevice();
  EXPECT_EQ(events, std::vector<std::string>{"no device"});
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "無法開啟裝置\r\n\r\n\"\\\\.\\PhysicalDrive99\"");
  EXPECT_EQ(window.title, "Vexa 16.09.09 beta");
}

TEST(DeviceTitleSuffix, Rules) {
  auto machine = ReplayMachine::FromFile(std::string(VEXA_SAMPLES_DIR) + "/desktop-ssd-hdd.machine");
  TDeviceInfoPhysical device(*machine, 0);
  EXPECT_EQ(DeviceTitleSuffix(nullptr), "");
  EXPECT_EQ(DeviceTitleSuffix(&device), "");
  const TKnownDevice row = KnownRow(1, "SSD 850 PRO", nullptr, "Samsung MEX");
  device.knownRow = &row;
  EXPECT_EQ(DeviceTitleSuffix(&device), " - SSD 850 PRO");
  device.brand = 1;
  EXPECT_EQ(DeviceTitleSuffix(&device), " - Samsung SSD 850 PRO");
  device.knownRow = nullptr;
  EXPECT_EQ(DeviceTitleSuffix(&device), "");
  device.featureFlags = DriveFeature::SolidState;
  EXPECT_EQ(DeviceTitleSuffix(&device), " - 未知 Samsung SSD");
}

}  // namespace
}  // namespace vexa
