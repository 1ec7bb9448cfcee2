// The SMART descriptor: what one controller family's attributes are called, how
// their raw values read, how each compares with its threshold, and which
// attributes stand for power-on time, cycles, temperature, writes, reads and life.
// A descriptor reads, never owns, its device's attribute table; without a table
// every search finds none and every threshold is 0.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "knowledge/SmartAttributes.h"
#include "knowledge/SmartNameTables.h"

namespace vexa {

enum class TSmartDescriptorKind : std::uint8_t {
  Samsung,
  Intel,
  SandForce,
  Marvell,
  JMicron,
  Indilinx,
  SiliconMotion,
  LinkAMedia,
  Phison,
  MechWdc,
  Fallback,
};
constexpr std::size_t kSmartDescriptorKindCount = 11;

// The class name without its family prefix: "Samsung", "Fallback", ...
std::string_view SmartDescriptorKindName(TSmartDescriptorKind kind);

enum class TSmartKeyKind : int {
  PowerOnHours = 0,
  PowerCycles = 1,
  Temperature = 2,
  HostWrites = 3,
  HostReads = 4,
  RemainingLife = 5,
};
constexpr int kSmartKeyKindCount = 6;

// Ordered: the worst verdict of a table is the largest value.
enum class TSmartStatus : int {
  None = 0,
  Good = 1,
  WorstReached = 2,    // the worst value has reached the threshold
  CurrentReached = 3,  // the current value has reached the threshold
};

class TSmartDescriptor {
public:
  virtual ~TSmartDescriptor() = default;
  TSmartDescriptor(const TSmartDescriptor&) = delete;
  TSmartDescriptor& operator=(const TSmartDescriptor&) = delete;

  virtual std::string FormatRawValue(TSmartEntry entry) const;
  virtual TSmartStatus AttributeStatus(TSmartEntry entry) const;
  // None for a kind the family has no attribute for, or a kind outside 0..5.
  virtual TSmartEntry FindKeyAttribute(TSmartKeyKind kind) const;

  // "<Unknown>" for id 0 and for ids without a name.
  std::string_view AttributeName(int id) const;
  std::string FormatHours(std::uint32_t hours) const;
  std::string FormatTemperature(std::uint8_t value) const;

  TSmartDescriptorKind Kind() const { return kind; }
  std::string_view DisplayName() const { return SmartDescriptorKindName(kind); }

  const TSmartAttributes* Attributes() const { return attributes; }
  void SetAttributes(const TSmartAttributes* table) { attributes = table; }
  bool Fahrenheit() const { return fahrenheit; }
  void SetFahrenheit(bool value) { fahrenheit = value; }

protected:
  TSmartDescriptor(TSmartDescriptorKind kind, std::span<const TSmartNameRow> ownNames);

  TSmartEntry FindById(std::uint8_t id) const;
  TSmartEntry FindFirstOf(std::initializer_list<std::uint8_t> ids) const;
  // Helpers of the subclasses' raw-value rules.
  static std::string Percent(std::uint32_t value);
  static std::string ByteSize(std::uint64_t count, std::uint64_t unitBytes);
  static std::string MarkedByteSize(std::uint64_t count, std::uint64_t unitBytes);
  static std::string Plain(std::uint64_t value);
  // The rules two controller families share: 231 remaining life, 241/242 GiB counts.
  std::string FormatLifeAndGiB(TSmartEntry entry) const;

private:
  TSmartDescriptorKind kind;
  const TSmartAttributes* attributes = nullptr;
  std::array<std::string_view, 256> names{};  // indexed by id; empty = no name
  bool fahrenheit = false;
};

}  // namespace vexa
