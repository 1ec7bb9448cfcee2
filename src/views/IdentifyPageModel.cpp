// The Identify page's rows, texts, colours and geometry. Tags are decoded against
// the word-group table on every use, so a tag that names no group or no field of
// its group gives an empty row instead of reading past a table.
#include "views/IdentifyPageModel.h"

#include <algorithm>
#include <cstdlib>

#include "shell/EasyConfig.h"
#include "shell/PixelsPerInch.h"
#include "support/Format.h"

namespace vexa {

namespace {

constexpr std::uint32_t kInvalidTag = 0xFFFFFFFF;

std::vector<std::uint32_t> BuildRows() {
  std::vector<std::uint32_t> rows;
  const auto groups = IdentifyWordGroups();
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const auto group = static_cast<std::uint16_t>(g);
    rows.push_back(IdentifyGroupTag(group));
    for (std::size_t f = groups[g].BitFields().size(); f-- > 0;)
      rows.push_back(IdentifyBitFieldTag(group, static_cast<std::uint16_t>(f)));
  }
  return rows;
}

const TIdentifyWordDescriptor* GroupOf(std::uint32_t tag) {
  const auto groups = IdentifyWordGroups();
  const std::uint16_t index = IdentifyTagGroup(tag);
  return index < groups.size() ? &groups[index] : nullptr;
}

// The bit field a tag names; null for group tags and unknown fields.
const TIdentifyBitField* FieldOf(std::uint32_t tag) {
  if (IsIdentifyGroupTag(tag)) return nullptr;
  const TIdentifyWordDescriptor* group = GroupOf(tag);
  if (!group) return nullptr;
  const auto fields = group->BitFields();
  const std::uint16_t index = IdentifyTagField(tag);
  return index < fields.size() ? &fields[index] : nullptr;
}

bool IsValidTag(std::uint32_t tag) {
  return IsIdentifyGroupTag(tag) ? GroupOf(tag) != nullptr : FieldOf(tag) != nullptr;
}

unsigned LastWord(const TIdentifyWordDescriptor& group) {
  return group.word + (group.count > 0 ? group.count - 1u : 0u);
}

unsigned LastBit(const TIdentifyBitField& field) {
  return field.firstBit + (field.bitCount > 0 ? field.bitCount - 1u : 0u);
}

std::string BitRange(const TIdentifyBitField& field) {
  return field.bitCount <= 1 ? Format("%.2d", field.firstBit) : Format("%.2d-%.2d", field.firstBit, LastBit(field));
}

std::uint16_t FieldValue(const TIdentifyData& data, const TIdentifyBitField& field) {
  return data.BitField(field.word, field.firstBit, field.bitCount);
}

std::int32_t NonNegative(std::int32_t value) {
  return std::max<std::int32_t>(value, 0);
}

TRect RectBetween(std::int32_t left, std::int32_t right, const TRect& row) {
  return {left, row.top, NonNegative(right - left), row.height};
}

}  // namespace

std::span<const std::uint32_t> IdentifyPageRows() {
  static const std::vector<std::uint32_t> rows = BuildRows();
  return rows;
}

std::string_view IdentifyRowLabel(std::uint32_t tag) {
  if (IsIdentifyGroupTag(tag)) {
    const TIdentifyWordDescriptor* group = GroupOf(tag);
    return group ? group->name : std::string_view();
  }
  const TIdentifyBitField* field = FieldOf(tag);
  return field ? field->label : std::string_view();
}

TColor IdentifyMarginShade(TColor listColour) {
  return Blend(listColour, 0x000000, 64);
}

TColor IdentifyMarginColour(std::uint16_t group, TColor listColour) {
  return group % 2 == 0 ? listColour : IdentifyMarginShade(listColour);
}

TIdentifyLabelClass IdentifyLabelClass(std::string_view label) {
  std::string_view trimmed = label;
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
  if (trimmed == "應歸零" || trimmed == "應設定為 1") return TIdentifyLabelClass::Grey;
  if (label.starts_with("[")) return TIdentifyLabelClass::Crimson;
  return TIdentifyLabelClass::Normal;
}

