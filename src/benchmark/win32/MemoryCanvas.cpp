// The off-screen picture and its GDI canvas (see MemoryCanvas.h).
#include "benchmark/win32/MemoryCanvas.h"

#include <algorithm>
#include <string>
#include <vector>

#include "benchmark/BenchmarkTab.h"
#include "shell/win32/Fonts.h"
#include "support/Error.h"
#include "support/Format.h"
#include "support/win32/WideText.h"

namespace vexa {

// --- TMemoryCanvas ---

TMemoryCanvas::TMemoryCanvas() : width(kBenchmarkDefaultWidth), height(kBenchmarkDefaultHeight) {
  dc = CreateCompatibleDC(nullptr);
  if (!dc) throw EVexaError(Format("CreateCompatibleDC() FAILED to create a device context / LastError = %d",
                                   GetLastError()));
}

TMemoryCanvas::~TMemoryCanvas() {
  if (savedBitmap) SelectObject(dc, savedBitmap);
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(dc);
}

void TMemoryCanvas::SetWidth(std::int32_t value) {
  value = std::max(value, 0);
  if (value == width) return;
  width = value;
  Invalidate(kRecreate);
}

void TMemoryCanvas::SetHeight(std::int32_t value) {
  value = std::max(value, 0);
  if (value == height) return;
  height = value;
  Invalidate(kRecreate);
}

void TMemoryCanvas::SetTopDown(bool value) {
  if (value == topDown) return;
  topDown = value;
  Invalidate(kRecreate);
}

void TMemoryCanvas::SetSize(std::int32_t newWidth, std::int32_t newHeight) {
  SetWidth(newWidth);
  SetHeight(newHeight);
  Update();
}

void TMemoryCanvas::Update() {
  if ((dirty & kRecreate) == 0 || width == 0 || height == 0) return;
  Recreate();
}

void TMemoryCanvas::Recreate() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = topDown ? -height : height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* newBits = nullptr;
  HBITMAP created = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &newBits, nullptr, 0);
  if (!created) {
    throw EVexaError(Format("CreateDIBSection() FAILED to create a bitmap / LastError = %d", GetLastError()));
  }
  HGDIOBJ previous = SelectObject(dc, created);
  if (!previous || previous == HGDI_ERROR) {
    const DWORD error = GetLastError();
    DeleteObject(created);
    throw EVexaError(Format("SelectObject() FAILED to select bitmap / LastError = %d", error));
  }
  if (!savedBitmap) savedBitmap = previous;
  if (bitmap) DeleteObject(bitmap);
  bitmap = created;
  bits = newBits;
  dirty &= ~kRecreate;
}

DWORD TMemoryCanvas::Paint(HDC target, int x, int y) {
  Update();
  if (BitBlt(target, x, y, width, height, dc, 0, 0, SRCCOPY)) return 0;
  return GetLastError();
}

void TMemoryCanvas::ResetSelection() {
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
}

// --- TGdiCanvas ---

namespace {

// The DC's own pen and brush for one call: their colours are set on the DC, so no
// GDI object is made per call; the previous pen and brush are selected back after it.
// No brush selects the hollow one.
class TDrawingTools {
public:
  TDrawingTools(HDC dc, TColor pen, std::optional<TColor> brush) : dc(dc) {
    SetDCPenColor(dc, pen & 0xFFFFFF);
    oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    if (brush) SetDCBrushColor(dc, *brush & 0xFFFFFF);
    oldBrush = SelectObject(dc, GetStockObject(brush ? DC_BRUSH : NULL_BRUSH));
  }
  ~TDrawingTools() {
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
  }
  TDrawingTools(const TDrawingTools&) = delete;
  TDrawingTools& operator=(const TDrawingTools&) = delete;

private:
  HDC dc;
  HGDIOBJ oldPen;
  HGDIOBJ oldBrush;
};

std::vector<POINT> Points(std::span<const TPoint> points) {
  std::vector<POINT> result(points.size());
  std::transform(points.begin(), points.end(), result.begin(), [](TPoint p) { return POINT{p.x, p.y}; });
  return result;
}

RECT Rect(const TEdges& edges) { return RECT{edges.left, edges.top, edges.right, edges.bottom}; }

}  // namespace

