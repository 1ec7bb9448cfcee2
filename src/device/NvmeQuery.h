// The NVMe requests: IOCTL_STORAGE_QUERY_PROPERTY with a protocol-specific property
// (protocol NVMe) that the inbox Windows driver answers with Identify data or a log
// page. The request buffer is the property query (8 bytes), the protocol-specific
// data (40 bytes) and room for the answer; the reply is a protocol data descriptor
// (8 bytes) followed by the protocol-specific data, whose offset and length say where
// the answer lies. A reply that points outside the bytes returned is a failed request.
//
// Attempts, in order: the device property (StorageDeviceProtocolSpecificProperty, 50),
// which the driver answers for the drive behind the handle, then the adapter
// property (StorageAdapterProtocolSpecificProperty, 49), which older drivers answer
// instead. A driver that does not know the request refuses it with an error (1
// invalid function or 87 invalid parameter, also for a SATA drive) or returns a
// descriptor without data; both count as no answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Machine.h"
#include "support/Bytes.h"

namespace vexa {

// What to ask for.
enum class TNvmeRequest : std::uint8_t {
  IdentifyController,  // Identify, CNS 1: 4096 bytes
  IdentifyNamespace,   // Identify, CNS 0, namespace 1: 4096 bytes
  HealthLog,           // Get Log Page 02h: 512 bytes
};

// Sends the request (device property, then adapter property) and copies the answer
// into destination, which is cleared first; true when a route delivered at least
// the size the request asks for (4096 or 512 bytes, or destination's size when that
// is smaller). Never throws.
bool QueryNvme(Machine& machine, THandle handle, TNvmeRequest request, TMutableBytes destination);

// The request buffer for one attempt (property 49 or 50), as the driver expects it.
std::vector<std::uint8_t> BuildNvmeQuery(TNvmeRequest request, std::uint32_t propertyId);
// Where the answer lies in a reply of `returned` bytes: its offset from the reply's
// start and its length; none when the descriptor is short or points outside.
struct TNvmeAnswer {
  std::size_t offset = 0;
  std::size_t length = 0;
};
std::optional<TNvmeAnswer> LocateNvmeAnswer(TBytes reply);

}  // namespace vexa
