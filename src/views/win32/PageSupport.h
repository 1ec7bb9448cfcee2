// What the Win32 pages of the SMART, Partitions and Identify modules share: fonts
// made from a description and copying a text to the clipboard. Their sheet's window
// is in shell/win32/Sheet.h, the scaling in shell/win32/PageScale.h.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

namespace vexa {

// A font from a description such as "\"Verdana\" 7", starting from the icon-title
// font; the caller owns it.
HFONT CreatePageFont(std::string_view description, LONG* height = nullptr);
// The key handler of a list whose Ctrl+C (and no other modifier) runs copy; the key
// is then taken and its character dropped.
std::function<bool(UINT key)> CopyKeyHandler(std::function<void()> copy);
// Puts a non-empty text on the clipboard, owned by the main window.
void CopyToClipboard(std::string_view text);

}  // namespace vexa
