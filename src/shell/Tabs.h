// The tab-module framework. Every view is a TVexaTab that owns one page of the
// main window's page control (or none) and reacts to a fixed set of notifications,
// which the tab manager broadcasts to all modules in creation order.
// The page control is reached through TPageHost, so the framework runs without a
// window in tests and in vexa-cli.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/AdvList2.h"
#include "support/Tooltip.h"

namespace vexa {

class TConfigVar;
class TDeviceInfo;

// One page of the page control. Destroying it removes the page.
class TSheet {
public:
  virtual ~TSheet() = default;
  virtual void SetText(std::string_view text) = 0;
};

// The page control as the framework sees it.
class TPageHost {
public:
  virtual ~TPageHost() = default;
  // A new page at the end of the page row.
  virtual std::unique_ptr<TSheet> AddSheet() = 0;
  // Page position of a sheet, -1 when it is not on the page control.
  virtual int PageIndexOf(const TSheet* sheet) const = 0;
  virtual int ActivePageIndex() const = 0;
  // Makes the page active and runs the page-changed handler as if the user had
  // switched pages.
  virtual void ShowPage(const TSheet* sheet) = 0;
  // Asks the main window to close the page at that position once the current
  // message handler has returned.
  virtual void PostClosePage(int pageIndex) = 0;
};

class TVexaTab {
public:
  // Takes the next id; a module's own constructor then sets its caption, builds
  // its controls, registers its settings and, when the core has started, catches up.
  explicit TVexaTab(std::unique_ptr<TSheet> sheet);
  virtual ~TVexaTab() = default;
  TVexaTab(const TVexaTab&) = delete;
  TVexaTab& operator=(const TVexaTab&) = delete;

  virtual std::string_view ClassName() const = 0;

  virtual void DevicesEnumerated(int /*count*/) {}
  virtual void DeviceChanged(TDeviceInfo* /*device*/) {}
  virtual void StatusPropertyChanged(int /*index*/) {}
  virtual bool GetTooltip(std::uint16_t /*item*/, TTooltipContent& /*tooltip*/) { return false; }
  virtual void ConfigChanged(TConfigVar* /*variable*/) {}
  virtual void Started() {}
  virtual void DeviceListChanged(TListChange /*code*/, TDeviceInfo* /*device*/, int /*index*/) {}

  void SetCaption(std::string_view text);
  const std::string& Caption() const { return caption; }
  std::uint16_t Id() const { return id; }
  TSheet* Sheet() const { return sheet.get(); }

  // flags | 0x111: the tool is identified by its window, subclassed and transparent.
  void AddTooltip(std::uint16_t item, std::uintptr_t window, std::uint32_t flags);
  void RemoveTooltip(std::uintptr_t window);

private:
  std::unique_ptr<TSheet> sheet;
  std::uint16_t id;
  std::string caption;
};

// A module class: its name, whether it needs a page, how to make one, and how to
// recognise its instances (descendants included).
struct TTabClass {
  std::string_view className;
  bool needsSheet;
  std::unique_ptr<TVexaTab> (*create)(std::unique_ptr<TSheet> sheet);
  bool (*isInstance)(const TVexaTab* tab);
};

// The class record of module type T, which provides kClassName and kNeedsSheet.
template <typename T>
const TTabClass& TabClassOf() {
  static const TTabClass tabClass{
      T::kClassName, T::kNeedsSheet,
      [](std::unique_ptr<TSheet> sheet) -> std::unique_ptr<TVexaTab> { return std::make_unique<T>(std::move(sheet)); },
      [](const TVexaTab* tab) { return dynamic_cast<const T*>(tab) != nullptr; }};
  return tabClass;
}

class TVexaTabManager {
public:
  explicit TVexaTabManager(TPageHost* pageHost = nullptr) : pageHost(pageHost) {}
  ~TVexaTabManager();
  TVexaTabManager(const TVexaTabManager&) = delete;
  TVexaTabManager& operator=(const TVexaTabManager&) = delete;

  void SetPageHost(TPageHost* host) { pageHost = host; }
  TPageHost* PageHost() const { return pageHost; }

  // Creates a module (with a new last page when its class needs one) and appends
  // it; a failing constructor is reported and answers none.
  TVexaTab* Add(const TTabClass& tabClass);
  void Delete(int position);
  int Count() const { return static_cast<int>(tabs.size()); }
  TVexaTab* Tab(int position) const;
  int IndexOf(const TVexaTab* tab) const;
  TVexaTab* FindByClass(const TTabClass& tabClass) const;
  TVexaTab* FindById(std::uint16_t id) const;
  TVexaTab* FindByPageIndex(int pageIndex) const;
  // The class a module was created from (to open another of the same class).
  const TTabClass* ClassOf(const TVexaTab* tab) const;

  // Guarded: an error in one module is reported and the others still hear.
  void NotifyDeviceChanged(TDeviceInfo* device);
  void NotifyNoDevice() { NotifyDeviceChanged(nullptr); }
  void NotifyConfigChanged(TConfigVar* variable);
  void NotifyDeviceListChanged(TListChange code, TDeviceInfo* device, int index);
  // Unguarded: an error ends the broadcast and reaches the caller.
  void NotifyDevicesEnumerated(int count);
  void NotifyStatusProperty(int index);
  void NotifyStarted();

  // Frees every module in creation order, each guarded like a broadcast.
  void Clear();

  static void ReportTabError(const TVexaTab* tab, std::string_view message);

private:
  template <typename TCall>
  void Guarded(TCall call);

  TPageHost* pageHost;
  std::vector<std::unique_ptr<TVexaTab>> tabs;
  std::vector<const TTabClass*> classes;  // parallel to tabs
};

// Makes the module's page active, as if the user had chosen it.
void ShowTab(TVexaTab* tab);
// Closes the module's page after the current handler has returned.
void CloseTabLater(TVexaTab* tab);

}  // namespace vexa
