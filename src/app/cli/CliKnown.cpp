// vexa-cli known MODEL [FIRMWARE [WWN]].
#include "app/cli/CliKnown.h"

#include "knowledge/KnownDevices.h"
#include "knowledge/SmartDescriptors.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

namespace {

constexpr std::string_view kUsage = "known MODEL [FIRMWARE [WWN]]";

bool ParseWwn(std::string_view text, std::uint64_t& wwn) {
  if (text.size() != 16) return false;
  wwn = 0;
  for (char c : text) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10 : -1;
    if (digit < 0) return false;
    wwn = (wwn << 4) | static_cast<std::uint64_t>(digit);
  }
  return true;
}

std::string RowText(const TKnownDevice* row) {
  if (!row) return "none";
  for (std::size_t i = 0; i < KnownModels.size(); ++i)
    if (&KnownModels[i] == row) return Format("%d", i + 1);
  for (std::size_t i = 0; i < KnownFirmwares.size(); ++i)
    if (&KnownFirmwares[i] == row) return Format("firmware %d", i + 1);
  return "none";
}

void Field(std::FILE* out, std::string_view name, const char* value) {
  CliPrint(out, Format("%s: %s", name, value ? value : ""));
}

}  // namespace

int RunCliKnown(const TCliArgs& args, std::FILE* out, std::FILE* err) {
  if (args.empty() || args.size() > 3) return CliUsageError(err, "known takes a model and optionally a firmware and a WWN", kUsage);
  std::uint64_t wwn = 0;
  if (args.size() == 3 && !ParseWwn(args[2], wwn))
    return CliUsageError(err, Format("\"%s\" is not a WWN of 16 hexadecimal digits", args[2]), kUsage);
  TKnownDevicesDB database;
  const TKnownIdentification found = database.Identify(args[0], args.size() > 1 ? args[1] : "", wwn);
  const TKnownDevice* row = found.row;
  CliPrint(out, Format("row: %s", RowText(row)));
  CliPrint(out, Format("brand: %d %s", found.brandIndex, TKnownDevicesDB::BrandName(found.brandIndex)));
  Field(out, "model_name", row ? row->modelName : nullptr);
  Field(out, "pattern", row ? row->pattern : nullptr);
  Field(out, "controller", row ? row->controller : nullptr);
  Field(out, "flash", row ? row->flash : nullptr);
  Field(out, "process", row ? row->process : nullptr);
  Field(out, "cell_type", row ? row->cellType : nullptr);
  Field(out, "release_date", row ? row->releaseDate : nullptr);
  const char* controller = row ? row->controller : nullptr;
  CliPrint(out, Format("descriptor_ssd: %s", CreateSmartDescriptorFor(true, found.brandIndex, controller)->DisplayName()));
  CliPrint(out, Format("descriptor_hdd: %s", CreateSmartDescriptorFor(false, found.brandIndex, controller)->DisplayName()));
  return 0;
}

}  // namespace vexa
