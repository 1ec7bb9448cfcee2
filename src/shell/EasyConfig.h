// The settings store: typed variables identified by section and key, one change
// event for every change, and the INI file beside the executable. Any module may
// register a variable at any time; registering an existing name of the same kind
// answers the existing variable, so two pages of one class share their settings.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/Error.h"
#include "support/IniDocument.h"

namespace vexa {

class TEasyConfig;

class EConfigError : public EVexaError {
public:
  using EVexaError::EVexaError;
};

class TConfigVar {
public:
  TConfigVar(TEasyConfig* owner, std::string_view section, std::string_view key);
  virtual ~TConfigVar() = default;
  TConfigVar(const TConfigVar&) = delete;
  TConfigVar& operator=(const TConfigVar&) = delete;

  // Called by every setter after it stored the value: outside loading, marks the
  // variable modified and fires the store's change event (also for an equal value).
  virtual void Changed();
  virtual std::size_t DataSize() const = 0;
  virtual const void* DataPointer() const = 0;
  virtual void SetFromData(const void* data) = 0;
  virtual std::string ToText() const = 0;
  virtual void FromText(std::string_view text) = 0;
  virtual std::string_view TypeName() const = 0;
  virtual void Reset() = 0;

  TEasyConfig* Owner() const { return owner; }
  const std::string& Section() const { return section; }
  const std::string& Key() const { return key; }
  std::string FullName() const { return section + "." + key; }
  bool persistent = true;
  bool modified = false;

private:
  TEasyConfig* owner;
  std::string section;
  std::string key;
};

class TConfigVarBool : public TConfigVar {
public:
  static constexpr std::string_view kTypeName = "boolean";
  // Answers the existing variable of that name, or registers a new one.
  static TConfigVarBool* Register(TEasyConfig* store, std::string_view section, bool defaultValue,
                                  std::string_view key);
  TConfigVarBool(TEasyConfig* store, bool defaultValue, std::string_view key, std::string_view section);

  bool Value() const { return value; }
  bool Default() const { return defaultValue; }
  void SetValue(bool newValue);

  std::size_t DataSize() const override { return 1; }
  const void* DataPointer() const override { return &value; }
  void SetFromData(const void* data) override;
  std::string ToText() const override;
  void FromText(std::string_view text) override;
  std::string_view TypeName() const override { return kTypeName; }
  void Reset() override { SetValue(defaultValue); }

private:
  bool value;
  bool defaultValue;
};

class TConfigVarInt : public TConfigVar {
public:
  static constexpr std::string_view kTypeName = "integer";
  static TConfigVarInt* Register(TEasyConfig* store, std::string_view section, std::int32_t defaultValue,
                                 std::string_view key);
  TConfigVarInt(TEasyConfig* store, std::int32_t defaultValue, std::string_view key, std::string_view section);

  std::int32_t Value() const { return value; }
  std::int32_t Default() const { return defaultValue; }
  // Clamps into minimum .. maximum, stores, then Changed.
  void SetValue(std::int32_t newValue);
  // Stores without clamping or event, for the values the window keeps in step
  // with its geometry; marks the variable modified.
  void StoreSilently(std::int32_t newValue);

  std::size_t DataSize() const override { return 4; }
  const void* DataPointer() const override { return &value; }
  void SetFromData(const void* data) override;
  std::string ToText() const override;
  void FromText(std::string_view text) override;
  std::string_view TypeName() const override { return kTypeName; }
  void Reset() override { SetValue(defaultValue); }

  std::int32_t minimum = INT32_MIN;
  std::int32_t maximum = INT32_MAX;
  bool hexadecimal = false;

protected:
  std::int32_t value;
  std::int32_t defaultValue;
};

class TConfigVarNamed : public TConfigVarInt {
public:
  static TConfigVarNamed* Register(TEasyConfig* store, std::string_view section, std::int32_t defaultValue,
                                   std::string_view key);
  using TConfigVarInt::TConfigVarInt;
  // "2: 傳輸速率" for a named value, the plain number otherwise.
  std::string DisplayText() const;
  std::vector<std::string> names;
};

class TConfigVarColor : public TConfigVarInt {
public:
  static TConfigVarColor* Register(TEasyConfig* store, std::string_view section, std::int32_t defaultValue,
                                   std::string_view key);
  using TConfigVarInt::TConfigVarInt;
  std::string ToText() const override;
  void FromText(std::string_view text) override;
  // "rgb(r,g,b)": true and the colour (red in the low byte) when the text has that form.
  static bool ParseRgb(std::string_view text, std::int32_t* colour);
};

class TConfigVarFloat : public TConfigVar {
public:
  static constexpr std::string_view kTypeName = "float";
  static TConfigVarFloat* Register(TEasyConfig* store, std::string_view section, long double defaultValue,
                                   std::string_view key);
  TConfigVarFloat(TEasyConfig* store, long double defaultValue, std::string_view key, std::string_view section);

