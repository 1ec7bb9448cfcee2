// Reads an arbitrary IDENTIFY block the way a drive's record and the Identify page
// do: every word group's text, the identity strings, counts and flags, then the
// identification of the drive (known-drives tables, model-number decoders). The
// same input is also read as a text dump of words.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "device/IdentifyData.h"
#include "device/IdentifyText.h"
#include "knowledge/KnownDevices.h"
#include "knowledge/decoders/ModelDecoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexa;
  static TKnownDevicesDB knownDrives;
  static auto decoders = CreateModelDecoders();

  TIdentifyData identify;
  identify.Load(std::span<const std::uint8_t>(data, size));
  std::size_t sink = identify.HasData() + identify.ChecksumValid() + identify.ComputeChecksum();
  for (const TIdentifyWordDescriptor& group : IdentifyWordGroups()) {
    sink += identify.FieldText(group).size() + identify.Text(group).size() + identify.HexText(group).size();
    sink += identify.WordValue(group) + identify.DWordValue(group) + identify.QWordValue(group);
    for (const TIdentifyBitField& field : group.BitFields())
      sink += identify.BitField(field.word, field.firstBit, field.bitCount) + field.label.size();
  }
  for (std::size_t word = 0; word <= TIdentifyData::WordCount(); ++word)
    sink += identify.BitField(word, static_cast<unsigned>(word % 17), static_cast<unsigned>(word % 19));
  sink += identify.WwnText().size() + identify.MinorVersionName(identify.Word(81)).size();
  sink += identify.FeatureFlags() + identify.SataGeneration() + identify.NegotiatedSataGeneration();
  sink += identify.AtaMajorVersion() + identify.LogicalSectorsPerPhysical().value_or(0) + identify.FormFactor();
  sink += identify.SataTransportVersion().size();
  sink += identify.Lba28SectorCount() + identify.Lba48SectorCount() + identify.UserSectorCount();

  const std::string model = identify.ModelNumber();
  const std::string firmware = identify.FirmwareRevision();
  sink += identify.SerialNumber().size();
  const TKnownIdentification found = knownDrives.Identify(model, firmware, identify.WorldWideName());
  sink += found.brandIndex + (found.row != nullptr);
  sink += std::string_view(TKnownDevicesDB::BrandName(found.brandIndex)).size();
  for (const auto& decoder : decoders) {
    const int rows = decoder->Decode(model);
    for (int i = -1; i <= rows; ++i) sink += decoder->RowLabel(i).size() + decoder->RowValue(i).size();
  }
  sink += FormatCapacityText(model).size();

  const TIdentifyTextResult parsed = ParseIdentifyText(std::string_view(reinterpret_cast<const char*>(data), size));
  sink += parsed.ok + parsed.error.size();
  volatile std::size_t keep = sink;
  (void)keep;
  return 0;
}
