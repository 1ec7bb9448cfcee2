#include "benchmark/BenchmarkKind.h"

#include <array>

namespace vexa {

std::string_view BenchmarkKindLabel(TBenchmarkKind kind) {
  static constexpr std::array<std::string_view, 5> kLabels{"隨機讀取", "隨機寫入", "順序讀取", "順序寫入",
                                                           "隨機存取時間"};
  return kind < kLabels.size() ? kLabels[kind] : std::string_view{};
}

}  // namespace vexa
