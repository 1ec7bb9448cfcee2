// The off-screen picture and its GDI canvas: pixels land where the canvas interface
// says (right and bottom edges outside, a polyline's last point unpainted, colours
// 0x00BBGGRR), and the picture is made again only for a new, non-empty size.
#include "benchmark/win32/MemoryCanvas.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace vexa {
namespace {

TEST(MemoryCanvasTest, PaintsWhereTheInterfaceSaysAndRemakesOnlyForARealSize) {
  TMemoryCanvas memory;
  EXPECT_EQ(memory.Width(), 640);
  EXPECT_EQ(memory.Height(), 360);
  EXPECT_EQ(memory.Dirty(), TMemoryCanvas::kRecreate);
  memory.SetTopDown(true);
  memory.SetSize(8, 6);
  ASSERT_NE(memory.Bits(), nullptr);
  EXPECT_EQ(memory.Dirty(), 0u);
  // The DIB's pixels read 0x00RRGGBB.
  const auto at = [&](int x, int y) {
    GdiFlush();
    return static_cast<const std::uint32_t*>(memory.Bits())[y * memory.Width() + x] & 0xFFFFFF;
  };
  {
    TGdiCanvas canvas(memory);
    canvas.FillRect({0, 0, 8, 6}, 0x0000FF);
    canvas.Rectangle({1, 1, 5, 4}, 0x00FF00, 0xFF0000);
    const std::array<TPoint, 2> line{TPoint{0, 5}, TPoint{3, 5}};
    canvas.Polyline(line, kWhite);
    canvas.Pixel({7, 0}, kBlack);
  }
  EXPECT_EQ(at(7, 5), 0xFF0000u);
  EXPECT_EQ(at(1, 1), 0x00FF00u);
  EXPECT_EQ(at(4, 3), 0x00FF00u);
  EXPECT_EQ(at(2, 2), 0x0000FFu);
  EXPECT_EQ(at(5, 2), 0xFF0000u);
  EXPECT_EQ(at(2, 4), 0xFF0000u);
  EXPECT_EQ(at(2, 5), 0xFFFFFFu);
  EXPECT_EQ(at(3, 5), 0xFF0000u);
  EXPECT_EQ(at(7, 0), 0u);

  const HBITMAP first = memory.Bitmap();
  memory.SetSize(8, 0);
  EXPECT_EQ(memory.Dirty(), TMemoryCanvas::kRecreate);
  EXPECT_EQ(memory.Bitmap(), first);
  memory.SetSize(3, 2);
  EXPECT_EQ(memory.Dirty(), 0u);
  EXPECT_NE(memory.Bitmap(), first);
  EXPECT_EQ(at(2, 1), 0u);
}

}  // namespace
}  // namespace vexa
