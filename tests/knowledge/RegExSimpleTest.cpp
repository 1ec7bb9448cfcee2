// The pattern engine: how patterns compile into segments, every error message, the
// greedy no-backtracking search with its floating first segment, and captures.
#include "knowledge/RegExSimple.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/Format.h"

namespace vexa {
namespace {

// Members of a set as ranges; unprintable bytes as \xHH. A set larger than half the
// bytes is shown as "~" and what it lacks from the full set (every byte but LF, CR).
std::string SetText(const TRegExCharSet& set) {
  TRegExCharSet full;
  full.set();
  full.reset('\n');
  full.reset('\r');
  if (set == full) return "FULL";
  if (set.count() > 128) return "~" + SetText(full & ~set);
  const auto byteText = [](unsigned c) {
    return c > 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : Format("\\x%.2x", c);
  };
  std::string out = "[";
  for (unsigned c = 0; c < 256; ++c) {
    if (!set.test(c)) continue;
    unsigned last = c;
    while (last + 1 < 256 && set.test(last + 1)) ++last;
    out += byteText(c);
    if (last > c + 1) out += "-";
    if (last > c) out += byteText(last);
    c = last;
  }
  return out + "]";
}

// One word per segment: ^ ( 'text' or [set] {min,max} ) $
std::string Describe(const TRegExSegmentBuilder& builder) {
  std::string out;
  for (std::int32_t i = 0; i < builder.SegmentCount(); ++i) {
    const TRegExSegmentDuo& s = *builder.GetSegment(i);
    if (!out.empty()) out += " ";
    if (s.anchorStart) out += "^";
    if (s.opensGroup) out += "(";
    out += s.text.empty() ? SetText(s.charSet) : "'" + s.text + "'";
    if (s.minCount != 1 || s.maxCount != 1)
      out += s.maxCount == TRegExSegment::kUnbounded ? Format("{%d,*}", s.minCount)
                                                      : Format("{%d,%d}", s.minCount, s.maxCount);
    if (s.closesGroup) out += ")";
    if (s.anchorEnd) out += "$";
  }
  return out;
}

std::string Compiled(std::string_view pattern, bool caseInsensitive = true) {
  return Describe(TRegExSegmentBuilder(pattern, caseInsensitive));
}

std::string CompileError(std::string_view pattern) {
  try {
    TRegExSegmentBuilder builder(pattern, true);
  } catch (const ERegEx& error) {
    return error.what();
  }
  return "(compiled)";
}

TEST(RegExCompile, SegmentsOfPatterns) {
  struct TCase {
    const char* pattern;
    const char* segments;
  };
  const TCase cases[] = {
      {"", ""},
      {"abc*", "'ab' 'c'{0,*}"},  // the quantifier takes the last character alone
      {"ab*", "'a' 'b'{0,*}"},
      {"a+", "'a'{1,*}"},
      {"ab?", "'a' 'b'{0,1}"},
      {"a{2}", "'a'{2,2}"},
      {"ab{2,}", "'a' 'b'{2,*}"},
      {"a{0,3}b", "'a'{0,3} 'b'"},
      {"x{a}", "'x{a}'"},  // not a quantifier: ordinary text after a literal
      {"ab{x}", "'a' 'b{x}'"},
      {"a{,3}", "'a{,3}'"},
      {"a{}", "'a{}'"},
      {"a{1,2,3}", "'a{1,2,3}'"},
      {"a{9999999999}", "'a{9999999999}'"},  // does not fit in 32 bits
      {"a{0123456789}", "'a'{123456789,123456789}"},  // ten characters between the braces
      {"a{01234567890}", "'a{01234567890}'"},         // eleven: the brace is too far away
      {"a}-,|/ b", "'a}-,|/ b'"},
      {".", "FULL"},
      {".{0}", "FULL{0,0}"},
      {"(ab[cd])", "('ab' [CDcd])"},
      {"^ST(\\d+)FP\\d{4}", "^'ST' ([0-9]{1,*}) 'FP' [0-9]{4,4}"},
      {"OCZ-VERTEX3\\.20$", "'OCZ-VERTEX3' '.' '20'$"},
      {"a$", "'a'$"},
      {"a)(b", "'a') ('b'"},
      {"\\$\\(\\)\\*\\+\\.\\?\\[\\\\\\]\\^\\{", "'$' '(' ')' '*' '+' '.' '?' '[' '\\' ']' '^' '{'"},
      {"\\s\\d\\w\\a\\x", "[\\x09\\x20] [0-9] [0-9A-Z_a-z] [A-Za-z] [0-9A-Fa-f]"},
      {"\\t\\n\\r", "[\\x09] [\\x0A] [\\x0D]"},
      {"\\S\\D\\W\\A\\X", "~[\\x09\\x20] ~[0-9] ~[0-9A-Z_a-z] ~[A-Za-z] ~[0-9A-Fa-f]"},
      {"\\T\\N\\R\\0", "~[\\x09] FULL FULL ~[\\x00]"},
      {"[^0-9]", "~[0-9]"},
      {"[^]", "FULL"},
      {"[-a]", "[-Aa]"},
      {"[a-]", "[-Aa]"},
      {"[0-4B-F]", "[0-4B-Fb-f]"},
      {"[\\dT]+", "[0-9Tt]{1,*}"},
      {"[\\-\\q]", "[-q]"},  // an escape without a set adds the character itself
      {"[\\t\\]\\^]", "[\\x09]^]"},
      {"[\\D]", "~[0-9]"},
      {"[\\a-z]", "[A-Za-z]"},  // the range runs from the escape letter: a-z
      {"[-\\s]", "[\\x09\\x20-]"},
      {"[ab]{2,3}", "[ABab]{2,3}"},
  };
  for (const TCase& c : cases) EXPECT_EQ(Compiled(c.pattern), c.segments) << c.pattern;
}

TEST(RegExCompile, CaseSensitiveClassesAreNotFolded) {
  EXPECT_EQ(Compiled("[a-cX]", false), "[Xa-c]");
  EXPECT_EQ(Compiled("[a-cX]", true), "[A-CXa-cx]");
}

TEST(RegExCompile, ChainIsLinked) {
  TRegExSegmentBuilder builder("a(b)c", true);
  ASSERT_EQ(builder.SegmentCount(), 3);
  const TRegExSegmentDuo* s0 = builder.GetSegment(0);
  const TRegExSegmentDuo* s1 = builder.GetSegment(1);
  const TRegExSegmentDuo* s2 = builder.GetSegment(2);
  EXPECT_EQ(s0->index, 0);
  EXPECT_EQ(s2->index, 2);
  EXPECT_EQ(s0->prev, nullptr);
  EXPECT_EQ(s0->next, s1);
  EXPECT_EQ(s1->prev, s0);
  EXPECT_EQ(s1->next, s2);
  EXPECT_EQ(s2->next, nullptr);
  EXPECT_EQ(builder.GetSegment(3), nullptr);
  EXPECT_EQ(builder.GetSegment(-1), nullptr);
  EXPECT_EQ(s1->matchStart, -1);
  EXPECT_EQ(s1->matchEnd, -1);
}

TEST(RegExCompile, ErrorMessages) {
  struct TCase {
    const char* pattern;
    const char* message;
  };
  const TCase cases[] = {
      {"\\d{3,2}", "RegExSegment: Misordered quantifier range {3,2}"},
      {"a{10,9}", "RegExSegment: Misordered quantifier range {10,9}"},
      {"[a-", "RegExSegment: Character class has no ending bracket"},
      {"[", "RegExSegment: Character class has no ending bracket"},
      {"[ab\\", "RegExSegment: Character class has no ending bracket"},
      {"[z-a]", "RegExSegment: Character class range out of order"},
      {"\\d{a}", "RegExSegment: Invalid placement of quantifier \"{\""},
      {".{", "RegExSegment: Invalid placement of quantifier \"{\""},
      {"*a", "RegExSegment: Invalid placement of quantifier \"*\""},
      {"a(+)", "RegExSegment: Invalid placement of quantifier \"+\""},
      {"(a)?", "RegExSegment: Invalid placement of quantifier \"?\""},
      {"a.*{2}", "RegExSegment: Invalid placement of quantifier \"{\""},
      {"(a", "RegExSegment: Unbalanced capture groups (1)"},
      {"a)", "RegExSegment: Unbalanced capture groups (-1)"},
      {"(a)(b", "RegExSegment: Unbalanced capture groups (1)"},
      {"()", "RegExSegment: Invalid pattern: \"()\""},
      {"a$b", "RegExSegment: Invalid pattern: \"a$b\""},
      {"a^", "RegExSegment: Invalid pattern: \"a^\""},
      {"^", "RegExSegment: Invalid pattern: \"^\""},
      {"$", "RegExSegment: Invalid pattern: \"$\""},
      {"a]", "RegExSegment: Invalid pattern: \"a]\""},
      {"[]", "RegExSegment: Invalid pattern: \"[]\""},
      {"((a))", "RegExSegment: Invalid pattern: \"((a))\""},
      {"\\q", "RegExSegment: Invalid pattern: \"\\q\""},
      {"\\-", "RegExSegment: Invalid pattern: \"\\-\""},
      {"\\}", "RegExSegment: Invalid pattern: \"\\}\""},
      {"a\\", "RegExSegment: Invalid pattern: \"a\\\""},
      {"%s%d", "(compiled)"},  // format characters in a pattern are only text
  };
  for (const TCase& c : cases) EXPECT_EQ(CompileError(c.pattern), c.message) << c.pattern;
}

TEST(RegExCompile, FailedPatternKeepsThePreviousOne) {
  TRegExSimple engine("", true);
  engine.SetPattern("ab");
  EXPECT_THROW(engine.SetPattern("(ab"), ERegEx);
  EXPECT_EQ(engine.Pattern(), "ab");
  EXPECT_EQ(engine.Match("xab"), 2);
  // The failed pattern is not remembered as current, so setting it again still fails.
  EXPECT_THROW(engine.SetPattern("(ab"), ERegEx);
}

TEST(RegExCompile, SamePatternIsNotRecompiled) {
  TRegExSimple engine("", true);
  engine.SetPattern("a\\d");
  const TRegExSegmentDuo* before = engine.Builder().GetSegment(0);
  engine.SetPattern("a\\d");
  EXPECT_EQ(engine.Builder().GetSegment(0), before);
  engine.SetPattern("A\\d");  // the comparison is exact
  EXPECT_EQ(engine.Pattern(), "A\\d");
}

struct TMatchCase {
  const char* pattern;
  std::string subject;
  std::int32_t position;
  const char* matched;
  std::vector<std::string> captures;
};

void CheckMatches(std::initializer_list<TMatchCase> cases, bool caseInsensitive) {
  for (const TMatchCase& c : cases) {
    TRegExSimple engine("", caseInsensitive);
    engine.SetPattern(c.pattern);
    std::string matched = "stale";
    EXPECT_EQ(engine.Match(c.subject, &matched), c.position) << c.pattern << " on " << c.subject;
    EXPECT_EQ(matched, c.matched) << c.pattern << " on " << c.subject;
    std::vector<std::string> captures;
    for (std::int32_t i = 0; i < engine.CaptureCount(); ++i) captures.push_back(engine.GetCapture(i));
    EXPECT_EQ(captures, c.captures) << c.pattern << " on " << c.subject;
  }
}

TEST(RegExMatch, GreedySearchWithoutBacktracking) {
  CheckMatches(
      {
          {"ab*", "a", 1, "a", {}},
          {"(M)([MZ])", "xmz", 2, "mz", {"m", "z"}},
          {"\\d*", "ab12", 3, "12", {}},  // a leading set floats even when it may be empty
          {"a.*b", "axb", -1, "", {}},    // .* takes the b and never gives it back
          {"\\d+1", "1231", -1, "", {}},
          {"OCZ-VERTEX$", "OCZ-VERTEX4", -1, "", {}},
          {"OCZ-VERTEX$", "OCZ-VERTEX", 1, "OCZ-VERTEX", {}},
          {"(\\d{2,3})", "12345", 1, "123", {"123"}},
          {"(a)(\\w?)(\\d)", "a1", -1, "", {}},  // \w? takes the 1
          {"abc", "ababc", 3, "abc", {}},        // restart after a partial literal
          {"a\\d", "ab a1", 4, "a1", {}},
          {"aa\\d", "aaa1", 2, "aa1", {}},     // restart one past the last start, not past the match
          {"ab\\d", "xabab1", 4, "ab1", {}},
          {"b+$", "abb", 2, "bb", {}},
          {"x{a}", "zX{A}", 2, "X{A}", {}},
          {"[0-4B-F]", "zd", 2, "d", {}},
          {"[-a]", "x-", 2, "-", {}},
          {"[a-]", "-", 1, "-", {}},
          {"^abc", "xabc", -1, "", {}},
          {"^abc", "ABCD", 1, "ABC", {}},
          {"^\\d+", "a1", -1, "", {}},  // an anchored set does not float
          {"\\S+", "  ab ", 3, "ab", {}},
          {".", "\n\r", -1, "", {}},
          {"a.b", "a\nb", -1, "", {}},
          {"\\W", "ab\xB5", 3, "\xB5", {}},
          {"[^a]", "a\xFF", 2, "\xFF", {}},
          {"a{2}", "aaa", 1, "aa", {}},
          {"a{0}b", "b", 1, "b", {}},
      },
      true);
}

TEST(RegExMatch, EmptyPatternOrSubjectNeverMatches) {
  CheckMatches(
      {
          {"", "abc", -1, "", {}},
          {"\\d*", "", -1, "", {}},
          {"a*", "", -1, "", {}},
      },
      true);
}

TEST(RegExMatch, FloatingSetMayEndEmptyAtTheEnd) {
  // Nothing in the set: the first segment skips to the end and takes nothing there.
  CheckMatches({{"\\d*", "ab", 3, "", {}}, {"\\d*x", "ab", -1, "", {}}}, true);
}

TEST(RegExMatch, CaseSensitiveEngine) {
  CheckMatches(
      {
          {"ABC", "abc", -1, "", {}},
          {"ABC", "xABC", 2, "ABC", {}},
          {"a", "A", -1, "", {}},
      },
      false);
}

TEST(RegExMatch, Captures) {
  CheckMatches(
      {
          {"(ab[cd])e", "xabde", 2, "abde", {"abd"}},  // one group over two segments
          {"(x?)b", "b", 1, "b", {""}},                // an empty capture
          {"a)(b", "ab", 1, "ab", {}},                 // no group closes after an open
          {"(\\d+)-(\\a+)", "v 12-ab", 3, "12-ab", {"12", "ab"}},
          {"MZ7PA(\\d+)H\\a{3}", "SAMSUNG MZ7PA256HMDR", 9, "MZ7PA256HMDR", {"256"}},
      },
      true);
}

TEST(RegExMatch, EndPositionIsTheLastMatchedCharacter) {
  TRegExSimple engine("", true);
  engine.SetPattern("ab");
  std::int32_t end = 0;
  EXPECT_EQ(engine.Match("xaby", nullptr, &end), 2);
  EXPECT_EQ(end, 3);
  EXPECT_TRUE(engine.IsMatch("AB"));
  EXPECT_FALSE(engine.IsMatch("a b"));
}

TEST(RegExMatch, CaptureIndexOutOfBounds) {
  TRegExSimple engine("", true);
  engine.SetPattern("(a)");
  ASSERT_EQ(engine.Match("a"), 1);
  ASSERT_EQ(engine.CaptureCount(), 1);
  const auto message = [&](std::int32_t index) {
    try {
      engine.GetCapture(index);
    } catch (const ERegEx& error) {
      return std::string(error.what());
    }
    return std::string("(no error)");
  };
  EXPECT_EQ(message(-1), "RegEx: Capture index out of bounds (-1)");
  EXPECT_EQ(message(1), "RegEx: Capture index out of bounds (1)");
  EXPECT_EQ(engine.Match("b"), -1);  // a failed match leaves no captures
  EXPECT_EQ(engine.CaptureCount(), 0);
  EXPECT_EQ(message(0), "RegEx: Capture index out of bounds (0)");
}

TEST(RegExMatch, SegmentWithoutTextOrSetRefusesToMatch) {
  TRegExSegmentBuilder builder("", true);
  TRegExSegmentDuo segment(builder, 0, nullptr);
  try {
    segment.Match("abc", 0);
    FAIL() << "matched an empty segment";
  } catch (const ERegEx& error) {
    EXPECT_STREQ(error.what(), "RegExSegment: 無效的模式段");
  }
}

TEST(RegExMatch, LongSubjectsStayLinear) {
  const std::string many(200000, 'a');
  TRegExSimple engine("", true);
  engine.SetPattern("a+b");
  EXPECT_EQ(engine.Match(many), -1);
  engine.SetPattern("ab");
  EXPECT_EQ(engine.Match(many + "b"), 200000);
}

// Random patterns over the engine's special characters either compile or raise
// ERegEx, and whatever compiles matches random subjects without fault.
TEST(RegExMatch, RandomPatternsNeverFault) {
  const std::string alphabet = "ab1.^$()[]\\{}*+?,-dDsSqz0";
  std::mt19937 random(12345);
  TRegExSimple engine("", true);
  for (int round = 0; round < 20000; ++round) {
    std::string pattern;
    const int patternLength = static_cast<int>(random() % 10);
    for (int i = 0; i < patternLength; ++i) pattern += alphabet[random() % alphabet.size()];
    std::string subject;
    const int subjectLength = static_cast<int>(random() % 8);
    for (int i = 0; i < subjectLength; ++i) subject += static_cast<char>(random() % 256);
    try {
      engine.SetPattern(pattern);
    } catch (const ERegEx&) {
      continue;
    }
    std::string matched;
    std::int32_t end = -1;
    const std::int32_t position = engine.Match(subject, &matched, &end);
    if (position > 0) {
      ASSERT_LE(position - 1 + static_cast<std::int32_t>(matched.size()), static_cast<std::int32_t>(subject.size()));
      ASSERT_EQ(end, position - 1 + static_cast<std::int32_t>(matched.size()));
    } else {
      ASSERT_EQ(position, -1);
      ASSERT_EQ(engine.CaptureCount(), 0);
    }
  }
}

}  // namespace
}  // namespace vexa
