// The core's own requests run against every sample machine twice: directly, and seen
// through the 64-bit layout, that is the translation over a driver that reads the
// 64-bit structures and answers from the same recorded machine. Every request must
// come back to the core byte for byte as in the direct run; drivers that misbehave
// alike in both widths (replies cut short, counts and lengths that lie) must still
// leave the core with what a 32-bit process would have found.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "device/IoControl.h"
#include "device/NvmeQuery.h"
#include "device/SmartReader.h"
#include "platform/ForwardingMachine.h"
#include "platform/MachineFile.h"
#include "platform/MachineText.h"
#include "platform/ReplayMachine.h"
#include "platform/RequestLayout64.h"
#include "platform/SpyMachine.h"
#include "platform/StorageLayout.h"
#include "shell/Shared.h"
#include "views/MachineCapture.h"

namespace vexa {
namespace {

namespace st = storage;
using TByteVector = std::vector<std::uint8_t>;

constexpr std::size_t kNoCut = std::numeric_limits<std::size_t>::max();

// How the driver misbehaves, in each width's own terms: where the pass-through
// replies are cut (the 64-bit count and the 32-bit count Windows makes of it).
struct TMisbehaviour {
  const char* name;
  std::size_t ataCut64 = kNoCut, ataCut32 = kNoCut;
  std::size_t scsiCut64 = kNoCut, scsiCut32 = kNoCut;
  bool overCount = false;     // a count of bytes beyond the output buffer
  bool lyingLengths = false;  // data and sense lengths beyond what the request asked
};

bool IsPassThrough(std::uint32_t code) {
  return code == st::kIoctlAtaPassThrough || code == st::kIoctlScsiPassThrough;
}

// A storage driver of a 64-bit system over the replay machine. It reads the
// pass-through requests at their 64-bit places (written here from the structures,
// not taken from StorageLayout.h, so the translation meets an independent reading),
// hands the replay machine the 32-bit request they stand for, its data area right
// behind the header, and writes the answer where the 64-bit request asked. The
// replay machine returns no sense data. Other requests go to it unchanged.
class TDriver64 final : public TForwardingMachine {
public:
  TDriver64(Machine& replay, const TMisbehaviour& misbehaviour) : TForwardingMachine(replay), bad(misbehaviour) {}

  TIoResult Control(THandle handle, std::uint32_t code, std::span<const std::uint8_t> in,
                    std::span<std::uint8_t> out) override {
    if (!IsPassThrough(code)) return inner.Control(handle, code, in, out);
    const bool ata = code == st::kIoctlAtaPassThrough;
    const TLayout& layout = ata ? kAta : kScsi;
    TIoResult result = PassThrough(handle, code, layout, in, out);
    if (!result.ok) return result;
    if (bad.lyingLengths && result.bytes >= layout.header64) {
      PutU32(out, layout.lengthAt, 0xFFFFFFF0);
      if (layout.senseAt64 != 0) PutU8(out, layout.senseAt64, 0xFF);
    }
    if (bad.overCount) result.bytes = static_cast<std::uint32_t>(out.size() + 100);
    result.bytes = static_cast<std::uint32_t>(std::min<std::size_t>(result.bytes, ata ? bad.ataCut64 : bad.scsiCut64));
    return result;
  }

private:
  static constexpr TIoResult kInvalid{false, 0, kErrorInvalidParameter};

  // The driver works in one system buffer that starts as the input.
  static void SystemBuffer(TBytes in, TMutableBytes out) {
    if (in.data() != out.data()) std::copy_n(in.begin(), std::min(in.size(), out.size()), out.begin());
  }

  static bool Fits(std::uint64_t offset, std::uint64_t length, std::size_t header, TBytes in, TMutableBytes out) {
    return length == 0 || (offset >= header && offset + length <= std::max(in.size(), out.size()));
  }

