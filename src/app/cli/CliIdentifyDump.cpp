// The IDENTIFY report: the block's identity, counts, interface and capability
// facts as key: value lines in a fixed order, then every word group and bit field
// exactly as the Identify page copies it.
#include "app/cli/CliIdentifyDump.h"

#include <string>

#include "app/cli/CliText.h"
#include "device/IdentifyData.h"
#include "device/IdentifyNames.h"
#include "device/IdentifyText.h"
#include "support/Format.h"
#include "support/HexBytes.h"
#include "support/Paths.h"
#include "views/IdentifyPageModel.h"
#include "views/SystemTab.h"

namespace vexa {

namespace {

// A hex dump is a few kilobytes; anything far larger is not an IDENTIFY block.
constexpr std::size_t kMaxFileBytes = 64 * 1024;

std::string_view Truth(bool value) { return value ? "true" : "false"; }

void Field(std::FILE* out, std::string_view key, std::string_view value) {
  CliPrint(out, Format("%s: %s", key, CliSafeText(value)));
}

std::string FeatureNames(std::uint8_t flags) {
  std::string names;
  for (std::size_t bit = 0; bit < kSystemFeatureNames.size(); ++bit) {
    if (kSystemFeatureNames[bit].empty() || (flags & (1u << bit)) == 0) continue;
    if (!names.empty()) names += ", ";
    names += kSystemFeatureNames[bit];
  }
  return names;
}

std::string FormFactorText(std::uint8_t code) {
  if (code == 0) return {};
  const std::string_view name = FormFactorName(code);
  return name.empty() ? Format("%u", code) : std::string(name);
}

// Reads FILE into a block: hex words when it is text, otherwise exactly 512 bytes.
bool ReadIdentifyFile(const std::string& path, TIdentifyData& data, std::FILE* err) {
  std::string contents;
  if (!ReadFileBytes(path, contents, kMaxFileBytes)) {
    CliPrint(err, Format("vexa-cli: cannot read \"%s\" (missing, unreadable or larger than %u bytes)", path,
                         kMaxFileBytes));
    return false;
  }
  std::string_view text = contents;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  if (LooksLikeText(text)) {
    const TIdentifyTextResult parsed = ParseIdentifyText(text);
    if (!parsed.ok) {
      CliPrint(err, Format("vexa-cli: \"%s\": %s", path, parsed.error));
      return false;
    }
    data.Load(parsed.bytes);
    return true;
  }
  if (contents.size() != TIdentifyData::BlockSize) {
    CliPrint(err, Format("vexa-cli: \"%s\" holds %u bytes that are not hexadecimal words; an IDENTIFY block has "
                         "exactly %u",
                         path, contents.size(), TIdentifyData::BlockSize));
    return false;
  }
  data.Load(std::span(reinterpret_cast<const std::uint8_t*>(contents.data()), contents.size()));
  return true;
}

}  // namespace

std::vector<TIdentifyFact> IdentifyFacts(const TIdentifyData& data) {
  const std::uint8_t flags = data.FeatureFlags();
  const std::uint16_t minor = data.Word(81);
  const std::uint8_t negotiated = data.NegotiatedSataGeneration();
  return {
      {"model", data.ModelNumber()},
      {"firmware", data.FirmwareRevision()},
      {"serial", data.SerialNumber()},
      {"wwn", data.WwnText()},
      {"oui", Format("%.6x", TIdentifyData::Oui(data.WorldWideName()))},
      {"sectors28", Format("%u", data.Lba28SectorCount())},
      {"sectors48", Format("%u", data.Lba48SectorCount())},
      // A drive that does not report the ratio has one logical sector per physical
      // one, as its device record keeps it.
      {"logical_per_physical", Format("%u", data.LogicalSectorsPerPhysical().value_or(1))},
      {"sata_generation", Format("%u", data.SataGeneration())},
      {"negotiated_speed", negotiated != 0 ? SataSpeedText(negotiated) : std::string()},
      {"features", FeatureNames(flags)},
      {"solid_state", std::string(Truth((flags & DriveFeature::SolidState) != 0))},
      {"form_factor", FormFactorText(data.FormFactor())},
      {"ata_major", std::string(AtaMajorVersionName(data.AtaMajorVersion()))},
      {"minor_version", std::string(TIdentifyData::MinorVersionName(minor)) + Format(" (0x%.4x)", minor)},
      {"sata_transport", std::string(data.SataTransportVersion())},
      {"checksum_valid", std::string(Truth(data.ChecksumValid()))},
  };
}

void PrintIdentifyReport(std::FILE* out, const TIdentifyData& data, const TIdentifyPageModel& model) {
  for (const TIdentifyFact& fact : IdentifyFacts(data)) Field(out, fact.key, fact.value);
  CliPrint(out, "");
  const int rows = static_cast<int>(model.Rows().size());
  for (int row = 0; row < rows; ++row) CliPrint(out, CliSafeText(model.CopyText(row)));
}

int RunCliIdentifyDump(const TCliArgs& args, std::FILE* out, std::FILE* err) {
  if (args.size() != 1) return CliUsageError(err, "identify-dump takes one file", kCliIdentifyDumpUsage);
  TIdentifyData data;
  if (!ReadIdentifyFile(args[0], data, err)) return 2;
  TIdentifyPageModel model;
  model.ShowDevice(data, 0);
  PrintIdentifyReport(out, data, model);
  return 0;
}

}  // namespace vexa
