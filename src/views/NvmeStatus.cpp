#include "views/NvmeStatus.h"

#include <array>
#include <string>

#include "device/DeviceInfo.h"
#include "knowledge/KnownDevices.h"
#include "shell/StatusProperties.h"
#include "support/Format.h"
#include "views/NvmeHealthText.h"

namespace vexa {

namespace {

using namespace statusindex;

struct TNvmeFeature {
  bool nvmCommand;  // in ONCS, else in OACS
  std::uint16_t bit;
  std::string_view name;
};
// The short names the feature property lists, in this order.
constexpr std::array<TNvmeFeature, 7> kNvmeFeatures{{
    {true, nvmeoncs::kDatasetManagement, "TRIM"},
    {true, nvmeoncs::kWriteZeroes, "WZ"},
    {false, nvmeoacs::kSelfTest, "DST"},
    {false, nvmeoacs::kFirmware, "FW"},
    {false, nvmeoacs::kFormatNvm, "FORMAT"},
    {false, nvmeoacs::kSecurity, "SEC"},
    {false, nvmeoacs::kNamespaceManagement, "NS"},
}};

constexpr const char* kCrLf = "\r\n";

std::string Source(std::string_view where) { return std::string("- 來源: ") + std::string(where); }

}  // namespace

std::string NvmeFeatureList(const TDeviceInfo& device) {
  const TNvmeIdentifyController& controller = device.nvme.controller;
  std::string list = "SMART";
  for (const TNvmeFeature& feature : kNvmeFeatures) {
    const std::uint16_t bits = feature.nvmCommand ? controller.optionalNvmCommands : controller.optionalAdminCommands;
    if (bits & feature.bit) list += ", " + std::string(feature.name);
  }
  if (controller.volatileWriteCache & 1) list += ", VWC";
  return list;
}

void FillNvmeStatus(const TDeviceInfo& device, TStatusProperties& status, bool fahrenheit) {
  const TNvmeDrive& nvme = device.nvme;
  const TNvmeIdentifyController& controller = nvme.controller;
  const TNvmeHealthLog& health = nvme.health;
  const auto set = [&status](int index, std::string_view value) { status.Set(index, value, TStatusState::Plain); };
  const auto line = [&status](int index, std::string_view text) { status.AppendDescription(index, text); };

  line(kModel, Format("- IEEE OUI:  %.6X (%s)", controller.ieeeOui,
                      TKnownDevicesDB::BrandName(TKnownDevicesDB::BrandFromCompanyId(controller.ieeeOui))));
  line(kModel, Source("識別控制器 位元組 24-63 (型號), 64-71 (韌體), 4-23 (序號)"));

  set(kFeatures, NvmeFeatureList(device));
  line(kFeatures, std::string(kCrLf) + "NVMe:\r\nTRIM\t資料集管理 (解除配置)\r\nWZ\t寫入零\r\nDST\t裝置自我測試\r\n"
                                        "FW\t韌體下載\r\nFORMAT\t格式化 NVM\r\nSEC\t安全性傳送/接收\r\nNS\t命名空間管理\r\n"
                                        "VWC\t揮發性寫入快取");
  line(kFeatures, Source("識別控制器 位元組 256-257 (OACS), 520-521 (ONCS), 525 (VWC)"));

  const std::string version = controller.VersionText();
  set(kInterface, version.empty() ? std::string("NVMe") : "NVMe " + version);
  line(kInterface, Format("- 存儲總線類型ID:      %.2u", device.busType));
  line(kInterface, Format("- PCI 供應商 ID:  %.4X / %.4X", controller.vendorId, controller.subsystemVendorId));
  line(kInterface, Format("- 控制器 ID:  %d", controller.controllerId));
  line(kInterface, Format("- 命名空間數:  %d", controller.namespaceCount));
  line(kInterface, Source("識別控制器 位元組 80-83 (版本)"));

  set(kAtaStandard, "不適用");
  line(kAtaStandard, "- NVMe 裝置不使用 ATA 命令集");
  set(kSpeed, "未報告");
  line(kSpeed, "- NVMe 裝置的 PCIe 連結速度不在識別資料中");

  if (!nvme.healthRead) {
    line(kSmart, "- 無法讀取 NVMe 健康記錄");
    return;
  }
  const int remaining = health.percentageUsed >= 100 ? 0 : 100 - health.percentageUsed;
  line(kSmart, Format("- 剩餘壽命: %d %% (已使用 %d %%)", remaining, health.percentageUsed));
  line(kSmart, Format("- 可用備用空間: %d %% (閾值 %d %%)", health.availableSpare, health.availableSpareThreshold));
  line(kSmart, "- 嚴重警告: " + NvmeWarningText(health.criticalWarning));
  line(kSmart, Format("- 媒體錯誤: %s", NvmeCountText(health.mediaErrors)));
  line(kSmart, Source("NVMe 健康記錄 (記錄頁 02h) 位元組 0, 3-5, 160-175"));

  if (const std::string temperature = NvmeTemperatureText(health.temperature, fahrenheit); !temperature.empty()) {
    set(kTemperature, temperature);
    line(kTemperature, Format("- %s: %s", fahrenheit ? "攝氏" : "華氏", NvmeTemperatureText(health.temperature, !fahrenheit)));
    if (controller.warningTemperature != 0)
      line(kTemperature, "- 警告閾值: " + NvmeTemperatureText(controller.warningTemperature, fahrenheit));
    if (controller.criticalTemperature != 0)
      line(kTemperature, "- 嚴重閾值: " + NvmeTemperatureText(controller.criticalTemperature, fahrenheit));
    line(kTemperature, Source("健康記錄 位元組 1-2 (綜合溫度, 克耳文)"));
  }

  set(kPowerOnTime, NvmeCountText(health.powerOnHours) + " 小時");
  const std::uint32_t used = health.percentageUsed;
  if (used > 0 && used < 100 && !health.powerOnHours.IsZero()) {
    // hours × (100 - used) ÷ used; a count of hours beyond what 128 bits hold at
    // that factor shows as the most they hold.
    TUInt128 remaining = health.powerOnHours;
    if (!TryMultiply(remaining, 100 - used)) remaining = {~std::uint64_t{0}, ~std::uint64_t{0}};
    line(kPowerOnTime, Format("- 剩餘壽命: %.0n 小時", TRatio(remaining, used)));
  }
  line(kPowerOnTime, Source("健康記錄 位元組 128-143"));

  set(kPowerCycles, NvmeCountText(health.powerCycles));
  line(kPowerCycles, Format("- 不安全關機: %s", NvmeCountText(health.unsafeShutdowns)));
  line(kPowerCycles, Source("健康記錄 位元組 112-127, 144-159"));

  set(kHostWrites, NvmeDataUnitsText(health.dataUnitsWritten));
  line(kHostWrites, "- 字節讀取: " + NvmeDataUnitsText(health.dataUnitsRead));
  line(kHostWrites, Format("- 資料單位: %s 寫入 / %s 讀取 (每單位 512 000 字節)", NvmeCountText(health.dataUnitsWritten),
                           NvmeCountText(health.dataUnitsRead)));
  line(kHostWrites, Source("健康記錄 位元組 48-63 (寫入), 32-47 (讀取)"));
}

}  // namespace vexa
