// The table of vexa-cli's subsystem commands; each command lives in its own file
// of this folder and is listed here once.
#pragma once

#include <span>

#include "app/cli/CliCommands.h"

namespace vexa {

std::span<const TCliCommandRow> CliCommandList();

}  // namespace vexa
