// Code tables of the Hitachi/HGST hard-disk model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kCompany[] = {
    {"H", "Hitachi"},
};

constexpr TCodeEntry kFamily[] = {
    {"C", "CinemaStar"},
    {"D", "Deskstar"},
    {"E", "Endurastar"},
    {"M", "Microdrive"},
    {"T", "Travelstar"},
    {"U", "Ultrastar"},
};

constexpr TCodeEntry kSeries[] = {
    {"S", "Standard"},
    {"C", "Compact"},
    {"N", "NAS"},
    {"A", "Auto"},
};

constexpr TCodeEntry kFormFactor[] = {
    {"5", "5 mm"},
    {"7", "2.5 inch x 7 mm"},
    {"8", "8 mm"},
    {"9", "2.5 inch x 9.5 mm"},
    {"L", "3.5 inch x 1 inch"},
    {"S", "15 mm"},
};

constexpr TCodeEntry kInterface[] = {
    {"AT", "Parallel ATA"},
    {"SA", "SATA 1.5Gbit/s"},
    {"A3", "SATA 3Gbit/s"},
    {"A6", "SATA 6Gbit/s"},
    {"S6", "SAS"},
    {"E3", "SATA 3Gbit/s, Advanced Format, 512 bytes/sector emulation"},
    {"E6", "SATA 6Gbit/s, Advanced Format, 512 bytes/sector emulation"},
};

constexpr TCodeEntry kFeatureCache[] = {
    {"0", "未指定"},
    {"1", "16 MB"},
    {"3", "32 MB"},
    {"4", "64 MB"},
    {"6", "16 MB"},
    {"8", "8 MB"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"公司函", TCaptureFormatting::Table, kCompany},
    {"家庭", TCaptureFormatting::Table, kFamily},
    {"系列", TCaptureFormatting::Table, kSeries},
    {"RPM", TCaptureFormatting::SpindleSpeed, {}},
    {"時代最大容量", TCaptureFormatting::Capacity, {}},
    {"容量", TCaptureFormatting::Capacity, {}},
    {"時代代碼", TCaptureFormatting::Table, {}},
    {"外形因素 z 高度", TCaptureFormatting::Table, kFormFactor},
    {"介面", TCaptureFormatting::Table, kInterface},
    {"功能代碼/快取大小", TCaptureFormatting::Table, kFeatureCache},
    {"獨特時代代碼 (加密)", TCaptureFormatting::Table, {}},
};

}  // namespace

const TDecoderDefinition& HitachiHddDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "Hitatchi/HGST HDD", "(H)(\\w)(\\w)(\\d\\d)(\\d\\d)(\\d\\d)(\\w)(\\w)(\\w\\w)(\\w?)(\\w?)", kCaptures};
  return definition;
}

}  // namespace vexa