TIdentifyRowText IdentifyRowText(std::uint32_t tag, const TIdentifyData& data) {
  TIdentifyRowText text;
  if (!IsValidTag(tag)) return text;
  text.group = IdentifyTagGroup(tag);
  text.label = IdentifyRowLabel(tag);
  if (IsIdentifyGroupTag(tag)) {
    const TIdentifyWordDescriptor& group = *GroupOf(tag);
    text.kind = TIdentifyRowKind::Group;
    text.word = Format("%.1d", group.word);
    if (group.count > 1) text.count = Format("+%d", group.count);
    text.value = data.FieldText(group);
  } else {
    const TIdentifyBitField& field = *FieldOf(tag);
    text.kind = TIdentifyRowKind::BitField;
    text.bits = BitRange(field);
    text.fieldValue = Format("%d", FieldValue(data, field));
    text.labelClass = IdentifyLabelClass(field.label);
  }
  return text;
}

std::string IdentifyCopyText(std::uint32_t tag, const TIdentifyData* data) {
  if (!data || !IsValidTag(tag)) return {};
  if (IsIdentifyGroupTag(tag)) {
    const TIdentifyWordDescriptor& group = *GroupOf(tag);
    const std::string range =
        group.count <= 1 ? Format("[%d]", group.word) : Format("[%d-%d]", group.word, LastWord(group));
    return Format("%s %s: %s", range, group.name, data->FieldText(group));
  }
  const TIdentifyBitField& field = *FieldOf(tag);
  return Format("%s %s: %d", "[" + BitRange(field) + "]", field.label, FieldValue(*data, field));
}

TIdentifyMetrics ComputeIdentifyMetrics(const TPixelsPerInch& scaler, std::int32_t fontHeight,
                                        const TTextWidth& textWidth) {
  const auto width = [&](std::string_view text) { return textWidth ? NonNegative(textWidth(text)) : 0; };
  TIdentifyMetrics m;
  m.sideMargin = scaler.Scale(4);
  m.textInset = scaler.Scale(3);
  m.firstColumnWidth = 2 * m.textInset + width("000+00");
  m.bitColumnWidth = width("00-00:") + scaler.Scale(4);
  m.valueColumnWidth = width("000") + scaler.Scale(4);
  const std::int64_t height = std::llabs(static_cast<std::int64_t>(fontHeight)) + 2 * scaler.Scale(5);
  m.rowHeight = static_cast<std::int32_t>(std::min<std::int64_t>(height, INT32_MAX));
  return m;
}

namespace {

// The margins, body and lines of a row of the group's shade; no texts.
TIdentifyRowPaint RowFrame(std::uint16_t group, const TRect& row, bool selected, TColor listColour,
                           const TIdentifySystemColours& system, const TIdentifyMetrics& metrics) {
  TIdentifyRowPaint paint;
  const std::int32_t left = row.left;
  const std::int32_t right = row.left + row.width;
  const std::int32_t margin = std::min(metrics.sideMargin, row.width / 2);
  paint.leftMargin = RectBetween(left, left + margin, row);
  paint.rightMargin = RectBetween(right - margin, right, row);
  paint.body = RectBetween(left + margin, right - margin, row);
  paint.marginColour = IdentifyMarginColour(group, listColour);
  paint.bodyColour = selected ? system.highlight : system.window;
  paint.lineColour = listColour;
  paint.separatorX = paint.body.left + metrics.firstColumnWidth;
  return paint;
}

void AddRowTexts(TIdentifyRowPaint& paint, const TIdentifyRowText& text, const TRect& row, bool selected,
                 const TIdentifySystemColours& system, const TIdentifyMetrics& metrics, const TPixelsPerInch& scaler) {
  const std::int32_t left = row.left;
  const std::int32_t right = row.left + row.width;
  const auto colour = [&](TColor unselected) { return selected ? system.highlightText : unselected; };
  const auto add = [&](TRect rect, std::string value, TColor c, TIdentifyTextAlign align) {
    if (!value.empty()) paint.texts.push_back({rect, std::move(value), colour(c), align});
  };

  if (text.kind == TIdentifyRowKind::Group) {
    paint.topLine = text.group > 0;
    const TRect first = RectBetween(paint.body.left + metrics.textInset, paint.separatorX - metrics.textInset, row);
    add(first, text.word, system.windowText, TIdentifyTextAlign::Left);
    add(first, text.count, kIdentifyCountColour, TIdentifyTextAlign::Right);
    const std::int32_t restLeft = paint.separatorX + scaler.Scale(4);
    const std::int32_t restRight = paint.body.left + paint.body.width - scaler.Scale(4);
    add(RectBetween(restLeft, restRight, row), text.value, kIdentifyValueColour, TIdentifyTextAlign::Right);
    add(RectBetween(restLeft, restRight - scaler.Scale(32), row), text.label, system.windowText, TIdentifyTextAlign::Left);
  } else {
    const std::int32_t narrowLeft = left + scaler.Scale(16);
    const std::int32_t narrowRight = right - scaler.Scale(40);
    const std::int32_t bitsLeft = std::max(paint.separatorX, narrowLeft) + metrics.textInset;
    const std::int32_t bitsRight = bitsLeft + metrics.bitColumnWidth;
    const std::int32_t valueLeft = narrowRight - metrics.valueColumnWidth;
    add(RectBetween(bitsLeft, bitsRight, row), text.bits, kIdentifyBitsColour, TIdentifyTextAlign::Left);
    add(RectBetween(valueLeft, narrowRight, row), text.fieldValue, kIdentifyFieldValueColour, TIdentifyTextAlign::Right);
    const TColor labelColour = text.labelClass == TIdentifyLabelClass::Grey      ? kIdentifyGreyLabelColour
                               : text.labelClass == TIdentifyLabelClass::Crimson ? kIdentifyCrimsonLabelColour
                                                                                 : system.windowText;
    add(RectBetween(bitsRight, valueLeft, row), text.label, labelColour, TIdentifyTextAlign::Left);
  }
}

// An NVMe field as a group row: its byte offset and size in the first column.
TIdentifyRowText NvmeRowText(const TNvmeIdentifyRow& field, int index) {
  TIdentifyRowText text;
  text.kind = TIdentifyRowKind::Group;
  text.group = static_cast<std::uint16_t>(index);
  text.word = Format("%d", field.offset);
  text.count = Format("+%d", field.size);
  text.value = field.value;
  text.label = field.label;
  return text;
}

}  // namespace

