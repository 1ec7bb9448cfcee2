// The replay machine as the Windows storage stack would answer: refusals of unknown
// and write-type requests (counted), route failures (not counted), the virtual clock
// of reads and waits, volumes, layouts, time and chance, and the bundled samples run
// through every request the program issues.
#include "platform/ReplayMachine.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "device/IoControl.h"
#include "device/SmartReader.h"
#include "platform/MachineContract.h"
#include "platform/MachineText.h"
#include "platform/StorageLayout.h"
#include "support/Error.h"

namespace vexa {
namespace {

namespace st = storage;
using Bytes = std::vector<std::uint8_t>;

const TBlock512 kIdentify = test::MakeIdentify("Vexa Test HDD 1TB", "VH42", "A1");

ReplayMachine Machine1(std::string_view device, std::string_view extra = "") {
  return ReplayMachine(ParseMachineFile("vexa-machine 1\n[os]\ncounter-frequency 1000000\nclock 2014-01-01 03:00:00\n"
                                        "utc-offset +08:00\n[device \\\\.\\PhysicalDrive0]\n" +
                                            std::string(device) + "\nidentify\n" + test::IdentifyHex(kIdentify) +
                                            "end\nsmart\n  5 0x0033 100 100 0 10\nend\n" + std::string(extra),
                                        "replay.machine"));
}

Bytes AtaRequest(std::uint16_t flags, std::uint8_t command, std::uint8_t features = 0) {
  Bytes request(40 + 512, 0);
  PutU16(request, 0, 40);
  PutU16(request, 2, flags);
  PutU32(request, 8, 512);
  PutU32(request, 12, 3);
  PutU32(request, 20, 40);
  request[32] = features;
  request[33] = 1;
  request[35] = 0x4F;
  request[36] = 0xC2;
  request[37] = 0xA0;
  request[38] = command;
  return request;
}

Bytes ScsiRequest(std::initializer_list<std::uint8_t> cdb, std::uint8_t dataIn = 1) {
  Bytes request(44 + 512, 0);
  PutU16(request, 0, 44);
  request[6] = 16;
  request[8] = dataIn;
  PutU32(request, 12, 512);
  PutU32(request, 16, 3);
  PutU32(request, 20, 44);
  std::copy(cdb.begin(), cdb.end(), request.begin() + 28);
  return request;
}

TEST(ReplayMachineRefusals, UnknownAndWriteTypeRequestsAreRefusedAndCounted) {
  struct TCase {
    const char* name;
    std::uint32_t code;
    Bytes input;
    const char* path = "\\\\.\\PhysicalDrive0";
  };
  Bytes miniport(64, 0);
  PutU32(miniport, 0, 28);
  std::memcpy(miniport.data() + 4, "SCSIDISX", 8);
  PutU32(miniport, 16, 0x1B0501);
  miniport[38] = 0xEC;
  Bytes smartWrite(33, 0);
  smartWrite[4] = 0xD6;  // SMART WRITE LOG
  smartWrite[7] = 0x4F;
  smartWrite[8] = 0xC2;
  smartWrite[10] = 0xB0;
  Bytes shortSmartWrite(smartWrite.begin(), smartWrite.begin() + 20);  // once answered 87 uncounted
  Bytes ataOddLength = AtaRequest(0x04, 0xEC);
  PutU16(ataOddLength, 0, 36);
  const TCase cases[] = {
      {"set drive layout", 0x7C054, {}},
      {"made-up code", 0x12345678, {}},
      {"ATA data out", st::kIoctlAtaPassThrough, AtaRequest(0x04, 0xEC)},
      {"ATA WRITE DMA", st::kIoctlAtaPassThrough, AtaRequest(0x02, 0xCA)},
      {"SMART EXECUTE OFFLINE", st::kIoctlAtaPassThrough, AtaRequest(0x02, 0xB0, 0xD4)},
      {"SCSI WRITE(10)", st::kIoctlScsiPassThrough, ScsiRequest({0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0})},
      {"SAT PIO data-out", st::kIoctlScsiPassThrough, ScsiRequest({0x85, 0x0A, 0x06, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0x30, 0})},
      {"SAT to the device", st::kIoctlScsiPassThrough, ScsiRequest({0xA1, 0x08, 0x06, 0, 1, 0, 0, 0, 0xA0, 0xEC, 0, 0})},
      {"SCSI data out", st::kIoctlScsiPassThrough, ScsiRequest({0xA1, 0x08, 0x0E, 0, 1, 0, 0, 0, 0xA0, 0xEC, 0, 0}, 0)},
      {"miniport signature", st::kIoctlScsiMiniport, miniport},
      {"SMART WRITE LOG", st::kSmartSendDriveCommand, smartWrite},
      {"SMART WRITE LOG, short block", st::kSmartSendDriveCommand, shortSmartWrite},
      {"ATA data out, header length 36", st::kIoctlAtaPassThrough, ataOddLength},
      {"data out on a volume of a disk not described", st::kIoctlAtaPassThrough, AtaRequest(0x04, 0xEC), "\\\\.\\E:"},
      {"made-up code, no such handle", 0x12345678, {}, "\\\\.\\Tape0"},
  };
  std::uint32_t expected = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const char* volume = "[volume E:]\ndisk 7\n";
    ReplayMachine machine = Machine1("answers ata sat smart miniport", volume);
    // A failing route does not hide a write: the request is refused before the route answers.
    ReplayMachine failing = Machine1("fails ata 50\nfails sat 50\nfails smart 1\nfails miniport 1", volume);
    for (ReplayMachine* m : {&machine, &failing}) {
      const THandle handle = m->Open(c.path, {.write = true});
      Bytes output(600, 0xEE);
      const TIoResult result = m->Control(handle, c.code, c.input, output);
      EXPECT_FALSE(result.ok);
      EXPECT_EQ(result.error, kErrorInvalidFunction);
      EXPECT_EQ(m->RefusedCount(), 1u);
      EXPECT_EQ(output[0], 0xEE);
    }
    ++expected;
  }
  EXPECT_EQ(expected, std::size(cases));
}

TEST(ReplayMachineRoutes, FailuresAnswerTheirCodeWithoutCounting) {
  ReplayMachine machine = Machine1("fails ata 50\nfails property 87\nfails length 1117");
  const THandle handle = machine.Open("\\\\.\\PhysicalDrive0", {});
  Bytes request = AtaRequest(0x0B, 0xEC);
  EXPECT_EQ(machine.Control(handle, st::kIoctlAtaPassThrough, request, request).error, 50u);
  Bytes query(12, 0), reply(512, 0);
  EXPECT_EQ(machine.Control(handle, st::kIoctlStorageQueryProperty, query, reply).error, 87u);
  EXPECT_EQ(machine.Control(handle, st::kIoctlDiskGetLengthInfo, {}, reply).error, 1117u);
  EXPECT_EQ(machine.Control(handle, st::kIoctlDiskGetDriveLayoutEx, {}, reply).error, 1u);  // not listed
  EXPECT_EQ(machine.Control(kInvalidHandle, st::kIoctlDiskGetLengthInfo, {}, reply).error, kErrorInvalidHandle);
  EXPECT_EQ(machine.RefusedCount(), 0u);
  EXPECT_EQ(machine.ErrorMessage(50), "The request is not supported.");
  EXPECT_EQ(machine.ErrorMessage(99999), "");
}

TEST(ReplayMachineRoutes, MalformedPassThroughIsAnInvalidParameter) {
  ReplayMachine machine = Machine1("answers ata sat");
  const THandle handle = machine.Open("\\\\.\\PhysicalDrive0", {});
  Bytes request = AtaRequest(0x0B, 0xEC);
  PutU32(request, 20, 600);  // data area outside the buffer
  EXPECT_EQ(machine.Control(handle, st::kIoctlAtaPassThrough, request, request).error, 87u);
  Bytes shortRequest(20, 0);
  EXPECT_EQ(machine.Control(handle, st::kIoctlAtaPassThrough, shortRequest, request).error, 87u);
  Bytes scsi = ScsiRequest({0x85, 0x08, 0x0E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0xEC, 0});
  scsi[6] = 12;  // a 16-byte command block announced as 12
  EXPECT_EQ(machine.Control(handle, st::kIoctlScsiPassThrough, Bytes(scsi.begin(), scsi.begin() + 44), scsi).error, 87u);
  EXPECT_EQ(machine.RefusedCount(), 0u);
}

// A route that counts short reports fewer bytes but leaves the whole reply, data
// included, in the buffer; failures and other routes keep their counts.
TEST(ReplayMachineRoutes, ShortRepliesCountLessButWriteEverything) {
  ReplayMachine machine = Machine1("answers ata sat\nshort ata 100\nshort sat 0");
  const THandle handle = machine.Open("\\\\.\\PhysicalDrive0", {});
  Bytes request = AtaRequest(0x0B, 0xEC);
  const TIoResult ata = machine.Control(handle, st::kIoctlAtaPassThrough, request, request);
  ASSERT_TRUE(ata.ok);
  EXPECT_EQ(ata.bytes, 100u);
  EXPECT_EQ(GetU32(request, 8), 512u);
  EXPECT_TRUE(std::equal(kIdentify.begin(), kIdentify.end(), request.begin() + 40));
  Bytes scsi = ScsiRequest({0x85, 0x08, 0x0E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0xEC, 0});
  const TIoResult sat = machine.Control(handle, st::kIoctlScsiPassThrough, Bytes(scsi.begin(), scsi.begin() + 44), scsi);
  ASSERT_TRUE(sat.ok);
  EXPECT_EQ(sat.bytes, 0u);
  EXPECT_TRUE(std::equal(kIdentify.begin(), kIdentify.end(), scsi.begin() + 44));
  Bytes small(40, 0);
  EXPECT_FALSE(machine.Control(handle, st::kSmartGetVersion, {}, small).ok);  // fails as before: not counted short
}

// Seek penalty, TRIM and the physical sector size come from IDENTIFY (words 217, 169
// and 106: kIdentify is a TRIM-capable SSD with 4096-byte physical sectors) unless the
// file states what the driver answers; without IDENTIFY only what is stated answers.
TEST(ReplayMachineRoutes, DriverPropertiesFromIdentifyOrAsStated) {
  constexpr int kFails = -1;
  const struct {
    bool identify;
    const char* keys;
    int seekPenalty, trim;
    std::uint32_t physical;
  } cases[] = {
      {true, "", 0, 1, 4096},
      {true, "seek-penalty yes\ntrim no\nphysical-sector-size 512\n", 1, 0, 512},
      {true, "seek-penalty none\ntrim none\n", kFails, kFails, 4096},
      {false, "", kFails, kFails, 512},
      {false, "seek-penalty no\ntrim yes\nphysical-sector-size 4096\n", 0, 1, 4096},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    std::string text = "vexa-machine 1\n[device \\\\.\\PhysicalDrive0]\nanswers property\n" + std::string(c.keys);
    if (c.identify) text += "identify\n" + test::IdentifyHex(kIdentify) + "end\n";
    ReplayMachine machine(ParseMachineFile(text, "properties.machine"));
    const THandle handle = machine.Open("\\\\.\\PhysicalDrive0", {});
    const auto query = [&](std::uint32_t id, Bytes& reply) {
      Bytes input(12, 0);
      PutU32(input, 0, id);
      reply.assign(64, 0xEE);
      return machine.Control(handle, st::kIoctlStorageQueryProperty, input, reply);
    };
    Bytes reply;
    for (const auto& [id, expected] : {std::pair{7u, c.seekPenalty}, std::pair{8u, c.trim}}) {
      const TIoResult result = query(id, reply);
      EXPECT_EQ(result.ok, expected != kFails) << id;
      if (expected == kFails) EXPECT_EQ(result.error, 1u) << id;
      else EXPECT_EQ(reply[8], expected) << id;
    }
    ASSERT_TRUE(query(6, reply).ok);
    EXPECT_EQ(GetU32(reply, 16), 512u);
    EXPECT_EQ(GetU32(reply, 20), c.physical);
  }
}

TEST(ReplayMachineRoutes, SmartReturnStatusReportsAnExceededThreshold) {
  for (const bool failing : {false, true}) {
    ReplayMachine machine(ParseMachineFile(std::string("vexa-machine 1\n[device \\\\.\\PhysicalDrive0]\nanswers smart\n"
                                                       "smart\n  5 0x0033 ") +
                                               (failing ? "9" : "100") + " 100 0 10\nend\n",
                                           "status.machine"));
    const THandle handle = machine.Open("\\\\.\\PhysicalDrive0", {});
    Bytes block(33, 0);
    block[4] = 0xDA;
    block[7] = 0x4F;
    block[8] = 0xC2;
    block[9] = 0xA0;
    block[10] = 0xB0;
    Bytes reply(64, 0);
    const TIoResult result = machine.Control(handle, st::kSmartSendDriveCommand, block, reply);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.bytes, 24u);
    EXPECT_EQ(reply[16 + 3], failing ? 0xF4 : 0x4F);
    EXPECT_EQ(reply[16 + 4], failing ? 0x2C : 0xC2);
  }
}

