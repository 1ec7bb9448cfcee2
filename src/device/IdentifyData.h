// The 512-byte IDENTIFY DEVICE (or IDENTIFY PACKET DEVICE) block and everything the
// program reads from it: words, bit fields, ATA strings, counts, the World Wide Name,
// the checksum, the capability flags and the display text of each word group.
// Reads never fail: words outside the block read as 0, so a short or missing reply
// gives zeros and empty texts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "device/IdentifyLabelTables.h"
#include "device/IdentifyNames.h"

namespace vexa {

// A run of words. The fixed descriptors below leave name and bit fields empty; the
// groups of IdentifyWordGroups() carry their label and their bit-field rows.
struct TIdentifyWordDescriptor {
  constexpr TIdentifyWordDescriptor() = default;
  constexpr TIdentifyWordDescriptor(std::uint16_t firstWord, std::uint8_t wordCount, std::string_view label = {})
      : word(firstWord), count(wordCount), name(label) {}

  std::uint16_t word = 0;
  std::uint8_t count = 0;
  std::string_view name;
  const TIdentifyBitField* firstBitField = nullptr;
  std::uint32_t bitFieldCount = 0;

  std::span<const TIdentifyBitField> BitFields() const {
    return firstBitField ? std::span<const TIdentifyBitField>(firstBitField, bitFieldCount)
                         : std::span<const TIdentifyBitField>();
  }
};

inline constexpr TIdentifyWordDescriptor IdentifySerialNumber{10, 10};
inline constexpr TIdentifyWordDescriptor IdentifyFirmwareRevision{23, 4};
inline constexpr TIdentifyWordDescriptor IdentifyModelNumber{27, 20};
inline constexpr TIdentifyWordDescriptor IdentifyMinorVersion{81, 1};
inline constexpr TIdentifyWordDescriptor IdentifyLba48SectorCount{100, 4};
inline constexpr TIdentifyWordDescriptor IdentifyWorldWideName{108, 4};
inline constexpr TIdentifyWordDescriptor IdentifyVendorSpecific{129, 31};
inline constexpr TIdentifyWordDescriptor IdentifyVendorSpecificFirst{129, 8};
inline constexpr TIdentifyWordDescriptor IdentifyVendorSpecificSecond{137, 23};

// The 100 labelled groups in word order, each with its word count (up to the next
// group) and its run of bit-field rows. Built once, on first use.
std::span<const TIdentifyWordDescriptor> IdentifyWordGroups();

// Capability flags of a drive, as its device record keeps them.
namespace DriveFeature {
inline constexpr std::uint8_t Apm = 0x01;
inline constexpr std::uint8_t Lba48 = 0x02;
inline constexpr std::uint8_t Smart = 0x04;
inline constexpr std::uint8_t Ncq = 0x08;
inline constexpr std::uint8_t SolidState = 0x10;
inline constexpr std::uint8_t Trim = 0x20;
inline constexpr std::uint8_t DevSleep = 0x40;
}  // namespace DriveFeature

class TIdentifyData {
public:
  static constexpr std::size_t BlockSize = 512;

  static constexpr std::size_t WordCount() { return BlockSize / 2; }
  std::uint16_t Word(std::size_t index) const;
  std::span<std::uint8_t, BlockSize> Block() { return block; }
  std::span<const std::uint8_t, BlockSize> Block() const { return block; }
  // Replaces the whole block; bytes beyond the given ones become 0, extra ones are ignored.
  void Load(std::span<const std::uint8_t> bytes);
  void Clear() { block.fill(0); }
  bool HasData() const;

  // Word 255: signature 0xA5 in the low byte, and a high byte that makes all 512
  // bytes sum to 0 modulo 256.
  bool ChecksumValid() const;
  std::uint8_t ComputeChecksum() const;

  // (word >> firstBit) AND (2^bitCount - 1); bits beyond 15 read as 0.
  std::uint16_t BitField(std::size_t word, unsigned firstBit, unsigned bitCount) const;
  // The ACS marker of a word holding valid information: bit 15 clear, bit 14 set.
  static constexpr bool WordValid(std::uint16_t value) { return (value & 0xC000) == 0x4000; }

  // ATA string of the group: each word's two bytes exchanged, not trimmed.
  std::string Text(const TIdentifyWordDescriptor& group) const;
  // Each byte in block order as two upper-case hexadecimal digits.
  std::string HexText(const TIdentifyWordDescriptor& group) const;
  std::uint16_t WordValue(const TIdentifyWordDescriptor& group) const;
  std::uint32_t DWordValue(const TIdentifyWordDescriptor& group) const;
  std::uint64_t QWordValue(const TIdentifyWordDescriptor& group) const;

  // Standard word order (NAA in the top nibble of the first word), or the 8 bytes in
  // block order when the drive stored the name as a byte string.
  std::uint64_t WorldWideName(const TIdentifyWordDescriptor& group = IdentifyWorldWideName) const;
  // 24-bit IEEE company id of a name whose NAA is 5 (or 0); 0 otherwise.
  static std::uint32_t Oui(std::uint64_t name);
  // "NAA-OUI-vendor id", e.g. "5-000C50-01234ABCD".
  std::string WwnText(const TIdentifyWordDescriptor& group = IdentifyWorldWideName) const;
  static std::string_view MinorVersionName(std::uint16_t code);

  // Display text of a word group on the Identify page.
  std::string FieldText(const TIdentifyWordDescriptor& group) const;

  // Identity strings, trimmed of characters at or below the blank.
  std::string SerialNumber() const;
  std::string FirmwareRevision() const;
  std::string ModelNumber() const;

  // DriveFeature flags of the block.
  std::uint8_t FeatureFlags() const;
  // Highest n in 4..1 with bit n of word 76 set; 0 when none.
  std::uint8_t SataGeneration() const;
  // Generation currently signalling (bits 2..1 of word 77); 0 when not reported.
  std::uint8_t NegotiatedSataGeneration() const;
  // Highest n in 11..1 with bit n of word 80 set; 0 when none.
  std::uint8_t AtaMajorVersion() const;
  // 1, 2, 4 or 8 when word 106 reports it; none otherwise (the caller keeps its value).
  std::optional<std::uint16_t> LogicalSectorsPerPhysical() const;
  // Word 168 bits 3..0: 0 not reported, 1..7 named by FormFactorName.
  std::uint8_t FormFactor() const;
  // "2.5" ... "3.2" from the highest of bits 7..3 of word 222, or empty.
  std::string_view SataTransportVersion() const;

  // User-addressable sectors: the 28-bit count of words 60-61 and the 48-bit count of
  // words 100-103; UserSectorCount takes the 48-bit one when the drive supports it.
  std::uint32_t Lba28SectorCount() const;
  std::uint64_t Lba48SectorCount() const;
  std::uint64_t UserSectorCount() const;

private:
  std::uint8_t Byte(std::size_t offset) const { return offset < BlockSize ? block[offset] : 0; }

  std::array<std::uint8_t, BlockSize> block{};
};

}  // namespace vexa
