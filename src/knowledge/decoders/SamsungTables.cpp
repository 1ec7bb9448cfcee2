// Code tables of the Samsung SSD model-number scheme: the decoder's name, its
// pattern and, per capture group in order, the row label with its code table
// or formatter. Rows are searched in order; the first equal code wins.
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {
namespace {

constexpr TCodeEntry kPartType[] = {
    {"M", "記憶體"},
};

constexpr TCodeEntry kModuleClassification[] = {
    {"Z", "SSD"},
    {"M", "?"},
};

constexpr TCodeEntry kFormFactor[] = {
    {"5", "SATA II, 3Gbit/s, 2.5\" 9.5 mm*"},
    {"7", "SATA III, 6Gbit/s, 2.5\" 7 mm"},
    {"A", "M.2 22x42 mm"},
    {"M", "mSATA"},
    {"N", "M.2"},
    {"H", "PCIe, SATAe Ultra-thin, M.2 22x80 mm"},
    {"V", "NVMe, M.2 22x80 mm, PCIe x4"},
    {"I", "SAS, 2.5\" 15mm"},
    {"W", "NVMe, 2.5\" 15mm"},
    {"P", "NVMe, Half-Height Half-Length Add-In Card (HHHL AIC)"},
    {"Y", "M.2*"},
};

constexpr TCodeEntry kLineUp[] = {
    {"K", "SM*: Server* (2bit MLC*) - AES 256-bit Encryption Support*"},
    {"G", "TLC*"},
    {"W", "Enterprise* MLC*"},
    {"T", "PM*: TLC*"},
    {"L", "VT: Client/SV (VNAND 3bit MLC) - Read Intensive Application"},
    {"P", "PM: PC/Client (2bit MLC)"},
};

constexpr TCodeEntry kController[] = {
    {"0", "MGX (?)"},
    {"A", "S3C29MAX01 / MAX"},
    {"C", "S4LJ204X01 / MCX"},
    {"D", "S4LN021X01 / MDX"},
    {"E", "S4LN045X01 / MEX"},
    {"F", "(?)"},
    {"N", "(?)"},
    {"M", "Mercury / S4LP052X01 / MHX"},
    {"S", "REX"},
    {"U", "S4LNO53X01"},
    {"V", "S4LN058A01 / UBX"},
};

constexpr TCodeEntry kNandPackage[] = {
    {"H", "BGA (LF,HF)"},
};

constexpr TCodeEntry kFlashGeneration[] = {
    {"M", "1st"},
    {"A", "2nd"},
    {"B", "3rd"},
    {"C", "4th"},
    {"D", "5th"},
};

constexpr TCodeEntry kNandDensity[] = {
    {"CD", "64G DDP 2CE"},
    {"DR", "128G QDP 4CE"},
    {"FD", "256G DDP 2CE"},
    {"FU", "256G ODP 8CE"},
    {"HP", "1T ODP 8CE"},
    {"JM", "2T HDP 8CE"},
    {"JH", "2T HDP 16CE"},
    {"GH", "512G HDP 8CE"},
    {"GJ", "512G HDP 16CE"},
    {"GL", "1TB HDP 16CE"},
    {"GM", "512G ODP 8CE"},
    {"GR", "512G QDP 4CE"},
};

constexpr TCaptureDefinition kCaptures[] = {
    {"Part Type", TCaptureFormatting::Table, kPartType},
    {"Module Classification", TCaptureFormatting::Table, kModuleClassification},
    {"Form Factor", TCaptureFormatting::Table, kFormFactor},
    {"Line-Up", TCaptureFormatting::Table, kLineUp},
    {"SSD Controller", TCaptureFormatting::Table, kController},
    {"Capacity", TCaptureFormatting::Capacity, {}},
    {"NAND PKG + NAND Voltage", TCaptureFormatting::Table, kNandPackage},
    {"Flash Generation", TCaptureFormatting::Table, kFlashGeneration},
    {"NAND Density", TCaptureFormatting::Table, kNandDensity},
    {"Internal Value", TCaptureFormatting::Table, {}},
};

}  // namespace

const TDecoderDefinition& SamsungDecoderTables() {
  static constexpr TDecoderDefinition definition{
      "Samsung SSD", "(M)([MZ])-?(\\w)(\\w)(\\w)(\\d[\\dGT][\\dGT])(\\w?)(\\w?)(\\w{0,2})-?(.{0,6})", kCaptures};
  return definition;
}

}  // namespace vexa
