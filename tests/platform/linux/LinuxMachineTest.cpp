// The Linux machine on real files: read-only whatever the mode asks, unbuffered
// reads that must be aligned, short reads at the end, overlapped reads through
// io_uring with waits for any and all, cancellation, an abort in the middle of a
// run, and no descriptor left behind.
#include "platform/linux/LinuxMachine.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "benchmark/DriveIops.h"
#include "platform/StorageLayout.h"
#include "support/AlignedBuffer.h"
#include "support/Bytes.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

std::size_t OpenDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

class LinuxMachineTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("vexa-linux-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    file = (folder / "disk.img").string();
    std::ofstream out(file, std::ios::binary);
    for (std::uint32_t i = 0; i < kSize / 4; ++i) out.write(reinterpret_cast<const char*>(&i), 4);
  }
  void TearDown() override { fs::remove_all(folder); }

  static constexpr std::uint32_t kSize = 1 << 20;
  fs::path folder;
  std::string file;
};

TEST_F(LinuxMachineTest, OpensReadOnlyWhateverTheModeAsks) {
  LinuxMachine machine({{"\\\\.\\PhysicalDrive0", file}});
  TOpenMode mode;
  mode.write = true;
  const THandle handle = machine.Open("\\\\.\\physicaldrive0", mode);
  ASSERT_NE(handle, kInvalidHandle);
  // The one descriptor the machine opened refuses writes.
  bool sawReadOnly = false;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (fs::read_symlink(entry.path(), error) != fs::path(file)) continue;
    const int fd = std::stoi(entry.path().filename().string());
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_ACCMODE, O_RDONLY);
    EXPECT_EQ(::write(fd, "x", 1), -1);
    sawReadOnly = true;
  }
  EXPECT_TRUE(sawReadOnly);
  // Size and geometry answer; every other request, writes included, is refused.
  std::array<std::uint8_t, 8> length{};
  EXPECT_TRUE(machine.Control(handle, storage::kIoctlDiskGetLengthInfo, {}, length).ok);
  EXPECT_EQ(GetU64(length, 0), kSize);
  std::array<std::uint8_t, 40> geometry{};
  EXPECT_EQ(machine.Control(handle, storage::kIoctlDiskGetDriveGeometryEx, {}, geometry).bytes, 32u);
  EXPECT_EQ(GetU32(geometry, storage::geometry::kBytesPerSector), 512u);
  std::array<std::uint8_t, 600> request{};
  EXPECT_EQ(machine.Control(handle, storage::kIoctlAtaPassThrough, request, request).error, kErrorInvalidFunction);
  machine.Close(handle);
  EXPECT_EQ(fs::file_size(file), kSize);
}

TEST_F(LinuxMachineTest, RefusalsCarryWindowsErrors) {
  LinuxMachine machine;
  const std::pair<std::string, std::uint32_t> cases[] = {
      {(folder / "missing").string(), kErrorFileNotFound},
      {folder.string(), kErrorAccessDenied},
      {"/dev/null", kErrorNotSupported},
  };
  for (const auto& [path, error] : cases) {
    EXPECT_EQ(machine.Open(path, {}), kInvalidHandle) << path;
    EXPECT_EQ(machine.LastOpenError(), error) << path;
  }
  EXPECT_FALSE(machine.ErrorMessage(kErrorFileNotFound).empty());
}

TEST_F(LinuxMachineTest, UnbufferedReadsMustBeAlignedAndStopAtTheEnd) {
  LinuxMachine machine;
  TOpenMode mode;
  mode.noBuffering = true;
  const THandle handle = machine.Open(file, mode);
  ASSERT_NE(handle, kInvalidHandle) << machine.LastOpenError();
  TAlignedBuffer buffer(8192);
  ASSERT_TRUE(machine.SetPosition(handle, kSize - 4096));
  const TIoResult tail = machine.Read(handle, buffer.Span());
  EXPECT_TRUE(tail.ok);
  EXPECT_EQ(tail.bytes, 4096u);
  EXPECT_EQ(GetU32(buffer.Span(), 0), (kSize - 4096) / 4);
  EXPECT_EQ(machine.Read(handle, buffer.Span()).bytes, 0u);  // past the end: success, nothing read

  ASSERT_TRUE(machine.SetPosition(handle, 100));
  EXPECT_EQ(machine.Read(handle, buffer.Span()).error, kErrorInvalidParameter);
  ASSERT_TRUE(machine.SetPosition(handle, 0));
  EXPECT_EQ(machine.Read(handle, buffer.Span().subspan(0, 100)).error, kErrorInvalidParameter);
  EXPECT_EQ(machine.Read(handle, buffer.Span().subspan(1, 512)).error, kErrorInvalidParameter);
  machine.Close(handle);
}

