// The machine file of a machine: the text that ReadMachineFile reads back as the
// same machine (docs/MACHINE-FILE.md). Written by the capture of a real machine,
// for a support technician to replay.
#pragma once

#include <string>
#include <string_view>

#include "platform/MachineFile.h"

namespace vexa {

// The file's text; comment lines (without "# ") open it after the header.
std::string WriteMachineFile(const TMachineFile& machine, std::string_view comment = {});

}  // namespace vexa
