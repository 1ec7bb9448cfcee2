// One run of the Debug page: every storage and system query the program knows,
// asked again with the page's own buffer against the chosen drive, each reply
// shown field by field under a timed section. Requests go through the Machine, so
// a recorded machine answers them as it answers the rest of the program.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "device/NvmeQuery.h"
#include "support/Bytes.h"

namespace vexa {

class Machine;
class TDebugTreeLog;
class TDeviceInfo;

struct TDebugEnvironment {
  // "DPI 設定": the scaler's Scale(100) and the screen's pixels per inch.
  int scale100 = 100;
  int pixelsPerInch = 96;
  // The core's QueryTrimEnabled.
  bool trimEnabled = false;
  // Writes a raw reply under a name (the -debug dumps); none: no dumps.
  std::function<void(std::string_view name, TBytes bytes)> dump;
};

class TDebugRun {
public:
  static constexpr std::size_t kBufferSize = 8192;

  TDebugRun(Machine& machine, TDebugTreeLog& log, TDebugEnvironment environment);
  // The sections in their order: program, operating system, logical drives, and with
  // a device (open while it runs) everything asked of the drive.
  void Run(TDeviceInfo* device);

private:
  Machine& machine;
  TDebugTreeLog& log;
  TDebugEnvironment environment;
  std::array<std::uint8_t, kBufferSize> buffer{};
  std::uint32_t bytesReturned = 0;

  void Section(std::string_view title);
  void ClearBuffer();
  void Dump(std::string_view name, TBytes bytes) const;
  void DumpReply() const;
  void ValueRow(std::string_view label, std::string_view value);
  void BoolRow(std::string_view label, bool value);
  void BytesReturnedRow(std::uint32_t expected);
  bool HandleValid(const TDeviceInfo& device);
  void IdentifyAnalysis(TBytes block, bool exchange);

  void Program();
  void OperatingSystem();
  void LogicalDrives();
  void Volume(char letter);
  void KnownDrive(const TDeviceInfo& device);
  void Decoders(const TDeviceInfo& device);
  void IdentifyWords(const TDeviceInfo& device);
  void Smart(const TDeviceInfo& device);
  void Properties(const TDeviceInfo& device);
  void Geometry(const TDeviceInfo& device);
  void PartitionInfo(const TDeviceInfo& device);
  void DriveLayout(const TDeviceInfo& device);
  void Length(const TDeviceInfo& device);
  void AtaPassThrough(const TDeviceInfo& device);
  void ScsiPassThrough(const TDeviceInfo& device);
  void Miniport(const TDeviceInfo& device);
  void Nvme(const TDeviceInfo& device, TNvmeRequest request);
};

}  // namespace vexa
