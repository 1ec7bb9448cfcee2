// A replay machine with one disk of a chosen size and read model, counted in
// microseconds (counter frequency 10^6), and a spy over it that records where
// reads land and can fail the n-th read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ForwardingMachine.h"
#include "platform/MachineFile.h"
#include "platform/MachineText.h"
#include "platform/ReplayMachine.h"
#include "support/Format.h"

namespace vexa::test {

inline constexpr std::string_view kBenchDisk = "\\\\.\\PhysicalDrive0";

// access µs, rate in 10^6 bytes per second, channels.
inline std::string BenchMachineText(std::uint64_t size, std::uint32_t access = 100, std::uint32_t rate = 100,
                                    std::uint32_t channels = 4) {
  const std::string text = Format(
      "vexa-machine 1\n[os]\ncounter-frequency 1000000\n[device \\\\.\\PhysicalDrive0]\nanswers ata length geometry "
      "property number\nsize %u\nread-model access-us %u rate-mb %u channels %u\nidentify\n",
      size, access, rate, channels);
  return text + IdentifyHex(MakeIdentify("Vexa Bench SSD", "VB1", "1.0", size / 512)) + "end\n";
}
inline std::unique_ptr<ReplayMachine> BenchMachine(std::uint64_t size, std::uint32_t access = 100,
                                                   std::uint32_t rate = 100, std::uint32_t channels = 4) {
  return std::make_unique<ReplayMachine>(
      ParseMachineFile(BenchMachineText(size, access, rate, channels), "bench.machine"));
}

// Records the offset of every read and fails the read numbered failAt (1-based;
// 0: none), synchronous and overlapped alike.
class TReadSpy final : public TForwardingMachine {
public:
  using TForwardingMachine::TForwardingMachine;

  bool SetPosition(THandle handle, std::uint64_t offset) override {
    position = offset;
    return inner.SetPosition(handle, offset);
  }
  TIoResult Read(THandle handle, std::span<std::uint8_t> buffer) override {
    if (Fails()) return {false, 0, kErrorIoDevice};
    offsets.push_back(position);
    position += buffer.size();
    return inner.Read(handle, buffer);
  }
  TIoResult ReadOverlapped(THandle handle, TIoSlot slot, std::uint64_t offset, std::span<std::uint8_t> buffer) override {
    if (Fails()) return {false, 0, kErrorIoDevice};
    offsets.push_back(offset);
    return inner.ReadOverlapped(handle, slot, offset, buffer);
  }
  TOpenMode lastMode;
  THandle Open(std::string_view path, const TOpenMode& mode) override {
    ++opens;
    lastMode = mode;
    return inner.Open(path, mode);
  }

  std::vector<std::uint64_t> offsets;
  std::uint32_t failAt = 0;
  std::uint32_t opens = 0;

private:
  bool Fails() { return failAt != 0 && ++reads == failAt; }
  std::uint64_t position = 0;
  std::uint32_t reads = 0;
};

}  // namespace vexa::test
