// vexa-cli identify-dump FILE: decodes an IDENTIFY block from a file (256
// hexadecimal words as Linux's disk tool prints them, or the 512 raw bytes) and
// prints its facts, then the Identify page's rows in its copy format. The same
// report serves `identify N` for a drive of a machine.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/CliCommands.h"

namespace vexa {

class TIdentifyData;
class TIdentifyPageModel;

inline constexpr std::string_view kCliIdentifyDumpUsage = "identify-dump FILE";

struct TIdentifyFact {
  std::string_view key;
  std::string value;
};
// The block's facts in the order identify-dump prints them: model, firmware, serial, ...
std::vector<TIdentifyFact> IdentifyFacts(const TIdentifyData& data);

// The "key: value" lines, an empty line, then the copy text of every row of the
// model (which shows data).
void PrintIdentifyReport(std::FILE* out, const TIdentifyData& data, const TIdentifyPageModel& model);

int RunCliIdentifyDump(const TCliArgs& args, std::FILE* out, std::FILE* err);

}  // namespace vexa
