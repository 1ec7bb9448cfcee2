// The commands of vexa-cli. Each command is a function over its arguments that
// writes UTF-8 to the given streams and answers the exit status: 0 success,
// 1 the command ran but failed, 2 bad arguments (with a message on the error stream).
// The global options before the command (--replay, --set) reach only the commands
// that read drives.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

using TCliArgs = std::vector<std::string>;
using TCliCommand = int (*)(const TCliArgs& args, std::FILE* out, std::FILE* err);

// vexa-cli [--replay FILE | --real] [--history FILE] [--set SECTION.KEY=VALUE]... COMMAND
struct TCliGlobalOptions {
  std::optional<std::string> replayFile;
  std::vector<std::string> assignments;  // "SECTION.KEY=VALUE", in the order given
  bool real = false;                     // a Linux file or block device instead of a machine
  std::optional<std::string> realPath;   // set by the command that takes the path
  std::optional<std::string> historyFile;  // the SMART history to record into and read
  bool userHistory = false;  // set by the commands that use the user's own history when none is named
  bool Any() const { return replayFile.has_value() || !assignments.empty() || real || historyFile.has_value(); }
};
using TCliMachineCommand = int (*)(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out,
                                   std::FILE* err);

// A command is either plain (run) or one that reads a machine's drives (runOnMachine).
struct TCliCommandRow {
  std::string_view name;
  std::string_view usage;
  TCliCommand run;
  TCliMachineCommand runOnMachine;
};

int RunCli(const TCliArgs& args, std::FILE* out, std::FILE* err);

// Prints a bad-arguments message with the command's usage and answers 2.
int CliUsageError(std::FILE* err, std::string_view message, std::string_view usage);
void CliPrint(std::FILE* out, std::string_view text);  // text then a line break

}  // namespace vexa
