// Code tables of the Intel SSD model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kProductType[] = {
    {"SSD", "固態硬碟"},
};

constexpr TCodeEntry kBus[] = {
    {"PA", "PATA"},
    {"SA", "SATA"},
    {"SB", "SATA II"},
    {"SC", "SATA III"},
    {"MA", "mSATA (1.5/3 Gbit/s)"},
    {"MC", "mSATA (3/6 Gbit/s)"},
    {"US", "USB (通用序列總線程)"},
    {"PE", "PCI Express"},
};

constexpr TCodeEntry kFormFactor[] = {
    {"1", "1.8 inch"},
    {"2", "2.5 inch"},
    {"M", "Module"},
    {"K", "M.2 2280"},
    {"J", "M.2 2260"},
    {"E", "mSATA"},
    {"D", "HHHL (CEM2.0)"},
};

constexpr TCodeEntry kTechnology[] = {
    {"S", "單級元件"},
    {"M", "多級元件"},
    {"B", "?"},
};

constexpr TCodeEntry kPerformance[] = {
    {"H", "效能"},
    {"F", "?"},
};

constexpr TCodeEntry kGeneration[] = {
    {"G", "<G>"},
    {"A", "<A>"},
    {"H", "<H>"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"產品類型代號", TCaptureFormatting::Table, kProductType},
    {"總線程架構", TCaptureFormatting::Table, kBus},
    {"外形因素", TCaptureFormatting::Table, kFormFactor},
    {"產品技術類型", TCaptureFormatting::Table, kTechnology},
    {"效能", TCaptureFormatting::Table, kPerformance},
    {"容量", TCaptureFormatting::Capacity, {}},
    {"產品時代", TCaptureFormatting::Table, kGeneration},
    {"時代 ID", TCaptureFormatting::Table, {}},
};

}  // namespace

const TDecoderDefinition& IntelDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "Intel SSD", "(SSD)(\\a\\a)(\\w)(\\a)(\\a?)(\\d{2,3})(\\a?)(\\d?)", kCaptures};
  return definition;
}

}  // namespace vexa
