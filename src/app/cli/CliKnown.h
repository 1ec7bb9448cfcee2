// vexa-cli known: identifies a drive from its model string, firmware revision and
// world wide name the way the device list does, and prints the facts found.
#pragma once

#include <cstdio>

#include "app/cli/CliCommands.h"

namespace vexa {

int RunCliKnown(const TCliArgs& args, std::FILE* out, std::FILE* err);

}  // namespace vexa