TGdiCanvas::TGdiCanvas(TMemoryCanvas& memory)
    : dc(memory.DC()),
      originalFont(GetCurrentObject(dc, OBJ_FONT)),
      originalPen(GetCurrentObject(dc, OBJ_PEN)),
      originalBrush(GetCurrentObject(dc, OBJ_BRUSH)) {
  SetBkMode(dc, TRANSPARENT);
}

TGdiCanvas::~TGdiCanvas() {
  if (originalFont) SelectObject(dc, originalFont);
  if (originalPen) SelectObject(dc, originalPen);
  if (originalBrush) SelectObject(dc, originalBrush);
  if (font) DeleteObject(font);
}

void TGdiCanvas::FillRect(const TEdges& rect, TColor colour) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  const RECT area = Rect(rect);
  SetBkColor(dc, colour & 0xFFFFFF);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

void TGdiCanvas::Rectangle(const TEdges& rect, TColor pen, std::optional<TColor> brush) {
  const TDrawingTools tools(dc, pen, brush);
  ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void TGdiCanvas::Polyline(std::span<const TPoint> points, TColor pen) {
  if (points.size() < 2) return;
  const std::vector<POINT> vertices = Points(points);
  const TDrawingTools tools(dc, pen, std::nullopt);
  ::Polyline(dc, vertices.data(), static_cast<int>(vertices.size()));
}

void TGdiCanvas::Polygon(std::span<const TPoint> points, TColor pen, std::optional<TColor> brush) {
  if (points.size() < 2) return;
  const std::vector<POINT> vertices = Points(points);
  const TDrawingTools tools(dc, pen, brush);
  ::Polygon(dc, vertices.data(), static_cast<int>(vertices.size()));
}

void TGdiCanvas::Pixel(TPoint point, TColor colour) { SetPixelV(dc, point.x, point.y, colour & 0xFFFFFF); }

void TGdiCanvas::WriteText(std::int32_t x, std::int32_t y, std::string_view text, TColor colour, std::uint32_t flags) {
  const std::wstring wide = Wide(text);
  const UINT align = (flags & tfCenter) ? TA_CENTER : (flags & tfRight) ? TA_RIGHT : TA_LEFT;
  SetTextAlign(dc, align | TA_TOP);
  SetTextColor(dc, colour & 0xFFFFFF);
  SetBkMode(dc, TRANSPARENT);
  ::TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

void TGdiCanvas::WriteTextIn(const TEdges& rect, std::string_view text, TColor colour, std::uint32_t flags) {
  const std::wstring wide = Wide(text);
  RECT area = Rect(rect);
  // DrawTextW places the text itself; an alignment left by TextOut would move it.
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  SetTextColor(dc, colour & 0xFFFFFF);
  SetBkMode(dc, TRANSPARENT);
  ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area, DrawTextFormat(flags));
}

UINT TGdiCanvas::DrawTextFormat(std::uint32_t flags) {
  UINT format = (flags & tfCenter) ? DT_CENTER : (flags & tfRight) ? DT_RIGHT : DT_LEFT;
  if (flags & tfVCenter) format |= DT_VCENTER;
  if (flags & tfBottom) format |= DT_BOTTOM;
  if (flags & tfSingleLine) format |= DT_SINGLELINE;
  if (flags & tfNoClip) format |= DT_NOCLIP;
  if (flags & tfNoPrefix) format |= DT_NOPREFIX;
  return format;
}

void TGdiCanvas::SetFont(const TFontSpec& newFont) {
  if (font && newFont == fontSpec) return;
  fontSpec = newFont;
  // Without a new font the previous one stays selected.
  HFONT created = CreateFontFromSpec(newFont);
  if (!created) return;
  SelectObject(dc, created);
  if (font) DeleteObject(font);
  font = created;
}

}  // namespace vexa
