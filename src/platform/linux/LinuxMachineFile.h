// What the Linux machine keeps of an open handle; shared by its source files.
#pragma once

#include <cstdint>

#include "platform/linux/LinuxMachine.h"

namespace vexa {

struct LinuxMachine::TOpenFile {
  int fd = -1;  // -1: a volume, or a drive this process may not open (described only)
  TOpenMode mode;
  std::uint64_t size = 0;
  std::uint32_t sector = 512;
  std::uint64_t position = 0;
  // On a machine of this PC: the description's handle and the drive it names.
  THandle described = kInvalidHandle;
  const TLinuxDevice* device = nullptr;
  bool port = false;  // a SCSI port (\\.\ScsiN:): only its miniport IDENTIFY is live
};

}  // namespace vexa