  // Where a 64-bit driver finds the fields, and the 32-bit request they stand for.
  struct TLayout {
    std::size_t header64, header32;
    std::size_t lengthAt;      // DataTransferLength, the same in both
    std::size_t senseAt64;     // SenseInfoLength (1 byte) and SenseInfoOffset at 32; 0: none
    std::size_t registers64;   // the task files or the command block
    std::size_t registers32;
    std::size_t registersSize;
  };
  // ATA_PASS_THROUGH_EX, 64-bit: Length 0, DataTransferLength 8, DataBufferOffset 24
  // (8 bytes), PreviousTaskFile 32, CurrentTaskFile 40; 48 bytes.
  static constexpr TLayout kAta{48, 40, 8, 0, 32, 24, 16};
  // SCSI_PASS_THROUGH, 64-bit: Length 0, SenseInfoLength 7, DataTransferLength 12,
  // DataBufferOffset 24 (8 bytes), SenseInfoOffset 32, Cdb 36 (16 bytes); 56 bytes.
  static constexpr TLayout kScsi{56, 44, 12, 7, 36, 28, 16};

  TIoResult PassThrough(THandle handle, std::uint32_t code, const TLayout& layout, TBytes in, TMutableBytes out) {
    if (in.size() < layout.header64 || out.size() < layout.header64 || GetU16(in, 0) != layout.header64) {
      return kInvalid;
    }
    const std::uint32_t length = GetU32(in, layout.lengthAt);
    const std::uint64_t offset = GetU64(in, 24);
    if (!Fits(offset, length, layout.header64, in, out)) return kInvalid;
    if (layout.senseAt64 != 0 && !Fits(GetU32(in, 32), GetU8(in, layout.senseAt64), layout.header64, in, out)) {
      return kInvalid;
    }
    // The same fields; the data area right behind the header, no sense area.
    TByteVector request(layout.header32 + std::size_t{length}, 0);
    std::copy_n(in.begin(), 20, request.begin());
    PutU16(request, 0, static_cast<std::uint16_t>(layout.header32));
    PutU32(request, 20, static_cast<std::uint32_t>(layout.header32));
    std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(layout.registers64), layout.registersSize,
                request.begin() + static_cast<std::ptrdiff_t>(layout.registers32));
    const TIoResult result = inner.Control(handle, code, request, request);
    const TBytes reply = TBytes(request).first(std::min<std::size_t>(result.bytes, request.size()));
    if (!result.ok || reply.size() < layout.header32) return result;

    SystemBuffer(in, out);
    std::copy_n(reply.begin(), 20, out.begin());
    PutU16(out, 0, static_cast<std::uint16_t>(layout.header64));
    std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(layout.registers32), layout.registersSize,
                out.begin() + static_cast<std::ptrdiff_t>(layout.registers64));
    const std::size_t room = out.size() > offset ? out.size() - offset : 0;
    const std::size_t count =
        std::min<std::size_t>({GetU32(reply, layout.lengthAt), reply.size() - layout.header32, room});
    std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(layout.header32), count,
                out.begin() + static_cast<std::ptrdiff_t>(offset));
    return {true, static_cast<std::uint32_t>(count > 0 ? offset + count : layout.header64), 0};
  }

  TMisbehaviour bad;
};

// The machine the core sees in the 64-bit build: every request through the
// translation, to the 64-bit driver.
class TThrough64 final : public TForwardingMachine {
public:
  explicit TThrough64(Machine& driver) : TForwardingMachine(driver) {}
  TIoResult Control(THandle handle, std::uint32_t code, std::span<const std::uint8_t> input,
                    std::span<std::uint8_t> output) override {
    return SendInLayout64(code, input, output, [&](TBytes in64, TMutableBytes out64) {
      return inner.Control(handle, code, in64, out64);
    });
  }
};

// The same misbehaving driver as a 32-bit process on 64-bit Windows meets it: the
// driver works in a system buffer, the caller gets the bytes returned, and the
// lengths and counts come as that process would find them.
class TDriver32 final : public TForwardingMachine {
public:
  TDriver32(Machine& replay, const TMisbehaviour& misbehaviour) : TForwardingMachine(replay), bad(misbehaviour) {}

