// What the Win32 pages of the SMART, Partitions and Identify modules share: their
// sheet's window, the screen's resolution for column widths, fonts made from a
// description, and copying a text to the clipboard.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

namespace vexa {

class TSheet;

// The window of a module's sheet; none for a module without a page.
HWND SheetWindow(TSheet* sheet);
// The pixels per inch the shared scaler scales to (96 without one).
int PagePixelsPerInch();
// Scale(n) of the shared scaler (n without one).
int PageScale(int n);
// A font from a description such as "\"Verdana\" 7", starting from the icon-title
// font; the caller owns it.
HFONT CreatePageFont(std::string_view description, LONG* height = nullptr);
// The key handler of a list whose Ctrl+C (and no other modifier) runs copy; the key
// is then taken and its character dropped.
std::function<bool(UINT key)> CopyKeyHandler(std::function<void()> copy);
// Puts a non-empty text on the clipboard, owned by the main window.
void CopyToClipboard(std::string_view text);

}  // namespace vexa
