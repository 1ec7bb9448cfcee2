// The byte layouts of the clipboard formats Vexa reads and writes: text as
// UTF-16LE with its terminating zero, and the dropped-file list (a DROPFILES
// header followed by zero-terminated names and one more zero). Reading never goes
// past the block, whatever another program put on the clipboard.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/Bytes.h"

namespace vexa {

// UTF-8 text as a clipboard block: UTF-16LE and a terminating zero.
std::vector<std::uint8_t> UnicodeTextBlock(std::string_view text);
// The text of a block up to its first zero character or its end.
std::string UnicodeTextOf(TBytes block);

// DROPFILES: offset of the names (32-bit), drop point (two 32-bit), non-client
// flag, wide flag.
inline constexpr std::size_t kDropFilesHeaderSize = 20;

struct TDropFileList {
  bool wide = true;
  // UTF-8 for a wide list; for a narrow one the code-page bytes as they stand
  // (the Windows side converts them).
  std::vector<std::string> names;
};

// Names up to the empty one that ends the list, or up to the block's end.
TDropFileList ParseDropFiles(TBytes block);
// A wide list of the names, as the shell puts it on the clipboard.
std::vector<std::uint8_t> BuildDropFiles(const std::vector<std::string>& names);

// The names joined by CR LF, without a line break after the last.
std::string JoinFileList(const std::vector<std::string>& names);

}  // namespace vexa
