// The model-number decoder framework: a decoder matches a drive's model string
// against one vendor pattern and turns every capture group into a row (label,
// meaning), by looking the captured code up in a table or by formatting it.
// Decoding never fails: no match gives no rows, an unknown code gives "<未知>".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "knowledge/RegExSimple.h"
#include "knowledge/decoders/DecoderTables.h"

namespace vexa {

class TModelDecoder;

// Explains one capture: (the decoder given as context, capture index, capture text).
using TCaptureFormatter = std::string (*)(const TModelDecoder& context, int index, std::string_view capture);

struct TCaptureAction {
  enum class TKind : std::uint8_t { Table = 1, Call = 2 };

  std::string name;  // the row label
  TKind kind = TKind::Table;
  TCodeTable table;                         // Table
  TCaptureFormatter formatter = nullptr;    // Call
  const TModelDecoder* context = nullptr;   // Call; null means the decoding decoder
};

// One action per capture group, in capture order (action i explains capture i).
class TCaptureActions {
public:
  void AddTableAction(std::string_view name, TCodeTable table);
  void AddCallAction(std::string_view name, TCaptureFormatter formatter, const TModelDecoder* context);
  const TCaptureAction* GetAction(int index) const;  // null outside 0..Count() - 1
  int Count() const { return static_cast<int>(actions.size()); }

private:
  std::vector<TCaptureAction> actions;
};

inline constexpr std::string_view kUnknownCode = "<未知>";

// The meaning of the first entry whose code equals the capture exactly (case
// matters: a lower-case model number finds nothing); "<未知>" when none does.
std::string_view LookupCode(TCodeTable table, std::string_view capture);
const TCodeEntry* FindCode(TCodeTable table, std::string_view capture);  // null when none

// Digits with an optional unit letter (G, M, P, T; G when absent) that ends the
// number or stands for its decimal point: "240G" gives "240.0 G字節", "1T0" gives
// "1.0 T字節". A text that does not read as a number is returned unchanged.
std::string FormatCapacityText(std::string_view capture);

// Two digits of a spindle speed: below 20 in thousands, otherwise in hundreds of
// revolutions per minute ("72" gives "7,200 RPM"); not a number counts as 0.
std::string FormatSpindleSpeed(const TModelDecoder& context, int index, std::string_view capture);

class TModelDecoder {
public:
  virtual ~TModelDecoder() = default;
  TModelDecoder(const TModelDecoder&) = delete;
  TModelDecoder& operator=(const TModelDecoder&) = delete;

  // The formatter of every capacity row; hard-disk schemes whose capacity digits
  // do not carry their unit override it.
  virtual std::string FormatCapacity(int index, std::string_view capture) const;
  virtual std::string_view GetName() const = 0;

  // Matches the model string and fills one row per capture; answers the number of
  // rows, 0 when the pattern does not match.
  int Decode(std::string_view model);

  // The part of the model string the pattern matched in the last Decode.
  const std::string& MatchedText() const { return matchedText; }
  int RowCount() const { return static_cast<int>(rows.size()); }
  const std::string& RowLabel(int index) const;  // empty outside 0..RowCount() - 1
  const std::string& RowValue(int index) const;

  // The engine keeps the raw captures of the last Decode (GetCapture).
  const TRegExSimple& Regex() const { return regex; }
  const TCaptureActions& Actions() const { return actions; }

protected:
  TModelDecoder();
  // Sets the scheme's pattern and appends one action per capture definition.
  void Define(const TDecoderDefinition& definition);
  TRegExSimple& MutableRegex() { return regex; }
  TCaptureActions& MutableActions() { return actions; }

private:
  struct TRow {
    std::string label;
    std::string value;
  };

  std::vector<TRow> rows;
  std::string matchedText;
  TRegExSimple regex;
  TCaptureActions actions;
};

}  // namespace vexa
