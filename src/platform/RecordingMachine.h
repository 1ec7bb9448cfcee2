// A Machine that passes every call through and remembers what the devices answered,
// so that a machine can be written afterwards as a machine file: the routes that
// answered and those that failed with their codes, IDENTIFY, SMART and NVMe blocks,
// descriptors, sizes, geometry and partition layouts, as the program's own requests
// met them. Volumes and the operating system's facts are asked for when the
// recording is taken. What the program never asked stays at the file's defaults,
// so a replay of the file answers the program's requests as this machine did.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/ForwardingMachine.h"
#include "platform/MachineFile.h"

namespace vexa {

struct TRecordingOptions {
  // Drive serial numbers are replaced by a stable placeholder unless kept: a machine
  // file is meant to be sent to someone.
  bool keepSerials = false;
};

class TRecordingMachine final : public TForwardingMachine {
public:
  using TForwardingMachine::TForwardingMachine;

  THandle Open(std::string_view path, const TOpenMode& mode) override;
  void Close(THandle handle) override;
  TIoResult Control(THandle handle, std::uint32_t code, std::span<const std::uint8_t> input,
                    std::span<std::uint8_t> output) override;

  // The machine as recorded so far; asks the inner machine for its volumes and OS facts.
  TMachineFile Recorded(const TRecordingOptions& options);

  struct TRequest {
    std::uint32_t code = 0;
    std::vector<std::uint8_t> input;
    std::vector<std::uint8_t> reply;  // the bytes returned
    // The whole output buffer of a drive command (ATA, SAT, SMART, miniport): the
    // program reads some of those replies past the bytes the driver counted.
    std::vector<std::uint8_t> output;
    TIoResult result;
  };

private:
  std::map<std::uintptr_t, std::string> paths;  // open handles
  std::vector<std::string> devicePaths;         // in the order first opened
  std::map<std::string, std::vector<TRequest>> requests;  // by upper-cased path

  void AddVolumes(TMachineFile& machine);
};

}  // namespace vexa
