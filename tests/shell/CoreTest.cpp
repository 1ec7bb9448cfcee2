// The core's TRIM facts (OS version and registry value) and its device index,
// clamped to the device list.
#include "shell/Core.h"

#include <gtest/gtest.h>

#include "platform/ReplayMachine.h"
#include "shell/EasyConfig.h"
#include "shell/MainSettings.h"
#include "support/Format.h"

namespace vexa {
namespace {

std::unique_ptr<ReplayMachine> MachineWith(std::string_view version, std::string_view trimLine) {
  const std::string text = Format("vexa-machine 1\n[os]\nversion %s\n%s\n", version, trimLine);
  return std::make_unique<ReplayMachine>(ParseMachineFile(text, "test.machine"));
}

TEST(VexaCore, TrimFacts) {
  struct TCase {
    const char* version;
    const char* trim;
    bool supports, enabled;
  };
  for (const TCase& c : {TCase{"6.0.6002", "disable-delete-notification 0", false, false},
                         TCase{"6.1.7601", "disable-delete-notification 0", true, true},
                         TCase{"10.0.19045", "disable-delete-notification 1", true, false},
                         TCase{"10.0.19045", "disable-delete-notification none", true, false},
                         TCase{"5.1.2600", "disable-delete-notification 0", false, false}}) {
    auto machine = MachineWith(c.version, c.trim);
    TVexaCore core(*machine, "C:\\Vexa\\");
    EXPECT_EQ(core.osSupportsTrim, c.supports) << c.version << " " << c.trim;
    EXPECT_EQ(core.trimEnabled, c.enabled) << c.version << " " << c.trim;
  }
}

class TCountedDevices : public TDeviceSource {
public:
  std::vector<TDeviceInfo*> records;
  int DeviceCount() const override { return static_cast<int>(records.size()); }
  TDeviceInfo* DeviceAt(int index) const override {
    return index >= 0 && index < DeviceCount() ? records[index] : nullptr;
  }
};

TEST(VexaCore, CurrentDeviceIndexIsClampedToTheList) {
  auto machine = MachineWith("10.0.19045", "");
  TEasyConfigIni store("unused.ini");
  const TMainSettings settings = RegisterMainSettings(store, 432, 445, 1920, 1080);
  TVexaCore core(*machine, "");
  TCountedDevices devices;
  core.SetDevices(&devices);
  core.SetDeviceIndexVariable(settings.deviceIndex);
  EXPECT_EQ(core.CurrentDeviceIndex(), -1);
  EXPECT_EQ(core.CurrentDevice(), nullptr);
  settings.deviceIndex->SetValue(core.CurrentDeviceIndex());
  EXPECT_EQ(settings.deviceIndex->Value(), 0);  // its minimum
  int a, b, c;
  devices.records = {reinterpret_cast<TDeviceInfo*>(&a), reinterpret_cast<TDeviceInfo*>(&b),
                     reinterpret_cast<TDeviceInfo*>(&c)};
  settings.deviceIndex->SetValue(7);
  EXPECT_EQ(core.CurrentDeviceIndex(), 2);
  EXPECT_EQ(core.CurrentDevice(), devices.records[2]);
  EXPECT_EQ(settings.windowLeft->Value(), (1920 - 432) / 2);
  EXPECT_EQ(settings.windowTop->Value(), (1080 - 445) / 2);
  EXPECT_EQ(store.Count(), 14);
}

}  // namespace
}  // namespace vexa
