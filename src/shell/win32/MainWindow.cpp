// The main window's construction, layout, messages and shutdown.
#include "shell/win32/MainWindow.h"

#include <commctrl.h>

#include <filesystem>

#include "knowledge/KnownDevicesTables.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/PixelsPerInch.h"
#include "shell/Shared.h"
#include "shell/StatusProperties.h"
#include "shell/Tabs.h"
#include "shell/Version.h"
#include "shell/win32/PageControl.h"
#include "support/win32/WideText.h"

namespace vexa {

namespace {

constexpr int kRescanGlyph = 128;
constexpr int kRescanButtonId = 1001;
constexpr int kDeviceSelectorId = 1002;
constexpr int kExitButtonId = 1003;

// Known-drive table sizes shown by -dbinfo: brands, model rows, firmware rows.
constexpr TKnownTableSizes kKnownTableSizes{static_cast<int>(KnownBrandCount), static_cast<int>(KnownModelCount),
                                            static_cast<int>(KnownFirmwareCount)};

HFONT CreateIconTitleFont() {
  LOGFONTW logFont{};
  if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof logFont, &logFont, 0)) return nullptr;
  return CreateFontIndirectW(&logFont);
}

std::optional<std::string> LoadResourceString(int id) {
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) return std::nullopt;
  return Narrow(std::wstring_view(text, length));
}

}  // namespace

std::string ProgramDirectory() {
  wchar_t path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  std::wstring full(path, length);
  return Narrow(full.substr(0, full.find_last_of(L"\\/") + 1));
}

std::string SettingsFileName() {
  wchar_t path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  std::filesystem::path file(std::wstring(path, length));
  file.replace_extension(L".ini");
  return Narrow(file.wstring());
}

TVexaForm::TVexaForm(Machine& machineRef, std::string line) : machine(machineRef), commandLine(std::move(line)) {
  // 1. The form itself.
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hIcon = LoadIconW(windowClass.hInstance, L"MAINICON");
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageW(windowClass.hInstance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);
  window = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, 400, 400, nullptr, nullptr, windowClass.hInstance, this);
  if (!window) throw EVexaError("Cannot create the main window");
  font = CreateIconTitleFont();

  // 2. Caption.
  SetBaseCaption(vexa::BaseCaption());

  // 6. Shared objects, in their fixed order.
  SetMessageSink([this](std::string_view text, std::uint32_t flags) {
    return MessageBoxW(window, Wide(text).c_str(), Wide(kMessageCaption).c_str(), flags);
  });
  HDC screen = GetDC(nullptr);
  const int screenPixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  scaler = std::make_unique<TPixelsPerInch>(screenPixelsPerInch, 0);
  core = std::make_unique<TVexaCore>(machine, ProgramDirectory());
  core->mainWindowHandle = reinterpret_cast<std::uintptr_t>(window);
  tabs = std::make_unique<TVexaTabManager>();
  status = std::make_unique<TStatusProperties>(LoadResourceString);
  status->onChange = [this](int index) { tabs->NotifyStatusProperty(index); };
  config = std::make_unique<TEasyConfigIni>(SettingsFileName());
  config->onChange = [this](TConfigVar* variable) { tabs->NotifyConfigChanged(variable); };
  App() = TAppObjects{&machine, scaler.get(), core.get(), nullptr, tabs.get(), status.get(), nullptr, config.get()};

  // 7. Controls.
  design = ComputeMainLayout(*scaler);
  SetClientSize(design.clientWidth, design.clientHeight);
  CreateControls();

  // 8. The window's settings, with geometry defaults from the size just set.
  settings = RegisterMainSettings(*config, OuterWidth(), OuterHeight(), GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN));
  core->SetDeviceIndexVariable(settings.deviceIndex);

  // 11. Settings: every variable is announced once loaded.
  config->LoadAll();
  config->loadOnRegister = true;
  // 12. The command line overrides the file.
  ApplyCommandLine(commandLine, *this, kKnownTableSizes);
  // 13, 14.
  core->started = true;
  tabs->NotifyStarted();
}

TVexaForm::~TVexaForm() {
  Shutdown();
  if (window) DestroyWindow(window);
  if (font) DeleteObject(font);
  if (rescanGlyph) DeleteObject(rescanGlyph);
}

