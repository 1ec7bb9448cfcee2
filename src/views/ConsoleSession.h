// The program without its window: the same process-wide objects the main window
// builds, in the same order (scaler, core, device list, tab manager, status
// properties, settings store), the same modules (System first, then SMART,
// Partitions and Identify) and the same road from a rescan to a chosen device.
// vexa-cli and the tests run drives through it; nothing is shown, and a settings
// file is read only when one is named, and never written.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "shell/MainSettings.h"

namespace vexa {

class Machine;
class TPixelsPerInch;
class TVexaCore;
class TDeviceManager;
class TVexaTabManager;
class TStatusProperties;
class TEasyConfig;
class TMainController;
class TSystemTab;
class TSmartTab;
class TPartitionsTab;
class TIdentifyTab;
class THistoryKeeper;

class TConsoleSession {
public:
  // Builds everything and makes it the process-wide objects (App()); one session
  // at a time. The machine must outlive the session. With a settings file, its
  // values are loaded once the modules are there, as the window loads them.
  // The program directory is where pages write their files (the Debug page's log);
  // none: they write nothing.
  // With a history file, every SMART reading is recorded there (history.* settings
  // allowing); none: no history is read or written.
  explicit TConsoleSession(Machine& machine, const std::string& settingsFile = {},
                           const std::string& programDirectory = {}, const std::string& historyFile = {});
  ~TConsoleSession();
  TConsoleSession(const TConsoleSession&) = delete;
  TConsoleSession& operator=(const TConsoleSession&) = delete;

  // Assigns a settings variable from its file form, "SECTION.KEY=VALUE" (for
  // example "system.enum_scsi=屬實"). False, with an English reason in error and
  // nothing changed, for a missing "=", an unknown variable, or a value the
  // variable cannot read: integers take a decimal (or $hex) number, booleans
  // "屬實" or "1" for true and "false" or "0" for false.
  bool Set(std::string_view assignment, std::string& error);
  // The end of start-up: the core's started flag, then the Started broadcast.
  void Start();
  // The window's rescan: probes every enabled kind and selects the current device.
  void Rescan();
  // Chooses the device at a list position (0-based) the way the window does: by
  // setting system.device_index, whose change selects it.
  void Select(int position);

  int DeviceCount() const;
  TDeviceManager& Devices() { return *devices; }
  TVexaCore& Core() { return *core; }
  TVexaTabManager& Tabs() { return *tabs; }
  const TStatusProperties& Status() const { return *status; }
  TEasyConfig& Config() { return *config; }
  const TMainSettings& Settings() const { return settings; }
  // The window title the last selection gave.
  const std::string& Title() const;
  // The SMART history; its path is empty when none was named.
  THistoryKeeper& History() { return *history; }
  // The machine the session reads.
  Machine& TheMachine() const { return machine; }

  TSystemTab& SystemModule() const { return *systemTab; }
  TSmartTab& SmartModule() const { return *smartTab; }
  TPartitionsTab& PartitionsModule() const { return *partitionsTab; }
  TIdentifyTab& IdentifyModule() const { return *identifyTab; }

private:
  class TConsoleWindow;
  void ShutDown();

  Machine& machine;
  std::unique_ptr<TPixelsPerInch> scaler;
  std::unique_ptr<TVexaCore> core;
  std::unique_ptr<TDeviceManager> devices;
  std::unique_ptr<TVexaTabManager> tabs;
  std::unique_ptr<TStatusProperties> status;
  std::unique_ptr<TEasyConfig> config;
  std::unique_ptr<THistoryKeeper> history;
  TMainSettings settings{};
  std::unique_ptr<TConsoleWindow> window;
  std::unique_ptr<TMainController> controller;
  TSystemTab* systemTab = nullptr;
  TSmartTab* smartTab = nullptr;
  TPartitionsTab* partitionsTab = nullptr;
  TIdentifyTab* identifyTab = nullptr;
};

}  // namespace vexa
