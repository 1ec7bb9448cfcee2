// UTF-8 is the text of the whole program; UTF-16 exists only at Win32 calls and in
// files that come in UTF-16. Invalid input never fails: each bad byte or lone
// surrogate becomes U+FFFD. Also the small ASCII-only text helpers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/Bytes.h"

namespace vexa {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
bool IsValidUtf8(std::string_view text);
// The text with every byte that is not part of a valid UTF-8 character replaced by
// U+FFFD; valid text comes back unchanged.
std::string ToValidUtf8(std::string_view text);
// The byte length of the valid UTF-8 character at offset; 0 when the bytes there are
// not one (or offset is past the end).
std::size_t Utf8CharacterLength(std::string_view text, std::size_t offset);
// Text a person can read whatever bytes it holds: valid UTF-8 passes unchanged,
// except control characters (U+0000..U+001F, U+007F and U+0080..U+009F); those and
// every byte that is not part of a valid UTF-8 character are written as \xNN (two
// upper-case hexadecimal digits per byte). A drive's strings may hold any bytes: a
// NUL would end the text in a Win32 control and a line break would split a line.
std::string EscapeUnprintable(std::string_view text);
// UTF-8 counted and cut by code points (continuation bytes do not count).
std::size_t CharacterCount(std::string_view text);
std::string_view FirstCharacters(std::string_view text, std::size_t characters);

// Texts inside binary replies. The bytes from offset up to the first 0 (none for
// offset 0 or outside the bytes), and UTF-16LE units from offset up to the first 0
// or maxUnits, as UTF-8.
std::string ZeroTerminatedTextAt(TBytes bytes, std::uint32_t offset);
std::string Utf16TextAt(TBytes bytes, std::size_t offset, std::size_t maxUnits);

// ASCII letters only: drive strings and settings keys are ASCII, and changing the
// case of other characters would differ between platforms.
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
bool SameTextAscii(std::string_view a, std::string_view b);
bool ContainsAscii(std::string_view text, std::string_view part);  // case-insensitive

// Characters 0..32 (blanks and control characters) are trimmed, as the platform's
// own string trimming does.
std::string_view Trim(std::string_view text);
std::string_view TrimLeft(std::string_view text);
std::string_view TrimRight(std::string_view text);

// The parts with the separator between them ("a; b; c"); empty for no parts.
std::string JoinText(const std::vector<std::string>& parts, std::string_view separator);

std::vector<std::string_view> SplitLines(std::string_view text);  // CR LF, LF or CR

// A form field's value as a web form sends it: letters, digits and "*-._" stay, a
// space becomes "+", every other byte "%XX".
std::string FormUrlEncode(std::string_view text);

// Parses an optional sign and decimal digits (or hexadecimal after $, x or 0x),
// allowing leading blanks; false when anything else is present or the value does not
// fit in 32 bits. The settings file and the command line read numbers this way.
bool TryParseInt32(std::string_view text, std::int32_t& value);
bool TryParseInt64(std::string_view text, std::int64_t& value);

}  // namespace vexa
