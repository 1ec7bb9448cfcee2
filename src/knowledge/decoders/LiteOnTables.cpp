// Code tables of the LiteOn (and Plextor) SSD model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kBrand[] = {
    {"LMT", "LiteOn"},
    {"LCT", "?"},
    {"LAT", "?"},
    {"LMH", "?"},
    {"LCS", "?"},
    {"LCH", "?"},
    {"LSS", "?"},
    {"L8T", "?"},
    {"L8H", "?"},
    {"PX", "Plextor"},
};

constexpr TCodeEntry kInterface[] = {
    {"", "<未指定>"},
    {"G", "M.2"},
    {"AG", "M.2 / PCIe"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"品牌", TCaptureFormatting::Table, kBrand},
    {"介面", TCaptureFormatting::Table, kInterface},
    {"容量", TCaptureFormatting::Capacity, {}},
    {"型號", TCaptureFormatting::Table, {}},
};

}  // namespace

const TDecoderDefinition& LiteOnDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "LiteOn SSD", "(\\w{2,3})-(\\D{0,2})(\\d{2,4})(\\a\\w\\a)", kCaptures};
  return definition;
}

}  // namespace vexa
