#include "views/NvmeIdentifyRows.h"

#include "device/NvmeDrive.h"
#include "support/Format.h"
#include "support/Text.h"
#include "views/NvmeHealthText.h"

namespace vexa {

namespace {

// The drive's text as it can be shown: valid UTF-8 without control characters.
std::string Shown(std::string_view text) {
  std::string shown = ToValidUtf8(text);
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '.';
  return "\"" + shown + "\"";
}

std::string Kelvin(std::uint16_t kelvin) {
  return kelvin == 0 ? std::string("未報告") : Format("%d K (%s)", kelvin, NvmeTemperatureText(kelvin, false));
}

std::string Capacity(TUInt128 bytes) {
  return NvmeCountText(bytes) + " 字節 (" + FormatDecimalByteSize(bytes) + ")";
}

std::string Bits(std::uint16_t bits) { return Format("%.4X", bits); }

constexpr std::string_view kPerformance[] = {"最佳", "較佳", "良好", "降級"};

}  // namespace

std::vector<TNvmeIdentifyRow> NvmeIdentifyRows(const TNvmeDrive& drive) {
  std::vector<TNvmeIdentifyRow> rows;
  if (!drive.present) return rows;
  const TNvmeIdentifyController& c = drive.controller;
  const auto add = [&rows](std::uint16_t offset, std::uint16_t size, std::string label, std::string value) {
    rows.push_back({offset, size, false, std::move(label), std::move(value)});
  };
  add(0, 2, "PCI 供應商 ID", Format("%.4X", c.vendorId));
  add(2, 2, "PCI 子系統供應商 ID", Format("%.4X", c.subsystemVendorId));
  add(4, 20, "序號", Shown(c.serial));
  add(24, 40, "型號", Shown(c.model));
  add(64, 8, "韌體版本", Shown(c.firmware));
  add(73, 3, "IEEE OUI", Format("%.6X", c.ieeeOui));
  add(78, 2, "控制器 ID", Format("%d", c.controllerId));
  add(80, 4, "版本", c.VersionText().empty() ? std::string("未報告") : c.VersionText());
  add(256, 2, "可選管理命令 (OACS)", Bits(c.optionalAdminCommands));
  add(263, 1, "電源狀態數", Format("%d", c.powerStatesSupported + 1));
  add(266, 2, "警告溫度閾值", Kelvin(c.warningTemperature));
  add(268, 2, "嚴重溫度閾值", Kelvin(c.criticalTemperature));
  add(280, 16, "NVM 總容量", Capacity(c.totalCapacity));
  add(296, 16, "未配置 NVM 容量", Capacity(c.unallocatedCapacity));
  add(516, 4, "命名空間數", Format("%d", c.namespaceCount));
  add(520, 2, "可選 NVM 命令 (ONCS)", Bits(c.optionalNvmCommands));
  add(525, 1, "揮發性寫入快取", (c.volatileWriteCache & 1) ? "有" : "無");
  for (std::size_t i = 0; i <= c.powerStatesSupported && i < kNvmePowerStateCount; ++i) {
    const TNvmePowerState& state = c.powerStates[i];
    add(static_cast<std::uint16_t>(kNvmePowerStateOffset + i * kNvmePowerStateSize), kNvmePowerStateSize,
        Format("電源狀態 %d", i),
        Format("%.4f W, 進入 %d µs, 退出 %d µs%s", state.Watts(), state.entryLatency, state.exitLatency,
               state.nonOperational ? ", 非運作" : ""));
  }

  if (!drive.namespaceRead) return rows;
  const TNvmeIdentifyNamespace& n = drive.ns;
  const auto addNs = [&rows](std::uint16_t offset, std::uint16_t size, std::string_view label, std::string value) {
    rows.push_back({offset, size, true, "命名空間 1: " + std::string(label), std::move(value)});
  };
  const auto blocks = [&n](std::uint64_t count) {
    return Format("%.0n 區塊 (%s)", count, FormatDecimalByteSize({count, 0}, n.BlockSize()));
  };
  addNs(0, 8, "大小", blocks(n.size));
  addNs(8, 8, "容量", blocks(n.capacity));
  addNs(16, 8, "使用量", blocks(n.utilization));
  addNs(25, 1, "LBA 格式數", Format("%d", n.formatCount));
  addNs(26, 1, "使用中的 LBA 格式", Format("%d", n.formatInUse));
  for (std::size_t i = 0; i < n.formatCount && i < kNvmeLbaFormatCount; ++i) {
    const TNvmeLbaFormat& format = n.formats[i];
    addNs(static_cast<std::uint16_t>(kNvmeLbaFormatOffset + i * kNvmeLbaFormatSize), kNvmeLbaFormatSize,
          Format("LBA 格式 %d", i),
          Format("%d 位元組, 中繼資料 %d, 效能%s%s", format.BlockSize(), format.metadataSize,
                 kPerformance[format.relativePerformance & 3], i == n.formatInUse ? " (使用中)" : ""));
  }
  return rows;
}

std::string NvmeIdentifyCopyText(const TNvmeIdentifyRow& row) {
  return Format("[%d+%d] %s: %s", row.offset, row.size, row.label, row.value);
}

}  // namespace vexa
