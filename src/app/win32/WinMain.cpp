// vexa.exe: creates the main window on the real machine, or on a recorded one
// with -replay FILE, and runs the message loop until the window closes.
#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <memory>

#include "platform/ReplayMachine.h"
#include "platform/win32/Win32Machine.h"
#include "shell/Shared.h"
#include "support/Error.h"
#include "app/win32/MainWindow.h"
#include "support/StringIterators.h"
#include "support/Text.h"
#include "support/win32/WideText.h"

namespace {

// The file named after -replay (or /replay), empty when the option is absent.
std::string ReplayFileOf(const std::string& commandLine, bool& present) {
  const std::vector<std::string> tokens = vexa::SplitCommandLine(commandLine);
  std::string file;
  present = false;
  for (std::size_t i = 1; i < tokens.size(); ++i) {
    std::string name = vexa::LowerAscii(tokens[i]);
    if (!name.empty() && name[0] == '/') name[0] = '-';
    if (name == "-replay") {
      present = true;
      file = i + 1 < tokens.size() ? tokens[++i] : std::string();
    }
  }
  return file;
}

// The machine the program shows: the real one, or a recorded one. A recorded machine
// that cannot be read is reported, and the program goes on with no devices.
std::unique_ptr<vexa::Machine> MakeMachine(const std::string& commandLine) {
  bool replay = false;
  const std::string file = ReplayFileOf(commandLine, replay);
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

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    const std::string commandLine = vexa::Narrow(GetCommandLineW());
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
