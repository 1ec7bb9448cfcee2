// The Device page's model: the layout table and the zoom rule, box texts and
// colours (empty, hidden serial, states), the logo fallbacks, tool tips, click
// shortcuts, the copy text and the catch-up of a page built after start-up.
#include "views/DeviceTab.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "device/DeviceManager.h"
#include "platform/ReplayMachine.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/MainSettings.h"
#include "shell/Shared.h"

namespace vexa {
namespace {

// A page with pretend controls: an outer panel of a size the test sets, a given
// set of logo resources, and a record of what it was asked to redraw.
class TTestDevicePage : public TDeviceTab {
public:
  TTestDevicePage(TPanelSize size, std::set<int> logos)
      : TDeviceTab(nullptr, TDeferredStart{}), size(size), logos(std::move(logos)) {
    Start();
  }
  TPanelSize size;
  std::set<int> logos;
  std::vector<int> boxesChanged;
  int logoChanges = 0;
  int layoutChanges = 0;

protected:
  TPanelSize OuterPanelSize() const override { return size; }
  bool LogoResourceExists(int resource) const override { return logos.count(resource) != 0; }
  void BoxChanged(int index) override { boxesChanged.push_back(index); }
  void LogoChanged() override { ++logoChanges; }
  void LayoutChanged() override { ++layoutChanges; }
};

const std::set<int> kSomeLogos{1024, 1025, 1026, 1281};
constexpr TPanelSize kDesign{400, 380};

class DeviceTabTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetMessageSink([this](std::string_view text, std::uint32_t) {
      messages.emplace_back(text);
      return kAnswerOk;
    });
    TDeviceTab::ForgetDesignSize();
    core.SetDevices(&devices);
    core.SetDeviceIndexVariable(settings.deviceIndex);
    App().machine = machine.get();
    App().core = &core;
    App().devices = &devices;
    App().scaler = &scaler;
    App().status = &status;
    App().config = &store;
    settings.fontMain->SetValue("Tahoma 9");
    // Every change reaches the pages built so far, as the main window arranges it.
    store.onChange = [this](TConfigVar* variable) {
      for (TDeviceTab* page : pages) page->ConfigChanged(variable);
    };
    status.onChange = [this](int index) {
      for (TDeviceTab* page : pages) page->StatusPropertyChanged(index);
    };
  }
  void TearDown() override {
    EXPECT_TRUE(messages.empty()) << messages.front();
    App() = TAppObjects{};
    SetMessageSink({});
    TDeviceTab::ForgetDesignSize();
  }

  TTestDevicePage& NewPage(TPanelSize size = kDesign, std::set<int> logos = kSomeLogos) {
    owned.push_back(std::make_unique<TTestDevicePage>(size, std::move(logos)));
    pages.push_back(owned.back().get());
    return *owned.back();
  }

  TDeviceInfo* AddDrive(std::uint8_t brand, bool solidState) {
    auto record = std::make_unique<TDeviceInfoPhysical>(*machine, devices.Count());
    record->brand = brand;
    record->featureFlags = solidState ? DriveFeature::SolidState : 0;
    TDeviceInfo* device = record.get();
    devices.Add(std::move(record));
    return device;
  }

  TConfigVarBool* HideSerial() const { return store.FindAs<TConfigVarBool>("tabs.device.hide_serial"); }
  TConfigVarFloat* UiScale() const { return store.FindAs<TConfigVarFloat>("tabs.device.ui_scale"); }

  std::unique_ptr<ReplayMachine> machine = std::make_unique<ReplayMachine>(TMachineFile{});
  TVexaCore core{*machine, "/vexa/"};
  TDeviceManager devices{*machine};
  TPixelsPerInch scaler{96, 96};
  TStatusProperties status;
  TEasyConfigIni store{"/nonexistent/vexa-device-test.ini"};
  TMainSettings settings = RegisterMainSettings(store, 440, 480, 1280, 1024);
  std::vector<std::unique_ptr<TTestDevicePage>> owned;
  std::vector<TDeviceTab*> pages;
  std::vector<std::string> messages;
};

