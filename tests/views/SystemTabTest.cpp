// The System module: the status properties it fills from a device record (built
// by hand, and a whole drive read through the replay machine), its tool tips, and
// the settings it applies through the window's actions.
#include "views/SystemTab.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "device/DeviceManager.h"
#include "platform/ReplayMachine.h"
#include "platform/StorageLayout.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/MainSettings.h"
#include "shell/Shared.h"
#include "shell/StatusProperties.h"
#include "support/Format.h"
#include "views/SystemWindowActions.h"

namespace vexa {
namespace {

constexpr std::string_view kNotAvailable = "\r\n- 字段不可用, 目前的裝置是不明的或不是SSD";

// The window, recording what it was asked to do.
class TFakeWindow : public TSystemWindowActions {
public:
  void SetMainFont(std::string_view d) override { calls.push_back("main font " + std::string(d)); }
  void SetDeviceFont(std::string_view d) override { calls.push_back("device font " + std::string(d)); }
  void HideTooltip() override { calls.push_back("hide tooltip"); }
  int PageCount() const override { return pages; }
  void SetActivePage(int index) override { calls.push_back(Format("page %d", index)); }
  int SelectorItemCount() const override { return selectorItems; }
  void SetSelectorIndex(int index) override { calls.push_back(Format("selector %d", index)); }
  void SelectDevice() override { calls.push_back("select device"); }
  void SetStayOnTop(bool onTop) override { calls.push_back(Format("on top %d", onTop)); }
  void SetOuterWidth(int v) override { calls.push_back(Format("width %d", v)); }
  void SetOuterHeight(int v) override { calls.push_back(Format("height %d", v)); }
  void SetOuterLeft(int v) override { calls.push_back(Format("left %d", v)); }
  void SetOuterTop(int v) override { calls.push_back(Format("top %d", v)); }
  void ShowMaximized(bool m) override { calls.push_back(Format("maximized %d", m)); }
  std::uintptr_t RescanButtonWindow() const override { return 0x1111; }
  std::uintptr_t DeviceSelectorWindow() const override { return 0x2222; }

  std::vector<std::string> calls;
  int pages = 7;
  int selectorItems = 0;
};

class TFakeTooltips : public TTooltipHost {
public:
  struct TTool {
    std::uintptr_t window;
    std::uint32_t value, flags;
  };
  void AddTool(std::uintptr_t window, std::uint32_t value, std::uint32_t flags) override {
    tools.push_back({window, value, flags});
  }
  void DeleteTool(std::uintptr_t) override {}
  std::vector<TTool> tools;
};

// IDENTIFY words of a test drive, as the drive would send them.
struct TWords {
  std::array<std::uint16_t, 256> w{};
  TWords& Text(std::size_t first, std::size_t count, std::string_view text) {
    for (std::size_t i = 0; i < count; ++i) {
      const auto hi = static_cast<std::uint8_t>(2 * i < text.size() ? text[2 * i] : ' ');
      const auto lo = static_cast<std::uint8_t>(2 * i + 1 < text.size() ? text[2 * i + 1] : ' ');
      w[first + i] = static_cast<std::uint16_t>(hi << 8 | lo);
    }
    return *this;
  }
  TWords& Set(std::size_t word, std::uint16_t value) {
    w[word] = value;
    return *this;
  }
  std::vector<std::uint8_t> Bytes() const {
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t word : w) {
      bytes.push_back(static_cast<std::uint8_t>(word));
      bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    return bytes;
  }
};

// A SATA SSD with SMART, 48-bit LBA and TRIM, signalling at generation 3 of 3.
TWords SolidStateWords(std::string_view model = "ZZTOP QX-9 SSD") {
  TWords words;
  words.Text(10, 10, "SERIAL42").Text(23, 4, "FW01").Text(27, 20, model);
  words.Set(76, 0x000E).Set(77, 0x0006).Set(80, 0x0400).Set(81, 0x006D).Set(82, 0x0001).Set(83, 0x4400);
  words.Set(169, 0x0001).Set(217, 0x0001);
  return words;
}

class SystemTabTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetMessageSink([this](std::string_view text, std::uint32_t) {
      messages.emplace_back(text);
      return kAnswerOk;
    });
    core.SetDevices(&devices);
    core.SetDeviceIndexVariable(settings.deviceIndex);
    store.onChange = [this](TConfigVar* variable) { tabs.NotifyConfigChanged(variable); };
    App().machine = machine.get();
    App().core = &core;
    App().devices = &devices;
    App().tabs = &tabs;
    App().status = &status;
    App().tooltip = &tooltips;
    App().config = &store;
    SetSystemWindowActions(&window);
    tab = tabs.Add(TabClassOf<TSystemTab>());
    ASSERT_NE(tab, nullptr);
  }
  void TearDown() override {
    EXPECT_TRUE(messages.empty()) << messages.front();
    SetSystemWindowActions(nullptr);
    App() = TAppObjects{};
    SetMessageSink({});
  }

