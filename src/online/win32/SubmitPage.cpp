#include "online/win32/SubmitPage.h"

#include <algorithm>
#include <exception>

#include "shell/App.h"
#include "shell/PixelsPerInch.h"
#include "shell/Shared.h"
#include "shell/win32/Fonts.h"
#include "shell/win32/PageScale.h"
#include "shell/win32/Sheet.h"
#include "support/win32/WideText.h"

namespace vexa {

namespace {

// The design's sizes before scaling: the panel's margin on the sheet, the margin
// inside the panel, the gaps below a label and below a control, the e-mail box's
// height and the buttons' size.
constexpr int kMargin = 6;
constexpr int kInner = 12;
constexpr int kLabelGap = 3;
constexpr int kControlGap = 6;
constexpr int kEmailHeight = 24;
constexpr int kButtonWidth = 168;
constexpr int kButtonHeight = 26;
constexpr int kEmailLimit = 254;
constexpr int kCommentLimit = 512;
constexpr std::string_view kLabelTexts[] = {"您的電子信箱（可選）", "有些什麼意見要發", "資料提交 (JSON)"};

HFONT Font(std::string_view description) {
  const TPixelsPerInch fallback(96, 96);
  return CreateFontFromDescription(App().scaler ? *App().scaler : fallback, description);
}

HFONT BoldIconTitleFont() {
  LOGFONTW font = IconTitleLogFont();
  font.lfWeight = FW_BOLD;
  return CreateFontIndirectW(&font);
}

SIZE TextSize(HWND window, HFONT font, std::string_view text) {
  SIZE size{};
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  const std::wstring wide = Wide(text);
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return size;
}

// A click or a keystroke must not unwind an error through the window system: it is
// reported the way the program reports every error it did not expect.
template <typename TCall>
void Reported(TCall call) {
  try {
    call();
  } catch (const std::exception& error) {
    ShowMessage(error.what(), kMessageIconError);
  }
}

}  // namespace

TSubmitPage::TSubmitPage(std::unique_ptr<TSheet> sheet) : TSubmitTab(std::move(sheet)) {
  sheetWindow = SheetWindow(Sheet());
  if (!sheetWindow) return;
  boldFont = BoldIconTitleFont();
  boxFont = Font("\"Courier New\" 10");
  treeFont = Font("\"Courier New\" 8");

  panel = std::make_unique<TNvPanel>(sheetWindow, WS_CLIPCHILDREN);
  // Raised inner and lowered outer bevel: an etched frame.
  panel->onPaint = [](HDC dc, const RECT& client) {
    RECT frame = client;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  };
  const HWND panelWindow = panel->Handle();

  labels.push_back(AddLabel(kLabelTexts[0]));
  email = std::make_unique<TNvEdit>(panelWindow, ES_AUTOHSCROLL);
  email->SetFont(boxFont);
  SendMessageW(email->Handle(), EM_LIMITTEXT, kEmailLimit, 0);
  email->onChange = [this] { Reported([this] { SetEmail(email->Text()); }); };

  labels.push_back(AddLabel(kLabelTexts[1]));
  comment = std::make_unique<TNvMemo>(panelWindow, WS_VSCROLL);
  comment->SetFont(boxFont);
  SendMessageW(comment->Handle(), EM_LIMITTEXT, kCommentLimit, 0);
  comment->onChange = [this] { Reported([this] { SetComment(comment->Text()); }); };

  labels.push_back(AddLabel(kLabelTexts[2]));
  tree = std::make_unique<TNvTreeView>(panelWindow);
  tree->SetFont(treeFont);

  closeButton = std::make_unique<TNvButton>(panelWindow, "關閉提交", true);
  closeButton->onClick = [this] { CloseTabLater(this); };
  submitButton = std::make_unique<TNvButton>(panelWindow, "正在提交 SSD 資料...");
  submitButton->onClick = [this] { SubmitClicked(); };
  AddTooltip(kSubmitButtonTip, reinterpret_cast<std::uintptr_t>(submitButton->Handle()), 2);

  Layout();
  TreeRebuilt();  // the module may have built its report before the tree existed
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet()))
    win32->SetHandler([this](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message == WM_SIZE) Reported([this] { Layout(); });
      return std::nullopt;
    });
}

