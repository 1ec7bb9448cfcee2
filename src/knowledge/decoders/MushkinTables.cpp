// Code tables of the Mushkin SSD model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kCompany[] = {
    {"MKN", "Mushkin"},
};

constexpr TCodeEntry kDeviceType[] = {
    {"SSD", "固態硬碟"},
};

constexpr TCodeEntry kModel[] = {
    {"ST", "Striker"},
    {"RE", "Reactor"},
    {"CR", "Chronos"},
    {"TR", "Triactor"},
    {"EC", "ECO2"},
    {"E3", "ECO3"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"公司", TCaptureFormatting::Table, kCompany},
    {"裝置類型", TCaptureFormatting::Table, kDeviceType},
    {"型號", TCaptureFormatting::Table, kModel},
    {"容量", TCaptureFormatting::Capacity, {}},
};

}  // namespace

const TDecoderDefinition& MushkinDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "Mushkin SSD", "(\\a{3})(\\a{3})(\\w{2})(\\d{1,4}[GT])B", kCaptures};
  return definition;
}

}  // namespace vexa