  // A physical-disk record from IDENTIFY words, matched against the known drives
  // and given its SMART table, appended to the device list.
  TDeviceInfo* AddDrive(const TWords& words, std::uint32_t busType = 11,
                        const std::vector<TSmartTableRow>& smart = {}) {
    auto record = std::make_unique<TDeviceInfoPhysical>(*machine, devices.Count());
    record->identify.Load(words.Bytes());
    record->ParseIdentify();
    record->busType = busType;
    record->size = 500'107'862'016;
    record->geometry.bytesPerSector = 512;
    record->MatchKnownDevice(devices.KnownDrives());
    record->smartDescriptor = record->CreateSmartDescriptor();
    record->smartDescriptor->SetAttributes(&record->smartAttributes);
    TBlock512 data{}, thresholds{};
    BuildSmartBlocks(smart, data, thresholds);
    record->smartAttributes.Assign(data, thresholds);
    TDeviceInfo* device = record.get();
    devices.Add(std::move(record));
    return device;
  }

  // What the main window does when a drive is chosen, as far as this module hears it.
  void Show(TDeviceInfo* device) {
    status.Clear();
    tabs.NotifyDeviceChanged(device);
  }
  const std::string& Value(int index) const { return status.Entry(index).value; }
  const std::string& Extra(int index) const { return status.Entry(index).extraDescription; }
  TStatusState State(int index) const { return status.Entry(index).state; }

  std::unique_ptr<ReplayMachine> machine = std::make_unique<ReplayMachine>(TMachineFile{});
  TVexaCore core{*machine, "/vexa/"};
  TDeviceManager devices{*machine};
  TStatusProperties status;
  TEasyConfigIni store{"/nonexistent/vexa-system-test.ini"};
  TMainSettings settings = RegisterMainSettings(store, 440, 480, 1280, 1024);
  TVexaTabManager tabs;
  TFakeWindow window;
  TFakeTooltips tooltips;
  TVexaTab* tab = nullptr;
  std::vector<std::string> messages;
};

