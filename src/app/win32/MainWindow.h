// TVexaForm: the one window of the program. It creates and owns the
// process-wide objects in their fixed order, holds the page control with the
// modules' pages, the rescan button, the owner-drawn device selector and the exit
// button, performs what the portable controller and the System module decide,
// turns keys, clicks and menu commands into settings changes, and writes the
// settings when it closes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "shell/CommandLine.h"
#include "shell/MainSettings.h"
#include "views/MainController.h"
#include "views/SystemWindowActions.h"

namespace vexa {

class Machine;
class TPixelsPerInch;
class TVexaCore;
class TDeviceManager;
class TVexaTabManager;
class TVexaTab;
struct TTabClass;
class TStatusProperties;
class TEasyConfigIni;
class TWin32PageControl;
class TBalloonTooltip;
class TNvImageList;
class TNvForm;
class THistoryKeeper;

class TVexaForm : public TCommandLineHost, public TMainWindowHost, public TSystemWindowActions {
public:
  static constexpr wchar_t kWindowClass[] = L"TVexaForm";

  // Builds the window and everything it owns, in start-up order; the window is
  // not shown yet.
  TVexaForm(Machine& machine, std::string commandLine);
  ~TVexaForm() override;
  TVexaForm(const TVexaForm&) = delete;
  TVexaForm& operator=(const TVexaForm&) = delete;

  HWND Handle() const { return window; }
  // Shows the window; the first show rescans the devices.
  void Show(int showCommand);
  // The application-wide hook: keys (the form sees them before its controls) and
  // the mouse wheel (it scrolls what is under the mouse). True when the message was
  // handled and must not be dispatched.
  bool PreTranslate(MSG& message);

  // TCommandLineHost
  TEasyConfig& Config() override;
  std::int32_t ClientWidth() const override;
  std::int32_t ClientHeight() const override;
  void SetClientSize(std::int32_t width, std::int32_t height) override;
  std::int32_t OuterWidth() const override;
  std::int32_t OuterHeight() const override;
  std::int32_t Left() const override;
  std::int32_t Top() const override;
  // -debug: a Debug page that also writes the raw replies to the Dumps folder.
  void OpenDebugPage() override;
  const std::string& BaseCaption() const override;
  void SetBaseCaption(std::string caption) override;

  // TMainWindowHost
  void SetBusyCursor(bool busy) override;
  void HideTooltip() override;
  void SetTitle(const std::string& title) override;
  void SelectorAdd(const std::string& displayName, TDeviceInfo* device) override;
  void SelectorRemove(TDeviceInfo* device) override;
  void SelectorClear() override;
  void SelectorSetIndex(int index) override;
  void SelectorRepaint() override;
  void RepaintWindow() override;

  // TSystemWindowActions
  void SetMainFont(std::string_view description) override;
  void SetDeviceFont(std::string_view description) override;
  int PageCount() const override;
  void SetActivePage(int index) override;
  int SelectorItemCount() const override;
  void SetSelectorIndex(int index) override;
  void SelectDevice() override;
  void SetStayOnTop(bool onTop) override;
  void SetOuterWidth(int width) override;
  void SetOuterHeight(int height) override;
  void SetOuterLeft(int left) override;
  void SetOuterTop(int top) override;
  void ShowMaximized(bool maximized) override;
  std::uintptr_t RescanButtonWindow() const override;
  std::uintptr_t DeviceSelectorWindow() const override;

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateSharedObjects();
  void CreateControls();
  void AddStartModules();
  void AppendSystemMenuCommands();
  void LayOutControls();
  void SetPageIndex(int index);
  void ClosePage(int pageIndex);
  bool CloseAfterBenchmarkRuns();
  TVexaTab* ShowPageOfClass(const TTabClass& tabClass);
  void StartSecondWindow();
  void SaveGeometry();
  bool HandleKey(UINT key);
  bool HandleWheel(const MSG& message);
  void DrawSelectorItem(const DRAWITEMSTRUCT& item);
  bool AnswerTooltip(const NMHDR& header);
  HFONT MakeFont(std::string_view description) const;
  static BOOL CALLBACK ApplyMainFont(HWND child, LPARAM form);
  void Shutdown();

  Machine& machine;
  std::string commandLine;
  HWND window = nullptr;
  std::unique_ptr<TNvForm> form;  // snapping, stay on top, redraw switch
  HFONT iconTitleFont = nullptr;
  HFONT mainFont = nullptr;
  HFONT deviceFont = nullptr;
  std::string baseCaption;
  int previousPageIndex = 0;
  bool shown = false;
  bool shutDown = false;
  int busyDepth = 0;

  std::unique_ptr<TPixelsPerInch> scaler;
  std::unique_ptr<TVexaCore> core;
  std::unique_ptr<TDeviceManager> devices;
  std::unique_ptr<TVexaTabManager> tabs;
  std::unique_ptr<TStatusProperties> status;
  std::unique_ptr<TBalloonTooltip> tooltip;
  std::unique_ptr<TNvImageList> images;
  std::unique_ptr<TEasyConfigIni> config;
  std::unique_ptr<THistoryKeeper> history;
  std::unique_ptr<TWin32PageControl> pages;
  std::unique_ptr<TMainController> controller;
  TMainSettings settings{};

  HWND rescanButton = nullptr;
  HWND deviceSelector = nullptr;
  HWND exitButton = nullptr;
  HBITMAP rescanGlyph = nullptr;
  TMainLayout design{};
};

// The directory of the running executable, with a trailing backslash.
std::string ProgramDirectory();
// The executable's path with its extension replaced by ".ini".
std::string SettingsFileName();

}  // namespace vexa
