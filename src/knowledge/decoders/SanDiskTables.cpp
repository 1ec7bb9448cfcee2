// Code tables of the SanDisk SSD model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kCompany[] = {
    {"SD", "SanDisk"},
};

constexpr TCodeEntry kType[] = {
    {"SSD", "固態硬碟"},
};

constexpr TCodeEntry kModel[] = {
    {"A", "Plus"},
    {"X", "Extreme"},
    {"XP", "Extreme II"},
    {"XPS", "Extreme Plus"},
    {"H2", "Ultra Plus"},
    {"HP", "Ultra Plus"},
    {"HII", "Ultra II"},
    {"P", "<無名稱>"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"公司", TCaptureFormatting::Table, kCompany},
    {"類型", TCaptureFormatting::Table, kType},
    {"Model", TCaptureFormatting::Table, kModel},
    {"容量", TCaptureFormatting::Capacity, {}},
};

}  // namespace

const TDecoderDefinition& SanDiskDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "SanDisk SSD", "(SD)(\\w{3})(\\w\\a{0,2})-?(\\d{3}[GT])-?", kCaptures};
  return definition;
}

}  // namespace vexa
