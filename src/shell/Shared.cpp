// Message and launch sinks.
#include "shell/Shared.h"

namespace vexa {

namespace {
TMessageSink& MessageSink() {
  static TMessageSink sink;
  return sink;
}
TProgramRunner& ProgramRunner() {
  static TProgramRunner runner;
  return runner;
}
}  // namespace

void SetMessageSink(TMessageSink sink) { MessageSink() = std::move(sink); }
void SetProgramRunner(TProgramRunner runner) { ProgramRunner() = std::move(runner); }

int ShowMessage(std::string_view text, std::uint32_t flags) {
  return MessageSink() ? MessageSink()(text, flags) : kAnswerOk;
}

void ShowError(std::string_view leadIn, std::string_view message) {
  std::string text(leadIn);
  text += kParagraphBreak;
  text += message;
  ShowMessage(text, kMessageIconError);
}

bool RunProgram(std::string_view file, std::string_view parameters, std::string_view directory) {
  return ProgramRunner() && ProgramRunner()(file, parameters, directory);
}

}  // namespace vexa