TEST(ReplayMachineClock, ReadsAdvanceTheCounterByTheReadModel) {
  ReplayMachine machine = Machine1("size 1073741824\nread-model access-us 100 rate-mb 100 channels 1");
  EXPECT_EQ(machine.CounterFrequency(), 1000000);
  const THandle handle = machine.Open("\\\\.\\PhysicalDrive0", {.noBuffering = true});
  alignas(4096) static std::array<std::uint8_t, 1 << 20> buffer;
  EXPECT_EQ(machine.Counter(), 0);
  const TIoResult read = machine.Read(handle, buffer);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.bytes, 1u << 20);
  EXPECT_EQ(machine.Counter(), 100 + 10485);  // 1 MiB at 10^8 bytes per second, in microseconds
  ASSERT_TRUE(machine.Read(handle, std::span(buffer).first(512)).ok);
  EXPECT_EQ(machine.Counter(), 10585 + 100 + 5);
  // Past the end: nothing read, no time spent.
  ASSERT_TRUE(machine.SetPosition(handle, 1073741824));
  EXPECT_EQ(machine.Read(handle, std::span(buffer).first(512)).bytes, 0u);
  EXPECT_EQ(machine.Counter(), 10690);
  // Unbuffered reads take whole sectors only.
  EXPECT_EQ(machine.Read(handle, std::span(buffer).first(100)).error, kErrorInvalidParameter);
  EXPECT_EQ(machine.Read(handle, std::span(buffer).subspan(1, 512)).error, kErrorInvalidParameter);
  EXPECT_EQ(machine.LocalTime().hour, 3);
  EXPECT_EQ(machine.LocalTime().milliseconds, 10);
}

