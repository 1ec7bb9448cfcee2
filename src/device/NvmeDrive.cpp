#include "device/NvmeDrive.h"

#include "device/NvmeQuery.h"

namespace vexa {

void TNvmeDrive::Clear() { *this = TNvmeDrive{}; }

bool TNvmeDrive::Probe(Machine& machine, THandle handle) {
  Clear();
  if (!QueryNvme(machine, handle, TNvmeRequest::IdentifyController, controllerBlock)) {
    controllerBlock.fill(0);
    return false;
  }
  present = true;
  controller = DecodeNvmeIdentifyController(controllerBlock);
  namespaceRead = QueryNvme(machine, handle, TNvmeRequest::IdentifyNamespace, namespaceBlock);
  if (!namespaceRead) namespaceBlock.fill(0);
  ns = DecodeNvmeIdentifyNamespace(namespaceBlock);
  return true;
}

bool TNvmeDrive::ReadHealth(Machine& machine, THandle handle) {
  healthRead = present && QueryNvme(machine, handle, TNvmeRequest::HealthLog, healthBlock);
  if (!healthRead) healthBlock.fill(0);
  health = DecodeNvmeHealthLog(healthBlock);
  return healthRead;
}

std::uint64_t TNvmeDrive::NamespaceBytes() const {
  if (!namespaceRead) return 0;
  const std::uint64_t blockSize = ns.BlockSize();
  // A size that would not fit in 64 bits is no size.
  if (blockSize == 0 || ns.size > UINT64_MAX / blockSize) return 0;
  return ns.size * blockSize;
}

TUInt128 NvmeFieldRaw(const TNvmeHealthField& field, const TNvmeDrive& drive) {
  const TBytes block = drive.healthBlock;
  switch (field.size) {
    case 1: return {GetU8(block, field.offset), 0};
    case 2: return {GetU16(block, field.offset), 0};
    case 4: return {GetU32(block, field.offset), 0};
    default: return GetU128(block, field.offset);
  }
}

}  // namespace vexa
