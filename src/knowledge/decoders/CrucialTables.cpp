// Code tables of the Crucial SSD model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kCompany[] = {
    {"MT", "Micron 科技"},
    {"CT", "Crucial 科技"},
};

constexpr TCodeEntry kDeviceType[] = {
    {"SSD", "固態硬碟"},
    {"SSC", "固態快取"},
};

constexpr TCodeEntry kFormFactor[] = {
    {"1", "2.5 inch (7 mm)"},
    {"2", "2.5 inch (9.5 mm)"},
    {"3", "mSATA"},
    {"4", "M.2"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"公司", TCaptureFormatting::Table, kCompany},
    {"容量", TCaptureFormatting::Capacity, {}},
    {"型號類型", TCaptureFormatting::Table, {}},
    {"型號版本", TCaptureFormatting::Table, {}},
    {"裝置類型", TCaptureFormatting::Table, kDeviceType},
    {"Form Factor", TCaptureFormatting::Table, kFormFactor},
};

}  // namespace

const TDecoderDefinition& CrucialDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "Crucial SSD", "(\\a{2})(\\d{3,4})(\\a{1,2})(\\d+)(\\a{3})(\\d?)", kCaptures};
  return definition;
}

}  // namespace vexa
