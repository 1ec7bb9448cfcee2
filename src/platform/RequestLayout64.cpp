// The translation of the pass-through requests for a 64-bit process. A request is a
// header followed by whatever the caller placed behind it (data area, sense area,
// its own bytes between them), addressed by offsets from the buffer's start. In the
// 64-bit layout only the header grows, so everything behind it moves by the growth
// and the offsets with it; on the way back the header is read field by field and the
// rest moves back, so data and sense land where the caller's offsets point.
#include "platform/RequestLayout64.h"

#include <algorithm>
#include <span>
#include <vector>

#include "platform/StorageLayout.h"

namespace vexa {

namespace st = storage;

namespace {

enum class TRole : std::uint8_t {
  Copy,          // one value, the same in both layouts; returned only whole
  Bytes,         // single bytes or a byte array; may come back in part
  HeaderLength,  // the structure's own size
  DataOffset,    // where the data area lies; pointer-sized in 64 bits
  SenseOffset,   // where the sense area lies
  DataLength,    // bytes of data asked for, then transferred
  SenseLength,   // bytes of sense data room, then returned
};

struct TField {
  std::size_t at32;
  std::size_t at64;
  std::size_t size32;
  std::size_t size64;
  TRole role;
};

struct TShape {
  std::size_t size32;
  std::size_t size64;
  std::span<const TField> fields;
};

constexpr TField kAtaFields[] = {
    {st::ata::kLength, st::ata::kLength, 2, 2, TRole::HeaderLength},
    {st::ata::kAtaFlags, st::ata::kAtaFlags, 2, 2, TRole::Copy},
    // PathId, TargetId, Lun, ReservedAsUchar.
    {st::ata::kPathId, st::ata::kPathId, 4, 4, TRole::Bytes},
    {st::ata::kDataTransferLength, st::ata::kDataTransferLength, 4, 4, TRole::DataLength},
    {st::ata::kTimeOutValue, st::ata::kTimeOutValue, 4, 4, TRole::Copy},
    {st::ata::kReservedAsUlong, st::ata::kReservedAsUlong, 4, 4, TRole::Copy},
    {st::ata::kDataBufferOffset, st::ata64::kDataBufferOffset, 4, 8, TRole::DataOffset},
    {st::ata::kPreviousTaskFile, st::ata64::kPreviousTaskFile, 8, 8, TRole::Bytes},
    {st::ata::kCurrentTaskFile, st::ata64::kCurrentTaskFile, 8, 8, TRole::Bytes},
};

constexpr TField kScsiFields[] = {
    {st::scsi::kLength, st::scsi::kLength, 2, 2, TRole::HeaderLength},
    // ScsiStatus, PathId, TargetId, Lun, CdbLength.
    {st::scsi::kScsiStatus, st::scsi::kScsiStatus, 5, 5, TRole::Bytes},
    {st::scsi::kSenseInfoLength, st::scsi::kSenseInfoLength, 1, 1, TRole::SenseLength},
    // DataIn and the three bytes of padding before DataTransferLength.
    {st::scsi::kDataIn, st::scsi::kDataIn, 4, 4, TRole::Bytes},
    {st::scsi::kDataTransferLength, st::scsi::kDataTransferLength, 4, 4, TRole::DataLength},
    {st::scsi::kTimeOutValue, st::scsi::kTimeOutValue, 4, 4, TRole::Copy},
    {st::scsi::kDataBufferOffset, st::scsi64::kDataBufferOffset, 4, 8, TRole::DataOffset},
    {st::scsi::kSenseInfoOffset, st::scsi64::kSenseInfoOffset, 4, 4, TRole::SenseOffset},
    {st::scsi::kCdb, st::scsi64::kCdb, st::scsi::kCdbSize, st::scsi::kCdbSize, TRole::Bytes},
};

constexpr TShape kAta{st::ata::kSize, st::ata64::kSize, kAtaFields};
constexpr TShape kScsi{st::scsi::kSize, st::scsi64::kSize, kScsiFields};

// The fields cover the 32-bit header without a gap, in order, and lie inside the
// 64-bit one in the same order: the bytes returned of a header cut short are then
// always a run from its start.
constexpr bool CoversHeader(const TShape& shape) {
  std::size_t end32 = 0, end64 = 0;
  for (const TField& field : shape.fields) {
    if (field.at32 != end32 || field.at64 < end64) return false;
    if (field.size32 != field.size64 && field.role != TRole::DataOffset) return false;
    end32 = field.at32 + field.size32;
    end64 = field.at64 + field.size64;
  }
  return end32 == shape.size32 && end64 <= shape.size64;
}
static_assert(CoversHeader(kAta));
static_assert(CoversHeader(kScsi));

const TShape* ShapeOf(std::uint32_t code) {
  switch (code) {
    case st::kIoctlAtaPassThrough:
      return &kAta;
    case st::kIoctlScsiPassThrough:
      return &kScsi;
    default:
      return nullptr;
  }
}

std::uint64_t GetField(TBytes from, std::size_t at, std::size_t size) {
  switch (size) {
    case 1:
      return GetU8(from, at);
    case 2:
      return GetU16(from, at);
    case 4:
      return GetU32(from, at);
    default:
      return GetU64(from, at);
  }
}

void PutField(TMutableBytes to, std::size_t at, std::size_t size, std::uint64_t value) {
  switch (size) {
    case 1:
      PutU8(to, at, static_cast<std::uint8_t>(value));
      break;
    case 2:
      PutU16(to, at, static_cast<std::uint16_t>(value));
      break;
    case 4:
      PutU32(to, at, static_cast<std::uint32_t>(value));
      break;
    default:
      PutU64(to, at, value);
      break;
  }
}

// The fields of the caller's header that are judged and given back as they were:
// its size and the data and sense areas it describes.
struct TAreas {
  std::uint32_t headerLength = 0;
  std::uint32_t dataOffset = 0;
  std::uint32_t dataLength = 0;
  std::uint32_t senseOffset = 0;
  std::uint32_t senseLength = 0;
};

TAreas ReadAreas(const TShape& shape, TBytes request) {
  TAreas areas;
  for (const TField& field : shape.fields) {
    const auto value = static_cast<std::uint32_t>(GetField(request, field.at32, field.size32));
    switch (field.role) {
      case TRole::HeaderLength:
        areas.headerLength = value;
        break;
      case TRole::DataOffset:
        areas.dataOffset = value;
        break;
      case TRole::DataLength:
        areas.dataLength = value;
        break;
      case TRole::SenseOffset:
        areas.senseOffset = value;
        break;
      case TRole::SenseLength:
        areas.senseLength = value;
        break;
      default:
        break;
    }
  }
  return areas;
}

// An area that carries bytes lies behind the header and ends inside the buffer the
// driver works in, the larger of input and output. Computed in 64 bits, so an offset
// and a length near 4 GiB cannot wrap around into range.
bool AreaFits(std::uint32_t offset, std::uint32_t length, std::size_t headerSize, std::size_t bufferSize) {
  return length == 0 || (offset >= headerSize && std::uint64_t{offset} + length <= bufferSize);
}

// Where an offset points in the 64-bit buffer. One that points behind the header
// moves with it; one of an empty area that points elsewhere means nothing to the
// driver and goes as it is.
std::uint64_t Moved(std::uint32_t offset, const TShape& shape, std::size_t bufferSize) {
  return offset >= shape.size32 && offset <= bufferSize ? offset + (shape.size64 - shape.size32) : offset;
}

void PutRequestField(const TField& field, const TShape& shape, const TAreas& areas, std::size_t bufferSize,
                     TBytes request, TMutableBytes to) {
  switch (field.role) {
    case TRole::HeaderLength:
      PutField(to, field.at64, field.size64, shape.size64);
      break;
    case TRole::DataOffset:
      PutField(to, field.at64, field.size64, Moved(areas.dataOffset, shape, bufferSize));
      break;
    case TRole::SenseOffset:
      PutField(to, field.at64, field.size64, Moved(areas.senseOffset, shape, bufferSize));
      break;
    default:
      std::copy_n(request.begin() + static_cast<std::ptrdiff_t>(field.at32), field.size32,
                  to.begin() + static_cast<std::ptrdiff_t>(field.at64));
      break;
  }
}

void PutReplyField(const TField& field, const TShape& shape, const TAreas& areas, TBytes reply,
                   TMutableBytes output) {
  const auto bounded = [&](std::uint32_t asked) {
    return std::min<std::uint64_t>(GetField(reply, field.at64, field.size64), asked);
  };
  switch (field.role) {
    case TRole::HeaderLength:
      PutField(output, field.at32, field.size32, shape.size32);
      break;
    case TRole::DataOffset:
      PutField(output, field.at32, field.size32, areas.dataOffset);
      break;
    case TRole::SenseOffset:
      PutField(output, field.at32, field.size32, areas.senseOffset);
      break;
    case TRole::DataLength:
      PutField(output, field.at32, field.size32, bounded(areas.dataLength));
      break;
    case TRole::SenseLength:
      PutField(output, field.at32, field.size32, bounded(areas.senseLength));
      break;
    default:
      std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(field.at64), field.size32,
                  output.begin() + static_cast<std::ptrdiff_t>(field.at32));
      break;
  }
}

// Gives the caller the reply in the 32-bit layout; answers the bytes returned.
std::size_t PutReply(const TShape& shape, const TAreas& areas, TBytes reply, TMutableBytes output) {
  for (const TField& field : shape.fields) {
    const std::size_t carried = reply.size() > field.at64 ? std::min(reply.size() - field.at64, field.size64) : 0;
    if (carried < field.size64) {
      // A value cut in two is no value; bytes are bytes. The fields before this one
      // cover the header up to it.
      if (field.role != TRole::Bytes) return field.at32;
      std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(field.at64), carried,
                  output.begin() + static_cast<std::ptrdiff_t>(field.at32));
      return field.at32 + carried;
    }
    PutReplyField(field, shape, areas, reply, output);
  }
  const std::size_t rest =
      std::min(reply.size() > shape.size64 ? reply.size() - shape.size64 : 0, output.size() - shape.size32);
  std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(shape.size64), rest,
              output.begin() + static_cast<std::ptrdiff_t>(shape.size32));
  return shape.size32 + rest;
}