  long double Value() const { return value; }
  long double Default() const { return defaultValue; }
  void SetValue(long double newValue);

  std::size_t DataSize() const override { return 10; }
  const void* DataPointer() const override { return &value; }
  void SetFromData(const void* data) override;
  std::string ToText() const override;
  void FromText(std::string_view text) override;
  std::string_view TypeName() const override { return kTypeName; }
  void Reset() override { SetValue(defaultValue); }

private:
  long double value;
  long double defaultValue;
};

class TConfigVarStr : public TConfigVar {
public:
  static constexpr std::string_view kTypeName = "string";
  static TConfigVarStr* Register(TEasyConfig* store, std::string_view section, std::string_view defaultValue,
                                 std::string_view key);
  TConfigVarStr(TEasyConfig* store, std::string_view defaultValue, std::string_view key, std::string_view section);

  const std::string& Value() const { return value; }
  const std::string& Default() const { return defaultValue; }
  void SetValue(std::string_view newValue);

  std::size_t DataSize() const override { return value.size() + 1; }
  const void* DataPointer() const override { return value.c_str(); }
  void SetFromData(const void* data) override;
  std::string ToText() const override { return value; }
  void FromText(std::string_view text) override { SetValue(text); }
  std::string_view TypeName() const override { return kTypeName; }
  void Reset() override { SetValue(defaultValue); }

private:
  std::string value;
  std::string defaultValue;
};

class TEasyConfig {
public:
  using TChangeEvent = std::function<void(TConfigVar* variable)>;

  TEasyConfig() = default;
  virtual ~TEasyConfig();
  TEasyConfig(const TEasyConfig&) = delete;
  TEasyConfig& operator=(const TEasyConfig&) = delete;

  // Loads every variable silently, then announces each one through the event.
  virtual void LoadAll();
  virtual void LoadVariable(TConfigVar* variable) = 0;
  virtual void Save(bool clearModified) = 0;

  void Add(TConfigVar* variable);  // takes ownership
  int Count() const { return static_cast<int>(variables.size()); }
  TConfigVar* Variable(int index) const;
  int IndexOf(std::string_view fullName) const;
  TConfigVar* Find(std::string_view fullName) const;
  template <typename T>
  T* FindAs(std::string_view fullName) const {
    return dynamic_cast<T*>(Find(fullName));
  }
  void NotifyAll(bool onlyModified);
  void Clear();

  TChangeEvent onChange;
  bool loading = false;
  bool saveOnlyModified = true;
  bool loadOnRegister = false;

private:
  std::vector<std::unique_ptr<TConfigVar>> variables;
};

// The store on an INI file. The file is read once per LoadAll (and once for each
// variable registered later); Save rewrites it once, keeping every line it does not
// change. A file that exists but cannot be read (or is larger than
// kMaxFileBytes) is never overwritten, so a save cannot destroy settings it did not see.
class TEasyConfigIni : public TEasyConfig {
public:
  static constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

  explicit TEasyConfigIni(std::string_view fileName);
  void LoadAll() override;
  void LoadVariable(TConfigVar* variable) override;
  void Save(bool clearModified) override;
  const std::string& FileName() const { return fileName; }

  // The text a persistent variable is written as: quoted when it starts or ends
  // with a blank, a tab, a line break (written as a blank) or a quote, so the
  // reader gives back this value, line breaks as blanks.
  static std::string QuoteForFile(std::string_view value);

private:
  // 0: read; 1: absent; 2: present but unreadable.
  int ReadDocument(TIniDocument& document) const;

  std::string fileName;
  const TIniDocument* loadingDocument = nullptr;
};

}  // namespace vexa
