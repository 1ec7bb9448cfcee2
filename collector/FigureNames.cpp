// The attribute names that carry each meaning, as the program's naming tables give
// them per controller family (base names for ids 1..13, then each family's own). A
// name is listed only when it says what the figure counts; the comments say why a
// near miss was left out.
#include "Figures.h"

#include <array>

namespace vexa::collector {

namespace {

using enum TFigureMeaning;

constexpr std::array Names{
    // Id 9 keeps its base name on every family. 磁頭飛行小時 (head flying hours, id 240
    // on hard disks) counts only the time the heads fly, so it is not power-on time.
    TFigureName{PowerOnTime, "開機時間 (POH)"},

    // Sectors or blocks the drive took out of service and replaced from its spares.
    // Id 5 is this on most families; Phison names it retired blocks and Indilinx
    // bad blocks grown at run time, both the same thing counted in blocks. Left out:
    // SandForce's 隱藏塊計數 (hidden blocks: the name does not say they were
    // retired), the reallocation *event* counts of id 196 (events, not sectors),
    // and blocks bad from the factory (壞塊次數, 工廠壞塊次數, 起始壞塊次數).
    TFigureName{ReallocatedSectors, "重新分配扇區次數"},
    TFigureName{ReallocatedSectors, "退役塊次數"},
    TFigureName{ReallocatedSectors, "累計執行時壞塊"},

    // Id 197: Intel's name drops 目前 (current) but counts the same sectors. On
    // Indilinx, id 197 is 讀取失敗塊次數 (uncorrectable), listed below.
    TFigureName{PendingSectors, "目前掛起扇區次數"},
    TFigureName{PendingSectors, "掛起扇區次數"},

    // Sectors that could not be read back: id 198 on the base, SandForce and hard
    // disk families (Marvell counts them as errors found by the off-line scan, one
    // per sector), Silicon Motion's id 160, and Indilinx's blocks whose reads failed
    // beyond correction. Left out: the 無法糾正錯誤次數 family of id 187, which counts
    // errors reported to the host (one sector can give many), and Indilinx's id 198,
    // 讀取扇區總次數, the total of sectors read.
    TFigureName{UncorrectableSectors, "無法糾正扇區次數"},
    TFigureName{UncorrectableSectors, "斷線掃描無法糾正扇區次數"},
    TFigureName{UncorrectableSectors, "SMART 離線掃描無法糾正錯誤"},
    TFigureName{UncorrectableSectors, "Uncorrectable Sector Count"},
    TFigureName{UncorrectableSectors, "讀取失敗塊次數 (不可糾正)"},

    // What the host wrote, in any unit the family converts to bytes. Indilinx's
    // 寫入扇區總次數 (ids 199 and 232) counts sectors written, the host's unit, and
    // Marvell's 主機程式頁次數 the pages programmed for the host (an estimate, marked
    // so). Left out: writes to the flash itself (總計 NAND 寫入, 已壓縮 NAND 寫入,
    // 總計 NAND 編程次數, 寫入閃存壽命, 閃存寫入扇區次數, FTL 程式頁次數), which the
    // drive's own housekeeping multiplies. Only byte-size texts are read, so the
    // names that a family formats as plain numbers (Fallback's 主機寫入) give nothing.
    TFigureName{HostWrites, "總計 LBA 寫入"},
    TFigureName{HostWrites, "主機寫入"},
    TFigureName{HostWrites, "總計主機寫入"},
    TFigureName{HostWrites, "總計主機扇區寫入"},
    TFigureName{HostWrites, "未壓縮的主機寫入"},
    TFigureName{HostWrites, "從主機寫入壽命"},
    TFigureName{HostWrites, "寫入壽命 GB"},
    TFigureName{HostWrites, "寫入扇區總次數"},
    TFigureName{HostWrites, "主機程式頁次數"},
};

}  // namespace

std::span<const TFigureName> FigureNames() { return Names; }

}  // namespace vexa::collector
