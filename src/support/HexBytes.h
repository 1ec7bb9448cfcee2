// Bytes written as hexadecimal text ("00 1F a0", line breaks and blanks anywhere
// between bytes) and files that hold either such text or the raw bytes themselves.
// Input files come from users: nothing here trusts their size or content.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// Tokens separated by ASCII blanks and line breaks, each an even number of hex
// digits (either case) giving one byte per digit pair. False, with bytes left
// empty, on any other character or a token of odd length.
bool ParseHexBytes(std::string_view text, std::vector<std::uint8_t>& bytes);

// True when every byte is printable ASCII or an ASCII blank or line break: such
// content is read as hex text. Raw drive data always holds other bytes (zeros).
bool LooksLikeText(std::string_view contents);

// Hex text or raw bytes, told apart by LooksLikeText. False with a short English
// reason in error when the file cannot be read, is larger than maxFileBytes, or is
// text that is not valid hex.
bool ReadHexOrBinaryFile(std::string_view path, std::vector<std::uint8_t>& bytes, std::string& error,
                         std::size_t maxFileBytes = 1024 * 1024);

}  // namespace vexa