TEST(ReplayMachineClock, OverlappedReadsCompleteOnTheirChannels) {
  ReplayMachine machine = Machine1("size 1073741824\nread-model access-us 1000 rate-mb 1000 channels 2");
  const THandle handle = machine.Open("\\\\.\\PhysicalDrive0", {.noBuffering = true, .overlapped = true});
  alignas(4096) static std::array<std::array<std::uint8_t, 4096>, 3> buffers;
  std::array<TIoSlot, 3> slots{};
  for (TIoSlot& slot : slots) slot = machine.CreateIoSlot();
  // Nothing issued: a bounded wait times out after its time, an unbounded one fails.
  EXPECT_EQ(machine.WaitIoSlots(slots, false, 5).outcome, TWaitOutcome::TimedOut);
  EXPECT_EQ(machine.Counter(), 5000);
  EXPECT_EQ(machine.WaitIoSlots(slots, false, kWaitForever).outcome, TWaitOutcome::Failed);
  for (std::size_t i = 0; i < slots.size(); ++i)
    ASSERT_TRUE(machine.ReadOverlapped(handle, slots[i], i * 4096, buffers[i]).ok);
  // Each read: 1000 µs access + 4 µs transfer; two channels side by side.
  TWaitResult wait = machine.WaitIoSlots(slots, false, kWaitForever);
  EXPECT_EQ(wait.outcome, TWaitOutcome::Signalled);
  EXPECT_EQ(wait.index, 0u);
  EXPECT_EQ(machine.Counter(), 5000 + 1004);
  wait = machine.WaitIoSlots(slots, false, kWaitForever);
  EXPECT_EQ(wait.index, 1u);
  EXPECT_EQ(machine.Counter(), 6004);
  // The third read waits for a free channel: not done at once.
  EXPECT_EQ(machine.WaitIoSlots(slots, false, 0).outcome, TWaitOutcome::TimedOut);
  EXPECT_EQ(machine.Counter(), 6004);
  wait = machine.WaitIoSlots(std::span(slots).subspan(2), true, 24000);
  EXPECT_EQ(wait.outcome, TWaitOutcome::Signalled);
  EXPECT_EQ(machine.Counter(), 7008);
  // A synchronous read on an overlapped handle is a misuse.
  EXPECT_EQ(machine.Read(handle, buffers[0]).error, kErrorInvalidParameter);
  machine.Close(handle);
  for (TIoSlot slot : slots) machine.FreeIoSlot(slot);
}