TEST(DeviceTabLayout, TableRowsAndDesignPositions) {
  ASSERT_EQ(kDeviceBoxPlaces.size(), 23u);
  const struct {
    int index, x, width, row;
  } rows[] = {{0, 0, 192, 0}, {5, 118, 74, 4}, {8, 0, 92, 9}, {11, 178, 112, 9}, {21, 200, 90, 14}, {22, 158, 132, 8}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.index);
    EXPECT_EQ(kDeviceBoxPlaces[r.index].x, r.x);
    EXPECT_EQ(kDeviceBoxPlaces[r.index].width, r.width);
    EXPECT_EQ(kDeviceBoxPlaces[r.index].row, r.row);
  }

  const TDeviceLayout layout = ComputeDeviceLayout(TPixelsPerInch(96, 96), 1, "Tahoma 9", nullptr);
  EXPECT_EQ(layout.targetPixelsPerInch, 96);
  EXPECT_EQ(layout.logo, (TRect{288, 8, 90, 90}));
  EXPECT_EQ(layout.boxes[0], (TRect{88, 8, 192, 17}));
  EXPECT_EQ(layout.labels[0], (TRect{1, 5, 83, 22}));
  EXPECT_EQ(layout.boxes[22], (TRect{246, 176, 132, 17}));
  EXPECT_EQ(layout.boxes[21], (TRect{288, 302, 90, 17}));
  // No box reaches into the logo, none leaves the design form.
  for (int i = 0; i < 23; ++i) {
    if (layout.boxes[i].top < layout.logo.Bottom()) {
      EXPECT_LE(layout.boxes[i].Right(), layout.logo.left) << i;
    }
  }
  for (const TRect& box : layout.boxes) EXPECT_LE(box.Right(), 378);
  EXPECT_EQ(layout.font.height, -12);
  EXPECT_EQ(layout.font.face, "Tahoma");
}

TEST(DeviceTabLayout, ZoomRule) {
  const TPanelSize twice{800, 760};
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const struct {
    long double uiScale;
    TPanelSize panel;
    std::optional<TPanelSize> design;
    long double zoom;
  } cases[] = {
      {0, twice, kDesign, 2},             // fit the window
      {-1.5L, twice, kDesign, 1.5L},      // fit, but never beyond 1.5
      {-3, twice, kDesign, 2},            // the fit is below the bound
      {-1.5L, {200, 380}, kDesign, 0.5L}, // the narrower direction decides
      {1, twice, kDesign, 1},             // fixed: the design size
      {2.5L, {10, 10}, kDesign, 2.5L},
      {0, twice, std::nullopt, 1},        // no design size yet
      {0, {-5, 100}, kDesign, 0},         // a collapsed panel
      {nan, twice, kDesign, 2},           // garbage in the settings file
      {1e30L, twice, kDesign, 32},
      {-1e30L, {1 << 30, 1 << 30}, kDesign, 32},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<double>(c.uiScale));
    EXPECT_DOUBLE_EQ(DeviceZoom(static_cast<double>(c.uiScale), c.panel, c.design).factor, static_cast<double>(c.zoom));
  }
  // The largest zoom still gives sizes that fit in 32 bits.
  const TDeviceLayout huge = ComputeDeviceLayout(TPixelsPerInch(96, 96), 32, "Tahoma 9", nullptr);
  EXPECT_EQ(huge.boxes[0], (TRect{88 * 32, 8 * 32, 192 * 32, 17 * 32}));
  const TDeviceLayout none = ComputeDeviceLayout(TPixelsPerInch(96, 96), 0, "", nullptr);
  EXPECT_EQ(none.targetPixelsPerInch, 1);
  // A fit keeps its fraction: 120 × 779 ÷ 380 is 246, which 120 × (779 ÷ 380) in
  // doubles makes 245.99999999999997.
  const TDeviceLayout fitted =
      ComputeDeviceLayout(TPixelsPerInch(96, 120), DeviceZoom(0, {10000, 779}, kDesign), "", nullptr);
  EXPECT_EQ(fitted.targetPixelsPerInch, 246);
}

