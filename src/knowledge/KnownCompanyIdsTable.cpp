// IEEE company identifiers (OUI) of drive world wide names and their brands, searched
// in order: the first equal identifier wins, so 00A075 is Micron, never Crucial.
#include "knowledge/KnownDevicesTables.h"

namespace vexa {

constinit const std::array<TKnownCompanyId, KnownCompanyIdCount> KnownCompanyIds = {{
    {0x0024E9, 1},   // Samsung
    {0x002538, 1},   // Samsung
    {0x0000F0, 1},   // Samsung
    {0x5CD2E4, 2},   // Intel
    {0x001517, 2},   // Intel
    {0xE83A97, 3},   // OCZ
    {0x0026B7, 4},   // Kingston
    {0x00A075, 6},   // Micron
    {0x00A075, 5},   // Crucial
    {0x707C18, 8},   // ADATA
    {0x0014EE, 9},   // Western Digital
    {0x000C50, 10},  // Seagate
    {0x0004CF, 10},  // Seagate
    {0x001B44, 12},  // SanDisk
    {0x000039, 15},  // Toshiba
    {0x00080D, 15},  // Toshiba
    {0x002303, 23},  // LiteOn
    {0x000CCA, 24},  // Hitachi
    {0x001480, 24},  // Hitachi
    {0x00232D, 31},  // SandForce
    {0xDC663A, 22},  // Apacer
}};

}  // namespace vexa
