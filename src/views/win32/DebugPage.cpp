// The Debug page's tree view, filled from the module's tree.
#include "views/win32/DebugPage.h"

#include <commdlg.h>

#include <algorithm>

#include "shell/win32/PageScale.h"
#include "shell/win32/Sheet.h"
#include "shell/App.h"
#include "shell/Shared.h"
#include "support/Paths.h"
#include "support/Text.h"
#include "support/win32/WideText.h"
#include "support/win32/ClipboardSimple.h"
#include "views/HistoryKeeper.h"
#include "views/win32/PageSupport.h"

namespace vexa {

namespace {

constexpr UINT kSaveMachineCommand = 1;

// A saved log is shown on this light blue, so it is not taken for a run.
constexpr COLORREF kSavedLogColour = 0xF8F0E8;
constexpr std::size_t kMaxLogBytes = 16 * 1024 * 1024;

// A row shows a drive's bytes as the console and the log's readers see them: a NUL
// would otherwise end the row's text in the tree, hiding the rest of the value.
void AddNodes(TNvTreeView& view, HTREEITEM parent, const TDebugNode& node, std::vector<HTREEITEM>& expand) {
  HTREEITEM item = view.AddItem(parent, EscapeUnprintable(node.text));
  for (const auto& child : node.children) AddNodes(view, item, *child, expand);
  if (node.expanded) expand.push_back(item);
}

}  // namespace

TDebugPage::TDebugPage(std::unique_ptr<TSheet> sheet) : TDebugTab(std::move(sheet)) {
  sheetWindow = SheetWindow(Sheet());
  view = std::make_unique<TNvTreeView>(sheetWindow, TVS_HASBUTTONS | TVS_LINESATROOT | TVS_FULLROWSELECT);
  font = CreatePageFont("\"Courier New\" 8");
  if (font) view->SetFont(font);
  TreeView_SetIndent(view->Handle(), PageScale(16));
  view->onExpanded = [this](HTREEITEM item, bool expanded) {
    if (filling || view->Parent(item)) return;  // only the sections are remembered
    const std::vector<HTREEITEM> top = view->TopItems();
    const auto found = std::find(top.begin(), top.end(), item);
    if (found != top.end()) TopNodeToggled(static_cast<int>(found - top.begin()), expanded);
  };
  view->onKeyDown = [this](UINT key) { return KeyDown(key); };
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet()))
    win32->SetHandler([this](UINT message, WPARAM wParam, LPARAM lParam) {
      return SheetMessage(message, wParam, lParam);
    });
  RECT client;
  if (sheetWindow && GetClientRect(sheetWindow, &client)) view->SetBounds(client);
  TreeChanged();
}

TDebugPage::~TDebugPage() {
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet())) win32->SetHandler(nullptr);
  view.reset();
  if (font) DeleteObject(font);
}

std::optional<LRESULT> TDebugPage::SheetMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_SIZE && view) view->SetBounds(0, 0, LOWORD(lParam), HIWORD(lParam));
  if (message == WM_CONTEXTMENU) {
    ContextMenu(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    return 0;
  }
  return std::nullopt;
}

void TDebugPage::ContextMenu(POINT screen) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuW(menu, MF_STRING, kSaveMachineCommand, Wide("保存機器檔案...").c_str());
  if (screen.x == -1 && screen.y == -1) {  // from the keyboard: at the tree's corner
    RECT bounds{};
    GetWindowRect(view->Handle(), &bounds);
    screen = {bounds.left + PageScale(8), bounds.top + PageScale(8)};
  }
  const UINT command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, sheetWindow, nullptr);
  DestroyMenu(menu);
  if (command == kSaveMachineCommand) SaveMachineFile();
}

// The capture runs in a second process of the program (-capture FILE), started with
// this window's own arguments, so it scans the same machine without disturbing this
// one; the page waits for it under the hourglass.
void TDebugPage::SaveMachineFile() {
  wchar_t file[MAX_PATH * 4] = L"vexa.machine";
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = sheetWindow;
  dialog.lpstrFilter = L"Machine files (*.machine)\0*.machine\0All files (*.*)\0*.*\0";
  dialog.lpstrFile = file;
  dialog.nMaxFile = static_cast<DWORD>(std::size(file));
  dialog.lpstrDefExt = L"machine";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) return;

  wchar_t program[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, program, static_cast<DWORD>(std::size(program)));
  std::wstring arguments = GetCommandLineW();
  arguments += L" -capture \"";
  arguments += file;
  arguments += L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  DWORD exitCode = 1;
  if (CreateProcessW(program, arguments.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  SetCursor(previous);
  if (exitCode == 0) ShowMessage("機器檔案已保存:\r\n\r\n" + Narrow(file), kMessageIconInformation);
}

void TDebugPage::TreeChanged() {
  if (!view) return;
  Show(Tree(), GetSysColor(COLOR_WINDOW));
  ShowHistoryNotes();
}

// What the SMART history said (a damaged line, a folder that cannot be written)
// waits here, below the run, rather than in a message box at every start.
void TDebugPage::ShowHistoryNotes() {
  const THistoryKeeper* history = App().history;
  if (!history || history->Said().empty()) return;
  filling = true;
  HTREEITEM node = view->AddItem(nullptr, "SMART history " + history->Path());
  for (const std::string& note : history->Said()) view->AddItem(node, EscapeUnprintable(note));
  view->Expand(node);
  filling = false;
}

void TDebugPage::Show(const TDebugTree& shown, COLORREF background) {
  filling = true;
  SendMessageW(view->Handle(), WM_SETREDRAW, FALSE, 0);
  view->Clear();
  TreeView_SetBkColor(view->Handle(), background);
  std::vector<HTREEITEM> expand;
  for (const auto& node : shown.TopNodes()) AddNodes(*view, nullptr, *node, expand);
  for (HTREEITEM item : expand) view->Expand(item);
  SendMessageW(view->Handle(), WM_SETREDRAW, TRUE, 0);
  view->Invalidate();
  filling = false;
}

// Ctrl+C copies the selected line; Ctrl+V shows the saved log the clipboard names.
bool TDebugPage::KeyDown(UINT key) {
  const TNvShiftState shift = KeyShiftState();
  if (!shift.ctrl || shift.shift || shift.alt || (key != 'C' && key != 'V')) return false;
  if (key == 'C') {
    if (HTREEITEM item = view->Selected()) CopyToClipboard(view->ItemText(item));
  } else {
    TClipboardSimple clipboard;
    std::string contents;
    const std::string file = clipboard.GetText();
    if (!file.empty() && ReadFileBytes(file, contents, kMaxLogBytes)) {
      Show(TDebugTree::FromText(contents), kSavedLogColour);
    }
  }
  DropPendingKeys();
  return true;
}

}  // namespace vexa
