// The Submit page's window: on a bevelled panel filling the sheet, the e-mail box,
// the comment box, the report as a tree, and along the bottom the close and submit
// buttons. The boxes feed the module as the user types; the tree mirrors the
// module's tree item for item.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <vector>

#include "online/SubmitTab.h"
#include "support/win32/NvControls.h"

namespace vexa {

class TSubmitPage : public TSubmitTab {
public:
  explicit TSubmitPage(std::unique_ptr<TSheet> sheet);
  ~TSubmitPage() override;

  // The controls, for tests and the probe (none without a Win32 sheet).
  HWND EmailBox() const { return email ? email->Handle() : nullptr; }
  HWND CommentBox() const { return comment ? comment->Handle() : nullptr; }
  HWND TreeView() const { return tree ? tree->Handle() : nullptr; }
  HWND SubmitButton() const { return submitButton ? submitButton->Handle() : nullptr; }

protected:
  void TreeRebuilt() override;
  void TreeItemChanged(int index) override;
  void ShowBusy(bool busy) override;

private:
  HWND AddLabel(std::string_view text);
  void Layout();
  void SubmitClicked();

  HWND sheetWindow = nullptr;
  std::unique_ptr<TNvPanel> panel;
  std::vector<HWND> labels;  // e-mail, comment, report
  std::unique_ptr<TNvEdit> email;
  std::unique_ptr<TNvMemo> comment;
  std::unique_ptr<TNvTreeView> tree;
  std::unique_ptr<TNvButton> closeButton;
  std::unique_ptr<TNvButton> submitButton;
  std::vector<HTREEITEM> treeItems;  // parallel to the module's tree
  HFONT boldFont = nullptr;
  HFONT boxFont = nullptr;
  HFONT treeFont = nullptr;
  HCURSOR previousCursor = nullptr;
};

}  // namespace vexa
