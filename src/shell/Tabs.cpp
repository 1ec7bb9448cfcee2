// The tab manager: creation, lookup, removal and the broadcasts.
#include "shell/Tabs.h"

#include <exception>

#include "shell/App.h"
#include "shell/Shared.h"
#include "support/Format.h"

namespace vexa {

TAppObjects& App() {
  static TAppObjects objects;
  return objects;
}

namespace {
// Ids are never reused, so a tool tip can never reach a module that replaced a closed one.
std::uint16_t lastTabId = 0;
}  // namespace

TVexaTab::TVexaTab(std::unique_ptr<TSheet> ownSheet) : sheet(std::move(ownSheet)), id(++lastTabId) {}

void TVexaTab::SetCaption(std::string_view text) {
  caption = std::string(text);
  if (sheet) sheet->SetText(caption);
}

void TVexaTab::AddTooltip(std::uint16_t item, std::uintptr_t window, std::uint32_t flags) {
  if (App().tooltip) App().tooltip->AddTool(window, (static_cast<std::uint32_t>(id) << 16) | item, flags | 0x111);
}

void TVexaTab::RemoveTooltip(std::uintptr_t window) {
  if (App().tooltip) App().tooltip->DeleteTool(window);
}

TVexaTabManager::~TVexaTabManager() { Clear(); }

void TVexaTabManager::ReportTabError(const TVexaTab* tab, std::string_view message) {
  const std::string_view name = tab && !tab->Caption().empty() ? std::string_view(tab->Caption())
                                : tab                             ? tab->ClassName()
                                                                  : std::string_view("?");
  ShowError(Format("\"%s\" 標簽導致以下錯誤.", name), message);
}

TVexaTab* TVexaTabManager::Add(const TTabClass& tabClass) {
  std::unique_ptr<TSheet> sheet;
  if (tabClass.needsSheet && pageHost) sheet = pageHost->AddSheet();
  try {
    tabs.push_back(tabClass.create(std::move(sheet)));
    classes.push_back(&tabClass);
    return tabs.back().get();
  } catch (const std::exception& error) {
    ShowError(Format("無法建立 \"%s\" 標簽因為以下錯誤.", tabClass.className), error.what());
  }
  return nullptr;
}

void TVexaTabManager::Delete(int position) {
  if (position < 0 || position >= Count()) return;
  std::unique_ptr<TVexaTab> tab = std::move(tabs[position]);
  tabs.erase(tabs.begin() + position);
  classes.erase(classes.begin() + position);
  tab.reset();
}

TVexaTab* TVexaTabManager::Tab(int position) const {
  return position >= 0 && position < Count() ? tabs[position].get() : nullptr;
}

int TVexaTabManager::IndexOf(const TVexaTab* tab) const {
  for (int i = 0; i < Count(); ++i)
    if (tabs[i].get() == tab) return i;
  return -1;
}

TVexaTab* TVexaTabManager::FindByClass(const TTabClass& tabClass) const {
  for (const auto& tab : tabs)
    if (tabClass.isInstance(tab.get())) return tab.get();
  return nullptr;
}

const TTabClass* TVexaTabManager::ClassOf(const TVexaTab* tab) const {
  const int index = IndexOf(tab);
  return index >= 0 ? classes[index] : nullptr;
}

TVexaTab* TVexaTabManager::FindById(std::uint16_t id) const {
  for (const auto& tab : tabs)
    if (tab->Id() == id) return tab.get();
  return nullptr;
}

TVexaTab* TVexaTabManager::FindByPageIndex(int pageIndex) const {
  if (!pageHost || pageIndex < 0) return nullptr;
  for (const auto& tab : tabs)
    if (tab->Sheet() && pageHost->PageIndexOf(tab->Sheet()) == pageIndex) return tab.get();
  return nullptr;
}

// Modules are visited by position, so a handler that adds a module does not
// invalidate the walk (the new module hears the same broadcast).
template <typename TCall>
void TVexaTabManager::Guarded(TCall call) {
  for (std::size_t i = 0; i < tabs.size(); ++i) {
    TVexaTab* tab = tabs[i].get();
    try {
      call(tab);
    } catch (const std::exception& error) {
      ReportTabError(tab, error.what());
    }
  }
}

void TVexaTabManager::NotifyDeviceChanged(TDeviceInfo* device) {
  Guarded([device](TVexaTab* tab) { tab->DeviceChanged(device); });
}

void TVexaTabManager::NotifyConfigChanged(TConfigVar* variable) {
  Guarded([variable](TVexaTab* tab) { tab->ConfigChanged(variable); });
}

void TVexaTabManager::NotifyDeviceListChanged(TListChange code, TDeviceInfo* device, int index) {
  Guarded([=](TVexaTab* tab) { tab->DeviceListChanged(code, device, index); });
}

void TVexaTabManager::NotifyDevicesEnumerated(int count) {
  for (std::size_t i = 0; i < tabs.size(); ++i) tabs[i]->DevicesEnumerated(count);
}

void TVexaTabManager::NotifyStatusProperty(int index) {
  for (std::size_t i = 0; i < tabs.size(); ++i) tabs[i]->StatusPropertyChanged(index);
}

void TVexaTabManager::NotifyStarted() {
  for (std::size_t i = 0; i < tabs.size(); ++i) tabs[i]->Started();
}

// In creation order; a module's destructor may still look the others up.
void TVexaTabManager::Clear() {
  for (auto& tab : tabs) tab.reset();
  tabs.clear();
  classes.clear();
}

void ShowTab(TVexaTab* tab) {
  if (tab && tab->Sheet() && App().tabs && App().tabs->PageHost()) App().tabs->PageHost()->ShowPage(tab->Sheet());
}

void CloseTabLater(TVexaTab* tab) {
  if (!tab || !tab->Sheet() || !App().tabs || !App().tabs->PageHost()) return;
  TPageHost* host = App().tabs->PageHost();
  host->PostClosePage(host->PageIndexOf(tab->Sheet()));
}

}  // namespace vexa
