// The balloon tool tip's window and tool requests: its style and size limits, the
// delays kept to 15 bits, tools registered with the text-callback marker and their
// value, the text answer, and the icon handle destroyed after the title.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "support/win32/BalloonTooltip.h"

namespace vexa {
namespace {

class BalloonTooltipTest : public ::testing::Test {
protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    // Wine without a display cannot make windows at all.
    if (!owner) GTEST_FAIL() << "no windows in this session: run it through ctest, which gives it a virtual display";
    tool = CreateWindowExW(0, L"STATIC", L"tool", WS_CHILD, 0, 0, 50, 20, owner, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
    tip = std::make_unique<TBalloonTooltip>(owner, true);
    if (!tip->Handle()) GTEST_FAIL() << "no tool-tip window in this session";
  }
  void TearDown() override {
    tip.reset();
    if (owner) DestroyWindow(owner);
  }

  TTTOOLINFOW QueryTool() {
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    wchar_t buffer[80] = {};
    info.lpszText = buffer;
    found = SendMessageW(tip->Handle(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
    return info;
  }

  HWND owner = nullptr;
  HWND tool = nullptr;
  bool found = false;
  std::unique_ptr<TBalloonTooltip> tip;
};

TEST_F(BalloonTooltipTest, WindowStyleAndLimits) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(tip->Handle(), GWL_STYLE));
  EXPECT_TRUE(style & TTS_BALLOON);
  EXPECT_TRUE(style & TTS_ALWAYSTIP);
  EXPECT_TRUE(style & TTS_NOPREFIX);
  EXPECT_TRUE(GetWindowLongPtrW(tip->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(SendMessageW(tip->Handle(), TTM_GETMAXTIPWIDTH, 0, 0), 300);

  TBalloonTooltip plain(owner, false);
  ASSERT_NE(plain.Handle(), nullptr);
  EXPECT_FALSE(GetWindowLongPtrW(plain.Handle(), GWL_STYLE) & TTS_BALLOON);
}

TEST_F(BalloonTooltipTest, DelaysAreKeptTo15Bits) {
  tip->SetDelayTime(TTDT_INITIAL, TBalloonTooltip::kInitialDelay);
  tip->SetDelayTime(TTDT_AUTOPOP, TBalloonTooltip::kAutoPopDelay);
  tip->SetDelayTime(TTDT_RESHOW, TBalloonTooltip::kReshowDelay);
  EXPECT_EQ(SendMessageW(tip->Handle(), TTM_GETDELAYTIME, TTDT_INITIAL, 0), 250);
  EXPECT_EQ(SendMessageW(tip->Handle(), TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 32767);
  EXPECT_EQ(SendMessageW(tip->Handle(), TTM_GETDELAYTIME, TTDT_RESHOW, 0), 20);
  tip->SetDelayTime(TTDT_AUTOPOP, 40000);  // 0x9C40: the 16th bit goes
  EXPECT_EQ(SendMessageW(tip->Handle(), TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 40000 & 0x7FFF);
}

TEST_F(BalloonTooltipTest, ToolsAskForTheirTextAndCarryTheirValue) {
  TTooltipHost& host = *tip;
  host.AddTool(reinterpret_cast<std::uintptr_t>(tool), (3u << 16) | 7u, TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT);
  EXPECT_EQ(SendMessageW(tip->Handle(), TTM_GETTOOLCOUNT, 0, 0), 1);
  const TTTOOLINFOW info = QueryTool();
  ASSERT_TRUE(found);
  EXPECT_EQ(info.lpszText, LPSTR_TEXTCALLBACKW);
  EXPECT_EQ(info.lParam, static_cast<LPARAM>((3u << 16) | 7u));
  EXPECT_TRUE(info.uFlags & TTF_IDISHWND);

  host.DeleteTool(reinterpret_cast<std::uintptr_t>(tool));
  EXPECT_EQ(SendMessageW(tip->Handle(), TTM_GETTOOLCOUNT, 0, 0), 0);
}

TEST_F(BalloonTooltipTest, TextRequestGetsTheContentAndTheIconGoes) {
  NMTTDISPINFOW request{};
  request.hdr.hwndFrom = tip->Handle();
  request.hdr.code = TTN_GETDISPINFOW;
  EXPECT_TRUE(tip->IsTextRequest(request.hdr));
  request.hdr.code = TTN_SHOW;
  EXPECT_FALSE(tip->IsTextRequest(request.hdr));

  const BYTE andMask[32 * 4] = {};
  const BYTE xorMask[32 * 4] = {};
  HICON icon = CreateIcon(GetModuleHandleW(nullptr), 32, 32, 1, 1, andMask, xorMask);
  ASSERT_NE(icon, nullptr);
  TTooltipContent content{"列舉裝置 (2)", "您系統上發現的所有裝置.", reinterpret_cast<std::uintptr_t>(icon)};
  tip->AnswerTextRequest(request, &content);
  ASSERT_NE(request.lpszText, nullptr);
  EXPECT_EQ(std::wstring(request.lpszText), L"您系統上發現的所有裝置.");
  EXPECT_EQ(tip->title, "列舉裝置 (2)");
  EXPECT_EQ(tip->icon, static_cast<std::uintptr_t>(TTI_INFO));
  EXPECT_FALSE(DestroyIcon(icon));  // already destroyed

  tip->AnswerTextRequest(request, nullptr);
  EXPECT_EQ(std::wstring(request.lpszText), L"");
  EXPECT_EQ(tip->title, "");
}

TEST_F(BalloonTooltipTest, StandardIconsAreNotDestroyed) {
  tip->title = "title";
  tip->icon = TTI_WARNING;
  tip->ApplyTitle(true);  // no handle: nothing to destroy, no failure
  EXPECT_EQ(tip->icon, static_cast<std::uintptr_t>(TTI_INFO));
  tip->icon = TTI_ERROR;
  tip->ApplyTitle(false);
  EXPECT_EQ(tip->icon, static_cast<std::uintptr_t>(TTI_ERROR));
}

}  // namespace
}  // namespace vexa
