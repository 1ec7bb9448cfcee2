// Applies any bytes as the program's command line and builds a second window's from them.
// The work is shared with the unit tests that replay saved inputs (tests/fuzz/).
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vexa::fuzz_check::AbortOnProblem("CommandLineFuzz", vexa::fuzz_check::CommandLine({data, size}));
  return 0;
}
