// The Linux machine's description, from sysfs, the disks' own partition tables and
// mountinfo. Every file is read through ReadText/ReadNumber, which answer nothing
// for a missing, unreadable, oversized or garbage file; each caller then takes its
// documented default and, where it matters to the result, notes it.
#include "platform/linux/LinuxDevices.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <tuple>

#include "support/Bytes.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxSysFile = 64 * 1024;
// A machine with many containers has a long mount table.
constexpr std::size_t kMaxMountInfo = 16 << 20;
constexpr std::uint32_t kBusScsi = 1, kBusAtapi = 2, kBusAta = 3, kBusUsb = 7, kBusSata = 11, kBusSd = 12,
                        kBusMmc = 13, kBusNvme = 17;

std::optional<std::string> ReadBytes(const fs::path& path, std::size_t limit = kMaxSysFile) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  char chunk[4096];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    text.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (text.size() > limit) return std::nullopt;
  }
  if (in.bad()) return std::nullopt;
  return text;
}

// A sysfs attribute as one trimmed line of valid UTF-8.
std::optional<std::string> ReadText(const fs::path& path) {
  std::optional<std::string> bytes = ReadBytes(path);
  if (!bytes) return std::nullopt;
  const std::vector<std::string_view> lines = SplitLines(*bytes);
  return ToValidUtf8(Trim(lines.empty() ? std::string_view() : lines.front()));
}

std::optional<std::uint64_t> ParseNumber(std::string_view text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (value > (~std::uint64_t{0} - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::optional<std::uint64_t> ReadNumber(const fs::path& path) {
  const std::optional<std::string> text = ReadText(path);
  return text ? ParseNumber(*text) : std::nullopt;
}

// The file name a symbolic link points to; empty when it is none.
std::string LinkName(const fs::path& path) {
  std::error_code error;
  const fs::path target = fs::read_symlink(path, error);
  return error ? std::string() : target.filename().string();
}

// "\x20" escapes (udev's link names) and "\040" ones (mountinfo), decoded.
std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    const auto octal = [](char c) { return c >= '0' && c <= '7'; };
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && hex(text[i + 2]) && hex(text[i + 3])) {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16));
      i += 3;
    } else if (text[i] == '\\' && i + 3 < text.size() && octal(text[i + 1]) && octal(text[i + 2]) && octal(text[i + 3])) {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 3)), nullptr, 8) & 0xFF);
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The ATA string of IDENTIFY words [first, first + count): bytes swapped in pairs.
std::string IdentifyString(std::string_view identify, std::size_t first, std::size_t count) {
  std::string text;
  for (std::size_t i = first * 2; i < (first + count) * 2 && i + 1 < identify.size(); i += 2) {
    text += identify[i + 1];
    text += identify[i];
  }
  return ToValidUtf8(Trim(text.substr(0, text.find('\0'))));
}

// --- Names and their order ---

struct TSortKey {
  int group = 0;
  std::size_t length = 0;
  std::string letters;
  std::uint64_t first = 0;
  std::uint64_t second = 0;
  std::string name;
  auto Tie() const { return std::tie(group, length, letters, first, second, name); }
  bool operator<(const TSortKey& other) const { return Tie() < other.Tie(); }
};

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Letters then nothing: sda, hdb, vdaa. sdb comes before sdaa, as the kernel counts.
bool LetterName(std::string_view name, std::string_view prefix, std::string& letters) {
  if (!StartsWith(name, prefix) || name.size() == prefix.size()) return false;
  for (const char c : name.substr(prefix.size())) {
    if (c < 'a' || c > 'z') return false;
  }
  letters = std::string(name.substr(prefix.size()));
  return true;
}

// Digits at the front of text, and where they end.
std::optional<std::uint64_t> LeadingNumber(std::string_view text, std::size_t& end) {
  end = 0;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
  return ParseNumber(text.substr(0, end));
}