// Real time of a call, in milliseconds.
template <typename TCall>
double WallMs(TCall call) {
  const auto start = std::chrono::steady_clock::now();
  call();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Reads of 20 ms (20 000 µs access + 5 µs transfer). The bounds above leave room for a
// loaded machine, yet catch a pace off by a factor of ten or a wait that is paced.
TEST(ReplayMachineClock, WallClockPacesReadsButNotTheCounter) {
  const std::string model = "size 1073741824\nread-model access-us 20000 rate-mb 100 channels 2";
  ReplayMachine paced = Machine1(model + " wall-clock yes");
  ReplayMachine virtualOnly = Machine1(model);
  EXPECT_TRUE(paced.File().devices[0].readModel.wallClock);
  alignas(4096) static std::array<std::uint8_t, 512> buffer;
  for (ReplayMachine* machine : {&paced, &virtualOnly}) {
    const THandle handle = machine->Open("\\\\.\\PhysicalDrive0", {.noBuffering = true});
    const double ms = WallMs([&] {
      for (int i = 0; i < 5; ++i) ASSERT_TRUE(machine->Read(handle, buffer).ok);
    });
    if (machine == &paced) {
      EXPECT_GE(ms, 100);
      EXPECT_LT(ms, 1500);
    } else {
      EXPECT_LT(ms, 50);
    }
    EXPECT_EQ(machine->Counter(), 5 * 20005);
    machine->Close(handle);
  }

  // A caller busy between reads does not make the next read quicker.
  const THandle handle = paced.Open("\\\\.\\PhysicalDrive0", {.noBuffering = true, .overlapped = true});
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  // Four overlapped reads on two channels: two rounds of 20 ms.
  alignas(4096) static std::array<std::array<std::uint8_t, 512>, 4> buffers;
  std::array<TIoSlot, 4> slots{};
  for (TIoSlot& slot : slots) slot = paced.CreateIoSlot();
  const double ms = WallMs([&] {
    for (std::size_t i = 0; i < slots.size(); ++i) ASSERT_TRUE(paced.ReadOverlapped(handle, slots[i], 0, buffers[i]).ok);
    ASSERT_EQ(paced.WaitIoSlots(std::span(slots).first(1), false, kWaitForever).outcome, TWaitOutcome::Signalled);
    ASSERT_EQ(paced.WaitIoSlots(std::span(slots).subspan(1), true, kWaitForever).outcome, TWaitOutcome::Signalled);
  });
  EXPECT_GE(ms, 40);
  EXPECT_LT(ms, 1500);
  EXPECT_EQ(paced.Counter(), 5 * 20005 + 2 * 20005);
  // A time-out takes no real time: only reads are paced.
  EXPECT_LT(WallMs([&] { EXPECT_EQ(paced.WaitIoSlots(slots, false, 5000).outcome, TWaitOutcome::TimedOut); }), 1000);
  EXPECT_EQ(paced.Counter(), 7 * 20005 + 5'000'000);
  paced.Close(handle);
  for (TIoSlot slot : slots) paced.FreeIoSlot(slot);
}

TEST(ReplayMachineContract, KeepsTheMachineContract) {
  std::unique_ptr<ReplayMachine> machine = ReplayMachine::FromFile(VEXA_SAMPLES_DIR "/desktop-ssd-hdd.machine");
  test::CheckMachineContract(*machine);
}

TEST(ReplayMachineTime, LocalToUtcAndRandom) {
  ReplayMachine machine = Machine1("");
  const std::optional<TCalendarTime> utc = machine.LocalToUtc({2014, 1, 1, 3, 0, 0, 250});
  ASSERT_TRUE(utc);
  EXPECT_EQ(utc->year, 2013);
  EXPECT_EQ(utc->month, 12);
  EXPECT_EQ(utc->day, 31);
  EXPECT_EQ(utc->hour, 19);
  EXPECT_EQ(utc->milliseconds, 250);
  EXPECT_FALSE(machine.LocalToUtc({2013, 2, 29, 0, 0, 0, 0}));
  EXPECT_TRUE(machine.LocalToUtc({2012, 2, 29, 0, 0, 0, 0}));

  ReplayMachine twin = Machine1("");
  for (int i = 0; i < 100; ++i) {
    const double value = machine.Random();
    EXPECT_EQ(value, twin.Random());
    EXPECT_GE(value, 0.0);
    EXPECT_LT(value, 1.0);
  }
}

TEST(ReplayMachineLayouts, MbrTablesComeInFoursAndGptNamesInUtf16) {
  ReplayMachine machine = Machine1("answers layout partition\nsize 1073741824",
                                   "layout mbr signature 0xCAFE0001\n"
                                   "partition 1 start 32256 length 104857600 type 0x07 boot yes\n"
                                   "partition 2 start 104890368 length 209715200 type 0x0C\n"
                                   "[device \\\\.\\PhysicalDrive1]\nanswers layout partition\nsize 1073741824\n"
                                   "layout gpt disk-id {6F3C2B1A-94D2-4E8B-9C1D-2A7B5E8F0C34}\n"
                                   "partition 1 start 1048576 length 104857600 name \"資料\"\n");
  Bytes reply(4096, 0);
  const THandle mbr = machine.Open("\\\\.\\physicaldrive0", {});
  TIoResult result = machine.Control(mbr, st::kIoctlDiskGetDriveLayoutEx, {}, reply);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.bytes, 48u + 4 * 144);
  EXPECT_EQ(GetU32(reply, 4), 4u);
  EXPECT_EQ(GetU32(reply, 8), 0xCAFE0001u);
  EXPECT_EQ(GetU64(reply, 48 + 8), 32256u);
  EXPECT_EQ(GetU32(reply, 48 + 36), 63u);  // hidden sectors
  EXPECT_EQ(reply[48 + 33], 1);            // boot
  EXPECT_EQ(reply[48 + 144 + 32], 0x0C);
  EXPECT_EQ(GetU32(reply, 48 + 3 * 144 + 24), 0u);  // an empty slot
  EXPECT_EQ(machine.Control(mbr, st::kIoctlDiskGetDriveLayoutEx, {}, std::span(reply).first(100)).error,
            kErrorInsufficientBuffer);

  const THandle gpt = machine.Open("\\\\.\\PhysicalDrive1", {});
  result = machine.Control(gpt, st::kIoctlDiskGetDriveLayoutEx, {}, reply);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(GetU32(reply, 0), 1u);
  EXPECT_EQ(GetU32(reply, 4), 1u);
  EXPECT_EQ(GetU32(reply, 8), 0x6F3C2B1Au);
  EXPECT_EQ(GetU64(reply, 24), 17408u);
  EXPECT_EQ(GetU16(reply, 48 + 72), 0x8CC7);  // 資
  EXPECT_EQ(GetU16(reply, 48 + 74), 0x6599);  // 料
  EXPECT_EQ(reply[48 + 32], 0xA2);            // basic-data type GUID, first byte as stored
  EXPECT_EQ(machine.Control(gpt, st::kIoctlDiskGetPartitionInfo, {}, reply).error, kErrorInvalidFunction);
  result = machine.Control(gpt, st::kIoctlDiskGetPartitionInfoEx, {}, reply);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(GetU64(reply, 16), 1073741824u);  // the whole disk as partition 0
}

