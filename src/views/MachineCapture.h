// The capture of a machine: the program's own road (every kind of device
// enumerated, every device selected, every page model built) run over a recording
// of the machine, written as a machine file that replays what this machine answered.
#pragma once

#include <string>
#include <string_view>

#include "platform/RecordingMachine.h"

namespace vexa {

class Machine;

// The machine file's text. Uses a console session: no other session may be open.
std::string CaptureMachineFile(Machine& machine, const TRecordingOptions& options, std::string_view comment);

}  // namespace vexa
