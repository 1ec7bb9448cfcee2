// vexa.exe: creates the main window on the real machine, or on a recorded one
// with -replay FILE, and runs the message loop until the window closes.
#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "platform/ReplayMachine.h"
#include "platform/win32/Win32Machine.h"
#include "shell/CommandLine.h"
#include "shell/Shared.h"
#include "support/Error.h"
#include "app/win32/MainWindow.h"
#include "support/Paths.h"
#include "support/win32/WideText.h"
#include "views/MachineCapture.h"

namespace {

// The value after -NAME (or /NAME), empty when the option is absent or has none.
std::string OptionValue(const std::string& commandLine, std::string_view option, bool& present) {
  std::optional<std::string> value = vexa::CommandLineOption(commandLine, option);
  present = value.has_value();
  return value.value_or(std::string());
}

// The machine the program shows: the real one, or a recorded one. A recorded machine
// that cannot be read is reported, and the program goes on with no devices.
std::unique_ptr<vexa::Machine> MakeMachine(const std::string& commandLine) {
  bool replay = false;
  const std::string file = OptionValue(commandLine, "replay", replay);
  if (!replay) return std::make_unique<vexa::Win32Machine>();
  try {
    if (file.empty()) throw vexa::EVexaError("-replay needs the name of a machine file");
    return vexa::ReplayMachine::FromFile(file);
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, vexa::Wide(std::string("無法讀取機器檔案.\r\n\r\n") + error.what()).c_str(), L"Vexa",
                MB_ICONERROR);
  }
  return std::make_unique<vexa::ReplayMachine>(vexa::TMachineFile{});
}

// -capture FILE [-keep-serials]: one rescan of the machine recorded and written as a
// machine file, without a window. Answers the process's exit status.
int Capture(const std::string& commandLine, const std::string& file) {
  try {
    if (file.empty()) throw vexa::EVexaError("-capture needs the name of the file to write");
    bool keepSerials = false;
    OptionValue(commandLine, "keep-serials", keepSerials);
    const std::unique_ptr<vexa::Machine> machine = MakeMachine(commandLine);
    const std::string text = vexa::CaptureMachineFile(*machine, {keepSerials}, "recorded by vexa.exe");
    if (!vexa::WriteFileAtomically(file, text)) throw vexa::EVexaError("cannot write " + file);
    return 0;
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, vexa::Wide(std::string("無法保存機器檔案.\r\n\r\n") + error.what()).c_str(), L"Vexa",
                MB_ICONERROR);
    return 1;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    const std::string commandLine = vexa::Narrow(GetCommandLineW());
    bool capture = false;
    const std::string captureFile = OptionValue(commandLine, "capture", capture);
    if (capture) return Capture(commandLine, captureFile);
    const std::unique_ptr<vexa::Machine> machine = MakeMachine(commandLine);
    auto form = std::make_unique<vexa::TVexaForm>(*machine, commandLine);
    form->Show(showCommand);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (form->PreTranslate(message)) continue;
      if (!IsDialogMessageW(form->Handle(), &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    form.reset();
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, vexa::Wide(error.what()).c_str(), L"Vexa", MB_ICONERROR);
    return 1;
  }
  return 0;
}
