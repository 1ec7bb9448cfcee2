// A canvas that keeps every call as one line of text, so drawing tests can check
// geometry, colours and texts ("fill 0,0,640,360 #524131").
#pragma once

#include <string>
#include <vector>

#include "benchmark/Canvas.h"
#include "support/Format.h"

namespace vexa::test {

class TRecordingCanvas final : public TCanvas {
public:
  std::vector<std::string> calls;

  // The calls that begin with prefix.
  std::vector<std::string> Calls(std::string_view prefix) const {
    std::vector<std::string> found;
    for (const std::string& call : calls) {
      if (call.starts_with(prefix)) found.push_back(call);
    }
    return found;
  }

  void FillRect(const TEdges& r, TColor colour) override { calls.push_back("fill " + Edges(r) + " " + Colour(colour)); }
  void Rectangle(const TEdges& r, TColor pen, std::optional<TColor> brush) override {
    calls.push_back("rect " + Edges(r) + " " + Colour(pen) + (brush ? " " + Colour(*brush) : ""));
  }
  void Polyline(std::span<const TPoint> points, TColor pen) override {
    calls.push_back("line " + Points(points) + " " + Colour(pen));
  }
  void Polygon(std::span<const TPoint> points, TColor pen, std::optional<TColor> brush) override {
    calls.push_back("polygon " + Points(points) + " " + Colour(pen) + (brush ? " " + Colour(*brush) : ""));
  }
  void Pixel(TPoint p, TColor colour) override { calls.push_back(Format("pixel %d,%d ", p.x, p.y) + Colour(colour)); }
  void WriteText(std::int32_t x, std::int32_t y, std::string_view text, TColor colour, std::uint32_t flags) override {
    calls.push_back(Format("text %d,%d %x ", x, y, flags) + Colour(colour) + " " + std::string(text));
  }
  void WriteTextIn(const TEdges& r, std::string_view text, TColor colour, std::uint32_t flags) override {
    calls.push_back("draw " + Edges(r) + Format(" %x ", flags) + Colour(colour) + " " + std::string(text));
  }
  void SetFont(const TFontSpec& newFont) override {
    font = newFont;
    calls.push_back("font " + newFont.face);
  }
  TFontSpec Font() const override { return font; }

private:
  static std::string Edges(const TEdges& r) { return Format("%d,%d,%d,%d", r.left, r.top, r.right, r.bottom); }
  static std::string Colour(TColor c) { return Format("#%.6x", c); }
  static std::string Points(std::span<const TPoint> points) {
    std::string text;
    for (const TPoint& p : points) text += Format("%s%d,%d", text.empty() ? "" : " ", p.x, p.y);
    return text;
  }
  TFontSpec font;
};

}  // namespace vexa::test
