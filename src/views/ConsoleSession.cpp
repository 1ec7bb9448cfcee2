// The console session: the main window's construction, start-up and selection
// road with a window that shows nothing. The window only remembers the title and
// how many entries its device selector would hold.
#include "views/ConsoleSession.h"

#include "device/DeviceManager.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/PixelsPerInch.h"
#include "shell/StatusProperties.h"
#include "shell/Tabs.h"
#include "support/Error.h"
#include "support/Format.h"
#include "support/Text.h"
#include "views/HistoryKeeper.h"
#include "views/IdentifyTab.h"
#include "views/MainController.h"
#include "views/PartitionsTab.h"
#include "views/SmartTab.h"
#include "views/SystemTab.h"
#include "views/SystemWindowActions.h"

namespace vexa {

namespace {

constexpr std::int32_t kPixelsPerInch = 96;
// The screen the window's geometry defaults are computed for; nothing is shown.
constexpr std::int32_t kScreenWidth = 1024;
constexpr std::int32_t kScreenHeight = 768;

// The words the boolean settings read, in both directions.
constexpr std::string_view kTrueWords[] = {"屬實", "\xC4\xDD\xB9\xEA", "1"};
constexpr std::string_view kFalseWords[] = {"false", "0"};

// A store without a file: variables keep their defaults until assigned.
class TEasyConfigNone final : public TEasyConfig {
public:
  void LoadVariable(TConfigVar* /*variable*/) override {}
  void Save(bool /*clearModified*/) override {}
};

bool IsBooleanWord(std::string_view text) {
  for (std::string_view word : kTrueWords)
    if (text == word) return true;
  for (std::string_view word : kFalseWords)
    if (text == word) return true;
  return false;
}

}  // namespace

// The main window as the controller and the System module see it, without a screen.
class TConsoleSession::TConsoleWindow final : public TMainWindowHost, public TSystemWindowActions {
public:
  TMainController* controller = nullptr;
  std::string title;
  int selectorItems = 0;
  int selectorIndex = -1;

  // TMainWindowHost
  void SetBusyCursor(bool /*busy*/) override {}
  void HideTooltip() override {}
  void SetTitle(const std::string& text) override { title = text; }
  void SelectorAdd(const std::string& /*displayName*/, TDeviceInfo* /*device*/) override { ++selectorItems; }
  void SelectorRemove(TDeviceInfo* /*device*/) override {
    if (selectorItems > 0) --selectorItems;
  }
  void SelectorClear() override { selectorItems = 0; }
  void SelectorSetIndex(int index) override { selectorIndex = index; }
  void SelectorRepaint() override {}
  void RepaintWindow() override {}

