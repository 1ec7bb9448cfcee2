// Code tables of the Toshiba SSD model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kModelName[] = {
    {"THN", "Toshiba NAND 磁碟"},
};

constexpr TCodeEntry kModelType[] = {
    {"SN", "Normal SSD"},
    {"SF", "FDE 支援 SSD (全磁碟加密)"},
    {"S", "SSD...?"},
};

constexpr TCodeEntry kController[] = {
    {"C", "HG3"},
    {"S", "HG4"},
    {"F", "HG5"},
    {"H", "HG5d"},
    {"J", "HG6"},
    {"T", "CG2"},
    {"B", "SG2"},
};

constexpr TCodeEntry kFormFactor[] = {
    {"A", "1.8-type case"},
    {"B", "2.5-type case (9.5mm height)"},
    {"C", "2.5-type case (7mm height)"},
    {"M", "1.8 case-less module type"},
    {"D", "M.2 2280 Double-sided"},
    {"V", "M.2 2280 Single-sided"},
};

constexpr TCodeEntry kInterface[] = {
    {"C", "mSATA"},
    {"M", "Micro SATA"},
    {"N", "M.2"},
    {"S", "Standard SATA"},
    {"L", "LIF...?"},
    {"U", "NVMe (*)"},
};

constexpr TCodeEntry kNandProcess[] = {
    {"J", "32nm MLC"},
    {"S", "19nm MLC (a) (*)"},
    {"T", "19nm MLC (b) (*)"},
    {"U", "A19nm MLC (*)"},
    {"7", "15nm MLC (*)"},
    {"8", "?nm TLC (*)"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"型號名稱", TCaptureFormatting::Table, kModelName},
    {"型號類型", TCaptureFormatting::Table, kModelType},
    {"控制器類型", TCaptureFormatting::Table, kController},
    {"容量", TCaptureFormatting::Capacity, {}},
    {"外形因素", TCaptureFormatting::Table, kFormFactor},
    {"介面類型", TCaptureFormatting::Table, kInterface},
    {"NAND 進程", TCaptureFormatting::Table, kNandProcess},
};

}  // namespace

const TDecoderDefinition& ToshibaDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "Toshiba SSD", "(\\a{3})(\\a{2})(\\w)(\\d[\\dGT]\\d[\\dGTW])(\\w)(\\a)(\\w)", kCaptures};
  return definition;
}

}  // namespace vexa
