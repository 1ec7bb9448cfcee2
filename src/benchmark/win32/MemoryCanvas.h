// The Benchmark page's off-screen picture and the GDI canvas that paints on it. The
// picture is a 32-bit DIB section selected into a memory device context compatible
// with the screen; a size change marks it dirty, and the next Update re-creates the
// bitmap, blank, so the drawing that follows a resize lands on a bitmap of the new
// size and the window is painted from it in one copy, without flicker.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string_view>

#include "benchmark/Canvas.h"

namespace vexa {

class TMemoryCanvas {
public:
  // Dirty bits.
  static constexpr std::uint32_t kRecreate = 1;

  // A memory DC without a picture yet; the bitmap (640 × 360 until told otherwise)
  // comes with the first Update.
  TMemoryCanvas();
  ~TMemoryCanvas();
  TMemoryCanvas(const TMemoryCanvas&) = delete;
  TMemoryCanvas& operator=(const TMemoryCanvas&) = delete;

  HDC DC() const { return dc; }
  HBITMAP Bitmap() const { return bitmap; }
  // The pixels, 0x00RRGGBB, rows bottom-up unless TopDown.
  void* Bits() const { return bits; }
  std::int32_t Width() const { return width; }
  std::int32_t Height() const { return height; }
  bool TopDown() const { return topDown; }
  std::uint32_t Dirty() const { return dirty; }

  // A change marks the bitmap for re-creation; nothing else happens until Update.
  void SetWidth(std::int32_t value);
  void SetHeight(std::int32_t value);
  void SetTopDown(bool value);
  // Both sides, then Update.
  void SetSize(std::int32_t newWidth, std::int32_t newHeight);
  void Invalidate(std::uint32_t flags) { dirty |= flags; }
  // Re-creates the bitmap when it is marked; an empty size leaves it marked.
  void Update();
  // A new blank bitmap of the current size replaces the old one; throws EVexaError
  // when it cannot be made or selected (the old one then stays).
  void Recreate();
  // Updates, then copies the whole picture to (x, y) of target; answers 0 or the
  // copy's error.
  DWORD Paint(HDC target, int x, int y);
  // Stock white brush, black pen and the default GUI font, so that no object a
  // canvas made stays selected.
  void ResetSelection();

private:
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ savedBitmap = nullptr;  // the DC's own, selected back at the end
  void* bits = nullptr;
  std::int32_t width;
  std::int32_t height;
  bool topDown = false;
  std::uint32_t dirty = kRecreate;
};

// The drawings' canvas on a memory canvas's DC with GDI. Pens and brushes live for
// one call; the font lives until the next SetFont or the end. Text is drawn with a
// transparent background.
class TGdiCanvas : public TCanvas {
public:
  explicit TGdiCanvas(TMemoryCanvas& memory);
  // Selects the DC's original font, pen and brush back and deletes the font it made.
  ~TGdiCanvas() override;
  TGdiCanvas(const TGdiCanvas&) = delete;
  TGdiCanvas& operator=(const TGdiCanvas&) = delete;

  void FillRect(const TEdges& rect, TColor colour) override;
  void Rectangle(const TEdges& rect, TColor pen, std::optional<TColor> brush) override;
  void Polyline(std::span<const TPoint> points, TColor pen) override;
  void Polygon(std::span<const TPoint> points, TColor pen, std::optional<TColor> brush) override;
  void Pixel(TPoint point, TColor colour) override;
  void WriteText(std::int32_t x, std::int32_t y, std::string_view text, TColor colour, std::uint32_t flags) override;
  void WriteTextIn(const TEdges& rect, std::string_view text, TColor colour, std::uint32_t flags) override;
  void SetFont(const TFontSpec& font) override;
  TFontSpec Font() const override { return fontSpec; }

  // The font selected now (none before the first SetFont).
  HFONT FontHandle() const { return font; }
  // DrawTextW's format for the canvas's text flags.
  static UINT DrawTextFormat(std::uint32_t flags);

private:
  HDC dc;
  HGDIOBJ originalFont;
  HGDIOBJ originalPen;
  HGDIOBJ originalBrush;
  HFONT font = nullptr;
  TFontSpec fontSpec;
};

}  // namespace vexa
