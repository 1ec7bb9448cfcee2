// The storage requests of a 64-bit process. The core builds every request in the
// 32-bit layouts, so machine files, dumps and captures are the same from every build;
// two of its structures differ in a 64-bit process, ATA_PASS_THROUGH_EX and
// SCSI_PASS_THROUGH, whose DataBufferOffset is pointer-sized. The 64-bit Win32Machine
// sends every request through SendInLayout64, which translates those two on the way
// down and back, as Windows does for a 32-bit process on 64-bit Windows, and passes
// every other request through untouched.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Machine.h"
#include "support/Bytes.h"

namespace vexa {

// Sends one request in the layouts of a 64-bit process, as DeviceIoControl takes it.
using TSendRequest = std::function<TIoResult(TBytes input, TMutableBytes output)>;

// Sends the request the core built (32-bit layouts) through send, and answers in the
// core's terms: its output filled as a 32-bit process would find it, the bytes
// returned counted in the 32-bit layout. Other requests go to send with the caller's
// own buffers. Input and output may be one buffer.
//
// A pass-through request is judged first, in 32-bit terms, and refused with 87
// (ERROR_INVALID_PARAMETER) without reaching send when either buffer is shorter than
// its header, its Length is not the 32-bit header's size, or a data or sense area
// that carries bytes starts inside the header or does not end inside the larger of
// the two buffers. The reply is trusted only as far as it can be true: a count of
// bytes beyond the output buffer is cut to the buffer, the data and sense lengths
// to what the request set aside, the offsets come back as the caller sent them, and
// of a header cut short only the fields that came back whole are returned (the task
// files and the command block byte by byte).
TIoResult SendInLayout64(std::uint32_t code, TBytes input, TMutableBytes output, const TSendRequest& send);

}  // namespace vexa
