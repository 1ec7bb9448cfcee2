// Device list: enumeration and ownership.
#include "device/DeviceManager.h"

#include <exception>

#include "support/Error.h"
#include "support/Format.h"

namespace vexa {

TDeviceManager::TDeviceManager(Machine& machineRef) : machine(machineRef) {}

// Records go first, with their notifications, while the known-drives table still
// exists (records point into it).
TDeviceManager::~TDeviceManager() {
  onChange = nullptr;
  while (Count() > 0) Delete(Count() - 1);
}

void TDeviceManager::Notify(TListChange code, TDeviceInfo* item, int index) {
  if (onChange) onChange(code, index, item);
  if (code == TListChange::Deleted) delete item;
}

int TDeviceManager::Enumerate(const TDeviceKind& kind, int first, int last) {
  int added = 0;
  try {
    for (int n = first; n < last; ++n) {
      std::unique_ptr<TDeviceInfo> record = kind.create(machine, n);
      if (!record->Open()) continue;
      record->Query(knownDrives);
      record->Close();
      Add(std::move(record));
      ++added;
    }
  } catch (const std::exception& error) {
    throw EVexaError(Format("裝置列舉類型 %s 的導致錯誤.\r\n\r\n\"%s\"", kind.className, error.what()));
  }
  return added;
}

}  // namespace vexa