// Every request the program knows, issued against one device: the transport, the
// SMART reader and the Debug page's direct requests.
void RunCatalogue(ReplayMachine& machine, const TMachineDevice& device) {
  const THandle handle = machine.Open(device.path, {.write = true, .noBuffering = true});
  ASSERT_NE(handle, kInvalidHandle);
  TBlock512 block{}, thresholds{};
  if (device.kind == TMachineDeviceKind::ScsiPort) {
    MiniportIdentify(machine, handle, static_cast<std::uint8_t>(device.number), block);
  } else {
    AtaIdentify(machine, handle, block, device.kind == TMachineDeviceKind::CdRom);
  }
  QueryGeometry(machine, handle);
  QueryLengthInfo(machine, handle);
  std::array<std::uint8_t, 8192> reply{};
  for (std::uint32_t property = 0; property <= 8; ++property) QueryDeviceDescriptor(machine, handle, property, reply);
  TSmartReader reader(machine);
  reader.EnableSmart(handle, 0);
  reader.GetSmartVersion(handle, std::span(reply).first(24));
  reader.IdentifyViaSmart(handle, 0, block);
  reader.ReadSmartData(handle, 0, block, thresholds);
  for (const std::uint32_t code : {st::kIoctlStorageGetDeviceNumber, st::kIoctlDiskGetDriveGeometry,
                                   st::kIoctlDiskGetPartitionInfo, st::kIoctlDiskGetPartitionInfoEx,
                                   st::kIoctlDiskGetDriveLayoutEx, st::kIoctlVolumeGetVolumeDiskExtents}) {
    machine.Control(handle, code, {}, reply);
  }
  machine.Close(handle);
}

