// vexa-cli decode MODEL: runs every model-number decoder on one model string and
// prints each decoder whose pattern matched, with one tab-separated line per row.
#pragma once

#include <cstdio>

#include "app/cli/CliCommands.h"

namespace vexa {

int RunCliDecode(const TCliArgs& args, std::FILE* out, std::FILE* err);

}  // namespace vexa
