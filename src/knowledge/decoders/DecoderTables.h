// The knowledge behind the model-number decoders: per vendor scheme its display
// name, its pattern and, for every capture group in order, the row label and how
// the captured code is explained (a code table or a formatter). Code tables are
// searched in their order and the first equal code wins, so row order is data too.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vexa {

struct TCodeEntry {
  std::string_view code;  // may be empty: then it matches an empty capture
  std::string_view meaning;
};
using TCodeTable = std::span<const TCodeEntry>;

enum class TCaptureFormatting : std::uint8_t {
  Table,         // look the code up in the table (an empty table explains nothing)
  Capacity,      // the decoder's capacity formatter
  SpindleSpeed,  // two digits read as a spindle speed
};

struct TCaptureDefinition {
  std::string_view label;
  TCaptureFormatting formatting;
  TCodeTable table;  // empty unless formatting is Table
};

struct TDecoderDefinition {
  std::string_view name;
  std::string_view pattern;
  std::span<const TCaptureDefinition> captures;  // one per capture group, in order
};

// In the fixed order of the decoder list.
const TDecoderDefinition& SamsungDecoderTables();
const TDecoderDefinition& IntelDecoderTables();
const TDecoderDefinition& OczDecoderTables();
const TDecoderDefinition& LiteOnDecoderTables();
const TDecoderDefinition& KingstonDecoderTables();
const TDecoderDefinition& SanDiskDecoderTables();
const TDecoderDefinition& ToshibaDecoderTables();
const TDecoderDefinition& CrucialDecoderTables();
const TDecoderDefinition& MicronDecoderTables();
const TDecoderDefinition& MushkinDecoderTables();
const TDecoderDefinition& TranscendDecoderTables();
const TDecoderDefinition& WdcHddDecoderTables();
const TDecoderDefinition& HitachiHddDecoderTables();
const TDecoderDefinition& SeagateHddDecoderTables();

}  // namespace vexa
