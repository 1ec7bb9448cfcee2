// The Benchmark page's window: a panel filling the sheet that shows the module's
// drawing from an off-screen picture, with a hint beside the pointer while the left
// button is held, and along its bottom edge the run/stop button and the owner-drawn
// program selector. A run is a message loop inside the button's click, so closing
// the window or the page waits for its end (CloseWindowAfterRun, ClosePageAfterRun).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "benchmark/BenchmarkTab.h"
#include "benchmark/win32/MemoryCanvas.h"
#include "support/win32/NvControls.h"
#include "support/win32/TrackingHint.h"

namespace vexa {

class TBenchmarkPanel;

class TBenchmarkPage : public TBenchmarkTab {
public:
  explicit TBenchmarkPage(std::unique_ptr<TSheet> sheet);
  ~TBenchmarkPage() override;

  // Stop the run in progress; when it is over, the page posts WM_CLOSE to the main
  // window, or closes its own page. Closing the window wins over closing the page.
  void CloseWindowAfterRun();
  void ClosePageAfterRun();

  // The controls, for tests and the probe (none without a Win32 sheet).
  HWND Panel() const;
  HWND RunButton() const { return button ? button->Handle() : nullptr; }
  HWND Selector() const { return selector ? selector->Handle() : nullptr; }

protected:
  void Redraw(bool immediate) override;
  void ProcessMessages() override;
  void ShowBusy(bool busy) override;
  void ButtonStateChanged() override;
  void ActiveChanged() override;
  std::uintptr_t TooltipIcon() const override;

private:
  enum class TAfterRun { Nothing, ClosePage, CloseWindow };

  std::optional<LRESULT> PanelMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Layout();
  void ButtonClicked();
  void Mouse(UINT message, WPARAM wParam, LPARAM lParam);
  void RefreshCursor();
  void DrawProgram(const DRAWITEMSTRUCT& item) const;

  HWND sheetWindow = nullptr;
  std::unique_ptr<TMemoryCanvas> memory;
  std::unique_ptr<TGdiCanvas> gdi;
  std::unique_ptr<TBenchmarkPanel> panel;
  std::unique_ptr<TNvButton> button;
  std::unique_ptr<TNvComboBox> selector;
  TTrackingHint hint;
  bool busy = false;
  bool pictureFailed = false;  // reported once until a picture can be made again
  TAfterRun afterRun = TAfterRun::Nothing;
};

}  // namespace vexa
