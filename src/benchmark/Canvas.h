// What the benchmark drawings paint on: the few primitives of a Windows device
// context that they use, with coordinates in pixels and colours 0x00BBGGRR. The
// Windows canvas paints into a 32-bit DIB section, the raster canvas of vexa-cli
// into a PNG, and the tests' recording canvas keeps the calls.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "shell/PixelsPerInch.h"
#include "support/Geometry.h"
#include "support/Utils.h"

namespace vexa {

// Text placement, as the Windows text-drawing flags: horizontal alignment, vertical
// alignment in a rectangle, one line, no clipping, no & prefixes.
enum TTextFlags : std::uint32_t {
  tfLeft = 0,
  tfCenter = 1,
  tfRight = 2,
  tfVCenter = 4,
  tfBottom = 8,
  tfSingleLine = 0x20,
  tfNoClip = 0x100,
  tfNoPrefix = 0x800,
};

inline constexpr TColor kBlack = 0x000000;
inline constexpr TColor kWhite = 0xFFFFFF;

class TCanvas {
public:
  virtual ~TCanvas() = default;

  // Fills the rectangle (right and bottom excluded).
  virtual void FillRect(const TEdges& rect, TColor colour) = 0;
  // A one-pixel outline just inside the edges in pen, the inside filled with brush
  // (none: left as it is).
  virtual void Rectangle(const TEdges& rect, TColor pen, std::optional<TColor> brush) = 0;
  // Lines from each point to the next; the last point itself is not painted.
  virtual void Polyline(std::span<const TPoint> points, TColor pen) = 0;
  // A closed outline, filled with brush unless none.
  virtual void Polygon(std::span<const TPoint> points, TColor pen, std::optional<TColor> brush) = 0;
  virtual void Pixel(TPoint point, TColor colour) = 0;
  // One line of text whose top edge is at y; x is its left end, centre or right end
  // as flags say (tfLeft, tfCenter, tfRight).
  virtual void WriteText(std::int32_t x, std::int32_t y, std::string_view text, TColor colour, std::uint32_t flags) = 0;
  // Text placed in a rectangle by flags.
  virtual void WriteTextIn(const TEdges& rect, std::string_view text, TColor colour, std::uint32_t flags) = 0;
  // The font texts are written with from now on.
  virtual void SetFont(const TFontSpec& font) = 0;
  virtual TFontSpec Font() const = 0;
};

}  // namespace vexa
