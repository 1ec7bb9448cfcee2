// The NVMe requests through the protocol-specific property queries. A reply is
// trusted only as far as it proves itself: the descriptor must be whole and carry the
// size the driver writes, and the answer it points to must lie inside the bytes the
// driver returned; anything else counts as no answer and the next property is tried.
#include "device/NvmeQuery.h"

#include <algorithm>
#include <array>

#include "platform/StorageLayout.h"

namespace vexa {

namespace st = storage;

namespace {

namespace pd = st::protocoldata;
namespace pq = st::propertyquery;

constexpr std::size_t kIdentifySize = 4096;
constexpr std::size_t kLogPageSize = 512;
constexpr std::uint32_t kFirstNamespace = 1;
// The protocol-specific data sits where the query's additional parameters begin.
constexpr std::size_t kQueryData = pq::kAdditionalParameters;

struct TRequestShape {
  std::uint32_t dataType = 0;
  std::uint32_t value = 0;     // CNS or log page
  std::uint32_t subValue = 0;  // namespace id for Identify Namespace
  std::size_t length = 0;
};

TRequestShape ShapeOf(TNvmeRequest request) {
  switch (request) {
    case TNvmeRequest::IdentifyController:
      return {pd::kNvmeDataTypeIdentify, pd::kNvmeIdentifyController, 0, kIdentifySize};
    case TNvmeRequest::IdentifyNamespace:
      return {pd::kNvmeDataTypeIdentify, pd::kNvmeIdentifyNamespace, kFirstNamespace, kIdentifySize};
    case TNvmeRequest::HealthLog:
      return {pd::kNvmeDataTypeLogPage, pd::kNvmeLogHealth, 0, kLogPageSize};
  }
  return {};
}

}  // namespace

std::vector<std::uint8_t> BuildNvmeQuery(TNvmeRequest request, std::uint32_t propertyId) {
  const TRequestShape shape = ShapeOf(request);
  std::vector<std::uint8_t> query(kQueryData + pd::kSize + shape.length, 0);
  PutU32(query, pq::kPropertyId, propertyId);
  PutU32(query, pq::kQueryType, pq::kPropertyStandardQuery);
  PutU32(query, kQueryData + pd::kProtocolType, pd::kProtocolTypeNvme);
  PutU32(query, kQueryData + pd::kDataType, shape.dataType);
  PutU32(query, kQueryData + pd::kRequestValue, shape.value);
  PutU32(query, kQueryData + pd::kRequestSubValue, shape.subValue);
  PutU32(query, kQueryData + pd::kDataOffset, pd::kSize);
  PutU32(query, kQueryData + pd::kDataLength, static_cast<std::uint32_t>(shape.length));
  return query;
}

std::optional<TNvmeAnswer> LocateNvmeAnswer(TBytes reply) {
  namespace pdd = st::protocoldescriptor;
  if (reply.size() < pdd::kSize) return std::nullopt;
  // The driver sets both to the descriptor's size; anything else is not its reply.
  if (GetU32(reply, pdd::kVersion) != pdd::kSize || GetU32(reply, pdd::kSizeField) != pdd::kSize) {
    return std::nullopt;
  }
  const std::uint32_t offset = GetU32(reply, pdd::kProtocolSpecificData + pd::kDataOffset);
  const std::uint32_t length = GetU32(reply, pdd::kProtocolSpecificData + pd::kDataLength);
  if (offset < pd::kSize || length == 0) return std::nullopt;
  // In 64 bits: the 32-bit fields cannot wrap around there, as they can in a 32-bit size_t.
  const std::uint64_t start = std::uint64_t{pdd::kProtocolSpecificData} + offset;
  if (start + length > reply.size()) return std::nullopt;
  return TNvmeAnswer{static_cast<std::size_t>(start), length};
}

bool QueryNvme(Machine& machine, THandle handle, TNvmeRequest request, TMutableBytes destination) {
  std::fill(destination.begin(), destination.end(), 0);
  const std::size_t needed = std::min(ShapeOf(request).length, destination.size());
  // The device property first: it names the drive behind the handle, where the
  // adapter property may answer for the controller of older drivers.
  constexpr std::array<std::uint32_t, 2> kProperties = {pq::kStorageDeviceProtocolSpecificProperty,
                                                        pq::kStorageAdapterProtocolSpecificProperty};
  for (const std::uint32_t property : kProperties) {
    std::vector<std::uint8_t> buffer = BuildNvmeQuery(request, property);
    const TIoResult result = machine.Control(handle, st::kIoctlStorageQueryProperty, buffer, buffer);
    if (!result.ok) continue;
    const TBytes reply = TBytes(buffer).first(std::min<std::size_t>(result.bytes, buffer.size()));
    const std::optional<TNvmeAnswer> answer = LocateNvmeAnswer(reply);
    if (!answer || answer->length < needed) continue;
    const std::size_t count = std::min(answer->length, destination.size());
    std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(answer->offset), count, destination.begin());
    return true;
  }
  return false;
}

}  // namespace vexa