TEST(ReplayMachineSamples, EveryRequestOfTheProgramIsAccepted) {
  for (const char* name : {"desktop-ssd-hdd.machine", "laptop-sat.machine"}) {
    SCOPED_TRACE(name);
    std::unique_ptr<ReplayMachine> machine = ReplayMachine::FromFile(std::string(VEXA_SAMPLES_DIR "/") + name);
    for (const TMachineDevice& device : machine->File().devices) RunCatalogue(*machine, device);
    for (const std::string& root : machine->LogicalDriveStrings()) {
      const THandle volume = machine->Open("\\\\.\\" + root.substr(0, 2), {});
      std::array<std::uint8_t, 4096> reply{};
      for (const std::uint32_t code : {st::kIoctlStorageGetDeviceNumber, st::kIoctlVolumeGetVolumeDiskExtents,
                                       st::kIoctlDiskGetLengthInfo, st::kIoctlDiskGetPartitionInfoEx}) {
        machine->Control(volume, code, {}, reply);
      }
      machine->Close(volume);
    }
    EXPECT_EQ(machine->RefusedCount(), 0u) << (machine->RefusedCount() ? machine->RefusedRequests()[0] : "");
  }
}

TEST(ReplayMachineSamples, LaptopDrivesAnswerAsDescribed) {
  std::unique_ptr<ReplayMachine> machine = ReplayMachine::FromFile(VEXA_SAMPLES_DIR "/laptop-sat.machine");
  // The bridged SSD: IDENTIFY only through SAT, SMART data yes, thresholds aborted.
  const THandle bridged = machine->Open("\\\\.\\PhysicalDrive1", {});
  TBlock512 block{}, thresholds{};
  ASSERT_TRUE(AtaIdentify(*machine, bridged, block, false));
  EXPECT_EQ(block, *machine->File().devices[1].identify);
  EXPECT_FALSE(TSmartReader(*machine).ReadSmartData(bridged, 1, block, thresholds));
  std::array<std::uint8_t, 512> reply{};
  ASSERT_TRUE(QueryDeviceDescriptor(*machine, bridged, 0, reply));
  EXPECT_EQ(DecodeDeviceDescriptor(reply).busType, 7u);
  // The stick: nothing but its descriptor.
  const THandle stick = machine->Open("\\\\.\\PhysicalDrive2", {});
  EXPECT_FALSE(AtaIdentify(*machine, stick, block, false));
  ASSERT_TRUE(QueryDeviceDescriptor(*machine, stick, 0, reply));
  const TStorageDeviceDescriptor descriptor = DecodeDeviceDescriptor(reply);
  EXPECT_EQ(descriptor.vendorId, "Vexatek");
  EXPECT_EQ(descriptor.productId, "Flash Disk 3.0");
  EXPECT_TRUE(descriptor.removableMedia);
  EXPECT_EQ(machine->ClassicOsVersion().minor, 2u);
  EXPECT_EQ(machine->TrueOsVersion().minor, 3u);
  EXPECT_EQ(machine->RefusedCount(), 0u);
}

