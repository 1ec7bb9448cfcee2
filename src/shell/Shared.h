// Shared helpers of the shell that end at the platform: message boxes and
// launching programs. The window installs the real implementations at start;
// without one (tests, vexa-cli) messages go to a sink the caller sets, or nowhere.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vexa {

// Message box flags and answers, with the values Windows gives them.
enum : std::uint32_t {
  kMessageOk = 0x00,
  kMessageOkCancel = 0x01,
  kMessageYesNo = 0x04,
  kMessageIconError = 0x10,
  kMessageIconQuestion = 0x20,
  kMessageIconWarning = 0x30,
  kMessageIconInformation = 0x40,
};
enum : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

// The caption of every message box.
inline constexpr std::string_view kMessageCaption = "Vexa";
inline constexpr std::string_view kLineBreak = "\r\n";
inline constexpr std::string_view kParagraphBreak = "\r\n\r\n";

using TMessageSink = std::function<int(std::string_view text, std::uint32_t flags)>;
// Answers whether the shell could open it.
using TProgramRunner = std::function<bool(std::string_view file, std::string_view parameters, std::string_view directory)>;

void SetMessageSink(TMessageSink sink);
void SetProgramRunner(TProgramRunner runner);

// A message box owned by the main window, caption "Vexa"; answers the box's answer
// (kAnswerOk when nothing shows it).
int ShowMessage(std::string_view text, std::uint32_t flags);
// Shows a caught error: the lead-in, a blank line and the error's message.
void ShowError(std::string_view leadIn, std::string_view message);
// Asks the shell to open a program, document or address; false when it could not
// (or nothing can open anything, as in the console program).
bool RunProgram(std::string_view file, std::string_view parameters, std::string_view directory);

}  // namespace vexa