TSubmitPage::~TSubmitPage() {
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet())) win32->SetHandler(nullptr);
  if (submitButton) RemoveTooltip(reinterpret_cast<std::uintptr_t>(submitButton->Handle()));
  submitButton.reset();
  closeButton.reset();
  tree.reset();
  comment.reset();
  email.reset();
  panel.reset();
  for (HFONT font : {boldFont, boxFont, treeFont})
    if (font) DeleteObject(font);
}

HWND TSubmitPage::AddLabel(std::string_view text) {
  HWND label = CreateWindowExW(0, WC_STATICW, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 0, 0, 0,
                               panel->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont), FALSE);
  return label;
}

// The controls stack from the panel's top; the tree takes what the buttons leave.
void TSubmitPage::Layout() {
  if (!panel) return;
  RECT sheetClient{};
  GetClientRect(sheetWindow, &sheetClient);
  const int margin = PageScale(kMargin), inner = PageScale(kInner);
  const int width = std::max(0, static_cast<int>(sheetClient.right) - 2 * margin);
  const int height = std::max(0, static_cast<int>(sheetClient.bottom) - 2 * margin - 1);
  panel->SetBounds(margin, margin, width, height);
  panel->Invalidate();

  const int controlWidth = std::max(0, width - 2 * inner);
  const int buttonWidth = PageScale(kButtonWidth), buttonHeight = PageScale(kButtonHeight);
  int y = inner;
  const auto placeLabel = [&](std::size_t index) {
    const SIZE size = TextSize(labels[index], boldFont, kLabelTexts[index]);
    MoveWindow(labels[index], inner, y, size.cx, size.cy, TRUE);
    y += size.cy + PageScale(kLabelGap);
  };
  const auto placeControl = [&](TNvControl& control, int controlHeight) {
    control.SetBounds(inner, y, controlWidth, controlHeight);
    y += controlHeight + PageScale(kControlGap);
  };
  placeLabel(0);
  placeControl(*email, PageScale(kEmailHeight));
  placeLabel(1);
  placeControl(*comment, 8 * inner);
  placeLabel(2);
  const int bottom = height - buttonHeight - inner;
  tree->SetBounds(inner, y, controlWidth, std::max(0, bottom - PageScale(kControlGap) - y));
  closeButton->SetBounds(inner, bottom, buttonWidth, buttonHeight);
  submitButton->SetBounds(width - buttonWidth - inner, bottom, buttonWidth, buttonHeight);
}

void TSubmitPage::TreeRebuilt() {
  if (!tree) return;
  SendMessageW(tree->Handle(), WM_SETREDRAW, FALSE, 0);
  tree->Clear();
  treeItems.clear();
  for (const TTreeViewJson::TItem& item : Tree().Items()) {
    const HTREEITEM parent = item.parent < 0 ? nullptr : treeItems[static_cast<std::size_t>(item.parent)];
    treeItems.push_back(tree->AddItem(parent, item.text, reinterpret_cast<LPARAM>(item.node)));
  }
  SendMessageW(tree->Handle(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree->Handle(), nullptr, TRUE);
}

void TSubmitPage::TreeItemChanged(int index) {
  if (!tree || index < 0 || static_cast<std::size_t>(index) >= treeItems.size()) return;
  tree->SetItemText(treeItems[static_cast<std::size_t>(index)], Tree().Items()[static_cast<std::size_t>(index)].text);
}

void TSubmitPage::ShowBusy(bool busy) {
  if (busy) {
    previousCursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  } else {
    SetCursor(previousCursor ? previousCursor : LoadCursorW(nullptr, IDC_ARROW));
  }
}

void TSubmitPage::SubmitClicked() {
  Reported([this] { Submit(); });
}

}  // namespace vexa