TEST_F(DeviceTabTest, ZoomFollowsTheWindowAndTheSetting) {
  TTestDevicePage& page = NewPage();
  core.started = true;
  page.size = {800, 760};
  page.Relayout();
  EXPECT_EQ(page.Layout().boxes[0], (TRect{176, 16, 384, 34}));
  EXPECT_EQ(page.Layout().labels[0], (TRect{1, 13, 171, 39}));
  EXPECT_EQ(page.Layout().logo, (TRect{576, 16, 180, 180}));
  EXPECT_EQ(page.Layout().font.height, -24);

  UiScale()->SetValue(-1.5L);
  EXPECT_EQ(page.Layout().targetPixelsPerInch, 144);
  EXPECT_EQ(page.Layout().boxes[0], (TRect{132, 12, 288, 26}));
  EXPECT_EQ(page.Layout().font.height, -18);

  UiScale()->SetValue(1);
  for (const TPanelSize size : {TPanelSize{800, 760}, TPanelSize{300, 200}, TPanelSize{4000, 100}}) {
    page.size = size;
    page.Relayout();
    EXPECT_EQ(page.Layout().boxes[0], (TRect{88, 8, 192, 17}));
    EXPECT_EQ(page.Layout().font.height, -12);
  }

  const int before = page.layoutChanges;
  settings.fontMain->SetValue("\"Courier New\" 10 b");
  EXPECT_EQ(page.layoutChanges, before + 1);
  EXPECT_EQ(page.Layout().font.face, "Courier New");
  EXPECT_EQ(page.Layout().font.weight, 700);
}

TEST_F(DeviceTabTest, DesignSizeIsTheFirstPagesAndLaterPagesZoomAgainstIt) {
  NewPage({0, 0});  // built before its sheet had a size
  EXPECT_FALSE(TDeviceTab::DesignSize());
  TTestDevicePage& first = NewPage(kDesign);
  EXPECT_EQ(TDeviceTab::DesignSize(), kDesign);
  TTestDevicePage& second = NewPage({800, 760});
  EXPECT_EQ(TDeviceTab::DesignSize(), kDesign);
  second.Relayout();
  first.Relayout();
  EXPECT_EQ(second.Layout().zoom, 2);
  EXPECT_EQ(first.Layout().zoom, 1);
}

TEST_F(DeviceTabTest, BoxTextsAndColours) {
  TTestDevicePage& page = NewPage();
  const struct {
    TStatusState state;
    TColor color;
  } states[] = {{TStatusState::Plain, 0x800000},
                {TStatusState::Good, 0x008000},
                {TStatusState::Warning, 0x00537F},
                {TStatusState::Bad, 0x0020D0}};
  for (const auto& s : states) {
    status.Set(13, "35 °C", s.state);
    EXPECT_EQ(page.BoxView(13), (TDeviceBoxView{"35 °C", s.color}));
  }
  status.Set(0, "QX-9 SSD", TStatusState::Plain);
  status.Set(2, "S123", TStatusState::Good);
  EXPECT_EQ(page.BoxView(2), (TDeviceBoxView{"<點擊或按 F9 檢視>", 0x00537F}));

  page.boxesChanged.clear();
  status.Clear();
  ASSERT_EQ(page.boxesChanged.size(), 23u);
  for (int i = 0; i < 23; ++i) {
    EXPECT_EQ(page.boxesChanged[i], i);
    EXPECT_EQ(page.BoxView(i), (TDeviceBoxView{"n/a", 0x808080})) << i;
  }
  // Indexes outside the form never reach a box.
  page.boxesChanged.clear();
  for (int index : {-1, 23, 127, 100000}) {
    page.StatusPropertyChanged(index);
    EXPECT_EQ(page.BoxView(index), (TDeviceBoxView{"n/a", 0x808080}));
    EXPECT_EQ(page.CopyText(index), "");
  }
  EXPECT_TRUE(page.boxesChanged.empty());
}

