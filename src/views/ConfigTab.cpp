// The Configuration module: rows of every settings variable and the changes a
// user makes to them.
#include "views/ConfigTab.h"

#include <algorithm>

#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "support/Format.h"
#include "support/Text.h"
#include "support/Utils.h"

namespace vexa {

namespace {

int CompareText(std::string_view a, std::string_view b) {
  const std::string x = LowerAscii(a), y = LowerAscii(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

std::string ValueText(const TConfigVar& variable) {
  if (const auto* named = dynamic_cast<const TConfigVarNamed*>(&variable)) return named->DisplayText();
  return variable.ToText();
}

// Each of red, green and blue moves by delta and wraps within 0..255.
std::int32_t StepColour(std::int32_t colour, int delta) {
  std::uint32_t result = static_cast<std::uint32_t>(colour) & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t channel = (static_cast<std::uint32_t>(colour) >> shift) & 0xFF;
    result |= ((channel + static_cast<std::uint32_t>(delta)) & 0xFF) << shift;
  }
  return static_cast<std::int32_t>(result);
}

}  // namespace

TConfigRow ConfigRowOf(TConfigVar& variable) {
  return {&variable, variable.FullName() + (variable.modified ? " *" : " "), ValueText(variable),
          std::string(variable.TypeName())};
}

int CompareConfigVariables(const TConfigVar& a, const TConfigVar& b, int column) {
  switch (column) {
    case 1: return CompareText(a.ToText(), b.ToText());
    case 2: return CompareText(a.TypeName(), b.TypeName());
    default: return CompareText(a.FullName(), b.FullName());
  }
}

void AdjustConfigVariable(TConfigVar& variable, int delta) {
  if (delta == 0) return;
  if (auto* boolean = dynamic_cast<TConfigVarBool*>(&variable)) {
    boolean->SetValue(!boolean->Value());
  } else if (auto* colour = dynamic_cast<TConfigVarColor*>(&variable)) {
    colour->SetValue(StepColour(colour->Value(), delta));
  } else if (auto* integer = dynamic_cast<TConfigVarInt*>(&variable)) {
    const std::int64_t next = std::int64_t{integer->Value()} + delta;
    integer->SetValue(static_cast<std::int32_t>(std::clamp<std::int64_t>(next, INT32_MIN, INT32_MAX)));
  } else if (auto* number = dynamic_cast<TConfigVarFloat*>(&variable)) {
    number->SetValue(AddTenths(number->Value(), delta));
  }
}

std::string ConfigEditPrompt(const TConfigVar& variable) {
  return Format("輸入一個新 [%s] 值為 \"%s\"...", variable.TypeName(), variable.FullName());
}

std::string ConfigCopyText(const TConfigVar& variable) {
  return Format("%s = %s", variable.FullName(), variable.ToText());
}

TConfigTab::TConfigTab(std::unique_ptr<TSheet> sheet) : TVexaTab(std::move(sheet)) {
  SetCaption(kConfigPageCaption);
  if (App().core && App().core->started) Fill();
}

TConfigVar* TConfigTab::Selected() const {
  return selected >= 0 && selected < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(selected)].variable
                                                                    : nullptr;
}

void TConfigTab::ConfigChanged(TConfigVar* variable) {
  if (!variable || !App().core || !App().core->started || !App().config) return;
  if (static_cast<int>(rows.size()) != App().config->Count()) {
    Fill();
    return;
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].variable != variable) continue;
    rows[i] = ConfigRowOf(*variable);
    RowChanged(static_cast<int>(i));
  }
}

void TConfigTab::Fill() {
  rows.clear();
  if (TEasyConfig* config = App().config) {
    for (int i = 0; i < config->Count(); ++i) rows.push_back(ConfigRowOf(*config->Variable(i)));
  }
  SortRows();
  // The same position stays selected, which after sorting may show another variable.
  if (selected >= static_cast<int>(rows.size())) selected = rows.empty() ? -1 : static_cast<int>(rows.size()) - 1;
  RowsChanged();
}

void TConfigTab::SortRows() {
  const int column = sort.column;
  const bool descending = sort.direction == TSortDirection::Descending;
  std::stable_sort(rows.begin(), rows.end(), [&](const TConfigRow& a, const TConfigRow& b) {
    const int order = CompareConfigVariables(*a.variable, *b.variable, column);
    return descending ? order > 0 : order < 0;
  });
}

void TConfigTab::SortBy(int column) {
  sort.Click(column);
  SortRows();
  RowsChanged();
}

void TConfigTab::Edit() {
  TConfigVar* variable = Selected();
  if (!variable) return;
  if (dynamic_cast<TConfigVarBool*>(variable)) {
    AdjustConfigVariable(*variable, 1);
    return;
  }
  if (const std::optional<std::string> text = AskText(ConfigEditPrompt(*variable), variable->ToText())) {
    variable->FromText(*text);
  }
}

void TConfigTab::Adjust(int delta) {
  if (TConfigVar* variable = Selected()) AdjustConfigVariable(*variable, delta);
}

void TConfigTab::ResetSelected() {
  if (TConfigVar* variable = Selected()) variable->Reset();
}

void TConfigTab::Save() {
  if (!App().config) return;
  App().config->Save(true);
  Fill();
}

std::string TConfigTab::CopyText() const {
  const TConfigVar* variable = Selected();
  return variable ? ConfigCopyText(*variable) : std::string();
}

}  // namespace vexa
