// The replay machine's NVMe drives: the protocol-specific property queries answered
// the way the inbox NVMe driver answers them. These queries can only read (the
// driver builds the Identify or Get Log Page command itself), so a request the file
// cannot answer is the driver's error, never a refusal counted against the program.
#include <algorithm>

#include "platform/ReplayMachine.h"
#include "platform/ReplayMachineDetail.h"
#include "platform/StorageLayout.h"
#include "support/Bytes.h"

namespace vexa {

namespace st = storage;

using namespace replay;

namespace {

namespace pd = st::protocoldata;
namespace pdd = st::protocoldescriptor;

constexpr std::uint32_t kFirstNamespace = 1;

// The recorded block a request asks for; empty when the drive has no such data or
// the driver does not know the request.
TBytes RequestedBlock(const TMachineDevice& device, TBytes data) {
  const std::uint32_t value = GetU32(data, pd::kRequestValue);
  switch (GetU32(data, pd::kDataType)) {
    case pd::kNvmeDataTypeIdentify:
      if (value == pd::kNvmeIdentifyController && device.nvmeIdentify) return *device.nvmeIdentify;
      if (value == pd::kNvmeIdentifyNamespace && GetU32(data, pd::kRequestSubValue) == kFirstNamespace &&
          device.nvmeNamespace) {
        return *device.nvmeNamespace;
      }
      return {};
    case pd::kNvmeDataTypeLogPage:
      if (value == pd::kNvmeLogHealth && device.nvmeHealth) return *device.nvmeHealth;
      return {};
    default:
      return {};
  }
}

}  // namespace

TIoResult ReplayMachine::NvmeProperty(const TMachineDevice& device, std::uint32_t id,
                                      std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
  // The drivers of other buses do not speak NVMe (a SATA drive's refuses the query).
  if (!device.HasNvme()) return Error(kErrorInvalidParameter);
  const bool deviceProperty = id == st::propertyquery::kStorageDeviceProtocolSpecificProperty;
  const TNvmeProperty unanswered = deviceProperty ? TNvmeProperty::Adapter : TNvmeProperty::Device;
  // A driver that answers only the other property does not have this one.
  if (device.nvmeProperty == unanswered) return Error(kErrorInvalidFunction);
  if (GetU32(in, st::propertyquery::kQueryType) == st::propertyquery::kPropertyExistsQuery) return Ok(0);

  constexpr std::size_t kQueryData = st::propertyquery::kAdditionalParameters;
  if (in.size() < kQueryData + pd::kSize) return Error(kErrorInvalidParameter);
  const TBytes data = in.subspan(kQueryData, pd::kSize);
  if (GetU32(data, pd::kProtocolType) != pd::kProtocolTypeNvme) return Error(kErrorInvalidParameter);
  const TBytes block = RequestedBlock(device, data);
  if (block.empty()) return Error(kErrorInvalidParameter);

  const std::uint32_t offset = GetU32(data, pd::kDataOffset);
  const std::uint32_t length = GetU32(data, pd::kDataLength);
  const bool identify = GetU32(data, pd::kDataType) == pd::kNvmeDataTypeIdentify;
  // Identify always transfers the whole block; a log page may be read in part.
  if (offset < pd::kSize || length == 0 || (identify && length < block.size())) {
    return Error(kErrorInvalidParameter);
  }
  const std::size_t transferred = std::min<std::size_t>(length, block.size());
  const std::uint64_t end = std::uint64_t{pdd::kProtocolSpecificData} + offset + transferred;
  if (out.size() < pdd::kSize || end > out.size()) return Error(kErrorInsufficientBuffer);

  // The system buffer holds the request when the driver writes its reply into it:
  // what lies between the descriptor and the data stays as the caller sent it.
  std::vector<std::uint8_t> reply(static_cast<std::size_t>(end), 0);
  std::copy_n(in.begin(), std::min(in.size(), reply.size()), reply.begin());
  PutU32(reply, pdd::kVersion, pdd::kSize);
  PutU32(reply, pdd::kSizeField, pdd::kSize);
  std::copy(data.begin(), data.end(), reply.begin() + pdd::kProtocolSpecificData);
  PutU32(reply, pdd::kProtocolSpecificData + pd::kDataLength, static_cast<std::uint32_t>(transferred));
  PutU32(reply, pdd::kProtocolSpecificData + pd::kFixedReturnData, 0);
  std::copy_n(block.begin(), transferred, reply.begin() + static_cast<std::ptrdiff_t>(end - transferred));
  const std::size_t count = std::min(out.size(), reply.size());
  std::copy_n(reply.begin(), count, out.begin());
  return Ok(count);
}

}  // namespace vexa
