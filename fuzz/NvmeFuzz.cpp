// Decodes arbitrary bytes as an NVMe Identify Controller block, an Identify
// Namespace block and a health log, touching every field and text. Every 128-bit
// counter's decimal text must read back as the same value, and the input read as
// decimal digits must give back the same digits.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "device/NvmeData.h"

namespace {

std::size_t Touch(vexa::TUInt128 value) {
  const std::string text = vexa::DecimalText(value);
  vexa::TUInt128 back;
  if (!vexa::TryParseUInt128(text, back) || back != value) {
    std::fprintf(stderr, "NvmeFuzz: %s does not read back\n", text.c_str());
    std::abort();
  }
  return text.size() + (vexa::ToLongDouble(value) > 1e30L) + (vexa::NvmeDataUnitsBytes(value) > 1e30L);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexa;
  const TBytes input(data, size);

  const TNvmeIdentifyController id = DecodeNvmeIdentifyController(input);
  std::size_t sink = id.vendorId + id.subsystemVendorId + id.serial.size() + id.model.size() + id.firmware.size();
  sink += id.ieeeOui + id.controllerId + id.VersionText().size() + id.VersionTriple().size();
  sink += id.optionalAdminCommands + id.powerStatesSupported + id.optionalNvmCommands + id.volatileWriteCache;
  sink += TNvmeHealthLog::Celsius(id.warningTemperature).value_or(0);
  sink += TNvmeHealthLog::Celsius(id.criticalTemperature).value_or(0);
  sink += Touch(id.totalCapacity) + Touch(id.unallocatedCapacity) + id.namespaceCount;
  for (const TNvmePowerState& state : id.powerStates)
    sink += (state.Watts() > 1.0) + state.nonOperational + state.entryLatency + state.exitLatency;

  const TNvmeIdentifyNamespace ns = DecodeNvmeIdentifyNamespace(input);
  sink += ns.size + ns.capacity + ns.utilization + ns.formatCount + ns.formatInUse + ns.BlockSize();
  for (const TNvmeLbaFormat& format : ns.formats)
    sink += format.metadataSize + format.relativePerformance + format.BlockSize();

  const TNvmeHealthLog log = DecodeNvmeHealthLog(input);
  sink += log.criticalWarning + TNvmeHealthLog::Celsius(log.temperature).value_or(0);
  sink += log.availableSpare + log.availableSpareThreshold + log.percentageUsed;
  for (const TUInt128& counter : {log.dataUnitsRead, log.dataUnitsWritten, log.hostReadCommands,
                                  log.hostWriteCommands, log.controllerBusyTime, log.powerCycles, log.powerOnHours,
                                  log.unsafeShutdowns, log.mediaErrors, log.errorLogEntries})
    sink += Touch(counter);
  sink += log.warningTemperatureTime + log.criticalTemperatureTime;
  for (const std::uint16_t sensor : log.sensors) sink += TNvmeHealthLog::Celsius(sensor).value_or(0);
  for (const TNvmeHealthField& field : NvmeHealthFields())
    sink += Touch(NvmeHealthFieldValue(input, field)) + field.key.size() + field.name.size();

  // Digits that parse are the value's decimal text once their leading zeros go.
  const std::string_view digits(reinterpret_cast<const char*>(data), size);
  TUInt128 parsed;
  if (TryParseUInt128(digits, parsed)) {
    const std::size_t first = digits.find_first_not_of('0');
    const std::string_view significant = first == std::string_view::npos ? "0" : digits.substr(first);
    if (DecimalText(parsed) != significant) {
      std::fprintf(stderr, "NvmeFuzz: %s reads as %s\n", std::string(digits).c_str(), DecimalText(parsed).c_str());
      std::abort();
    }
  }
  volatile std::size_t keep = sink;
  (void)keep;
  return 0;
}
