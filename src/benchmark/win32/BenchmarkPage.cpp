// The Benchmark page's panel, button, selector, hint and cursor (see BenchmarkPage.h).
#include "benchmark/win32/BenchmarkPage.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <utility>

#include "benchmark/BenchmarkPrograms.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/Shared.h"
#include "shell/win32/PageScale.h"
#include "shell/win32/Sheet.h"
#include "support/win32/BalloonTooltip.h"
#include "support/win32/WideText.h"

namespace vexa {

namespace {

constexpr wchar_t kPanelClass[] = L"TVexaBenchmarkPanel";
// The design's sizes, before scaling: the controls' row sits this far above the
// panel's bottom, the button's and the selector's height and the side margins.
constexpr int kBottomMargin = 8;
constexpr int kRowHeight = 25;
constexpr int kButtonWidth = 80;
constexpr int kSideMargin = 12;
constexpr int kHintOffset = 16;
constexpr int kItemPad = 3;
constexpr int kHintMaxWidth = 400;

HWND MainWindow() { return App().core ? reinterpret_cast<HWND>(App().core->mainWindowHandle) : nullptr; }

// The height of the selector's items: the row less the combo box's frame.
int SelectorItemHeight() {
  return std::max(1, PageScale(kRowHeight) - 2 * (GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYBORDER)));
}

}  // namespace

// The panel: a house control of its own class (cross-hair cursor, sunken edge)
// whose messages go to the page. It holds the button and the selector, so it is a
// control parent for the dialog keys.
class TBenchmarkPanel : public TNvControl {
public:
  using THandler = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

  TBenchmarkPanel(HWND parentWindow, THandler messageHandler) : handler(std::move(messageHandler)) {
    RegisterPlainWindowClass(kPanelClass, IDC_CROSS);
    CreateHandle(parentWindow, kPanelClass, WS_CLIPCHILDREN, WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT);
  }

protected:
  std::optional<LRESULT> ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    // Errors must not unwind through the window system.
    try {
      return handler(message, wParam, lParam);
    } catch (const std::exception& error) {
      ShowMessage(error.what(), kMessageIconError);
    }
    return 0;
  }

private:
  THandler handler;
};

TBenchmarkPage::TBenchmarkPage(std::unique_ptr<TSheet> sheet) : TBenchmarkTab(std::move(sheet)) {
  memory = std::make_unique<TMemoryCanvas>();
  gdi = std::make_unique<TGdiCanvas>(*memory);
  // The switch hands the page's font on to the new target.
  Canvas().SetTarget(gdi.get());
  sheetWindow = SheetWindow(Sheet());
  if (!sheetWindow) return;

  panel = std::make_unique<TBenchmarkPanel>(sheetWindow, [this](UINT message, WPARAM wParam, LPARAM lParam) {
    return PanelMessage(message, wParam, lParam);
  });
  const HWND panelWindow = panel->Handle();

  button = std::make_unique<TNvButton>(panelWindow, kBenchmarkRunCaption, false, BS_DEFPUSHBUTTON);
  button->onClick = [this] { ButtonClicked(); };
  AddTooltip(kBenchmarkButtonTip, reinterpret_cast<std::uintptr_t>(button->Handle()), TTF_CENTERTIP);

  selector = std::make_unique<TNvComboBox>(panelWindow, CBS_OWNERDRAWFIXED | CBS_HASSTRINGS);
  // The box measured its items while it was being made, before it was listened to.
  SendMessageW(selector->Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), SelectorItemHeight());
  SendMessageW(selector->Handle(), CB_SETITEMHEIGHT, 0, SelectorItemHeight());
  selector->onMeasureItem = [](MEASUREITEMSTRUCT& item) { item.itemHeight = static_cast<UINT>(SelectorItemHeight()); };
  selector->onDrawItem = [this](const DRAWITEMSTRUCT& item) { DrawProgram(item); };
  for (const TBenchmarkProgram& program : kBenchmarkPrograms) selector->AddItem(program.name);
  selector->SetItemIndex(Active());
  selector->onChange = [this] {
    const int index = selector->ItemIndex();
    if (index >= 0) ChooseProgram(index);
  };
  AddTooltip(kBenchmarkSelectorTip, reinterpret_cast<std::uintptr_t>(selector->Handle()), TTF_CENTERTIP);

  // The hint follows the pointer: a tracking tip placed where the page says, its
  // lines broken at the hints' line breaks.
  hint.Create(panelWindow, PageScale(kHintMaxWidth));

  Layout();
  ButtonStateChanged();
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet()))
    win32->SetHandler([this](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message != WM_SIZE) return std::nullopt;
      // Errors must not unwind through the window system.
      try {
        Layout();
      } catch (const std::exception& error) {
        ShowMessage(error.what(), kMessageIconError);
      }
      return std::nullopt;
    });
}