TEST_F(DeviceTabTest, SerialTogglesByClickAndSettingAndIsNeverHiddenInTheCopy) {
  TTestDevicePage& page = NewPage();
  status.Set(2, "S123", TStatusState::Plain);
  ASSERT_TRUE(HideSerial()->Value());

  page.boxesChanged.clear();
  EXPECT_EQ(page.BoxMouseDown(2, TDeviceMouseButton::Left, false), std::nullopt);
  EXPECT_FALSE(HideSerial()->Value());
  EXPECT_EQ(page.boxesChanged, std::vector<int>{2});
  EXPECT_EQ(page.BoxView(2), (TDeviceBoxView{"S123", 0x800000}));

  page.BoxMouseDown(2, TDeviceMouseButton::Left, false);
  EXPECT_EQ(page.BoxView(2).text, "<點擊或按 F9 檢視>");
  HideSerial()->SetValue(!HideSerial()->Value());  // F9
  EXPECT_EQ(page.BoxView(2).text, "S123");
  HideSerial()->SetValue(true);

  // A double click arrives as a press and a second press: the serial ends where it
  // started and the copy is the real value.
  EXPECT_EQ(page.BoxMouseDown(2, TDeviceMouseButton::Left, false), std::nullopt);
  EXPECT_EQ(page.BoxMouseDown(2, TDeviceMouseButton::Left, true), "S123");
  EXPECT_TRUE(HideSerial()->Value());
  EXPECT_EQ(page.CopyText(2), "S123");

  status.Set(16, "465.8 GB", TStatusState::Plain);
  EXPECT_EQ(page.BoxMouseDown(16, TDeviceMouseButton::Left, true), "465.8 GB");
  EXPECT_EQ(page.BoxMouseDown(16, TDeviceMouseButton::Right, true), std::nullopt);
}

TEST_F(DeviceTabTest, ClickShortcuts) {
  TTestDevicePage& page = NewPage();
  const struct {
    int box;
    TDeviceMouseButton button;
    int pageIndex;
    bool fahrenheit;
  } clicks[] = {
      {12, TDeviceMouseButton::Right, 1, false}, {13, TDeviceMouseButton::Right, 1, false},
      {14, TDeviceMouseButton::Right, 1, false}, {15, TDeviceMouseButton::Right, 1, false},
      {18, TDeviceMouseButton::Right, 1, false}, {16, TDeviceMouseButton::Right, 2, false},
      {17, TDeviceMouseButton::Right, 2, false}, {20, TDeviceMouseButton::Right, 2, false},
      {21, TDeviceMouseButton::Right, 2, false}, {13, TDeviceMouseButton::Left, 0, true},
      {14, TDeviceMouseButton::Left, 0, false},  {19, TDeviceMouseButton::Right, 0, false},
      {2, TDeviceMouseButton::Right, 0, false},  {12, TDeviceMouseButton::Middle, 0, false},
      {-1, TDeviceMouseButton::Left, 0, false},
  };
  for (const auto& c : clicks) {
    SCOPED_TRACE(c.box);
    settings.pageIndex->SetValue(0);
    settings.fahrenheitTemp->SetValue(false);
    HideSerial()->SetValue(true);
    page.BoxMouseDown(c.box, c.button, false);
    EXPECT_EQ(settings.pageIndex->Value(), c.pageIndex);
    EXPECT_EQ(settings.fahrenheitTemp->Value(), c.fahrenheit);
    EXPECT_TRUE(HideSerial()->Value());
  }
}

TEST(DeviceTabLogo, ChoiceAndFallbacks) {
  const auto exists = [](int id) { return kSomeLogos.count(id) != 0; };
  const struct {
    std::uint8_t brand;
    bool solidState;
    std::optional<int> logo;
  } cases[] = {
      {1, true, 1281},     // the solid-state variant
      {1, false, 1025},    // a hard disk of that brand
      {2, true, 1026},     // no 1282: the brand's own logo
      {0, false, 1024},    // no brand
      {0, true, 1024},     // no brand has no solid-state variant
      {7, true, 1024},     // no logo at all for the brand: the generic one
      {0x81, true, 1281},  // only the low seven bits name the brand
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.brand);
    EXPECT_EQ(ChooseDeviceLogo(c.brand, c.solidState, exists), c.logo);
  }
  EXPECT_EQ(ChooseDeviceLogo(3, true, [](int) { return false; }), std::nullopt);
}

