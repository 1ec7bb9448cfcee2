// The System module: status properties from the chosen record, its two tool tips,
// and the window-level settings. Values come from the record, its IDENTIFY block,
// its SMART descriptor's key attributes and its known-drives row.
#include "views/SystemTab.h"

#include <algorithm>
#include <string>

#include "device/DeviceInfo.h"
#include "device/IdentifyNames.h"
#include "knowledge/KnownDevices.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/StatusProperties.h"
#include "support/Format.h"
#include "views/NvmeHealthText.h"
#include "views/NvmeStatus.h"
#include "views/SystemWindowActions.h"

namespace vexa {

namespace {

TSystemWindowActions* windowActions = nullptr;

using namespace statusindex;

constexpr std::uint32_t kBusTypeSata = 11;
constexpr std::uint32_t kTooltipCentred = 2;
constexpr const char* kCrLf = "\r\n";

std::string_view Text(const char* text) { return text ? std::string_view(text) : std::string_view(); }
std::string_view Truth(bool value) { return kSystemTruthWords[value ? 1 : 0]; }

void Set(int index, std::string_view value, TStatusState state = TStatusState::Plain) {
  App().status->Set(index, value, state);
}
void Line(int index, std::string_view line) { App().status->AppendDescription(index, line); }

// The temperature in the unit the flag asks for; the descriptor's own flag is put back.
std::string TemperatureIn(TSmartDescriptor& descriptor, TSmartEntry entry, bool fahrenheit) {
  const bool kept = descriptor.Fahrenheit();
  descriptor.SetFahrenheit(fahrenheit);
  std::string text = descriptor.FormatRawValue(entry);
  descriptor.SetFahrenheit(kept);
  return text;
}

void FillIdentity(const TDeviceInfo& device) {
  Set(kModel, device.model);
  Set(kFirmware, device.firmware);
  Set(kSerial, device.serial);
  if (!device.IsNvme()) {
    const std::uint64_t wwn = device.identify.WorldWideName(IdentifyWorldWideName);
    Line(kModel, "- 全球通用名稱:  " + device.identify.WwnText(IdentifyWorldWideName) + " (" +
                     TKnownDevicesDB::BrandName(TKnownDevicesDB::BrandFromCompanyId(TIdentifyData::Oui(wwn))) + ")");
  }

  const TKnownDevice* row = device.knownRow;
  if (row) {
    if (row->pattern && row->modelName) Line(kModel, std::string("- 型號:  ") + row->modelName);
    std::string process(Text(row->process));
    if (!process.empty() && process != "?") process += " nm";
    Set(kController, Text(row->controller));
    Set(kFlash, Text(row->flash));
    Set(kProcess, process);
    Set(kCellType, Text(row->cellType));
    Set(kReleaseDate, Text(row->releaseDate));
  }
  if (!row || !row->modelName) {
    for (const int index : {kController, kFlash, kProcess, kCellType, kReleaseDate})
      Line(index, "- 字段不可用, 目前的裝置是不明的或不是SSD");
  }
}

void FillCapabilities(const TDeviceInfo& device, const TVexaCore* core) {
  const bool osSupportsTrim = core && core->osSupportsTrim;
  const bool trimEnabled = core && core->trimEnabled;
  const bool solidState = device.HasFeature(DriveFeature::SolidState);
  const bool driveTrim = solidState && device.HasFeature(DriveFeature::Trim);
  if (driveTrim && osSupportsTrim) {
    Set(kTrim, kSystemOnOffWords[trimEnabled ? 1 : 0], kSystemTrimStates[trimEnabled ? 1 : 0]);
  } else {
    Set(kTrim, "不支援");
  }
  if (solidState) {
    Line(kTrim, std::string(kCrLf) + "OS 支援:    " + std::string(Truth(osSupportsTrim)) + kCrLf + "OS 啟用:    " +
                    std::string(Truth(trimEnabled)) + kCrLf + "SSD 支援:    " + std::string(Truth(driveTrim)));
  } else {
    Line(kTrim, "\r\n目前的裝置不是固態硬碟");
  }

  std::string features;
  for (std::size_t bit = 0; bit < kSystemFeatureNames.size(); ++bit) {
    if (kSystemFeatureNames[bit].empty() || !device.HasFeature(static_cast<std::uint8_t>(1u << bit))) continue;
    if (!features.empty()) features += ", ";
    features += kSystemFeatureNames[bit];
  }
  Set(kFeatures, features);

  // A drive that answered neither geometry nor length has all bits set: that is
  // "unknown", not sixteen thousand petabytes.
  if (device.size != kUnknownSize) {
    Set(kCapacity, FormatByteSize(device.size));
    Line(kCapacity, Format("- 未格式化: %.0n 字節", device.size));
    Line(kCapacity, Format("- 總容量:   %.2n GB", TRatio(device.size, 1'000'000'000)));
  }

  const std::uint32_t bytesPerSector = device.geometry.bytesPerSector;
  if (bytesPerSector != 0) {
    Set(kSectorSize, Format("%u / %u", bytesPerSector,
                            std::uint64_t{bytesPerSector} * device.logicalSectorsPerPhysical));
  }
}

void FillInterface(const TDeviceInfo& device) {
  const TIdentifyData& identify = device.identify;
  const std::uint8_t formFactor = identify.FormFactor();
  const std::string formText = formFactor == 0  ? std::string("未報告")
                               : formFactor >= 8 ? Format("%d (未知)", formFactor)
                                                 : std::string(FormFactorName(formFactor));
  Line(kInterface, "- 外形因素:    " + formText);

  std::string bus = BusTypeName(device.busType);
  Line(kInterface, Format("- 存儲總線類型ID:      %.2u", device.busType));
  const std::string_view revision = identify.SataTransportVersion();
  if (!revision.empty() || device.sataGeneration != 0) {
    if (device.busType != kBusTypeSata) bus += " / SATA";
    bus += " " + (revision.empty() ? Format("%d", device.sataGeneration) : std::string(revision));
  }
  // Set whether or not SATA facts exist, so a USB stick or an NVMe drive still
  // shows its bus.
  Set(kInterface, bus);

  const std::uint8_t current = identify.NegotiatedSataGeneration();
  std::string speed = "未報告";
  if (device.sataGeneration != 0 || current != 0) {
    speed = current != 0 ? SataSpeedText(current) : std::string("未報告");
    speed += " / " + (device.sataGeneration != 0 ? SataSpeedText(device.sataGeneration) : std::string("未報告"));
  }
  Set(kSpeed, speed);

  const std::string_view standard = AtaMajorVersionName(device.ataMajorVersion);
  if (!standard.empty()) Set(kAtaStandard, standard);
  const std::uint16_t minor = identify.Word(81);
  Line(kAtaStandard, Format("- 次要版本: %s (%u)", TIdentifyData::MinorVersionName(minor), minor));
}

void FillSmart(TDeviceInfo& device) {
  TSmartDescriptor* descriptor = device.smartDescriptor.get();
  if (!descriptor) return;

  const TSmartEntry powerOn = descriptor->FindKeyAttribute(TSmartKeyKind::PowerOnHours);
  if (powerOn) {
    Set(kPowerOnTime, descriptor->FormatRawValue(powerOn));
    const std::uint32_t hours = powerOn.Raw32();
    const unsigned value = powerOn.Current();
    std::string lines = Format("- 未格式化: %.0n 小時", hours);
    // The estimate assumes the normalized value counts down from 100; a drive that
    // counts from 200 or 253 would give a negative life, so none is shown for it.
    if (value < 100) {
      const TRatio remaining(std::uint64_t{hours} * value, 100 - value);
      lines = Format("- 剩餘壽命: %.0n 小時", remaining) + kCrLf + lines;
    }
    Line(kPowerOnTime, lines);
  }

  if (const TSmartEntry cycles = descriptor->FindKeyAttribute(TSmartKeyKind::PowerCycles))
    Set(kPowerCycles, descriptor->FormatRawValue(cycles));

  if (const TSmartEntry temperature = descriptor->FindKeyAttribute(TSmartKeyKind::Temperature)) {
    const bool fahrenheit = descriptor->Fahrenheit();
    Set(kTemperature, descriptor->FormatRawValue(temperature));
    Line(kTemperature, Format("- %s: %s", kSystemTemperatureUnitNames[fahrenheit ? 0 : 1],
                              TemperatureIn(*descriptor, temperature, !fahrenheit)));
  }

  if (const TSmartEntry writes = descriptor->FindKeyAttribute(TSmartKeyKind::HostWrites)) {
    Set(kHostWrites, descriptor->FormatRawValue(writes));
    // Samsung counts writes in 512-byte sectors, which gives a rate per power-on hour.
    if (descriptor->Kind() == TSmartDescriptorKind::Samsung && powerOn) {
      const std::uint64_t hours = TSmartAttributes::RawValue(powerOn);
      if (hours != 0) {
        const std::uint64_t bytes = TSmartAttributes::RawValue(writes) * 512;
        Line(kHostWrites, "- 每小時寫入:  " + FormatByteSize(bytes / hours));
      }
    }
  }

  if (const TSmartEntry reads = descriptor->FindKeyAttribute(TSmartKeyKind::HostReads))
    Line(kHostWrites, "- 字節讀取: " + descriptor->FormatRawValue(reads));

  if (const TSmartEntry life = descriptor->FindKeyAttribute(TSmartKeyKind::RemainingLife))
    Line(kSmart, "- 剩餘壽命: " + descriptor->FormatRawValue(life));

  Line(kSmart, Format("- 屬性數: %d", device.smartAttributes.Count()));
  Line(kSmart, Format("- 屬性描述符: %s", descriptor->DisplayName()));
}

// The record at the position the settings name (not clamped: a position outside
// the list has no record).
TDeviceInfo* RecordAtSettingsIndex() {
  if (!App().config || !App().devices) return nullptr;
  const auto* index = App().config->FindAs<TConfigVarInt>("system.device_index");
  return index ? App().devices->DeviceAt(index->Value()) : nullptr;
}

void ApplyFahrenheit(bool fahrenheit) {
  TDeviceSource* devices = App().devices;
  if (!devices) return;
  for (int i = 0; i < devices->DeviceCount(); ++i) {
    TDeviceInfo* record = devices->DeviceAt(i);
    if (record && record->smartDescriptor) record->smartDescriptor->SetFahrenheit(fahrenheit);
  }
  // The attribute table still holds the last reading, so the unit changes at once.
  TDeviceInfo* current = RecordAtSettingsIndex();
  if (current && current->IsNvme() && App().status) {
    if (const std::string text = NvmeTemperatureText(current->nvme.health.temperature, fahrenheit); !text.empty())
      Set(kTemperature, text);
    return;
  }
  if (!current || !current->smartDescriptor || !App().status) return;
  if (const TSmartEntry temperature = current->smartDescriptor->FindKeyAttribute(TSmartKeyKind::Temperature))
    Set(kTemperature, current->smartDescriptor->FormatRawValue(temperature));
}

}  // namespace

void SetSystemWindowActions(TSystemWindowActions* actions) { windowActions = actions; }
TSystemWindowActions* SystemWindowActions() { return windowActions; }

TSystemTab::TSystemTab(std::unique_ptr<TSheet> sheet) : TVexaTab(std::move(sheet)) {
  SetCaption("System");
  if (windowActions) {
    AddTooltip(kSystemTooltipRescan, windowActions->RescanButtonWindow(), kTooltipCentred);
    AddTooltip(kSystemTooltipSelector, windowActions->DeviceSelectorWindow(), kTooltipCentred);
  }
  // The module owns no settings variables; a late creation only catches up with
  // the current device.
  if (App().core && App().core->started) DeviceChanged(App().core->CurrentDevice());
}

void TSystemTab::DeviceChanged(TDeviceInfo* device) {
  if (!device || !App().status) return;
  FillIdentity(*device);
  FillCapabilities(*device, App().core);
  if (device->IsNvme()) {
    const bool fahrenheit = device->smartDescriptor && device->smartDescriptor->Fahrenheit();
    FillNvmeStatus(*device, *App().status, fahrenheit);
    return;
  }
  FillInterface(*device);
  FillSmart(*device);
}

// The icon stays 0: the window puts the program's main icon (16 by 16) there,
// since icons are a platform matter.
bool TSystemTab::GetTooltip(std::uint16_t item, TTooltipContent& tooltip) {
  if (item == kSystemTooltipRescan) {
    tooltip.title = "重新整理";
    tooltip.text = "全部重新整理, 重新顯示任何新裝置, 如插入的 USB 隨身碟或其他最近安裝的裝置.";
    tooltip.icon = 0;
    return true;
  }
  if (item == kSystemTooltipSelector) {
    const TVexaCore* core = App().core;
    tooltip.title = Format("列舉裝置 (%d)", core ? core->DeviceCount() : 0);
    tooltip.text = "您系統上發現的所有裝置.";
    if (const TDeviceInfo* device = core ? core->CurrentDevice() : nullptr) {
      tooltip.text += std::string("\r\n\r\n") + "- 令牌:  " + device->name + kCrLf + "- 型號:  " + device->model +
                      kCrLf + "- 供應商: " + TKnownDevicesDB::BrandName(device->brand);
      if (device->knownRow && device->knownRow->modelName)
        tooltip.text += std::string(kCrLf) + "- 名稱: " + device->knownRow->modelName;
    }
    tooltip.icon = 0;
    return true;
  }
  return false;
}

void TSystemTab::ConfigChanged(TConfigVar* variable) {
  if (!variable) return;
  const std::string name = variable->FullName();
  const auto* text = dynamic_cast<const TConfigVarStr*>(variable);
  const auto* number = dynamic_cast<const TConfigVarInt*>(variable);
  const auto* flag = dynamic_cast<const TConfigVarBool*>(variable);
  TSystemWindowActions* window = windowActions;

  if (name == "gui.font_main") {
    if (window && text) window->SetMainFont(text->Value());
  } else if (name == "gui.font_device") {
    if (window && text) window->SetDeviceFont(text->Value());
  } else if (name == "tabs.page_index") {
    if (!window || !number) return;
    window->HideTooltip();
    const int count = window->PageCount();
    if (count > 0) window->SetActivePage(std::clamp<int>(number->Value(), 0, count - 1));
  } else if (name == "system.device_index") {
    if (!window) return;
    if (window->SelectorItemCount() > 0 && App().core) window->SetSelectorIndex(App().core->CurrentDeviceIndex());
    window->SelectDevice();
  } else if (name == "system.stay_on_top") {
    if (window && flag) window->SetStayOnTop(flag->Value());
  } else if (name == "system.fahrenheit_temp") {
    if (flag) ApplyFahrenheit(flag->Value());
  } else if (name == "window.width") {
    if (window && number) window->SetOuterWidth(number->Value());
  } else if (name == "window.height") {
    if (window && number) window->SetOuterHeight(number->Value());
  } else if (name == "window.left") {
    if (window && number) window->SetOuterLeft(number->Value());
  } else if (name == "window.top") {
    if (window && number) window->SetOuterTop(number->Value());
  } else if (name == "window.maxed") {
    if (window && flag) window->ShowMaximized(flag->Value());
  }
}

}  // namespace vexa
