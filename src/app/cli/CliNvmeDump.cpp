// The NVMe report: the controller's identity, capacities, limits and power states,
// then the health log's fields in log order. Numbers are plain decimal (the 128-bit
// counters in full), so scripts can compare them without knowing the locale.
#include "app/cli/CliNvmeDump.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/cli/CliText.h"
#include "device/NvmeData.h"
#include "support/Format.h"
#include "support/Paths.h"

namespace vexa {

namespace {

// Sensors share the table with the composite temperature; they are listed only
// when the drive has them.
constexpr std::uint16_t kFirstSensorOffset = 200;

void Line(std::FILE* out, std::string_view key, std::string_view value) {
  CliPrint(out, Format("%s\t%s", key, value));
}

std::string CelsiusText(std::uint16_t kelvin) {
  const std::optional<int> celsius = TNvmeHealthLog::Celsius(kelvin);
  return celsius ? Format("%d", *celsius) : std::string();
}

// Exact decimals from the integer field: 0.01 W or 0.0001 W steps.
std::string PowerText(const TNvmePowerState& state) {
  const std::string watts = state.maxPowerScale
                                ? Format("%d.%.4d W", state.maxPower / 10000, state.maxPower % 10000)
                                : Format("%d.%.2d W", state.maxPower / 100, state.maxPower % 100);
  return state.nonOperational ? watts + " non-operational" : watts;
}

// The first `size` bytes of the file; a longer file's tail is not read at all, so
// a large capture costs no more than its first block.
bool ReadBlock(const std::string& path, std::size_t size, std::string_view what, std::vector<std::uint8_t>& block,
               std::FILE* err) {
  std::error_code error;
  const std::filesystem::path file = PathFromUtf8(path);
  std::ifstream in;
  if (!std::filesystem::is_directory(file, error)) in.open(file, std::ios::binary);
  block.assign(size, 0);
  if (in.is_open()) in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(size));
  if (!in.is_open() || in.bad()) {
    CliPrint(err, Format("vexa-cli: %s: cannot read the file (missing or unreadable)", path));
    return false;
  }
  const auto got = static_cast<std::size_t>(in.gcount());
  if (got < size) {
    CliPrint(err, Format("vexa-cli: %s: holds %d bytes, %s has %d", path, got, what, size));
    return false;
  }
  return true;
}

void PrintController(std::FILE* out, const TNvmeIdentifyController& id) {
  Line(out, "model", CliSafeText(id.model));
  Line(out, "serial", CliSafeText(id.serial));
  Line(out, "firmware", CliSafeText(id.firmware));
  Line(out, "vendor_id", Format("%.4x", id.vendorId));
  Line(out, "subsystem_vendor_id", Format("%.4x", id.subsystemVendorId));
  Line(out, "ieee_oui", Format("%.6x", id.ieeeOui));
  Line(out, "controller_id", Format("%d", id.controllerId));
  Line(out, "version", id.VersionTriple());
  Line(out, "namespaces", Format("%d", id.namespaceCount));
  Line(out, "total_capacity", DecimalText(id.totalCapacity));
  Line(out, "unallocated_capacity", DecimalText(id.unallocatedCapacity));
  Line(out, "warning_temperature_c", CelsiusText(id.warningTemperature));
  Line(out, "critical_temperature_c", CelsiusText(id.criticalTemperature));
  Line(out, "optional_admin_commands", Format("%.4x", id.optionalAdminCommands));
  Line(out, "optional_nvm_commands", Format("%.4x", id.optionalNvmCommands));
  Line(out, "volatile_write_cache", Format("%d", id.volatileWriteCache & 1));
  // NPSS counts from 0; a block claiming more states than the 32 descriptors it can
  // hold still lists only those.
  const unsigned states = id.powerStatesSupported + 1u;
  Line(out, "power_states", Format("%d", states));
  for (std::size_t i = 0; i < states && i < kNvmePowerStateCount; ++i)
    Line(out, Format("power_state_%d", i), PowerText(id.powerStates[i]));
}

void PrintHealth(std::FILE* out, TBytes log) {
  for (const TNvmeHealthField& field : NvmeHealthFields()) {
    const TUInt128 value = NvmeHealthFieldValue(log, field);
    if (field.size != 2) {
      Line(out, field.key, DecimalText(value));
      continue;
    }
    // The two-byte fields are temperatures in kelvin.
    if (field.offset >= kFirstSensorOffset && value.IsZero()) continue;
    Line(out, std::string(field.key) + "_c", CelsiusText(static_cast<std::uint16_t>(value.low)));
  }
}

}  // namespace

int RunCliNvmeDump(const TCliArgs& args, std::FILE* out, std::FILE* err) {
  if (args.empty() || args.size() > 2)
    return CliUsageError(err, "nvme-dump takes an Identify Controller file and optionally a health log file",
                         kCliNvmeDumpUsage);
  for (const std::string& arg : args)
    if (arg.size() > 1 && arg[0] == '-')
      return CliUsageError(err, Format("unknown option \"%s\"", arg), kCliNvmeDumpUsage);

  std::vector<std::uint8_t> identify, health;
  if (!ReadBlock(args[0], kNvmeIdentifySize, "an Identify Controller block", identify, err)) return 2;
  if (args.size() == 2 && !ReadBlock(args[1], kNvmeHealthLogSize, "a health log", health, err)) return 2;

  PrintController(out, DecodeNvmeIdentifyController(identify));
  if (args.size() == 2) PrintHealth(out, health);
  return 0;
}

}  // namespace vexa
