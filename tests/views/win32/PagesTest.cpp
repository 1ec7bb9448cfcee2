// The SMART, Partitions and Identify pages on a recorded machine: each control
// shows what its module's model says (rows, cells, images, row height), the user's
// selection reaches the model, and the copy gestures put the model's text on the
// clipboard. Windows need a display: without one these tests skip.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "platform/ReplayMachine.h"
#include "shell/Shared.h"
#include "shell/Tabs.h"
#include "shell/win32/PageControl.h"
#include "support/win32/ClipboardSimple.h"
#include "support/win32/NvControls.h"
#include "views/ConsoleSession.h"
#include "views/win32/IdentifyPage.h"
#include "views/win32/PartitionsPage.h"
#include "views/win32/SmartPage.h"

namespace vexa {
namespace {

std::string SamplePath(const std::string& name) { return std::string(VEXA_SAMPLES_DIR "/") + name; }

class PagesTest : public ::testing::Test {
protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&init);
    parent = CreateWindowExW(0, L"STATIC", L"Vexa", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (!parent) GTEST_FAIL() << "no windows in this session: run it through ctest, which gives it a virtual display";
    const std::string sample = SamplePath("desktop-ssd-hdd.machine");
    if (!std::ifstream(sample)) GTEST_FAIL() << "sample not found: " << sample;
    SetMessageSink([this](std::string_view text, std::uint32_t) {
      messages.emplace_back(text);
      return kAnswerOk;
    });
    pages = std::make_unique<TWin32PageControl>(parent, parent, nullptr);
    pages->Resize(RECT{0, 0, 780, 560});
    images.LoadBitmaps(64);
    SetSharedImages(images.Handle());
    machine = ReplayMachine::FromFile(sample);
    session = std::make_unique<TConsoleSession>(*machine);
    session->Tabs().SetPageHost(pages.get());
    session->Start();
    session->Rescan();
  }
  void TearDown() override {
    session.reset();
    pages.reset();
    SetSharedImages(nullptr);
    SetMessageSink({});
    if (parent) DestroyWindow(parent);
    EXPECT_TRUE(messages.empty()) << messages.front();
  }

  template <typename TPage>
  TPage& Add() {
    auto* page = dynamic_cast<TPage*>(session->Tabs().Add(TabClassOf<TPage>()));
    EXPECT_NE(page, nullptr);
    return *page;
  }