  // TSystemWindowActions
  void SetMainFont(std::string_view /*description*/) override {}
  void SetDeviceFont(std::string_view /*description*/) override {}
  int PageCount() const override { return 0; }
  void SetActivePage(int /*index*/) override {}
  int SelectorItemCount() const override { return selectorItems; }
  void SetSelectorIndex(int index) override { selectorIndex = index; }
  void SelectDevice() override {
    if (controller) controller->SelectDevice();
  }
  void SetStayOnTop(bool /*onTop*/) override {}
  void SetOuterWidth(int /*width*/) override {}
  void SetOuterHeight(int /*height*/) override {}
  void SetOuterLeft(int /*left*/) override {}
  void SetOuterTop(int /*top*/) override {}
  void ShowMaximized(bool /*maximized*/) override {}
  std::uintptr_t RescanButtonWindow() const override { return 0; }
  std::uintptr_t DeviceSelectorWindow() const override { return 0; }
};

namespace {

template <typename T>
T* AddModule(TVexaTabManager& tabs) {
  // A module that cannot be built has been reported already; a session without
  // it would answer nothing it is asked for.
  auto* module = dynamic_cast<T*>(tabs.Add(TabClassOf<T>()));
  if (!module) throw EVexaError(Format("the module %s could not be built", T::kClassName));
  return module;
}

}  // namespace

TConsoleSession::TConsoleSession(Machine& machineRef, const std::string& settingsFile,
                                 const std::string& programDirectory, const std::string& historyFile)
    : machine(machineRef) {
  scaler = std::make_unique<TPixelsPerInch>(kPixelsPerInch, 0);
  core = std::make_unique<TVexaCore>(machine, programDirectory);
  devices = std::make_unique<TDeviceManager>(machine);
  tabs = std::make_unique<TVexaTabManager>();
  status = std::make_unique<TStatusProperties>();
  status->onChange = [this](int index) { tabs->NotifyStatusProperty(index); };
  if (settingsFile.empty()) {
    config = std::make_unique<TEasyConfigNone>();
  } else {
    config = std::make_unique<TEasyConfigIni>(settingsFile);
  }
  config->onChange = [this](TConfigVar* variable) { tabs->NotifyConfigChanged(variable); };
  history = std::make_unique<THistoryKeeper>(historyFile);
  App() = TAppObjects{&machine, scaler.get(), core.get(), devices.get(), tabs.get(), status.get(), nullptr,
                      config.get(), history.get()};

  const TMainLayout layout = ComputeMainLayout(*scaler);
  settings = RegisterMainSettings(*config, layout.clientWidth, layout.clientHeight, kScreenWidth, kScreenHeight);
  core->SetDevices(devices.get());
  core->SetDeviceIndexVariable(settings.deviceIndex);
  history->SetVariables(RegisterHistorySettings(*config));

  window = std::make_unique<TConsoleWindow>();
  controller = std::make_unique<TMainController>(*core, *devices, *tabs, *status, settings, *window);
  window->controller = controller.get();
  devices->onChange = [this](TListChange code, int index, TDeviceInfo* device) {
    controller->DeviceListChanged(code, index, device);
  };
  SetSystemWindowActions(window.get());

  try {
    systemTab = AddModule<TSystemTab>(*tabs);
    smartTab = AddModule<TSmartTab>(*tabs);
    partitionsTab = AddModule<TPartitionsTab>(*tabs);
    identifyTab = AddModule<TIdentifyTab>(*tabs);
    if (!settingsFile.empty()) config->LoadAll();
  } catch (...) {
    ShutDown();
    throw;
  }
}

TConsoleSession::~TConsoleSession() { ShutDown(); }

// The window's shutdown: the modules hear there is no device, the records go, then
// the modules, then the other shared objects, the store last. The process-wide
// objects are cleared, so nothing reaches a freed one.
void TConsoleSession::ShutDown() {
  tabs->NotifyNoDevice();
  devices->onChange = nullptr;
  devices.reset();
  SetSystemWindowActions(nullptr);
  status->onChange = nullptr;
  config->onChange = nullptr;
  tabs.reset();
  controller.reset();
  window.reset();
  status.reset();
  core.reset();
  scaler.reset();
  App() = TAppObjects{};
  history.reset();
  config.reset();
}

bool TConsoleSession::Set(std::string_view assignment, std::string& error) {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string_view::npos) {
    error = Format("\"%s\" is not SECTION.KEY=VALUE", assignment);
    return false;
  }
  const std::string_view name = assignment.substr(0, equals);
  const std::string_view value = assignment.substr(equals + 1);
  TConfigVar* variable = name.find('.') == std::string_view::npos ? nullptr : config->Find(name);
  if (!variable) {
    error = Format("there is no setting \"%s\"", name);
    return false;
  }
  std::int32_t number = 0;
  const bool isInteger = dynamic_cast<TConfigVarInt*>(variable) && !dynamic_cast<TConfigVarColor*>(variable);
  if (isInteger && !TryParseInt32(value, number)) {
    error = Format("the setting \"%s\" takes an integer, not \"%s\"", name, value);
    return false;
  }
  if (dynamic_cast<TConfigVarBool*>(variable) && !IsBooleanWord(value)) {
    error = Format("the setting \"%s\" takes 屬實 or 1 (true), false or 0 (false), not \"%s\"", name, value);
    return false;
  }
  variable->FromText(value);
  return true;
}

void TConsoleSession::Start() {
  core->started = true;
  tabs->NotifyStarted();
}

void TConsoleSession::Rescan() { controller->Rescan(); }

void TConsoleSession::Select(int position) { settings.deviceIndex->SetValue(position); }

int TConsoleSession::DeviceCount() const { return devices->Count(); }

const std::string& TConsoleSession::Title() const { return window->title; }

}  // namespace vexa