  TIoResult Control(THandle handle, std::uint32_t code, std::span<const std::uint8_t> in,
                    std::span<std::uint8_t> out) override {
    if (!IsPassThrough(code)) return inner.Control(handle, code, in, out);
    const bool ata = code == st::kIoctlAtaPassThrough;
    TByteVector system(std::max(in.size(), out.size()), 0);
    std::copy(in.begin(), in.end(), system.begin());
    TIoResult result =
        inner.Control(handle, code, TBytes(system).first(in.size()), TMutableBytes(system).first(out.size()));
    if (result.ok) {
      // Lengths beyond the request come back as the request's own.
      if (bad.lyingLengths && result.bytes >= (ata ? 40u : 44u)) {
        PutU32(system, ata ? 8 : 12, GetU32(in, ata ? 8 : 12));
        if (!ata) PutU8(system, 7, GetU8(in, 7));
      }
      if (bad.overCount) result.bytes = static_cast<std::uint32_t>(out.size());
      result.bytes =
          static_cast<std::uint32_t>(std::min<std::size_t>(result.bytes, ata ? bad.ataCut32 : bad.scsiCut32));
    }
    std::copy_n(system.begin(), std::min<std::size_t>(result.bytes, out.size()), out.begin());
    return result;
  }

private:
  TMisbehaviour bad;
};

// A SENDCMDINPARAMS block: the task file of one SMART or IDENTIFY command.
std::array<std::uint8_t, st::sendcmdin::kSize> CommandBlock(std::uint32_t bufferSize, std::uint8_t features,
                                                             std::uint8_t command) {
  std::array<std::uint8_t, st::sendcmdin::kSize> block{};
  PutU32(block, st::sendcmdin::kBufferSize, bufferSize);
  block[st::sendcmdin::kRegisters + st::taskfile::kFeatures] = features;
  block[st::sendcmdin::kRegisters + st::taskfile::kSectorCount] = 1;
  block[st::sendcmdin::kRegisters + st::taskfile::kLbaMid] = st::atacmd::kSmartLbaMid;
  block[st::sendcmdin::kRegisters + st::taskfile::kLbaHigh] = st::atacmd::kSmartLbaHigh;
  block[st::sendcmdin::kRegisters + st::taskfile::kDevice] = st::atacmd::kDeviceHead;
  block[st::sendcmdin::kRegisters + st::taskfile::kCommand] = command;
  return block;
}

// Everything the core asks a drive: the request functions on every device of the
// machine, then the program's own road as a capture runs it (every device selected
// with the Debug page open, whose run repeats every request and shows every field
// of the replies). Answers each request with what it got back, and the capture.
struct TCoreRun {
  std::vector<test::TRecordedRequest> requests;
  std::string capture;
};

TCoreRun RunCore(Machine& machine, const TMachineFile& file) {
  test::TSpyMachine spy(machine);
  for (const TMachineDevice& device : file.devices) {
    const THandle handle = spy.Open(device.path, {});
    TBlock512 block{};
    AtaIdentify(spy, handle, block, false);
    AtaIdentify(spy, handle, block, true);
    std::array<std::uint8_t, st::ata::kSize + 512> request{};
    const std::array<std::uint8_t, 8> identify{0, 1, 0, 0, 0, st::atacmd::kDeviceHead, st::atacmd::kIdentifyDevice, 0};
    BuildAtaRequest(request, st::ata::kFlagDataIn | st::ata::kFlag48BitCommand, 512, 3, identify);
    ScsiPassThroughAta(spy, handle, request);
    std::array<std::uint8_t, st::sendcmdout::kBuffer + 512> reply{};
    SendSmartCommand(spy, handle, st::kSmartRcvDriveData,
                     CommandBlock(512, st::atacmd::kSmartReadData, st::atacmd::kSmart), reply);
    SendSmartCommand(spy, handle, st::kSmartSendDriveCommand,
                     CommandBlock(0, st::atacmd::kSmartReturnStatus, st::atacmd::kSmart), reply);
    TSmartReader smart(spy);
    TBlock512 thresholds{};
    smart.EnableSmart(handle, 0);
    smart.IdentifyViaSmart(handle, 0, block);
    smart.ReadSmartData(handle, 0, block, thresholds);
    MiniportIdentify(spy, handle, 0, block);
    std::array<std::uint8_t, 4096> nvme{};
    for (const TNvmeRequest kind :
         {TNvmeRequest::IdentifyController, TNvmeRequest::IdentifyNamespace, TNvmeRequest::HealthLog}) {
      QueryNvme(spy, handle, kind, nvme);
    }
    spy.Close(handle);
  }
  SetMessageSink([](std::string_view, std::uint32_t) { return kAnswerOk; });
  TCoreRun run;
  run.capture = CaptureMachineFile(spy, {}, "round trip");
  SetMessageSink({});
  run.requests = spy.requests;
  return run;
}

