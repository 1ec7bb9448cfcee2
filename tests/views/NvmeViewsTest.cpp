// NVMe drives on the pages: records, Device page properties, SMART rows, Identify
// rows and the report, over the sample with two NVMe drives (one failing) and a SATA
// disk; and the health-log verdicts at the edges of their fields.
#include <gtest/gtest.h>

#include <algorithm>

#include "device/DeviceInfo.h"
#include "online/JsonDocument.h"
#include "online/SubmitReport.h"
#include "shell/Core.h"
#include "shell/StatusProperties.h"
#include "views/IdentifyTab.h"
#include "views/NvmeHealthText.h"
#include "views/SessionHarness.h"
#include "views/SmartTab.h"

namespace vexa {
namespace {

class NvmeViews : public SessionHarness {};

TEST_F(NvmeViews, RecordsPropertiesAndRows) {
  TConsoleSession& s = Run("nvme-desktop.machine");
  ASSERT_EQ(s.DeviceCount(), 3);
  struct TExpected {
    int position;
    bool nvme;
    std::string_view model, kind, interface, verdict;
    TStatusState verdictState;
  } expected[] = {
      {0, true, "Samsung SSD 980 PRO with Heatsink 1TB", "SSD", "NVMe 1.3", "狀態:OK", TStatusState::Good},
      {1, true, "BC901 NVMe SK hynix 1024GB", "SSD", "NVMe 1.4", "狀態:警報", TStatusState::Bad},
      {2, false, "WDC WD10EZEX-00BN5A0", "HDD", "SATA", "狀態:OK", TStatusState::Good},
  };
  for (const TExpected& e : expected) {
    s.Select(e.position);
    const TDeviceInfo& device = *s.Core().CurrentDevice();
    EXPECT_EQ(device.IsNvme(), e.nvme) << e.model;
    EXPECT_EQ(device.model, e.model);
    EXPECT_EQ(device.GetKindName(), e.kind);
    EXPECT_EQ(device.GetColor(), e.nvme ? 0xC98294u : 0x00A5FFu) << e.model;
    EXPECT_TRUE(s.Status().Entry(10).value.starts_with(e.interface)) << s.Status().Entry(10).value;
    EXPECT_EQ(s.Status().Entry(12).value, e.verdict) << e.model;
    EXPECT_EQ(s.Status().Entry(12).state, e.verdictState) << e.model;
    if (!e.nvme) continue;
    // One SMART row per health-log field, the byte offset as its id.
    const auto& rows = s.SmartModule().Model().Rows();
    ASSERT_EQ(rows.size(), NvmeHealthFields().size());
    EXPECT_EQ(rows[4].id, 5);
    EXPECT_EQ(rows[4].Cell(TSmartColumn::Name), "已使用壽命百分比");
    EXPECT_EQ(s.IdentifyModule().Model().NvmeRows().front().label, "PCI 供應商 ID");
    EXPECT_FALSE(s.Status().Entry(13).value.empty());  // temperature
    EXPECT_TRUE(s.Status().Entry(14).value.ends_with(" 小時"));
  }
  // The failing drive: the warning and the spare below its threshold are the alerts.
  s.Select(1);
  const auto& rows = s.SmartModule().Model().Rows();
  EXPECT_EQ(rows[0].status, TSmartStatus::CurrentReached);
  EXPECT_EQ(rows[0].Cell(TSmartColumn::Formatted), "備用空間低於閾值");
  EXPECT_EQ(rows[2].status, TSmartStatus::CurrentReached);
  EXPECT_EQ(rows[3].status, TSmartStatus::None);

  // The report: the nvme member after the others, its health log field by field.
  TJsonReader json;
  BuildReport(json, s.Core().CurrentDevice(), "", "");
  const std::string text = json.ToText();
  EXPECT_NE(text.find(",\"nvme\":{\"vendor_id\":\"1C5C\""), std::string::npos);
  EXPECT_TRUE(text.ends_with(",\"temperature_sensor_8\":0}}}")) << text.substr(text.size() - 80);
}

// A drive built from a health block: every verdict turns on an edge of its field.
TEST(NvmeHealthText, VerdictsAndTextsAtTheEdges) {
  const auto field = [](std::string_view key) {
    const auto fields = NvmeHealthFields();
    return *std::find_if(fields.begin(), fields.end(), [key](const TNvmeHealthField& f) { return f.key == key; });
  };
  struct TCase {
    std::string_view key;
    std::vector<std::pair<std::size_t, std::uint8_t>> bytes;  // offset, value
    TSmartStatus status;
    std::string_view text;
  } cases[] = {
      {"temperature", {}, TSmartStatus::None, ""},                            // 0 K: not reported
      {"temperature", {{1, 0x53}, {2, 0x01}}, TSmartStatus::Good, "66 °C"},    // 339 K, below 355
      {"temperature", {{1, 0x63}, {2, 0x01}}, TSmartStatus::WorstReached, "82 °C"},  // 355 K: the warning
      {"temperature", {{1, 0x66}, {2, 0x01}}, TSmartStatus::CurrentReached, "85 °C"},  // 358 K: critical
      {"temperature", {{1, 0xFF}, {2, 0xFF}}, TSmartStatus::CurrentReached, "65262 °C"},
      {"available_spare", {{3, 10}, {4, 10}}, TSmartStatus::Good, "10 %"},
      {"available_spare", {{3, 9}, {4, 10}}, TSmartStatus::CurrentReached, "9 %"},
      {"percentage_used", {{5, 89}}, TSmartStatus::Good, "89 %"},
      {"percentage_used", {{5, 90}}, TSmartStatus::WorstReached, "90 %"},
      {"percentage_used", {{5, 255}}, TSmartStatus::CurrentReached, "255 %"},
      {"critical_warning", {{0, 0xC8}}, TSmartStatus::CurrentReached, "唯讀模式, 保留位元"},
      {"media_errors", {{175, 1}}, TSmartStatus::WorstReached, "1329227995784915872903807060280344576"},
  };
  for (const TCase& c : cases) {
    TNvmeDrive drive;
    drive.present = drive.healthRead = true;
    drive.controller.warningTemperature = 355;
    drive.controller.criticalTemperature = 358;
    for (const auto& [offset, value] : c.bytes) drive.healthBlock[offset] = value;
    drive.health = DecodeNvmeHealthLog(drive.healthBlock);
    EXPECT_EQ(NvmeFieldStatus(field(c.key), drive), c.status) << c.key << " " << c.text;
    EXPECT_EQ(NvmeFieldText(field(c.key), drive, false), c.text) << c.key;
  }
  // Counters at their maximum are written whole, not wrapped into 64 bits.
  TNvmeDrive full;
  full.present = full.healthRead = true;
  full.healthBlock.fill(0xFF);
  full.health = DecodeNvmeHealthLog(full.healthBlock);
  EXPECT_EQ(NvmeFieldText(field("power_cycles"), full, false), "340282366920938463463374607431768211455");
  EXPECT_EQ(NvmeHealthStatus(full), TSmartStatus::CurrentReached);
}

}  // namespace
}  // namespace vexa
