// vexa-cli submit N: sends the drive report as the Submit page does, with the
// page's two boxes as options, and prints the report's number and page address or
// the page's failure message.
#pragma once

#include <cstdio>
#include <string_view>

#include "app/cli/CliCommands.h"

namespace vexa {

inline constexpr std::string_view kCliSubmitUsage =
    "submit N [--email E] [--comment C] [--server HOST] [--port P] [--insecure-http]";

int RunCliSubmit(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err);

}  // namespace vexa