std::size_t CountOf(const std::vector<test::TRecordedRequest>& requests, std::uint32_t code, bool answered) {
  return static_cast<std::size_t>(std::count_if(requests.begin(), requests.end(), [&](const auto& request) {
    return request.code == code && request.result.ok == answered;
  }));
}

// The first request that differs, for the failure message.
std::string FirstDifference(const std::vector<test::TRecordedRequest>& direct,
                            const std::vector<test::TRecordedRequest>& through64) {
  for (std::size_t i = 0; i < std::min(direct.size(), through64.size()); ++i) {
    if (!(direct[i] == through64[i])) {
      return "request " + std::to_string(i) + ", code " + std::to_string(direct[i].code) + ": bytes " +
             std::to_string(direct[i].result.bytes) + " / " + std::to_string(through64[i].result.bytes);
    }
  }
  return "request counts " + std::to_string(direct.size()) + " / " + std::to_string(through64.size());
}

TEST(RequestLayout64RoundTrip, EverySampleAnswersTheCoreAsADirectRun) {
  const std::vector<std::filesystem::path> samples = test::SampleMachineFiles();
  ASSERT_FALSE(samples.empty());
  for (const std::filesystem::path& sample : samples) {
    SCOPED_TRACE(sample.filename().string());
    const TMachineFile file = ReadMachineFile(sample.string());
    ReplayMachine direct{TMachineFile(file)};
    ReplayMachine replay{TMachineFile(file)};
    TDriver64 driver(replay, {"faithful"});
    TThrough64 through64(driver);

    const TCoreRun expected = RunCore(direct, file);
    const TCoreRun got = RunCore(through64, file);
    EXPECT_TRUE(got.requests == expected.requests) << FirstDifference(expected.requests, got.requests);
    EXPECT_EQ(got.capture, expected.capture);
    EXPECT_EQ(replay.RefusedCount(), 0u) << (replay.RefusedCount() ? replay.RefusedRequests()[0] : "");
    // The pass-through routes answered, not only failed.
    EXPECT_GT(CountOf(expected.requests, st::kIoctlAtaPassThrough, true) +
                  CountOf(expected.requests, st::kIoctlScsiPassThrough, true),
              0u);
  }
}

TEST(RequestLayout64RoundTrip, MisbehavingDriversLeaveTheCoreWhatA32BitProcessFinds) {
  const TMisbehaviour kCases[] = {
      {"replies cut to nothing", 0, 0, 0, 0},
      {"replies cut inside DataTransferLength", 10, 8, 14, 12},
      {"replies cut inside DataBufferOffset", 30, 20, 30, 20},
      {"replies cut inside the task file or the command block", 45, 37, 40, 32},
      {"replies cut at the end of the 64-bit header", 48, 40, 56, 44},
      {"replies cut inside the data", 60, 52, 70, 58},
      {"counts beyond the output buffer", kNoCut, kNoCut, kNoCut, kNoCut, true},
      {"lengths beyond the request", kNoCut, kNoCut, kNoCut, kNoCut, false, true},
  };
  const std::vector<std::filesystem::path> samples = test::SampleMachineFiles();
  for (const TMisbehaviour& misbehaviour : kCases) {
    for (const std::filesystem::path& sample : samples) {
      SCOPED_TRACE(std::string(misbehaviour.name) + ", " + sample.filename().string());
      const TMachineFile file = ReadMachineFile(sample.string());
      ReplayMachine replay32{TMachineFile(file)};
      ReplayMachine replay64{TMachineFile(file)};
      TDriver32 driver32(replay32, misbehaviour);
      TDriver64 driver64(replay64, misbehaviour);
      TThrough64 through64(driver64);

      const TCoreRun expected = RunCore(driver32, file);
      const TCoreRun got = RunCore(through64, file);
      EXPECT_TRUE(got.requests == expected.requests) << FirstDifference(expected.requests, got.requests);
      EXPECT_EQ(got.capture, expected.capture);
      for (const test::TRecordedRequest& request : got.requests) EXPECT_LE(request.result.bytes, request.outputSize);
    }
  }
}

}  // namespace
}  // namespace vexa
