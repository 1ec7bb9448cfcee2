// Decoding of the NVMe Identify blocks and the health log. Every read goes through
// the bounded readers of support/Bytes.h, so a short block decodes as if it were
// padded with zeros and nothing here can read past the bytes given.
#include "device/NvmeData.h"

#include <algorithm>

#include "support/Format.h"

namespace vexa {

namespace {

constexpr std::size_t kSensorOffset = 200;

// An ASCII field of a drive: padded with blanks by the convention, with NULs by
// some firmware; a few also put blanks in front. The bytes between are kept as the
// drive sent them.
std::string FieldText(TBytes block, std::size_t offset, std::size_t length) {
  std::string text;
  text.reserve(length);
  for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char>(GetU8(block, offset + i)));
  const std::size_t end = text.find_last_not_of(std::string_view(" \0", 2));
  if (end == std::string::npos) return {};
  text.erase(end + 1);
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

TNvmePowerState DecodePowerState(TBytes block, std::size_t offset) {
  TNvmePowerState state;
  state.maxPower = GetU16(block, offset);
  const std::uint8_t flags = GetU8(block, offset + 3);
  state.maxPowerScale = (flags & 0x01) != 0;
  state.nonOperational = (flags & 0x02) != 0;
  state.entryLatency = GetU32(block, offset + 4);
  state.exitLatency = GetU32(block, offset + 8);
  return state;
}

}  // namespace

std::string TNvmeIdentifyController::VersionText() const {
  if (version == 0) return {};
  const unsigned major = version >> 16, minor = (version >> 8) & 0xFF, tertiary = version & 0xFF;
  return tertiary != 0 ? Format("%d.%d.%d", major, minor, tertiary) : Format("%d.%d", major, minor);
}

std::string TNvmeIdentifyController::VersionTriple() const {
  if (version == 0) return {};
  return Format("%d.%d.%d", version >> 16, (version >> 8) & 0xFF, version & 0xFF);
}

std::uint64_t TNvmeIdentifyNamespace::BlockSize() const {
  // A format index beyond the formats the namespace lists names no format.
  if (formatInUse >= formatCount) return 512;
  const std::uint64_t size = formats[formatInUse].BlockSize();
  return size != 0 ? size : 512;
}

std::optional<int> TNvmeHealthLog::Celsius(std::uint16_t kelvin) {
  if (kelvin == 0) return std::nullopt;
  return static_cast<int>(kelvin) - 273;
}

TNvmeIdentifyController DecodeNvmeIdentifyController(TBytes block) {
  TNvmeIdentifyController id;
  id.vendorId = GetU16(block, 0);
  id.subsystemVendorId = GetU16(block, 2);
  id.serial = FieldText(block, 4, 20);
  id.model = FieldText(block, 24, 40);
  id.firmware = FieldText(block, 64, 8);
  id.ieeeOui = GetU8(block, 73) | (GetU8(block, 74) << 8) | (static_cast<std::uint32_t>(GetU8(block, 75)) << 16);
  id.controllerId = GetU16(block, 78);
  id.version = GetU32(block, 80);
  id.optionalAdminCommands = GetU16(block, 256);
  id.powerStatesSupported = GetU8(block, 263);
  id.warningTemperature = GetU16(block, 266);
  id.criticalTemperature = GetU16(block, 268);
  id.totalCapacity = GetU128(block, 280);
  id.unallocatedCapacity = GetU128(block, 296);
  id.namespaceCount = GetU32(block, 516);
  id.optionalNvmCommands = GetU16(block, 520);
  id.volatileWriteCache = GetU8(block, 525);
  for (std::size_t i = 0; i < kNvmePowerStateCount; ++i)
    id.powerStates[i] = DecodePowerState(block, kNvmePowerStateOffset + i * kNvmePowerStateSize);
  return id;
}

TNvmeIdentifyNamespace DecodeNvmeIdentifyNamespace(TBytes block) {
  TNvmeIdentifyNamespace ns;
  ns.size = GetU64(block, 0);
  ns.capacity = GetU64(block, 8);
  ns.utilization = GetU64(block, 16);
  // NLBAF counts from 0 and may reach 63; only the first 16 formats share this
  // table, the rest (extended formats) are not read.
  ns.formatCount = static_cast<std::uint8_t>(std::min<std::size_t>(GetU8(block, 25) + 1u, kNvmeLbaFormatCount));
  ns.formatInUse = GetU8(block, 26) & 0x0F;
  for (std::size_t i = 0; i < kNvmeLbaFormatCount; ++i) {
    const std::size_t offset = kNvmeLbaFormatOffset + i * kNvmeLbaFormatSize;
    ns.formats[i].metadataSize = GetU16(block, offset);
    ns.formats[i].dataSizeShift = GetU8(block, offset + 2);
    ns.formats[i].relativePerformance = GetU8(block, offset + 3) & 0x03;
  }
  return ns;
}

TNvmeHealthLog DecodeNvmeHealthLog(TBytes block) {
  TNvmeHealthLog log;
  log.criticalWarning = GetU8(block, 0);
  log.temperature = GetU16(block, 1);
  log.availableSpare = GetU8(block, 3);
  log.availableSpareThreshold = GetU8(block, 4);
  log.percentageUsed = GetU8(block, 5);
  log.dataUnitsRead = GetU128(block, 32);
  log.dataUnitsWritten = GetU128(block, 48);
  log.hostReadCommands = GetU128(block, 64);
  log.hostWriteCommands = GetU128(block, 80);
  log.controllerBusyTime = GetU128(block, 96);
  log.powerCycles = GetU128(block, 112);
  log.powerOnHours = GetU128(block, 128);
  log.unsafeShutdowns = GetU128(block, 144);
  log.mediaErrors = GetU128(block, 160);
  log.errorLogEntries = GetU128(block, 176);
  log.warningTemperatureTime = GetU32(block, 192);
  log.criticalTemperatureTime = GetU32(block, 196);
  for (std::size_t i = 0; i < kNvmeTemperatureSensorCount; ++i) log.sensors[i] = GetU16(block, kSensorOffset + 2 * i);
  return log;
}

TUInt128 NvmeHealthFieldValue(TBytes log, const TNvmeHealthField& field) {
  switch (field.size) {
    case 1:
      return {GetU8(log, field.offset), 0};
    case 2:
      return {GetU16(log, field.offset), 0};
    case 4:
      return {GetU32(log, field.offset), 0};
    case 16:
      return GetU128(log, field.offset);
    default:
      return {};
  }
}

}  // namespace vexa
