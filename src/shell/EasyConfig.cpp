// Settings variables, the store and its INI file.
#include "shell/EasyConfig.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "support/Format.h"
#include "support/Paths.h"
#include "support/Text.h"

namespace vexa {

namespace {

constexpr std::string_view kTrueText = "屬實";
constexpr std::string_view kTrueTextCp950 = "\xC4\xDD\xB9\xEA";  // the same word in code page 950 bytes
constexpr std::string_view kAbsent = "\x1B";                      // default that tells an absent key

template <typename TVar, typename TDefault>
TVar* RegisterKind(TEasyConfig* store, std::string_view section, TDefault defaultValue, std::string_view key) {
  if (store) {
    const std::string fullName = std::string(section) + "." + std::string(key);
    if (TConfigVar* existing = store->Find(fullName)) {
      if (auto* same = dynamic_cast<TVar*>(existing)) return same;
      throw EConfigError(Format("Config variable \"%s\", with type %s, already exists as %s", fullName,
                                TVar::kTypeName, existing->TypeName()));
    }
  }
  auto variable = std::make_unique<TVar>(store, defaultValue, key, section);
  TVar* result = variable.get();
  store->Add(variable.release());
  return result;
}

}  // namespace

// --- TConfigVar -------------------------------------------------------------------

TConfigVar::TConfigVar(TEasyConfig* store, std::string_view sectionName, std::string_view keyName)
    : owner(store), section(sectionName), key(keyName) {
  if (!owner) throw EConfigError("Config variable must have an owner");
  if (section.empty() || key.empty()) throw EConfigError("Config variable must have a valid namespace and name");
  if (owner->Find(FullName())) throw EConfigError(Format("A config variable named \"%s.%s\" already exists", section, key));
}

void TConfigVar::Changed() {
  if (owner->loading) return;
  modified = true;
  if (owner->onChange) owner->onChange(this);
}

// --- Boolean ----------------------------------------------------------------------

TConfigVarBool* TConfigVarBool::Register(TEasyConfig* store, std::string_view section, bool defaultValue,
                                         std::string_view key) {
  return RegisterKind<TConfigVarBool>(store, section, defaultValue, key);
}

TConfigVarBool::TConfigVarBool(TEasyConfig* store, bool defaultValue, std::string_view key, std::string_view section)
    : TConfigVar(store, section, key), value(defaultValue), defaultValue(defaultValue) {}

void TConfigVarBool::SetValue(bool newValue) {
  value = newValue;
  Changed();
}

void TConfigVarBool::SetFromData(const void* data) { SetValue(*static_cast<const std::uint8_t*>(data) != 0); }

std::string TConfigVarBool::ToText() const { return value ? std::string(kTrueText) : "false"; }

void TConfigVarBool::FromText(std::string_view text) {
  // Hand-written "true" reads as false: only the program's own word and "1" count.
  SetValue(text == kTrueText || text == kTrueTextCp950 || text == "1");
}

// --- Integer kinds ----------------------------------------------------------------

TConfigVarInt* TConfigVarInt::Register(TEasyConfig* store, std::string_view section, std::int32_t defaultValue,
                                       std::string_view key) {
  return RegisterKind<TConfigVarInt>(store, section, defaultValue, key);
}

TConfigVarInt::TConfigVarInt(TEasyConfig* store, std::int32_t defaultValue, std::string_view key,
                             std::string_view section)
    : TConfigVar(store, section, key), value(defaultValue), defaultValue(defaultValue) {}

void TConfigVarInt::SetValue(std::int32_t newValue) {
  value = newValue < minimum ? minimum : newValue > maximum ? maximum : newValue;
  Changed();
}

void TConfigVarInt::StoreSilently(std::int32_t newValue) {
  value = newValue;
  modified = true;
}

void TConfigVarInt::SetFromData(const void* data) {
  std::int32_t raw;
  std::memcpy(&raw, data, sizeof raw);
  SetValue(raw);
}

std::string TConfigVarInt::ToText() const {
  return hexadecimal ? Format("0x%x", value) : Format("%d", value);
}

void TConfigVarInt::FromText(std::string_view text) {
  std::int32_t parsed;
  if (TryParseInt32(text, parsed)) SetValue(parsed);
}

TConfigVarNamed* TConfigVarNamed::Register(TEasyConfig* store, std::string_view section, std::int32_t defaultValue,
                                           std::string_view key) {
  return RegisterKind<TConfigVarNamed>(store, section, defaultValue, key);
}

std::string TConfigVarNamed::DisplayText() const {
  if (value >= 0 && static_cast<std::size_t>(value) < names.size()) return Format("%d: %s", value, names[value]);
  return ToText();
}

TConfigVarColor* TConfigVarColor::Register(TEasyConfig* store, std::string_view section, std::int32_t defaultValue,
                                           std::string_view key) {
  return RegisterKind<TConfigVarColor>(store, section, defaultValue, key);
}

static std::uint32_t SwapRedBlue(std::uint32_t colour) {
  return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

std::string TConfigVarColor::ToText() const {
  return LowerAscii(Format("#%.6x", SwapRedBlue(static_cast<std::uint32_t>(value))));
}

void TConfigVarColor::FromText(std::string_view text) {
  std::int32_t parsed;
  if (!text.empty() && text.front() == '#') {
    const std::string hex = "$" + std::string(text.substr(1));
    if (text.size() > 1 && TryParseInt32(hex, parsed))
      SetValue(static_cast<std::int32_t>(SwapRedBlue(static_cast<std::uint32_t>(parsed))));
  } else if (ParseRgb(text, &parsed)) {
    SetValue(parsed);
  } else if (TryParseInt32(text, parsed)) {
    SetValue(parsed);
  }
}

bool TConfigVarColor::ParseRgb(std::string_view text, std::int32_t* colour) {
  text = Trim(text);
  if (!colour || text.size() < 9 || !SameTextAscii(text.substr(0, 4), "rgb(")) return false;
  std::uint32_t result = 0;
  std::size_t start = 4;
  for (int component = 0; component < 3; ++component) {
    std::size_t stop = start + 1;
    while (stop < text.size() && text[stop] != ',' && text[stop] != ')') ++stop;
    const std::string_view part = start < text.size() ? text.substr(start, stop - start) : std::string_view();
    std::int32_t number;
    if (!TryParseInt32(Trim(part), number) || Trim(part).find_first_of("$xX") != std::string_view::npos) number = 0;
    result |= static_cast<std::uint32_t>(number & 0xFF) << (8 * component);
    start = stop + 1;
  }
  *colour = static_cast<std::int32_t>(result);
  return true;
}

// --- Float ------------------------------------------------------------------------

TConfigVarFloat* TConfigVarFloat::Register(TEasyConfig* store, std::string_view section, long double defaultValue,
                                           std::string_view key) {
  return RegisterKind<TConfigVarFloat>(store, section, defaultValue, key);
}

TConfigVarFloat::TConfigVarFloat(TEasyConfig* store, long double defaultValue, std::string_view key,
                                 std::string_view section)
    : TConfigVar(store, section, key), value(defaultValue), defaultValue(defaultValue) {}

void TConfigVarFloat::SetValue(long double newValue) {
  value = newValue;
  Changed();
}

void TConfigVarFloat::SetFromData(const void* data) {
  long double raw = 0;
  std::memcpy(&raw, data, 10);  // the 80-bit value; any padding stays zero
  SetValue(raw);
}

// General format: up to 18 significant digits, fixed notation unless the exponent
// is 18 or more or the value is below 1e-5, exponents of at least four digits
// ("1.5e0020", "2e-0007").
std::string TConfigVarFloat::ToText() const {
  if (!std::isfinite(value)) return std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf";
  if (value == 0) return "0";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17Le", value);
  std::string text(buffer);
  const std::size_t e = text.find('e');
  const int exponent = std::atoi(text.c_str() + e + 1);
  std::string mantissa = text.substr(0, e);
  const bool negative = mantissa.front() == '-';
  if (negative) mantissa.erase(0, 1);
  std::string digits = mantissa.substr(0, 1) + mantissa.substr(2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string result;
  if (exponent >= 18 || exponent < -5) {
    result = digits.substr(0, 1);
    if (digits.size() > 1) result += "." + digits.substr(1);
    result += Format("e%s%.4d", exponent < 0 ? "-" : "", exponent < 0 ? -exponent : exponent);
  } else if (exponent < 0) {
    result = "0." + std::string(-exponent - 1, '0') + digits;
  } else {
    if (static_cast<int>(digits.size()) <= exponent + 1) {
      result = digits + std::string(exponent + 1 - digits.size(), '0');
    } else {
      result = digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
    }
  }
  if (NumberFormat().decimalSeparator != '.')
    for (char& c : result)
      if (c == '.') c = NumberFormat().decimalSeparator;
  return (negative ? "-" : "") + result;
}

void TConfigVarFloat::FromText(std::string_view text) {
  std::string normal(Trim(text));
  for (char& c : normal)
    if (c == NumberFormat().decimalSeparator) c = '.';
  if (normal.empty() || normal.find_first_not_of("+-.0123456789eE") != std::string::npos) return;
  const char* begin = normal.c_str();
  if (*begin == '+') ++begin;
  char* end = nullptr;
  const long double parsed = std::strtold(begin, &end);
  if (end == begin || *end != '\0' || !std::isfinite(parsed)) return;
  SetValue(parsed);
}

// --- String -----------------------------------------------------------------------

TConfigVarStr* TConfigVarStr::Register(TEasyConfig* store, std::string_view section, std::string_view defaultValue,
                                       std::string_view key) {
  return RegisterKind<TConfigVarStr>(store, section, defaultValue, key);
}

TConfigVarStr::TConfigVarStr(TEasyConfig* store, std::string_view defaultValue, std::string_view key,
                             std::string_view section)
    : TConfigVar(store, section, key), value(defaultValue), defaultValue(defaultValue) {}

void TConfigVarStr::SetValue(std::string_view newValue) {
  value = std::string(newValue);
  Changed();
}

void TConfigVarStr::SetFromData(const void* data) { SetValue(static_cast<const char*>(data)); }

// --- The store --------------------------------------------------------------------

TEasyConfig::~TEasyConfig() { Clear(); }

void TEasyConfig::LoadAll() {
  loading = true;
  try {
    for (auto& variable : variables) LoadVariable(variable.get());
  } catch (...) {
    loading = false;
    throw;
  }
  loading = false;
  NotifyAll(false);
}

void TEasyConfig::Add(TConfigVar* variable) {
  variables.emplace_back(variable);
  if (loadOnRegister) LoadVariable(variable);
}

TConfigVar* TEasyConfig::Variable(int index) const {
  return index >= 0 && index < Count() ? variables[index].get() : nullptr;
}

int TEasyConfig::IndexOf(std::string_view fullName) const {
  for (int i = 0; i < Count(); ++i)
    if (variables[i]->FullName() == fullName) return i;
  return -1;
}

TConfigVar* TEasyConfig::Find(std::string_view fullName) const { return Variable(IndexOf(fullName)); }

void TEasyConfig::NotifyAll(bool onlyModified) {
  if (!onChange) return;
  // By index: a handler may register new variables while the announcement runs.
  for (std::size_t i = 0; i < variables.size(); ++i)
    if (!onlyModified || variables[i]->modified) onChange(variables[i].get());
}

void TEasyConfig::Clear() { variables.clear(); }

// --- INI store --------------------------------------------------------------------

TEasyConfigIni::TEasyConfigIni(std::string_view name) : fileName(name) {}

int TEasyConfigIni::ReadDocument(TIniDocument& document) const {
  if (!std::filesystem::exists(PathFromUtf8(fileName))) return 1;
  std::string contents;
  if (!ReadFileBytes(fileName, contents, kMaxFileBytes)) return 2;
  document.Parse(contents);
  return 0;
}

void TEasyConfigIni::LoadAll() {
  TIniDocument document;
  ReadDocument(document);
  loadingDocument = &document;
  try {
    TEasyConfig::LoadAll();
  } catch (...) {
    loadingDocument = nullptr;
    throw;
  }
  loadingDocument = nullptr;
}

void TEasyConfigIni::LoadVariable(TConfigVar* variable) {
  if (!variable->persistent) return;
  TIniDocument own;
  const TIniDocument* document = loadingDocument;
  if (!document) {
    ReadDocument(own);
    document = &own;
  }
  const std::string text = document->Read(variable->Section(), variable->Key()).value_or(std::string(kAbsent));
  if (text == kAbsent)
    variable->Reset();
  else
    variable->FromText(text);
}

std::string TEasyConfigIni::QuoteForFile(std::string_view value) {
  if (value.empty()) return {};
  // Line breaks and NULs are written as blanks, so they count as blanks here.
  auto needsQuotes = [](char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0' || c == '"' || c == '\'';
  };
  if (needsQuotes(value.front()) || needsQuotes(value.back())) return "\"" + std::string(value) + "\"";
  return std::string(value);
}

void TEasyConfigIni::Save(bool clearModified) {
  TIniDocument document;
  const int state = ReadDocument(document);
  bool changed = false;
  for (int i = 0; i < Count(); ++i) {
    TConfigVar* variable = Variable(i);
    if (!variable->persistent || (saveOnlyModified && !variable->modified)) continue;
    document.Write(variable->Section(), variable->Key(), QuoteForFile(variable->ToText()));
    changed = true;
    if (clearModified) variable->modified = false;
  }
  // Unwritable files are not reported: the values are simply not kept.
  if (changed && state != 2) WriteFileAtomically(fileName, document.Serialize());
}

}  // namespace vexa