TSortKey SortKey(const std::string& name) {
  TSortKey key;
  key.name = name;
  std::string letters;
  std::size_t end = 0;
  const int letterGroups[] = {0, 1, 3, 4};
  const std::string_view prefixes[] = {"sd", "hd", "vd", "xvd"};
  for (std::size_t i = 0; i < std::size(prefixes); ++i) {
    if (LetterName(name, prefixes[i], letters)) {
      key.group = letterGroups[i];
      key.length = letters.size();
      key.letters = letters;
      return key;
    }
  }
  if (StartsWith(name, "nvme")) {
    const std::string_view rest = std::string_view(name).substr(4);
    const std::optional<std::uint64_t> controller = LeadingNumber(rest, end);
    std::size_t nsEnd = 0;
    if (controller && end < rest.size() && rest[end] == 'n') {
      if (const auto ns = LeadingNumber(rest.substr(end + 1), nsEnd)) {
        key.group = 2;
        key.first = *controller;
        key.second = *ns;
        return key;
      }
    }
  }
  if (StartsWith(name, "mmcblk")) {
    if (const auto number = LeadingNumber(std::string_view(name).substr(6), end)) {
      key.group = 5;
      key.first = *number;
      return key;
    }
  }
  key.group = 6;
  return key;
}

bool ExcludedDisk(const std::string& name, const fs::path& dir) {
  for (const std::string_view prefix : {"loop", "ram", "zram", "dm-", "md", "sr", "nbd"}) {
    if (StartsWith(name, prefix)) return true;
  }
  // eMMC boot and RPMB areas, hidden NVMe multipath paths, partitions.
  if (StartsWith(name, "mmcblk") && (name.find("boot") != std::string::npos || name.find("rpmb") != std::string::npos))
    return true;
  if (ReadNumber(dir / "hidden").value_or(0) != 0) return true;
  std::error_code error;
  return fs::exists(dir / "partition", error);
}

// --- One device ---

struct TKernelPartition {
  std::uint32_t number = 0;
  std::uint64_t start = 0;
  std::uint64_t length = 0;
  std::string name;
  std::string dev;  // major:minor
};

struct TBuilt {
  TMachineDevice device;
  TLinuxDevice facts;
  std::string dev;  // the whole device's major:minor
  std::vector<TKernelPartition> partitions;
};

class TDescriber {
public:
  explicit TDescriber(const TLinuxRoots& rootsRef) : roots(rootsRef) {}

  TLinuxDescription Describe() {
    std::vector<std::pair<TSortKey, std::string>> disks;
    std::vector<std::pair<std::uint64_t, std::string>> opticals;
    std::error_code error;
    const fs::path block = fs::path(roots.sys) / "block";
    for (const auto& entry : fs::directory_iterator(block, error)) {
      const std::string name = entry.path().filename().string();
      std::size_t end = 0;
      if (StartsWith(name, "sr")) {
        if (const auto number = LeadingNumber(std::string_view(name).substr(2), end); number && end + 2 == name.size())
          opticals.emplace_back(*number, name);
      } else if (!ExcludedDisk(name, entry.path())) {
        disks.emplace_back(SortKey(name), name);
      }
    }
    if (error) description.notes.push_back(Format("%s cannot be listed: no drives are described", block.string()));
    std::sort(disks.begin(), disks.end());
    std::sort(opticals.begin(), opticals.end());
    for (std::size_t i = 0; i < disks.size(); ++i) Add(Disk(disks[i].second, static_cast<std::uint32_t>(i)));
    for (std::size_t i = 0; i < opticals.size(); ++i) Add(Optical(opticals[i].second, static_cast<std::uint32_t>(i)));
    ScsiHosts();
    ScsiPorts();
    Volumes();
    return std::move(description);
  }

private:
  const TLinuxRoots& roots;
  TLinuxDescription description;
  std::vector<TBuilt> built;

  void Add(TBuilt device) {
    description.machine.devices.push_back(device.device);
    description.devices.push_back(device.facts);
    built.push_back(std::move(device));
  }

  fs::path BlockDir(const std::string& name) const { return fs::path(roots.sys) / "block" / name; }

  std::optional<std::string> ProcName(std::uint32_t host) const {
    return ReadText(fs::path(roots.sys) / "class" / "scsi_host" / ("host" + std::to_string(host)) / "proc_name");
  }

