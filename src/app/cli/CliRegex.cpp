// vexa-cli regex: compile, match, print the position, the matched text and the
// captures in order.
#include "app/cli/CliRegex.h"

#include <string>

#include "knowledge/RegExSimple.h"
#include "support/Format.h"

namespace vexa {

int RunCliRegex(const TCliArgs& args, std::FILE* out, std::FILE* err) {
  if (args.size() != 2) return CliUsageError(err, "regex takes a pattern and a subject", CliRegexUsage);
  // Created the way every user in the program creates it: empty, case-insensitive.
  TRegExSimple engine("", true);
  try {
    engine.SetPattern(args[0]);
  } catch (const ERegEx& error) {
    CliPrint(err, Format("error: %s", error.what()));
    return 1;
  }
  std::string matched;
  const std::int32_t position = engine.Match(args[1], &matched);
  CliPrint(out, Format("position: %d", position));
  if (position < 1) return 0;
  CliPrint(out, Format("matched: %s", matched));
  for (std::int32_t i = 0; i < engine.CaptureCount(); ++i)
    CliPrint(out, Format("capture %d: %s", i, engine.GetCapture(i)));
  return 0;
}

}  // namespace vexa