TEST_F(SystemTabTest, PagelessModuleWithTwoTooltips) {
  EXPECT_EQ(tab->Sheet(), nullptr);
  EXPECT_EQ(tab->Caption(), "System");
  ASSERT_EQ(tooltips.tools.size(), 2u);
  EXPECT_EQ(tooltips.tools[0].window, 0x1111u);
  EXPECT_EQ(tooltips.tools[0].value, (std::uint32_t{tab->Id()} << 16) | 1);
  EXPECT_EQ(tooltips.tools[0].flags, 0x113u);
  EXPECT_EQ(tooltips.tools[1].window, 0x2222u);
  EXPECT_EQ(tooltips.tools[1].value, (std::uint32_t{tab->Id()} << 16) | 2);

  TTooltipContent tip;
  ASSERT_TRUE(tab->GetTooltip(1, tip));
  EXPECT_EQ(tip.title, "重新整理");
  EXPECT_EQ(tip.text, "全部重新整理, 重新顯示任何新裝置, 如插入的 USB 隨身碟或其他最近安裝的裝置.");
  EXPECT_EQ(tip.icon, 0u);

  ASSERT_TRUE(tab->GetTooltip(2, tip));
  EXPECT_EQ(tip.title, "列舉裝置 (0)");
  EXPECT_EQ(tip.text, "您系統上發現的所有裝置.");

  AddDrive(SolidStateWords("ZZTOP QX-9"));
  AddDrive(SolidStateWords("SAMSUNG MZ7PA256HMDR"));
  settings.deviceIndex->SetValue(1);
  ASSERT_TRUE(tab->GetTooltip(2, tip));
  EXPECT_EQ(tip.title, "列舉裝置 (2)");
  EXPECT_EQ(tip.text,
            "您系統上發現的所有裝置.\r\n\r\n- 令牌:  PhysicalDrive1\r\n- 型號:  SAMSUNG MZ7PA256HMDR\r\n"
            "- 供應商: Samsung\r\n- 名稱: 470 OEM");
  settings.deviceIndex->SetValue(0);
  ASSERT_TRUE(tab->GetTooltip(2, tip));
  EXPECT_EQ(tip.text, "您系統上發現的所有裝置.\r\n\r\n- 令牌:  PhysicalDrive0\r\n- 型號:  ZZTOP QX-9\r\n- 供應商: 未知");

  EXPECT_FALSE(tab->GetTooltip(0, tip));
  EXPECT_FALSE(tab->GetTooltip(3, tip));
}

TEST_F(SystemTabTest, IdentityFromAKnownRow) {
  struct TCase {
    std::string_view model;
    std::string_view modelLine;  // empty: the row has no pattern, so no line
    std::string_view controller, flash, process, cell, date;
  };
  const TCase cases[] = {
      {"SAMSUNG MZ7PA256HMDR", "\r\n- 型號:  470 OEM", "Samsung MAX/S3C29MAX01", "Samsung", "30 nm", "MLC", "2010"},
      {"Samsung SSD 850 PRO 256GB", "", "Samsung MEX/S4LN045X01", "Samsung 86/128Gbit Toggle 32-layer V-NAND",
       "40 nm", "MLC", "July 21, 2014"},
      {"SAMSUNG MZYLN256HCHP", "\r\n- 型號:  ?", "Samsung", "", "", "", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.model);
    Show(AddDrive(SolidStateWords(c.model)));
    EXPECT_EQ(Value(0), c.model);
    EXPECT_EQ(Value(1), "FW01");
    EXPECT_EQ(Value(2), "SERIAL42");
    EXPECT_EQ(Extra(0), "\r\n- 全球通用名稱:  0-000000-000000000 (未知)" + std::string(c.modelLine));
    EXPECT_EQ(Value(6), c.controller);
    EXPECT_EQ(Value(7), c.flash);
    EXPECT_EQ(Value(4), c.process);
    EXPECT_EQ(Value(5), c.cell);
    EXPECT_EQ(Value(3), c.date);
    for (int index : {6, 7, 4, 5, 3}) EXPECT_EQ(Extra(index), "");
  }
}

TEST_F(SystemTabTest, UnknownDriveLeavesTheKnowledgeEntriesEmpty) {
  Show(AddDrive(SolidStateWords().Set(108, 0x5002).Set(109, 0x538F).Set(110, 0x4372).Set(111, 0xDD3A)));
  EXPECT_EQ(Extra(0), "\r\n- 全球通用名稱:  5-002538-F4372DD3A (Samsung)");
  for (int index : {6, 7, 4, 5, 3}) {
    EXPECT_EQ(Value(index), "") << index;
    EXPECT_EQ(Extra(index), kNotAvailable) << index;
  }
}

