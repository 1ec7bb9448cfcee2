// What the fuzz targets of fuzz/ do with one input, shared with the unit tests that
// replay the inputs once found (tests/fuzz/regressions/TARGET/). Each check runs the
// program's own code over the bytes and answers a description of what went wrong,
// or nothing; crashes and sanitizer reports speak for themselves.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vexa {
class Machine;
struct TMachineFile;
}  // namespace vexa

namespace vexa::fuzz_check {

using TInput = std::span<const std::uint8_t>;

// The bytes as a machine file, then the whole console road over it: every kind of
// device enumerated, every device selected, every page model built, the Debug
// page's run included. No request the program sends may be refused as write-type.
// Then CaptureRoundTrip.
std::string MachineFile(TInput input);
// The machine captured as vexa-cli captures it must replay with what every console
// command printed of the original: exactly when serial numbers are kept, and with
// only the serial numbers changed when they are replaced.
std::string CaptureRoundTrip(const TMachineFile& file);
// What the console commands print of every device of a machine (list, info, smart,
// identify, partitions, report, decoder and debug, with the messages a page would
// show), each device chosen in a session of its own as vexa-cli chooses it.
std::string ConsoleOutputs(Machine& machine);
// The bytes as an INI document (its text survives a second reading unchanged, a
// value written as the settings store writes it reads back) and as the settings file of a session over a sample
// machine, which must neither write it nor send a write-type request.
std::string SettingsFile(TInput input);
// The bytes as the program's command line, applied to a window, and as the line a
// second window is started with, which must hand on the same tokens.
std::string CommandLine(TInput input);
// The bundled sample machines with their storage replies changed by the bytes:
// failures, short counts and overwritten bytes, request by request, through the
// whole console road.
std::string StorageReplies(TInput input);

// For the fuzz targets: prints the problem with the target's name and aborts, so
// libFuzzer keeps the input; does nothing when there is none.
void AbortOnProblem(const char* target, const std::string& problem);

}  // namespace vexa::fuzz_check
