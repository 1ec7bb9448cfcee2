// The six benchmark programs the page offers, in the order of their numbers: the
// names (also the display names of the setting active_benchmark) and their hints.
#pragma once

#include <array>
#include <string_view>

namespace vexa {

struct TBenchmarkProgram {
  std::string_view name;
  std::string_view hint;
};

enum TBenchmarkProgramIndex : int {
  bpOverview = 0,
  bpQueueDepth = 1,
  bpTransfer = 2,
  bpAccessTime = 3,
  bpQueuedTransfer = 4,
  bpMixed = 5,
};

extern const std::array<TBenchmarkProgram, 6> kBenchmarkPrograms;

}  // namespace vexa