TIoResult Translate(const TShape& shape, TBytes input, TMutableBytes output, const TSendRequest& send) {
  constexpr TIoResult kRefused{false, 0, kErrorInvalidParameter};
  if (input.size() < shape.size32 || output.size() < shape.size32) return kRefused;
  const std::size_t bufferSize = std::max(input.size(), output.size());
  const TAreas areas = ReadAreas(shape, input);
  if (areas.headerLength != shape.size32) return kRefused;
  if (!AreaFits(areas.dataOffset, areas.dataLength, shape.size32, bufferSize) ||
      !AreaFits(areas.senseOffset, areas.senseLength, shape.size32, bufferSize)) {
    return kRefused;
  }

  // One buffer for both directions, as the caller's may be one: the 64-bit header,
  // then everything that followed the 32-bit one. Read whole before the caller's
  // output is written.
  const std::size_t growth = shape.size64 - shape.size32;
  std::vector<std::uint8_t> buffer(bufferSize + growth, 0);
  for (const TField& field : shape.fields) PutRequestField(field, shape, areas, bufferSize, input, buffer);
  std::copy(input.begin() + static_cast<std::ptrdiff_t>(shape.size32), input.end(),
            buffer.begin() + static_cast<std::ptrdiff_t>(shape.size64));

  const TMutableBytes output64 = TMutableBytes(buffer).first(output.size() + growth);
  TIoResult result = send(TBytes(buffer).first(input.size() + growth), output64);
  // No driver returns more than the buffer it was given.
  const TBytes reply = TBytes(buffer).first(std::min<std::size_t>(result.bytes, output64.size()));
  result.bytes = static_cast<std::uint32_t>(PutReply(shape, areas, reply, output));
  return result;
}

}  // namespace

TIoResult SendInLayout64(std::uint32_t code, TBytes input, TMutableBytes output, const TSendRequest& send) {
  const TShape* shape = ShapeOf(code);
  return shape ? Translate(*shape, input, output, send) : send(input, output);
}

}  // namespace vexa
