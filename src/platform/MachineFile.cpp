// Reader of machine files. Line by line: a header, sections ([os], [device PATH],
// [volume X:]) of "key value..." lines, and hex or table blocks closed by "end".
// Every problem stops the reading with the file, the line and what is wrong; what a
// file leaves out is derived afterwards (size and geometry from IDENTIFY or the NVMe
// namespace, descriptor texts from IDENTIFY or Identify Controller, volume sizes from
// the partition layout).
#include "platform/MachineFile.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/MachineFileNvme.h"
#include "support/Bytes.h"
#include "support/Error.h"
#include "support/Format.h"
#include "support/Paths.h"
#include "support/Text.h"

namespace vexa {

const std::array<std::string_view, kMachineRouteCount> kMachineRouteNames = {
    "ata", "sat", "smart", "miniport", "property", "number", "geometry", "length", "partition", "layout"};

namespace {

constexpr std::size_t kMaxFileBytes = 16u << 20;
constexpr std::size_t kIdentifyWords = 256;
constexpr std::size_t kBlockBytes = 512;
constexpr std::size_t kNvmeBlockBytes = 4096;
constexpr std::size_t kSmartEntries = 30;
constexpr std::size_t kMaxShown = 40;
// {EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}, the basic-data partition type.
constexpr TGuid kBasicDataGuid = {0xA2, 0xA0, 0xD0, 0xEB, 0xE5, 0xB9, 0x33, 0x44,
                                  0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7};

struct TToken {
  std::string text;
  bool quoted = false;
};

// Messages quote what they found; long or binary junk is cut to something readable.
std::string Shown(std::string_view text) {
  std::string shown;
  for (char c : text.substr(0, kMaxShown))
    shown += static_cast<unsigned char>(c) >= 0x20 && c != 0x7F ? c : '?';
  if (text.size() > kMaxShown) shown += "...";
  return shown;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseUnsigned(std::string_view text, std::uint64_t& value) {
  value = 0;
  if (text.empty()) return false;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  if (hex) text.remove_prefix(2);
  const unsigned base = hex ? 16 : 10;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0 || static_cast<unsigned>(digit) >= base) return false;
    if (value > (~std::uint64_t{0} - static_cast<unsigned>(digit)) / base) return false;
    value = value * base + static_cast<unsigned>(digit);
  }
  return true;
}

// "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}", braces optional, any case.
bool ParseGuid(std::string_view text, TGuid& guid) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36) return false;
  std::array<std::uint8_t, 16> bytes{};  // in text order
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i] != '-') return false;
      ++i;
      continue;
    }
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0 || count == bytes.size()) return false;
    bytes[count++] = static_cast<std::uint8_t>(high * 16 + low);
    i += 2;
  }
  if (count != 16) return false;
  // The first three fields are stored little-endian.
  guid = {bytes[3], bytes[2], bytes[1], bytes[0], bytes[5], bytes[4], bytes[7], bytes[6],
          bytes[8], bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]};
  return true;
}

std::uint16_t IdentifyWord(const TBlock512& block, std::size_t word) {
  return GetU16(block, word * 2);
}

// ATA text: two characters per word, high byte first; trimmed.
std::string IdentifyText(const TBlock512& block, std::size_t firstWord, std::size_t words) {
  std::string text;
  for (std::size_t w = firstWord; w < firstWord + words; ++w) {
    const std::uint16_t value = IdentifyWord(block, w);
    text += static_cast<char>(value >> 8);
    text += static_cast<char>(value & 0xFF);
  }
  return std::string(Trim(text));
}

std::uint64_t IdentifySectors(const TBlock512& block) {
  const std::uint16_t word83 = IdentifyWord(block, 83);
  const bool valid83 = (word83 & 0xC000) == 0x4000;
  if (valid83 && (word83 & 0x0400)) {
    return GetU64(block, 200) & 0x0000FFFFFFFFFFFFull;
  }
  return GetU32(block, 120);
}

enum class TSection : std::uint8_t { None, Os, Device, Volume };
enum class TBlockKind : std::uint8_t {
  None,
  Identify,
  SmartData,
  SmartThresholds,
  SmartTable,
  NvmeIdentify,
  NvmeNamespace,
  NvmeHealth,       // hexadecimal bytes, or a table once its first line names a field
  NvmeHealthTable,
};

// What a device section stated, so that the rest can be derived afterwards.
struct TDeviceGiven {
  bool kind = false;
  bool number = false;
  bool size = false;
  bool geometry = false;
  bool busType = false;
  bool deviceType = false;
  bool removable = false;
  bool commandQueueing = false;
  bool product = false;
  bool revision = false;
  bool serial = false;
  bool layout = false;
  TMachineGeometry geometryValues;
  std::size_t geometryLine = 0;
  std::size_t nvmeNamespaceLine = 0;
};

struct TVolumeGiven {
  bool size = false;
  bool dosDevice = false;
  bool guidPath = false;
  bool attributes = false;
};

class TMachineFileParser {
public:
  explicit TMachineFileParser(std::string_view fileName) { machine.fileName = fileName; }