TIdentifyRowPaint PaintIdentifyRow(std::uint32_t tag, const TIdentifyData* data, const TRect& row, bool selected,
                                   TColor listColour, const TIdentifySystemColours& system,
                                   const TIdentifyMetrics& metrics, const TPixelsPerInch& scaler) {
  TIdentifyRowPaint paint = RowFrame(IdentifyTagGroup(tag), row, selected, listColour, system, metrics);
  if (!data || !IsValidTag(tag)) return paint;
  AddRowTexts(paint, IdentifyRowText(tag, *data), row, selected, system, metrics, scaler);
  return paint;
}

TConfigVarStr* RegisterIdentifyPageSettings(TEasyConfig& store) {
  return TConfigVarStr::Register(&store, "tabs.identify", "\"Verdana\" 7", "font");
}

void TIdentifyPageModel::ShowDevice(const TIdentifyData& block, TColor deviceColour) {
  data = &block;
  nvmeRows.clear();
  colour = deviceColour;
}

void TIdentifyPageModel::ShowNvme(const TNvmeDrive& drive, TColor deviceColour) {
  data = nullptr;
  nvmeRows = NvmeIdentifyRows(drive);
  colour = deviceColour;
}

void TIdentifyPageModel::ShowNoDevice() {
  data = nullptr;
  nvmeRows.clear();
  colour = kIdentifyNoDeviceColour;
}

int TIdentifyPageModel::RowCount() const {
  return ShowsNvme() ? static_cast<int>(nvmeRows.size()) : static_cast<int>(Rows().size());
}

std::uint32_t TIdentifyPageModel::Tag(int row) const {
  const auto rows = Rows();
  return row >= 0 && static_cast<std::size_t>(row) < rows.size() ? rows[row] : kInvalidTag;
}

TIdentifyRowPaint TIdentifyPageModel::Paint(int row, const TRect& rect, bool selected,
                                            const TIdentifySystemColours& system, const TIdentifyMetrics& metrics,
                                            const TPixelsPerInch& scaler) const {
  if (!ShowsNvme()) return PaintIdentifyRow(Tag(row), data, rect, selected, colour, system, metrics, scaler);
  TIdentifyRowPaint paint =
      RowFrame(static_cast<std::uint16_t>(std::max(row, 0)), rect, selected, colour, system, metrics);
  if (row >= 0 && row < RowCount())
    AddRowTexts(paint, NvmeRowText(nvmeRows[static_cast<std::size_t>(row)], row), rect, selected, system, metrics,
                scaler);
  return paint;
}

std::string TIdentifyPageModel::CopyText(int row) const {
  if (!ShowsNvme()) return IdentifyCopyText(Tag(row), data);
  return row >= 0 && row < RowCount() ? NvmeIdentifyCopyText(nvmeRows[static_cast<std::size_t>(row)]) : std::string();
}

}  // namespace vexa
