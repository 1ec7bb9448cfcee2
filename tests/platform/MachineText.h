// Builders of machine-file text for tests: a plausible IDENTIFY block with a valid
// checksum, NVMe Identify blocks, and blocks written as the machine file expects them;
// and the bundled sample machines.
#pragma once

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MachineFile.h"
#include "support/Bytes.h"

namespace vexa::test {

// The bundled sample machines (samples/*.machine), in name order.
inline std::vector<std::filesystem::path> SampleMachineFiles() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(VEXA_SAMPLES_DIR)) {
    if (entry.path().extension() == ".machine") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline void PutAtaText(TBlock512& block, std::size_t firstWord, std::size_t words, std::string_view text) {
  std::string padded(text.substr(0, words * 2));
  padded.resize(words * 2, ' ');
  for (std::size_t i = 0; i < words; ++i) {
    block[(firstWord + i) * 2] = static_cast<std::uint8_t>(padded[i * 2 + 1]);
    block[(firstWord + i) * 2 + 1] = static_cast<std::uint8_t>(padded[i * 2]);
  }
}

inline void SealIdentify(TBlock512& block) {
  block[510] = 0xA5;
  unsigned sum = 0;
  for (std::size_t i = 0; i < 511; ++i) sum += block[i];
  block[511] = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
}

// A SATA disk (or, with packet, an ATAPI DVD drive) with 48-bit LBA and SMART.
inline TBlock512 MakeIdentify(std::string_view model, std::string_view serial, std::string_view firmware,
                              std::uint64_t sectors = 500118192, bool packet = false) {
  TBlock512 block{};
  PutU16(block, 0, packet ? 0x85C0 : 0x0040);
  PutAtaText(block, 10, 10, serial);
  PutAtaText(block, 23, 4, firmware);
  PutAtaText(block, 27, 20, model);
  if (!packet) {
    PutU32(block, 120, static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, 0x0FFFFFFF)));
    PutU16(block, 82 * 2, 0x746B);
    PutU16(block, 83 * 2, 0x7501);
    PutU64(block, 100 * 2, sectors);
    PutU16(block, 106 * 2, 0x6003);
    PutU16(block, 169 * 2, 0x0001);
    PutU16(block, 217 * 2, 0x0001);
  }
  SealIdentify(block);
  return block;
}

// 256 words, 8 to a line, as hdparm --Istdout prints them.
inline std::string IdentifyHex(const TBlock512& block) {
  std::string text;
  char word[8];
  for (std::size_t i = 0; i < 256; ++i) {
    std::snprintf(word, sizeof(word), "%04x", GetU16(block, i * 2));
    text += word;
    text += (i % 8 == 7) ? "\n" : " ";
  }
  return text;
}

// 512 bytes, 16 to a line.
inline std::string BytesHex(const TBlock512& block) {
  std::string text;
  char byte[4];
  for (std::size_t i = 0; i < block.size(); ++i) {
    std::snprintf(byte, sizeof(byte), "%02x", block[i]);
    text += byte;
    text += (i % 16 == 15) ? "\n" : " ";
  }
  return text;
}

// An NVMe Identify Controller block with its texts blank-padded, version 1.4.
inline TBlock4096 MakeNvmeController(std::string_view model, std::string_view serial, std::string_view firmware) {
  TBlock4096 block{};
  const auto text = [&](std::size_t offset, std::size_t length, std::string_view value) {
    for (std::size_t i = 0; i < length; ++i) block[offset + i] = i < value.size() ? value[i] : ' ';
  };
  PutU16(block, 0, 0x1D79);
  text(4, 20, serial);
  text(24, 40, model);
  text(64, 8, firmware);
  PutU32(block, 80, 0x00010400);
  PutU32(block, 516, 1);
  return block;
}

// An NVMe Identify Namespace block of one LBA format, 2^shift bytes a block.
inline TBlock4096 MakeNvmeNamespace(std::uint64_t blocks, std::uint8_t shift = 9) {
  TBlock4096 block{};
  PutU64(block, 0, blocks);
  PutU64(block, 8, blocks);
  PutU64(block, 16, blocks / 2);
  block[130] = shift;
  return block;
}

// Any block as runs of hexadecimal byte pairs, 32 bytes to a line.
inline std::string HexLines(std::span<const std::uint8_t> block) {
  std::string text;
  char byte[4];
  for (std::size_t i = 0; i < block.size(); ++i) {
    std::snprintf(byte, sizeof(byte), "%02x", block[i]);
    text += byte;
    if (i % 32 == 31 || i + 1 == block.size()) text += '\n';
  }
  return text;
}

}  // namespace vexa::test