  TMachineFile Parse(std::string_view text) {
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    bool classicGiven = false;
    for (std::string_view line : SplitLines(text)) {
      ++lineNumber;
      if (!IsValidUtf8(line)) Fail("the line is not UTF-8 text");
      if (line.find('\0') != std::string_view::npos) Fail("the line holds a NUL character");
      if (block != TBlockKind::None) {
        const std::vector<TToken> tokens = Tokenize(line);
        if (tokens.size() == 1 && !tokens[0].quoted && tokens[0].text == "end") {
          FinishBlock();
        } else if (!tokens.empty()) {
          BlockLine(tokens);
        }
        continue;
      }
      const std::string_view trimmed = Trim(line);
      if (!headerSeen) {
        if (trimmed.empty() || trimmed.front() == '#') continue;
        const std::vector<TToken> tokens = Tokenize(line);
        if (tokens.size() != 2 || tokens[0].text != "vexa-machine") {
          Fail("a machine file starts with the line \"vexa-machine 1\"");
        }
        if (tokens[1].text != "1") Fail(Format("format version \"%s\" is not known (1 is)", Shown(tokens[1].text)));
        headerSeen = true;
        continue;
      }
      if (!trimmed.empty() && trimmed.front() == '[') {
        SectionHeader(trimmed);
        continue;
      }
      const std::vector<TToken> tokens = Tokenize(line);
      if (tokens.empty()) continue;
      switch (section) {
        case TSection::None:
          Fail(Format("\"%s\" stands before the first section ([os], [device ...] or [volume ...])",
                      Shown(tokens[0].text)));
        case TSection::Os:
          if (tokens[0].text == "classic-version") classicGiven = true;
          OsKey(tokens);
          break;
        case TSection::Device:
          DeviceKey(tokens);
          break;
        case TSection::Volume:
          VolumeKey(tokens);
          break;
      }
    }
    if (block != TBlockKind::None) {
      lineNumber = blockLine;
      Fail("the block is not closed by a line \"end\"");
    }
    if (!headerSeen) {
      lineNumber = std::max<std::size_t>(lineNumber, 1);
      Fail("the file is empty: a machine file starts with the line \"vexa-machine 1\"");
    }
    if (!classicGiven) machine.os.classicVersion = machine.os.version;
    Complete();
    return std::move(machine);
  }

private:
  TMachineFile machine;
  std::vector<TDeviceGiven> devicesGiven;
  std::vector<TVolumeGiven> volumesGiven;
  std::size_t lineNumber = 0;
  bool headerSeen = false;
  TSection section = TSection::None;
  TBlockKind block = TBlockKind::None;
  std::size_t blockLine = 0;
  std::vector<std::uint8_t> blockBytes;
  std::vector<TSmartTableRow> tableRows;
  TBlock512 healthTable{};
  std::vector<const TNvmeHealthKey*> healthGiven;

  [[noreturn]] void Fail(const std::string& problem) const {
    throw EVexaError(Format("%s:%u: %s", machine.fileName, lineNumber, problem));
  }

  TMachineDevice& Device() { return machine.devices.back(); }
  TDeviceGiven& DeviceGiven() { return devicesGiven.back(); }
  TMachineVolume& Volume() { return machine.volumes.back(); }

