// The 23 named drive properties the Device page shows: value, state (plain,
// good, warning, bad) and description lines. The System module, the SMART page
// and the Partitions page fill them; every change is announced.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vexa {

enum class TStatusState : std::uint8_t { Plain = 0, Good = 1, Warning = 2, Bad = 3 };

struct TStatusProperty {
  std::string name;
  std::string value;
  TStatusState state = TStatusState::Plain;
  std::string alternateName;
  std::string description;
  std::string extraDescription;
};

// The properties' indexes, in the order the Device page shows them.
namespace statusindex {
enum : int {
  kModel = 0,
  kFirmware = 1,
  kSerial = 2,
  kReleaseDate = 3,
  kProcess = 4,
  kCellType = 5,
  kController = 6,
  kFlash = 7,
  kTrim = 8,
  kFeatures = 9,
  kInterface = 10,
  kAtaStandard = 11,
  kSmart = 12,
  kTemperature = 13,
  kPowerOnTime = 14,
  kPowerCycles = 15,
  kCapacity = 16,
  kOverProvisioning = 17,
  kHostWrites = 18,
  kSectorSize = 19,
  kVolumes = 20,
  kPartitions = 21,
  kSpeed = 22,
};
}  // namespace statusindex

class TStatusProperties {
public:
  static constexpr int kCount = 23;
  static constexpr int kFirstDescriptionResource = 256;
  // Loads a string resource; none when it is missing.
  using TResourceLoader = std::function<std::optional<std::string>(int resourceId)>;
  using TChangeEvent = std::function<void(int index)>;

  // Descriptions come from the loader (the program's string resources); without
  // one, from the built-in texts.
  explicit TStatusProperties(const TResourceLoader& loader = {});

  // Index taken modulo 128, as a 7-bit index; indexes past the last entry give an
  // empty entry rather than reading beyond the table.
  const TStatusProperty& Entry(int index) const;
  void Set(int index, std::string_view value, TStatusState state);
  void AppendDescription(int index, std::string_view line);
  void Clear();

  TChangeEvent onChange;

private:
  std::array<TStatusProperty, kCount> entries;
};

// The built-in description of entry index (lines joined by CR LF).
std::string_view StatusPropertyDescription(int index);
std::string_view StatusPropertyName(int index);

}  // namespace vexa