TEST_F(LinuxMachineTest, OverlappedReadsCompleteInTheirSlots) {
  const std::size_t before = OpenDescriptors();
  {
    LinuxMachine machine;
    TOpenMode mode;
    mode.noBuffering = true;
    mode.overlapped = true;
    const THandle handle = machine.Open(file, mode);
    ASSERT_NE(handle, kInvalidHandle);
    std::array<TAlignedBuffer, 4> buffers;
    std::array<TIoSlot, 4> slots{};
    for (std::size_t i = 0; i < slots.size(); ++i) {
      slots[i] = machine.CreateIoSlot();
      ASSERT_NE(slots[i], kNoIoSlot);
      buffers[i].Allocate(4096);
      ASSERT_TRUE(machine.ReadOverlapped(handle, slots[i], i * 65536, buffers[i].Span()).ok);
    }
    // A slot still in flight cannot take another read.
    EXPECT_EQ(machine.ReadOverlapped(handle, slots[0], 0, buffers[0].Span()).error, kErrorInvalidParameter);
    EXPECT_EQ(machine.WaitIoSlots(slots, true, 5000).outcome, TWaitOutcome::Signalled);
    for (std::size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(GetU32(buffers[i].Span(), 0), i * 65536 / 4);
    // Auto-reset: reported once, then nothing can signal.
    EXPECT_EQ(machine.WaitIoSlots(slots, false, 10).outcome, TWaitOutcome::TimedOut);
    EXPECT_EQ(machine.WaitIoSlots(slots, false, kWaitForever).outcome, TWaitOutcome::Failed);
    const TWaitResult any = (machine.ReadOverlapped(handle, slots[2], 0, buffers[2].Span()),
                             machine.WaitIoSlots(slots, false, 5000));
    EXPECT_EQ(any.outcome, TWaitOutcome::Signalled);
    EXPECT_EQ(any.index, 2u);
    // Freeing a slot with a read in flight cancels and reaps it.
    ASSERT_TRUE(machine.ReadOverlapped(handle, slots[1], 0, buffers[1].Span()).ok);
    for (TIoSlot slot : slots) machine.FreeIoSlot(slot);
    EXPECT_EQ(machine.ReadOverlapped(handle, slots[1], 0, buffers[1].Span()).error, kErrorInvalidHandle);
    machine.Close(handle);
  }
  EXPECT_EQ(OpenDescriptors(), before);  // the file and the ring are gone
}

TEST_F(LinuxMachineTest, AnAbortEndsQueuedAndSynchronousRunsAtTheirNextRead) {
  const std::size_t before = OpenDescriptors();
  {
    LinuxMachine machine;
    TDriveIops iops(machine);
    iops.blockSize = 4096;
    iops.sampleCount = 100;
    iops.queueDepth = 8;
    iops.RunQueued(file, kSize * 8);  // claims more room than the file has: reads past the end succeed empty
    EXPECT_EQ(iops.completed, 100u);
    machine.Abort();
    iops.RunQueued(file, kSize * 8);
    EXPECT_EQ(iops.completed, 0u);
    const THandle handle = machine.Open(file, BenchmarkOpenMode(false));
    iops.RunRandom(handle, kSize);
    EXPECT_EQ(iops.iops, 0);
    machine.Close(handle);
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST(LinuxMachineClock, CountsNanosecondsAndConvertsLocalTime) {
  LinuxMachine machine;
  const std::int64_t first = machine.Counter();
  EXPECT_GE(machine.Counter(), first);
  EXPECT_EQ(machine.CounterFrequency(), 1'000'000'000);
  const TCalendarTime now = machine.LocalTime();
  EXPECT_GE(now.year, 2024);
  EXPECT_TRUE(machine.LocalToUtc(now).has_value());
  EXPECT_FALSE(machine.LocalToUtc(TCalendarTime{2023, 2, 30, 0, 0, 0, 0}).has_value());
  const double r = machine.Random();
  EXPECT_TRUE(r >= 0 && r < 1);
}

}  // namespace
}  // namespace vexa
