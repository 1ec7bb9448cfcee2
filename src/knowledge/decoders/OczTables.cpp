// Code tables of the OCZ SSD model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kCompany[] = {
    {"OCZ", "OCZ"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"公司", TCaptureFormatting::Table, kCompany},
    {"型號", TCaptureFormatting::Table, {}},
    {"時代", TCaptureFormatting::Table, {}},
};

}  // namespace

const TDecoderDefinition& OczDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "OCZ SSD", "^(OCZ)[-\\s](\\D+)(\\d*)", kCaptures};
  return definition;
}

}  // namespace vexa
