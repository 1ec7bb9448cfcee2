// The Partitions page as a portable module: it owns the page's model, scans the
// machine's volumes after every device scan, lists the chosen drive's volumes and
// partitions and fills status properties 17, 20 and 21. The Win32 page derives from
// it, keeps the volume icons and renders Model(); vexa-cli and the tests run the
// same module without a window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "shell/Tabs.h"
#include "views/PartitionsModel.h"

namespace vexa {

class TPartitionsTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TPartitionsTab";
  static constexpr bool kNeedsSheet = true;

  // Sets the caption and, once the core has started, catches up: scans the volumes
  // and lists the current device. The catch-up runs before a deriving page exists,
  // so a page that shows volume icons calls RescanVolumes() again at the end of its
  // own constructor, then renders Model().
  explicit TPartitionsTab(std::unique_ptr<TSheet> sheet);
  std::string_view ClassName() const override { return kClassName; }

  void DevicesEnumerated(int count) override;
  // The device's volume lines and partition lines (read through its open handle)
  // and status properties 20, 17 and 21; none empties both lists.
  void DeviceChanged(TDeviceInfo* device) override;

  // Drops the volume records (and, through DropVolumeIcons, the page's icons) and
  // scans the machine's drive letters again.
  void RescanVolumes();

  const TPartitionsModel& Model() const { return model; }

protected:
  // The lists were rebuilt: the page refills both from Model(). Nothing here.
  virtual void ModelChanged() {}
  // A scan begins: the page removes every icon of its volume icon list.
  virtual void DropVolumeIcons() {}
  // The scan kept a volume: the page fetches the small shell icon of its root
  // ("C:\"), adds it to its icon list and answers its index; -1 for none.
  virtual std::int32_t AddVolumeIcon(const std::string& /*rootPath*/) { return -1; }

private:
  TPartitionsModel model;
};

}  // namespace vexa
