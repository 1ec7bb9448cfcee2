// The Configuration page as a portable module, opened on demand: one row per
// registered settings variable (full name with its unsaved mark, value, type),
// sorted by a column, and the ways to change a variable: edit as text (booleans
// toggle), step with the arrow keys, reset, save, copy. Changes go through the
// variables, so every module applies them as it applies any setting. The Win32
// page derives from it, shows Rows() and asks for text in a dialog.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <array>

#include "shell/Tabs.h"
#include "support/ListColumns.h"
#include "support/ListViewRules.h"

namespace vexa {

class TConfigVar;

inline constexpr std::string_view kConfigPageCaption = "組態";
// Name, value and type, widths at 96 pixels per inch.
inline constexpr std::array<TListColumn, 3> ConfigPageColumns{{
    {"變量名稱", 214, TColumnAlignment::Left}, {"值", 108, TColumnAlignment::Left}, {"類型", 56, TColumnAlignment::Left}}};

struct TConfigRow {
  TConfigVar* variable = nullptr;
  std::string name;   // full name, then " *" when modified or " "
  std::string value;  // "%d: %s" for named integers, else the variable's text
  std::string type;
};

TConfigRow ConfigRowOf(TConfigVar& variable);
// The order of two variables by a column (0 name, 1 value text, 2 type), ignoring
// letter case; negative, zero or positive.
int CompareConfigVariables(const TConfigVar& a, const TConfigVar& b, int column);
// One arrow-key step: booleans toggle, colours step each byte with wrap, integers
// step within their bounds, floats by a tenth.
void AdjustConfigVariable(TConfigVar& variable, int delta);
// 輸入一個新 [TYPE] 值為 "NAME"...
std::string ConfigEditPrompt(const TConfigVar& variable);
// NAME = TEXT
std::string ConfigCopyText(const TConfigVar& variable);

class TConfigTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TConfigTab";
  static constexpr bool kNeedsSheet = true;

  explicit TConfigTab(std::unique_ptr<TSheet> sheet);
  std::string_view ClassName() const override { return kClassName; }

  // A variable registered since the last fill refills; otherwise its row follows.
  void ConfigChanged(TConfigVar* variable) override;
  void Started() override { Fill(); }

  const std::vector<TConfigRow>& Rows() const { return rows; }
  const TListSortState& Sort() const { return sort; }
  int SelectedRow() const { return selected; }
  void SelectRow(int row) { selected = row; }
  TConfigVar* Selected() const;

  // Every variable in registration order, sorted; the selected position is kept.
  void Fill();
  // A column header click: sort by it, a repeated click turns the direction.
  void SortBy(int column);
  // Booleans toggle; other variables ask for a new text (AskText) and read it.
  void Edit();
  void Adjust(int delta);
  void ResetSelected();
  // Saves every variable and clears the unsaved marks.
  void Save();
  std::string CopyText() const;

protected:
  // The rows changed: all of them (RowsChanged) or one (RowChanged). Nothing here.
  virtual void RowsChanged() {}
  virtual void RowChanged(int /*row*/) {}
  // The text-input dialog: the new text, or none when cancelled.
  virtual std::optional<std::string> AskText(const std::string& /*prompt*/, const std::string& /*initial*/) {
    return std::nullopt;
  }

private:
  void SortRows();

  std::vector<TConfigRow> rows;
  TListSortState sort;
  int selected = -1;
};

}  // namespace vexa
