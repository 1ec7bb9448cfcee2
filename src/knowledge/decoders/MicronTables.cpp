// Code tables of the Micron SSD model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kCompany[] = {
    {"MT", "Micron 科技"},
    {"CT", "Crucial 科技"},
};

constexpr TCodeEntry kDriveType[] = {
    {"FD", "閃存磁碟機 SSD"},
};

constexpr TCodeEntry kInterface[] = {
    {"B", "SATA II 3.0 Gb/s"},
    {"D", "SATA III 6.0 Gb/s"},
    {"G", "x8 PCIe Gen2"},
};

constexpr TCodeEntry kFormFactor[] = {
    {"AA", "1.8-inch HDD replacement, 5mm"},
    {"AC", "2.5-inch HDD replacement, 9.5mm"},
    {"AK", "2.5-inch HDD replacement, 7mm"},
    {"AT", "mSATA"},
    {"AV", "M.2 2280"},
    {"AY", "M.2 2260"},
    {"AR", "HHHL (half height, half length)"},
};

constexpr TCodeEntry kNandType[] = {
    {"S", "SLC"},
    {"M", "MLC"},
    {"T", "TLC"},
};

constexpr TCodeEntry kProductFamily[] = {
    {"AG", "C300"},
    {"AM", "C400"},
    {"AV", "M500"},
    {"AY", "M550"},
    {"AZ", "M510"},
    {"BB", "M500DC"},
    {"BF", "M600"},
    {"BG", "MX100"},
    {"BK", "MX200"},
    {"BP", "M510DC"},
};

constexpr TCodeEntry kNandComponent[] = {
    {"AE", "128Gb, MLC, x8, 3.3V (20nm)"},
    {"AH", "64Gb, MLC, x8, 3.3V (20nm)"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"公司", TCaptureFormatting::Table, kCompany},
    {"磁碟機類型", TCaptureFormatting::Table, kDriveType},
    {"磁碟機介面", TCaptureFormatting::Table, kInterface},
    {"外形因素", TCaptureFormatting::Table, kFormFactor},
    {"容量", TCaptureFormatting::Capacity, {}},
    {"NAND 類型", TCaptureFormatting::Table, kNandType},
    {"產品系列", TCaptureFormatting::Table, kProductFamily},
    {"BOM 修訂", TCaptureFormatting::Table, {}},
    {"NAND 閃存元件", TCaptureFormatting::Table, kNandComponent},
    {"扇區大小", TCaptureFormatting::Table, {}},
    {"延伸功能集", TCaptureFormatting::Table, {}},
    {"功能集", TCaptureFormatting::Table, {}},
    {"客戶代號", TCaptureFormatting::Table, {}},
    {"生產狀態", TCaptureFormatting::Table, {}},
};

}  // namespace

const TDecoderDefinition& MicronDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "Micron SSD", "(\\a{2})(\\a{2})(\\a)(\\a{2})(\\d[T\\d]\\d)(\\a)(\\a{2})-?(\\d?)(\\a{0,2})(\\d?)(\\d?)(\\a{0,2})(\\a{0,2})(\\a{0,2})", kCaptures};
  return definition;
}

}  // namespace vexa
