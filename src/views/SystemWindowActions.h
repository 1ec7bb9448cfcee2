// What the System module asks of the main window when a window-level setting
// changes: fonts, the active page, the device selector, stay-on-top and geometry.
// The window implements it and registers itself before it adds the System module;
// the module only decides, the window performs. Without a window nothing happens.
#pragma once

#include <cstdint>
#include <string_view>

namespace vexa {

class TSystemWindowActions {
public:
  virtual ~TSystemWindowActions() = default;

  // Font descriptions as CreateFont reads them, e.g. "\"Courier New\" 10"; the window
  // owns the fonts it makes from them.
  virtual void SetMainFont(std::string_view description) = 0;
  virtual void SetDeviceFont(std::string_view description) = 0;
  virtual void HideTooltip() = 0;

  virtual int PageCount() const = 0;
  // index is within 0 .. PageCount() - 1.
  virtual void SetActivePage(int index) = 0;

  virtual int SelectorItemCount() const = 0;
  virtual void SetSelectorIndex(int index) = 0;
  // Tells every module about the current device (the main window's SelectDevice).
  virtual void SelectDevice() = 0;

  virtual void SetStayOnTop(bool onTop) = 0;
  virtual void SetOuterWidth(int width) = 0;
  virtual void SetOuterHeight(int height) = 0;
  virtual void SetOuterLeft(int left) = 0;
  virtual void SetOuterTop(int top) = 0;
  // Maximized when true, restored when false.
  virtual void ShowMaximized(bool maximized) = 0;

  // Window handles of the controls that carry the System module's tool tips.
  virtual std::uintptr_t RescanButtonWindow() const = 0;
  virtual std::uintptr_t DeviceSelectorWindow() const = 0;
};

// The window's actions, reached like the other process-wide objects. The window sets
// them before it adds the System module and clears them before it frees the modules.
void SetSystemWindowActions(TSystemWindowActions* actions);
TSystemWindowActions* SystemWindowActions();

}  // namespace vexa
