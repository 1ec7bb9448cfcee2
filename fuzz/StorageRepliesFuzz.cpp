// Runs the console road over the sample machines with their storage replies changed by the input.
// The work is shared with the unit tests that replay saved inputs (tests/fuzz/).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string problem = vexa::fuzz_check::StorageReplies({data, size});
  if (!problem.empty()) {
    std::fprintf(stderr, "StorageRepliesFuzz: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
