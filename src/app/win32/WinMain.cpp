// vexa.exe: creates the main window on the real machine and runs the message
// loop until the window closes.
#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <memory>

#include "platform/win32/Win32Machine.h"
#include "shell/Shared.h"
#include "shell/win32/MainWindow.h"
#include "support/win32/WideText.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    vexa::Win32Machine machine;
    auto form = std::make_unique<vexa::TVexaForm>(machine, vexa::Narrow(GetCommandLineW()));
    form->Show(showCommand);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
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
