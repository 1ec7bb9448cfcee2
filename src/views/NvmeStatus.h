// The Device page's properties of an NVMe drive: where an ATA drive's come from
// IDENTIFY words and SMART attributes, these come from Identify Controller, Identify
// Namespace and the health log, and each tool tip says which field gave the value.
#pragma once

#include <string_view>

namespace vexa {

class TDeviceInfo;
class TStatusProperties;

// The identity, known-drive and capacity properties are filled as for any drive;
// this fills features, interface, standard, speed, temperature, power-on time,
// power cycles, host writes and the health lines.
void FillNvmeStatus(const TDeviceInfo& device, TStatusProperties& status, bool fahrenheit);
// The features the controller reports, as the feature property lists them.
std::string NvmeFeatureList(const TDeviceInfo& device);

}  // namespace vexa
