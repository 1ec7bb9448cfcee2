// The Partitions page's window: the volume list on top (with the volumes' shell
// icons), a splitter, and the partition list below with the shared images.
// TPartitionsTab decides every line, image, key and selection; this class places
// them, fetches the icons and opens a volume's folder with the shell.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>

#include "support/win32/NvListView.h"
#include "views/PartitionsTab.h"

namespace vexa {

class TPartitionsPage : public TPartitionsTab {
public:
  explicit TPartitionsPage(std::unique_ptr<TSheet> sheet);
  ~TPartitionsPage() override;

  const TNvListView& VolumeList() const { return *volumeList; }
  const TNvListView& PartitionList() const { return *partitionList; }

protected:
  void ModelChanged() override;
  void DropVolumeIcons() override;
  std::int32_t AddVolumeIcon(const std::string& rootPath) override;

private:
  std::optional<LRESULT> SheetMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void LayOut();
  void Fill();
  void OpenVolume();
  bool VolumeKey(UINT key);
  bool PartitionKey(UINT key);
  void FollowPartition(int item);

  HWND sheetWindow = nullptr;
  HIMAGELIST volumeIcons = nullptr;
  std::unique_ptr<TNvListView> volumeList;
  std::unique_ptr<TNvSplitter> splitter;
  std::unique_ptr<TNvListView> partitionList;
  int volumeListHeight = 0;
  bool filling = false;
};

}  // namespace vexa
