// Command-line options (fallbacks, "/" form, repeats, hostile tokens) and the
// second window's command line.
#include "shell/CommandLine.h"

#include <gtest/gtest.h>

#include "shell/EasyConfig.h"
#include "shell/FakeCommandLineHost.h"

namespace vexa {
namespace {

using test::TFakeWindow;

constexpr TKnownTableSizes kSizes{34, 302, 6};

TEST(CommandLine, OptionsAndFallbacks) {
  struct TCase {
    const char* line;
    int page, device;
  };
  for (const TCase& c : {TCase{"vexa.exe -page 2", 2, 0}, TCase{"vexa.exe /PAGE 2", 2, 0},
                         TCase{"vexa.exe -page x", 1, 0}, TCase{"vexa.exe -page", 1, 0},
                         TCase{"vexa.exe -page -3", 0, 0}, TCase{"vexa.exe -device 3", 0, 2},
                         TCase{"vexa.exe -device 0", 0, 0}, TCase{"vexa.exe -device -2147483648", 0, 0},
                         TCase{"vexa.exe -device 99999999999999", 0, 0}, TCase{"vexa.exe -device \"\"", 0, 0},
                         TCase{"vexa.exe -page 1 -page 4 bogus -nothing", 4, 0},
                         TCase{"\"C:\\My Apps\\vexa.exe\" \"-page\" 3 \"", 3, 0}, TCase{"", 0, 0},
                         TCase{"vexa.exe \"\"\"\" -device 2", 0, 1}}) {
    TFakeWindow window;
    ApplyCommandLine(c.line, window, kSizes);
    EXPECT_EQ(window.settings.pageIndex->Value(), c.page) << c.line;
    EXPECT_EQ(window.settings.deviceIndex->Value(), c.device) << c.line;
  }
}

TEST(CommandLine, SizePositionDebugAndDbinfo) {
  TFakeWindow window;
  ApplyCommandLine("vexa.exe -pos x 20 -debug -dbinfo -size 800", window, kSizes);
  EXPECT_EQ(window.clientWidth, 800);
  EXPECT_EQ(window.clientHeight, 406);  // no height: the current one stays
  EXPECT_EQ(window.settings.windowWidth->Value(), 816);
  EXPECT_EQ(window.settings.windowHeight->Value(), 445);
  EXPECT_TRUE(window.settings.windowWidth->modified);
  EXPECT_EQ(window.settings.windowLeft->Value(), 100);
  EXPECT_EQ(window.settings.windowTop->Value(), 20);
  EXPECT_EQ(window.debugPages, 1);
  EXPECT_EQ(window.caption, "(34,302,6) Vexa 16.09.09 beta");

  // An option's arguments are the next tokens, whatever they are.
  TFakeWindow swallowed;
  ApplyCommandLine("vexa.exe -size 800 -pos 5 6", swallowed, kSizes);
  EXPECT_EQ(swallowed.settings.windowLeft->Value(), 744);
  EXPECT_EQ(swallowed.clientHeight, 406);
}

TEST(CommandLine, SecondWindow) {
  const TSecondWindowCommand command =
      BuildSecondWindowCommand("\"C:\\Program Files\\Vexa\\vexa.exe\" -pos 10 10 -page 2 \"two words\" -POS 1 2", 300,
                               200, 23, 3);
  EXPECT_EQ(command.program, "C:\\Program Files\\Vexa\\vexa.exe");
  // "-pos" is matched exactly (case-sensitive), so -POS and its numbers pass through.
  EXPECT_EQ(command.parameters, " -page 2 \"two words\" -POS 1 2 -pos 326 226");
  EXPECT_EQ(BuildSecondWindowCommand("vexa.exe -pos", 0, 0, 1, 1).parameters, " -pos 2 2");
  // An empty argument stays an argument: "-page \"\" 3" must not become "-page 3".
  EXPECT_EQ(BuildSecondWindowCommand("vexa.exe -page \"\" 3", 0, 0, 0, 0).parameters, " -page \"\" 3 -pos 0 0");
  // Control characters at a token's start would be skipped as blanks.
  EXPECT_EQ(BuildSecondWindowCommand("vexa.exe \"\x02\"", 0, 0, 0, 0).parameters, " \"\x02\" -pos 0 0");
}

TEST(CommandLine, HistoryFileName) {
  struct TCase {
    const char* line;
    const char* settings;
    const char* history;
  };
  for (const TCase& c : {
           TCase{"vexa.exe", "C:\\Tools\\vexa.ini", "C:\\Tools\\vexa.history"},
           TCase{"vexa.exe", "C:\\v1.2\\vexa", "C:\\v1.2\\vexa.history"},  // a dot in a folder only
           TCase{"vexa.exe -replay m.machine", "C:\\vexa.ini", ""},               // a recorded machine keeps none
           TCase{"vexa.exe /REPLAY", "C:\\vexa.ini", ""},
           TCase{"vexa.exe -replay m.machine -history h.txt", "C:\\vexa.ini", "h.txt"},
           TCase{"vexa.exe /History \"D:\\my files\\h\" -history x", "C:\\vexa.ini", "x"},  // the last wins
           TCase{"vexa.exe -history", "C:\\vexa.ini", ""},                       // no file: none
       }) {
    EXPECT_EQ(HistoryFileName(c.line, c.settings), c.history) << c.line;
  }
}

}  // namespace
}  // namespace vexa
