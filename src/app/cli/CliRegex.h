// vexa-cli regex: tries one pattern of the drive pattern engine on one subject, the
// way the known-drives table and the model-number decoders use it (case-insensitive).
#pragma once

#include <cstdio>

#include "app/cli/CliCommands.h"

namespace vexa {

inline constexpr std::string_view CliRegexUsage = "regex PATTERN SUBJECT";

// Prints "position: N" (1-based, -1 without a match), "matched: TEXT" and
// "capture N: TEXT" lines; a pattern that does not compile prints "error: MESSAGE"
// on the error stream and answers 1.
int RunCliRegex(const TCliArgs& args, std::FILE* out, std::FILE* err);

}  // namespace vexa