  // Transport, SCSI host and the controller's driver, from where the device sits.
  void Transport(const std::string& name, const fs::path& dir, TLinuxDevice& facts) const {
    std::error_code error;
    const fs::path device = fs::canonical(dir / "device", error);
    bool ata = false, usb = false, virtio = false, mmc = false;
    for (const fs::path& part : device) {
      const std::string piece = part.string();
      std::size_t end = 0;
      if (StartsWith(piece, "ata") && LeadingNumber(std::string_view(piece).substr(3), end) && end + 3 == piece.size())
        ata = true;
      if (StartsWith(piece, "usb")) usb = true;
      if (StartsWith(piece, "virtio")) virtio = true;
      if (StartsWith(piece, "mmc")) mmc = true;
      if (StartsWith(piece, "host")) {
        if (const auto host = LeadingNumber(std::string_view(piece).substr(4), end); host && end + 4 == piece.size())
          facts.scsiHost = static_cast<std::uint32_t>(*host);
      }
    }
    if (facts.scsiHost) facts.hostDriver = ProcName(*facts.scsiHost).value_or("");
    if (StartsWith(name, "nvme")) {
      facts.transport = TLinuxTransport::Nvme;
      facts.hostDriver = "nvme";
    } else if (usb) {
      facts.transport = TLinuxTransport::Usb;
    } else if (ata) {
      facts.transport = TLinuxTransport::Ata;
    } else if (StartsWith(name, "mmcblk") || mmc) {
      facts.transport = TLinuxTransport::Mmc;
      facts.hostDriver = "mmcblk";
    } else if (StartsWith(name, "vd") || (virtio && !facts.scsiHost)) {
      facts.transport = TLinuxTransport::Virtio;
      facts.hostDriver = "virtio_blk";
    } else if (facts.scsiHost) {
      facts.transport = TLinuxTransport::Scsi;
    }
  }

  // AHCI and the SATA drivers are SATA to Windows; PIIX and the PATA drivers ATA.
  static bool SataController(const TLinuxDevice& facts) {
    return facts.hostDriver.find("ahci") != std::string::npos || StartsWith(facts.hostDriver, "sata_");
  }

  void Common(TBuilt& b, const std::string& name) {
    const fs::path dir = BlockDir(name);
    TLinuxDevice& facts = b.facts;
    facts.name = name;
    facts.node = (fs::path(roots.dev) / name).string();
    Transport(name, dir, facts);
    b.dev = ReadText(dir / "dev").value_or("");
    const std::optional<std::uint64_t> sectors = ReadNumber(dir / "size");
    if (!sectors || *sectors > (~std::uint64_t{0} >> 9)) facts.notes.push_back("the size cannot be read: 0 is assumed");
    b.device.size = sectors && *sectors <= (~std::uint64_t{0} >> 9) ? *sectors * 512 : 0;
    std::uint64_t logical = ReadNumber(dir / "queue" / "logical_block_size").value_or(0);
    if (logical < 512 || logical > 65536 || (logical & (logical - 1)) != 0) {
      logical = b.device.kind == TMachineDeviceKind::CdRom ? 2048 : 512;
      facts.notes.push_back(Format("the logical block size cannot be read: %u is assumed", logical));
    }
    b.device.geometry.bytesPerSector = static_cast<std::uint32_t>(logical);
    const std::uint64_t physical = ReadNumber(dir / "queue" / "physical_block_size").value_or(0);
    if (physical >= logical && physical <= 65536) b.device.physicalSectorSize = static_cast<std::uint32_t>(physical);
    facts.alignmentOffset = static_cast<std::uint32_t>(std::min<std::uint64_t>(
        ReadNumber(dir / "alignment_offset").value_or(0), 0xFFFFFFFF));
    b.device.descriptor.removable = ReadNumber(dir / "removable").value_or(0) != 0;
    for (const TMachineRoute route : {TMachineRoute::Property, TMachineRoute::Number, TMachineRoute::Geometry,
                                      TMachineRoute::Length, TMachineRoute::Partition, TMachineRoute::Layout}) {
      b.device.routes[static_cast<std::size_t>(route)] = {TRouteAnswer::TKind::Answers, 0};
    }
  }

  static void Geometry(TMachineDevice& device, std::uint32_t tracks, std::uint32_t sectors, std::uint32_t media) {
    TMachineGeometry& g = device.geometry;
    g.tracksPerCylinder = tracks;
    g.sectorsPerTrack = sectors;
    g.mediaType = media;
    g.cylinders = device.size / (std::uint64_t{tracks} * sectors * g.bytesPerSector);
  }

