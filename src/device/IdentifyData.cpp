// Decoding of the IDENTIFY block. Every read goes through Word()/Byte(), which answer
// 0 outside the block, so groups reaching past word 255 and hostile descriptors are
// harmless.
#include "device/IdentifyData.h"

#include <algorithm>
#include <vector>

#include "support/Bytes.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

namespace {

std::vector<TIdentifyWordDescriptor> BuildWordGroups() {
  std::vector<TIdentifyWordDescriptor> groups;
  groups.reserve(IdentifyWordLabels.size());
  const TIdentifyBitField* row = IdentifyBitFields.data();
  for (std::size_t i = 0; i < IdentifyWordLabels.size(); ++i) {
    const TIdentifyWordLabel& label = IdentifyWordLabels[i];
    const unsigned next = i + 1 < IdentifyWordLabels.size() ? IdentifyWordLabels[i + 1].word : 256u;
    TIdentifyWordDescriptor group(label.word, static_cast<std::uint8_t>(next - label.word), label.label);
    // Both tables are sorted by word and the bit-field table ends with word 0xFFFF,
    // so walking them together never runs past the terminator.
    while (row->word < label.word) ++row;
    if (row->word == label.word) {
      group.firstBitField = row;
      while (row->word == label.word) {
        ++group.bitFieldCount;
        ++row;
      }
    }
    groups.push_back(group);
  }
  return groups;
}

}  // namespace

std::span<const TIdentifyWordDescriptor> IdentifyWordGroups() {
  static const std::vector<TIdentifyWordDescriptor> groups = BuildWordGroups();
  return groups;
}

std::uint16_t TIdentifyData::Word(std::size_t index) const {
  return index < WordCount() ? GetU16(block, index * 2) : 0;
}

void TIdentifyData::Load(std::span<const std::uint8_t> bytes) {
  block.fill(0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), block.size()), block.begin());
}

bool TIdentifyData::HasData() const {
  return std::any_of(block.begin(), block.end(), [](std::uint8_t b) { return b != 0; });
}

std::uint8_t TIdentifyData::ComputeChecksum() const {
  unsigned sum = 0;
  for (std::size_t i = 0; i < BlockSize - 1; ++i) sum += block[i];
  return static_cast<std::uint8_t>(0u - sum);
}

bool TIdentifyData::ChecksumValid() const {
  return block[510] == 0xA5 && block[511] == ComputeChecksum();
}

std::uint16_t TIdentifyData::BitField(std::size_t word, unsigned firstBit, unsigned bitCount) const {
  if (firstBit >= 16 || bitCount == 0) return 0;
  const std::uint32_t mask = bitCount >= 16 ? 0xFFFFu : (1u << bitCount) - 1;
  return static_cast<std::uint16_t>((Word(word) >> firstBit) & mask);
}

std::string TIdentifyData::Text(const TIdentifyWordDescriptor& group) const {
  std::string text;
  text.reserve(group.count * 2u);
  for (std::size_t i = 0; i < group.count; ++i) {
    const std::uint16_t value = Word(group.word + i);
    text.push_back(static_cast<char>(value >> 8));
    text.push_back(static_cast<char>(value & 0xFF));
  }
  return text;
}

std::string TIdentifyData::HexText(const TIdentifyWordDescriptor& group) const {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(group.count * 4u);
  const std::size_t first = group.word * 2u;
  for (std::size_t i = 0; i < group.count * 2u; ++i) {
    const std::uint8_t b = Byte(first + i);
    text.push_back(digits[b >> 4]);
    text.push_back(digits[b & 0xF]);
  }
  return text;
}

std::uint16_t TIdentifyData::WordValue(const TIdentifyWordDescriptor& group) const { return Word(group.word); }

std::uint32_t TIdentifyData::DWordValue(const TIdentifyWordDescriptor& group) const {
  return Word(group.word) | (static_cast<std::uint32_t>(Word(group.word + 1u)) << 16);
}

std::uint64_t TIdentifyData::QWordValue(const TIdentifyWordDescriptor& group) const {
  std::uint64_t value = 0;
  for (std::size_t i = 4; i-- > 0;) value = (value << 16) | Word(group.word + i);
  return value;
}

std::uint64_t TIdentifyData::WorldWideName(const TIdentifyWordDescriptor& group) const {
  std::uint64_t name = 0;
  for (std::size_t i = 0; i < 4; ++i) name = (name << 16) | Word(group.word + i);
  // Some drives store the name as a byte string; their first word then reads 0x0n5n
  // (the NAA nibble lands in bits 55..52 and the top nibble is 0).
  if ((name >> 60) == 0 && ((name >> 52) & 0xF) == 5) {
    name = 0;
    const std::size_t first = group.word * 2u;
    for (std::size_t i = 0; i < 8; ++i) name = (name << 8) | Byte(first + i);
  }
  return name;
}

