// The raster canvas of vexa-cli: the benchmark drawings painted into an image in
// memory with Cairo (texts laid out by Pango) and saved as a PNG file. It paints
// as a Windows device context does, so a drawing looks the same as in the window.
// Built only where Cairo and Pango are installed (VEXA_HAVE_CAIRO).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "benchmark/Canvas.h"

namespace vexa {

class TCairoCanvas : public TCanvas {
public:
  // A white image; a size Cairo cannot make leaves a canvas that paints nothing and
  // cannot be saved.
  TCairoCanvas(std::int32_t width, std::int32_t height);
  ~TCairoCanvas() override;
  TCairoCanvas(const TCairoCanvas&) = delete;
  TCairoCanvas& operator=(const TCairoCanvas&) = delete;

  void FillRect(const TEdges& rect, TColor colour) override;
  void Rectangle(const TEdges& rect, TColor pen, std::optional<TColor> brush) override;
  void Polyline(std::span<const TPoint> points, TColor pen) override;
  void Polygon(std::span<const TPoint> points, TColor pen, std::optional<TColor> brush) override;
  void Pixel(TPoint point, TColor colour) override;
  void WriteText(std::int32_t x, std::int32_t y, std::string_view text, TColor colour, std::uint32_t flags) override;
  void WriteTextIn(const TEdges& rect, std::string_view text, TColor colour, std::uint32_t flags) override;
  void SetFont(const TFontSpec& font) override;
  TFontSpec Font() const override;

  // Writes the image as a PNG file; false with the reason in error when it cannot.
  bool SavePng(const std::string& path, std::string& error);

private:
  struct TState;
  std::unique_ptr<TState> state;
};

}  // namespace vexa
