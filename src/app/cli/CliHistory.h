// The SMART history in vexa-cli.
//   history N [ID] [--json] [--png FILE]: the drive's stored readings, one line each
//     (time, descriptor, firmware, verdict, what changed since the one before), or
//     with ID one attribute's series (ATA id, or an NVMe field by key or SMART-page
//     id), or its drawing as a PNG.
//   watch [--every DURATION] [--count K]: reads every drive now and then every
//     DURATION (30s, 10m, 2h; default 10m), K times (default: until stopped), records
//     each reading and prints one line per drive that got worse; exit 3 when one did.
// The history file is --history FILE; without it, the real drives' commands history and
// watch use the user's own (CliHistoryPath), and a replayed machine has none.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "app/cli/CliCommands.h"

namespace vexa {

inline constexpr std::string_view kCliHistoryUsage = "history N [ID] [--json] [--png FILE]";
inline constexpr std::string_view kCliWatchUsage = "watch [--every DURATION] [--count K]";
inline constexpr int kCliExitWorse = 3;

// The file a session records into: --history FILE; or, when the command asks for the
// user's own history and no machine is replayed, $XDG_STATE_HOME/vexa/vexa.history
// (~/.local/state/vexa/vexa.history; its folder made) on Linux and vexa.history
// beside the program on Windows; otherwise none.
std::string CliHistoryPath(const TCliGlobalOptions& options);

// "30s", "10m", "2h" or plain seconds, 1 second to 31 days; false otherwise.
bool ParseWatchInterval(std::string_view text, long long& seconds);

int RunCliHistory(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err);
int RunCliWatch(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err);

}  // namespace vexa
