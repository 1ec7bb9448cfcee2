// Code tables of the Transcend SSD model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kCompany[] = {
    {"TS", "Transcend"},
};

constexpr TCodeEntry kFormFactor[] = {
    {"SSD", "SSD"},
    {"ESD", "外部 SSD"},
    {"PSD", "Parallel ATA"},
    {"MSA", "mSATA"},
    {"MTS", "M.2"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"公司", TCaptureFormatting::Table, kCompany},
    {"容量", TCaptureFormatting::Capacity, {}},
    {"外形因素", TCaptureFormatting::Table, kFormFactor},
    {"型號", TCaptureFormatting::Table, {}},
};

}  // namespace

const TDecoderDefinition& TranscendDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "Transcend SSD", "(TS)(\\d+\\w)(\\a{3})(\\d+)", kCaptures};
  return definition;
}

}  // namespace vexa
