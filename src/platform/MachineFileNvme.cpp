// NVMe data in machine files. Every health-log value is read as 128 bits first and
// then held against its field's width, so one reader serves the one-byte warning
// flags and the 16-byte counters alike, and a counter a drive could really report
// (up to 2^128 − 1) is never refused.
#include "platform/MachineFileNvme.h"

#include <algorithm>
#include <array>

#include "support/Bytes.h"
#include "support/UInt128.h"

namespace vexa {

const std::array<std::string_view, kNvmePropertyCount> kNvmePropertyNames = {"both", "device", "adapter"};

namespace {


constexpr std::size_t kFormatInUse = 26;  // FLBAS, bits 3:0
constexpr std::size_t kLbaFormats = 128;  // 4 bytes each; LBADS in the third
constexpr std::size_t kLbaFormatSize = 4;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

machinefile::TValueProblem ParseValue(std::string_view text, TUInt128& value) {
  using machinefile::TValueProblem;
  value = {};
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    if (!std::all_of(text.begin(), text.end(), [](char c) { return HexDigit(c) >= 0; })) {
      return TValueProblem::NotNumber;
    }
    text.remove_prefix(std::min(text.find_first_not_of('0'), text.size()));
    if (text.size() > 32) return TValueProblem::TooLarge;
    for (const char c : text) {
      value.high = value.high << 4 | value.low >> 60;
      value.low = value.low << 4 | static_cast<unsigned>(HexDigit(c));
    }
    return TValueProblem::None;
  }
  if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return TValueProblem::NotNumber;
  }
  return TryParseUInt128(text, value) ? TValueProblem::None : TValueProblem::TooLarge;
}

TUInt128 Maximum(const TNvmeHealthKey& field) {
  if (field.size >= 16) return {~std::uint64_t{0}, ~std::uint64_t{0}};
  return {(std::uint64_t{1} << (field.size * 8)) - 1, 0};
}

}  // namespace

namespace machinefile {

std::string NvmeText(const TBlock4096& block, std::size_t offset, std::size_t length) {
  std::string text(block.begin() + static_cast<std::ptrdiff_t>(offset),
                   block.begin() + static_cast<std::ptrdiff_t>(offset + length));
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return text;
}

std::uint64_t NvmeBlockSize(const TBlock4096& identifyNamespace) {
  const std::size_t format = identifyNamespace[kFormatInUse] & 0x0F;
  const std::uint8_t shift = identifyNamespace[kLbaFormats + format * kLbaFormatSize + 2];
  return shift >= 9 && shift < 32 ? std::uint64_t{1} << shift : 512;
}

std::optional<std::uint64_t> NvmeNamespaceBytes(const TBlock4096& identifyNamespace) {
  const std::uint64_t blocks = GetU64(identifyNamespace, 0);
  const std::uint64_t blockSize = NvmeBlockSize(identifyNamespace);
  if (blocks > ~std::uint64_t{0} / blockSize) return std::nullopt;
  return blocks * blockSize;
}

const TNvmeHealthKey* FindNvmeHealthKey(std::string_view key) {
  for (const TNvmeHealthKey& field : kNvmeHealthLayout) {
    if (field.key == key) return &field;
  }
  return nullptr;
}

TValueProblem PutNvmeHealthValue(const TNvmeHealthKey& field, std::string_view text, TBlock512& block) {
  TUInt128 value;
  if (const TValueProblem problem = ParseValue(text, value); problem != TValueProblem::None) return problem;
  const TUInt128 maximum = Maximum(field);
  if (value.high > maximum.high || (value.high == maximum.high && value.low > maximum.low)) {
    return TValueProblem::TooLarge;
  }
  for (std::size_t i = 0; i < field.size; ++i) {
    const std::uint64_t half = i < 8 ? value.low : value.high;
    PutU8(block, field.offset + i, static_cast<std::uint8_t>(half >> (i % 8 * 8)));
  }
  return TValueProblem::None;
}

std::string NvmeHealthValueText(const TNvmeHealthKey& field, const TBlock512& block) {
  TUInt128 value;
  for (std::size_t i = field.size; i-- > 0;) {
    std::uint64_t& half = i < 8 ? value.low : value.high;
    half = half << 8 | GetU8(block, field.offset + i);
  }
  return DecimalText(value);
}

std::string NvmeHealthMaximum(const TNvmeHealthKey& field) { return DecimalText(Maximum(field)); }

bool NvmeHealthTableHolds(const TBlock512& block) {
  std::array<bool, std::tuple_size_v<TBlock512>> named{};
  for (const TNvmeHealthKey& field : kNvmeHealthLayout) {
    std::fill_n(named.begin() + field.offset, field.size, true);
  }
  for (std::size_t i = 0; i < block.size(); ++i) {
    if (!named[i] && block[i] != 0) return false;
  }
  return true;
}

}  // namespace machinefile

}  // namespace vexa
