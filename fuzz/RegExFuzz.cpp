// Compiles and matches arbitrary patterns against arbitrary subjects (any bytes,
// NUL included, up to 100 kB) and checks every answer: positions inside the subject,
// the same answers from a fresh and a reused engine, and the same answers as a plain
// search without the engine's shortcuts. Input layout: tests/knowledge/RegExReference.h.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "knowledge/RegExReference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexa::regex_check;
  const std::string problem = CheckCase(DecodeCase(std::span<const std::uint8_t>(data, size)));
  if (!problem.empty()) {
    std::fprintf(stderr, "pattern engine: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
