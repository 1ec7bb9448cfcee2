// The machine commands of vexa-cli: list, info, smart, identify and partitions.
// Each opens the machine the global options name (a recorded machine with
// --replay, the real drives on Windows), runs the program's modules over it
// through a console session (the window's road without a window) and prints what
// the pages would show.
#pragma once

#include <cstdio>
#include <string_view>

#include "app/cli/CliCommands.h"

namespace vexa {

inline constexpr std::string_view kCliListUsage = "list";
inline constexpr std::string_view kCliInfoUsage = "info N";
inline constexpr std::string_view kCliSmartUsage = "smart N";
inline constexpr std::string_view kCliIdentifyUsage = "identify N";
inline constexpr std::string_view kCliPartitionsUsage = "partitions N";
inline constexpr std::string_view kCliDecoderUsage = "decoder N";
inline constexpr std::string_view kCliDebugUsage = "debug N";
inline constexpr std::string_view kCliCaptureUsage = "capture FILE [--keep-serials]";

int RunCliList(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err);
int RunCliInfo(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err);
int RunCliSmart(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err);
int RunCliIdentify(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err);
int RunCliPartitions(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err);
// The Decoder page's lines: a spacer as an empty line, a header as NAME<TAB>MATCHED,
// a row as CODE<TAB>LABEL<TAB>MEANING; then "caption: 解碼器 (N)".
// Records the machine while the program's road runs over it and writes it as a
// machine file (through a temporary file, so a failure leaves nothing behind);
// drive serial numbers are replaced unless --keep-serials is given.
// The Debug page's tree for the device, one line per node, one tab per level; its
// timings come from the machine's clock, so a replay prints the same bytes each time.
int RunCliDebug(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err);
int RunCliCapture(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err);
int RunCliDecoder(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* out, std::FILE* err);

}  // namespace vexa
