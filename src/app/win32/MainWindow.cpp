// The main window's construction, layout, messages and shutdown.
#include "app/win32/MainWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <filesystem>

#include "benchmark/win32/BenchmarkPage.h"
#include "benchmark/win32/HistoryGraphWindow.h"
#include "device/DeviceManager.h"
#include "knowledge/KnownDevicesTables.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/PixelsPerInch.h"
#include "shell/Shared.h"
#include "shell/StatusProperties.h"
#include "shell/Tabs.h"
#include "shell/Version.h"
#include "shell/win32/Fonts.h"
#include "shell/win32/PageControl.h"
#include "support/Utils.h"
#include "support/win32/BalloonTooltip.h"
#include "support/win32/NvControls.h"
#include "support/win32/NvForm.h"
#include "support/win32/WideText.h"
#include "views/HistoryKeeper.h"
#include "views/SystemTab.h"
#include "views/win32/AboutPage.h"
#include "views/win32/ConfigPage.h"
#include "views/win32/DebugPage.h"
#include "views/win32/DecoderPage.h"
#include "views/win32/DevicePage.h"
#include "views/win32/IdentifyPage.h"
#include "online/win32/SubmitPage.h"
#include "online/win32/WinInetConnection.h"
#include "views/win32/PartitionsPage.h"
#include "views/win32/SmartPage.h"

namespace vexa {

namespace {

constexpr int kRescanGlyph = 128;
constexpr int kRescanButtonId = 1001;
constexpr int kDeviceSelectorId = 1002;
constexpr int kExitButtonId = 1003;
// Posted once after the first show: the rescan runs when the window is visible.
constexpr UINT kFirstShowMessage = WM_APP + 1;
// The shared 16 x 16 image list is loaded from this bitmap resource upward.
constexpr int kFirstSharedImage = 64;
// System-menu commands of the pages opened on demand.
constexpr UINT kSysCommandConfig = 32;
constexpr UINT kSysCommandSubmit = 16;
constexpr UINT kSysCommandDecoder = 64;
constexpr UINT kSysCommandDebug = 48;

constexpr TKnownTableSizes kKnownTableSizes{static_cast<int>(KnownBrandCount), static_cast<int>(KnownModelCount),
                                            static_cast<int>(KnownFirmwareCount)};

std::optional<std::string> LoadResourceString(int id) {
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) return std::nullopt;
  return Narrow(std::wstring_view(text, length));
}

RECT WindowRectOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
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

// --- Construction, in the order the rest of the program relies on --------------------

TVexaForm::TVexaForm(Machine& machineRef, std::string line) : machine(machineRef), commandLine(std::move(line)) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hIcon = LoadIconW(windowClass.hInstance, L"MAINICON");
  windowClass.hIconSm = static_cast<HICON>(LoadImageW(windowClass.hInstance, L"MAINICON", IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                      LR_DEFAULTCOLOR));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);
  window = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, 400, 400, nullptr, nullptr, windowClass.hInstance, this);
  if (!window) throw EVexaError("Cannot create the main window");
  form = std::make_unique<TNvForm>(window);
  form->onKeyDown = [this](UINT key) { return HandleKey(key); };
  const LOGFONTW iconTitle = IconTitleLogFont();
  iconTitleFont = CreateFontIndirectW(&iconTitle);

  baseCaption = vexa::BaseCaption();
  SetWindowTextW(window, Wide(baseCaption).c_str());
  AppendSystemMenuCommands();
  CreateSharedObjects();
  design = ComputeMainLayout(*scaler);
  SetClientSize(design.clientWidth, design.clientHeight);
  CreateControls();

  settings = RegisterMainSettings(*config, OuterWidth(), OuterHeight(), GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN));
  core->SetDeviceIndexVariable(settings.deviceIndex);
  history->SetVariables(RegisterHistorySettings(*config));
  controller = std::make_unique<TMainController>(*core, *devices, *tabs, *status, settings, *this);
  controller->SetBaseCaption(baseCaption);

  AddStartModules();
  config->LoadAll();
  config->loadOnRegister = true;
  ApplyCommandLine(commandLine, *this, kKnownTableSizes);
  core->started = true;
  tabs->NotifyStarted();
}

