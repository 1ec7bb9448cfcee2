// smart-dump reads two 512-byte SMART replies (hex text or raw bytes) and prints
// what the descriptor makes of them: id, name, raw text, current, worst,
// threshold, raw value and verdict per attribute, then count and key attributes.
#include "app/cli/CliSmartDump.h"

#include <memory>
#include <string>
#include <vector>

#include "knowledge/SmartDescriptors.h"
#include "support/Format.h"
#include "support/HexBytes.h"

namespace vexa {

namespace {

std::string DescriptorNames() {
  std::string names;
  for (std::size_t i = 0; i < kSmartDescriptorKindCount; ++i) {
    if (!names.empty()) names += ", ";
    names += SmartDescriptorKindName(static_cast<TSmartDescriptorKind>(i));
  }
  return names;
}

// A SMART reply is exactly one sector; anything else is not what the command expects.
bool ReadBlock(const std::string& path, std::string_view what, std::vector<std::uint8_t>& bytes, std::FILE* err) {
  std::string error;
  if (!ReadHexOrBinaryFile(path, bytes, error)) {
    CliPrint(err, Format("vexa-cli: %s: %s", what, error));
    return false;
  }
  if (bytes.size() != kSmartBlockSize) {
    CliPrint(err, Format("vexa-cli: %s: \"%s\" holds %u bytes, a SMART block has exactly %u", what, path,
                         bytes.size(), kSmartBlockSize));
    return false;
  }
  return true;
}

}  // namespace

int RunCliSmartDump(const TCliArgs& args, std::FILE* out, std::FILE* err) {
  std::vector<std::string> files;
  std::string descriptorName;
  bool haveDescriptor = false, fahrenheit = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--descriptor") {
      if (i + 1 >= args.size()) return CliUsageError(err, "--descriptor needs a name", kCliSmartDumpUsage);
      descriptorName = args[++i];
      haveDescriptor = true;
    } else if (arg == "--fahrenheit") {
      fahrenheit = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return CliUsageError(err, Format("unknown option \"%s\"", arg), kCliSmartDumpUsage);
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() != 2) return CliUsageError(err, "smart-dump needs a data and a thresholds file", kCliSmartDumpUsage);
  if (!haveDescriptor) return CliUsageError(err, "--descriptor is required", kCliSmartDumpUsage);
  std::unique_ptr<TSmartDescriptor> descriptor = CreateSmartDescriptorByName(descriptorName);
  if (!descriptor)
    return CliUsageError(err, Format("unknown descriptor \"%s\" (one of: %s)", descriptorName, DescriptorNames()),
                         kCliSmartDumpUsage);

  std::vector<std::uint8_t> data, thresholds;
  if (!ReadBlock(files[0], "DATA", data, err) || !ReadBlock(files[1], "THRESHOLDS", thresholds, err)) return 2;

  TSmartAttributes table;
  table.Assign(data, thresholds);
  descriptor->SetAttributes(&table);
  descriptor->SetFahrenheit(fahrenheit);

  const std::size_t count = table.Count();
  for (std::size_t i = 0; i < count; ++i) {
    const TSmartEntry entry = table.Entry(i);
    CliPrint(out, Format("%d\t%s\t%s\t%d\t%d\t%d\t%u\t%d", entry.Id(), descriptor->AttributeName(entry.Id()),
                         descriptor->FormatRawValue(entry), entry.Current(), entry.Worst(),
                         table.ThresholdOf(entry.Id()), entry.Raw(),
                         static_cast<int>(descriptor->AttributeStatus(entry))));
  }
  CliPrint(out, Format("count: %u", count));
  for (int kind = 0; kind < kSmartKeyKindCount; ++kind) {
    const TSmartEntry key = descriptor->FindKeyAttribute(static_cast<TSmartKeyKind>(kind));
    if (key) CliPrint(out, Format("key %d: %d", kind, key.Id()));
  }
  return 0;
}

}  // namespace vexa
