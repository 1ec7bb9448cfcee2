// vexa-cli smart-dump: lists a SMART data block through a chosen descriptor, one
// tab-separated line per attribute, then the count and the key attributes.
#pragma once

#include <cstdio>
#include <string_view>

#include "app/cli/CliCommands.h"

namespace vexa {

constexpr std::string_view kCliSmartDumpUsage = "smart-dump DATA THRESHOLDS --descriptor NAME [--fahrenheit]";

int RunCliSmartDump(const TCliArgs& args, std::FILE* out, std::FILE* err);

}  // namespace vexa