void TVexaForm::CreateSharedObjects() {
  SetHttpOpener(OpenWinInetConnection);
  SetMessageSink([this](std::string_view text, std::uint32_t flags) {
    return MessageBoxW(window, Wide(text).c_str(), Wide(kMessageCaption).c_str(), flags);
  });
  SetProgramRunner([this](std::string_view file, std::string_view parameters, std::string_view directory) {
    // The shell answers a value above 32 when it could open the file.
    const HINSTANCE result = ShellExecuteW(window, nullptr, Wide(file).c_str(), Wide(parameters).c_str(),
                                           directory.empty() ? nullptr : Wide(directory).c_str(), SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
  });
  HDC screen = GetDC(nullptr);
  const int screenPixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  scaler = std::make_unique<TPixelsPerInch>(screenPixelsPerInch, 0);
  core = std::make_unique<TVexaCore>(machine, ProgramDirectory());
  core->mainWindowHandle = reinterpret_cast<std::uintptr_t>(window);
  devices = std::make_unique<TDeviceManager>(machine);
  devices->onChange = [this](TListChange code, int index, TDeviceInfo* device) {
    if (controller) controller->DeviceListChanged(code, index, device);
  };
  core->SetDevices(devices.get());
  tabs = std::make_unique<TVexaTabManager>();
  status = std::make_unique<TStatusProperties>(LoadResourceString);
  status->onChange = [this](int index) { tabs->NotifyStatusProperty(index); };
  tooltip = std::make_unique<TBalloonTooltip>(window, true);
  tooltip->SetDelayTime(TTDT_INITIAL, TBalloonTooltip::kInitialDelay);
  tooltip->SetDelayTime(TTDT_AUTOPOP, TBalloonTooltip::kAutoPopDelay);
  tooltip->SetDelayTime(TTDT_RESHOW, TBalloonTooltip::kReshowDelay);
  images = std::make_unique<TNvImageList>(16, 16);
  images->LoadBitmaps(kFirstSharedImage);
  SetSharedImages(images->Handle());
  config = std::make_unique<TEasyConfigIni>(SettingsFileName());
  config->onChange = [this](TConfigVar* variable) { tabs->NotifyConfigChanged(variable); };
  // Beside the settings, never in the registry; a replayed machine keeps none
  // unless -history names a file.
  history = std::make_unique<THistoryKeeper>(HistoryFileName(commandLine, SettingsFileName()));
  App() = TAppObjects{&machine,   scaler.get(), core.get(),    devices.get(), tabs.get(),
                      status.get(), tooltip.get(), config.get(), history.get()};
  SetSmartGraphOpener({[this](THistoryGraphData graph) { ShowHistoryGraphWindow(window, std::move(graph)); },
                       [] { return HistoryGraphWindowHandle() != nullptr; },
                       [](std::optional<THistoryGraphData> graph) { UpdateHistoryGraphWindow(std::move(graph)); }});
}

void TVexaForm::CreateControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  pages = std::make_unique<TWin32PageControl>(window, window, iconTitleFont);
  pages->onPageChanged = [this](int index) { SetPageIndex(index); };
  tabs->SetPageHost(pages.get());

  rescanButton = CreateWindowExW(0, WC_BUTTONW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_BITMAP | BS_PUSHBUTTON,
                                 0, 0, 10, 10, window, reinterpret_cast<HMENU>(kRescanButtonId), instance, nullptr);
  rescanGlyph = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(kRescanGlyph), IMAGE_BITMAP, 0, 0,
                                                LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS));
  SendMessageW(rescanButton, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(rescanGlyph));

  deviceSelector = CreateWindowExW(
      0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
      0, 0, 10, 200, window, reinterpret_cast<HMENU>(kDeviceSelectorId), instance, nullptr);
  SendMessageW(deviceSelector, WM_SETFONT, reinterpret_cast<WPARAM>(iconTitleFont), FALSE);
  // Item height: the selector's height less its frame.
  const int frame = 2 * (GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYBORDER));
  SendMessageW(deviceSelector, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), design.deviceSelector.height - frame);
  SendMessageW(deviceSelector, CB_SETITEMHEIGHT, 0, design.deviceSelector.height - frame);

  exitButton = CreateWindowExW(0, WC_BUTTONW, L"&離開", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 10,
                               10, window, reinterpret_cast<HMENU>(kExitButtonId), instance, nullptr);
  SendMessageW(exitButton, WM_SETFONT, reinterpret_cast<WPARAM>(iconTitleFont), FALSE);
  LayOutControls();
}