  void Descriptor(TBuilt& b, const fs::path& dir) {
    TMachineDescriptor& d = b.device.descriptor;
    const TLinuxDevice& facts = b.facts;
    const fs::path device = dir / "device";
    d.vendor = ReadText(device / "vendor").value_or("");
    d.product = ReadText(device / "model").value_or("");
    d.revision = ReadText(device / "rev").value_or("");
    if (const std::optional<std::string> page = ReadBytes(device / "vpd_pg80"); page && page->size() > 4) {
      const std::size_t length = std::min<std::size_t>(GetU16Be(TBytes(reinterpret_cast<const std::uint8_t*>(page->data()), page->size()), 2), page->size() - 4);
      const std::string serial = page->substr(4, length);
      d.serial = ToValidUtf8(Trim(serial.substr(0, serial.find('\0'))));
    }
    switch (facts.transport) {
      case TLinuxTransport::Ata:
        // Windows' ATA drivers leave the vendor out and give the whole model, which
        // the kernel cuts to 16 characters; the IDENTIFY data of VPD page 0x89 has it.
        d.vendor.clear();
        d.busType = SataController(facts) ? kBusSata : kBusAta;
        if (const std::optional<std::string> page = ReadBytes(device / "vpd_pg89"); page && page->size() >= 60 + 512) {
          const std::string identify = page->substr(60, 512);
          if (const std::string model = IdentifyString(identify, 27, 20); !model.empty()) d.product = model;
          if (const std::string firmware = IdentifyString(identify, 23, 4); !firmware.empty()) d.revision = firmware;
          if (const std::string serial = IdentifyString(identify, 10, 10); !serial.empty()) d.serial = serial;
        }
        if (facts.hostDriver.empty()) b.facts.notes.push_back("the ATA controller's driver is unknown: SATA is assumed");
        if (facts.hostDriver.empty()) d.busType = kBusSata;
        break;
      case TLinuxTransport::Nvme:
        d.vendor.clear();
        d.busType = kBusNvme;
        d.revision = ReadText(device / "firmware_rev").value_or("");
        d.serial = ReadText(device / "serial").value_or("");
        break;
      case TLinuxTransport::Usb: d.busType = kBusUsb; break;
      case TLinuxTransport::Virtio:
        // What Windows' virtio block driver reports for its disks.
        d.busType = kBusScsi;
        d.vendor = "Red Hat";
        d.product = "VirtIO";
        d.revision = "0001";
        d.serial = ReadText(dir / "serial").value_or("");
        break;
      case TLinuxTransport::Mmc:
        d.busType = ReadText(device / "type").value_or("SD") == "MMC" ? kBusMmc : kBusSd;
        d.vendor.clear();
        d.product = ReadText(device / "name").value_or("");
        d.revision = ReadText(device / "fwrev").value_or("");
        d.serial = ReadText(device / "serial").value_or("");
        break;
      case TLinuxTransport::Scsi:
      case TLinuxTransport::Other: d.busType = kBusScsi; break;
    }
  }

  // A device with its Windows path, kind and number; the rest is to fill.
  static TBuilt Named(std::string path, TMachineDeviceKind kind, std::uint32_t number) {
    TBuilt b;
    b.device.path = std::move(path);
    b.device.kind = kind;
    b.device.number = number;
    b.facts.path = b.device.path;
    return b;
  }

  TBuilt Disk(const std::string& name, std::uint32_t number) {
    TBuilt b = Named(Format("\\\\.\\PhysicalDrive%u", number), TMachineDeviceKind::Disk, number);
    Common(b, name);
    const fs::path dir = BlockDir(name);
    if (b.facts.transport == TLinuxTransport::Nvme) {
      std::size_t end = 0;
      const std::string_view rest = std::string_view(name).substr(4);
      if (const auto controller = LeadingNumber(rest, end)) {
        b.facts.nvmeController = (fs::path(roots.dev) / ("nvme" + std::to_string(*controller))).string();
        std::size_t nsEnd = 0;
        const auto ns = end < rest.size() ? LeadingNumber(rest.substr(end + 1), nsEnd) : std::nullopt;
        b.facts.nvmeNamespace = static_cast<std::uint32_t>(ReadNumber(dir / "nsid").value_or(ns.value_or(1)));
      }
    }
    Descriptor(b, dir);
    b.device.descriptor.deviceType = 0;
    b.device.descriptor.commandQueueing = true;
    const std::optional<std::uint64_t> rotational = ReadNumber(dir / "queue" / "rotational");
    b.device.seekPenalty = !rotational ? TFlagProperty::None : *rotational ? TFlagProperty::Yes : TFlagProperty::No;
    const std::optional<std::uint64_t> discard = ReadNumber(dir / "queue" / "discard_max_bytes");
    b.device.trim = !discard ? TFlagProperty::None : *discard ? TFlagProperty::Yes : TFlagProperty::No;
    Geometry(b.device, 255, 63, b.device.descriptor.removable ? 11 : 12);
    KernelPartitions(b, dir);
    Layout(b);
    return b;
  }

