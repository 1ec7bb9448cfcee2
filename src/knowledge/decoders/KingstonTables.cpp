// Code tables of the Kingston SSD model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kDeviceType[] = {
    {"S", "Solid State Drive"},
};

constexpr TCodeEntry kBrand[] = {
    {"E", "Enterprise"},
    {"H", "HyperX"},
    {"HX", "HyperX *"},
    {"HS", "HyperX Savage"},
    {"HPM", "HyperX Predetor M.2"},
    {"KC", "Kingston Corporate (Client)"},
    {"MS", "miniSATA"},
    {"MSM", "microSATA"},
    {"S", "S Series"},
    {"NV", "Value (early?)"},
    {"NVP", "Value Plus (early?)"},
    {"UV", "Ultra Value"},
    {"V", "Value"},
    {"VP", "Value Plus"},
    {"M", "M.2"},
};

constexpr TCodeEntry kEncryption[] = {
    {"", "No Encryption"},
    {"E", "Encryption"},
};

constexpr TCodeEntry kInterface[] = {
    {"S2", "SATA Rev. 2.0 (3Gb/s)"},
    {"S3", "SATA Rev. 3.0 (6Gb/s)"},
    {"P", "PCIe"},
};

constexpr TCodeEntry kPackage[] = {
    {"", "Single Pack"},
    {"D", "Desktop Bundle"},
    {"N", "Notebook Bundle"},
    {"B", "Combined Bundle (Desktop + Notebook)"},
};

constexpr TCodeEntry kDriveHeight[] = {
    {"7", "7 mm"},
    {"7A", "9.5 mm"},
    {"H", "Half Height"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"裝置類型", TCaptureFormatting::Table, kDeviceType},
    {"品牌", TCaptureFormatting::Table, kBrand},
    {"系列", TCaptureFormatting::Table, {}},
    {"加密", TCaptureFormatting::Table, kEncryption},
    {"SATA介面", TCaptureFormatting::Table, kInterface},
    {"包裝", TCaptureFormatting::Table, kPackage},
    {"磁碟機高度", TCaptureFormatting::Table, kDriveHeight},
    {"容量", TCaptureFormatting::Capacity, {}},
    {"散裝包裝", TCaptureFormatting::Table, {}},
};

}  // namespace

const TDecoderDefinition& KingstonDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "Kingston SDD", "(S)(\\a{1,3})(\\d+)(E?)(\\a\\d)(\\D?)(\\d?\\a?)/?(\\d+[GT])(.{0,2})", kCaptures};
  return definition;
}

}  // namespace vexa
