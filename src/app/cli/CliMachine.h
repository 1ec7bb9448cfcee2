// The machine commands of vexa-cli: list, info, smart, identify and partitions (as
// text, or with --json as one JSON document), decoder, debug, capture.
// Each opens the machine the global options name (a recorded machine with
// --replay, the real drives on Windows), runs the program's modules over it
// through a console session (the window's road without a window) and prints what
// the pages would show.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/CliCommands.h"

namespace vexa {

class Machine;
class TConsoleSession;
using TSessionWork = std::function<int(TConsoleSession& session)>;

// Opens the machine, builds the session, runs prepare (modules that must exist
// before --set names their settings), applies --set, starts, rescans and runs the
// work. A message shown on the way (an error the window would have shown in a box)
// turns success into exit status 1. A non-zero status of prepare ends there.
int RunOnMachine(const TCliGlobalOptions& options, std::FILE* err, const TSessionWork& work,
                 const TSessionWork& prepare = {});
// After a run on this PC's drives: the drives it could not send commands to, and the
// requests refused because they could write, each said once.
void ReportRealMachine(Machine& machine, std::FILE* err);
// The same over a machine the caller made.
int RunOnGivenMachine(Machine& machine, const TCliGlobalOptions& options, std::FILE* err, const TSessionWork& work,
                      const TSessionWork& prepare = {});
// N counts from 1, like the window's -device option: decimal digits only.
bool ParseDevicePosition(const std::string& text, int count, int& position);
// Runs work on the device named by the one argument, after choosing it.
int RunOnDevice(const TCliGlobalOptions& options, const TCliArgs& args, std::FILE* err, std::string_view usage,
                const TSessionWork& work);
// Removes every occurrence of option from args; true when there was one.
bool TakeCliOption(TCliArgs& args, std::string_view option);

class TDeviceInfo;
struct TStatusProperty;
// "P", "S" or "C" for a physical disk, a SCSI port or an optical drive.
std::string_view DeviceToken(const TDeviceInfo& device);
// The lines of a status property's extra description (each appended line opens with CR LF).
std::vector<std::string_view> ExtraDescriptionLines(const TStatusProperty& entry);

inline constexpr std::string_view kCliJsonOption = "--json";

inline constexpr std::string_view kCliListUsage = "list [--json]";
inline constexpr std::string_view kCliInfoUsage = "info N [--json]";
inline constexpr std::string_view kCliSmartUsage = "smart N [--json]";
inline constexpr std::string_view kCliIdentifyUsage = "identify N [--json]";
inline constexpr std::string_view kCliPartitionsUsage = "partitions N [--json]";
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
