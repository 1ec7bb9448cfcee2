// Rectangles, lines and pixels are written straight into the image's pixels, so that
// they cover exactly the pixels a Windows device context covers (Cairo's own
// rasterizer would place the ends of lines differently); polygon insides and texts
// go through Cairo and Pango.
#include "app/cli/CairoCanvas.h"

#include <cairo.h>
#include <glib.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <system_error>
#include <vector>

namespace vexa {

namespace {

struct TCairoDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
  void operator()(cairo_t* cairo) const { cairo_destroy(cairo); }
  void operator()(cairo_font_options_t* options) const { cairo_font_options_destroy(options); }
};
template <typename T>
using TCairoPtr = std::unique_ptr<T, TCairoDeleter>;

struct TGObjectDeleter {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using TGObjectPtr = std::unique_ptr<T, TGObjectDeleter>;

struct TPangoDeleter {
  void operator()(PangoFontDescription* description) const { pango_font_description_free(description); }
  void operator()(PangoAttrList* attributes) const { pango_attr_list_unref(attributes); }
  void operator()(gchar* text) const { g_free(text); }
};
template <typename T>
using TPangoPtr = std::unique_ptr<T, TPangoDeleter>;

struct TFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

constexpr std::int32_t kDefaultFontPixels = 11;
// Far beyond any drawing; keeps a wild height from making glyphs of gigabytes.
constexpr std::int32_t kMaxFontPixels = 1000;
// The CJK faces put the ideographic em box from 0.88 em above the baseline to 0.12
// below. A line is that box, so a font of n pixels takes n rows as a Windows font
// whose cell is its em does, and Chinese text fills the rectangle it is centred in.
constexpr double kEmAscent = 0.88;

constexpr const char* kMonospaceFamily = "Noto Sans Mono CJK TC";
constexpr const char* kProportionalFamily = "Noto Sans CJK TC";

// The image stores 0x00RRGGBB; colours come as 0x00BBGGRR.
std::uint32_t ToPixel(TColor colour) {
  return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

void SetSource(cairo_t* cairo, TColor colour) {
  cairo_set_source_rgb(cairo, (colour & 0xFF) / 255.0, (colour >> 8 & 0xFF) / 255.0, (colour >> 16 & 0xFF) / 255.0);
}

// Windows faces the drawings name, mapped to the installed Noto faces of the same
// kind: columns of figures line up only in a fixed-pitch face.
const char* FamilyOf(std::string_view face) {
  std::string lower(face);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  for (const std::string_view word : {"mono", "console", "consolas", "courier"}) {
    if (lower.find(word) != std::string::npos) return kMonospaceFamily;
  }
  return kProportionalFamily;
}

// n / d rounded to the nearest whole number, halves away from zero; d > 0.
std::int64_t RoundedQuotient(std::int64_t n, std::int64_t d) {
  return n >= 0 ? (2 * n + d) / (2 * d) : -((-2 * n + d) / (2 * d));
}

// Lines as DrawText breaks them: at CR LF, CR or LF.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

// Direct access to the image's pixels for as long as it lives: Cairo's pending
// drawing is finished first and told afterwards that the pixels changed.
class TPixels {
public:
  explicit TPixels(cairo_surface_t* surface) : surface(surface) {
    cairo_surface_flush(surface);
    data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface));
    if (data) {
      width = cairo_image_surface_get_width(surface);
      height = cairo_image_surface_get_height(surface);
      stride = cairo_image_surface_get_stride(surface) / 4;
    }
  }
  ~TPixels() {
    if (data) cairo_surface_mark_dirty(surface);
  }
  TPixels(const TPixels&) = delete;
  TPixels& operator=(const TPixels&) = delete;

  void Plot(std::int64_t x, std::int64_t y, std::uint32_t value) {
    if (x >= 0 && y >= 0 && x < width && y < height) data[y * stride + x] = value;
  }