  TBuilt Optical(const std::string& name, std::uint32_t number) {
    TBuilt b = Named(Format("\\\\.\\CdRom%u", number), TMachineDeviceKind::CdRom, number);
    Common(b, name);
    Descriptor(b, BlockDir(name));
    TMachineDescriptor& d = b.device.descriptor;
    // A packet device answers INQUIRY itself: its vendor stays.
    d.vendor = ReadText(BlockDir(name) / "device" / "vendor").value_or("");
    if (b.facts.transport == TLinuxTransport::Ata) d.busType = SataController(b.facts) ? kBusSata : kBusAtapi;
    d.deviceType = 5;
    d.removable = true;
    d.commandQueueing = false;
    b.device.seekPenalty = TFlagProperty::None;
    b.device.trim = TFlagProperty::None;
    Geometry(b.device, 64, 32, 11);
    return b;
  }

  void KernelPartitions(TBuilt& b, const fs::path& dir) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error)) {
      const std::optional<std::uint64_t> number = ReadNumber(entry.path() / "partition");
      if (!number || *number == 0 || *number > 0xFFFF) continue;
      const std::optional<std::uint64_t> start = ReadNumber(entry.path() / "start");
      const std::optional<std::uint64_t> size = ReadNumber(entry.path() / "size");
      if (!start || !size || *start > (b.device.size >> 9) || *size > (b.device.size >> 9) - *start) {
        b.facts.notes.push_back(Format("the kernel's partition %s has no sound start and size", entry.path().filename().string()));
        continue;
      }
      b.partitions.push_back({static_cast<std::uint32_t>(*number), *start * 512, *size * 512,
                              entry.path().filename().string(), ReadText(entry.path() / "dev").value_or("")});
    }
    std::sort(b.partitions.begin(), b.partitions.end(),
              [](const TKernelPartition& x, const TKernelPartition& y) { return x.number < y.number; });
  }

  void Layout(TBuilt& b) {
    TOpenedDisk opened = roots.openDisk ? roots.openDisk(b.facts.node) : TOpenedDisk{{}, "no reader"};
    if (opened.read) {
      TPartitionTable table = ReadPartitionTable(opened.read, b.device.geometry.bytesPerSector, b.device.size);
      b.device.layout = std::move(table.layout);
      for (std::string& note : table.notes) b.facts.notes.push_back("partition table: " + note);
      return;
    }
    // Without the table, the kernel's partitions: where they lie, not what they are.
    b.device.layout.style = TPartitionStyle::Raw;
    for (const TKernelPartition& k : b.partitions) {
      TMachinePartition p;
      p.number = k.number;
      p.start = k.start;
      p.length = k.length;
      p.recognized = false;
      b.device.layout.partitions.push_back(p);
    }
    b.facts.notes.push_back(Format("%s cannot be opened (%s): the kernel's partitions are listed without their types",
                                   b.facts.node, opened.error));
  }

  void ScsiHosts() {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(roots.sys) / "class" / "scsi_host", error)) {
      const std::string name = entry.path().filename().string();
      std::size_t end = 0;
      const auto number = StartsWith(name, "host") ? LeadingNumber(std::string_view(name).substr(4), end) : std::nullopt;
      if (!number || end + 4 != name.size() || *number > 0xFFFFFFFF) continue;
      description.scsiHosts.push_back({static_cast<std::uint32_t>(*number), ReadText(entry.path() / "proc_name").value_or("")});
    }
    std::sort(description.scsiHosts.begin(), description.scsiHosts.end(),
              [](const TLinuxScsiHost& x, const TLinuxScsiHost& y) { return x.number < y.number; });
  }

  // A SCSI port for each host with an ATA disk: the miniport IDENTIFY of the port
  // reaches its first disk (the live side sends it as an ATA command), as the
  // miniport of an IDE or SATA controller answers on Windows. Hosts without one are
  // left out, so the scan lists no nameless drive.
  void ScsiPorts() {
    for (const TLinuxScsiHost& host : description.scsiHosts) {
      for (std::size_t i = 0; i < built.size(); ++i) {
        const TBuilt& disk = built[i];
        if (disk.device.kind != TMachineDeviceKind::Disk || disk.facts.transport != TLinuxTransport::Ata ||
            disk.facts.scsiHost != host.number) {
          continue;
        }
        TBuilt port = Named(Format("\\\\.\\Scsi%u:", host.number), TMachineDeviceKind::ScsiPort, host.number);
        const std::string path = port.facts.path;
        port.facts = disk.facts;
        port.facts.path = path;
        Add(std::move(port));
        break;
      }
    }
  }

  // --- Volumes ---

  struct TMount {
    std::string dev, root, mountPoint, fileSystem, source;
  };

  std::vector<TMount> Mounts() const {
    std::vector<TMount> mounts;
    const std::optional<std::string> text = ReadBytes(roots.mountInfo, kMaxMountInfo);
    if (!text) return mounts;
    for (const std::string_view line : SplitLines(*text)) {
      std::vector<std::string_view> words;
      std::size_t at = 0;
      while (at < line.size()) {
        const std::size_t next = std::min(line.find(' ', at), line.size());
        if (next > at) words.push_back(line.substr(at, next - at));
        at = next + 1;
      }
      const auto dash = std::find(words.begin(), words.end(), "-");
      if (words.size() < 5 || dash == words.end() || dash + 1 == words.end()) continue;
      mounts.push_back({std::string(words[2]), Unescape(words[3]), Unescape(words[4]), std::string(*(dash + 1)),
                        dash + 2 == words.end() ? std::string() : Unescape(*(dash + 2))});
    }
    return mounts;
  }

  // The link names under /dev/disk/BY that point at a node, unescaped.
  std::string DiskLink(std::string_view by, const std::string& node) const {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(roots.dev) / "disk" / by, error)) {
      if (LinkName(entry.path()) == node) return ToValidUtf8(Unescape(entry.path().filename().string()));
    }
    return {};
  }

  static std::string WindowsFileSystem(const std::string& type) {
    static const std::map<std::string, std::string> names = {
        {"vfat", "FAT32"}, {"msdos", "FAT"}, {"ntfs", "NTFS"}, {"ntfs3", "NTFS"}, {"exfat", "exFAT"},
        {"iso9660", "CDFS"}, {"udf", "UDF"}};
    const auto found = names.find(type);
    return found == names.end() ? ToValidUtf8(type) : found->second;
  }

  // A short UUID (FAT's 1234-ABCD, NTFS's 16 digits) gives the serial Windows shows:
  // its last 8 hexadecimal digits. A long one (ext4's) gives none.
  static std::uint32_t SerialOf(const std::string& uuid) {
    std::string digits;
    for (const char c : uuid) {
      if (c == '-') continue;
      if (!std::isxdigit(static_cast<unsigned char>(c))) return 0;
      digits += c;
    }
    if (digits.empty() || digits.size() > 16) return 0;
    return static_cast<std::uint32_t>(std::stoull(digits.substr(digits.size() > 8 ? digits.size() - 8 : 0), nullptr, 16));
  }

  void Volumes() {
    struct TSource {
      std::size_t device = 0;
      const TKernelPartition* partition = nullptr;  // none: the whole device
    };
    std::map<std::string, TSource> sources;
    std::map<std::string, std::string> devOfNode;  // /dev/sda1 -> 8:1
    for (std::size_t i = 0; i < built.size(); ++i) {
      if (!built[i].dev.empty()) {
        sources[built[i].dev] = {i, nullptr};
        devOfNode[built[i].facts.node] = built[i].dev;
      }
      for (const TKernelPartition& p : built[i].partitions) {
        if (p.dev.empty()) continue;
        sources[p.dev] = {i, &p};
        devOfNode[(fs::path(roots.dev) / p.name).string()] = p.dev;
      }
    }
    // One mount per source: the one of its root folder, then the first mount point.
    std::map<std::string, TMount> chosen;
    for (TMount& mount : Mounts()) {
      // Some file systems (btrfs) report a device number of their own: their source names the node.
      if (!sources.count(mount.dev) && devOfNode.count(mount.source)) mount.dev = devOfNode[mount.source];
      if (!sources.count(mount.dev)) continue;
      const auto found = chosen.find(mount.dev);
      const auto better = [&](const TMount& x, const TMount& y) {
        return std::make_tuple(x.root != "/", x.mountPoint) < std::make_tuple(y.root != "/", y.mountPoint);
      };
      if (found == chosen.end() || better(mount, found->second)) chosen[mount.dev] = mount;
    }
    std::vector<TMount> order;
    for (auto& [dev, mount] : chosen) order.push_back(mount);
    std::sort(order.begin(), order.end(), [](const TMount& x, const TMount& y) { return x.mountPoint < y.mountPoint; });
    char letter = 'C';
    for (const TMount& mount : order) {
      if (letter > 'Z') {
        description.notes.push_back(Format("%s gets no drive letter: C: to Z: are taken", mount.mountPoint));
        continue;
      }
      const TSource& source = sources[mount.dev];
      const TBuilt& b = built[source.device];
      TMachineVolume volume;
      volume.letter = letter++;
      const bool optical = b.device.kind == TMachineDeviceKind::CdRom;
      volume.deviceType = optical ? 2 : 7;
      volume.disk = b.device.number;
      const std::uint64_t start = source.partition ? source.partition->start : 0;
      const std::uint64_t length = source.partition ? source.partition->length : b.device.size;
      if (source.partition) {
        // Windows numbers logical drives after the primaries: the layout entry at
        // the same place has the number Windows would give.
        volume.partition = source.partition->number;
        for (const TMachinePartition& p : b.device.layout.partitions) {
          if (p.number != 0 && p.start == start) volume.partition = p.number;
        }
      }
      volume.extents.push_back({b.device.number, start, length});
      const std::string nodeName = source.partition ? source.partition->name : b.facts.name;
      volume.label = DiskLink("by-label", nodeName);
      volume.serial = SerialOf(DiskLink("by-uuid", nodeName));
      volume.fileSystem = WindowsFileSystem(mount.fileSystem);
      volume.bytesPerSector = b.device.geometry.bytesPerSector;
      volume.size = length;
      volume.clusterSize = std::max<std::uint32_t>(4096, volume.bytesPerSector);
      if (const auto space = roots.fileSystemSpace ? roots.fileSystemSpace(mount.mountPoint) : std::nullopt) {
        volume.size = space->totalBytes;
        volume.free = std::min(space->freeBytes, space->totalBytes);
        if (space->blockSize >= volume.bytesPerSector && space->blockSize <= (1u << 26)) volume.clusterSize = space->blockSize;
      }
      volume.dosDevice = optical ? Format("\\Device\\CdRom%u", volume.disk)
                                 : Format("\\Device\\HarddiskVolume%u", static_cast<unsigned>(description.machine.volumes.size() + 1));
      const TGuid guid = {static_cast<std::uint8_t>(volume.partition), static_cast<std::uint8_t>(volume.disk),
                          static_cast<std::uint8_t>(volume.letter), 0x4C, 0x49, 0x4E, 0x55, 0x58,
                          0x80, 0x6E, 0x6F, 0x6E, 0x69, 0x63, 0x61, 0x6C};
      volume.guidPath = "\\\\?\\Volume" + FormatGuid(guid) + "\\";
      description.machine.volumes.push_back(std::move(volume));
    }
  }
};