  std::vector<TToken> Tokenize(std::string_view line) const {
    std::vector<TToken> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
      if (i == line.size() || line[i] == '#') break;
      TToken token;
      if (line[i] == '"') {
        token.quoted = true;
        ++i;
        bool closed = false;
        while (i < line.size()) {
          const char c = line[i++];
          if (c == '"') {
            closed = true;
            break;
          }
          if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
            token.text += line[i++];
          } else if (c == '\\' && i + 2 < line.size() && line[i] == 'x' && HexDigit(line[i + 1]) >= 0 &&
                     HexDigit(line[i + 2]) >= 0) {
            // \xNN: a byte a line of text cannot hold (control characters, bytes that are not UTF-8).
            token.text += static_cast<char>(HexDigit(line[i + 1]) * 16 + HexDigit(line[i + 2]));
            i += 3;
          } else {
            token.text += c;
          }
        }
        if (!closed) Fail("a quoted text is not closed by \"");
        if (i < line.size() && line[i] != ' ' && line[i] != '\t') Fail("a quoted text must be followed by a blank");
      } else {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') token.text += line[i++];
      }
      tokens.push_back(std::move(token));
    }
    return tokens;
  }

  std::uint64_t Number(const TToken& token, std::uint64_t max, std::string_view what) const {
    std::uint64_t value = 0;
    if (token.quoted || !ParseUnsigned(token.text, value)) {
      Fail(Format("%s: \"%s\" is not a number (decimal, or hexadecimal after 0x)", what, Shown(token.text)));
    }
    if (value > max) Fail(Format("%s: %s is larger than %s", what, token.text, std::to_string(max)));
    return value;
  }
  std::uint32_t Number32(const TToken& token, std::string_view what) const {
    return static_cast<std::uint32_t>(Number(token, 0xFFFFFFFFu, what));
  }
  std::uint8_t Number8(const TToken& token, std::string_view what) const {
    return static_cast<std::uint8_t>(Number(token, 0xFF, what));
  }

  bool Bool(const TToken& token, std::string_view what) const {
    if (token.text == "yes" || token.text == "true" || token.text == "1") return true;
    if (token.text == "no" || token.text == "false" || token.text == "0") return false;
    Fail(Format("%s: \"%s\" is neither yes nor no", what, Shown(token.text)));
  }

  TGuid Guid(const TToken& token, std::string_view what) const {
    TGuid guid{};
    if (!ParseGuid(token.text, guid)) {
      Fail(Format("%s: \"%s\" is not a GUID like {EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}", what,
                  Shown(token.text)));
    }
    return guid;
  }

  // key value: exactly one value.
  const TToken& Single(const std::vector<TToken>& tokens) const {
    if (tokens.size() != 2) Fail(Format("\"%s\" takes one value", tokens[0].text));
    return tokens[1];
  }

  // name value name value ... after the first `skip` tokens; each name once at most.
  template <typename THandler>
  void Pairs(const std::vector<TToken>& tokens, std::size_t skip, THandler&& handler) const {
    if ((tokens.size() - skip) % 2 != 0) {
      Fail(Format("\"%s\" takes pairs of a name and a value", tokens[0].text));
    }
    for (std::size_t i = skip; i < tokens.size(); i += 2) {
      for (std::size_t j = skip; j < i; j += 2) {
        if (tokens[j].text == tokens[i].text) Fail(Format("\"%s\" is given twice", Shown(tokens[i].text)));
      }
      if (!handler(tokens[i].text, tokens[i + 1])) {
        Fail(Format("\"%s\" does not know \"%s\"", tokens[0].text, Shown(tokens[i].text)));
      }
    }
  }

  TOsVersion Version(const TToken& token) const {
    TOsVersion version;
    std::array<std::uint32_t*, 3> parts = {&version.major, &version.minor, &version.build};
    std::string_view rest = token.text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      const std::size_t dot = i + 1 < parts.size() ? rest.find('.') : rest.size();
      std::uint64_t value = 0;
      if (dot == std::string_view::npos || !ParseUnsigned(rest.substr(0, dot), value) || value > 0xFFFFFFFFu) {
        Fail(Format("\"%s\" is not a version like 6.1.7601", Shown(token.text)));
      }
      *parts[i] = static_cast<std::uint32_t>(value);
      rest.remove_prefix(std::min(rest.size(), dot + 1));
    }
    return version;
  }

  void SectionHeader(std::string_view trimmed) {
    const std::size_t close = trimmed.find(']');
    if (close == std::string_view::npos) Fail("a section header ends with ]");
    const std::string_view after = Trim(trimmed.substr(close + 1));
    if (!after.empty() && after.front() != '#') Fail("nothing but a comment may follow a section header");
    const std::string_view inner = Trim(trimmed.substr(1, close - 1));
    const std::size_t blank = inner.find_first_of(" \t");
    const std::string_view kind = inner.substr(0, blank);
    const std::string_view name = blank == std::string_view::npos ? std::string_view{} : Trim(inner.substr(blank));
    if (kind == "os") {
      if (!name.empty()) Fail("[os] takes no name");
      section = TSection::Os;
    } else if (kind == "device") {
      if (name.empty()) Fail("[device] needs a path, as in [device \\\\.\\PhysicalDrive0]");
      for (const TMachineDevice& other : machine.devices) {
        if (SameTextAscii(other.path, name)) {
          Fail(Format("device %s is already described at line %u", Shown(name), other.line));
        }
      }
      TMachineDevice device;
      device.line = lineNumber;
      device.path = name;
      machine.devices.push_back(std::move(device));
      devicesGiven.emplace_back();
      section = TSection::Device;
    } else if (kind == "volume") {
      const bool letter = (name.size() == 1 || (name.size() == 2 && name[1] == ':')) &&
                          ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
      if (!letter) Fail("[volume] needs a drive letter, as in [volume C:]");
      const char upper = static_cast<char>(name[0] & ~0x20);
      for (const TMachineVolume& other : machine.volumes) {
        if (other.letter == upper) {
          Fail(Format("volume %s: is already described at line %u", std::string(1, upper), other.line));
        }
      }
      TMachineVolume volume;
      volume.line = lineNumber;
      volume.letter = upper;
      machine.volumes.push_back(std::move(volume));
      volumesGiven.emplace_back();
      section = TSection::Volume;
    } else {
      Fail(Format("unknown section [%s] (os, device or volume)", Shown(kind)));
    }
  }

  void OsKey(const std::vector<TToken>& tokens) {
    const std::string& key = tokens[0].text;
    TMachineOs& os = machine.os;
    if (key == "version") {
      os.version = Version(Single(tokens));
    } else if (key == "classic-version") {
      os.classicVersion = Version(Single(tokens));
    } else if (key == "disable-delete-notification") {
      const TToken& value = Single(tokens);
      if (value.text == "none") {
        os.disableDeleteNotification.reset();
      } else {
        os.disableDeleteNotification = Number32(value, key);
      }
    } else if (key == "clock") {
      if (tokens.size() != 3) Fail("\"clock\" takes a date and a time: clock 2014-06-01 09:30:00");
      unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
      char end = 0;
      const bool ok =
          std::sscanf(tokens[1].text.c_str(), "%4u-%2u-%2u%c", &year, &month, &day, &end) == 3 &&
          std::sscanf(tokens[2].text.c_str(), "%2u:%2u:%2u%c", &hour, &minute, &second, &end) == 3;
      if (!ok || year < 1601 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
          minute > 59 || second > 59) {
        Fail("\"clock\" takes a date and a time: clock 2014-06-01 09:30:00");
      }
      os.clock = {static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month),
                  static_cast<std::uint16_t>(day), static_cast<std::uint16_t>(hour),
                  static_cast<std::uint16_t>(minute), static_cast<std::uint16_t>(second), 0};
    } else if (key == "utc-offset") {
      const std::string& text = Single(tokens).text;
      unsigned hours = 0, minutes = 0;
      char end = 0;
      const bool ok = text.size() == 6 && (text[0] == '+' || text[0] == '-') &&
                      std::sscanf(text.c_str() + 1, "%2u:%2u%c", &hours, &minutes, &end) == 2 &&
                      hours <= 14 && minutes <= 59;
      if (!ok) Fail("\"utc-offset\" takes +HH:MM or -HH:MM");
      const int total = static_cast<int>(hours * 60 + minutes);
      os.utcOffsetMinutes = text[0] == '-' ? -total : total;
    } else if (key == "counter-frequency") {
      // At most 1 GHz, so that tick arithmetic on 32-bit sizes stays within 64 bits.
      os.counterFrequency = static_cast<std::int64_t>(Number(Single(tokens), 1'000'000'000ull, key));
      if (os.counterFrequency == 0) Fail("\"counter-frequency\" must not be 0");
    } else if (key == "random-seed") {
      os.randomSeed = Number32(Single(tokens), key);
    } else {
      Fail(Format("unknown key \"%s\" in [os]", Shown(key)));
    }
  }

  void DeviceKey(const std::vector<TToken>& tokens) {
    const std::string& key = tokens[0].text;
    TMachineDevice& device = Device();
    TDeviceGiven& given = DeviceGiven();
    if (key == "kind") {
      const std::string& kind = Single(tokens).text;
      if (kind == "disk") {
        device.kind = TMachineDeviceKind::Disk;
      } else if (kind == "cdrom") {
        device.kind = TMachineDeviceKind::CdRom;
      } else if (kind == "scsi") {
        device.kind = TMachineDeviceKind::ScsiPort;
      } else {
        Fail(Format("unknown kind \"%s\" (disk, cdrom or scsi)", Shown(kind)));
      }
      given.kind = true;
    } else if (key == "number") {
      device.number = Number32(Single(tokens), key);
      given.number = true;
    } else if (key == "answers") {
      if (tokens.size() < 2) Fail("\"answers\" names at least one route");
      for (std::size_t i = 1; i < tokens.size(); ++i)
        device.routes[RouteIndex(tokens[i])] = {TRouteAnswer::TKind::Answers, 0};
    } else if (key == "fails") {
      if (tokens.size() == 4 && tokens[2].text == "scsi-status") {
        if (tokens[1].text != "sat") Fail("only the sat route answers with a SCSI status");
        const std::uint8_t status = Number8(tokens[3], "scsi-status");
        if (status == 0) Fail("scsi-status 0 is GOOD: use \"answers sat\"");
        device.routes[RouteIndex(tokens[1])] = {TRouteAnswer::TKind::ScsiStatus, status};
      } else if (tokens.size() == 3) {
        const std::uint32_t error = Number32(tokens[2], "error code");
        if (error == 0) Fail("error code 0 means success");
        device.routes[RouteIndex(tokens[1])] = {TRouteAnswer::TKind::Fails, error};
      } else {
        Fail("\"fails\" takes a route and an error code, or \"fails sat scsi-status N\"");
      }
    } else if (key == "short") {
      if (tokens.size() != 3) Fail("\"short\" takes a route and the bytes its replies report: short miniport 0");
      const std::size_t route = RouteIndex(tokens[1]);
      if (!CarriesDriveCommands(static_cast<TMachineRoute>(route)))
        Fail("only the ata, sat, smart and miniport routes answer short");
      device.shortReplies[route] = Number32(tokens[2], "bytes");
    } else if (key == "size") {
      device.size = Number(Single(tokens), ~std::uint64_t{0}, key);
      given.size = true;
    } else if (key == "geometry") {
      TMachineGeometry& g = given.geometryValues;
      Pairs(tokens, 1, [&](std::string_view name, const TToken& value) {
        if (name == "cylinders") g.cylinders = Number(value, ~std::uint64_t{0}, name);
        else if (name == "media") g.mediaType = Number32(value, name);
        else if (name == "tracks") g.tracksPerCylinder = Number32(value, name);
        else if (name == "sectors") g.sectorsPerTrack = Number32(value, name);
        else if (name == "bytes") g.bytesPerSector = Number32(value, name);
        else return false;
        return true;
      });
      given.geometry = true;
      given.geometryLine = lineNumber;
    } else if (key == "bus-type") {
      device.descriptor.busType = BusType(Single(tokens));
      given.busType = true;
    } else if (key == "device-type") {
      device.descriptor.deviceType = Number8(Single(tokens), key);
      given.deviceType = true;
    } else if (key == "removable") {
      device.descriptor.removable = Bool(Single(tokens), key);
      given.removable = true;
    } else if (key == "command-queueing") {
      device.descriptor.commandQueueing = Bool(Single(tokens), key);
      given.commandQueueing = true;
    } else if (key == "vendor" || key == "product" || key == "revision" || key == "serial") {
      const std::string& text = Single(tokens).text;
      if (key == "vendor") {
        device.descriptor.vendor = text;
      } else if (key == "product") {
        device.descriptor.product = text;
        given.product = true;
      } else if (key == "revision") {
        device.descriptor.revision = text;
        given.revision = true;
      } else {
        device.descriptor.serial = text;
        given.serial = true;
      }
    } else if (key == "identify" || key == "smart-data" || key == "smart" ||
               (key == "smart-thresholds" && tokens.size() == 1)) {
      if (tokens.size() != 1) Fail(Format("\"%s\" starts a block: its lines follow, then \"end\"", key));
      block = key == "identify"     ? TBlockKind::Identify
              : key == "smart-data" ? TBlockKind::SmartData
              : key == "smart"      ? TBlockKind::SmartTable
                                    : TBlockKind::SmartThresholds;
      blockLine = lineNumber;
      blockBytes.clear();
      tableRows.clear();
    } else if (key == "nvme-identify" || key == "nvme-namespace" || key == "nvme-health") {
      if (tokens.size() != 1) Fail(Format("\"%s\" starts a block: its lines follow, then \"end\"", key));
      block = key == "nvme-identify"    ? TBlockKind::NvmeIdentify
              : key == "nvme-namespace" ? TBlockKind::NvmeNamespace
                                        : TBlockKind::NvmeHealth;
      if (block == TBlockKind::NvmeNamespace) DeviceGiven().nvmeNamespaceLine = lineNumber;
      blockLine = lineNumber;
      blockBytes.clear();
      healthTable.fill(0);
      healthGiven.clear();
    } else if (key == "nvme-property") {
      const std::string& value = Single(tokens).text;
      const auto found = std::find(kNvmePropertyNames.begin(), kNvmePropertyNames.end(), value);
      if (found == kNvmePropertyNames.end()) {
        Fail(Format("unknown nvme-property \"%s\" (device, adapter or both)", Shown(value)));
      }
      device.nvmeProperty = static_cast<TNvmeProperty>(found - kNvmePropertyNames.begin());
    } else if (key == "smart-thresholds") {
      if (Single(tokens).text != "none") Fail("\"smart-thresholds\" starts a block, or is \"smart-thresholds none\"");
      device.smartThresholds.reset();
    } else if (key == "seek-penalty" || key == "trim") {
      const std::string& value = Single(tokens).text;
      TFlagProperty answer = TFlagProperty::None;
      if (value != "none") {
        if (value != "yes" && value != "no" && value != "true" && value != "false" && value != "1" && value != "0")
          Fail(Format("\"%s\" takes yes, no or none, not \"%s\"", key, Shown(value)));
        answer = Bool(tokens[1], key) ? TFlagProperty::Yes : TFlagProperty::No;
      }
      (key == "trim" ? device.trim : device.seekPenalty) = answer;
    } else if (key == "physical-sector-size") {
      device.physicalSectorSize = Number32(Single(tokens), key);
      if (device.physicalSectorSize == 0) Fail("\"physical-sector-size\" must not be 0");
    } else if (key == "smart-version") {
      TMachineSmartVersion& v = device.smartVersion;
      Pairs(tokens, 1, [&](std::string_view name, const TToken& value) {
        if (name == "version") v.version = Number8(value, name);
        else if (name == "revision") v.revision = Number8(value, name);
        else if (name == "device-map") v.deviceMap = Number8(value, name);
        else if (name == "capabilities") v.capabilities = Number32(value, name);
        else return false;
        return true;
      });
    } else if (key == "read-model") {
      TMachineReadModel& model = device.readModel;
      Pairs(tokens, 1, [&](std::string_view name, const TToken& value) {
        if (name == "access-us") model.accessMicros = Number32(value, name);
        else if (name == "rate-mb") model.rateMBps = Number32(value, name);
        else if (name == "channels") model.channels = Number32(value, name);
        else if (name == "wall-clock") model.wallClock = Bool(value, name);
        else return false;
        return true;
      });
      if (model.rateMBps == 0) Fail("\"rate-mb\" must not be 0");
      if (model.channels == 0 || model.channels > 64) Fail("\"channels\" must be 1 to 64");
    } else if (key == "layout") {
      LayoutKey(tokens);
    } else if (key == "partition") {
      PartitionKey(tokens);
    } else {
      Fail(Format("unknown key \"%s\" in [device]", Shown(key)));
    }
  }

  std::size_t RouteIndex(const TToken& token) const {
    for (std::size_t i = 0; i < kMachineRouteNames.size(); ++i) {
      if (kMachineRouteNames[i] == token.text) return i;
    }
    Fail(Format("unknown route \"%s\" (ata, sat, smart, miniport, property, number, geometry, "
                "length, partition, layout)",
                Shown(token.text)));
  }

  std::uint32_t BusType(const TToken& token) const {
    static constexpr std::pair<std::string_view, std::uint32_t> kNames[] = {
        {"scsi", 1}, {"atapi", 2}, {"ata", 3},  {"1394", 4}, {"ssa", 5},  {"fibre", 6},
        {"usb", 7},  {"raid", 8},  {"iscsi", 9}, {"sas", 10}, {"sata", 11}, {"sd", 12},
        {"mmc", 13}, {"virtual", 14}, {"file-backed-virtual", 15}, {"spaces", 16}, {"nvme", 17}};
    for (const auto& [name, value] : kNames) {
      if (token.text == name) return value;
    }
    return Number32(token, "bus-type");
  }

  void LayoutKey(const std::vector<TToken>& tokens) {
    TMachineDevice& device = Device();
    if (DeviceGiven().layout) Fail("the device already has a layout");
    if (tokens.size() < 2) Fail("\"layout\" takes a style: mbr, gpt or raw");
    TMachineLayout& layout = device.layout;
    const std::string& style = tokens[1].text;
    if (style == "mbr") {
      layout.style = TPartitionStyle::Mbr;
      Pairs(tokens, 2, [&](std::string_view name, const TToken& value) {
        if (name != "signature") return false;
        layout.signature = Number32(value, name);
        return true;
      });
    } else if (style == "gpt") {
      layout.style = TPartitionStyle::Gpt;
      Pairs(tokens, 2, [&](std::string_view name, const TToken& value) {
        if (name == "disk-id") layout.diskId = Guid(value, name);
        else if (name == "usable-start") layout.usableStart = Number(value, ~std::uint64_t{0}, name);
        else if (name == "usable-length") layout.usableLength = Number(value, ~std::uint64_t{0}, name);
        else if (name == "max-partitions") layout.maxPartitions = Number32(value, name);
        else return false;
        return true;
      });
    } else if (style == "raw") {
      layout.style = TPartitionStyle::Raw;
      if (tokens.size() != 2) Fail("\"layout raw\" takes nothing more");
    } else {
      Fail(Format("unknown layout style \"%s\" (mbr, gpt or raw)", Shown(style)));
    }
    DeviceGiven().layout = true;
  }

  void PartitionKey(const std::vector<TToken>& tokens) {
    TMachineLayout& layout = Device().layout;
    if (!DeviceGiven().layout || layout.style == TPartitionStyle::Raw) {
      Fail("\"partition\" lines follow a \"layout mbr\" or \"layout gpt\" line");
    }
    if (tokens.size() < 2) Fail("\"partition\" takes its number first");
    TMachinePartition partition;
    partition.line = lineNumber;
    partition.number = Number32(tokens[1], "partition number");
    if (partition.number == 0) Fail("partition numbers start at 1");
    for (const TMachinePartition& other : layout.partitions) {
      if (other.number == partition.number) Fail(Format("partition %u is already described", partition.number));
    }
    const bool mbr = layout.style == TPartitionStyle::Mbr;
    partition.type = 0x07;
    partition.typeGuid = kBasicDataGuid;
    bool startGiven = false, lengthGiven = false, hiddenGiven = false, idGiven = false;
    Pairs(tokens, 2, [&](std::string_view name, const TToken& value) {
      if (name == "start") {
        partition.start = Number(value, ~std::uint64_t{0}, name);
        startGiven = true;
      } else if (name == "length") {
        partition.length = Number(value, ~std::uint64_t{0}, name);
        lengthGiven = true;
      } else if (mbr && name == "type") {
        partition.type = Number8(value, name);
      } else if (mbr && name == "boot") {
        partition.boot = Bool(value, name);
      } else if (mbr && name == "recognized") {
        partition.recognized = Bool(value, name);
      } else if (mbr && name == "hidden") {
        partition.hiddenSectors = Number32(value, name);
        hiddenGiven = true;
      } else if (!mbr && name == "type") {
        partition.typeGuid = Guid(value, name);
      } else if (!mbr && name == "id") {
        partition.id = Guid(value, name);
        idGiven = true;
      } else if (!mbr && name == "attributes") {
        partition.attributes = Number(value, ~std::uint64_t{0}, name);
      } else if (!mbr && name == "name") {
        if (Utf8ToUtf16(value.text).size() > 36) Fail("a GPT partition name holds at most 36 characters");
        partition.name = value.text;
      } else {
        return false;
      }
      return true;
    });
    if (!startGiven || !lengthGiven) Fail("a partition needs its start and length in bytes");
    if (partition.start + partition.length < partition.start) Fail("the partition ends beyond 2^64 bytes");
    if (mbr && !hiddenGiven) partition.hiddenSectors = static_cast<std::uint32_t>(partition.start / 512);
    if (!mbr && !idGiven) {
      // A stable made-up unique id, so that files without one still differ per partition.
      partition.id = {0x76, 0x65, 0x78, 0x61, 0x00, 0x00, 0x00, 0x00,
                      0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(partition.number)};
      partition.id[4] = static_cast<std::uint8_t>(Device().number);
    }
    layout.partitions.push_back(std::move(partition));
  }

  void VolumeKey(const std::vector<TToken>& tokens) {
    const std::string& key = tokens[0].text;
    TMachineVolume& volume = Volume();
    TVolumeGiven& given = volumesGiven.back();
    if (key == "no-media") {
      if (tokens.size() != 1) Fail("\"no-media\" takes no value");
      volume.noMedia = true;
    } else if (key == "disk") {
      volume.disk = Number32(Single(tokens), key);
    } else if (key == "device-type") {
      volume.deviceType = Number32(Single(tokens), key);
    } else if (key == "partition") {
      volume.partition = Number32(Single(tokens), key);
    } else if (key == "label") {
      volume.label = Single(tokens).text;
    } else if (key == "file-system") {
      volume.fileSystem = Single(tokens).text;
    } else if (key == "serial") {
      std::uint64_t value = 0;
      const TToken& token = Single(tokens);
      std::string digits = token.text;
      digits.erase(std::remove(digits.begin(), digits.end(), '-'), digits.end());
      if (digits.empty() || digits.size() > 8 || !ParseUnsigned("0x" + digits, value)) {
        Fail("\"serial\" takes 8 hexadecimal digits, as in 1A2B-3C4D");
      }
      volume.serial = static_cast<std::uint32_t>(value);
    } else if (key == "size") {
      volume.size = Number(Single(tokens), ~std::uint64_t{0}, key);
      given.size = true;
    } else if (key == "free") {
      volume.free = Number(Single(tokens), ~std::uint64_t{0}, key);
    } else if (key == "cluster-size") {
      volume.clusterSize = Number32(Single(tokens), key);
    } else if (key == "bytes-per-sector") {
      volume.bytesPerSector = Number32(Single(tokens), key);
    } else if (key == "file-system-flags") {
      volume.fileSystemFlags = Number32(Single(tokens), key);
    } else if (key == "max-component-length") {
      volume.maxComponentLength = Number32(Single(tokens), key);
    } else if (key == "attributes") {
      volume.attributes = Number32(Single(tokens), key);
      given.attributes = true;
    } else if (key == "dos-device") {
      volume.dosDevice = Single(tokens).text;
      given.dosDevice = true;
    } else if (key == "extent") {
      if (volume.extents.size() == kMaxVolumeExtents) Fail(Format("a volume has at most %u extents", kMaxVolumeExtents));
      TMachineExtent extent;
      std::size_t fields = 0;
      Pairs(tokens, 1, [&](std::string_view name, const TToken& value) {
        if (name == "disk") extent.disk = Number32(value, name);
        else if (name == "start") extent.start = Number(value, ~std::uint64_t{0}, name);
        else if (name == "length") extent.length = Number(value, ~std::uint64_t{0}, name);
        else return false;
        ++fields;
        return true;
      });
      if (fields != 3) Fail("an extent is: extent disk D start BYTES length BYTES");
      volume.extents.push_back(extent);
    } else if (key == "guid") {
      const TGuid guid = Guid(Single(tokens), key);
      volume.guidPath = VolumeGuidPath(guid);
      given.guidPath = true;
    } else {
      Fail(Format("unknown key \"%s\" in [volume]", Shown(key)));
    }
    if (volume.bytesPerSector == 0 || volume.clusterSize == 0 || volume.clusterSize % volume.bytesPerSector != 0) {
      Fail("the cluster size must be a non-zero multiple of the bytes per sector");
    }
  }

  static std::string VolumeGuidPath(const TGuid& guid) {
    return "\\\\?\\Volume" + FormatGuid(guid) + "\\";
  }

  void BlockLine(const std::vector<TToken>& tokens) {
    // A health block is a table when its first word is not hexadecimal: so an unknown
    // key on the first line is reported as one.
    if (block == TBlockKind::NvmeHealth && blockBytes.empty() &&
        (tokens[0].quoted || !std::all_of(tokens[0].text.begin(), tokens[0].text.end(),
                                          [](char c) { return HexDigit(c) >= 0; }))) {
      block = TBlockKind::NvmeHealthTable;
    }
    if (block == TBlockKind::SmartTable) {
      TableRow(tokens);
      return;
    }
    if (block == TBlockKind::NvmeHealthTable) {
      HealthRow(tokens);
      return;
    }
    for (const TToken& token : tokens) {
      if (block == TBlockKind::Identify) {
        // A device-name line such as "/dev/sda:" may precede the words.
        if (blockBytes.empty() && tokens.size() == 1 && token.text.size() > 1 && token.text.back() == ':') continue;
        if (token.quoted || token.text.size() != 4) {
          Fail(Format("\"%s\" is not an IDENTIFY word of 4 hexadecimal digits", Shown(token.text)));
        }
      } else if (token.quoted || token.text.size() % 2 != 0) {
        Fail(Format("\"%s\" is not a run of hexadecimal byte pairs", Shown(token.text)));
      }
      const std::size_t limit = BlockLimit();
      // Each pair of digits is one byte; IDENTIFY words are written high byte first
      // and stored little-endian.
      std::vector<std::uint8_t> bytes;
      for (std::size_t i = 0; i < token.text.size(); i += 2) {
        const int high = HexDigit(token.text[i]);
        const int low = HexDigit(token.text[i + 1]);
        if (high < 0 || low < 0) Fail(Format("\"%s\" is not hexadecimal", Shown(token.text)));
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
      }
      if (block == TBlockKind::Identify) std::swap(bytes[0], bytes[1]);
      if (blockBytes.size() + bytes.size() > limit) {
        Fail(block == TBlockKind::Identify ? std::string("more than 256 IDENTIFY words")
                                           : Format("more than %u bytes", limit));
      }
      blockBytes.insert(blockBytes.end(), bytes.begin(), bytes.end());
    }
  }

  std::size_t BlockLimit() const {
    switch (block) {
      case TBlockKind::Identify:
        return kIdentifyWords * 2;
      case TBlockKind::NvmeIdentify:
      case TBlockKind::NvmeNamespace:
        return kNvmeBlockBytes;
      default:
        return kBlockBytes;
    }
  }

  void HealthRow(const std::vector<TToken>& tokens) {
    if (tokens.size() != 2) Fail("an nvme-health row is: field value");
    const std::string& key = tokens[0].text;
    const TNvmeHealthKey* field = tokens[0].quoted ? nullptr : machinefile::FindNvmeHealthKey(key);
    if (!field) Fail(Format("unknown NVMe health field \"%s\" (critical_warning, temperature, ...)", Shown(key)));
    if (std::find(healthGiven.begin(), healthGiven.end(), field) != healthGiven.end()) {
      Fail(Format("\"%s\" is given twice", key));
    }
    healthGiven.push_back(field);
    const TToken& value = tokens[1];
    switch (value.quoted ? machinefile::TValueProblem::NotNumber
                         : machinefile::PutNvmeHealthValue(*field, value.text, healthTable)) {
      case machinefile::TValueProblem::None:
        break;
      case machinefile::TValueProblem::NotNumber:
        Fail(Format("%s: \"%s\" is not a number (decimal, or hexadecimal after 0x)", key, Shown(value.text)));
      case machinefile::TValueProblem::TooLarge:
        Fail(Format("%s: %s is larger than %s", key, Shown(value.text), machinefile::NvmeHealthMaximum(*field)));
    }
  }

  void TableRow(const std::vector<TToken>& tokens) {
    if (tokens.size() != 5 && tokens.size() != 6) {
      Fail("a SMART row is: id flags value worst raw [threshold]");
    }
    if (tableRows.size() == kSmartEntries) Fail("a SMART table holds at most 30 attributes");
    TSmartTableRow row;
    row.id = Number8(tokens[0], "id");
    if (row.id == 0) Fail("attribute id 0 marks an unused entry; ids are 1 to 255");
    row.flags = static_cast<std::uint16_t>(Number(tokens[1], 0xFFFF, "flags"));
    row.value = Number8(tokens[2], "value");
    row.worst = Number8(tokens[3], "worst");
    row.raw = Number(tokens[4], 0xFFFFFFFFFFFFull, "raw");
    if (tokens.size() == 6) row.threshold = Number8(tokens[5], "threshold");
    tableRows.push_back(row);
  }

  void FinishBlock() {
    TMachineDevice& device = Device();
    const auto take = [&]<typename TBlock>(std::optional<TBlock>& target, std::string_view what) {
      const std::size_t expected = std::tuple_size_v<TBlock>;
      if (blockBytes.size() != expected) {
        lineNumber = blockLine;
        const bool words = block == TBlockKind::Identify;
        Fail(Format("the %s block holds %u %s, %u expected", what, words ? blockBytes.size() / 2 : blockBytes.size(),
                    words ? "words" : "bytes", words ? expected / 2 : expected));
      }
      TBlock bytes{};
      std::copy(blockBytes.begin(), blockBytes.end(), bytes.begin());
      target = bytes;
    };
    switch (block) {
      case TBlockKind::Identify:
        take(device.identify, "identify");
        break;
      case TBlockKind::SmartData:
        take(device.smartData, "smart-data");
        break;
      case TBlockKind::SmartThresholds:
        take(device.smartThresholds, "smart-thresholds");
        break;
      case TBlockKind::NvmeIdentify:
        take(device.nvmeIdentify, "nvme-identify");
        break;
      case TBlockKind::NvmeNamespace:
        take(device.nvmeNamespace, "nvme-namespace");
        break;
      case TBlockKind::NvmeHealth:
        take(device.nvmeHealth, "nvme-health");
        break;
      case TBlockKind::NvmeHealthTable:
        device.nvmeHealth = healthTable;
        break;
      case TBlockKind::SmartTable: {
        TBlock512 data{}, thresholds{};
        BuildSmartBlocks(tableRows, data, thresholds);
        device.smartData = data;
        device.smartThresholds = thresholds;
        break;
      }
      case TBlockKind::None:
        break;
    }
    block = TBlockKind::None;
  }

  // Fills in what each section left out and checks what only the whole file shows.
  void Complete() {
    for (std::size_t i = 0; i < machine.devices.size(); ++i) CompleteDevice(machine.devices[i], devicesGiven[i]);
    for (std::size_t i = 0; i < machine.volumes.size(); ++i) CompleteVolume(machine.volumes[i], volumesGiven[i]);
  }

  void CompleteDevice(TMachineDevice& device, const TDeviceGiven& given) {
    lineNumber = device.line;
    std::string_view name = device.path;
    if (const std::size_t slash = name.rfind('\\'); slash != std::string_view::npos) name.remove_prefix(slash + 1);
    if (!given.kind) {
      if (StartsWithAscii(name, "PhysicalDrive")) {
        device.kind = TMachineDeviceKind::Disk;
      } else if (StartsWithAscii(name, "CdRom")) {
        device.kind = TMachineDeviceKind::CdRom;
      } else if (StartsWithAscii(name, "Scsi")) {
        device.kind = TMachineDeviceKind::ScsiPort;
      } else {
        Fail(Format("the kind of %s cannot be told from its path: add \"kind disk\", \"kind cdrom\" or \"kind scsi\"",
                    Shown(device.path)));
      }
    }
    if (!given.number) {
      std::string_view digits = name;
      while (!digits.empty() && digits.back() == ':') digits.remove_suffix(1);
      std::size_t first = digits.size();
      while (first > 0 && digits[first - 1] >= '0' && digits[first - 1] <= '9') --first;
      std::uint64_t number = 0;
      if (first < digits.size() && ParseUnsigned(digits.substr(first), number) && number <= 0xFFFFFFFFu) {
        device.number = static_cast<std::uint32_t>(number);
      }
    }
    const bool optical = device.kind == TMachineDeviceKind::CdRom;
    if (!given.size && device.identify && !optical) {
      device.size = IdentifySectors(*device.identify) * 512;
    } else if (!given.size && device.nvmeNamespace && !optical) {
      const std::optional<std::uint64_t> bytes = machinefile::NvmeNamespaceBytes(*device.nvmeNamespace);
      if (!bytes) {
        lineNumber = given.nvmeNamespaceLine;
        Fail("the namespace's blocks × block size do not fit in 64 bits: give \"size\"");
      }
      device.size = *bytes;
    }

    TMachineGeometry geometry = given.geometryValues;
    if (geometry.bytesPerSector == 0 && device.nvmeNamespace && !optical) {
      geometry.bytesPerSector = static_cast<std::uint32_t>(machinefile::NvmeBlockSize(*device.nvmeNamespace));
    }
    if (geometry.bytesPerSector == 0) geometry.bytesPerSector = optical ? 2048 : 512;
    if (geometry.tracksPerCylinder == 0) geometry.tracksPerCylinder = optical ? 64 : 255;
    if (geometry.sectorsPerTrack == 0) geometry.sectorsPerTrack = optical ? 32 : 63;
    if (geometry.mediaType == 0) geometry.mediaType = optical ? 11 : 12;
    if (geometry.cylinders == 0) {
      // Three 32-bit factors can leave 64 bits (and wrap to 0): no real geometry
      // does, so such a file is refused at its geometry line rather than divided by.
      std::uint64_t bytesPerCylinder = std::uint64_t{geometry.bytesPerSector} * geometry.tracksPerCylinder;
      if (bytesPerCylinder > ~std::uint64_t{0} / geometry.sectorsPerTrack) {
        lineNumber = given.geometryLine;
        Fail("the geometry's bytes × tracks × sectors do not fit in 64 bits: give \"cylinders\" or smaller figures");
      }
      bytesPerCylinder *= geometry.sectorsPerTrack;
      geometry.cylinders = device.size / bytesPerCylinder;
    }
    device.geometry = geometry;

    TMachineDescriptor& descriptor = device.descriptor;
    if (!given.busType) {
      descriptor.busType = device.kind == TMachineDeviceKind::ScsiPort ? 1 : device.HasNvme() ? 17 : 11;
    }
    if (!given.deviceType) descriptor.deviceType = optical ? 5 : 0;
    if (!given.removable) descriptor.removable = optical;
    if (!given.commandQueueing) descriptor.commandQueueing = !optical;
    if (device.identify) {
      if (!given.product) descriptor.product = IdentifyText(*device.identify, 27, 20);
      if (!given.revision) descriptor.revision = IdentifyText(*device.identify, 23, 4);
      if (!given.serial) descriptor.serial = IdentifyText(*device.identify, 10, 10);
    } else if (device.nvmeIdentify) {
      namespace mf = machinefile;
      const TBlock4096& controller = *device.nvmeIdentify;
      if (!given.product) descriptor.product = mf::NvmeText(controller, mf::kNvmeModelOffset, mf::kNvmeModelLength);
      if (!given.revision) {
        descriptor.revision = mf::NvmeText(controller, mf::kNvmeFirmwareOffset, mf::kNvmeFirmwareLength);
      }
      if (!given.serial) descriptor.serial = mf::NvmeText(controller, mf::kNvmeSerialOffset, mf::kNvmeSerialLength);
    }
    for (const TMachinePartition& partition : device.layout.partitions) {
      if (device.size != 0 && partition.start + partition.length > device.size) {
        lineNumber = partition.line;
        Fail(Format("partition %u ends beyond the device's %s bytes", partition.number,
                    std::to_string(device.size)));
      }
    }
    if (device.layout.style == TPartitionStyle::Gpt) {
      if (device.layout.usableStart == 0) device.layout.usableStart = 17408;
      if (device.layout.usableLength == 0 && device.size > 2 * 17408) {
        device.layout.usableLength = device.size - 2 * 17408;
      }
    }
  }

  void CompleteVolume(TMachineVolume& volume, const TVolumeGiven& given) {
    lineNumber = volume.line;
    const TMachinePartition* partition = nullptr;
    for (const TMachineDevice& device : machine.devices) {
      const bool sameDisk = device.number == volume.disk &&
                            ((volume.deviceType == 2) == (device.kind == TMachineDeviceKind::CdRom));
      if (!sameDisk) continue;
      for (const TMachinePartition& candidate : device.layout.partitions) {
        if (candidate.number == volume.partition) partition = &candidate;
      }
    }
    if (!given.size && partition) volume.size = partition->length;
    if (volume.free > volume.size) Fail("a volume cannot have more free bytes than its size");
    if (!given.dosDevice) {
      volume.dosDevice = volume.deviceType == 2 ? "\\Device\\CdRom" + std::to_string(volume.disk)
                                                : "\\Device\\HarddiskVolume" +
                                                      std::to_string(&volume - machine.volumes.data() + 1);
    }
    if (!given.guidPath) {
      TGuid guid = {static_cast<std::uint8_t>(volume.partition), static_cast<std::uint8_t>(volume.disk),
                    static_cast<std::uint8_t>(volume.letter), 0x5A, 0xE3, 0x11, 0x9A, 0x4B,
                    0x80, 0x6E, 0x6F, 0x6E, 0x69, 0x63, 0x61, 0x6C};
      volume.guidPath = VolumeGuidPath(guid);
    }
    if (!given.attributes && volume.noMedia) volume.attributes = kInvalidFileAttributes;
  }

  static bool StartsWithAscii(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameTextAscii(text.substr(0, prefix.size()), prefix);
  }
};

}  // namespace

