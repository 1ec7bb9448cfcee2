// The documents of --json. Member names are fixed English keys, one table per list,
// in the order of the page's columns; values are the texts the text form prints
// (before its escaping of control characters), numbers where the text form prints
// a number the page computes.
#include "app/cli/CliJson.h"

#include <array>
#include <span>
#include <string_view>

#include "app/cli/CliIdentifyDump.h"
#include "app/cli/CliMachine.h"
#include "device/DeviceManager.h"
#include "online/JsonDocument.h"
#include "shell/StatusProperties.h"
#include "support/Format.h"
#include "views/ConsoleSession.h"
#include "views/IdentifyPageModel.h"
#include "views/PartitionsModel.h"
#include "views/SmartPageModel.h"
#include "views/SmartTab.h"

namespace vexa {

namespace {

constexpr std::array<std::string_view, kSmartColumnCount> kSmartMembers{
    "name", "id", "formatted", "current", "worst", "threshold", "raw", "flags", "flags_text", "flags_bits",
};
constexpr std::array<std::string_view, kVolumeColumnCount> kVolumeMembers{
    "caption", "size", "free", "free_percent", "file_system", "partition", "serial",
};
constexpr std::array<std::string_view, kPartitionColumnCount> kPartitionMembers{
    "caption", "size", "offset", "number", "aligned_4k", "share", "details",
};

void AddInteger(TJsonReader& json, std::uint16_t level, std::string_view name, std::int64_t value) {
  json.AddNode(jkNumber, level, name, Format("%d", value));
}

// One object of an array (level 2) whose members are the named texts.
void AddRow(TJsonReader& json, std::span<const std::string_view> names, std::string_view first,
            std::span<const std::string> rest) {
  json.AddNode(jkObject, 2, "");
  AddTextNode(json, 3, names[0], first);
  for (std::size_t i = 0; i < rest.size() && i + 1 < names.size(); ++i) AddTextNode(json, 3, names[i + 1], rest[i]);
}

}  // namespace

std::string ListJson(TConsoleSession& session) {
  TJsonReader json;
  json.AddNode(jkObject, 0, "");
  json.AddNode(jkArray, 1, "devices");
  for (int i = 0; i < session.DeviceCount(); ++i) {
    const TDeviceInfo& device = *session.Devices().Device(i);
    json.AddNode(jkObject, 2, "");
    AddTextNode(json, 3, "token", Format("%s%d", DeviceToken(device), device.number));
    AddTextNode(json, 3, "kind", device.GetKindName());
    AddTextNode(json, 3, "color", Format("0x%.6x", device.GetColor()));
    AddTextNode(json, 3, "name", device.GetDisplayName());
    AddTextNode(json, 3, "path", device.path);
  }
  return json.ToText();
}

std::string InfoJson(TConsoleSession& session) {
  TJsonReader json;
  json.AddNode(jkObject, 0, "");
  json.AddNode(jkArray, 1, "properties");
  for (int i = 0; i < TStatusProperties::kCount; ++i) {
    const TStatusProperty& entry = session.Status().Entry(i);
    json.AddNode(jkObject, 2, "");
    AddInteger(json, 3, "index", i);
    AddTextNode(json, 3, "name", entry.name);
    AddInteger(json, 3, "state", static_cast<int>(entry.state));
    AddTextNode(json, 3, "value", entry.value);
    json.AddNode(jkArray, 3, "extra");
    for (const std::string_view line : ExtraDescriptionLines(entry)) AddTextNode(json, 4, "", line);
  }
  AddTextNode(json, 1, "title", session.Title());
  return json.ToText();
}

std::string SmartJson(TConsoleSession& session) {
  TJsonReader json;
  json.AddNode(jkObject, 0, "");
  json.AddNode(jkArray, 1, "attributes");
  for (const TSmartPageRow& row : session.SmartModule().Model().Rows()) {
    AddRow(json, kSmartMembers, row.cells[0], std::span(row.cells).subspan(1));
    if (row.mark == TSmartRowMark::None) continue;
    AddTextNode(json, 3, "mark", row.mark == TSmartRowMark::Worse ? "worse" : "changed");
    AddTextNode(json, 3, "change", row.change);
  }
  const TStatusProperty& verdict = session.Status().Entry(kSmartStatusPropertyIndex);
  json.AddNode(jkObject, 1, "verdict");
  AddTextNode(json, 2, "text", verdict.value);
  AddInteger(json, 2, "state", static_cast<int>(verdict.state));
  return json.ToText();
}

std::string IdentifyJson(const TIdentifyData& data, const TIdentifyPageModel& model) {
  TJsonReader json;
  json.AddNode(jkObject, 0, "");
  json.AddNode(jkObject, 1, "facts");
  for (const TIdentifyFact& fact : IdentifyFacts(data)) AddTextNode(json, 2, fact.key, fact.value);
  json.AddNode(jkArray, 1, "rows");
  for (const std::uint32_t tag : model.Rows()) {
    const TIdentifyRowText text = IdentifyRowText(tag, data);
    if (text.kind == TIdentifyRowKind::Invalid) continue;
    json.AddNode(jkObject, 2, "");
    if (text.kind == TIdentifyRowKind::Group) {
      const TIdentifyWordDescriptor& group = IdentifyWordGroups()[text.group];
      AddTextNode(json, 3, "kind", "group");
      AddInteger(json, 3, "word", group.word);
      AddInteger(json, 3, "count", group.count);
      AddTextNode(json, 3, "label", text.label);
      AddTextNode(json, 3, "value", text.value);
    } else {
      AddTextNode(json, 3, "kind", "field");
      AddTextNode(json, 3, "bits", text.bits);
      AddTextNode(json, 3, "label", text.label);
      json.AddNode(jkNumber, 3, "value", text.fieldValue);
    }
  }
  return json.ToText();
}

std::string NvmeIdentifyJson(const TIdentifyPageModel& model) {
  TJsonReader json;
  json.AddNode(jkObject, 0, "");
  json.AddNode(jkArray, 1, "nvme");
  for (const TNvmeIdentifyRow& row : model.NvmeRows()) {
    json.AddNode(jkObject, 2, "");
    AddTextNode(json, 3, "structure", row.namespaceField ? "namespace" : "controller");
    AddInteger(json, 3, "offset", row.offset);
    AddInteger(json, 3, "size", row.size);
    AddTextNode(json, 3, "label", row.label);
    AddTextNode(json, 3, "value", row.value);
  }
  return json.ToText();
}

std::string PartitionsJson(const TPartitionsModel& model) {
  TJsonReader json;
  json.AddNode(jkObject, 0, "");
  json.AddNode(jkArray, 1, "volumes");
  for (const TVolumeRow& row : model.VolumeRows()) AddRow(json, kVolumeMembers, row.caption, row.subItems);
  json.AddNode(jkArray, 1, "partitions");
  for (const TPartitionRow& row : model.PartitionRows()) AddRow(json, kPartitionMembers, row.caption, row.subItems);
  return json.ToText();
}

}  // namespace vexa