TBenchmarkPage::~TBenchmarkPage() {
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet())) win32->SetHandler(nullptr);
  if (button) RemoveTooltip(reinterpret_cast<std::uintptr_t>(button->Handle()));
  if (selector) RemoveTooltip(reinterpret_cast<std::uintptr_t>(selector->Handle()));
  selector.reset();
  button.reset();
  panel.reset();
  hint.Destroy();
  // The drawers keep painting on the switch: it must not point at a dead canvas.
  Canvas().SetTarget(nullptr);
  gdi.reset();
  memory->ResetSelection();
  memory.reset();
}

HWND TBenchmarkPage::Panel() const { return panel ? panel->Handle() : nullptr; }

void TBenchmarkPage::CloseWindowAfterRun() {
  afterRun = TAfterRun::CloseWindow;
  Stop();
}

void TBenchmarkPage::ClosePageAfterRun() {
  if (afterRun == TAfterRun::Nothing) afterRun = TAfterRun::ClosePage;
  Stop();
}

// The picture takes the panel's client size, the controls keep their distances to
// the left, right and bottom edges.
void TBenchmarkPage::Layout() {
  if (!panel || !sheetWindow) return;
  RECT sheetClient{};
  GetClientRect(sheetWindow, &sheetClient);
  panel->SetBounds(sheetClient);
  RECT client{};
  GetClientRect(panel->Handle(), &client);
  const int width = client.right - client.left, height = client.bottom - client.top;
  const int margin = PageScale(kSideMargin), rowHeight = PageScale(kRowHeight), buttonWidth = PageScale(kButtonWidth);
  const int top = height - PageScale(kBottomMargin) - rowHeight;
  button->SetBounds(margin, top, buttonWidth, rowHeight);
  const int left = margin + buttonWidth + margin / 2;
  // A drop-down list's height includes its open list: room for every program.
  const int listHeight = static_cast<int>(kBenchmarkPrograms.size()) * SelectorItemHeight() + PageScale(4);
  selector->SetBounds(left, top, std::max(0, width - left - margin), rowHeight + listHeight);

  try {
    memory->SetSize(width, height);
    pictureFailed = false;
  } catch (const std::exception& error) {
    // A size the system cannot make a picture of is reported once, not at every
    // step of a drag; the old picture and drawing size stay.
    if (!pictureFailed) ShowMessage(error.what(), kMessageIconError);
    pictureFailed = true;
    return;
  }
  SetDrawingSize(width, height);
  Redraw(false);
}

std::optional<LRESULT> TBenchmarkPage::PanelMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the picture covers the whole client area
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(panel->Handle(), &paint);
      try {
        memory->Paint(dc, 0, 0);
      } catch (const std::exception&) {
        // No picture at this size: Layout has said so; the panel keeps what it shows.
      }
      EndPaint(panel->Handle(), &paint);
      return 0;
    }
    case WM_SETCURSOR:
      // Over the panel and its controls while a run goes on; otherwise the class's
      // cross-hair, or the control's own cursor.
      if (!busy) return std::nullopt;
      SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
      return TRUE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      Mouse(message, wParam, lParam);
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