// The modules of the first start, in their fixed order; the System module first,
// so it applies each loaded setting before any page hears of it.
void TVexaForm::AddStartModules() {
  SetSystemWindowActions(this);
  tabs->Add(TabClassOf<TSystemTab>());
  tabs->Add(TabClassOf<TDevicePage>());
  tabs->Add(TabClassOf<TSmartPage>());
  tabs->Add(TabClassOf<TPartitionsPage>());
  tabs->Add(TabClassOf<TBenchmarkPage>());
  tabs->Add(TabClassOf<TIdentifyPage>());
  tabs->Add(TabClassOf<TSubmitPage>());
  tabs->Add(TabClassOf<TAboutPage>());
}

TVexaForm::~TVexaForm() {
  Shutdown();
  form.reset();
  if (window) DestroyWindow(window);
  for (HFONT font : {iconTitleFont, mainFont, deviceFont})
    if (font) DeleteObject(font);
  if (rescanGlyph) DeleteObject(rescanGlyph);
}

// Shutdown order: modules hear there is no device, pending messages run once, the
// device list goes (records first), then the modules, then the other shared
// objects, and last the settings are written.
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
    SetSmartGraphOpener({});
    CloseHistoryGraphWindow();
    devices->BeginUpdate();
    controller.reset();
    core->SetDevices(nullptr);
    App().devices = nullptr;
    devices.reset();
    tabs.reset();
    App().tabs = nullptr;
    SetSystemWindowActions(nullptr);
    App().tooltip = nullptr;
    tooltip.reset();
    status.reset();
    App().status = nullptr;
    SetSharedImages(nullptr);
    images.reset();
    scaler.reset();
    App().scaler = nullptr;
    core.reset();
    App().core = nullptr;
    App().history = nullptr;
    history.reset();
    config->Save(true);
    App().config = nullptr;
    config.reset();
  } catch (const std::exception& error) {
    MessageBoxW(window, Wide(error.what()).c_str(), Wide(kMessageCaption).c_str(), MB_ICONERROR);
  }
  SetMessageSink({});
  SetProgramRunner({});
  SetHttpOpener({});
}

// --- Layout and geometry ----------------------------------------------------------------

// Anchors: the page control follows all four sides, the rescan button the left and
// bottom, the selector left, right and bottom, the exit button right and bottom.
void TVexaForm::LayOutControls() {
  if (!pages) return;
  const int w = ClientWidth(), h = ClientHeight();
  const int dw = w - design.clientWidth, dh = h - design.clientHeight;
  const TRect& p = design.pageControl;
  pages->Resize(RECT{p.left, p.top, p.left + std::max(0, p.width + dw), p.top + std::max(0, p.height + dh)});
  const TRect& r = design.rescanButton;
  MoveWindow(rescanButton, r.left, r.top + dh, r.width, r.height, TRUE);
  const TRect& s = design.deviceSelector;
  MoveWindow(deviceSelector, s.left, s.top + dh, std::max(0, s.width + dw), s.height * 10, TRUE);
  SendMessageW(deviceSelector, CB_SETDROPPEDWIDTH, std::max(0, s.width + dw), 0);
  const TRect& e = design.exitButton;
  MoveWindow(exitButton, e.left + dw, e.top + dh, e.width, e.height, TRUE);
}

void TVexaForm::Show(int showCommand) {
  ShowWindow(window, settings.windowMaxed->Value() ? SW_SHOWMAXIMIZED : showCommand);
  UpdateWindow(window);
  if (!shown) {
    shown = true;
    PostMessageW(window, kFirstShowMessage, 0, 0);
  }
}

TEasyConfig& TVexaForm::Config() { return *config; }

std::int32_t TVexaForm::ClientWidth() const {
  RECT rect{};
  GetClientRect(window, &rect);
  return rect.right - rect.left;
}

std::int32_t TVexaForm::ClientHeight() const {
  RECT rect{};
  GetClientRect(window, &rect);
  return rect.bottom - rect.top;
}

