// vexa-cli report N: the drive report exactly as the Submit page sends it (no
// e-mail, no comment), one line without white space.
#pragma once

#include <cstdio>
#include <string_view>

#include "app/cli/CliCommands.h"

namespace vexa {

inline constexpr std::string_view kCliReportUsage = "report N";

int RunCliReport(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err);

}  // namespace vexa
