// What the core needs of the device list, which implements it: a count and the
// record at a position. Tests give the core lists of their own through it.
#pragma once

namespace vexa {

class TDeviceInfo;

class TDeviceSource {
public:
  virtual ~TDeviceSource() = default;
  virtual int DeviceCount() const = 0;
  virtual TDeviceInfo* DeviceAt(int index) const = 0;
};

}  // namespace vexa
