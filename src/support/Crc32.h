// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320, initial and final value
// all ones): the checksum of GPT headers and partition entry arrays, and of zip.
#pragma once

#include <cstdint>

#include "support/Bytes.h"

namespace vexa {

// The CRC of bytes; pass the previous result as crc to continue over a following
// piece, so Crc32(b, Crc32(a)) is the CRC of a then b.
std::uint32_t Crc32(TBytes bytes, std::uint32_t crc = 0);

}  // namespace vexa
