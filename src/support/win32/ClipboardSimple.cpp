// The clipboard object (see ClipboardSimple.h). Blocks are laid out and read by
// support/ClipboardData, bounded by the size of the global memory they sit in.
#include "support/win32/ClipboardSimple.h"

#include <cstring>

#include "support/ClipboardData.h"
#include "support/win32/WideText.h"

namespace vexa {

namespace {

// Closes the clipboard however the caller leaves.
struct TOpenClipboard {
  bool open;
  explicit TOpenClipboard(HWND owner) : open(OpenClipboard(owner) != FALSE) {}
  ~TOpenClipboard() {
    if (open) CloseClipboard();
  }
};

// A narrow file name in the system's code page.
std::string FromCodePage(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
  return Narrow(wide);
}

std::string ReadBlock(HANDLE data, bool fileList) {
  if (!data) return {};
  const void* locked = GlobalLock(data);
  if (!locked) return {};
  const TBytes block(static_cast<const std::uint8_t*>(locked), GlobalSize(data));
  std::string text;
  if (!fileList) {
    text = UnicodeTextOf(block);
  } else {
    TDropFileList list = ParseDropFiles(block);
    if (!list.wide)
      for (auto& name : list.names) name = FromCodePage(name);
    text = JoinFileList(list.names);
  }
  GlobalUnlock(data);
  return text;
}

}  // namespace

bool TClipboardSimple::SetText(std::string_view text) {
  const auto block = UnicodeTextBlock(text);
  return SetData(CF_UNICODETEXT, block.data(), block.size());
}

bool TClipboardSimple::SetData(UINT format, const void* bytes, std::size_t size) {
  TOpenClipboard clipboard(owner);
  if (!clipboard.open) return false;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size);
  if (!memory) return false;
  if (void* target = GlobalLock(memory)) {
    if (size > 0) std::memcpy(target, bytes, size);
    GlobalUnlock(memory);
  } else {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  if (SetClipboardData(format, memory)) return true;
  GlobalFree(memory);
  return false;
}

std::string TClipboardSimple::GetText() const {
  const bool hasText = IsClipboardFormatAvailable(CF_UNICODETEXT);
  if (!hasText && !IsClipboardFormatAvailable(CF_HDROP)) return {};
  TOpenClipboard clipboard(owner);
  if (!clipboard.open) return {};
  return ReadBlock(GetClipboardData(hasText ? CF_UNICODETEXT : CF_HDROP), !hasText);
}

}  // namespace vexa
