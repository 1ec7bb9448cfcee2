// Firmware-revision patterns that name the controller (and sometimes the brand) of a
// drive whose model string is unknown; searched in order, the first match wins.
#include "knowledge/KnownDevicesTables.h"

namespace vexa {

constinit const std::array<TKnownDevice, KnownFirmwareCount> KnownFirmwares = {{
    KnownRow(1, nullptr, "^\\a{3}\\d{2}\\w\\d[Q6]$", "Samsung", "Samsung"),
    KnownRow(0, nullptr, "^S5F", "Phison PS3105-S5-I"),
    KnownRow(0, nullptr, "^S8F", "Phison PS3108-S8-I"),
    KnownRow(0, nullptr, "^S9F", "Phison PS3109-S9-J"),
    KnownRow(0, nullptr, "^SAF", "Phison PS3110-S10-X"),
    KnownRow(0, nullptr, "^S[0-4B-F]F", "Phison"),
}};

}  // namespace vexa
