// Reads any bytes as a machine file and runs the console road over what it describes.
// The work is shared with the unit tests that replay saved inputs (tests/fuzz/).
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vexa::fuzz_check::AbortOnProblem("MachineFileFuzz", vexa::fuzz_check::MachineFile({data, size}));
  return 0;
}
