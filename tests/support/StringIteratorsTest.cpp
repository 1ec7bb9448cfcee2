// The command-line tokenizer: quotes, blanks and the counting rules the command
// line reader relies on.
#include "support/StringIterators.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexa {
namespace {

std::vector<std::string> Split(std::string_view line) { return SplitCommandLine(line); }

TEST(StringIteratorSpacedQuotes, SplitsCommandLines) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Split(""), V{});
  EXPECT_EQ(Split("a  b"), (V{"a", "b"}));
  EXPECT_EQ(Split("\"ab\"cd"), (V{"ab", "cd"}));
  EXPECT_EQ(Split("\"C:\\Program Files\\vexa.exe\" -page 3"), (V{"C:\\Program Files\\vexa.exe", "-page", "3"}));
  EXPECT_EQ(Split(" x"), (V{"", "x"}));               // a leading blank gives an empty first token
  EXPECT_EQ(Split("a \"b c"), (V{"a", "b c"}));       // an unterminated quote takes the rest
  EXPECT_EQ(Split("ab\"cd\" e"), (V{"ab\"cd\"", "e"}));  // quotes inside a token stay
  EXPECT_EQ(Split("a\t\tb"), (V{"a\t\tb"}));          // only the space separates...
  EXPECT_EQ(Split("a \t b"), (V{"a", "b"}));          // ...but control characters after it are skipped
  EXPECT_EQ(Split("\"\" x"), (V{"", "x"}));
  EXPECT_EQ(Split("\""), (V{""}));
}

TEST(StringIteratorSpacedQuotes, CountKeepsThePosition) {
  TStringIteratorSpacedQuotes iterator("prog -page 2 \"\" x");
  std::string token;
  iterator.Next(token);
  EXPECT_EQ(iterator.Count(), 4);  // the empty quoted token is not counted
  iterator.Next(token);
  EXPECT_EQ(token, "-page");
  EXPECT_EQ(TStringIteratorSpacedQuotes("").Remaining(), 0);
}

}  // namespace
}  // namespace vexa
