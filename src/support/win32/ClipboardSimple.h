// The clipboard object: copies text to the clipboard and reads text or a
// dropped-file list back. The program's texts are UTF-8, so they travel as
// CF_UNICODETEXT, the wide form of plain text; the system converts for programs
// that ask for CF_TEXT.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace vexa {

class TClipboardSimple {
public:
  // The window given to the platform when the clipboard is opened; none: the
  // calling task.
  HWND owner = nullptr;

  // The text with its terminating zero, as CF_UNICODETEXT.
  bool SetText(std::string_view text);
  // Opens the clipboard (false when it cannot), empties it and hands over a copy
  // of the bytes in that format; false when the hand-over failed.
  bool SetData(UINT format, const void* bytes, std::size_t size);
  // Text (CF_UNICODETEXT), else a dropped-file list (CF_HDROP) as its names joined
  // by CR LF; empty when neither is offered or the clipboard cannot be opened.
  std::string GetText() const;
};

}  // namespace vexa
