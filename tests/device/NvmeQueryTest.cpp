// The NVMe requests: the query bytes the driver expects, the checks a reply must pass
// before its answer is read, and the attempts over the replay machine (the device
// property, a driver with only the adapter property, a SATA drive's refusal), also
// through a recording that must give the same answers back.
#include "device/NvmeQuery.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MachineFile.h"
#include "platform/MachineText.h"
#include "platform/RecordingMachine.h"
#include "platform/ReplayMachine.h"
#include "platform/SpyMachine.h"
#include "platform/StorageLayout.h"

namespace vexa {
namespace {

using Bytes = std::vector<std::uint8_t>;

const TBlock4096 kController = test::MakeNvmeController("Vexa NVMe 1TB", "VN0123456789", "3B2QGXA7");
const TBlock4096 kNamespace = test::MakeNvmeNamespace(1953525168);

// Offsets are written out here rather than taken from StorageLayout.h, so that a
// wrong constant there cannot agree with itself.
TEST(NvmeQuery, RequestBytesAreTheDriversLayout) {
  struct TCase {
    TNvmeRequest request;
    std::uint32_t property;
    std::uint32_t dataType, value, subValue, length;
  };
  const TCase cases[] = {
      {TNvmeRequest::IdentifyController, 50, 1, 1, 0, 4096},
      {TNvmeRequest::IdentifyNamespace, 49, 1, 0, 1, 4096},
      {TNvmeRequest::HealthLog, 50, 2, 2, 0, 512},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.length + c.value);
    const Bytes query = BuildNvmeQuery(c.request, c.property);
    ASSERT_EQ(query.size(), 8u + 40u + c.length);
    EXPECT_EQ(GetU32(query, 0), c.property);
    EXPECT_EQ(GetU32(query, 4), 0u);  // standard query
    EXPECT_EQ(GetU32(query, 8), 3u);  // NVMe
    EXPECT_EQ(GetU32(query, 12), c.dataType);
    EXPECT_EQ(GetU32(query, 16), c.value);
    EXPECT_EQ(GetU32(query, 20), c.subValue);
    EXPECT_EQ(GetU32(query, 24), 40u);  // the data right after the protocol-specific data
    EXPECT_EQ(GetU32(query, 28), c.length);
    EXPECT_EQ(GetU32(query, 44), 0u);   // SubValue4
  }
}

Bytes Reply(std::size_t size, std::uint32_t offset, std::uint32_t length, std::uint32_t version = 48) {
  Bytes reply(size, 0);
  PutU32(reply, 0, version);
  PutU32(reply, 4, 48);
  PutU32(reply, 8 + 16, offset);
  PutU32(reply, 8 + 20, length);
  return reply;
}

TEST(NvmeQuery, AnswerLiesInsideTheReplyOrNowhere) {
  struct TCase {
    const char* name;
    Bytes reply;
    std::optional<std::size_t> offset;  // none: no answer
    std::size_t length = 0;
  };
  const TCase cases[] = {
      {"only the descriptor header", Reply(8, 40, 512), {}},
      {"descriptor one byte short", Reply(47, 40, 512), {}},
      {"not the driver's descriptor", Reply(560, 40, 512, 40), {}},
      {"offset inside the protocol data", Reply(8 + 36 + 512, 36, 512), {}},
      {"length 0", Reply(48, 40, 0), {}},
      {"one byte beyond the reply", Reply(48 + 511, 40, 512), {}},
      {"wraps around 32 bits", Reply(600, 0xFFFFFFF8u, 0x10), {}},
      {"exact fit", Reply(48 + 512, 40, 512), 48, 512},
      {"data further on", Reply(8 + 64 + 16, 64, 16), 72, 16},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<TNvmeAnswer> answer = LocateNvmeAnswer(c.reply);
    ASSERT_EQ(answer.has_value(), c.offset.has_value());
    if (!answer) continue;
    EXPECT_EQ(answer->offset, *c.offset);
    EXPECT_EQ(answer->length, c.length);
  }
}

std::string NvmeMachineText(std::string_view nvmeLines) {
  return "vexa-machine 1\n[device \\\\.\\PhysicalDrive0]\nanswers property\n" + std::string(nvmeLines) +
         "nvme-identify\n" + test::HexLines(kController) + "end\nnvme-namespace\n" + test::HexLines(kNamespace) +
         "end\nnvme-health\ntemperature 310\ndata_units_written 123456789012345678901234567890\nend\n"
         "[device \\\\.\\PhysicalDrive1]\nanswers ata property\nidentify\n" +
         test::IdentifyHex(test::MakeIdentify("Vexa SATA SSD", "VS1", "1.0")) + "end\n";
}

TEST(NvmeQuery, AttemptsOverTheReplayMachine) {
  struct TCase {
    const char* name;
    const char* path;
    const char* nvmeLines;
    bool answers;
    std::vector<std::uint32_t> errors;  // per property asked, 0 for an answer
  };
  const TCase cases[] = {
      {"the device property answers", "\\\\.\\PhysicalDrive0", "", true, {0}},
      {"an older driver answers only the adapter property", "\\\\.\\PhysicalDrive0", "nvme-property adapter\n", true,
       {1, 0}},
      {"a SATA drive's driver refuses both", "\\\\.\\PhysicalDrive1", "", false, {87, 87}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    ReplayMachine replay(ParseMachineFile(NvmeMachineText(c.nvmeLines), "nvme.machine"));
    test::TSpyMachine spy(replay);
    const THandle handle = spy.Open(c.path, {});
    TBlock4096 controller;
    controller.fill(0xEE);
    EXPECT_EQ(QueryNvme(spy, handle, TNvmeRequest::IdentifyController, controller), c.answers);
    EXPECT_EQ(controller, c.answers ? kController : TBlock4096{});
    ASSERT_EQ(spy.requests.size(), c.errors.size());
    for (std::size_t i = 0; i < c.errors.size(); ++i) {
      EXPECT_EQ(GetU32(spy.requests[i].input, 0), i == 0 ? 50u : 49u);
      EXPECT_EQ(spy.requests[i].result.error, c.errors[i]);
    }
    // The health log, also into a destination smaller than the log.
    std::array<std::uint8_t, 64> health{};
    EXPECT_EQ(QueryNvme(spy, handle, TNvmeRequest::HealthLog, health), c.answers);
    EXPECT_EQ(GetU16(health, 1), c.answers ? 310 : 0);
    EXPECT_EQ(GetU64(health, 48), c.answers ? 0xC373E0EE4E3F0AD2ull : 0u);  // the low half of the counter
    EXPECT_EQ(replay.RefusedCount(), 0u);
  }
}

TEST(NvmeQuery, RecordingGivesTheAnswersBack) {
  for (const char* property : {"", "nvme-property adapter\n"}) {
    SCOPED_TRACE(property);
    ReplayMachine replay(ParseMachineFile(NvmeMachineText(property), "nvme.machine"));
    TRecordingMachine recording(replay);
    for (const char* path : {"\\\\.\\PhysicalDrive0", "\\\\.\\PhysicalDrive1"}) {
      const THandle handle = recording.Open(path, {});
      for (const TNvmeRequest request :
           {TNvmeRequest::IdentifyController, TNvmeRequest::IdentifyNamespace, TNvmeRequest::HealthLog}) {
        TBlock4096 block{};
        QueryNvme(recording, handle, request, block);
      }
      recording.Close(handle);
    }
    const TMachineDevice& original = replay.File().devices[0];
    const TMachineFile kept = recording.Recorded({.keepSerials = true});
    ASSERT_EQ(kept.devices.size(), 2u);
    EXPECT_EQ(kept.devices[0].nvmeIdentify, original.nvmeIdentify);
    EXPECT_EQ(kept.devices[0].nvmeNamespace, original.nvmeNamespace);
    EXPECT_EQ(kept.devices[0].nvmeHealth, original.nvmeHealth);
    EXPECT_EQ(kept.devices[0].nvmeProperty, original.nvmeProperty);
    EXPECT_FALSE(kept.devices[1].HasNvme());
    const TMachineFile hidden = recording.Recorded({});
    const std::string serial(hidden.devices[0].nvmeIdentify->begin() + 4, hidden.devices[0].nvmeIdentify->begin() + 24);
    EXPECT_EQ(serial, "VEXA-SERIAL-0001    ");
  }
}

}  // namespace
}  // namespace vexa