std::uint32_t TIdentifyData::Oui(std::uint64_t name) {
  const auto high = static_cast<std::uint32_t>(name >> 32);
  if ((high >> 28) == 5 || high < 0x10000000) return (high >> 4) & 0xFFFFFF;
  return 0;
}

std::string TIdentifyData::WwnText(const TIdentifyWordDescriptor& group) const {
  const std::uint64_t name = WorldWideName(group);
  const auto high = static_cast<std::uint32_t>(name >> 32);
  return Format("%x-%.6x-%.9x", high >> 28, (high >> 4) & 0xFFFFFF, name & 0xFFFFFFFFFull);
}

std::string_view TIdentifyData::MinorVersionName(std::uint16_t code) { return MinorVersionNameOf(code); }

std::string TIdentifyData::FieldText(const TIdentifyWordDescriptor& group) const {
  if (group.word == 10 || group.word == 23 || group.word == 27)
    return "\"" + std::string(Trim(Text(group))) + "\"";
  if (group.word == 108 && group.count == 4) return WwnText(group);
  if (group.word == 129 && group.count == 31) {
    std::string text = Text(group);
    std::replace(text.begin(), text.end(), '\0', '.');
    return text;
  }
  switch (group.count) {
    case 0:
      return {};
    case 1:
      return WordValue(group) ? Format("%u", WordValue(group)) : std::string();
    case 2:
      return DWordValue(group) ? Format("%u", DWordValue(group)) : std::string();
    case 4:
      return QWordValue(group) ? Format("0x%x", QWordValue(group)) : std::string();
    default:
      return "$" + HexText(group);
  }
}

std::string TIdentifyData::SerialNumber() const { return std::string(Trim(Text(IdentifySerialNumber))); }
std::string TIdentifyData::FirmwareRevision() const { return std::string(Trim(Text(IdentifyFirmwareRevision))); }
std::string TIdentifyData::ModelNumber() const { return std::string(Trim(Text(IdentifyModelNumber))); }

std::uint8_t TIdentifyData::FeatureFlags() const {
  std::uint8_t flags = 0;
  const std::uint16_t word83 = Word(83);
  if (WordValid(word83) && BitField(83, 3, 1)) flags |= DriveFeature::Apm;
  if (WordValid(word83) && BitField(83, 10, 1)) flags |= DriveFeature::Lba48;
  if (BitField(82, 0, 1)) flags |= DriveFeature::Smart;
  if (BitField(76, 8, 1)) flags |= DriveFeature::Ncq;
  if (Word(217) == 1) flags |= DriveFeature::SolidState;
  if (BitField(169, 0, 1)) flags |= DriveFeature::Trim;
  if (BitField(78, 8, 1)) flags |= DriveFeature::DevSleep;
  return flags;
}

std::uint8_t TIdentifyData::SataGeneration() const {
  for (unsigned n = 4; n >= 1; --n)
    if (BitField(76, n, 1)) return static_cast<std::uint8_t>(n);
  return 0;
}

std::uint8_t TIdentifyData::NegotiatedSataGeneration() const {
  if (BitField(77, 0, 1)) return 0;
  return static_cast<std::uint8_t>(BitField(77, 1, 2));
}

std::uint8_t TIdentifyData::AtaMajorVersion() const {
  for (unsigned n = 11; n >= 1; --n)
    if (BitField(80, n, 1)) return static_cast<std::uint8_t>(n);
  return 0;
}

std::optional<std::uint16_t> TIdentifyData::LogicalSectorsPerPhysical() const {
  const std::uint16_t word106 = Word(106);
  if (!WordValid(word106) || !BitField(106, 13, 1)) return std::nullopt;
  return static_cast<std::uint16_t>(1u << (word106 & 3));
}

std::uint8_t TIdentifyData::FormFactor() const { return static_cast<std::uint8_t>(BitField(168, 0, 4)); }

std::string_view TIdentifyData::SataTransportVersion() const {
  for (unsigned bit = 7; bit >= 3; --bit)
    if (BitField(222, bit, 1)) return SataTransportNames[bit - 3];
  return {};
}

std::uint32_t TIdentifyData::Lba28SectorCount() const { return DWordValue({60, 2}); }

std::uint64_t TIdentifyData::Lba48SectorCount() const { return QWordValue(IdentifyLba48SectorCount); }

std::uint64_t TIdentifyData::UserSectorCount() const {
  if ((FeatureFlags() & DriveFeature::Lba48) && Lba48SectorCount() != 0) return Lba48SectorCount();
  return Lba28SectorCount();
}

}  // namespace vexa
