// Short name lists for ATA major versions, storage bus types, form factors and SATA
// transport versions, and the lookups that turn numbers into those names.
#include "device/IdentifyNames.h"

#include "support/Format.h"

namespace vexa {

const std::array<std::string_view, 11> AtaMajorVersionNames{
    "ATA-1",       "ATA-2",       "ATA-3",    "ATA/ATAPI-4", "ATA/ATAPI-5", "ATA/ATAPI-6",
    "ATA/ATAPI-7", "ATA8-ACS",    "ACS-2",    "ACS-3",       "ACS-4",
};

// Kept as the platform's STORAGE_BUS_TYPE names, including its end marker.
const std::array<std::string_view, 19> BusTypeNames{
    "Unknown", "SCSI", "ATAPI", "ATA",  "IEEE 1394", "SSA",     "Fibre",
    "USB",     "RAID", "iSCSI", "SAS",  "SATA",      "SD",      "MMC",
    "Virtual", "FileBackedVirtual", "Spaces", "NVMe", "<BusTypeMax>",
};

const std::array<std::string_view, 7> FormFactorNames{
    "5.25 inch", "3.5 inch", "2.5 inch", "1.8 inch", "< 1.8 inch", "mSATA", "M.2 2280",
};

const std::array<std::string_view, 5> SataTransportNames{"2.5", "2.6", "3.0", "3.1", "3.2"};

std::string_view MinorVersionNameOf(std::uint16_t code) {
  for (const TMinorVersionName& row : MinorVersionNames)
    if (row.code == code) return row.name;
  return code <= 0x17 ? "Obsolete" : "已保留";
}

std::string_view AtaMajorVersionName(unsigned version) {
  if (version < 1 || version > AtaMajorVersionNames.size()) return {};
  return AtaMajorVersionNames[version - 1];
}

std::string_view FormFactorName(unsigned code) {
  if (code < 1 || code > FormFactorNames.size()) return {};
  return FormFactorNames[code - 1];
}

std::string BusTypeName(std::uint32_t busType) {
  if (busType < BusTypeNames.size()) return std::string(BusTypeNames[busType]);
  return std::string(BusTypeNames[0]) + Format(" (%.2u)", busType);
}

double SataSpeedGbps(unsigned generation) {
  if (generation == 0) return 0.0;
  // Generations beyond any real one still give a finite number instead of overflowing.
  double speed = 1.5;
  for (unsigned g = 1; g < generation && g < 32; ++g) speed *= 2.0;
  return speed;
}

std::string SataSpeedText(unsigned generation) { return Format("%.1f Gbps", SataSpeedGbps(generation)); }

}  // namespace vexa
