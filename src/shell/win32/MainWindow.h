// TVexaForm: the one window of the program. It creates and owns the
// process-wide objects in their fixed order, holds the page control with the
// modules' pages, the rescan button, the device selector and the exit button,
// and writes the settings when it closes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "shell/CommandLine.h"
#include "shell/MainSettings.h"

namespace vexa {

class Machine;
class TPixelsPerInch;
class TVexaCore;
class TVexaTabManager;
class TStatusProperties;
class TEasyConfigIni;
class TWin32PageControl;

class TVexaForm : public TCommandLineHost {
public:
  static constexpr wchar_t kWindowClass[] = L"TVexaForm";

  // Builds the window and everything it owns, in start-up order; the window is
  // not shown yet.
  TVexaForm(Machine& machine, std::string commandLine);
  ~TVexaForm() override;
  TVexaForm(const TVexaForm&) = delete;
  TVexaForm& operator=(const TVexaForm&) = delete;

  HWND Handle() const { return window; }
  void Show(int showCommand);

  // TCommandLineHost
  TEasyConfig& Config() override;
  std::int32_t ClientWidth() const override;
  std::int32_t ClientHeight() const override;
  void SetClientSize(std::int32_t width, std::int32_t height) override;
  std::int32_t OuterWidth() const override;
  std::int32_t OuterHeight() const override;
  std::int32_t Left() const override;
  std::int32_t Top() const override;
  void OpenDebugPage() override {}
  const std::string& BaseCaption() const override { return baseCaption; }
  void SetBaseCaption(std::string caption) override;

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void LayOutControls();
  void SetPageIndex(int index);
  void SaveGeometry();
  void Shutdown();

  Machine& machine;
  std::string commandLine;
  HWND window = nullptr;
  HFONT font = nullptr;
  std::string baseCaption;
  int previousPageIndex = 0;
  bool shutDown = false;

  std::unique_ptr<TPixelsPerInch> scaler;
  std::unique_ptr<TVexaCore> core;
  std::unique_ptr<TVexaTabManager> tabs;
  std::unique_ptr<TStatusProperties> status;
  std::unique_ptr<TEasyConfigIni> config;
  std::unique_ptr<TWin32PageControl> pages;
  TMainSettings settings{};

  HWND rescanButton = nullptr;
  HWND deviceSelector = nullptr;
  HWND exitButton = nullptr;
  HBITMAP rescanGlyph = nullptr;
  // Distances kept by the anchored controls, taken from the design layout.
  TMainLayout design{};
};

// The directory of the running executable, with a trailing backslash.
std::string ProgramDirectory();
// The executable's path with its extension replaced by ".ini".
std::string SettingsFileName();

}  // namespace vexa
