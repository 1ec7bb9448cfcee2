// The commands of vexa-cli. Each command is a function over its arguments that
// writes UTF-8 to the given streams and answers the exit status: 0 success,
// 1 the command ran but failed, 2 bad arguments (with a message on the error stream).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

using TCliArgs = std::vector<std::string>;
using TCliCommand = int (*)(const TCliArgs& args, std::FILE* out, std::FILE* err);

struct TCliCommandRow {
  std::string_view name;
  std::string_view usage;
  TCliCommand run;
};

int RunCli(const TCliArgs& args, std::FILE* out, std::FILE* err);

// Prints a bad-arguments message with the command's usage and answers 2.
int CliUsageError(std::FILE* err, std::string_view message, std::string_view usage);
void CliPrint(std::FILE* out, std::string_view text);  // text then a line break

}  // namespace vexa