TEST(ReplayMachineSamples, DesktopVolumes) {
  std::unique_ptr<ReplayMachine> machine = ReplayMachine::FromFile(VEXA_SAMPLES_DIR "/desktop-ssd-hdd.machine");
  EXPECT_EQ(machine->LogicalDriveMask(), 0b11100u);
  EXPECT_EQ(machine->LogicalDriveStrings(), (std::vector<std::string>{"C:\\", "D:\\", "E:\\"}));
  const TVolumeInformation c = machine->VolumeInformation("C:\\");
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(c.label, "Windows");
  EXPECT_EQ(c.fileSystem, "NTFS");
  EXPECT_EQ(c.serialNumber, 0x5E1C2A7Bu);
  EXPECT_EQ(machine->VolumeInformation("E:\\").error, kErrorNotReady);
  EXPECT_EQ(machine->VolumeInformation("Q:\\").error, kErrorPathNotFound);
  EXPECT_FALSE(machine->DiskFreeBytes("E:\\"));
  const std::optional<TDiskFreeSpace> space = machine->DiskFreeSpace("c:\\");
  ASSERT_TRUE(space);
  EXPECT_EQ(space->sectorsPerCluster * space->bytesPerSector, 4096u);
  EXPECT_EQ(machine->DosDeviceName("D:"), "\\Device\\HarddiskVolume2");
  EXPECT_EQ(machine->FileAttributes("C:\\"), 0x16u);
  EXPECT_EQ(machine->FileAttributes("E:\\"), kInvalidFileAttributes);

  const THandle volume = machine->Open("\\\\.\\D:", {});
  std::array<std::uint8_t, 64> reply{};
  ASSERT_TRUE(machine->Control(volume, st::kIoctlStorageGetDeviceNumber, {}, reply).ok);
  EXPECT_EQ(GetU32(reply, 0), 7u);
  EXPECT_EQ(GetU32(reply, 4), 1u);
  EXPECT_EQ(GetU32(reply, 8), 2u);
  ASSERT_TRUE(machine->Control(volume, st::kIoctlVolumeGetVolumeDiskExtents, {}, reply).ok);
  EXPECT_EQ(GetU32(reply, 0), 1u);
  EXPECT_EQ(GetU32(reply, 8), 1u);
  EXPECT_EQ(GetU64(reply, 16), 135266304u);
  EXPECT_EQ(machine->RefusedCount(), 0u);
}

