// The About page's tables and the rules that place their items.
#include "views/AboutTab.h"

#include <array>
#include <cstdlib>

#include "shell/App.h"
#include "shell/Core.h"
#include "shell/PixelsPerInch.h"
#include "shell/Shared.h"
#include "support/Format.h"

namespace vexa {

namespace {

using K = TAboutItemKind;
constexpr std::string_view kTitleFont = "\"Verdana\" 28 b";
constexpr TColor kTitleLight = 0xB0A090;  // RGB(144, 160, 176)
constexpr TColor kTitleDark = 0x594736;   // RGB(54, 71, 89)

// One row of a table, with the defaults of the fields it leaves out.
constexpr TAboutItem Item(K kind, std::string_view text, std::int32_t x, std::int32_t y, std::int32_t width = 0,
                          std::int32_t height = 0, std::string_view link = {}, std::string_view font = {},
                          TColor colour = 0, TAboutSpecial special = TAboutSpecial::None) {
  TAboutItem item;
  item.kind = kind;
  item.text = text;
  item.x = x;
  item.y = y;
  item.width = width;
  item.height = height;
  item.link = link;
  item.font = font;
  item.colour = colour;
  item.special = special;
  return item;
}

// The title is five copies of one label: four light ones around the dark one,
// which is drawn last and sits on them as an embossed word.
constexpr std::array<TAboutItem, 12> kAboutBox{
    Item(K::Icon, "MAINICON", 16, 24),
    Item(K::Label, "Vexa", 60, 16, 0, 0, {}, kTitleFont, kTitleLight),
    Item(K::Label, "Vexa", 58, 14, 0, 0, {}, kTitleFont, kTitleLight),
    Item(K::Label, "Vexa", 60, 14, 0, 0, {}, kTitleFont, kTitleLight),
    Item(K::Label, "Vexa", 58, 16, 0, 0, {}, kTitleFont, kTitleLight),
    Item(K::Label, "Vexa", 59, 15, 0, 0, {}, kTitleFont, kTitleDark),
    Item(K::Label, {}, 60, 60, 0, 0, {}, {}, 0, TAboutSpecial::ReleaseLine),
    Item(K::Label, "程式設計: Vexa 團隊", 60, 76),
    Item(K::Label, "驅動器資料: 公開的 SMART 記錄", 60, 92),
    Item(K::Label, "介面語言: 繁體中文", 60, 108),
    Item(K::Button, "自述", -85, -60, 74, 22, "readme.txt"),
    Item(K::Button, "更新日誌", -85, -34, 74, 22, "changelog.txt"),
};

constexpr std::array<TAboutItem, 2> kLicenceBox{
    Item(K::Label, "Vexa 是免費軟體，可以自由使用與散佈；它按原樣提供，不附任何擔保。", 16, 24, 360, 34),
    Item(K::Label, "Vexa 只讀取您的磁碟，從不寫入。", 16, 64),
};

}  // namespace

std::span<const TAboutItem> AboutBoxItems() { return kAboutBox; }
std::span<const TAboutItem> LicenceBoxItems() { return kLicenceBox; }

TAboutPlacement PlaceAboutItem(const TAboutItem& item, std::int32_t boxWidth, std::int32_t boxHeight,
                               const TPixelsPerInch& scaler) {
  TAboutPlacement placement;
  std::int32_t x = scaler.Scale(item.x), y = scaler.Scale(item.y);
  if (item.x < 0) {
    x = boxWidth - std::abs(x);
    placement.anchorRight = true;
  }
  if (item.y < 0) {
    y = boxHeight - std::abs(y);
    placement.anchorBottom = true;
  }
  placement.bounds = {x, y, scaler.Scale(item.width), scaler.Scale(item.height)};
  return placement;
}

TAboutBoxes AboutBoxes(std::int32_t sheetWidth, std::int32_t sheetHeight, const TPixelsPerInch& scaler) {
  const std::int32_t m = scaler.Scale(6);
  TAboutBoxes boxes;
  boxes.about = {m, m - 5, sheetWidth - 2 * m, scaler.Scale(138)};
  const std::int32_t top = boxes.about.top + boxes.about.height + m - 2;
  boxes.licence = {m, top, sheetWidth - 2 * m, sheetHeight - top - m - 1};
  return boxes;
}

std::optional<TColor> AboutLabelColour(const TAboutItem& item, TColor windowText) {
  const bool noColour = item.colour == 0 || item.colour == kAboutNoColour;
  if (!item.link.empty() && noColour) return kAboutLinkColour;
  if (!noColour && item.colour != windowText) return item.colour;
  return std::nullopt;
}

std::string AboutReleaseLine(std::string_view longDate) { return "發佈 " + std::string(longDate); }

TAboutTab::TAboutTab(std::unique_ptr<TSheet> sheet) : TVexaTab(std::move(sheet)) { SetCaption(kAboutPageCaption); }

bool TAboutTab::OpenLink(std::string_view link) const {
  const std::string directory = App().core ? App().core->programDirectory : std::string();
  if (RunProgram(link, "", directory)) return true;
  ShowMessage(Format("執行失敗 \"%s\".%s連結或檔案類型可能未關聯.", link, kParagraphBreak), kMessageIconWarning);
  return false;
}

}  // namespace vexa
