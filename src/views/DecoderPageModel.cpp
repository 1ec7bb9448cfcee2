// The Decoder page's lines, colours and copied texts.
#include "views/DecoderPageModel.h"

#include <algorithm>

#include "knowledge/decoders/ModelDecoder.h"
#include "support/Format.h"

namespace vexa {

TDecoderColours DecoderColours(TColor listColour, TColor baseColour) {
  return {Blend(listColour, 0, 16),   listColour,                Blend(baseColour, 0x808080, 144),
          Blend(baseColour, 0, 160),  Blend(baseColour, 0, 112),  Blend(baseColour, 0, 120)};
}

std::int32_t DecoderMargin(std::int32_t width, std::int32_t scaled700) {
  return std::max(width / 16, (width - scaled700) / 2);
}

TColor DecoderValueColour(const TDecoderLine& line, bool selected) {
  if (selected || line.kind != TDecoderLineKind::Row || !line.value.starts_with('<')) return kDecoderTextColour;
  return line.capture.empty() ? kDecoderEmptyCaptureColour : kDecoderPlaceholderColour;
}

int TDecoderPageModel::ShowDevice(std::string_view model, std::string_view displayName,
                                  const std::vector<std::unique_ptr<TModelDecoder>>& decoders) {
  lines.clear();
  matched = 0;
  lines.emplace_back();
  for (const std::unique_ptr<TModelDecoder>& decoder : decoders) {
    const int rows = decoder->Decode(model);
    if (rows <= 0) continue;
    ++matched;
    TDecoderLine header{TDecoderLineKind::Header, decoder.get(), -1, std::string(decoder->GetName()),
                        decoder->MatchedText(), {}, {}, {}};
    lines.push_back(std::move(header));
    for (int i = 0; i < rows; ++i) {
      TDecoderLine line{TDecoderLineKind::Row, decoder.get(), i, {}, {}, {}, decoder->RowLabel(i),
                        decoder->RowValue(i)};
      if (i < decoder->Regex().CaptureCount()) line.capture = decoder->Regex().GetCapture(i);
      lines.push_back(std::move(line));
    }
  }
  if (matched == 0) {
    lines.push_back({TDecoderLineKind::NoMatch, nullptr, -1, std::string(kDecoderNoMatch), std::string(displayName),
                     {}, {}, {}});
  }
  lines.emplace_back();
  return matched;
}

void TDecoderPageModel::ShowNoDevice() {
  lines.clear();
  matched = 0;
}

std::string TDecoderPageModel::Caption() const { return Format("解碼器 (%d)", matched); }

std::string TDecoderPageModel::CopyText(int position) const {
  if (position < 0 || position >= static_cast<int>(lines.size())) return {};
  const TDecoderLine& line = lines[static_cast<std::size_t>(position)];
  switch (line.kind) {
    case TDecoderLineKind::Header:
      return line.right + ": " + line.left;
    case TDecoderLineKind::Row:
      return Format("%s: %s = %s", line.label, line.capture, line.value);
    default:
      return {};
  }
}

std::string TDecoderPageModel::LineText(int position) const {
  if (position < 0 || position >= static_cast<int>(lines.size())) return {};
  const TDecoderLine& line = lines[static_cast<std::size_t>(position)];
  switch (line.kind) {
    case TDecoderLineKind::Header:
    case TDecoderLineKind::NoMatch:
      return line.left + "\t" + line.right;
    case TDecoderLineKind::Row:
      return line.capture + "\t" + line.label + "\t" + line.value;
    default:
      return {};
  }
}

}  // namespace vexa