void TVexaForm::SetClientSize(std::int32_t width, std::int32_t height) {
  // A usable window whatever the settings or the command line say.
  width = Clamp(width, 200, 16000);
  height = Clamp(height, 150, 16000);
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::int32_t TVexaForm::OuterWidth() const { return WindowRectOf(window).right - WindowRectOf(window).left; }
std::int32_t TVexaForm::OuterHeight() const { return WindowRectOf(window).bottom - WindowRectOf(window).top; }
std::int32_t TVexaForm::Left() const { return WindowRectOf(window).left; }
std::int32_t TVexaForm::Top() const { return WindowRectOf(window).top; }

const std::string& TVexaForm::BaseCaption() const { return baseCaption; }

void TVexaForm::SetBaseCaption(std::string caption) {
  baseCaption = std::move(caption);
  if (controller) controller->SetBaseCaption(baseCaption);
  SetWindowTextW(window, Wide(baseCaption).c_str());
}

void TVexaForm::SaveGeometry() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!IsWindowVisible(window) || !GetWindowPlacement(window, &placement)) return;
  const RECT& r = placement.rcNormalPosition;
  settings.windowWidth->StoreSilently(r.right - r.left);
  settings.windowHeight->StoreSilently(r.bottom - r.top);
  settings.windowLeft->StoreSilently(r.left);
  settings.windowTop->StoreSilently(r.top);
}

// --- What the controller asks ----------------------------------------------------------

void TVexaForm::SetBusyCursor(bool busy) {
  busyDepth = std::max(0, busyDepth + (busy ? 1 : -1));
  SetCursor(LoadCursorW(nullptr, busyDepth > 0 ? IDC_WAIT : IDC_ARROW));
}

void TVexaForm::HideTooltip() {
  if (tooltip) tooltip->Pop();
}

// The tip asks for a tool's text: the module that registered the tool fills it.
// The System module's tips carry the program's icon.
bool TVexaForm::AnswerTooltip(const NMHDR& header) {
  if (!tooltip || !tooltip->IsTextRequest(header)) return false;
  auto& request = *reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(&header));
  const std::uint32_t value = TBalloonTooltip::ToolValue(request);
  TVexaTab* tab = tabs ? tabs->FindById(static_cast<std::uint16_t>(value >> 16)) : nullptr;
  TTooltipContent content;
  const bool answered = tab && tab->GetTooltip(static_cast<std::uint16_t>(value & 0xFFFF), content);
  if (answered && content.icon == 0 && dynamic_cast<TSystemTab*>(tab))
    content.icon = reinterpret_cast<std::uintptr_t>(
        LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  tooltip->AnswerTextRequest(request, answered ? &content : nullptr);
  return true;
}

void TVexaForm::SetTitle(const std::string& title) { SetWindowTextW(window, Wide(title).c_str()); }

void TVexaForm::SelectorAdd(const std::string& displayName, TDeviceInfo* device) {
  const LRESULT index = SendMessageW(deviceSelector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(displayName).c_str()));
  if (index >= 0) SendMessageW(deviceSelector, CB_SETITEMDATA, index, reinterpret_cast<LPARAM>(device));
}

void TVexaForm::SelectorRemove(TDeviceInfo* device) {
  const LRESULT count = SendMessageW(deviceSelector, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (SendMessageW(deviceSelector, CB_GETITEMDATA, i, 0) == reinterpret_cast<LRESULT>(device)) {
      SendMessageW(deviceSelector, CB_DELETESTRING, i, 0);
      return;
    }
  }
}

void TVexaForm::SelectorClear() { SendMessageW(deviceSelector, CB_RESETCONTENT, 0, 0); }

void TVexaForm::SelectorSetIndex(int index) { SendMessageW(deviceSelector, CB_SETCURSEL, index, 0); }

void TVexaForm::SelectorRepaint() { InvalidateRect(deviceSelector, nullptr, TRUE); }

void TVexaForm::RepaintWindow() { InvalidateRect(window, nullptr, TRUE); }

// --- What the System module asks ------------------------------------------------------

HFONT TVexaForm::MakeFont(std::string_view description) const {
  return CreateFontFromDescription(*scaler, description);
}

BOOL CALLBACK TVexaForm::ApplyMainFont(HWND child, LPARAM form) {
  auto* self = reinterpret_cast<TVexaForm*>(form);
  if (child != self->deviceSelector) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(self->mainFont), TRUE);
  return TRUE;
}

void TVexaForm::SetMainFont(std::string_view description) {
  HFONT font = MakeFont(description);
  if (!font) return;
  HFONT previous = mainFont;
  mainFont = font;
  // Every control follows the window's font except the device selector, which has
  // its own; pages with fonts of their own set them again when they hear the change.
  EnumChildWindows(window, ApplyMainFont, reinterpret_cast<LPARAM>(this));
  if (previous) DeleteObject(previous);
  LayOutControls();
}

