// Applies any bytes as the program's command line and builds a second window's from them.
// The work is shared with the unit tests that replay saved inputs (tests/fuzz/).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string problem = vexa::fuzz_check::CommandLine({data, size});
  if (!problem.empty()) {
    std::fprintf(stderr, "CommandLineFuzz: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
