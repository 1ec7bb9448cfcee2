// The capture: a console session over the recording machine, then its file.
#include "views/MachineCapture.h"

#include "platform/MachineFileWriter.h"
#include "shell/Tabs.h"
#include "views/ConsoleSession.h"
#include "views/DebugTab.h"

namespace vexa {

std::string CaptureMachineFile(Machine& machine, const TRecordingOptions& options, std::string_view comment) {
  TRecordingMachine recording(machine);
  {
    TConsoleSession session(recording);
    std::string ignored;
    session.Set("system.enum_scsi=1", ignored);
    session.Start();
    // The Debug page asks each drive everything the program knows to ask, so the
    // file answers it as well as the other pages.
    session.Tabs().Add(TabClassOf<TDebugTab>());
    session.Rescan();
    for (int i = 0; i < session.DeviceCount(); ++i) session.Select(i);
  }
  return WriteMachineFile(recording.Recorded(options), comment);
}

}  // namespace vexa
