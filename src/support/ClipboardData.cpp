// Clipboard blocks: Unicode text and dropped-file lists, read within bounds.
#include "support/ClipboardData.h"

#include "support/Text.h"

namespace vexa {

std::vector<std::uint8_t> UnicodeTextBlock(std::string_view text) {
  const std::u16string wide = Utf8ToUtf16(text);
  std::vector<std::uint8_t> block((wide.size() + 1) * 2, 0);
  for (std::size_t i = 0; i < wide.size(); ++i) PutU16(block, i * 2, wide[i]);
  return block;
}

namespace {

// UTF-16LE characters from offset to the first zero or the block's end; the
// answer's second part is the offset just past the zero.
std::pair<std::u16string, std::size_t> WideRun(TBytes block, std::size_t offset) {
  std::u16string run;
  for (; offset + 1 < block.size(); offset += 2) {
    const std::uint16_t c = GetU16(block, offset);
    if (c == 0) return {run, offset + 2};
    run.push_back(static_cast<char16_t>(c));
  }
  return {run, block.size()};
}

std::pair<std::string, std::size_t> NarrowRun(TBytes block, std::size_t offset) {
  std::string run;
  for (; offset < block.size(); ++offset) {
    if (block[offset] == 0) return {run, offset + 1};
    run.push_back(static_cast<char>(block[offset]));
  }
  return {run, block.size()};
}

}  // namespace

std::string UnicodeTextOf(TBytes block) { return Utf16ToUtf8(WideRun(block, 0).first); }

TDropFileList ParseDropFiles(TBytes block) {
  TDropFileList list;
  if (block.size() < kDropFilesHeaderSize) return list;
  std::size_t offset = GetU32(block, 0);
  list.wide = GetU32(block, 16) != 0;
  while (offset < block.size()) {
    if (list.wide) {
      auto [name, next] = WideRun(block, offset);
      if (name.empty()) break;
      list.names.push_back(Utf16ToUtf8(name));
      offset = next;
    } else {
      auto [name, next] = NarrowRun(block, offset);
      if (name.empty()) break;
      list.names.push_back(std::move(name));
      offset = next;
    }
  }
  return list;
}

std::vector<std::uint8_t> BuildDropFiles(const std::vector<std::string>& names) {
  std::u16string all;
  for (const auto& name : names) {
    all += Utf8ToUtf16(name);
    all.push_back(u'\0');
  }
  all.push_back(u'\0');
  std::vector<std::uint8_t> block(kDropFilesHeaderSize + all.size() * 2, 0);
  PutU32(block, 0, static_cast<std::uint32_t>(kDropFilesHeaderSize));
  PutU32(block, 16, 1);  // wide names
  for (std::size_t i = 0; i < all.size(); ++i) PutU16(block, kDropFilesHeaderSize + i * 2, all[i]);
  return block;
}

std::string JoinFileList(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += names[i];
  }
  return text;
}

}  // namespace vexa
