// The Partitions page's controls: two lists split by a bar the user can drag,
// refilled from the model on every device change.
#include "views/win32/PartitionsPage.h"

#include <shellapi.h>

#include <algorithm>

#include "shell/App.h"
#include "shell/Core.h"
#include "shell/win32/PageScale.h"
#include "shell/win32/Sheet.h"
#include "support/win32/WideText.h"
#include "views/win32/PageSupport.h"

namespace vexa {

namespace {

TShiftState ShiftState() {
  const TNvShiftState held = KeyShiftState();
  return {held.shift, held.ctrl, held.alt};
}

}  // namespace

TPartitionsPage::TPartitionsPage(std::unique_ptr<TSheet> sheet) : TPartitionsTab(std::move(sheet)) {
  sheetWindow = SheetWindow(Sheet());
  volumeIcons = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                 ILC_COLOR32 | ILC_MASK, 4, 4);
  ImageList_SetBkColor(volumeIcons, GetSysColor(COLOR_WINDOW));
  volumeListHeight = PageScale(kVolumeListHeight);

  volumeList = std::make_unique<TNvListView>(sheetWindow, false);
  volumeList->SetSmallImages(volumeIcons);
  volumeList->AddColumns(VolumeListColumns, static_cast<int>(kVolumeColumnCount) - 1, PagePixelsPerInch());
  volumeList->onDoubleClick = [this] { OpenVolume(); };
  volumeList->onKeyDown = [this](UINT key) { return VolumeKey(key); };

  partitionList = std::make_unique<TNvListView>(sheetWindow, false);
  partitionList->SetSmallImages(SharedImages());
  partitionList->AddColumns(PartitionListColumns, static_cast<int>(kPartitionColumnCount) - 1, PagePixelsPerInch());
  partitionList->onKeyDown = [this](UINT key) { return PartitionKey(key); };
  partitionList->onSelectItem = [this](int item, bool selected) {
    if (selected && !filling) FollowPartition(item);
  };

  splitter = std::make_unique<TNvSplitter>(sheetWindow, 1);
  splitter->currentHeight = [this] { return volumeListHeight; };
  splitter->onMoved = [this](int height) {
    volumeListHeight = height;
    LayOut();
  };

  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet()))
    win32->SetHandler([this](UINT message, WPARAM wParam, LPARAM lParam) {
      return SheetMessage(message, wParam, lParam);
    });
  LayOut();
  // The module's catch-up scanned before the icon list existed: scan again for the
  // icons, then show what the model holds.
  if (App().core && App().core->started) RescanVolumes();
  Fill();
}

TPartitionsPage::~TPartitionsPage() {
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet())) win32->SetHandler(nullptr);
  // The lists go first (they share the icon list, they do not own it).
  volumeList.reset();
  partitionList.reset();
  if (volumeIcons) ImageList_Destroy(volumeIcons);
}

std::optional<LRESULT> TPartitionsPage::SheetMessage(UINT message, WPARAM, LPARAM) {
  if (message == WM_SIZE) LayOut();
  return std::nullopt;
}

// Top to bottom: the volume list at its height, the 3-pixel splitter, the
// partition list in the rest.
void TPartitionsPage::LayOut() {
  if (!sheetWindow || !volumeList || !partitionList || !splitter) return;
  RECT client;
  GetClientRect(sheetWindow, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const int bar = PageScale(kPartitionsSplitterHeight);
  const int top = std::clamp(volumeListHeight, 0, std::max(height - bar, 0));
  volumeList->SetBounds(0, 0, width, top);
  splitter->SetBounds(0, top, width, bar);
  partitionList->SetBounds(0, top + bar, width, height - top - bar);
}

void TPartitionsPage::ModelChanged() {
  if (volumeList && partitionList) Fill();
}

void TPartitionsPage::DropVolumeIcons() {
  if (volumeIcons) ImageList_RemoveAll(volumeIcons);
}

std::int32_t TPartitionsPage::AddVolumeIcon(const std::string& rootPath) {
  if (!volumeIcons) return -1;
  SHFILEINFOW info{};
  if (!SHGetFileInfoW(Wide(rootPath).c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) || !info.hIcon)
    return -1;
  const int index = ImageList_AddIcon(volumeIcons, info.hIcon);
  DestroyIcon(info.hIcon);
  return index;
}

void TPartitionsPage::Fill() {
  const TPartitionsModel& model = Model();
  filling = true;

  volumeList->BeginUpdate();
  volumeList->Clear();
  for (const TVolumeRow& row : model.VolumeRows()) {
    // The icon of the volume's record: the records may have been scanned again
    // (with icons) since the rows were made.
    const auto record = static_cast<std::size_t>(row.data);
    const int icon = record < model.Volumes().size() ? model.Volumes()[record].iconIndex : row.imageIndex;
    const int item = volumeList->AddItem(row.caption, icon, row.data);
    for (std::size_t i = 0; i < row.subItems.size(); ++i)
      volumeList->SetSubItem(item, static_cast<int>(i) + 1, row.subItems[i]);
  }
  volumeList->Focus(model.FocusedVolumeRow());
  volumeList->EndUpdate();

  partitionList->BeginUpdate();
  partitionList->Clear();
  for (const TPartitionRow& row : model.PartitionRows()) {
    const int item = partitionList->AddItem(row.caption, row.imageIndex, static_cast<LPARAM>(row.data));
    for (std::size_t i = 0; i < row.subItems.size(); ++i)
      partitionList->SetSubItem(item, static_cast<int>(i) + 1, row.subItems[i]);
  }
  partitionList->Focus(model.FocusedPartitionRow());
  partitionList->EndUpdate();

  filling = false;
}

void TPartitionsPage::OpenVolume() {
  const std::optional<std::string> root = Model().VolumeRootPath(volumeList->SelectedIndex());
  if (!root) return;
  HWND owner = App().core ? reinterpret_cast<HWND>(App().core->mainWindowHandle) : nullptr;
  ShellExecuteW(owner, nullptr, Wide(*root).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool TPartitionsPage::VolumeKey(UINT key) {
  const TListKeyAction action = VolumeListKeyAction(static_cast<std::uint16_t>(key), ShiftState());
  if (action == TListKeyAction::None) return false;
  if (action == TListKeyAction::OpenVolume) OpenVolume();
  if (action == TListKeyAction::Copy) CopyToClipboard(Model().VolumeCopyText(volumeList->SelectedIndex()));
  DropPendingKeys();
  return true;
}

bool TPartitionsPage::PartitionKey(UINT key) {
  if (PartitionListKeyAction(static_cast<std::uint16_t>(key), ShiftState()) != TListKeyAction::Copy) return false;
  CopyToClipboard(Model().PartitionCopyText(partitionList->SelectedIndex()));
  DropPendingKeys();
  return true;
}

void TPartitionsPage::FollowPartition(int item) {
  const int row = Model().VolumeRowForPartition(item);
  if (row >= 0) volumeList->Select(row);
}

}  // namespace vexa
