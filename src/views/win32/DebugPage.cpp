// The Debug page's tree view, filled from the module's tree.
#include "views/win32/DebugPage.h"

#include <algorithm>

#include "shell/win32/Sheet.h"
#include "support/Paths.h"
#include "support/win32/ClipboardSimple.h"
#include "views/win32/PageSupport.h"

namespace vexa {

namespace {

// A saved log is shown on this light blue, so it is not taken for a run.
constexpr COLORREF kSavedLogColour = 0xF8F0E8;
constexpr std::size_t kMaxLogBytes = 16 * 1024 * 1024;

void AddNodes(TNvTreeView& view, HTREEITEM parent, const TDebugNode& node, std::vector<HTREEITEM>& expand) {
  HTREEITEM item = view.AddItem(parent, node.text);
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
  return std::nullopt;
}

void TDebugPage::TreeChanged() {
  if (view) Show(Tree(), GetSysColor(COLOR_WINDOW));
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
