// The clipboard object against the real clipboard: text in and out (Chinese
// included), a dropped-file list read back as lines, text preferred over a file
// list, and nothing when neither is offered.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/ClipboardData.h"
#include "support/win32/ClipboardSimple.h"

namespace vexa {
namespace {

class ClipboardSimpleTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!OpenClipboard(nullptr)) GTEST_FAIL() << "no clipboard in this session";
    EmptyClipboard();
    CloseClipboard();
  }
  TClipboardSimple clipboard;
};

TEST_F(ClipboardSimpleTest, TextRoundTrip) {
  for (const std::string text : {"屬性說明: 溫度", "ID: C2\r\n第二行", "x"}) {
    ASSERT_TRUE(clipboard.SetText(text));
    EXPECT_EQ(clipboard.GetText(), text);
  }
}

TEST_F(ClipboardSimpleTest, OtherProgramsSeeTheText) {
  ASSERT_TRUE(clipboard.SetText("溫度 45 °C"));
  ASSERT_TRUE(OpenClipboard(nullptr));
  const auto data = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::wstring(data), L"溫度 45 °C");
  GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
  CloseClipboard();
}

TEST_F(ClipboardSimpleTest, FileListBecomesLines) {
  const auto block = BuildDropFiles({"C:\\vexa.ini", "C:\\日誌\\VEXA.log"});
  ASSERT_TRUE(clipboard.SetData(CF_HDROP, block.data(), block.size()));
  EXPECT_EQ(clipboard.GetText(), "C:\\vexa.ini\r\nC:\\日誌\\VEXA.log");
}

TEST_F(ClipboardSimpleTest, TextIsPreferredOverFiles) {
  const auto files = BuildDropFiles({"C:\\a"});
  const auto text = UnicodeTextBlock("text");
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  for (const auto& [format, bytes] : {std::pair{CF_HDROP, files}, std::pair{CF_UNICODETEXT, text}}) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    SetClipboardData(format, memory);
  }
  CloseClipboard();
  EXPECT_EQ(clipboard.GetText(), "text");
}

TEST_F(ClipboardSimpleTest, NothingOffered) {
  EXPECT_EQ(clipboard.GetText(), "");
  const char bytes[] = {1, 2, 3};
  ASSERT_TRUE(clipboard.SetData(CF_PRIVATEFIRST, bytes, sizeof bytes));
  EXPECT_EQ(clipboard.GetText(), "");
}

TEST_F(ClipboardSimpleTest, EmptyTextIsStillText) {
  ASSERT_TRUE(clipboard.SetText(""));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_EQ(clipboard.GetText(), "");
}

}  // namespace
}  // namespace vexa