  // [left, right) x [top, bottom), whatever of it lies in the image.
  void Fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, std::uint32_t value) {
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min<std::int64_t>(right, width);
    bottom = std::min<std::int64_t>(bottom, height);
    if (left >= right) return;
    for (std::int64_t y = top; y < bottom; ++y) std::fill(data + y * stride + left, data + y * stride + right, value);
  }

  // The pixels nearest to the ideal line, one per step along its longer axis, from
  // the first point up to but not including the last.
  void Line(TPoint from, TPoint to, std::uint32_t value) {
    const std::int64_t dx = std::int64_t{to.x} - from.x;
    const std::int64_t dy = std::int64_t{to.y} - from.y;
    const std::int64_t steps = std::max(std::abs(dx), std::abs(dy));
    if (steps == 0) return;
    const bool alongX = std::abs(dx) >= std::abs(dy);
    const std::int64_t start = alongX ? from.x : from.y;
    const std::int64_t side = alongX ? from.y : from.x;
    const std::int64_t rise = alongX ? dy : dx;
    const std::int64_t direction = (alongX ? dx : dy) < 0 ? -1 : 1;
    const std::int64_t extent = alongX ? width : height;
    // Only the steps that land inside the image along the longer axis: a line far
    // longer than the image costs no more than one across it.
    std::int64_t first = 0;
    std::int64_t last = 0;
    if (direction > 0) {
      first = std::max<std::int64_t>(0, -start);
      last = std::min(steps, extent - start);
    } else {
      first = std::max<std::int64_t>(0, start - extent + 1);
      last = std::min(steps, start + 1);
    }
    for (std::int64_t i = first; i < last; ++i) {
      const std::int64_t along = start + direction * i;
      const std::int64_t across = side + RoundedQuotient(i * rise, steps);
      if (alongX) {
        Plot(along, across, value);
      } else {
        Plot(across, along, value);
      }
    }
  }

private:
  cairo_surface_t* surface;
  std::uint32_t* data = nullptr;
  std::int64_t width = 0, height = 0, stride = 0;
};

}  // namespace

struct TCairoCanvas::TState {
  // Declared in the order they depend on each other, so they go in reverse.
  TCairoPtr<cairo_surface_t> surface;
  TCairoPtr<cairo_t> cairo;
  TGObjectPtr<PangoFontMap> fontMap;
  TGObjectPtr<PangoContext> context;
  TGObjectPtr<PangoLayout> layout;
  TFontSpec font;
  std::int32_t fontPixels = kDefaultFontPixels;

  TPixels Pixels() { return TPixels(surface.get()); }

  void ApplyFont() {
    const std::int64_t height = font.height < 0 ? -std::int64_t{font.height} : font.height;
    fontPixels = height == 0 ? kDefaultFontPixels
                             : static_cast<std::int32_t>(std::min<std::int64_t>(height, kMaxFontPixels));
    const TPangoPtr<PangoFontDescription> description(pango_font_description_new());
    pango_font_description_set_family(description.get(), FamilyOf(font.face));
    // A weight of 0 is "any weight" in a logical font.
    const std::int32_t weight = font.weight == 0 ? 400 : std::clamp(font.weight, 100, 1000);
    pango_font_description_set_weight(description.get(), static_cast<PangoWeight>(weight));
    pango_font_description_set_style(description.get(), font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(description.get(), static_cast<double>(fontPixels) * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), description.get());
    const TPangoPtr<PangoAttrList> attributes(pango_attr_list_new());
    if (font.underline) pango_attr_list_insert(attributes.get(), pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (font.strikeOut) pango_attr_list_insert(attributes.get(), pango_attr_strikethrough_new(TRUE));
    pango_layout_set_attributes(layout.get(), attributes.get());
  }

  // Lays the text out as one line and answers its width in pixels.
  double Lay(std::string_view text) {
    // Drive strings may hold any bytes; Pango takes only UTF-8, and no NUL.
    const TPangoPtr<gchar> valid(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
    pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
    pango_layout_set_text(layout.get(), valid.get(), -1);
    PangoRectangle logical{};
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    return static_cast<double>(logical.width) / PANGO_SCALE;
  }

  // Draws the text last laid out with its line's top edge at top.
  void Show(double left, std::int64_t top, TColor colour) {
    const double baseline = static_cast<double>(top + std::lround(kEmAscent * fontPixels));
    const double layoutBaseline = static_cast<double>(pango_layout_get_baseline(layout.get())) / PANGO_SCALE;
    cairo_move_to(cairo.get(), left, baseline - layoutBaseline);
    SetSource(cairo.get(), colour);
    pango_cairo_show_layout(cairo.get(), layout.get());
  }
};

TCairoCanvas::TCairoCanvas(std::int32_t width, std::int32_t height) : state(std::make_unique<TState>()) {
  state->surface.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(width, 0), std::max(height, 0)));
  state->cairo.reset(cairo_create(state->surface.get()));
  cairo_set_source_rgb(state->cairo.get(), 1, 1, 1);
  cairo_paint(state->cairo.get());