TEST_F(DeviceTabTest, LogoOfTheDeviceAndNoneKeepsThePicture) {
  TTestDevicePage& page = NewPage();
  page.DeviceChanged(AddDrive(1, true));
  EXPECT_EQ(page.LogoResource(), 1281);
  page.DeviceChanged(AddDrive(2, true));
  EXPECT_EQ(page.LogoResource(), 1026);
  page.DeviceChanged(nullptr);
  EXPECT_EQ(page.LogoResource(), 1024);
  EXPECT_EQ(page.logoChanges, 3);

  TTestDevicePage& bare = NewPage(kDesign, {});
  bare.DeviceChanged(AddDrive(1, false));
  EXPECT_EQ(bare.LogoResource(), std::nullopt);
  EXPECT_EQ(bare.logoChanges, 0);
}

TEST_F(DeviceTabTest, Tooltips) {
  TTestDevicePage& page = NewPage();
  TTooltipContent tip;
  EXPECT_FALSE(page.GetTooltip(kDeviceTooltipLogo, tip));  // no device
  AddDrive(1, true);
  ASSERT_TRUE(page.GetTooltip(kDeviceTooltipLogo, tip));
  EXPECT_EQ(tip.title, "製造商");
  EXPECT_EQ(tip.text, "Samsung");
  EXPECT_EQ(tip.icon, 0u);

  status.Set(14, "1,234 小時", TStatusState::Warning);
  status.AppendDescription(14, "- 未格式化: 1,234 小時");
  ASSERT_TRUE(page.GetTooltip(14, tip));
  EXPECT_EQ(tip.title, "開機時間");
  EXPECT_EQ(tip.text, "此裝置已通電的時間。 DEVSLP 與某些裝置在結束休眠狀態時將只會更新此值。\r\n- 未格式化: 1,234 小時");
  EXPECT_EQ(tip.icon, 2u);

  ASSERT_TRUE(page.GetTooltip(0, tip));
  EXPECT_EQ(tip.title, "裝置名稱");
  EXPECT_EQ(tip.icon, 0u);
  ASSERT_TRUE(page.GetTooltip(22, tip));
  EXPECT_EQ(tip.title, "速率");
  EXPECT_FALSE(page.GetTooltip(23, tip));
  EXPECT_FALSE(page.GetTooltip(255, tip));
}

TEST_F(DeviceTabTest, RegistersItsSettingsAndCatchesUpOnlyAfterStart) {
  TTestDevicePage& early = NewPage();
  EXPECT_EQ(early.Caption(), "裝置");
  ASSERT_NE(HideSerial(), nullptr);
  EXPECT_TRUE(HideSerial()->Default());
  ASSERT_NE(UiScale(), nullptr);
  EXPECT_EQ(UiScale()->Default(), 0);
  EXPECT_EQ(early.layoutChanges, 0);
  EXPECT_EQ(early.logoChanges, 0);
  EXPECT_TRUE(early.boxesChanged.empty());

  AddDrive(1, false);
  core.started = true;
  TTestDevicePage& late = NewPage({800, 760});
  EXPECT_EQ(late.layoutChanges, 1);
  EXPECT_EQ(late.Layout().zoom, 2);  // against the first page's size
  EXPECT_EQ(late.logoChanges, 1);
  EXPECT_EQ(late.LogoResource(), 1025);
  ASSERT_EQ(late.boxesChanged.size(), 23u);
  EXPECT_EQ(late.boxesChanged.back(), 22);
  // Both pages share the settings.
  EXPECT_EQ(store.FindAs<TConfigVarBool>("tabs.device.hide_serial"), HideSerial());
}

}  // namespace
}  // namespace vexa
