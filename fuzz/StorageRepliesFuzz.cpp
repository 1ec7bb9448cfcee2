// Runs the console road over the sample machines with their storage replies changed by the input.
// The work is shared with the unit tests that replay saved inputs (tests/fuzz/).
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vexa::fuzz_check::AbortOnProblem("StorageRepliesFuzz", vexa::fuzz_check::StorageReplies({data, size}));
  return 0;
}
