// Code tables of the newer Seagate hard-disk model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kBrand[] = {
    {"ST", "Seagate 科技"},
    {"MX", "Maxtor"},
};

constexpr TCodeEntry kSegment[] = {
    {"DX", "Desktop Premium"},
    {"DM", "主流"},
    {"DL", "入門級"},
    {"LX", "進階筆記型電腦"},
    {"LM", "主流筆記型電腦"},
    {"LT", "超薄筆記型"},
    {"MX", "Mission-Critical"},
    {"NX", "Nearline"},
    {"VX", "Surveillance"},
    {"VM", "DVR"},
    {"VT", "DVR Thin"},
    {"FX", "Enterprise SSD"},
    {"FM", "Enterprise SSD"},
    {"AS", "Archive SMR"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"品牌", TCaptureFormatting::Table, kBrand},
    {"容量", TCaptureFormatting::Capacity, {}},
    {"段", TCaptureFormatting::Table, kSegment},
    {"屬性", TCaptureFormatting::Table, {}},
    {"時代", TCaptureFormatting::Table, {}},
};

}  // namespace

const TDecoderDefinition& SeagateHddDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "Seagate HDD (新型態)", "([SM][TX])(\\d+)(\\w\\w)(\\d{3})(\\w?)", kCaptures};
  return definition;
}

}  // namespace vexa