  // A font map of its own rather than the process's: its caches of faces and glyphs
  // go with the canvas instead of lasting until the program ends.
  state->fontMap.reset(pango_cairo_font_map_new());
  state->context.reset(pango_font_map_create_context(state->fontMap.get()));
  pango_cairo_update_context(state->cairo.get(), state->context.get());
  const TCairoPtr<cairo_font_options_t> options(cairo_font_options_create());
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  // Unrounded advances: in the fixed-pitch face a Chinese character is exactly two
  // figures wide only then, and columns of mixed text line up.
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  pango_cairo_context_set_font_options(state->context.get(), options.get());
  pango_context_set_round_glyph_positions(state->context.get(), FALSE);
  // Han characters take their Traditional Chinese forms wherever a face has several.
  pango_context_set_language(state->context.get(), pango_language_from_string("zh-tw"));
  state->layout.reset(pango_layout_new(state->context.get()));
  state->ApplyFont();
}

TCairoCanvas::~TCairoCanvas() = default;

void TCairoCanvas::FillRect(const TEdges& rect, TColor colour) {
  state->Pixels().Fill(rect.left, rect.top, rect.right, rect.bottom, ToPixel(colour));
}

void TCairoCanvas::Rectangle(const TEdges& rect, TColor pen, std::optional<TColor> brush) {
  // Edges given in either order make the same rectangle, as on Windows.
  const std::int64_t left = std::min(rect.left, rect.right);
  const std::int64_t right = std::max(rect.left, rect.right);
  const std::int64_t top = std::min(rect.top, rect.bottom);
  const std::int64_t bottom = std::max(rect.top, rect.bottom);
  if (left == right || top == bottom) return;
  TPixels pixels = state->Pixels();
  if (brush) pixels.Fill(left + 1, top + 1, right - 1, bottom - 1, ToPixel(*brush));
  const std::uint32_t outline = ToPixel(pen);
  pixels.Fill(left, top, right, top + 1, outline);
  pixels.Fill(left, bottom - 1, right, bottom, outline);
  pixels.Fill(left, top, left + 1, bottom, outline);
  pixels.Fill(right - 1, top, right, bottom, outline);
}

void TCairoCanvas::Polyline(std::span<const TPoint> points, TColor pen) {
  TPixels pixels = state->Pixels();
  for (std::size_t i = 1; i < points.size(); ++i) pixels.Line(points[i - 1], points[i], ToPixel(pen));
}