// A volume reports the extents the file gives it, on disks the file need not
// describe; without them, its partition on its disk, or a failure when the file
// does not describe that partition.
TEST(ReplayMachineVolumes, ExtentsAsGivenOrFromThePartition) {
  const struct {
    const char* keys;
    std::vector<TMachineExtent> expected;  // none: the request fails with 1
  } cases[] = {
      {"disk 0\npartition 1\n", {{0, 1048576, 4096}}},
      {"disk 0\npartition 2\n", {}},
      {"disk 9\npartition 1\nextent disk 9 start 512 length 1024\nextent disk 3 start 0 length 0xFFFFFFFFFFFFFFFF\n",
       {{9, 512, 1024}, {3, 0, ~std::uint64_t{0}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    ReplayMachine machine(ParseMachineFile("vexa-machine 1\n[device \\\\.\\PhysicalDrive0]\nsize 1073741824\n"
                                           "layout mbr\npartition 1 start 1048576 length 4096\n[volume C:]\n" +
                                               std::string(c.keys),
                                           "extents.machine"));
    const THandle volume = machine.Open("\\\\.\\C:", {});
    std::array<std::uint8_t, 8 + 24 * 2> reply{};
    const TIoResult result = machine.Control(volume, st::kIoctlVolumeGetVolumeDiskExtents, {}, reply);
    ASSERT_EQ(result.ok, !c.expected.empty());
    if (!result.ok) {
      EXPECT_EQ(result.error, 1u);
      continue;
    }
    EXPECT_EQ(result.bytes, std::max<std::size_t>(32, 8 + 24 * c.expected.size()));
    ASSERT_EQ(GetU32(reply, 0), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(GetU32(reply, 8 + i * 24), c.expected[i].disk);
      EXPECT_EQ(GetU64(reply, 16 + i * 24), c.expected[i].start);
      EXPECT_EQ(GetU64(reply, 24 + i * 24), c.expected[i].length);
    }
    std::array<std::uint8_t, 32> small{};
    if (c.expected.size() > 1) {
      EXPECT_EQ(machine.Control(volume, st::kIoctlVolumeGetVolumeDiskExtents, {}, small).error, 122u);
    }
  }
}

}  // namespace
}  // namespace vexa