TOpenedDisk OpenDisk(const std::string& node) {
  const int fd = ::open(node.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {{}, std::strerror(errno)};
  const auto descriptor = std::shared_ptr<int>(new int(fd), [](int* held) {
    ::close(*held);
    delete held;
  });
  TOpenedDisk opened;
  opened.read = [descriptor](std::uint64_t offset, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t got = ::pread(*descriptor, bytes.data() + done, size - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
  };
  return opened;
}

std::optional<TFileSystemSpace> StatFileSystem(const std::string& mountPoint) {
  struct statvfs info {};
  if (::statvfs(mountPoint.c_str(), &info) != 0) return std::nullopt;
  TFileSystemSpace space;
  space.totalBytes = std::uint64_t{info.f_blocks} * info.f_frsize;
  space.freeBytes = std::uint64_t{info.f_bavail} * info.f_frsize;
  space.blockSize = static_cast<std::uint32_t>(std::min<std::uint64_t>(info.f_frsize, 0xFFFFFFFF));
  return space;
}

}  // namespace

TLinuxDescription DescribeLinuxMachine(const TLinuxRoots& roots) {
  TLinuxRoots filled = roots;
  if (!filled.openDisk) filled.openDisk = OpenDisk;
  if (!filled.fileSystemSpace) filled.fileSystemSpace = StatFileSystem;
  return TDescriber(filled).Describe();
}

}  // namespace vexa
