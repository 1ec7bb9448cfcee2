// The NVMe protocol-specific property queries of a Linux machine, answered as the
// inbox NVMe driver answers them: the driver builds the Identify or Get Log Page
// command itself from the query, so only Identify Controller, Identify Namespace and
// the SMART / Health log are ever sent; the reply is laid out as a
// STORAGE_PROTOCOL_DATA_DESCRIPTOR with the data at the offset the query asked for.
#include <algorithm>
#include <vector>

#include "platform/StorageLayout.h"
#include "platform/linux/LinuxPassThroughDetail.h"
#include "support/Bytes.h"

namespace vexa::passthrough {

namespace st = storage;
namespace pd = st::protocoldata;
namespace pdd = st::protocoldescriptor;
namespace pq = st::propertyquery;

namespace {

constexpr std::uint8_t kOpcodeGetLogPage = 0x02;
constexpr std::uint8_t kOpcodeIdentify = 0x06;
constexpr std::size_t kIdentifySize = 4096;
constexpr std::size_t kHealthLogSize = 512;
constexpr std::uint32_t kAllNamespaces = 0xFFFFFFFF;
constexpr std::uint32_t kFirstNamespace = 1;
constexpr std::uint32_t kAdminTimeoutMs = 10'000;

struct TNvmeCommand {
  TNvmeAdminRequest request;
  std::size_t size = 0;  // bytes the command transfers
};

// The admin command a query asks for; none when the driver does not know it.
std::optional<TNvmeCommand> CommandOf(std::span<const std::uint8_t> data, std::uint32_t deviceNamespace) {
  const std::uint32_t value = GetU32(data, pd::kRequestValue);
  const std::uint32_t subValue = GetU32(data, pd::kRequestSubValue);
  const std::uint32_t length = GetU32(data, pd::kDataLength);
  TNvmeCommand command;
  command.request.timeoutMs = kAdminTimeoutMs;
  switch (GetU32(data, pd::kDataType)) {
    case pd::kNvmeDataTypeIdentify:
      // Identify always transfers the whole structure.
      if (length < kIdentifySize) return std::nullopt;
      command.request.opcode = kOpcodeIdentify;
      command.request.cdw[0] = value;  // CNS
      command.size = kIdentifySize;
      if (value == pd::kNvmeIdentifyController) return command;
      if (value != pd::kNvmeIdentifyNamespace) return std::nullopt;
      if (subValue != kFirstNamespace && subValue != deviceNamespace) return std::nullopt;
      command.request.nsid = subValue;
      return command;
    case pd::kNvmeDataTypeLogPage: {
      // A log page may be read in part, in whole dwords, from its start.
      if (value != pd::kNvmeLogHealth || subValue != 0 || length == 0 || length % 4 != 0) return std::nullopt;
      command.size = std::min<std::size_t>(length, kHealthLogSize);
      const auto dwords = static_cast<std::uint32_t>(command.size / 4);
      command.request.opcode = kOpcodeGetLogPage;
      command.request.nsid = kAllNamespaces;
      command.request.cdw[0] = ((dwords - 1) << 16) | value;  // NUMDL and the log identifier
      return command;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

TIoResult NvmeProperty(TLinuxKernel& kernel, const TPassThroughDevice& device, std::span<const std::uint8_t> in,
                       std::span<std::uint8_t> out) {
  // The drivers of other buses do not speak NVMe (a SATA drive's refuses the query).
  if (device.bus != TPassThroughBus::Nvme) return Fail(kErrorInvalidParameter);
  const std::uint32_t type = GetU32(in, pq::kQueryType);
  if (in.size() < pq::kAdditionalParameters || (type != pq::kPropertyStandardQuery && type != pq::kPropertyExistsQuery)) {
    return Fail(kErrorInvalidParameter);
  }
  if (type == pq::kPropertyExistsQuery) return Ok(0);
  constexpr std::size_t kQueryData = pq::kAdditionalParameters;
  if (in.size() < kQueryData + pd::kSize) return Fail(kErrorInvalidParameter);
  const std::span<const std::uint8_t> data = in.subspan(kQueryData, pd::kSize);
  if (GetU32(data, pd::kProtocolType) != pd::kProtocolTypeNvme) return Fail(kErrorInvalidParameter);
  const std::uint32_t offset = GetU32(data, pd::kDataOffset);
  const std::optional<TNvmeCommand> command = CommandOf(data, device.nvmeNamespace);
  if (!command || offset < pd::kSize) return Fail(kErrorInvalidParameter);
  const std::uint64_t end = std::uint64_t{pdd::kProtocolSpecificData} + offset + command->size;
  if (out.size() < pdd::kSize || end > out.size()) return Fail(kErrorInsufficientBuffer);

  // The system buffer holds the request when the driver writes its reply into it:
  // what lies between the descriptor and the data stays as the caller sent it.
  std::vector<std::uint8_t> reply(static_cast<std::size_t>(end), 0);
  std::copy_n(in.begin(), std::min(in.size(), reply.size()), reply.begin());
  std::vector<std::uint8_t> block(command->size, 0);
  const TNvmeAdminReply answer = kernel.NvmeAdmin(device.nvmeFd >= 0 ? device.nvmeFd : device.fd, command->request, block);
  if (answer.error != 0) return Fail(PassThroughError(answer.error));
  // The controller refused the command, or delivered other than the whole structure.
  if (answer.status != 0 || answer.bytes != block.size()) return Fail(kErrorIoDevice);

  PutU32(reply, pdd::kVersion, pdd::kSize);
  PutU32(reply, pdd::kSizeField, pdd::kSize);
  std::copy(data.begin(), data.end(), reply.begin() + pdd::kProtocolSpecificData);
  PutU32(reply, pdd::kProtocolSpecificData + pd::kDataLength, static_cast<std::uint32_t>(block.size()));
  PutU32(reply, pdd::kProtocolSpecificData + pd::kFixedReturnData, answer.result);
  std::copy(block.begin(), block.end(), reply.end() - static_cast<std::ptrdiff_t>(block.size()));
  return Ok(PutReply(out, reply));
}

}  // namespace vexa::passthrough
