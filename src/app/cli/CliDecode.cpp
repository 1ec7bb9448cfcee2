// vexa-cli decode: the decoders in their fixed order; for each match the lines
// "decoder: NAME", "matched: TEXT" and "INDEX<TAB>LABEL<TAB>CAPTURE<TAB>VALUE" per
// row; "decoders: 0" when none matched. Tabs and line breaks inside a field are
// written as blanks so that every row stays one line of four fields.
#include "app/cli/CliDecode.h"

#include <exception>
#include <string>
#include <string_view>

#include "knowledge/decoders/ModelDecoders.h"
#include "support/Format.h"

namespace vexa {

static std::string Field(std::string_view text) {
  std::string field(text);
  for (char& c : field)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return field;
}

int RunCliDecode(const TCliArgs& args, std::FILE* out, std::FILE* err) {
  static constexpr std::string_view kUsage = "decode MODEL";
  if (args.size() != 1) return CliUsageError(err, "decode takes one model number", kUsage);
  try {
    int matches = 0;
    for (const auto& decoder : CreateModelDecoders()) {
      const int rows = decoder->Decode(args[0]);
      if (rows <= 0) continue;
      ++matches;
      CliPrint(out, Format("decoder: %s", decoder->GetName()));
      CliPrint(out, Format("matched: %s", Field(decoder->MatchedText())));
      for (int i = 0; i < rows; ++i)
        CliPrint(out, Format("%d\t%s\t%s\t%s", i, Field(decoder->RowLabel(i)),
                             Field(decoder->Regex().GetCapture(i)), Field(decoder->RowValue(i))));
    }
    if (matches == 0) CliPrint(out, "decoders: 0");
  } catch (const std::exception& error) {
    CliPrint(err, Format("vexa-cli: decode: %s", error.what()));
    return 1;
  }
  return 0;
}

}  // namespace vexa
