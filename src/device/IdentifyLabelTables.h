// The vocabulary of the IDENTIFY block: the labelled word groups that split the 256
// words, and the labels of single bits and small bit fields within some of them.
// Both tables are sorted by word (bit fields then by first bit); the rows of one word
// cover its 16 bits from bit 0 up without gap or overlap.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vexa {

// A group starts at `word` and runs up to the word before the next group's first word.
struct TIdentifyWordLabel {
  std::uint16_t word;
  std::string_view label;
};

struct TIdentifyBitField {
  std::uint16_t word;
  std::uint8_t firstBit;
  std::uint8_t bitCount;
  std::string_view label;
};

inline constexpr std::size_t IdentifyWordLabelCount = 100;
inline constexpr std::size_t IdentifyBitFieldCount = 307;  // without the terminator
inline constexpr std::uint16_t IdentifyBitFieldEnd = 0xFFFF;

extern const std::array<TIdentifyWordLabel, IdentifyWordLabelCount> IdentifyWordLabels;
// Ends with a terminator row {IdentifyBitFieldEnd, 0, 0, ""}.
extern const std::array<TIdentifyBitField, IdentifyBitFieldCount + 1> IdentifyBitFields;

}  // namespace vexa