void TVexaForm::CreateControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  pages = std::make_unique<TWin32PageControl>(window, window, font);
  pages->onPageChanged = [this](int index) { SetPageIndex(index); };
  tabs->SetPageHost(pages.get());

  rescanButton = CreateWindowExW(0, WC_BUTTONW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_BITMAP | BS_PUSHBUTTON,
                                 0, 0, 10, 10, window, reinterpret_cast<HMENU>(kRescanButtonId), instance, nullptr);
  rescanGlyph = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(kRescanGlyph), IMAGE_BITMAP, 0, 0,
                                                LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS));
  SendMessageW(rescanButton, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(rescanGlyph));

  deviceSelector = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                                   0, 0, 10, 200, window, reinterpret_cast<HMENU>(kDeviceSelectorId), instance, nullptr);
  SendMessageW(deviceSelector, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  exitButton = CreateWindowExW(0, WC_BUTTONW, L"&離開", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 10,
                               10, window, reinterpret_cast<HMENU>(kExitButtonId), instance, nullptr);
  SendMessageW(exitButton, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  LayOutControls();
}

// Anchors: the page control follows all four sides, the rescan button the left and
// bottom, the selector left, right and bottom, the exit button right and bottom.
void TVexaForm::LayOutControls() {
  if (!pages) return;
  const int w = ClientWidth(), h = ClientHeight();
  const int dw = w - design.clientWidth, dh = h - design.clientHeight;
  const TRect& p = design.pageControl;
  pages->Resize(RECT{p.left, p.top, p.left + p.width + dw, p.top + p.height + dh});
  const TRect& r = design.rescanButton;
  MoveWindow(rescanButton, r.left, r.top + dh, r.width, r.height, TRUE);
  const TRect& s = design.deviceSelector;
  MoveWindow(deviceSelector, s.left, s.top + dh, s.width + dw, s.height * 10, TRUE);
  const TRect& e = design.exitButton;
  MoveWindow(exitButton, e.left + dw, e.top + dh, e.width, e.height, TRUE);
}

void TVexaForm::Show(int showCommand) {
  ShowWindow(window, settings.windowMaxed && settings.windowMaxed->Value() ? SW_SHOWMAXIMIZED : showCommand);
  UpdateWindow(window);
}

TEasyConfig& TVexaForm::Config() { return *config; }

std::int32_t TVexaForm::ClientWidth() const {
  RECT rect;
  GetClientRect(window, &rect);
  return rect.right - rect.left;
}

std::int32_t TVexaForm::ClientHeight() const {
  RECT rect;
  GetClientRect(window, &rect);
  return rect.bottom - rect.top;
}

void TVexaForm::SetClientSize(std::int32_t width, std::int32_t height) {
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::int32_t TVexaForm::OuterWidth() const {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect.right - rect.left;
}

std::int32_t TVexaForm::OuterHeight() const {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect.bottom - rect.top;
}

std::int32_t TVexaForm::Left() const {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect.left;
}

std::int32_t TVexaForm::Top() const {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect.top;
}

void TVexaForm::SetBaseCaption(std::string caption) {
  baseCaption = std::move(caption);
  SetWindowTextW(window, Wide(baseCaption).c_str());
}

void TVexaForm::SetPageIndex(int index) {
  if (!settings.pageIndex) return;
  if (index != settings.pageIndex->Value()) previousPageIndex = settings.pageIndex->Value();
  settings.pageIndex->SetValue(index);
}

void TVexaForm::SaveGeometry() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!settings.windowWidth || !IsWindowVisible(window) || !GetWindowPlacement(window, &placement)) return;
  const RECT& r = placement.rcNormalPosition;
  settings.windowWidth->StoreSilently(r.right - r.left);
  settings.windowHeight->StoreSilently(r.bottom - r.top);
  settings.windowLeft->StoreSilently(r.left);
  settings.windowTop->StoreSilently(r.top);
}

// Shutdown order: modules hear there is no device, pending messages run once, the
// modules go, then the other shared objects, and last the settings are written.
void TVexaForm::Shutdown() {
  if (shutDown) return;
  shutDown = true;
  try {
    tabs->NotifyNoDevice();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    tabs.reset();
    App().tabs = nullptr;
    status.reset();
    App().status = nullptr;
    scaler.reset();
    App().scaler = nullptr;
    core.reset();
    App().core = nullptr;
    config->Save(true);
    App().config = nullptr;
    config.reset();
  } catch (const std::exception& error) {
    MessageBoxW(window, Wide(error.what()).c_str(), Wide(kMessageCaption).c_str(), MB_ICONERROR);
  }
}

LRESULT CALLBACK TVexaForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<TVexaForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    form->window = window;
  }
  auto* form = reinterpret_cast<TVexaForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return form->Handle(message, wParam, lParam);
  } catch (const std::exception& error) {
    ShowMessage(error.what(), kMessageIconError);
  }
  return 0;
}

LRESULT TVexaForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      LayOutControls();
      return 0;
    case WM_EXITSIZEMOVE:
      SaveGeometry();
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (pages && header->hwndFrom == pages->Handle() && header->code == TCN_SELCHANGE) pages->HandleSelectionChange();
      break;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kExitButtonId && HIWORD(wParam) == BN_CLICKED) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_CLOSE:
      Shutdown();
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      window = nullptr;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace vexa
