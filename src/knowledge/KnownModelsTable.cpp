// The model table of known drives, in search order: the first row that matches a
// model string wins, so specific rows stand before general ones of their family and
// brand-only rows close their brand's group. Rows without a pattern match when the
// model string contains "brand model name"; the trailing number is the row number.
#include "knowledge/KnownDevicesTables.h"

namespace vexa {

constinit const std::array<TKnownDevice, KnownModelCount> KnownModels = {{
    KnownRow(1, "SSD 850 PRO", nullptr, "Samsung MEX/S4LN045X01",  // 1
             "Samsung 86/128Gbit Toggle 32-layer V-NAND", "40", "MLC", "July 21, 2014"),
    KnownRow(1, "SSD 850 EVO", nullptr, "Samsung MGX/MEX/MHX"),  // 2
    KnownRow(1, "SSD 845DC PRO", nullptr, "Samsung MDX/S4LN021X01"),  // 3
    KnownRow(1, "SSD 845DC EVO", nullptr, "Samsung MEX/S4LN045X01"),  // 4
    KnownRow(1, "SSD 840 PRO", nullptr, "Samsung MDX/S4LN021X01"),  // 5
    KnownRow(1, "SSD 840 EVO", nullptr, "Samsung MEX/S4LN045X01"),  // 6
    KnownRow(1, "SSD 840", nullptr, "Samsung MDX/S4LN021X01"),  // 7
    KnownRow(1, "SSD 830", nullptr, "Samsung MCX/S4LJ204X01"),  // 8
    KnownRow(1, "470 Series SSD", nullptr, "Samsung MAX/S3C29MAX01"),  // 9
    KnownRow(1, "SSD 750 EVO", nullptr, "Samsung MGX"),  // 10
    KnownRow(1, "470 OEM", "MZ7PA(\\d+)H\\a{3}", "Samsung MAX/S3C29MAX01",  // 11
             "Samsung", "30", "MLC", "2010"),
    KnownRow(1, "PM1633a", "MZILS(\\d[\\dT][\\dT])HM\\a{2}", "Samsung REX"),  // 12
    KnownRow(1, "PM830", "MZ7PC(\\d+)H\\a{3}", "Samsung MCX/S4LJ204X01"),  // 13
    KnownRow(1, "PM830 mSATA", "MZMPC(\\d+)H\\a{3}", "Samsung MCX/S4LJ204X01"),  // 14
    KnownRow(1, "SM841", "MZ7PD(\\d+)H\\a{3}", "Samsung MDX/S4LN021X01"),  // 15
    KnownRow(1, "SM841 mSATA", "SAMSUNG SSD SM841 mSATA (\\d+[GT])B", "Samsung MDX/S4LN021X01"),  // 16
    KnownRow(1, "SM841 mSATA", "MZMPD(\\d+)H\\a{3}", "Samsung MDX/S4LN021X01"),  // 17
    KnownRow(1, "PM841", "MZ7TD(\\d+)H\\a{3}", "Samsung MDX/S4LN021X01"),  // 18
    KnownRow(1, "PM841 mSATA", "SAMSUNG SSD PM841 mSATA (\\d+[GT])B", "Samsung MDX/S4LN021X01"),  // 19
    KnownRow(1, "PM841 mSATA", "MZMTD(\\d+)H\\a{3}", "Samsung MDX/S4LN021X01"),  // 20
    KnownRow(1, "PM841 M.2", "MZNTD(\\d+)H\\a{3}", "Samsung MDX/S4LN021X01"),  // 21
    KnownRow(1, "SM843T", "MZ7WD(\\d+)H\\a{3}", "Samsung MDX/S4LN021X01"),  // 22
    KnownRow(1, "PM851", "SAMSUNG SSD PM851 2.5 7mm (\\d+)[TG]B", "Samsung MEX/S4LN045X01"),  // 23
    KnownRow(1, "PM851", "MZ7TE(\\d+)H\\a{3}", "Samsung MEX/S4LN045X01"),  // 24
    KnownRow(1, "PM851 M.2", "MZNTE(\\d+)H\\a{3}", "Samsung MEX/S4LN045X01"),  // 25
    KnownRow(1, "PM851 mSATA", "SAMSUNG SSD PM851 mSATA (\\d+)[TG]B", "Samsung MEX/S4LN045X01"),  // 26
    KnownRow(1, "PM851 mSATA", "MZMTE(\\d+)H\\a{3}", "Samsung MEX/S4LN045X01"),  // 27
    KnownRow(1, "SM863", "MZ7KM(\\d[\\dT][\\dT])H\\a{3}", "Samsung MHX/S4LP052X01"),  // 28
    KnownRow(1, "PM863", "MZ7LM(\\d[\\dT][\\dT])H\\a{3}", "Samsung MHX/S4LP052X01"),  // 29
    KnownRow(1, "PM863", "SAMSUNG SSD PM863", "Samsung MHX/S4LP052X01"),  // 30
    KnownRow(1, "XP941 M.2", "MZHPU(\\d+)H\\a{3}", "Samsung S4LNO53X01"),  // 31
    KnownRow(1, "PM871", "MZ7LN(\\d+)H\\a{3}", "Samsung"),  // 32
    KnownRow(1, "PM871 M.2", "MZNLN(\\d+)H\\a{3}", "Samsung"),  // 33
    KnownRow(1, "?", "MZYLN(\\d+)H\\a{3}", "Samsung"),  // 34
    KnownRow(1, "?", "MZYLF(\\d+)H\\a{3}", "Samsung"),  // 35
    KnownRow(1, "?", "MZNLF(\\d+)H\\a{3}", "Samsung"),  // 36
    KnownRow(1, "950 Pro M.2/NVMe", "MZVKV(\\d+)", "Samsung UBX/S4LN058A01"),  // 37
    KnownRow(1, "SM951 M.2/NVMe", "MZ[HV]PV(\\d+)", "Samsung UBX/S4LN058A01"),  // 38
    KnownRow(1, "PM951 M.2/NVMe", "MZ[HV]LV(\\d+)", "Samsung UBX/S4LN058A01"),  // 39
    KnownRow(1, "SM961 M.2/NVMe", "MZVPV(\\d+)", "Samsung Polaris"),  // 40
    KnownRow(1, "PM961 M.2/NVMe", "MZVLV(\\d+)", "Samsung Polaris"),  // 41
    KnownRow(2, "X18-M G1", "SSDSA1MH?(\\d+)G1", "",  // 42
             "Intel 16Gbit", "50", "MLC", "Q3 2008"),
    KnownRow(2, "X18-M G2", "SSDSA1MH?(\\d+)G2", ""),  // 43
    KnownRow(2, "X25-E", "SSDSA2SH?(\\d+)G1", "Intel PC29AS21AA0"),  // 44
    KnownRow(2, "X25-M G1", "SSDSA2MH?(\\d+)G1", "Intel PC29AS21AA0"),  // 45
    KnownRow(2, "X25-M G2", "SSDSA2MH?(\\d+)G2", "Intel PC29AS21BA0"),  // 46
    KnownRow(2, "X25-V", "SSDSA2M(\\d+)G2", "Intel PC29AS21BA0"),  // 47
    KnownRow(2, "SSD 310 mSATA", "SSDMAEMC(\\d+)G2", "Intel PC29AS21BA0"),  // 48
    KnownRow(2, "SSD 320", "SSDSA2[BC][TW](\\d+)G3", "Intel PC29AS21BA0"),  // 49
    KnownRow(2, "SSD 330", "SSDSC2CT(\\d+)A3", "SandForce SF-2281"),  // 50
    KnownRow(2, "SSD 335", "SSDSC2CT(\\d+)A4", "SandForce SF-2281"),  // 51
    KnownRow(2, "SSD 510", "SSDSC2MH?(\\d+)A2", "Marvell 88SS9174-BKK2"),  // 52
    KnownRow(2, "SSD 520", "SSDSC2[BC]W(\\d+)A3", "SandForce SF-2281"),  // 53
    KnownRow(2, "SSD 521", "SSDSCMMW(\\d+)A3", ""),  // 54
    KnownRow(2, "SSD 525 mSATA", "SSDMCEAC(\\d+)A3", "SandForce SF-2281"),  // 55
    KnownRow(2, "SSD 530", "SSDSC2BW(\\d+)A4", "SandForce SF-2281 (Intel Rebrand)"),  // 56
    KnownRow(2, "SSD 535", "SSDSC2BW(\\d+)H6", ""),  // 57
    KnownRow(2, "SSD 540s", "SSDSC2KW(\\d+)H6", "Silicon Motion SM2258G"),  // 58
    KnownRow(2, "SSD 600p M.2/NVMe", "SSDPEKKW(\\d+)G7", "Silicon Motion SM2260"),  // 59
    KnownRow(2, "SSD 710", "SSDSA2BZ(\\d+)G3", "Intel PC29AS21BA0"),  // 60
    KnownRow(2, "SSD 730", "SSDSC2BP(\\d+)G4", "Intel PC29AS21CA0"),  // 61
    KnownRow(2, "SSD 750 PCIe NVMe", "SSDPE[D2]MW(\\d+)", "Intel CH29AE41AB0"),  // 62
    KnownRow(2, "SSD DC S3500", "SSDSC2BB(\\d+)G4", "Intel PC29AS21CA0"),  // 63
    KnownRow(2, "SSD DC S3510", "SSDSC2BB(\\d+)G6", "Intel"),  // 64
    KnownRow(2, "SSD DC S3610", "SSDSC2BX(\\d+)[GT]4", "Intel PC29AS21CB0"),  // 65
    KnownRow(2, "SSD DC S3700", "SSDSC2BA(\\d+)G3", "Intel PC29AS21CA0"),  // 66
    KnownRow(2, "SSD DC S3710", "SSDSC2BA(\\d+)G4", "Intel PC29AS21CB0"),  // 67
    KnownRow(2, "SSD Pro 1500", "SSDSC2BF(\\d+)A4", "SandForce SF-2281"),  // 68
    KnownRow(2, "SSD Pro 2500", "SSDSC2BF(\\d+)H5", "SandForce SF-2281"),  // 69
    KnownRow(2, "SSD Pro 2500", "SSDSC2BF(\\d+)A5", "SandForce SF-2281"),  // 70
    KnownRow(2, "SSD Pro 1500 M.2", "SSDSCKGF(\\d+)A4", "SandForce SF-2281"),  // 71
    KnownRow(2, "SSD Pro 2500 M.2", "SSDSC[KJ]JF(\\d+)H6", "SandForce SF-2281"),  // 72
    KnownRow(2, "SSD Pro 2500 M.2", "SSDSC[KJ]JF(\\d+)A5", "SandForce SF-2281"),  // 73
    KnownRow(3, "Onyx", "OCZ-ONYX$", "Indilinx Amigos",  // 74
             "Intel 32Gbit", "32", "MLC", "2010"),
    KnownRow(3, "Solid 3", "OCZ-SOLID3$", "SandForce SF-2281"),  // 75
    KnownRow(3, "ARC 100", "OCZ-ARC100$", "Indilinx Barefoot 3 M10"),  // 76
    KnownRow(3, "Vector 180", "OCZ-VECTOR180$", "Indilinx Barefoot 3 M00"),  // 77
    KnownRow(3, "Vector 150", "OCZ-VECTOR150$", "Indilinx Barefoot 3 M00"),  // 78
    KnownRow(3, "Vector", "OCZ-VECTOR$", "Indilinx Barefoot 3 M00"),  // 79
    KnownRow(3, "Octane", "OCZ-OCTANE$", "Indilinx Everest"),  // 80
    KnownRow(3, "Petrol", "OCZ-PETROL$", "Indilinx Everest"),  // 81
    KnownRow(3, "Vertex 450", "OCZ-VERTEX450$", "Indilinx Barefoot 3 M10"),  // 82
    KnownRow(3, "Vertex 460A", "OCZ-VERTEX460A$", "Indilinx Barefoot 3 M10"),  // 83
    KnownRow(3, "Vertex 460", "OCZ-VERTEX460$", "Indilinx Barefoot 3 M10"),  // 84
    KnownRow(3, "Vertex 4", "OCZ-VERTEX4$", "Indilinx Everest 2"),  // 85
    KnownRow(3, "Vertex 3.20", "OCZ-VERTEX3\\.20$", "SandForce SF-2281"),  // 86
    KnownRow(3, "Vertex 3 MAX IOPS", "OCZ-VERTEX3 MI$", "SandForce SF-2281"),  // 87
    KnownRow(3, "Vertex 3", "OCZ-VERTEX3$", "SandForce SF-2281"),  // 88
    KnownRow(3, "Vertex 2", "OCZ-VERTEX2$", "SandForce SF-1222",  // 89
             "Intel, Hynix or Micron Async", "34/25", "MLC", "Apr 2010 / Jan 2011"),
    KnownRow(3, "Vertex Plus", "OCZ VERTEX PLUS$", "Indilinx Barefoot"),  // 90
    KnownRow(3, "Vertex", "OCZ-VERTEX$", "Indilinx Barefoot"),  // 91
    KnownRow(3, "Agility 4", "OCZ-AGILITY4$", "Indilinx Everest 2"),  // 92
    KnownRow(3, "Agility 3", "OCZ-AGILITY3$", "SandForce SF-2281"),  // 93
    KnownRow(3, "Agility 2", "OCZ-AGILITY2$", "SandForce SF-1222"),  // 94
    KnownRow(3, "Agility EX", "AGILITY-EX$", "Indilinx Barefoot"),  // 95
    KnownRow(3, "Agility", "OCZ-AGILITY$", "Indilinx Barefoot"),  // 96
    KnownRow(3, "Trion 100", "OCZ-TRION100$", "Toshiba Alishan/TC58NC1000GSB (Phison)"),  // 97
    KnownRow(3, "Trion 150", "OCZ-TRION150$", "Toshiba Alishan/TC58NC1000GSB (Phison)"),  // 98
    KnownRow(3, "Vertex Turbo", "OCZ VERTEX-TURBO$", "Indilinx Barefoot"),  // 99
    KnownRow(3, "Saber 1000", "OCZ[-\\s]SABER", "OCZ Barefoot 3"),  // 100
    KnownRow(4, "SSDNow V", "KINGSTON SNV425S2(\\d+[GT])", "JMicron JMF618 (Toshiba)"),  // 101
    KnownRow(4, "SSDNow V", "KINGSTON SSDNow (\\d+[GT])", "JMicron JMF618 (Toshiba)"),  // 102
    KnownRow(4, "SSDNow V100", "KINGSTON SV100S2(\\d+[GT])", "JMicron JMF618 (Toshiba)"),  // 103
    KnownRow(4, "SSDNow V+100", "KINGSTON SVP100S2(\\d+[GT])", "Toshiba"),  // 104
    KnownRow(4, "SSDNow V+180", "KINGSTON SVP180S2(\\d+[GT])", "Toshiba T6UG1XBG"),  // 105
    KnownRow(4, "HyperX", "KINGSTON SH100S3(\\d+[GT])", "SandForce SF-2281"),  // 106
    KnownRow(4, "HyperX 3K", "KINGSTON SH103S3(\\d+[GT])", "SandForce SF-2281"),  // 107
    KnownRow(4, "HyperX FURY", "KINGSTON SHFS37A?(\\d+[GT])", "SandForce SF-2281"),  // 108
    KnownRow(4, "HyperX Savage", "KINGSTON SHSS37A?(\\d+[GT])", "Phison PS3110-S10-X"),  // 109
    KnownRow(4, "SSDNow V200", "KINGSTON SV200S3(\\d+[GT])", "Toshiba/JMicron JMF668"),  // 110
    KnownRow(4, "SSDNow V+200", "KINGSTON SVP200S3(\\d+[GT])", "SandForce SF-2281"),  // 111
    KnownRow(4, "SSDNow V300", "KINGSTON SV300S37A?/?(\\d+[GT])", "SandForce SF-2281"),  // 112
    KnownRow(4, "SSDNow V310", "KINGSTON SV310S37A?(\\d+[GT])", "Phison PS3108-S8-I"),  // 113
    KnownRow(4, "SSDNow UV300", "KINGSTON SUV300S37A?(\\d+[GT])", "Phison PS3110-S10-X"),  // 114
    KnownRow(4, "SSDNow KC300", "KINGSTON SKC300S37A?(\\d+[GT])", "SandForce SF-2281"),  // 115
    KnownRow(4, "SSDNow UV400", "KINGSTON SUV400S37A?(\\d+[GT])", "Marvell 88SS1074"),  // 116
    KnownRow(4, "SSDNow KC400", "KINGSTON SKC400S37A?(\\d+[GT])", "Phison PS3110-S10-X"),  // 117
    KnownRow(4, "HyperX Predator PCIe", "Kingston SHPM2280P2H/(\\d+[GT])", "Marvell 88SS9293-BTB2"),  // 118
    KnownRow(4, "SSDNow V+ Gen 1", "KINGSTON SNV225S2(\\d+[GT])", "Samsung S3C29RBB01"),  // 119
    KnownRow(4, "SSDNow V+ Gen 2", "KINGSTON SNVP325S2(\\d+[GT])", "Toshiba T6UG1XBG"),  // 120
    KnownRow(4, "SSDNow M.2 Gen 2", "KINGSTON SM2280S3G2(\\d+[GT])", "Phison PS3110-S10C-12"),  // 121
    KnownRow(5, "RealSSD C300", "C300-CTFDDAC(\\d+)MAG", "Marvell 88SS9174-BJP2",  // 122
             "Micron Sync 32Gbit", "34", "MLC", "February 2010"),
    KnownRow(5, "v4", "V4-CT(\\d+)V4SSD\\d", "Phison PS3105-S5-I"),  // 123
    KnownRow(5, "m4", "M4-CT(\\d+)M4SSD\\d", "Marvell 88SS9174-BLD2/BKK2"),  // 124
    KnownRow(5, "MX100", "Crucial_CT(\\d+)MX100SSD\\d", "Marvell 88SS9189-BLD2"),  // 125
    KnownRow(5, "MX200", "Crucial_CT(\\d+)MX200SSD\\d", "Marvell 88SS9189-BLD2"),  // 126
    KnownRow(5, "MX300", "Crucial_CT(\\d+)MX300SSD\\d", "Marvell 88SS1074"),  // 127
    KnownRow(5, "BX100", "CT(\\d+)BX100SSD\\d", "Silicon Motion SM2246EN"),  // 128
    KnownRow(5, "BX200", "CT(\\d+)BX200SSD\\d", "Silicon Motion SM2256G"),  // 129
    KnownRow(5, "M500", "CT(\\d+)M500SSD\\d", "Marvell 88SS9187-BLD2"),  // 130
    KnownRow(5, "M550", "Crucial_CT(\\d+)M550SSD\\d", "Marvell 88SS9189-BLD2"),  // 131
    KnownRow(5, "Adrenaline m4 Cache", "DP-CT(\\d+)M4SSC\\d", "Marvell 88SS9174-BLD2"),  // 132
    KnownRow(6, "RealSSD C300", "MTFDBA[CK](\\d+)MAG", "Marvell 88SS9174-BJP2"),  // 133
    KnownRow(6, "RealSSD C400", "MTFDDA[CK](\\d+)MAM", "Marvell 88SS9174-BLD2/BKK2"),  // 134
    KnownRow(6, "RealSSD C400 mSATA", "MTFDDAT(\\d+)MAM", "Marvell 88SS9174-BLD2"),  // 135
    KnownRow(6, "M600", "Micron_M600_MTFDDAK(\\d+)MBF", "Marvell 88SS9189-BLD2"),  // 136
    KnownRow(6, "M550", "MTFDDA[CK](\\d+)MAY", "Marvell 88SS9189-BLD2"),  // 137
    KnownRow(6, "M510 M.2", "MTFDDAV(\\d+)MAZ", "Marvell 88SS9189-BLD2"),  // 138
    KnownRow(6, "M510DC", "MTFDDA[CK](\\d+)MBP", "Marvell 88SS9187-BLD2"),  // 139
    KnownRow(6, "M500DC", "MTFDDA[CK](\\d+)MBB", "Marvell 88SS9187-BLD2"),  // 140
    KnownRow(7, "Blast", nullptr, "Phison PS3110-S10C-12",  // 141
             "", "", "TLC", "2015"),
    KnownRow(7, "Wildfire", nullptr, "SandForce SF-2281"),  // 142
    KnownRow(7, "Pyro SE", nullptr, "SandForce SF-2281"),  // 143
    KnownRow(7, "Pyro", nullptr, "SandForce SF-2281"),  // 144
    KnownRow(7, "Torqx 2", "Patriot Torqx 2 (\\d+[GT])B SSD", "Phison PS3105-S5-I"),  // 145
    KnownRow(7, "Torqx", "Patriot Torqx (\\d+[GT])B SSD", "Indilinx Barefoot"),  // 146
    KnownRow(7, "Blaze", nullptr, "Phison PS3109-S9-J/PS3108-S8-I"),  // 147
    KnownRow(7, "Torch", nullptr, "Phison PS3109-S9-J/PS3108-S8-I"),  // 148
    KnownRow(7, "Ignite", nullptr, "Phison PS3110-S10-X"),  // 149
    KnownRow(7, "Hellfire", nullptr, "Phison PS5007-E7"),  // 150
    KnownRow(8, "SU800", nullptr, "Silicon Motion SM2258",  // 151
             "3D NAND", "", "TLC", ""),
    KnownRow(8, "SP600", nullptr, "JMicron JMF661"),  // 152
    KnownRow(8, "SP610", nullptr, "Silicon Motion SM2246EN"),  // 153
    KnownRow(8, "SX900", nullptr, "SandForce SF-2281"),  // 154
    KnownRow(8, "SX910", nullptr, "SandForce SF-2281"),  // 155
    KnownRow(8, "SP900", nullptr, "SandForce SF-2281"),  // 156
    KnownRow(8, "SP910", nullptr, "Marvell 88SS9187"),  // 157
    KnownRow(8, "SP920", nullptr, "Marvell 88SS9189"),  // 158
    KnownRow(8, "SP550", nullptr, "Silicon Motion SM2256G"),  // 159
    KnownRow(8, "SP560", nullptr, "Marvell 88SS1074"),  // 160
    KnownRow(8, "SX930", nullptr, "JMicron JMF670H"),  // 161
    KnownRow(8, "SSD S510", nullptr, "SandForce SF-2281"),  // 162
    KnownRow(8, "XM11", nullptr, "SandForce SF-2281VB1"),  // 163
    KnownRow(9, "Black 2 Dual Drive", "WDC WD1001X06X", "JMicron JMF667H",  // 164
             "", "20", "MLC", "2013"),
    KnownRow(9, nullptr, "^WDC", nullptr),  // 165
    KnownRow(10, "600 Pro", "^ST(\\d+)FP\\d{4}", "Link_A_Media LM87800AA"),  // 166
    KnownRow(10, "600", "^ST(\\d+)HM\\d{3}", "Link_A_Media LM87800AA"),  // 167
    KnownRow(10, "1200", "^ST(\\d+)FM\\d{4}", "Marvell 88i1066-BPF2"),  // 168
    KnownRow(10, nullptr, "^ST\\d.+", nullptr),  // 169
    KnownRow(11, "Radeon R7 Series SSD", "Radeon R7", "Indilinx Barefoot 3 M00",  // 170
             "Toshiba Toggle 64Gbit", "A19", "MLC", "August 2014"),
    KnownRow(11, "Radeon R3", "R3SL(\\d+[GT])", "Silicon Motion SM2256KX"),  // 171
    KnownRow(12, "Z400s", "SanDisk SD8SBAT-?(\\d+[GT])", ""),  // 172
    KnownRow(12, "X100", "SanDisk SD5SF2(\\d+[GT])", ""),  // 173
    KnownRow(12, "X210", "SanDisk SD6SB2M(\\d+[GT])", ""),  // 174
    KnownRow(12, "X110", "SanDisk SD6SB1M(\\d+[GT])", "Marvell 88SS9175-BJM2"),  // 175
    KnownRow(12, "X110 M.2", "SanDisk SD6S[NP]1M-?(\\d+[GT])", "Marvell 88SS9175-BJM2"),  // 176
    KnownRow(12, "X110 M.2", "SanDisk X110 M.2 2260 (\\d+[GT])", "Marvell 88SS9175-BJM2"),  // 177
    KnownRow(12, "X300s", "SanDisk SD7[US]B[23]Q-?(\\d+[GT])", "Marvell 88SS9188/88SS9187"),  // 178
    KnownRow(12, "X300", "SanDisk SD7SB6S(\\d+[GT])", "Marvell 88SS9190"),  // 179
    KnownRow(12, "X300", "SanDisk X300 2.5 7MM (\\d+[GT])", "Marvell 88SS9190"),  // 180
    KnownRow(12, "X400", "SanDisk SD8[ST]B8U-?(\\d+[GT])", "Marvell 88SS1074-BSW2"),  // 181
    KnownRow(12, "X400 M.2", "SanDisk SD8[ST]N8U-?(\\d+[GT])", "Marvell 88SS1074-BSW2"),  // 182
    KnownRow(12, "A110 M.2", "SanDisk SD6PP4M-(\\d+[GT])", "Marvell 88SS9183-BNP2"),  // 183
    KnownRow(12, "Ultra Plus", "SanDisk SDSSDH[P2](\\d+[GT])", "Marvell 88SS9175-BJM2"),  // 184
    KnownRow(12, "Ultra", "SanDisk SDSSDH(\\d+[GT])", "SandForce SF-1222"),  // 185
    KnownRow(12, "Ultra II", "SanDisk SDSSDHII(\\d+[GT])", "Marvell 88SS9190/88SS9189"),  // 186
    KnownRow(12, "Extreme", "SanDisk SDSSDX(\\d+[GT])", "SandForce SF-2281"),  // 187
    KnownRow(12, "Extreme II", "SanDisk SDSSDXP(\\d+[GT])", "Marvell 88SS9187"),  // 188
    KnownRow(12, "Extreme PRO", "SanDisk SDSSDXPS(\\d+[GT])", "Marvell 88SS9187"),  // 189
    KnownRow(12, "SSD Plus", "SanDisk SDSSDA(\\d+[GT])", "Silicon Motion SM2246XT"),  // 190
    KnownRow(12, "SSD", "SanDisk SDSSDP(\\d+[GT])", "SanDisk"),  // 191
    KnownRow(12, "ReadyCache", "SanDisk SDSSDRC(\\d+[GT])", ""),  // 192
    KnownRow(12, "U100 M.2", "SanDisk SSD U100 (\\d+[GT])", "SanDisk"),  // 193
    KnownRow(14, "Neutron XTi", nullptr, "Phison PS3110-S10-X"),  // 194
    KnownRow(14, "Neutron XT", nullptr, "Phison PS3110-S10-X"),  // 195
    KnownRow(14, "Neutron GTX", nullptr, "Link_A_Media LM87800"),  // 196
    KnownRow(14, "Neutron", nullptr, "Link_A_Media LM87800"),  // 197
    KnownRow(14, "Force LE", nullptr, "Phison PS3110-S10-X"),  // 198
    KnownRow(14, "Force LX", nullptr, "Silicon Motion SM2246EN"),  // 199
    KnownRow(14, "Force LS", nullptr, "Phison PS3108-S8-I"),  // 200
    KnownRow(14, "Force GT", nullptr, "SandForce SF-2281"),  // 201
    KnownRow(14, "Force GS", nullptr, "SandForce SF-2281"),  // 202
    KnownRow(14, "Force 3", nullptr, "SandForce SF-2281"),  // 203
    KnownRow(14, "Performance Pro", nullptr, "Marvell 88SS9174-BLD2"),  // 204
    KnownRow(14, "Accelerator SSD", nullptr, "SandForce SF-2141TB1"),  // 205
    KnownRow(14, "Performance3 SSD", nullptr, "Marvell 88SS9174-BKK2"),  // 206
    KnownRow(14, "Force", "Corsair CSSD-F(\\d+)GB2", "SandForce SF-1222"),  // 207
    KnownRow(14, "Performance", "CORSAIR CMFSSD-(\\d+)GBG2D", "Samsung S3C29RBB01"),  // 208
    KnownRow(15, "Q Series Pro", "THNS[NF]J(\\d+[GT])[BC]ST", "Toshiba TC358790XBG"),  // 209
    KnownRow(15, "HG5d / Q Series", "THNS[NF]H(\\d+[GT])[BC]ST", "Toshiba TC58NC5HA9GST (Marvell)"),  // 210
    KnownRow(15, "HG3 µSATA", "THNS[NF]C(\\d+[GT])MMJ", ""),  // 211
    KnownRow(15, "<Unknown> M.2", "THNS[NF]X(\\d+[GT])MNT", ""),  // 212
    KnownRow(15, "HG5", "THNS[NF]F(\\d+[GT])[BC]SS", "Toshiba TC58NC5HA9GST (Marvell)"),  // 213
    KnownRow(15, "HG5 mSATA", "THNS[NF]F(\\d+[GT])MCS", "Toshiba TC58NC5HA9GST (Marvell)"),  // 214
    KnownRow(15, "HG5d mSATA", "THNS[NF]H(\\d+[GT])MCT", "Toshiba TC58NC5HA9GST (Marvell)"),  // 215
    KnownRow(15, "HG6", "THNS[NF]J(\\d+[GT])[BC]SU", "Toshiba TC358790XBG"),  // 216
    KnownRow(15, "HG6 M.2", "THNS[NF]J(\\d+[GT])8NU", "Toshiba"),  // 217
    KnownRow(15, "HG6 mSATA", "THNS[NF]J(\\d+[GT])MCU", "Toshiba"),  // 218
    KnownRow(15, "XG3 M.2/NVMe", "THNS[NF]5(\\w{4})DU7", "Toshiba TC58NCP070GSB",  // 219
             "Toshiba", "15", "MLC", "April 2016"),
    KnownRow(15, "OEM", "THNS(\\d+[GT])G4BAAA", "Toshiba"),  // 220
    KnownRow(16, "M2P", "PLEXTOR PX-(\\d+)M2P", "Marvell 88SS9174-BKK2"),  // 221
    KnownRow(16, "M3S", "PLEXTOR PX-(\\d+)M3S", "Marvell 88SS9174-BLD2"),  // 222
    KnownRow(16, "M3 Pro", "PLEXTOR PX-(\\d+)M3P", "Marvell 88SS9174-BLD2"),  // 223
    KnownRow(16, "M5S", "PLEXTOR PX-(\\d+)M5S", "Marvell 88SS9174-BLD2"),  // 224
    KnownRow(16, "M5 PRO", "PLEXTOR PX-(\\d+)M5P", "Marvell 88SS9187"),  // 225
    KnownRow(16, "M6S+", "PLEXTOR PX-(\\d+)M6S\\+", "Marvell 88SS9188"),  // 226
    KnownRow(16, "M6S", "PLEXTOR PX-(\\d+)M6S", "Marvell 88SS9188"),  // 227
    KnownRow(16, "M6 PRO", "PLEXTOR PX-(\\d+)M6Pro", "Marvell 88SS9187-BLD2"),  // 228
    KnownRow(16, "M6V", "PLEXTOR PX-(\\d+)M6V", "Silicon Motion SM2246EN"),  // 229
    KnownRow(16, "M5M mSATA", "PLEXTOR PX-(\\d+)M5M", "Marvell 88SS9187-BLD2"),  // 230
    KnownRow(16, "M6M mSATA", "PLEXTOR PX-(\\d+)M6M", "Marvell 88SS9188-BJM2"),  // 231
    KnownRow(16, "M6e M.2", "PLEXTOR PX-G(\\d+)M6e", "Marvell 88SS9183-BNP2"),  // 232
    KnownRow(16, "M6e M.2/PCIe", "PLEXTOR PX-AG(\\d+)M6e", "Marvell 88SS9183-BNP2"),  // 233
    KnownRow(16, "M6e(A) Black Edition M.2/PCIe", "PLEXTOR PX-(\\d+)M6eA-BK", "Marvell 88SS9183-BNP2"),  // 234
    KnownRow(16, "M7V", "PLEXTOR PX-(\\d+)M7V", "Marvell 88SS1074B1"),  // 235
    KnownRow(17, "Striker", "MKNSSDST(\\d+[GT])B", "Phison PS3110-S10-X"),  // 236
    KnownRow(17, "Reactor", "MKNSSDRE(\\d+[GT])B", "Silicon Motion SM2246EN"),  // 237
    KnownRow(17, "Chronos Deluxe", "MKNSSDCR(\\d+[GT])B-DX", "SandForce SF-2281"),  // 238
    KnownRow(17, "Chronos MX", "MKNSSDCR(\\d+[GT])B-MX", "SandForce SF-2281"),  // 239
    KnownRow(17, "Chronos", "MKNSSDCR(\\d+[GT])B", "SandForce SF-2281"),  // 240
    KnownRow(17, "Io", "Mushkin HD SSD (\\d+[GT])B", "Indilinx Barefoot"),  // 241
    KnownRow(17, "Europe 2", "Mushkin HS SSD (\\d+[GT])B", "Indilinx Barefoot"),  // 242
    KnownRow(17, "ECO2", "MKNSSDEC(060[GT])B", "SandForce SF-2241"),  // 243
    KnownRow(17, "ECO2", "MKNSSDEC(\\d+[GT])B", "Silicon Motion SM2246EN"),  // 244
    KnownRow(17, "ECO3", "MKNSSDE3(\\d+[GT])B", "Silicon Motion SM2256K"),  // 245
    KnownRow(17, "Triactor", "MKNSSDTR(\\d+[GT])B", "Silicon Motion SM2256K"),  // 246
    KnownRow(17, nullptr, "^MKNSSD\\w{2}(\\d+[GT])", nullptr),  // 247
    KnownRow(18, "MTA800 M.2 2280", "TS(\\d+[GT])MTS800", ""),  // 248
    KnownRow(18, "MTA400 M.2 2242", "TS(\\d+[GT])MTS400", ""),  // 249
    KnownRow(18, "MSA370 mSATA", "TS(\\d+[GT])MSA370", "Silicon Motion SM2246EN"),  // 250
    KnownRow(18, "SSD320 PATA", "TS(\\d+[GT])PSD320", ""),  // 251
    KnownRow(18, "SSD320", "TS(\\d+[GT])SSD320", "SandForce SF-2281"),  // 252
    KnownRow(18, "SSD720", "TS(\\d+[GT])SSD720", "SandForce SF-2281"),  // 253
    KnownRow(18, "SSD340", "TS(\\d+[GT])SSD340", "JMicron JMF667H"),  // 254
    KnownRow(18, "ESD400 Portable", "TS(\\d+[GT])ESD400K", ""),  // 255
    KnownRow(18, "SSD370", "TS(\\d+[GT])SSD370", "Silicon Motion SM2246EN"),  // 256
    KnownRow(18, nullptr, "^TS(\\d+[GT])", nullptr),  // 257
    KnownRow(19, "Ultra L5", "TEAM L5 SSD (\\d+[GT])B", "Silicon Motion SM2246EN"),  // 258
    KnownRow(19, "Dark L3", "TEAM L3 SSD (\\d+[GT])B", "Phison PS3108-S8-I"),  // 259
    KnownRow(20, "Optima", "SSD2SC(\\d+[GT])3LC709B121-460", "SandForce | Silicon Motion SM2246EN"),  // 260
    KnownRow(20, "CS1311", "PNY CS1311 (\\d+[GT])B SSD", "Phison PS3110-S10C-12/PS3110-S10-X"),  // 261
    KnownRow(20, "CS2111", "PNY CS2111 (\\d+[GT])B SSD", "Silicon Motion SM2246EN"),  // 262
    KnownRow(20, "CS2211", "PNY CS2211 (\\d+[GT])B SSD", "Phison PS3110-S10C-12/PS3110-S10-X"),  // 263
    KnownRow(20, "CS1111", "SSD2SC(\\d+[GT])1CS1754D117-514", "Silicon Motion SM2246EN"),  // 264
    KnownRow(20, "CS1211", "PNY CS1211 (\\d+[GT])B SSD", "Silicon Motion SM2246EN"),  // 265
    KnownRow(21, "Iridium PRO", nullptr, "Phison PS3110-S10"),  // 266
    KnownRow(21, "Iridium", nullptr, "Phison PS3110-S10"),  // 267
    KnownRow(21, "C100m", nullptr, "Phison PS3109/PS3108"),  // 268
    KnownRow(21, "C100", nullptr, "Phison PS3108"),  // 269
    KnownRow(21, "C50", nullptr, "Phison PS3108-S8-I"),  // 270
    KnownRow(21, "C40", nullptr, "Phison PS3109/PS3108"),  // 271
    KnownRow(21, "CX100", nullptr, "Phison PS3110-S10C-12"),  // 272
    KnownRow(21, "CX200", nullptr, "Phison PS3110-S10"),  // 273
    KnownRow(22, "Thunderbird", "Apacer AST680S (\\d+[GT])B", "Phison PS3110-S10"),  // 274
    KnownRow(22, "TurboII", "Apacer AS710 (\\d+[GT])B", "Silicon Motion SM2246EN"),  // 275
    KnownRow(22, "ProII", "Apacer AS510S (\\d+[GT])B", "Phison PS3108-S8"),  // 276
    KnownRow(22, "Thunderbird PCI-e", "Apacer PT910 (\\d+[GT])B", "SandForce SF-2281"),  // 277
    KnownRow(22, "AS2260 M.2", "Apacer AS2260 (\\d+[GT])B", "Phison PS3110-S10"),  // 278
    KnownRow(22, "AS2280 M.2", "Apacer AS2280 (\\d+[GT])B", "Phison PS3110-S10"),  // 279
    KnownRow(22, "ProII mSATA", "Apacer AS220 (\\d+[GT])B", "Phison PS3109-S9"),  // 280
    KnownRow(23, "L9S", "LITEON IT LC[ST]-(\\d+)L9S", ""),  // 281
    KnownRow(23, "Zeta M.2", "LITEON L[8G]H-(\\d+)V2G-11 M.2 2280", ""),  // 282
    KnownRow(23, "M2S", "LITEONIT LAT-(\\d+)M2S", "Marvell 88SS9174"),  // 283
    KnownRow(23, "IT mSATA", "LITEONIT LMT-(\\d+)M6M mSATA", "Marvell 88SS9174-BKK2"),  // 284
    KnownRow(23, "IT mSATA", "LITEONIT LMT-(\\d+)M3M", ""),  // 285
    KnownRow(27, nullptr, "SPCC Solid State Disk", nullptr),  // 286
    KnownRow(28, "SH920 mSATA", "HFS(\\d+)G3AMNB-2200A", "Link_A_Media LM87800AA"),  // 287
    KnownRow(29, "S280", "KingDian S280-(\\d+[GT])B", "Silicon Motion SM2256K"),  // 288
    KnownRow(29, "S200", "KingDian S200 (\\d+[GT])B", "JMicron JMF608"),  // 289
    KnownRow(29, "S180", "KingDian S180 (\\d+[GT])B", "Silicon Motion SM2246XT"),  // 290
    KnownRow(0, "TYH T300", "TYFSF1M(256)S25", "Silicon Motion SM2246XT",  // 291
             "Micron 128Gbit", "16", "MLC", "July 2015"),
    KnownRow(0, "TYH T300", "TYFSF1M(\\d+)S25", "Silicon Motion SM2246XT",  // 292
             "Intel 128Gbit", "20", "MLC", "July 2015"),
    KnownRow(24, nullptr, "^HGST", nullptr),  // 293
    KnownRow(23, "LiteOn OEM", "LITEONIT LCS-(\\d+)M6S", "Marvell 88SS9188"),  // 294
    KnownRow(23, "LiteOn OEM", "LITEON IT SCS-(\\d+)L9S", "Marvell 88SS9188"),  // 295
    KnownRow(0, "Pioneer APS-SP1", "PIONEER APS-SP1 Series", "Marvell 88SS918x-BLD2"),  // 296
    KnownRow(0, "ZTC Armor M.2", "ZTC-SM201-(\\d+)G", ""),  // 297
    KnownRow(0, "Hectron X1", "HECTRON HECX1-(\\d+)G", "Silicon Motion SM2256"),  // 298
    KnownRow(12, "Apple OEM", "APPLE SSD SD(\\d+)", "",  // 299
             "", "", "", ""),
    KnownRow(1, "Apple OEM", "APPLE SSD SM(\\d+)", ""),  // 300
    KnownRow(15, "Apple OEM", "APPLE SSD TS(\\d+)", ""),  // 301
    KnownRow(10, "Apple OEM", "APPLE SSD TA(\\d+)", ""),  // 302
}};

}  // namespace vexa
