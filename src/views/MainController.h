// What the main window does, as portable code: the rescan, the selection road
// from a chosen device to every module, the window title, and the reactions to
// changes of the device list. The window implements TMainWindowHost and only
// performs what this code decides; vexa-cli and the tests use it without a window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/AdvList2.h"

namespace vexa {

class TDeviceInfo;
class TDeviceManager;
class TVexaCore;
class TVexaTabManager;
class TStatusProperties;
struct TMainSettings;

// The window as the controller sees it.
class TMainWindowHost {
public:
  virtual ~TMainWindowHost() = default;
  virtual void SetBusyCursor(bool busy) = 0;
  virtual void HideTooltip() = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // The device selector mirrors the device list.
  virtual void SelectorAdd(const std::string& displayName, TDeviceInfo* device) = 0;
  virtual void SelectorRemove(TDeviceInfo* device) = 0;
  virtual void SelectorClear() = 0;
  virtual void SelectorSetIndex(int index) = 0;
  virtual void SelectorRepaint() = 0;
  virtual void RepaintWindow() = 0;
};

// The window-title suffix for a device: " - Brand Model" for a known model, " - Model"
// for a known model without a brand, " - 未知 Brand SSD" for an unknown SSD of a known
// brand, nothing otherwise.
std::string DeviceTitleSuffix(const TDeviceInfo* device);

// The page that is active after the page at pageIndex closes: one to the left when
// the closed page stood left of the active one, or was the active page and the last.
int PageIndexAfterClosing(int pageIndex, int activePageIndex, int pageCount);

class TMainController {
public:
  TMainController(TVexaCore& core, TDeviceManager& devices, TVexaTabManager& tabs, TStatusProperties& status,
                  const TMainSettings& settings, TMainWindowHost& host);

  const std::string& BaseCaption() const { return baseCaption; }
  void SetBaseCaption(std::string caption) { baseCaption = std::move(caption); }

  // Probes every enabled kind again and selects the current device; with a SMART
  // history, reads and records every other drive too.
  void Rescan();
  // Tells every module about the current device (opened for the duration), or that
  // there is none; re-reads its SMART data (recorded in the history); sets the window title.
  void SelectDevice();
  // The device list's change event.
  void DeviceListChanged(TListChange code, int index, TDeviceInfo* device);

private:
  void ReapplyDeviceIndex();
  // The drive's SMART data as just read goes into the history, when one is kept.
  void RecordHistory(TDeviceInfo& device);
  // After a rescan: every drive but the current one (its selection recorded it).
  void RecordOtherDrives();

  TVexaCore& core;
  TDeviceManager& devices;
  TVexaTabManager& tabs;
  TStatusProperties& status;
  const TMainSettings& settings;
  TMainWindowHost& host;
  std::string baseCaption;
};

}  // namespace vexa