TEST_F(SystemTabTest, TrimAndItsExplanation) {
  struct TCase {
    const char* what;
    bool solidState, osSupports, enabled;
    std::string_view value;
    TStatusState state;
    std::string_view extra;
  };
  const TCase cases[] = {
      {"enabled", true, true, true, "啟用", TStatusState::Good,
       "\r\n\r\nOS 支援:    true\r\nOS 啟用:    true\r\nSSD 支援:    true"},
      {"disabled", true, true, false, "停用", TStatusState::Warning,
       "\r\n\r\nOS 支援:    true\r\nOS 啟用:    false\r\nSSD 支援:    true"},
      {"OS older than 6.1", true, false, false, "不支援", TStatusState::Plain,
       "\r\n\r\nOS 支援:    false\r\nOS 啟用:    false\r\nSSD 支援:    true"},
      {"hard disk", false, true, true, "不支援", TStatusState::Plain, "\r\n\r\n目前的裝置不是固態硬碟"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    core.osSupportsTrim = c.osSupports;
    core.trimEnabled = c.enabled;
    TWords words = SolidStateWords();
    if (!c.solidState) words.Set(217, 7200);
    Show(AddDrive(words));
    EXPECT_EQ(Value(8), c.value);
    EXPECT_EQ(State(8), c.state);
    EXPECT_EQ(Extra(8), c.extra);
    // A hard disk that reports TRIM still lists it among its features.
    EXPECT_EQ(Value(9), "LBA48, SMART, TRIM");
  }
}

TEST_F(SystemTabTest, FeatureListSkipsTheSolidStateBit) {
  Show(AddDrive(SolidStateWords().Set(83, 0x4408).Set(76, 0x010E).Set(78, 0x0100)));
  EXPECT_EQ(Value(9), "APM, LBA48, SMART, NCQ, TRIM, DEVSLP");
}

TEST_F(SystemTabTest, CapacityAndSectorSize) {
  TDeviceInfo* device = AddDrive(SolidStateWords());
  device->logicalSectorsPerPhysical = 8;
  Show(device);
  EXPECT_EQ(Value(16), "465.76 GB");
  EXPECT_EQ(Extra(16), "\r\n- 未格式化: 500,107,862,016 字節\r\n- 總容量:   500.11 GB");
  EXPECT_EQ(Value(19), "512 / 4096");

  // A drive whose size could not be found shows none, not 16,384 PB.
  device->size = kUnknownSize;
  device->geometry.bytesPerSector = 0;
  Show(device);
  EXPECT_EQ(Value(16), "");
  EXPECT_EQ(Extra(16), "");
  EXPECT_EQ(Value(19), "");
}

TEST_F(SystemTabTest, InterfaceText) {
  struct TCase {
    std::uint32_t busType;
    std::uint16_t word76, word222, word168;
    std::string_view expected, formFactor;
  };
  const TCase cases[] = {
      {25, 0x0000, 0x0000, 0x0000, "Unknown (25)", "未報告"},
      {7, 0x000E, 0x0040, 0x0003, "USB / SATA 3.1", "2.5 inch"},  // a SATA drive behind a USB bridge
      {11, 0x000E, 0x00F8, 0x0007, "SATA 3.2", "M.2 2280"},
      {11, 0x0006, 0x0000, 0x0008, "SATA 2", "8 (未知)"},  // no revision: the generation number
      {3, 0x0002, 0x0000, 0xFFFF, "ATA / SATA 1", "15 (未知)"},
      {17, 0x0000, 0x0000, 0x0001, "NVMe", "5.25 inch"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.expected);
    Show(AddDrive(SolidStateWords().Set(76, c.word76).Set(222, c.word222).Set(168, c.word168), c.busType));
    EXPECT_EQ(Value(10), c.expected);
    EXPECT_EQ(Extra(10), Format("\r\n- 外形因素:    %s\r\n- 存儲總線類型ID:      %.2u", c.formFactor, c.busType));
  }
}

TEST_F(SystemTabTest, LinkSpeed) {
  struct TCase {
    std::uint16_t word76, word77;
    std::string_view expected;
  };
  const TCase cases[] = {
      {0x000E, 0x0006, "6.0 Gbps / 6.0 Gbps"},
      {0x000E, 0x0007, "未報告 / 6.0 Gbps"},  // bit 0 set: the current speed is not reported
      {0x000E, 0x0002, "1.5 Gbps / 6.0 Gbps"},
      {0x0000, 0x0004, "3.0 Gbps / 未報告"},
      {0x0000, 0x0000, "未報告"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.expected);
    Show(AddDrive(SolidStateWords().Set(76, c.word76).Set(77, c.word77)));
    EXPECT_EQ(Value(22), c.expected);
  }
}

TEST_F(SystemTabTest, AtaStandard) {
  Show(AddDrive(SolidStateWords()));
  EXPECT_EQ(Value(11), "ACS-3");
  EXPECT_EQ(Extra(11), "\r\n- 次要版本: ACS-3 revision 5 (109)");
  Show(AddDrive(SolidStateWords().Set(80, 0x0000).Set(81, 0x0000)));
  EXPECT_EQ(Value(11), "");
  EXPECT_EQ(Extra(11), "\r\n- 次要版本: Unreported (0)");
}

TEST_F(SystemTabTest, SmartKeyAttributes) {
  const std::vector<TSmartTableRow> rows = {
      {9, 0x32, 99, 99, 1000, 0},  {12, 0x32, 99, 99, 196, 0},       {190, 0x32, 65, 50, 35, 0},
      {241, 0x32, 99, 99, 2'000'000, 0}, {242, 0x32, 99, 99, 4'000'000, 0}};
  Show(AddDrive(SolidStateWords("SAMSUNG MZ7PA256HMDR"), 11, rows));
  EXPECT_EQ(Value(14), "41d 16h");
  EXPECT_EQ(Extra(14), "\r\n- 剩餘壽命: 99,000 小時\r\n- 未格式化: 1,000 小時");
  EXPECT_EQ(Value(15), "196");
  EXPECT_EQ(Value(13), "35 °C");
  EXPECT_EQ(Extra(13), "\r\n- 華氏: 95 °F");
  EXPECT_EQ(Value(18), "976.6 MB");
  // 2,000,000 sectors of 512 bytes over 1,000 hours.
  EXPECT_EQ(Extra(18), "\r\n- 每小時寫入:  1,000.0 kB\r\n- 字節讀取: 1.91 GB");
  EXPECT_EQ(Extra(12), "\r\n- 屬性數: 5\r\n- 屬性描述符: Samsung");
  EXPECT_EQ(Value(12), "");  // the SMART page sets the overall state
}

TEST_F(SystemTabTest, SmartLinesOfOtherDescriptorsAndOddValues) {
  // Not Samsung: no writes per hour. A normalized value above 100 gives no life estimate
  // (it would be negative); 100 gives none either.
  const std::vector<TSmartTableRow> rows = {{9, 0x32, 200, 200, 500, 0}, {241, 0x32, 100, 100, 64, 0}};
  TDeviceInfo* device = AddDrive(SolidStateWords("ZZTOP QX-9 SSD"), 11, rows);
  ASSERT_NE(device->smartDescriptor->Kind(), TSmartDescriptorKind::Samsung);
  device->smartDescriptor->SetFahrenheit(true);
  Show(device);
  EXPECT_EQ(Extra(14), "\r\n- 未格式化: 500 小時");
  EXPECT_EQ(Value(18), "64");
  EXPECT_EQ(Extra(18), "");
  EXPECT_EQ(Value(13), "");
  EXPECT_EQ(Extra(12), Format("\r\n- 屬性數: 2\r\n- 屬性描述符: %s", device->smartDescriptor->DisplayName()));

  // The temperature follows the descriptor's unit and names the other one.
  AddDrive(SolidStateWords("ZZTOP QX-9 SSD"), 11, {{194, 0x22, 70, 60, 30, 0}});
  devices.Device(1)->smartDescriptor->SetFahrenheit(true);
  Show(devices.Device(1));
  EXPECT_EQ(Value(13), "86 °F");
  EXPECT_EQ(Extra(13), "\r\n- 攝氏: 30 °C");
  EXPECT_TRUE(devices.Device(1)->smartDescriptor->Fahrenheit());  // restored after formatting
}

TEST_F(SystemTabTest, TogglingTheTemperatureUnitResetsEntry13) {
  AddDrive(SolidStateWords(), 11, {{190, 0x32, 70, 60, 20, 0}});
  TDeviceInfo* chosen = AddDrive(SolidStateWords(), 11, {{190, 0x32, 65, 50, 35, 0}});
  settings.deviceIndex->SetValue(1);
  Show(chosen);
  ASSERT_EQ(Value(13), "35 °C");
  std::vector<int> changed;
  status.onChange = [&](int index) { changed.push_back(index); };

  settings.fahrenheitTemp->SetValue(true);
  EXPECT_EQ(Value(13), "95 °F");
  EXPECT_EQ(changed, std::vector<int>{13});
  for (int i = 0; i < devices.Count(); ++i) EXPECT_TRUE(devices.Device(i)->smartDescriptor->Fahrenheit());

  settings.fahrenheitTemp->SetValue(false);
  EXPECT_EQ(Value(13), "35 °C");
  EXPECT_FALSE(devices.Device(0)->smartDescriptor->Fahrenheit());

  // A position past the list names no record: only the flags change.
  settings.deviceIndex->SetValue(5);
  changed.clear();
  settings.fahrenheitTemp->SetValue(true);
  EXPECT_TRUE(changed.empty());
}

TEST_F(SystemTabTest, WindowSettingsReachTheWindow) {
  struct TCase {
    std::function<void()> change;
    std::vector<std::string> calls;
  };
  window.selectorItems = 2;
  AddDrive(SolidStateWords());
  AddDrive(SolidStateWords());
  const TCase cases[] = {
      {[&] { settings.fontMain->SetValue("\"Verdana\" 7"); }, {"main font \"Verdana\" 7"}},
      {[&] { settings.fontDevice->SetValue("\"Courier New\" 10"); }, {"device font \"Courier New\" 10"}},
      {[&] { settings.pageIndex->SetValue(3); }, {"hide tooltip", "page 3"}},
      {[&] { settings.pageIndex->SetValue(70); }, {"hide tooltip", "page 6"}},
      {[&] { settings.deviceIndex->SetValue(9); }, {"selector 1", "select device"}},
      {[&] { settings.stayOnTop->SetValue(true); }, {"on top 1"}},
      {[&] { settings.windowWidth->SetValue(500); }, {"width 500"}},
      {[&] { settings.windowHeight->SetValue(400); }, {"height 400"}},
      {[&] { settings.windowLeft->SetValue(-8); }, {"left -8"}},
      {[&] { settings.windowTop->SetValue(20); }, {"top 20"}},
      {[&] { settings.windowMaxed->SetValue(true); }, {"maximized 1"}},
      {[&] { settings.enumScsi->SetValue(true); }, {}},
  };
  for (const TCase& c : cases) {
    window.calls.clear();
    c.change();
    EXPECT_EQ(window.calls, c.calls);
  }
  // An empty selector keeps its index; the device is still selected.
  window.selectorItems = 0;
  window.calls.clear();
  settings.deviceIndex->SetValue(0);
  EXPECT_EQ(window.calls, std::vector<std::string>{"select device"});
  // A page control without pages is left alone.
  window.pages = 0;
  window.calls.clear();
  settings.pageIndex->SetValue(2);
  EXPECT_EQ(window.calls, std::vector<std::string>{"hide tooltip"});
}

// --- A whole drive through the replay machine ---------------------------------------

std::string SampleText(std::string_view name) {
  std::ifstream file(std::string(VEXA_SOURCE_DIR "/../shared/samples/real/") + std::string(name), std::ios::binary);
  return file ? std::string(std::istreambuf_iterator<char>(file), {}) : std::string();
}

std::string HexLines(const std::string& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    text += Format("%.2x", static_cast<std::uint8_t>(bytes[i])) + ((i % 32 == 31) ? "\n" : "");
  return text;
}

TEST_F(SystemTabTest, ReplayedSamsungDrive) {
  const std::string identify = SampleText("samsung_SSD_870_QVO_4TB.identify.txt");
  const std::string data = SampleText("samsung_SSD_870_QVO_4TB.smartdata.bin");
  const std::string thresholds = SampleText("samsung_SSD_870_QVO_4TB.thresholds.bin");
  if (identify.empty() || data.size() != 512 || thresholds.size() != 512) GTEST_SKIP() << "sample drive missing";

  const std::string text = "vexa-machine 1\n[os]\nversion 6.1.7601\ndisable-delete-notification 0\n"
                           "[device \\\\.\\PhysicalDrive0]\nanswers ata smart property number geometry length\n"
                           "identify\n" + identify + "end\nsmart-data\n" + HexLines(data) +
                           "end\nsmart-thresholds\n" + HexLines(thresholds) + "end\n";
  App() = TAppObjects{};
  auto replay = std::make_unique<ReplayMachine>(ParseMachineFile(text, "870qvo.machine"));
  TVexaCore replayCore(*replay, "/vexa/");
  TDeviceManager list(*replay);
  TStatusProperties properties;
  replayCore.SetDevices(&list);
  replayCore.SetDeviceIndexVariable(settings.deviceIndex);
  App().machine = replay.get();
  App().core = &replayCore;
  App().devices = &list;
  App().status = &properties;
  App().config = &store;

  ASSERT_EQ(list.Enumerate(DeviceKindPhysical(), 0, 4), 1);
  settings.deviceIndex->SetValue(0);
  TDeviceInfo* device = replayCore.CurrentDevice();
  ASSERT_TRUE(device && device->Open());
  device->Refresh();
  properties.Clear();
  tabs.NotifyDeviceChanged(device);
  device->Close();

  const std::array<std::string_view, 23> values = {
      "Samsung SSD 870 QVO 4TB", "SVQ02B6Q", "S5STNF0W706332M", "", "", "", "Samsung", "Samsung", "啟用",
      "LBA48, SMART, NCQ, TRIM, DEVSLP", "SATA 3.2", "ACS-4", "", "29 °C", "57d 11h", "196", "3.639 TB",
      "", "11.186 TB", "512 / 512", "", "", "6.0 Gbps / 6.0 Gbps"};
  for (int i = 0; i < 23; ++i) EXPECT_EQ(properties.Entry(i).value, values[i]) << "entry " << i;
  EXPECT_EQ(properties.Entry(8).state, TStatusState::Good);
  EXPECT_EQ(properties.Entry(0).extraDescription, "\r\n- 全球通用名稱:  5-002538-F4372DD3A (Samsung)");
  EXPECT_EQ(properties.Entry(6).extraDescription, kNotAvailable);  // the brand's row names no model
  EXPECT_EQ(properties.Entry(10).extraDescription,
            "\r\n- 外形因素:    2.5 inch\r\n- 存儲總線類型ID:      11");
  EXPECT_EQ(properties.Entry(11).extraDescription, "\r\n- 次要版本: 已保留 (94)");
  EXPECT_EQ(properties.Entry(13).extraDescription, "\r\n- 華氏: 84 °F");
  EXPECT_EQ(properties.Entry(14).extraDescription, "\r\n- 剩餘壽命: 136,521 小時\r\n- 未格式化: 1,379 小時");
  EXPECT_EQ(properties.Entry(16).extraDescription,
            "\r\n- 未格式化: 4,000,787,030,016 字節\r\n- 總容量:   4,000.79 GB");
  EXPECT_EQ(properties.Entry(18).extraDescription, "\r\n- 每小時寫入:  8.31 GB");
  EXPECT_EQ(properties.Entry(12).extraDescription, "\r\n- 屬性數: 14\r\n- 屬性描述符: Samsung");

  // The unit changes from the last reading: no request reaches the drive.
  const auto requests = [&] {
    return replay->RequestCount(storage::kIoctlAtaPassThrough) + replay->RequestCount(storage::kSmartRcvDriveData);
  };
  const std::uint32_t before = requests();
  settings.fahrenheitTemp->SetValue(true);
  EXPECT_EQ(properties.Entry(13).value, "84 °F");
  EXPECT_EQ(requests(), before);
  EXPECT_EQ(replay->RefusedCount(), 0u);
}

}  // namespace
}  // namespace vexa
