// Code tables of the Western Digital hard-disk model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kCompany[] = {
    {"WD", "Western Digital"},
};

constexpr TCodeEntry kUnitFormFactor[] = {
    {"A", "GB/3.5-inch"},
    {"B", "GB/2.5-inch"},
    {"C", "TB/2.5-inch"},
    {"D", "TB/2.5- to 3.5-inch backplane adapter"},
    {"E", "TB/3.5-inch"},
    {"F", "TB/3.5-inch (new format)"},
    {"G", "GB/2.5- to 3.5-inch adapter"},
    {"H", "GB/2.5- to 3.5-inch backplane adapter"},
    {"J", "TB/2.5-inch"},
    {"K", "GB/2.5-inch (12.5 mm z-height)"},
    {"L", "GB/2.5-inch (7 mm z-height)"},
    {"M", "GB/2.5-inch (5 mm z-height)"},
    {"N", "TB/2.5-inch (15.0 mm z-height)"},
    {"P", "TB/3.5-inch surveillance/WD Purple"},
    {"S", "TB/2.5-inch (7 mm z-height)"},
    {"T", "TB/2.5-inch (12.5 mm z-height)"},
    {"X", "TB/2.5-inch (9.5 mm z-height, new format)"},
};

constexpr TCodeEntry kBusinessUnit[] = {
    {"0", "Dual Drive SSHD/WD Black²™"},
    {"1", "Hybrid SSHD Gen 1/WD Black™"},
    {"2", "Hybrid SSHD Gen 2/WD Black™"},
    {"3", "Desktop/WD Blue SSHD; Solid State Hybrid Drive"},
    {"4", "Enterprise Archive"},
    {"9", "Enterprise Cloud/WD Se™"},
    {"A", "Desktop/WD Blue™; WD Green™; WD Black; WD Caviar®"},
    {"B", "Enterprise/WD RE drive families (3-platter)"},
    {"C", "SCSA/Vidity"},
    {"D", "Enterprise/WD Raptor®"},
    {"E", "Mobile/WD Blue; WD Green; WD Black; WD Scorpio®"},
    {"F", "Desktop NAS/WD Red™"},
    {"G", "Mobile/WD Purple™"},
    {"H", "Enthusiast/WD VelociRaptor®"},
    {"K", "Enterprise/WD XE; WD S25"},
    {"L", "Enterprise/WD VelociRaptor"},
    {"M", "Branded/WD Branded"},
    {"N", "Branded Advanced Format/WD Branded"},
    {"P", "Mobile Advanced Format/WD Blue; WD Green; WD Black; WD Scorpio"},
    {"R", "Enterprise Advanced Format/WD RE drive families"},
    {"S", "Enterprise Power Safe 512e"},
    {"U", "Audio/Video Advanced Format - WD AV"},
    {"V", "Audio/Video - WD AV"},
    {"W", "Enterprise Advanced Format/WD VelociRaptor"},
    {"Y", "Enterprise/WD RE drive families (4-platter)"},
    {"Z", "Desktop Advanced Format/WD Blue; WD Black; WD Green; WD Caviar"},
};

constexpr TCodeEntry kSpeedCache[] = {
    {"1", "SSHD with 64 MB cache"},
    {"2", "16 Gigabyte NAND Flash (GNF)"},
    {"6", "128 GNF, 120 GB SSD"},
    {"A", "5400 RPM with 2 MB cache"},
    {"B", "7200 RPM with 2 MB cache"},
    {"C", "5400 RPM with 16 MB cache"},
    {"D", "5400 RPM with 32 MB cache"},
    {"E", "7200 RPM with 64 MB cache (<2 TB)"},
    {"F", "10,000 RPM with 16 MB cache"},
    {"G", "10,000 RPM with 8 MB cache"},
    {"H", "10,000 RPM with 32 MB cache"},
    {"J", "7200 RPM with 8 MB cache"},
    {"K", "7200 RPM with 16 MB cache"},
    {"L", "7200 RPM with 32 MB cache"},
    {"M", "Enterprise SED/WD Re™"},
    {"P", "5200 RPM/IntelliPower™/EM (maximum buffer size offered by product)"},
    {"R", "5400 RPM with 64 MB cache"},
    {"S", "7200 RPM with 64 MB cache (2 TB)"},
    {"T", "10,000 RPM/EM (maximum buffer size offered by product)"},
    {"V", "5400 RPM with 8 MB cache (Mobile)"},
    {"W", "7200 RPM with 128 MB cache"},
    {"Y", "7200 RPM/EM (maximum buffer size offered by product)"},
    {"Z", "5400 RPM with 128 MB cache"},
};

constexpr TCodeEntry kInterface[] = {
    {"A", "ATA/66 with 40-pin IDE connector"},
    {"B", "ATA/100 with 40-pin IDE connector"},
    {"C", "ATA with 33-pin connector (zero insertion force—ZIF)"},
    {"D", "SATA 1.5 Gb/s with 22-pin SATA connector"},
    {"E", "ATA/133 with 40-pin IDE connector"},
    {"F", "SAS-3 with 29-pin connector"},
    {"G", "SAS-6 with 29-pin connector"},
    {"K", "SATA 6 Gb/s with 20-pin SFF-8784 connector"},
    {"S", "SATA 3 Gb/s with 22-pin SATA connector"},
    {"T", "SATA 3 Gb/s with 22-pin SATA connector (Mobile)"},
    {"W", "USB 3.0/Micro-B USB3.0"},
    {"X", "SATA 6 Gb/s with 22-pin SATA connector"},
    {"Z", "SATA 6 Gb/s with 22-pin SATA connector (Enterprise)"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"公司縮寫", TCaptureFormatting::Table, kCompany},
    {"容量", TCaptureFormatting::Capacity, {}},
    {"容量單位/外形", TCaptureFormatting::Table, kUnitFormFactor},
    {"商業單位/品牌", TCaptureFormatting::Table, kBusinessUnit},
    {"RPM/緩沖區大小或屬性", TCaptureFormatting::Table, kSpeedCache},
    {"介面/連線器", TCaptureFormatting::Table, kInterface},
};

}  // namespace

const TDecoderDefinition& WdcHddDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "Western Digital HDD", "(WD)(\\d{2,4})(\\w)(\\w)(\\w?)(\\w?)", kCaptures};
  return definition;
}

}  // namespace vexa
