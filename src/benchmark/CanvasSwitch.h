// A canvas that forwards to another one chosen later, or to nothing. The Benchmark
// module creates its drawers at once, on this switch; the window's page points it
// at its off-screen bitmap, vexa-cli at a raster picture, a test at a recording.
// The font is kept here, so a font chosen before the target is the target's too.
#pragma once

#include "benchmark/Canvas.h"

namespace vexa {

class TCanvasSwitch : public TCanvas {
public:
  void SetTarget(TCanvas* canvas) {
    target = canvas;
    if (target) target->SetFont(font);
  }
  TCanvas* Target() const { return target; }

  void FillRect(const TEdges& rect, TColor colour) override {
    if (target) target->FillRect(rect, colour);
  }
  void Rectangle(const TEdges& rect, TColor pen, std::optional<TColor> brush) override {
    if (target) target->Rectangle(rect, pen, brush);
  }
  void Polyline(std::span<const TPoint> points, TColor pen) override {
    if (target) target->Polyline(points, pen);
  }
  void Polygon(std::span<const TPoint> points, TColor pen, std::optional<TColor> brush) override {
    if (target) target->Polygon(points, pen, brush);
  }
  void Pixel(TPoint point, TColor colour) override {
    if (target) target->Pixel(point, colour);
  }
  void WriteText(std::int32_t x, std::int32_t y, std::string_view text, TColor colour, std::uint32_t flags) override {
    if (target) target->WriteText(x, y, text, colour, flags);
  }
  void WriteTextIn(const TEdges& rect, std::string_view text, TColor colour, std::uint32_t flags) override {
    if (target) target->WriteTextIn(rect, text, colour, flags);
  }
  void SetFont(const TFontSpec& newFont) override {
    font = newFont;
    if (target) target->SetFont(newFont);
  }
  TFontSpec Font() const override { return font; }

private:
  TCanvas* target = nullptr;
  TFontSpec font;
};

}  // namespace vexa
