// Command dispatch of vexa-cli: one table of commands, in the order `help` lists them.
#include "app/cli/CliCommands.h"

#include "app/cli/CliCommandList.h"
#include "shell/Version.h"
#include "support/Format.h"

namespace vexa {

void CliPrint(std::FILE* out, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), out);
  std::fputc('\n', out);
}

int CliUsageError(std::FILE* err, std::string_view message, std::string_view usage) {
  CliPrint(err, Format("vexa-cli: %s", message));
  CliPrint(err, Format("usage: vexa-cli %s", usage));
  return 2;
}

static int RunVersion(const TCliArgs& args, std::FILE* out, std::FILE* err) {
  if (!args.empty()) return CliUsageError(err, "version takes no arguments", "version");
  CliPrint(out, BaseCaption());
  return 0;
}

static int RunHelp(const TCliArgs&, std::FILE* out, std::FILE*);

static const TCliCommandRow kBuiltIn[] = {
    {"help", "help", RunHelp},
    {"version", "version", RunVersion},
};

static int RunHelp(const TCliArgs&, std::FILE* out, std::FILE*) {
  CliPrint(out, "usage: vexa-cli COMMAND [ARGUMENTS]");
  CliPrint(out, "commands:");
  for (const TCliCommandRow& row : kBuiltIn) CliPrint(out, Format("  %s", row.usage));
  for (const TCliCommandRow& row : CliCommandList()) CliPrint(out, Format("  %s", row.usage));
  return 0;
}

int RunCli(const TCliArgs& args, std::FILE* out, std::FILE* err) {
  if (args.empty()) {
    RunHelp(args, err, err);
    return 2;
  }
  const TCliArgs rest(args.begin() + 1, args.end());
  for (const TCliCommandRow& row : kBuiltIn)
    if (args[0] == row.name) return row.run(rest, out, err);
  for (const TCliCommandRow& row : CliCommandList())
    if (args[0] == row.name) return row.run(rest, out, err);
  CliPrint(err, Format("vexa-cli: unknown command \"%s\"", args[0]));
  RunHelp(args, err, err);
  return 2;
}

}  // namespace vexa
