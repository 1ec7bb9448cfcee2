// Inputs the fuzz targets found or that guard what they check: saved pattern-engine
// cases (fuzz-regressions/regex/, in the fuzz target's input layout) replayed through
// the same checks, long subjects that once cost a count per byte per attempt, and
// the engine compared with the plain search on many small random cases.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "knowledge/RegExReference.h"

namespace vexa {
namespace {

using regex_check::CheckCase;
using regex_check::TCase;

std::vector<std::filesystem::path> SavedInputs(const char* folder) {
  std::vector<std::filesystem::path> files;
  const std::filesystem::path dir = std::filesystem::path(VEXA_SOURCE_DIR) / "tests/knowledge/fuzz-regressions" / folder;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.is_regular_file()) files.push_back(entry.path());
  return files;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(RegExFuzzRegressions, SavedInputsBehave) {
  const auto files = SavedInputs("regex");
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    const std::vector<std::uint8_t> bytes = ReadBytes(file);
    EXPECT_EQ(CheckCase(regex_check::DecodeCase(bytes)), "") << file.filename();
  }
}

// 100 kB subjects whose attempts each met a long run again: the answers as the search
// rules give them, in milliseconds rather than the seconds (minutes unoptimised) a
// count per byte per attempt took.
TEST(RegExFuzzRegressions, LongRunsAreCountedOnce) {
  const std::string digits(100 * 1024, '7');
  const std::string letters(100 * 1024, 'q');
  struct TLong {
    const char* pattern;
    std::string subject;
    std::int32_t position;
    std::int32_t end;
  };
  const TLong cases[] = {
      {"\\d\\d+x", digits + "y", -1, -1},
      {"(\\w)\\w*!", letters + "?", -1, -1},
      {"Q+x", letters + "y", -1, -1},
      {"q{102401}", letters + "-" + letters, -1, -1},
      {"[7]{3,}y", digits + "x" + digits.substr(0, 5) + "y", 102402, 102407},
      {"(\\d)\\d+y", digits + "x" + digits + "y", 102402, 204802},
      {"^\\d+$", digits + "y", -1, -1},
  };
  for (const TLong& c : cases) {
    TRegExSimple engine(c.pattern, true);
    std::int32_t end = -1;
    EXPECT_EQ(engine.Match(c.subject, nullptr, &end), c.position) << c.pattern;
    EXPECT_EQ(end, c.end) << c.pattern;
  }
}

// The engine's shortcuts must never change an answer: small random patterns over the
// special characters, against subjects with runs, compared with the plain search.
TEST(RegExFuzzRegressions, EngineAnswersAsThePlainSearch) {
  const std::string patternAlphabet = "aab17.^$()[]\\{}*+?,-dDwsS";
  const std::string subjectAlphabet = "aAb17 -";
  std::mt19937 random(20240607);
  int compared = 0;
  for (int round = 0; round < 12000; ++round) {
    TCase c;
    c.caseInsensitive = random() % 2 == 0;
    const auto patternLength = random() % 9;
    for (unsigned i = 0; i < patternLength; ++i) c.pattern += patternAlphabet[random() % patternAlphabet.size()];
    const auto runs = random() % 6;
    for (unsigned i = 0; i < runs; ++i) c.subject.append(random() % 5, subjectAlphabet[random() % subjectAlphabet.size()]);
    const std::string problem = CheckCase(c);
    ASSERT_EQ(problem, "") << "pattern \"" << c.pattern << "\" subject \"" << c.subject << "\"";
    compared += c.subject.empty() ? 0 : 1;
  }
  EXPECT_GT(compared, 8000);
}

}  // namespace
}  // namespace vexa
