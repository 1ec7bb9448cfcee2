// vexa-probe.exe: drives a running vexa.exe from outside with ordinary window
// messages, for the end-to-end tests under Wine, and prints what its controls show.
//   vexa-probe wait [ms]      wait for the main window; print its title
//   vexa-probe title          print the main window's title
//   vexa-probe controls       print each child control: class, then its text
//   vexa-probe close          ask the window to close (WM_CLOSE) and wait until it is gone
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

HWND FindMain() { return FindWindowW(L"TVexaForm", nullptr); }

void PrintUtf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fputc('\n', stdout);
}

std::wstring TextOf(HWND window) {
  wchar_t buffer[1024] = L"";
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
  return buffer;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  wchar_t className[128] = L"";
  GetClassNameW(child, className, 128);
  PrintUtf8(std::wstring(className) + L"\t" + TextOf(child));
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"wait") {
    const DWORD limit = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 30000;
    const DWORD start = GetTickCount();
    HWND main = nullptr;
    while (!(main = FindMain()) || !IsWindowVisible(main)) {
      if (GetTickCount() - start > limit) {
        std::fputs("vexa-probe: no main window\n", stderr);
        return 1;
      }
      Sleep(100);
    }
    PrintUtf8(TextOf(main));
    return 0;
  }
  HWND main = FindMain();
  if (!main) {
    std::fputs("vexa-probe: no main window\n", stderr);
    return 1;
  }
  if (command == L"title") {
    PrintUtf8(TextOf(main));
  } else if (command == L"controls") {
    EnumChildWindows(main, PrintChild, 0);
  } else if (command == L"close") {
    PostMessageW(main, WM_CLOSE, 0, 0);
    for (int i = 0; i < 300 && IsWindow(main); ++i) Sleep(100);
    if (IsWindow(main)) {
      std::fputs("vexa-probe: the window did not close\n", stderr);
      return 1;
    }
  } else {
    std::fputs("usage: vexa-probe wait [ms] | title | controls | close\n", stderr);
    return 2;
  }
  return 0;
}
