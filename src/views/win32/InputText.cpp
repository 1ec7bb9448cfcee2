// InputText: the dialog's start parameters travel in a structure given at creation;
// OK reads the whole edit text back into it.
#include "views/win32/InputText.h"

#include "support/win32/WideText.h"

namespace vexa {

namespace {

constexpr int kDialogId = 1001;
constexpr int kPromptId = 10;
constexpr int kEditId = 11;
constexpr int kMaxCharacters = 32766;

struct TInputState {
  std::wstring caption, prompt, text;
  HFONT font = nullptr;
};

INT_PTR CALLBACK InputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<TInputState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<TInputState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetWindowTextW(dialog, state->caption.c_str());
      SetDlgItemTextW(dialog, kPromptId, state->prompt.c_str());
      HWND edit = GetDlgItem(dialog, kEditId);
      state->font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Courier New");
      if (state->font) SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(state->font), FALSE);
      SendMessageW(edit, EM_LIMITTEXT, kMaxCharacters, 0);
      SetWindowTextW(edit, state->text.c_str());
      SendMessageW(edit, EM_SETSEL, 0, -1);
      return TRUE;  // the platform focuses the control it proposes
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK && state) {
        HWND edit = GetDlgItem(dialog, kEditId);
        const int length = GetWindowTextLengthW(edit);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), length + 1)));
        state->text = std::move(text);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    case WM_DESTROY:
      if (state && state->font) {
        DeleteObject(state->font);
        state->font = nullptr;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

bool InputText(HWND owner, std::string_view prompt, std::string& text, std::string_view caption) {
  TInputState state{Wide(caption), Wide(prompt), Wide(text)};
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kDialogId), owner, InputProc,
                                         reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return false;
  text = Narrow(state.text);
  return true;
}

}  // namespace vexa
