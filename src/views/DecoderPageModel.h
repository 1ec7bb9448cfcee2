// What the Decoder page shows: for every model-number decoder that matches the
// drive's model string, a header line (the decoder's name and the matched text) and
// one line per capture (the captured code, its label and its meaning), between two
// spacer lines; a single "no decoder" header when none matches. Also the colours
// and the centred column the owner-drawn list paints with, and the copied texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/Utils.h"

namespace vexa {

class TModelDecoder;

inline constexpr std::string_view kDecoderNoMatch = "沒有符合的解碼器";
// The list's colour without a device, and the base colour the brushes start from.
inline constexpr TColor kDecoderNoDeviceColour = 0x808080;
inline constexpr TColor kDecoderNoDeviceBase = 0xC0C0C0;
// Placeholder meanings ("<未知>") are dimmed; silver when nothing was captured.
inline constexpr TColor kDecoderPlaceholderColour = 0xC0D0F0;
inline constexpr TColor kDecoderEmptyCaptureColour = 0xC0C0C0;
inline constexpr TColor kDecoderTextColour = 0xFFFFFF;

enum class TDecoderLineKind : std::uint8_t { Spacer, Header, NoMatch, Row };

struct TDecoderLine {
  TDecoderLineKind kind = TDecoderLineKind::Spacer;
  const TModelDecoder* decoder = nullptr;  // none for spacers and the no-match header
  int row = -1;                            // capture index of a row line
  // Header and no-match lines: left and right texts. Row lines: the captured code,
  // the label and the meaning.
  std::string left, right;
  std::string capture, label, value;
};

// The pens and brushes of the list, from the list colour and the device's colour.
struct TDecoderColours {
  TColor separator, background, selected, header, oddRow, evenRow;
};
TDecoderColours DecoderColours(TColor listColour, TColor baseColour);

// The horizontal margin on each side of a line of the given right edge: a
// sixteenth of the width, or what centres a column of scaled700 pixels.
std::int32_t DecoderMargin(std::int32_t width, std::int32_t scaled700);

// The text colour of a row's value: white, dimmed for a placeholder meaning.
TColor DecoderValueColour(const TDecoderLine& line, bool selected);

class TDecoderPageModel {
public:
  // Decodes the model string with every decoder in order; displayName is what the
  // no-match header shows. Answers the number of matching decoders.
  int ShowDevice(std::string_view model, std::string_view displayName,
                 const std::vector<std::unique_ptr<TModelDecoder>>& decoders);
  void ShowNoDevice();

  const std::vector<TDecoderLine>& Lines() const { return lines; }
  int MatchedCount() const { return matched; }
  // "解碼器 (N)" with the number of matching decoders.
  std::string Caption() const;
  // What double-click and Ctrl+C copy of a line; empty for spacers, the no-match
  // header and positions outside the list.
  std::string CopyText(int position) const;
  // A line's texts in the order they are drawn, tab-separated: empty for a spacer,
  // "NAME<TAB>MATCHED" for a header, "CODE<TAB>LABEL<TAB>MEANING" for a row. The
  // owner-drawn list keeps it as the item's text, for tools that read the list.
  std::string LineText(int position) const;

private:
  std::vector<TDecoderLine> lines;
  int matched = 0;
};

}  // namespace vexa
