// Every operation on doubles rounds once to a double, in every build and every
// thread: SSE arithmetic does so, and the 32-bit Windows build runs the x87 at
// double precision for it (CMakeLists.txt links CRT_fp8.o there). At the x87's own
// 64-bit precision each case below gives another figure.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

namespace vexa {
namespace {

struct TResults {
  double lostUnit = -1;
  std::int32_t readsPerSecond = -1;
};

TResults Compute() {
  volatile double big = 1e16, one = 1;
  volatile double ticks = 2048000, frequency = 1e7, reads = 8192;
  volatile double seconds = ticks / frequency;  // stored, so a double whatever the precision
  TResults results;
  results.lostUnit = (big + one) - big;
  results.readsPerSecond = static_cast<std::int32_t>(reads / seconds);
  return results;
}

TEST(DoublePrecision, EachOperationRoundsToADouble) {
  TResults inThread;
  std::thread worker([&inThread] { inThread = Compute(); });
  worker.join();
  const struct {
    const char* where;
    TResults results;
  } cases[] = {{"main thread", Compute()}, {"new thread", inThread}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.where);
    EXPECT_EQ(c.results.lostUnit, 0);            // 1 at 64 bits: 1e16 + 1 fits there
    EXPECT_EQ(c.results.readsPerSecond, 40000);  // 39999 at 64 bits after a stored quotient
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
  std::thread worker([&inThread] { inThread = ControlWord(); });
  worker.join();
  // Bits 8-9 choose the precision: 2 is 53 bits, 3 is 64.
  for (const std::uint16_t control : {ControlWord(), inThread}) EXPECT_EQ(control & 0x300, 0x200) << std::hex << control;
}
#endif

}  // namespace
}  // namespace vexa
