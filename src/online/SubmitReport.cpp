// The report's members, in their order. Every text goes in through AddTextNode, so a
// model or comment that begins with a double quote is sent whole.
#include "online/SubmitReport.h"

#include <memory>

#include "device/DeviceInfo.h"
#include "device/IdentifyNames.h"
#include "online/JsonDocument.h"
#include "online/UnixTime.h"
#include "shell/App.h"
#include "shell/StatusProperties.h"
#include "shell/Version.h"
#include "support/Format.h"
#include "support/Text.h"
#include "support/Utils.h"

namespace vexa {

namespace {

constexpr std::size_t kReportNodeReserve = 512;

std::string_view StatusValue(int index) {
  return App().status ? std::string_view(App().status->Entry(index).value) : std::string_view();
}

std::string_view Text(const char* text) { return text ? std::string_view(text) : std::string_view(); }

void AddDevice(TJsonReader& json, const TDeviceInfo& device) {
  json.AddNode(jkObject, 1, "裝置訊息");
  AddTextNode(json, 2, "裝置類型", device.GetKindName());
  json.AddNode(jkBoolean, 2, "已知裝置", device.knownRow ? "true" : "false");
  AddTextNode(json, 2, "型號", device.model);
  AddTextNode(json, 2, "韌體", device.firmware);
  AddNumberNode(json, 2, "容量", Format("%d", static_cast<std::int64_t>(device.size)));
  AddTextNode(json, 2, "效能", StatusValue(statusindex::kFeatures));
  AddTextNode(json, 2, "介面", StatusValue(statusindex::kInterface));
  const std::string_view ataMajor = AtaMajorVersionName(device.ataMajorVersion);
  AddTextNode(json, 2, "ATA主要版本", ataMajor.empty() ? "n/a" : ataMajor);
  AddTextNode(json, 2, "全球通用名稱", device.identify.WwnText());
}

void AddKnownDrive(TJsonReader& json, const TDeviceInfo& device) {
  const TKnownDevice known = device.knownRow ? *device.knownRow : TKnownDevice{};
  json.AddNode(jkObject, 1, "裝置詳細資訊");
  AddTextNode(json, 2, "製造商", TKnownDevicesDB::BrandName(device.brand));
  AddTextNode(json, 2, "型號", Text(known.modelName));
  AddTextNode(json, 2, "控制", Text(known.controller));
  AddTextNode(json, 2, "顆粒", Text(known.flash));
  AddTextNode(json, 2, "技術", Text(known.process));
  AddTextNode(json, 2, "元件", Text(known.cellType));
  AddTextNode(json, 2, "啟動", Text(known.releaseDate));
}

void AddSmart(TJsonReader& json, const TDeviceInfo& device) {
  const TSmartAttributes& table = device.smartAttributes;
  // A record always has its descriptor once probed; one made here names the
  // attributes the same way for a record that was not.
  std::unique_ptr<TSmartDescriptor> own;
  const TSmartDescriptor* descriptor = device.smartDescriptor.get();
  if (!descriptor) {
    own = device.CreateSmartDescriptor();
    own->SetAttributes(&table);
    descriptor = own.get();
  }
  json.AddNode(jkArray, 1, "smart屬性");
  for (std::size_t i = 0; i < table.Count(); ++i) {
    const TSmartEntry entry = table.Entry(i);
    json.AddNode(jkObject, 2, "");
    AddTextNode(json, 3, "名稱", descriptor->AttributeName(entry.Id()));
    AddNumberNode(json, 3, "索引", Format("%u", entry.Id()));
    AddNumberNode(json, 3, "值", Format("%u", entry.Current()));
    AddNumberNode(json, 3, "不良", Format("%u", entry.Worst()));
    AddNumberNode(json, 3, "閾", Format("%u", table.ThresholdOf(entry.Id())));
    AddNumberNode(json, 3, kReportRawValueKey, Format("%u", entry.Raw()));
    AddTextNode(json, 3, "格式化", descriptor->FormatRawValue(entry));
  }
}

void AddIdentify(TJsonReader& json, const TIdentifyData& identify) {
  json.AddNode(jkArray, 1, "識別碼");
  if (!identify.HasData()) return;
  for (std::size_t word = 0; word < TIdentifyData::WordCount(); ++word)
    AddNumberNode(json, 2, "", Format("%u", identify.Word(word)));
}

// An NVMe drive's Identify Controller and health log, with the fields' own names.
// The serial number stays out: a report is shown to everyone.
void AddNvme(TJsonReader& json, const TNvmeDrive& nvme) {
  const TNvmeIdentifyController& c = nvme.controller;
  json.AddNode(jkObject, 1, "nvme");
  AddTextNode(json, 2, "vendor_id", Format("%.4X", c.vendorId));
  AddTextNode(json, 2, "subsystem_vendor_id", Format("%.4X", c.subsystemVendorId));
  AddTextNode(json, 2, "model", c.model);
  AddTextNode(json, 2, "firmware", c.firmware);
  AddTextNode(json, 2, "ieee_oui", Format("%.6X", c.ieeeOui));
  AddNumberNode(json, 2, "controller_id", Format("%u", c.controllerId));
  AddTextNode(json, 2, "version", c.VersionText());
  AddNumberNode(json, 2, "namespaces", Format("%u", c.namespaceCount));
  AddNumberNode(json, 2, "total_capacity", DecimalText(c.totalCapacity));
  AddNumberNode(json, 2, "unallocated_capacity", DecimalText(c.unallocatedCapacity));
  AddNumberNode(json, 2, "warning_temperature_k", Format("%u", c.warningTemperature));
  AddNumberNode(json, 2, "critical_temperature_k", Format("%u", c.criticalTemperature));
  AddNumberNode(json, 2, "optional_admin_commands", Format("%u", c.optionalAdminCommands));
  AddNumberNode(json, 2, "optional_nvm_commands", Format("%u", c.optionalNvmCommands));
  AddNumberNode(json, 2, "volatile_write_cache", Format("%u", c.volatileWriteCache & 1));
  json.AddNode(jkObject, 2, "health");
  if (!nvme.healthRead) return;
  for (const TNvmeHealthField& field : NvmeHealthFields())
    AddNumberNode(json, 3, field.key, DecimalText(NvmeFieldRaw(field, nvme)));
}

}  // namespace

std::string ReportEmail(std::string_view email) {
  const std::string_view first = FirstCharacters(email, kReportEmailLimit);
  const bool plausible = first.find('@') != std::string_view::npos && first.find('.') != std::string_view::npos;
  return plausible ? std::string(first) : std::string();
}

std::string ReportComment(std::string_view comment) {
  return std::string(FirstCharacters(comment, kReportCommentLimit));
}

void BuildReport(TJsonReader& json, const TDeviceInfo* device, std::string_view email, std::string_view comment) {
  json.Clear();
  if (!device) return;
  json.Reserve(kReportNodeReserve);
  json.AddNode(jkObject, 0, "");
  AddNumberNode(json, 1, "timestamp", Format("%d", UnixTimeNow(device->machine)));
  AddTextNode(json, 1, "app版本", FormatVersion(kProgramVersion, true));
  const TOsVersion os = device->machine.TrueOsVersion();
  AddTextNode(json, 1, "win版本", Format("%d.%d.%d", os.major, os.minor, os.build));
  AddTextNode(json, 1, "信箱", ReportEmail(email));
  AddTextNode(json, 1, "留言", ReportComment(comment));
  AddDevice(json, *device);
  AddKnownDrive(json, *device);
  AddSmart(json, *device);
  AddIdentify(json, device->identify);
  if (device->IsNvme()) AddNvme(json, device->nvme);
}

}  // namespace vexa