  static int Image(const TNvListView& list, int item) {
    LVITEMW query{};
    query.mask = LVIF_IMAGE;
    query.iItem = item;
    SendMessageW(list.Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return query.iImage;
  }
  static void Notify(const TNvListView& list, UINT code) {
    NMHDR header{list.Handle(), static_cast<UINT_PTR>(GetDlgCtrlID(list.Handle())), code};
    SendMessageW(GetParent(list.Handle()), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  }
  // Ctrl held for the keys sent next.
  static void HoldCtrl(bool held) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = held ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  static std::string Clipboard() { return TClipboardSimple().GetText(); }

  HWND parent = nullptr;
  TNvImageList images;
  std::unique_ptr<TWin32PageControl> pages;
  std::unique_ptr<ReplayMachine> machine;
  std::unique_ptr<TConsoleSession> session;
  std::vector<std::string> messages;
};

TEST_F(PagesTest, SmartListShowsTheModel) {
  TSmartPage& page = Add<TSmartPage>();
  const TNvListView& list = page.List();
  const auto& rows = page.Model().Rows();
  ASSERT_FALSE(rows.empty());
  ASSERT_EQ(list.ItemCount(), static_cast<int>(rows.size()));
  // The model's cells, then the window's own change column.
  EXPECT_EQ(list.ColumnCount(), kSmartColumnCount + 1);
  for (int i = 0; i < list.ItemCount(); ++i) {
    for (int column = 0; column < kSmartColumnCount; ++column)
      EXPECT_EQ(list.ItemText(i, column), rows[i].cells[column]) << "row " << i << " column " << column;
    EXPECT_EQ(list.ItemText(i, kSmartColumnCount), rows[i].change) << "row " << i;
    EXPECT_EQ(Image(list, i), static_cast<int>(rows[i].status));
    EXPECT_EQ(list.ItemData(i), rows[i].id);
  }
  EXPECT_EQ(list.SelectedIndex(), -1);

  // The user's selection is remembered by id across a device change.
  const_cast<TNvListView&>(list).Select(2);
  EXPECT_EQ(page.Model().SelectedId(), rows[2].id);
  const std::uint8_t id = rows[2].id;
  session->Select(1);
  session->Select(0);
  EXPECT_EQ(page.Model().Rows()[list.SelectedIndex()].id, id);

  // Double-click and Ctrl+C copy the model's text.
  Notify(list, NM_DBLCLK);
  EXPECT_EQ(Clipboard(), page.CopyText());
  TClipboardSimple().SetText("");
  HoldCtrl(true);
  SendMessageW(list.Handle(), WM_KEYDOWN, 'C', 0);
  HoldCtrl(false);
  EXPECT_EQ(Clipboard(), page.CopyText());
  EXPECT_FALSE(page.CopyText().empty());
}

TEST_F(PagesTest, SmartCellsFollowTheSettings) {
  TSmartPage& page = Add<TSmartPage>();
  std::string error;
  ASSERT_TRUE(session->Set("tabs.smart.hex_id=1", error)) << error;
  const auto& rows = page.Model().Rows();
  ASSERT_FALSE(rows.empty());
  for (int i = 0; i < page.List().ItemCount(); ++i) EXPECT_EQ(page.List().ItemText(i, 1), rows[i].cells[1]);
  EXPECT_EQ(page.List().ItemText(0, 1).size(), 2u);  // two hexadecimal digits
}

TEST_F(PagesTest, PartitionListsShowTheModelAndFollowPartitions) {
  TPartitionsPage& page = Add<TPartitionsPage>();
  const TPartitionsModel& model = page.Model();
  ASSERT_FALSE(model.VolumeRows().empty());
  ASSERT_FALSE(model.PartitionRows().empty());
  const TNvListView& volumes = page.VolumeList();
  const TNvListView& partitions = page.PartitionList();
  ASSERT_EQ(volumes.ItemCount(), static_cast<int>(model.VolumeRows().size()));
  ASSERT_EQ(partitions.ItemCount(), static_cast<int>(model.PartitionRows().size()));
  EXPECT_EQ(volumes.ColumnCount(), 7);
  EXPECT_EQ(partitions.ColumnCount(), 7);
  for (int i = 0; i < volumes.ItemCount(); ++i) {
    EXPECT_EQ(volumes.ItemText(i), model.VolumeRows()[i].caption);
    for (int s = 0; s < 6; ++s) EXPECT_EQ(volumes.ItemText(i, s + 1), model.VolumeRows()[i].subItems[s]);
  }
  for (int i = 0; i < partitions.ItemCount(); ++i) {
    EXPECT_EQ(partitions.ItemText(i), model.PartitionRows()[i].caption);
    for (int s = 0; s < 6; ++s) EXPECT_EQ(partitions.ItemText(i, s + 1), model.PartitionRows()[i].subItems[s]);
    EXPECT_EQ(Image(partitions, i), model.PartitionRows()[i].imageIndex);
  }

  // Selecting a partition line selects the volume on that partition.
  for (int i = 0; i < partitions.ItemCount(); ++i) {
    const int volume = model.VolumeRowForPartition(i);
    if (volume < 0) continue;
    const_cast<TNvListView&>(volumes).Select(-1);
    const_cast<TNvListView&>(partitions).Select(i);
    EXPECT_EQ(volumes.SelectedIndex(), volume) << "partition line " << i;
  }

  // Ctrl+C on either list copies the model's text of the selected line.
  HoldCtrl(true);
  SendMessageW(partitions.Handle(), WM_KEYDOWN, 'C', 0);
  EXPECT_EQ(Clipboard(), model.PartitionCopyText(partitions.SelectedIndex()));
  SendMessageW(volumes.Handle(), WM_KEYDOWN, 'C', 0);
  EXPECT_EQ(Clipboard(), model.VolumeCopyText(volumes.SelectedIndex()));
  HoldCtrl(false);

  // The lists share the sheet: the volume list on top at its height.
  RECT bounds;
  GetWindowRect(volumes.Handle(), &bounds);
  EXPECT_EQ(bounds.bottom - bounds.top, 120);
}

TEST_F(PagesTest, IdentifyListHasEveryRowAtTheFontsHeight) {
  TIdentifyPage& page = Add<TIdentifyPage>();
  const TNvListBox& list = page.List();
  ASSERT_EQ(list.Count(), static_cast<int>(page.Model().Rows().size()));
  for (int i = 0; i < list.Count(); ++i) ASSERT_EQ(static_cast<std::uint32_t>(list.ItemData(i)), page.Model().Tag(i));
  EXPECT_GT(page.Metrics().rowHeight, 10);
  EXPECT_EQ(SendMessageW(list.Handle(), LB_GETITEMHEIGHT, 0, 0), page.Metrics().rowHeight);
  EXPECT_NE(page.Model().Data(), nullptr);

  const_cast<TNvListBox&>(list).SetSelectedIndex(0);
  SendMessageW(GetParent(list.Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list.Handle()), LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list.Handle()));
  EXPECT_EQ(Clipboard(), page.CopyText(0));
  EXPECT_FALSE(page.CopyText(0).empty());

  // Painting every row runs without a fault.
  UpdateWindow(list.Handle());
  RedrawWindow(list.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

}  // namespace
}  // namespace vexa
