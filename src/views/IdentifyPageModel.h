// What the Identify page shows, without a window: the IDENTIFY block as one row per
// labelled word group followed by the group's bit fields (highest bits first), the
// texts and colours of each row, its geometry within the row rectangle and its copy
// text. A row is known by a 32-bit tag: group rows carry 0xFFFF in the high half and
// the group index in the low half; bit-field rows the field's index within its group.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/IdentifyData.h"
#include "support/Geometry.h"
#include "support/Utils.h"
#include "views/NvmeIdentifyRows.h"

namespace vexa {

class TConfigVarStr;
class TEasyConfig;
struct TNvmeDrive;
class TPixelsPerInch;

inline constexpr std::string_view kIdentifyPageCaption = "識別";

inline constexpr std::uint32_t kIdentifyGroupMark = 0xFFFF;
constexpr std::uint32_t IdentifyGroupTag(std::uint16_t group) { return (kIdentifyGroupMark << 16) | group; }
constexpr std::uint32_t IdentifyBitFieldTag(std::uint16_t group, std::uint16_t field) {
  return (static_cast<std::uint32_t>(field) << 16) | group;
}
constexpr bool IsIdentifyGroupTag(std::uint32_t tag) { return (tag >> 16) == kIdentifyGroupMark; }
constexpr std::uint16_t IdentifyTagGroup(std::uint32_t tag) { return static_cast<std::uint16_t>(tag & 0xFFFF); }
constexpr std::uint16_t IdentifyTagField(std::uint32_t tag) { return static_cast<std::uint16_t>(tag >> 16); }

// Every row in display order: each group, then its bit fields from the last to the first.
std::span<const std::uint32_t> IdentifyPageRows();
// The group's or field's label (the list item's own text); empty for an unknown tag.
std::string_view IdentifyRowLabel(std::uint32_t tag);

// Colours, 0x00BBGGRR.
inline constexpr TColor kIdentifyNoDeviceColour = 0x808080;
inline constexpr TColor kIdentifyCountColour = 0x808080;
inline constexpr TColor kIdentifyValueColour = 0xFF0000;       // blue
inline constexpr TColor kIdentifyBitsColour = 0x800000;        // navy
inline constexpr TColor kIdentifyFieldValueColour = 0xBF00BF;  // purple
inline constexpr TColor kIdentifyGreyLabelColour = 0x808080;
inline constexpr TColor kIdentifyCrimsonLabelColour = 0x3C14DC;
// The margins of odd groups: the list colour darkened by 64/255 toward black.
TColor IdentifyMarginShade(TColor listColour);
TColor IdentifyMarginColour(std::uint16_t group, TColor listColour);

// Grey: reserved bits that must read 0 or 1; crimson: bracketed labels ("[已保留]").
enum class TIdentifyLabelClass : std::uint8_t { Normal, Grey, Crimson };
TIdentifyLabelClass IdentifyLabelClass(std::string_view label);

enum class TIdentifyRowKind : std::uint8_t { Invalid, Group, BitField };

// The texts a row draws. Group rows fill word, count, value and label; bit-field
// rows fill bits, fieldValue and label.
struct TIdentifyRowText {
  TIdentifyRowKind kind = TIdentifyRowKind::Invalid;
  std::uint16_t group = 0;
  std::string word;        // "%.1d" of the first word
  std::string count;       // "+%d" of the word count; empty for a one-word group
  std::string value;       // FieldText of the group
  std::string bits;        // "%.2d" or "%.2d-%.2d" (lowest bit first)
  std::string fieldValue;  // "%d" of the bit field
  std::string label;
  TIdentifyLabelClass labelClass = TIdentifyLabelClass::Normal;
};
TIdentifyRowText IdentifyRowText(std::uint32_t tag, const TIdentifyData& data);

// "[10-19] 序號: \"...\"" for a group, "[08] 支援 NCQ 功能集: 1" for a bit field;
// empty without data or for an unknown tag.
std::string IdentifyCopyText(std::uint32_t tag, const TIdentifyData* data);

// Pixel sizes that depend on the list's font.
struct TIdentifyMetrics {
  std::int32_t sideMargin = 0;
  std::int32_t textInset = 0;
  std::int32_t firstColumnWidth = 0;
  std::int32_t bitColumnWidth = 0;
  std::int32_t valueColumnWidth = 0;
  std::int32_t rowHeight = 0;
};
// Width in pixels of a text in the list's font.
using TTextWidth = std::function<std::int32_t(std::string_view text)>;
TIdentifyMetrics ComputeIdentifyMetrics(const TPixelsPerInch& scaler, std::int32_t fontHeight,
                                        const TTextWidth& textWidth);

struct TIdentifySystemColours {
  TColor window = 0xFFFFFF;
  TColor windowText = 0x000000;
  TColor highlight = 0xD77800;
  TColor highlightText = 0xFFFFFF;
};

enum class TIdentifyTextAlign : std::uint8_t { Left, Right };

struct TIdentifyPaintText {
  TRect rect;
  std::string text;
  TColor colour = 0;
  TIdentifyTextAlign align = TIdentifyTextAlign::Left;
  bool operator==(const TIdentifyPaintText&) const = default;
};

// One row's drawing, in order: the two margins, the body, the vertical separator
// (full row height), the horizontal line along the body's top edge when asked,
// then the texts (clipped to their rectangles). Lines use the list colour.
struct TIdentifyRowPaint {
  TRect leftMargin, rightMargin, body;
  TColor marginColour = 0;
  TColor bodyColour = 0;
  TColor lineColour = 0;
  std::int32_t separatorX = 0;
  bool topLine = false;
  std::vector<TIdentifyPaintText> texts;
};

// Layout of a row: the body lies between the side margins; the first column starts
// at the body's left edge and the separator is its right edge. Group rows put the
// word and count in the first column and value and label after the separator;
// bit-field rows are narrowed (Scale(16) left, Scale(40) right) so their bit range,
// label and value read as indented under their group.
TIdentifyRowPaint PaintIdentifyRow(std::uint32_t tag, const TIdentifyData* data, const TRect& row, bool selected,
                                   TColor listColour, const TIdentifySystemColours& system,
                                   const TIdentifyMetrics& metrics, const TPixelsPerInch& scaler);

// The page's setting "tabs.identify.font", the list's font description.
TConfigVarStr* RegisterIdentifyPageSettings(TEasyConfig& store);

// The page's state: the rows (fixed) and the block and colour of the chosen drive.
class TIdentifyPageModel {
public:
  // The block is read, not owned: the caller keeps it alive until the next
  // ShowDevice or ShowNoDevice.
  void ShowDevice(const TIdentifyData& block, TColor deviceColour);
  // An NVMe drive: its Identify fields as rows instead of the ATA words.
  void ShowNvme(const TNvmeDrive& drive, TColor deviceColour);
  void ShowNoDevice();

  bool ShowsNvme() const { return !nvmeRows.empty(); }
  const std::vector<TNvmeIdentifyRow>& NvmeRows() const { return nvmeRows; }
  // The list's rows: the fixed ATA rows, or the NVMe fields.
  int RowCount() const;

  const TIdentifyData* Data() const { return data; }
  TColor Colour() const { return colour; }
  std::span<const std::uint32_t> Rows() const { return IdentifyPageRows(); }
  // Out-of-range rows give an invalid tag (no texts).
  std::uint32_t Tag(int row) const;

  TIdentifyRowPaint Paint(int row, const TRect& rect, bool selected, const TIdentifySystemColours& system,
                          const TIdentifyMetrics& metrics, const TPixelsPerInch& scaler) const;
  // Empty when no row is given (-1) or there is no block.
  std::string CopyText(int row) const;

private:
  const TIdentifyData* data = nullptr;
  std::vector<TNvmeIdentifyRow> nvmeRows;
  TColor colour = kIdentifyNoDeviceColour;
};

}  // namespace vexa