void BuildSmartBlocks(const std::vector<TSmartTableRow>& rows, TBlock512& data, TBlock512& thresholds) {
  data.fill(0);
  thresholds.fill(0);
  PutU16(data, 0, 0x0010);
  PutU16(thresholds, 0, 0x0010);
  for (std::size_t i = 0; i < rows.size() && i < kSmartEntries; ++i) {
    const TSmartTableRow& row = rows[i];
    const std::size_t at = 2 + i * 12;
    PutU8(data, at, row.id);
    PutU16(data, at + 1, row.flags);
    PutU8(data, at + 3, row.value);
    PutU8(data, at + 4, row.worst);
    PutU32(data, at + 5, static_cast<std::uint32_t>(row.raw));
    PutU16(data, at + 9, static_cast<std::uint16_t>(row.raw >> 32));
    PutU8(thresholds, at, row.id);
    PutU8(thresholds, at + 1, row.threshold);
  }
  // Offline data collection and self-test capabilities of a typical drive.
  data[362] = 0x00;  // offline collection never started
  data[367] = 0x53;  // offline capabilities
  PutU16(data, 368, 0x0003);  // SMART capabilities: saves data, supports standby timer
  data[370] = 0x01;  // error logging supported
  data[372] = 0x02;  // short self-test: 2 minutes
  data[373] = 0x0A;  // extended self-test: 10 minutes
  for (TBlock512* block : {&data, &thresholds}) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < 511; ++i) sum += (*block)[i];
    (*block)[511] = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
  }
}

TMachineFile ParseMachineFile(std::string_view text, std::string_view fileName) {
  return TMachineFileParser(fileName).Parse(text);
}

TMachineFile ReadMachineFile(std::string_view path) {
  std::string text;
  if (!ReadFileBytes(path, text, kMaxFileBytes)) {
    throw EVexaError(Format("%s: the machine file cannot be read (missing, unreadable or larger than 16 MiB)",
                            std::string(path)));
  }
  return ParseMachineFile(text, path);
}

}  // namespace vexa
