// The device list: probes every number 0..255 of an enabled kind, keeps the
// records of the drives that could be opened, owns them (a deleted or cleared
// record is freed, an extracted one is not) and reports every change.
#pragma once

#include <functional>
#include <memory>

#include "device/DeviceInfo.h"
#include "device/DeviceSource.h"
#include "knowledge/KnownDevices.h"
#include "support/AdvList2.h"

namespace vexa {

class TDeviceManager : public TAdvList2<TDeviceInfo>, public TDeviceSource {
public:
  using TChangeEvent = std::function<void(TListChange code, int index, TDeviceInfo* device)>;

  explicit TDeviceManager(Machine& machine);
  ~TDeviceManager() override;

  TDeviceInfo* Device(int index) const { return Item(index); }
  // Takes ownership.
  void Add(std::unique_ptr<TDeviceInfo> record) { TAdvList2::Add(record.release()); }
  // Probes numbers first .. last - 1 of a kind and appends what opens; answers how
  // many were added. An error while probing ends the kind with a message naming it.
  int Enumerate(const TDeviceKind& kind, int first, int last);

  TKnownDevicesDB& KnownDrives() { return knownDrives; }
  Machine& GetMachine() const { return machine; }

  int DeviceCount() const override { return Count(); }
  TDeviceInfo* DeviceAt(int index) const override { return Device(index); }

  TChangeEvent onChange;

protected:
  void Notify(TListChange code, TDeviceInfo* item, int index) override;

private:
  Machine& machine;
  TKnownDevicesDB knownDrives;
};

}  // namespace vexa