void TVexaForm::SetDeviceFont(std::string_view description) {
  HFONT font = MakeFont(description);
  if (!font) return;
  SendMessageW(deviceSelector, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (deviceFont) DeleteObject(deviceFont);
  deviceFont = font;
}

int TVexaForm::PageCount() const { return TabCtrl_GetItemCount(pages->Handle()); }

void TVexaForm::SetActivePage(int index) { pages->SelectPage(index); }

int TVexaForm::SelectorItemCount() const { return static_cast<int>(SendMessageW(deviceSelector, CB_GETCOUNT, 0, 0)); }

void TVexaForm::SetSelectorIndex(int index) { SelectorSetIndex(index); }

void TVexaForm::SelectDevice() {
  if (controller) controller->SelectDevice();
}

void TVexaForm::SetStayOnTop(bool onTop) { form->SetStayOnTop(onTop); }

// Geometry from the settings file is kept on the screen: whatever the file says,
// the window is no larger than the desktop and lies wholly on it.
namespace {
RECT VirtualScreen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return RECT{left, top, left + std::max(GetSystemMetrics(SM_CXVIRTUALSCREEN), 200),
              top + std::max(GetSystemMetrics(SM_CYVIRTUALSCREEN), 150)};
}
}  // namespace

void TVexaForm::SetOuterWidth(int width) {
  const RECT screen = VirtualScreen();
  width = Clamp<int>(width, 200, screen.right - screen.left);
  SetWindowPos(window, nullptr, 0, 0, width, OuterHeight(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetOuterLeft(Left());
}

void TVexaForm::SetOuterHeight(int height) {
  const RECT screen = VirtualScreen();
  height = Clamp<int>(height, 150, screen.bottom - screen.top);
  SetWindowPos(window, nullptr, 0, 0, OuterWidth(), height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetOuterTop(Top());
}

void TVexaForm::SetOuterLeft(int left) {
  const RECT screen = VirtualScreen();
  left = Clamp<int>(left, screen.left, std::max<int>(screen.left, screen.right - OuterWidth()));
  SetWindowPos(window, nullptr, left, Top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TVexaForm::SetOuterTop(int top) {
  const RECT screen = VirtualScreen();
  top = Clamp<int>(top, screen.top, std::max<int>(screen.top, screen.bottom - OuterHeight()));
  SetWindowPos(window, nullptr, Left(), top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TVexaForm::ShowMaximized(bool maximized) {
  if (IsWindowVisible(window)) ShowWindow(window, maximized ? SW_MAXIMIZE : SW_RESTORE);
}

std::uintptr_t TVexaForm::RescanButtonWindow() const { return reinterpret_cast<std::uintptr_t>(rescanButton); }
std::uintptr_t TVexaForm::DeviceSelectorWindow() const { return reinterpret_cast<std::uintptr_t>(deviceSelector); }

// --- Pages ----------------------------------------------------------------------------------

void TVexaForm::SetPageIndex(int index) {
  if (index != settings.pageIndex->Value()) previousPageIndex = settings.pageIndex->Value();
  settings.pageIndex->SetValue(index);
}

void TVexaForm::OpenDebugPage() {
  TVexaTab* tab = tabs->FindByClass(TabClassOf<TDebugPage>());
  if (!tab) tab = tabs->Add(TabClassOf<TDebugPage>());
  if (auto* debug = dynamic_cast<TDebugTab*>(tab)) debug->SetWriteDumps(true);
}

// The pages opened on demand, after a separator; the commands' low four bits are
// the system's own, so the codes are multiples of 16.
void TVexaForm::AppendSystemMenuCommands() {
  HMENU menu = GetSystemMenu(window, FALSE);
  if (!menu) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kSysCommandConfig, Wide("組態").c_str());
  AppendMenuW(menu, MF_STRING, kSysCommandSubmit, Wide("提交您的 SSD").c_str());
  AppendMenuW(menu, MF_STRING, kSysCommandDecoder, Wide("解碼器型號").c_str());
  AppendMenuW(menu, MF_STRING, kSysCommandDebug, Wide("除錯訊息").c_str());
}

TVexaTab* TVexaForm::ShowPageOfClass(const TTabClass& tabClass) {
  TVexaTab* tab = tabs->FindByClass(tabClass);
  if (!tab) tab = tabs->Add(tabClass);
  ShowTab(tab);
  return tab;
}

void TVexaForm::ClosePage(int pageIndex) {
  TVexaTab* tab = tabs->FindByPageIndex(pageIndex);
  if (!tab) return;
  if (auto* benchmark = dynamic_cast<TBenchmarkPage*>(tab); benchmark && benchmark->Running()) {
    benchmark->ClosePageAfterRun();
    return;
  }
  const int next = PageIndexAfterClosing(pageIndex, pages->ActivePageIndex(), PageCount());
  form->SetRedrawEnabled(false);
  tabs->Delete(tabs->IndexOf(tab));
  settings.pageIndex->SetValue(std::max(0, next));
  form->SetRedrawEnabled(true);
}

// A benchmark run is a message loop inside a click on its page, so the modules
// must outlive it: each running page stops and closes the window itself when its
// run is over.
bool TVexaForm::CloseAfterBenchmarkRuns() {
  bool running = false;
  for (int i = 0; tabs && i < tabs->Count(); ++i) {
    if (auto* benchmark = dynamic_cast<TBenchmarkPage*>(tabs->Tab(i)); benchmark && benchmark->Running()) {
      benchmark->CloseWindowAfterRun();
      running = true;
    }
  }
  return running;
}

void TVexaForm::StartSecondWindow() {
  const int offset = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYDLGFRAME);
  const TSecondWindowCommand command = BuildSecondWindowCommand(commandLine, Left(), Top(), offset, 0);
  RunProgram(command.program, command.parameters, "");
}

// --- Messages -------------------------------------------------------------------------------

LRESULT CALLBACK TVexaForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<TVexaForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    form->window = window;
  }
  auto* form = reinterpret_cast<TVexaForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->window = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
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
      // The form has already snapped to the work area's edges.
      SaveGeometry();
      return 0;
    case WM_SETCURSOR:
      if (busyDepth > 0) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case kFirstShowMessage:
      controller->Rescan();
      return 0;
    case TWin32PageControl::kClosePageMessage:
      ClosePage(static_cast<int>(wParam));
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (AnswerTooltip(*header)) return 0;
      if (header->hwndFrom == pages->Handle() && header->code == TCN_SELCHANGE) pages->HandleSelectionChange();
      break;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (item->CtlID == kDeviceSelectorId) {
        item->itemHeight = design.deviceSelector.height - 2 * (GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYBORDER));
        return TRUE;
      }
      break;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID == kDeviceSelectorId) {
        DrawSelectorItem(*item);
        return TRUE;
      }
      break;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kExitButtonId:
          if (HIWORD(wParam) == BN_CLICKED) PostMessageW(window, WM_CLOSE, 0, 0);
          return 0;
        case kRescanButtonId:
          if (HIWORD(wParam) == BN_CLICKED) controller->Rescan();
          return 0;
        case kDeviceSelectorId:
          if (HIWORD(wParam) == CBN_SELCHANGE) {
            const LRESULT index = SendMessageW(deviceSelector, CB_GETCURSEL, 0, 0);
            if (index >= 0) settings.deviceIndex->SetValue(static_cast<int>(index));
          }
          return 0;
        default:
          break;
      }
      break;
    case WM_SYSCOMMAND: {
      if ((wParam & 0xFFF0) == kSysCommandConfig) {
        ShowPageOfClass(TabClassOf<TConfigPage>());
        return 0;
      }
      if ((wParam & 0xFFF0) == kSysCommandSubmit) {
        ShowPageOfClass(TabClassOf<TSubmitPage>());
        return 0;
      }
      if ((wParam & 0xFFF0) == kSysCommandDecoder) {
        ShowPageOfClass(TabClassOf<TDecoderPage>());
        return 0;
      }
      if ((wParam & 0xFFF0) == kSysCommandDebug) {
        ShowPageOfClass(TabClassOf<TDebugPage>());
        return 0;
      }
      const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
      if ((wParam & 0xFFF0) == SC_MAXIMIZE) settings.windowMaxed->SetValue(true);
      if ((wParam & 0xFFF0) == SC_RESTORE) settings.windowMaxed->SetValue(false);
      return result;
    }
    case WM_CLOSE:
      if (CloseAfterBenchmarkRuns()) return 0;
      Shutdown();
      DestroyWindow(window);
      return 0;
    case WM_ENDSESSION:
      // Log-off or shutdown ends the process without WM_CLOSE: the settings are
      // written now, or every change of the session would be lost. A benchmark run
      // keeps the modules alive, so then only the settings are written.
      if (wParam) {
        if (CloseAfterBenchmarkRuns()) {
          if (config) config->Save(true);
        } else {
          Shutdown();
        }
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace vexa
