// The history graph's window (see HistoryGraphWindow.h). The drawing is redone on
// every size change and data change into an off-screen picture, which WM_PAINT
// copies whole, as the Benchmark page does.
#include "benchmark/win32/HistoryGraphWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <string>

#include "benchmark/win32/MemoryCanvas.h"
#include "shell/App.h"
#include "shell/PixelsPerInch.h"
#include "support/win32/TrackingHint.h"
#include "support/win32/WideText.h"

namespace vexa {

namespace {

constexpr wchar_t kClassName[] = L"TVexaHistoryGraph";
constexpr int kWidth = 560, kHeight = 360;  // the client area at 96 pixels per inch
constexpr int kMinimumWidth = 240, kMinimumHeight = 160;
constexpr int kHintOffset = 16;
constexpr int kHintMaxWidth = 400;

int Scaled(int n) { return App().scaler ? App().scaler->Scale(n) : n; }

class THistoryGraphWindow {
public:
  THistoryGraphWindow(HWND owner, THistoryGraphData data);
  ~THistoryGraphWindow();
  THistoryGraphWindow(const THistoryGraphWindow&) = delete;
  THistoryGraphWindow& operator=(const THistoryGraphWindow&) = delete;

  // None once the window was closed.
  HWND Handle() const { return window; }
  void SetData(THistoryGraphData data);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Redraw();
  void Mouse(LPARAM lParam);

  HWND window = nullptr;
  TTrackingHint hint;
  bool tracking = false;
  TMemoryCanvas memory;
  TGdiCanvas canvas{memory};
  THistoryGraph graph{canvas, App().scaler};
};

// The one window; it outlives its handle when closed, until the next graph or the
// owner's end.
std::unique_ptr<THistoryGraphWindow> openWindow;

void RegisterOnce() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = THistoryGraphWindow::WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hIcon = LoadIconW(windowClass.hInstance, L"MAINICON");
  windowClass.hCursor = LoadCursorW(nullptr, IDC_CROSS);
  windowClass.lpszClassName = kClassName;
  registered = RegisterClassExW(&windowClass) != 0;
}

THistoryGraphWindow::THistoryGraphWindow(HWND owner, THistoryGraphData data) {
  RegisterOnce();
  RECT frame{0, 0, Scaled(kWidth), Scaled(kHeight)};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT around{};
  if (!owner || !GetWindowRect(owner, &around)) around = RECT{0, 0, width, height};
  const int left = std::max(0, static_cast<int>((around.left + around.right - width) / 2));
  const int top = std::max(0, static_cast<int>((around.top + around.bottom - height) / 2));
  graph.SetData(std::move(data));
  CreateWindowExW(0, kClassName, Wide(graph.Data().title).c_str(), WS_OVERLAPPEDWINDOW, left, top, width, height,
                  owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!window) return;

  hint.Create(window, Scaled(kHintMaxWidth));
  Redraw();
  ShowWindow(window, SW_SHOWNORMAL);
}

THistoryGraphWindow::~THistoryGraphWindow() {
  if (window) DestroyWindow(window);
}

void THistoryGraphWindow::SetData(THistoryGraphData data) {
  SetWindowTextW(window, Wide(data.title).c_str());
  graph.SetData(std::move(data));
  hint.Hide();
  Redraw();
}

// The picture takes the client size; a size no picture can be made of keeps the
// last one.
void THistoryGraphWindow::Redraw() {
  RECT client{};
  GetClientRect(window, &client);
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  try {
    memory.SetSize(width, height);
  } catch (const std::exception&) {
    return;
  }
  graph.DrawIn(TEdges{0, 0, width, height});
  InvalidateRect(window, nullptr, FALSE);
}

void THistoryGraphWindow::Mouse(LPARAM lParam) {
  if (!tracking) {
    TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, window, 0};
    tracking = TrackMouseEvent(&leave) != FALSE;
  }
  POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  const std::string text = graph.GetHint(point.x, point.y);
  ClientToScreen(window, &point);
  point.x += Scaled(kHintOffset);
  hint.Show(text, point);
}

LRESULT CALLBACK THistoryGraphWindow::WindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<THistoryGraphWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    created->window = handle;
  }
  auto* self = reinterpret_cast<THistoryGraphWindow*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
  if (!self) return DefWindowProcW(handle, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The tip, owned by the window, went with it.
    SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
    self->window = nullptr;
    self->hint.Forget();
    return DefWindowProcW(handle, message, wParam, lParam);
  }
  // Errors must not unwind through the window system.
  try {
    return self->Handle(message, wParam, lParam);
  } catch (const std::exception&) {
    return DefWindowProcW(handle, message, wParam, lParam);
  }
}

LRESULT THistoryGraphWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the picture covers the whole client area
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      try {
        memory.Paint(dc, 0, 0);
      } catch (const std::exception&) {
        // No picture at this size: the window keeps what it shows.
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_SIZE:
      hint.Hide();
      Redraw();
      return 0;
    case WM_GETMINMAXINFO: {
      auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
      limits.ptMinTrackSize = POINT{Scaled(kMinimumWidth), Scaled(kMinimumHeight)};
      return 0;
    }
    case WM_MOUSEMOVE:
      Mouse(lParam);
      return 0;
    case WM_MOUSELEAVE:
      tracking = false;
      hint.Hide();
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void ShowHistoryGraphWindow(HWND owner, THistoryGraphData data) {
  if (openWindow && openWindow->Handle()) {
    openWindow->SetData(std::move(data));
    ShowWindow(openWindow->Handle(), SW_SHOWNORMAL);
    SetForegroundWindow(openWindow->Handle());
    return;
  }
  openWindow = std::make_unique<THistoryGraphWindow>(owner, std::move(data));
}

void UpdateHistoryGraphWindow(std::optional<THistoryGraphData> data) {
  if (!openWindow || !openWindow->Handle()) return;
  if (data)
    openWindow->SetData(std::move(*data));
  else
    CloseHistoryGraphWindow();
}

void CloseHistoryGraphWindow() { openWindow.reset(); }

HWND HistoryGraphWindowHandle() { return openWindow ? openWindow->Handle() : nullptr; }

}  // namespace vexa
