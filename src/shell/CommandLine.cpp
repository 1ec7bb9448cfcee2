// Command-line options and the second window's command line.
#include "shell/CommandLine.h"

#include <vector>

#include "shell/EasyConfig.h"
#include "support/Format.h"
#include "support/StringIterators.h"
#include "support/Text.h"

namespace vexa {

namespace {

bool ParseOptionInt(std::string_view text, std::int32_t& value) {
  // Decimal or hexadecimal, as the settings file reads numbers; nothing trailing.
  return TryParseInt32(text, value);
}

void SetInt(TEasyConfig& config, std::string_view fullName, std::int64_t value) {
  if (auto* variable = config.FindAs<TConfigVarInt>(fullName))
    variable->SetValue(static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX)));
}

}  // namespace

void ApplyCommandLine(std::string_view commandLine, TCommandLineHost& host, const TKnownTableSizes& sizes) {
  const std::vector<std::string> tokens = SplitCommandLine(commandLine);
  auto argument = [&](std::size_t i) { return i < tokens.size() ? std::string_view(tokens[i]) : std::string_view(); };
  for (std::size_t i = 1; i < tokens.size(); ++i) {
    std::string option = LowerAscii(tokens[i]);
    if (!option.empty() && option[0] == '/') option[0] = '-';
    std::int32_t a, b;
    if (option == "-page") {
      SetInt(host.Config(), "tabs.page_index", ParseOptionInt(argument(i + 1), a) ? a : 1);
      ++i;
    } else if (option == "-device") {
      SetInt(host.Config(), "system.device_index", ParseOptionInt(argument(i + 1), a) ? std::int64_t{a} - 1 : 0);
      ++i;
    } else if (option == "-debug") {
      host.OpenDebugPage();
    } else if (option == "-size") {
      const std::int32_t width = ParseOptionInt(argument(i + 1), a) ? a : host.ClientWidth();
      const std::int32_t height = ParseOptionInt(argument(i + 2), b) ? b : host.ClientHeight();
      host.SetClientSize(width, height);
      SetInt(host.Config(), "window.width", host.OuterWidth());
      SetInt(host.Config(), "window.height", host.OuterHeight());
      i += 2;
    } else if (option == "-pos") {
      SetInt(host.Config(), "window.left", ParseOptionInt(argument(i + 1), a) ? a : host.Left());
      SetInt(host.Config(), "window.top", ParseOptionInt(argument(i + 2), b) ? b : host.Top());
      i += 2;
    } else if (option == "-dbinfo") {
      host.SetBaseCaption(Format("(%d,%d,%d) %s", sizes.brands, sizes.models, sizes.firmware, host.BaseCaption()));
    }
  }
}

std::optional<std::string> CommandLineOption(std::string_view commandLine, std::string_view name) {
  const std::vector<std::string> tokens = SplitCommandLine(commandLine);
  std::optional<std::string> value;
  for (std::size_t i = 1; i < tokens.size(); ++i) {
    std::string option = LowerAscii(tokens[i]);
    if (!option.empty() && option[0] == '/') option[0] = '-';
    if (option.size() == name.size() + 1 && option[0] == '-' && option.substr(1) == name)
      value = i + 1 < tokens.size() ? tokens[++i] : std::string();
  }
  return value;
}

std::string HistoryFileName(std::string_view commandLine, std::string_view settingsFile) {
  if (std::optional<std::string> file = CommandLineOption(commandLine, "history")) return *file;
  if (CommandLineOption(commandLine, "replay")) return {};
  const std::size_t folder = settingsFile.find_last_of("\\/");
  std::size_t dot = settingsFile.rfind('.');
  if (dot == std::string_view::npos || (folder != std::string_view::npos && dot < folder)) dot = settingsFile.size();
  return std::string(settingsFile.substr(0, dot)) + ".history";
}

TSecondWindowCommand BuildSecondWindowCommand(std::string_view commandLine, std::int32_t left, std::int32_t top,
                                              std::int32_t captionHeight, std::int32_t frameHeight) {
  const std::vector<std::string> tokens = SplitCommandLine(commandLine);
  TSecondWindowCommand command;
  if (!tokens.empty()) command.program = tokens[0];
  for (std::size_t i = 1; i < tokens.size(); ++i) {
    if (tokens[i] == "-pos") {
      i += 2;
      continue;
    }
    command.parameters += ' ';
    // Quoted when empty (dropped, it would let the next token take its place), and
    // when it holds a blank or starts with a control character (skipped between tokens).
    const bool quote = tokens[i].empty() || tokens[i].find(' ') != std::string::npos ||
                       static_cast<unsigned char>(tokens[i][0]) < 33;
    command.parameters += quote ? "\"" + tokens[i] + "\"" : tokens[i];
  }
  const std::int64_t offset = std::int64_t{captionHeight} + frameHeight;
  command.parameters += Format(" -pos %d %d", left + offset, top + offset);
  return command;
}

}  // namespace vexa
