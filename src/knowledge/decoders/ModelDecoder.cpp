// The decoder framework: actions, code lookup, the shared capacity and spindle-speed
// formatters, and Decode, which turns the captures of one match into rows.
#include "knowledge/decoders/ModelDecoder.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "support/Format.h"

namespace vexa {

void TCaptureActions::AddTableAction(std::string_view name, TCodeTable table) {
  TCaptureAction action;
  action.name = std::string(name);
  action.kind = TCaptureAction::TKind::Table;
  action.table = table;
  actions.push_back(std::move(action));
}

void TCaptureActions::AddCallAction(std::string_view name, TCaptureFormatter formatter,
                                    const TModelDecoder* context) {
  TCaptureAction action;
  action.name = std::string(name);
  action.kind = TCaptureAction::TKind::Call;
  action.formatter = formatter;
  action.context = context;
  actions.push_back(std::move(action));
}

const TCaptureAction* TCaptureActions::GetAction(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &actions[static_cast<std::size_t>(index)];
}

const TCodeEntry* FindCode(TCodeTable table, std::string_view capture) {
  for (const TCodeEntry& entry : table)
    if (entry.code == capture) return &entry;
  return nullptr;
}

std::string_view LookupCode(TCodeTable table, std::string_view capture) {
  const TCodeEntry* entry = FindCode(table, capture);
  return entry ? entry->meaning : kUnknownCode;
}

std::string FormatCapacityText(std::string_view capture) {
  std::string number(capture);
  char unit = 'G';
  const std::size_t mark = number.find_first_not_of("0123456789");
  if (mark != std::string::npos) {
    const char c = number[mark];
    if (c == 'G' || c == 'M' || c == 'P' || c == 'T') unit = c;
    // Only the first non-digit is treated: it ends the number or is its decimal point.
    if (mark + 1 == number.size())
      number.erase(mark);
    else
      number[mark] = '.';
  }
  // The number is rebuilt with '.' whatever the locale, so it is read in fixed
  // notation only: no sign, exponent, blanks, infinity or not-a-number.
  double value = 0;
  const char* first = number.data();
  const char* last = first + number.size();
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
  if (number.empty() || error != std::errc() || end != last || !std::isfinite(value))
    return std::string(capture);
  return Format("%.1n %s字節", value, unit);
}

std::string FormatSpindleSpeed(const TModelDecoder&, int, std::string_view capture) {
  std::int32_t number = 0;
  const char* first = capture.data();
  const char* last = first + capture.size();
  const auto [end, error] = std::from_chars(first, last, number, 10);
  if (capture.empty() || error != std::errc() || end != last) number = 0;
  const std::int64_t speed = static_cast<std::int64_t>(number) * (number < 20 ? 1000 : 100);
  return Format("%.0n RPM", speed);
}

// The call action of every capacity row, so that a decoder's own override is used.
static std::string CallFormatCapacity(const TModelDecoder& context, int index, std::string_view capture) {
  return context.FormatCapacity(index, capture);
}

TModelDecoder::TModelDecoder() : regex("", true) {}

void TModelDecoder::Define(const TDecoderDefinition& definition) {
  regex.SetPattern(definition.pattern);
  for (const TCaptureDefinition& capture : definition.captures) {
    switch (capture.formatting) {
      case TCaptureFormatting::Table:
        actions.AddTableAction(capture.label, capture.table);
        break;
      case TCaptureFormatting::Capacity:
        actions.AddCallAction(capture.label, CallFormatCapacity, this);
        break;
      case TCaptureFormatting::SpindleSpeed:
        actions.AddCallAction(capture.label, FormatSpindleSpeed, this);
        break;
    }
  }
}

std::string TModelDecoder::FormatCapacity(int, std::string_view capture) const {
  return FormatCapacityText(capture);
}

int TModelDecoder::Decode(std::string_view model) {
  rows.clear();
  matchedText.clear();
  if (regex.Match(model, &matchedText) <= 0) {
    matchedText.clear();
    return 0;
  }
  const int count = regex.CaptureCount();
  rows.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    TRow& row = rows[static_cast<std::size_t>(i)];
    const std::string& capture = regex.GetCapture(i);
    const TCaptureAction* action = actions.GetAction(i);
    if (!action) {
      row.label = Format("[%.2d] <無動作定義>", i);
      continue;
    }
    row.label = action->name;
    if (action->kind == TCaptureAction::TKind::Table)
      row.value = std::string(LookupCode(action->table, capture));
    else if (action->formatter)
      row.value = action->formatter(action->context ? *action->context : *this, i, capture);
  }
  return count;
}

const std::string& TModelDecoder::RowLabel(int index) const {
  static const std::string empty;
  if (index < 0 || index >= RowCount()) return empty;
  return rows[static_cast<std::size_t>(index)].label;
}

const std::string& TModelDecoder::RowValue(int index) const {
  static const std::string empty;
  if (index < 0 || index >= RowCount()) return empty;
  return rows[static_cast<std::size_t>(index)].value;
}

}  // namespace vexa