void TCairoCanvas::Polygon(std::span<const TPoint> points, TColor pen, std::optional<TColor> brush) {
  if (points.empty()) return;
  if (brush && points.size() >= 3) {
    // The inside: pixels whose centres it holds (alternate filling, as on Windows);
    // the outline drawn over it covers the edges.
    cairo_t* cairo = state->cairo.get();
    cairo_save(cairo);
    cairo_set_antialias(cairo, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cairo, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_new_path(cairo);
    for (const TPoint& point : points) cairo_line_to(cairo, point.x + 0.5, point.y + 0.5);
    cairo_close_path(cairo);
    SetSource(cairo, *brush);
    cairo_fill(cairo);
    cairo_restore(cairo);
  }
  TPixels pixels = state->Pixels();
  for (std::size_t i = 0; i < points.size(); ++i) {
    pixels.Line(points[i], points[(i + 1) % points.size()], ToPixel(pen));
  }
}

void TCairoCanvas::Pixel(TPoint point, TColor colour) { state->Pixels().Plot(point.x, point.y, ToPixel(colour)); }

void TCairoCanvas::WriteText(std::int32_t x, std::int32_t y, std::string_view text, TColor colour,
                           std::uint32_t flags) {
  if (text.empty()) return;
  const double width = state->Lay(text);
  double left = x;
  if (flags & tfCenter) {
    left -= width / 2;
  } else if (flags & tfRight) {
    left -= width;
  }
  state->Show(left, y, colour);
}

void TCairoCanvas::WriteTextIn(const TEdges& rect, std::string_view text, TColor colour, std::uint32_t flags) {
  if (text.empty()) return;
  const bool singleLine = (flags & tfSingleLine) != 0;
  const std::vector<std::string_view> lines = singleLine ? std::vector<std::string_view>{text} : SplitLines(text);
  const std::int64_t lineHeight = state->fontPixels;
  const std::int64_t textHeight = lineHeight * static_cast<std::int64_t>(lines.size());
  std::int64_t top = rect.top;
  // Vertical placement applies to single lines only, as on Windows.
  if (singleLine && (flags & tfVCenter)) {
    top = rect.top + (std::int64_t{rect.bottom} - rect.top - textHeight) / 2;
  } else if (singleLine && (flags & tfBottom)) {
    top = rect.bottom - textHeight;
  }
  cairo_t* cairo = state->cairo.get();
  cairo_save(cairo);
  if (!(flags & tfNoClip)) {
    cairo_rectangle(cairo, rect.left, rect.top, std::int64_t{rect.right} - rect.left,
                    std::int64_t{rect.bottom} - rect.top);
    cairo_clip(cairo);
  }
  for (const std::string_view line : lines) {
    if (!line.empty()) {
      const double width = state->Lay(line);
      double left = rect.left;
      if (flags & tfCenter) {
        left += (static_cast<double>(std::int64_t{rect.right} - rect.left) - width) / 2;
      } else if (flags & tfRight) {
        left = rect.right - width;
      }
      state->Show(left, top, colour);
    }
    top += lineHeight;
  }
  cairo_restore(cairo);
}

void TCairoCanvas::SetFont(const TFontSpec& font) {
  state->font = font;
  state->ApplyFont();
}

TFontSpec TCairoCanvas::Font() const { return state->font; }

namespace {

struct TPngFile {
  std::FILE* file = nullptr;
  int error = 0;
};

cairo_status_t WritePngBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto& png = *static_cast<TPngFile*>(closure);
  if (std::fwrite(data, 1, length, png.file) == length) return CAIRO_STATUS_SUCCESS;
  png.error = errno;
  return CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

bool TCairoCanvas::SavePng(const std::string& path, std::string& error) {
  cairo_surface_t* surface = state->surface.get();
  cairo_surface_flush(surface);
  if (const cairo_status_t status = cairo_surface_status(surface); status != CAIRO_STATUS_SUCCESS) {
    error = cairo_status_to_string(status);
    return false;
  }
  std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    error = std::generic_category().message(errno);
    return false;
  }
  TPngFile png{file.get()};
  const cairo_status_t status = cairo_surface_write_to_png_stream(surface, WritePngBytes, &png);
  if (status == CAIRO_STATUS_SUCCESS && std::fclose(file.release()) != 0) png.error = errno;
  if (status == CAIRO_STATUS_SUCCESS && png.error == 0) return true;
  // What was written stays: the path may name a device or a pipe, never ours to remove.
  error = png.error != 0 ? std::generic_category().message(png.error) : cairo_status_to_string(status);
  return false;
}

}  // namespace vexa
