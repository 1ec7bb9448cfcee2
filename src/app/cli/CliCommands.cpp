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
    {"help", "help", RunHelp, nullptr},
    {"version", "version", RunVersion, nullptr},
};

static constexpr std::string_view kGlobalUsage =
    "[--replay FILE | --real] [--history FILE] [--set SECTION.KEY=VALUE]... COMMAND [ARGUMENTS]";

static int RunHelp(const TCliArgs&, std::FILE* out, std::FILE*) {
  CliPrint(out, Format("usage: vexa-cli %s", kGlobalUsage));
  CliPrint(out, "commands:");
  for (const TCliCommandRow& row : kBuiltIn) CliPrint(out, Format("  %s", row.usage));
  for (const TCliCommandRow& row : CliCommandList()) CliPrint(out, Format("  %s", row.usage));
  return 0;
}

static const TCliCommandRow* FindCommand(std::string_view name) {
  for (const TCliCommandRow& row : kBuiltIn)
    if (name == row.name) return &row;
  for (const TCliCommandRow& row : CliCommandList())
    if (name == row.name) return &row;
  return nullptr;
}

int RunCli(const TCliArgs& args, std::FILE* out, std::FILE* err) {
  // The global options come first; the command's own options follow its name.
  TCliGlobalOptions options;
  std::size_t first = 0;
  while (first < args.size() && args[first].starts_with("--")) {
    const std::string& option = args[first];
    if (option == "--real") {
      options.real = true;
      ++first;
      continue;
    }
    if (option != "--replay" && option != "--set" && option != "--history")
      return CliUsageError(err, Format("unknown option \"%s\"", option), kGlobalUsage);
    if (first + 1 >= args.size()) return CliUsageError(err, Format("%s needs a value", option), kGlobalUsage);
    const std::string& value = args[first + 1];
    if (option == "--replay") {
      if (options.replayFile) return CliUsageError(err, "--replay may be given once", kGlobalUsage);
      options.replayFile = value;
    } else if (option == "--history") {
      if (options.historyFile || value.empty())
        return CliUsageError(err, "--history takes one file name, once", kGlobalUsage);
      options.historyFile = value;
    } else {
      options.assignments.push_back(value);
    }
    first += 2;
  }
  if (options.real && options.replayFile) return CliUsageError(err, "--real and --replay exclude each other", kGlobalUsage);
  if (first >= args.size()) {
    if (options.Any()) return CliUsageError(err, "no command given", kGlobalUsage);
    RunHelp(args, err, err);
    return 2;
  }
  const std::string& name = args[first];
  const TCliArgs rest(args.begin() + static_cast<std::ptrdiff_t>(first) + 1, args.end());
  const TCliCommandRow* row = FindCommand(name);
  if (!row) {
    CliPrint(err, Format("vexa-cli: unknown command \"%s\"", name));
    RunHelp(args, err, err);
    return 2;
  }
  if (row->runOnMachine) return row->runOnMachine(options, rest, out, err);
  if (options.Any())
    return CliUsageError(err, Format("--replay, --real, --history and --set apply to the commands that read drives, not to %s", name),
                         row->usage);
  return row->run(rest, out, err);
}

}  // namespace vexa