// The hint shows while the left button is held and the drawing has one for the
// point. The panel holds the mouse while the button is down, so the hint also goes
// when the pointer leaves the drawing.
void TBenchmarkPage::Mouse(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND panelWindow = panel->Handle();
  if (message == WM_CAPTURECHANGED) {
    hint.Hide();
    return;
  }
  if (message == WM_LBUTTONDOWN) SetCapture(panelWindow);
  if (message == WM_LBUTTONUP) {
    if (GetCapture() == panelWindow) ReleaseCapture();
    hint.Hide();
    return;
  }
  if ((wParam & MK_LBUTTON) == 0) {
    hint.Hide();
    return;
  }
  POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  const std::string text = HintAt(point.x, point.y);
  if (text.empty()) {
    hint.Hide();
    return;
  }
  ClientToScreen(panelWindow, &point);
  point.x += PageScale(kHintOffset);
  hint.Show(text, point);
}

void TBenchmarkPage::ButtonClicked() {
  try {
    Click();
  } catch (const std::exception& error) {
    ShowMessage(error.what(), kMessageIconError);
  }
  // A stop click returns while the run it stops is still on the stack: only the
  // click that ran it acts on what was asked meanwhile.
  if (Running()) return;
  const TAfterRun after = std::exchange(afterRun, TAfterRun::Nothing);
  if (after == TAfterRun::CloseWindow) {
    if (const HWND main = MainWindow()) PostMessageW(main, WM_CLOSE, 0, 0);
  } else if (after == TAfterRun::ClosePage) {
    CloseTabLater(this);
  }
}

void TBenchmarkPage::Redraw(bool immediate) {
  TBenchmarkTab::Redraw(immediate);
  if (!panel || !panel->Handle()) return;
  InvalidateRect(panel->Handle(), nullptr, FALSE);
  if (immediate) UpdateWindow(panel->Handle());
}

// What the window's own loop does with each message, except the keyboard table,
// which may close pages and is the main loop's alone.
void TBenchmarkPage::ProcessMessages() {
  const HWND main = MainWindow();
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The program is ending: the run stops, and the main loop must see the
      // request again once the run has returned to it.
      PostQuitMessage(static_cast<int>(message.wParam));
      Stop();
      return;
    }
    if (main && IsDialogMessageW(main, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TBenchmarkPage::ShowBusy(bool isBusy) {
  busy = isBusy;
  RefreshCursor();
}

// The window under the pointer sets its cursor again, as if the mouse had moved.
void TBenchmarkPage::RefreshCursor() {
  POINT at{};
  if (!GetCursorPos(&at)) return;
  const HWND under = WindowFromPoint(at);
  if (!under || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) return;
  const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

// The module's last state change comes while its run still holds the entry, so the
// click that ran it sets the run caption again once the run has let go.
void TBenchmarkPage::ButtonStateChanged() {
  if (button) button->SetText(ButtonState() == 1 ? kBenchmarkStopCaption : kBenchmarkRunCaption);
}

void TBenchmarkPage::ActiveChanged() {
  if (selector && selector->ItemIndex() != Active()) selector->SetItemIndex(Active());
  // An open tip would still describe the previous program.
  if (auto* balloon = dynamic_cast<TBalloonTooltip*>(App().tooltip)) balloon->Pop();
}

// The program's icon, loaded once; the tip destroys the icon it is given, so each
// request gets a copy.
std::uintptr_t TBenchmarkPage::TooltipIcon() const {
  static const HICON icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  return icon ? reinterpret_cast<std::uintptr_t>(CopyIcon(icon)) : 0;
}

void TBenchmarkPage::DrawProgram(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID < kBenchmarkPrograms.size()) {
    RECT text = item.rcItem;
    text.left += PageScale(kItemPad);
    text.right -= PageScale(kItemPad);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring name = Wide(kBenchmarkPrograms[item.itemID].name);
    DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  // An owner-drawn combo box leaves the keyboard-focus frame to its owner.
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    SetBkColor(dc, 0);
    SetTextColor(dc, 0);
    DrawFocusRect(dc, &item.rcItem);
  }
}

}  // namespace vexa
