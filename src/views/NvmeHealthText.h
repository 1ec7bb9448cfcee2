// How the fields of an NVMe drive's health log read on the pages: each field's
// value with its unit, its raw number and its verdict, the critical-warning bits in
// words, and the data units as bytes. The SMART page lists them as rows; the Device
// page, the console program and the report take their values from here.
#pragma once

#include <string>
#include <string_view>

#include "device/NvmeDrive.h"
#include "knowledge/SmartDescriptor.h"

namespace vexa {

// The warning bits that are set, in words, or "無" for none.
std::string NvmeWarningText(std::uint8_t criticalWarning);
// A temperature in kelvin as "%d °C" (or °F); empty for 0 K (not reported).
std::string NvmeTemperatureText(std::uint16_t kelvin, bool fahrenheit);
// Data units (1000 × 512 bytes) as decimal bytes, "12.34 TB".
std::string NvmeDataUnitsText(TUInt128 units);
// A count with thousands separators, exact for every 128-bit value.
std::string NvmeCountText(TUInt128 count);

// The field's value as the SMART page shows it.
std::string NvmeFieldText(const TNvmeHealthField& field, const TNvmeDrive& drive, bool fahrenheit);
// Good where the field is judged and fine, CurrentReached where it calls for action
// (a critical warning, spare below its threshold, life used up, the critical
// temperature), WorstReached for a warning (media errors, the warning temperature,
// 90 % of life used), None where the field is only a count.
TSmartStatus NvmeFieldStatus(const TNvmeHealthField& field, const TNvmeDrive& drive);
// The worst status of all fields: the drive's verdict.
TSmartStatus NvmeHealthStatus(const TNvmeDrive& drive);

}  // namespace vexa
