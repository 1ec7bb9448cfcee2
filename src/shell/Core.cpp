// The core's queries.
#include "shell/Core.h"

#include "platform/Machine.h"
#include "shell/EasyConfig.h"

namespace vexa {

TVexaCore::TVexaCore(Machine& machineRef, std::string directory)
    : machine(machineRef), programDirectory(std::move(directory)) {
  const TOsVersion version = machine.TrueOsVersion();
  osSupportsTrim = version.major > 6 || (version.major == 6 && version.minor >= 1);
  RefreshTrim();
}

int TVexaCore::DeviceCount() const { return devices ? devices->DeviceCount() : 0; }

int TVexaCore::CurrentDeviceIndex() const {
  const int count = DeviceCount();
  const int index = deviceIndex ? deviceIndex->Value() : 0;
  if (index < 0) return count > 0 ? 0 : -1;
  return index > count - 1 ? count - 1 : index;
}

TDeviceInfo* TVexaCore::CurrentDevice() const {
  const int index = CurrentDeviceIndex();
  return index >= 0 && devices ? devices->DeviceAt(index) : nullptr;
}

void TVexaCore::RefreshTrim() { trimEnabled = osSupportsTrim && QueryTrimEnabled(); }

bool TVexaCore::QueryTrimEnabled() const {
  const auto value = machine.DisableDeleteNotification();
  return value.has_value() && *value == 0;
}

}  // namespace vexa
