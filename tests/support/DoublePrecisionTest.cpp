// Every operation on doubles rounds once to a double, in every build and every
// thread: SSE arithmetic does so, and the 32-bit Windows build runs the x87 at
// double precision for it (CMakeLists.txt links CRT_fp8.o there). At the x87's own
// 64-bit precision 1e16 + 1 keeps its 1, and 8192 reads in 0.2048 s make 39999 a second.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <utility>

namespace vexa {
namespace {

std::pair<double, std::int32_t> Compute() {
  volatile double big = 1e16, one = 1;
  volatile double ticks = 2048000, frequency = 1e7, reads = 8192;
  volatile double seconds = ticks / frequency;  // stored, so a double whatever the precision
  return {(big + one) - big, static_cast<std::int32_t>(reads / seconds)};
}

TEST(DoublePrecision, EachOperationRoundsToADoubleInEveryThread) {
  std::pair<double, std::int32_t> inThread;
  std::thread([&inThread] { inThread = Compute(); }).join();
  for (const auto& [lostUnit, readsPerSecond] : {Compute(), inThread}) {
    EXPECT_EQ(lostUnit, 0);
    EXPECT_EQ(readsPerSecond, 40000);
  }
}

#if defined(_WIN32) && defined(__i386__)
std::uint16_t ControlWord() {
  std::uint16_t control = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(control));
  return control;
}

TEST(DoublePrecision, TheX87RunsAtDoublePrecisionInEveryThread) {
  std::uint16_t inThread = 0;
  std::thread([&inThread] { inThread = ControlWord(); }).join();
  // Bits 8-9 choose the precision: 2 is 53 bits, 3 is 64.
  for (const std::uint16_t control : {ControlWord(), inThread}) EXPECT_EQ(control & 0x300, 0x200) << std::hex << control;
}
#endif

}  // namespace
}  // namespace vexa
