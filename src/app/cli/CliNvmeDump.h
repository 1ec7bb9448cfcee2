// vexa-cli nvme-dump IDENTIFY [HEALTH]: decodes an NVMe Identify Controller block
// and, when given, a SMART / Health Information log, both as raw bytes the way
// Linux's NVMe tool writes them in binary mode, and prints key<TAB>value lines.
#pragma once

#include <cstdio>
#include <string_view>

#include "app/cli/CliCommands.h"

namespace vexa {

inline constexpr std::string_view kCliNvmeDumpUsage = "nvme-dump IDENTIFY [HEALTH]";

int RunCliNvmeDump(const TCliArgs& args, std::FILE* out, std::FILE* err);

}  // namespace vexa
