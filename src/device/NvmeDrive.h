// The NVMe side of a device record: the Identify Controller, Identify Namespace and
// health-log blocks as the drive sent them, and their decoded fields. A record is an
// NVMe drive when its controller answered Identify; the health log is read with the
// SMART data, on every refresh.
#pragma once

#include <array>
#include <cstdint>

#include "device/NvmeData.h"
#include "platform/Machine.h"

namespace vexa {

struct TNvmeDrive {
  bool present = false;         // Identify Controller answered
  bool namespaceRead = false;   // Identify Namespace answered
  bool healthRead = false;      // the last health-log read answered
  std::array<std::uint8_t, kNvmeIdentifySize> controllerBlock{};
  std::array<std::uint8_t, kNvmeIdentifySize> namespaceBlock{};
  std::array<std::uint8_t, kNvmeHealthLogSize> healthBlock{};
  TNvmeIdentifyController controller;
  TNvmeIdentifyNamespace ns;
  TNvmeHealthLog health;

  // Asks for Identify Controller and, when it answers, Identify Namespace.
  bool Probe(Machine& machine, THandle handle);
  // Reads the health log; on failure the blocks and fields read as zero.
  bool ReadHealth(Machine& machine, THandle handle);
  void Clear();
  // The namespace's size in bytes; 0 when the namespace was not read.
  std::uint64_t NamespaceBytes() const;
};

// A health-log field's raw number, exact, from the drive's last log.
TUInt128 NvmeFieldRaw(const TNvmeHealthField& field, const TNvmeDrive& drive);

}  // namespace vexa
