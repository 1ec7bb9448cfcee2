// The small modal dialog that asks for one line of text (dialog resource 1001):
// a prompt, an edit in a fixed-pitch font holding the current text, OK and Cancel.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vexa {

// True with the text entered (possibly empty) when confirmed; false, text unchanged,
// when cancelled or when the dialog cannot be shown.
bool InputText(HWND owner, std::string_view prompt, std::string& text, std::string_view caption = "請輸入一個值");

}  // namespace vexa
