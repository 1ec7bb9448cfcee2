// Names and descriptions of the status properties, in index order. The Windows
// program carries the descriptions as string resources 256 + index as well.
#include <array>
#include <string_view>

#include "shell/StatusProperties.h"

namespace vexa {

namespace {

struct TStatusText {
  std::string_view name;
  std::string_view description;
};

constexpr std::array<TStatusText, TStatusProperties::kCount> kStatusTexts = {{
    {"裝置名稱", "由識別數據報告裝置的型號名稱"},
    {"韌體", "目前安裝的韌體版本"},
    {"序號", "序號在每個裝置上是唯一的, 所以不要與他人分享. 此字段預設情況下是隱藏的. 點擊可切換可見性."},
    {"發佈日期", "此特定型號的發佈日期"},
    {"製程", "製程技術用於創建NAND晶片"},
    {"元件",
     "NAND 晶片的存儲元件級別\r\nSLC: 單級元件 (1 位/元件)\r\nMLC: 多級元件 (2 位/元件)\r\nTLC: 三級元件 (3 位/元件)"},
    {"控制器", "SSD使用的控制器"},
    {"顆粒", "用於此裝置的NAND晶片製造商和類型"},
    {"TRIM",
     "要充分利用TRIM，您的操作系統和SSD必須支援該功能。只有Windows 7和以後版本支援TRIM。此外您的操作系統必須啟用TRIM狀態。"},
    {"效能",
     "此裝置支援的功能\r\nAPM\t進階電源管理\r\nLBA48\t48 位尋址\r\nSMART\t自我監控、分析和報告技術\r\nNCQ\t本機命令隊列\r\n"
     "TRIM\tTRIM 指令\r\nDEVSLP\t裝置休眠"},
    {"介面", "使用此裝置的總線程介面和 SATA 版本作為由裝置提供的報告。"},
    {"ATA 標准", "ATA標準裝置"},
    {"S.M.A.R.T.", "S.M.A.R.T.總體狀況"},
    {"溫度", "SMART 溫度報告, 點擊可以在攝氏和華氏溫度之間切換。"},
    {"POH", "此裝置已通電的時間。 DEVSLP 與某些裝置在結束休眠狀態時將只會更新此值。"},
    {"電源周期次數", "磁碟開啟和關閉的次數"},
    {"容量", "此裝置可用空間總量"},
    {"超過規定", "在磁碟末尾端的未分配空間\r\n製造商設定的超額設定將不會在此處顯示"},
    {"寫入字節數", "寫入裝置壽命中的總字節數\r\nS.M.A.R.T.統計未包括所有裝置"},
    {"扇區大小", "邏輯扇區大小/物理扇區大小\r\n大容量磁碟通常不會有一個1:1的映射\r\n一個物理扇區大小進階格式為4096字節"},
    {"磁碟區", "此裝置上相關聯的磁碟區"},
    {"分區", "分區數量, 包括隱藏,未映射和引導. 此外指定分區類型, 主引導記錄 (MBR)。或較新的GUID分區表 (GPT)。"},
    {"速率", "這是裝置支援目前處於活動狀態的 SATA 傳輸模式的最大速度。"},
}};

}  // namespace

std::string_view StatusPropertyName(int index) {
  return index >= 0 && index < TStatusProperties::kCount ? kStatusTexts[index].name : std::string_view();
}

std::string_view StatusPropertyDescription(int index) {
  return index >= 0 && index < TStatusProperties::kCount ? kStatusTexts[index].description : std::string_view();
}

}  // namespace vexa
