// The core: the program's environment facts (program directory, TRIM support)
// and the way to the current device. One instance, created by the main window
// right after the scaler.
#pragma once

#include <cstdint>
#include <string>

#include "device/DeviceSource.h"

namespace vexa {

class Machine;
class TConfigVarInt;

class TVexaCore {
public:
  TVexaCore(Machine& machine, std::string programDirectory);

  // The settings variable system.device_index and the device list; the main
  // window connects both once they exist.
  void SetDeviceIndexVariable(TConfigVarInt* variable) { deviceIndex = variable; }
  void SetDevices(TDeviceSource* source) { devices = source; }

  // system.device_index clamped to the list: -1 when the list is empty.
  int CurrentDeviceIndex() const;
  TDeviceInfo* CurrentDevice() const;
  int DeviceCount() const;

  void RefreshTrim();
  // True exactly when the registry value DisableDeleteNotification reads as 0.
  bool QueryTrimEnabled() const;

  Machine& machine;
  bool started = false;
  std::uintptr_t mainWindowHandle = 0;
  std::string programDirectory;  // with a trailing path delimiter
  bool osSupportsTrim = false;    // Windows 7 (6.1) or later
  bool trimEnabled = false;

private:
  TConfigVarInt* deviceIndex = nullptr;
  TDeviceSource* devices = nullptr;
};

}  // namespace vexa
