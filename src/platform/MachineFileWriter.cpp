// Writes a machine as a machine file. Every fact is written out, defaults included,
// so that reading the file back gives the same machine whatever the defaults are.
// Texts are quoted, with escapes for what a line cannot hold.
#include "platform/MachineFileWriter.h"

#include "platform/MachineFileNvme.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

namespace {

constexpr std::string_view kKindNames[] = {"disk", "cdrom", "scsi"};

// Quoted, with \" and \\ for quotes and backslashes and \xNN for what a line of
// text cannot hold: control characters and bytes that are not UTF-8.
std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
    if (length > 1 && IsValidUtf8(text.substr(i, length)) && i + length <= text.size()) {
      out += text.substr(i, length);
      i += length;
      continue;
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      out += Format("\\x%.2x", c);
    } else {
      out += static_cast<char>(c);
    }
    ++i;
  }
  return out + "\"";
}

std::string YesNo(bool value) { return value ? "yes" : "no"; }

std::string Version(const TOsVersion& version) {
  return Format("%u.%u.%u", version.major, version.minor, version.build);
}

std::string Number(std::uint64_t value) { return std::to_string(value); }

// 16 bytes a line, as xxd -p writes them, or 8 words a line for IDENTIFY.
void Block(std::string& out, std::string_view key, std::span<const std::uint8_t> block, bool words) {
  out += key;
  out += '\n';
  if (words) {
    for (std::size_t word = 0; word < block.size() / 2; ++word) {
      out += Format("%.4x", static_cast<unsigned>(block[word * 2] | block[word * 2 + 1] << 8));
      out += word % 8 == 7 ? '\n' : ' ';
    }
  } else {
    for (std::size_t i = 0; i < block.size(); ++i) {
      out += Format("%.2x", static_cast<unsigned>(block[i]));
      if (i % 16 == 15) out += '\n';
    }
  }
  out += "end\n";
}

void Os(std::string& out, const TMachineOs& os) {
  out += "[os]\n";
  out += "version " + Version(os.version) + "\n";
  out += "classic-version " + Version(os.classicVersion) + "\n";
  out += "disable-delete-notification " +
         (os.disableDeleteNotification ? Number(*os.disableDeleteNotification) : std::string("none")) + "\n";
  const TCalendarTime& c = os.clock;
  out += Format("clock %.4u-%.2u-%.2u %.2u:%.2u:%.2u\n", c.year, c.month, c.day, c.hour, c.minute, c.second);
  const int offset = os.utcOffsetMinutes < 0 ? -os.utcOffsetMinutes : os.utcOffsetMinutes;
  out += Format("utc-offset %s%.2d:%.2d\n", os.utcOffsetMinutes < 0 ? "-" : "+", offset / 60, offset % 60);
  out += "counter-frequency " + Number(static_cast<std::uint64_t>(os.counterFrequency)) + "\n";
  out += "random-seed " + Number(os.randomSeed) + "\n";
}

void Routes(std::string& out, const TMachineDevice& device) {
  std::string answers;
  for (std::size_t i = 0; i < kMachineRouteCount; ++i) {
    const TRouteAnswer& answer = device.routes[i];
    switch (answer.kind) {
      case TRouteAnswer::TKind::Answers:
        answers += " ";
        answers += kMachineRouteNames[i];
        break;
      case TRouteAnswer::TKind::Fails:
        // Error 1 is what a route not mentioned answers.
        if (answer.value != kErrorInvalidFunction) out += Format("fails %s %u\n", kMachineRouteNames[i], answer.value);
        break;
      case TRouteAnswer::TKind::ScsiStatus:
        out += Format("fails %s scsi-status %u\n", kMachineRouteNames[i], answer.value);
        break;
    }
  }
  if (!answers.empty()) out += "answers" + answers + "\n";
  for (std::size_t i = 0; i < kMachineRouteCount; ++i) {
    if (device.shortReplies[i]) out += Format("short %s %u\n", kMachineRouteNames[i], *device.shortReplies[i]);
  }
}

void Layout(std::string& out, const TMachineDevice& device) {
  const TMachineLayout& layout = device.layout;
  switch (layout.style) {
    case TPartitionStyle::Raw:
      out += "layout raw\n";
      return;
    case TPartitionStyle::Mbr:
      out += Format("layout mbr signature 0x%.8x\n", layout.signature);
      break;
    case TPartitionStyle::Gpt:
      out += Format("layout gpt disk-id %s usable-start %s usable-length %s max-partitions %u\n",
                    FormatGuid(layout.diskId), Number(layout.usableStart), Number(layout.usableLength),
                    layout.maxPartitions);
      break;
  }
  for (const TMachinePartition& p : layout.partitions) {
    out += Format("partition %u start %s length %s", p.number, Number(p.start), Number(p.length));
    if (layout.style == TPartitionStyle::Mbr) {
      out += Format(" type 0x%.2x boot %s recognized %s hidden %u\n", p.type, YesNo(p.boot), YesNo(p.recognized),
                    p.hiddenSectors);
    } else {
      out += Format(" type %s id %s attributes 0x%x name %s\n", FormatGuid(p.typeGuid), FormatGuid(p.id),
                    p.attributes, Quoted(p.name));
    }
  }
}

// The health log as a table of its fields when they hold all of it, so that a
// person can read the file; as bytes when the drive filled anything else.
void NvmeHealth(std::string& out, const TBlock512& block) {
  if (!machinefile::NvmeHealthTableHolds(block)) {
    Block(out, "nvme-health", block, false);
    return;
  }
  out += "nvme-health\n";
  for (const TNvmeHealthKey& field : NvmeHealthKeys()) {
    out += Format("%-28s %s\n", field.key, machinefile::NvmeHealthValueText(field, block));
  }
  out += "end\n";
}

void Nvme(std::string& out, const TMachineDevice& device) {
  if (device.nvmeProperty != TNvmeProperty::Both) {
    out += "nvme-property " + std::string(kNvmePropertyNames[static_cast<std::size_t>(device.nvmeProperty)]) + "\n";
  }
  if (device.nvmeIdentify) Block(out, "nvme-identify", *device.nvmeIdentify, false);
  if (device.nvmeNamespace) Block(out, "nvme-namespace", *device.nvmeNamespace, false);
  if (device.nvmeHealth) NvmeHealth(out, *device.nvmeHealth);
}

void Device(std::string& out, const TMachineDevice& device) {
  out += "[device " + device.path + "]\n";
  out += Format("kind %s\nnumber %u\n", kKindNames[static_cast<std::size_t>(device.kind)], device.number);
  Routes(out, device);
  out += "size " + Number(device.size) + "\n";
  const TMachineGeometry& g = device.geometry;
  out += Format("geometry cylinders %s media %u tracks %u sectors %u bytes %u\n", Number(g.cylinders), g.mediaType,
                g.tracksPerCylinder, g.sectorsPerTrack, g.bytesPerSector);
  const TMachineDescriptor& d = device.descriptor;
  out += Format("bus-type %u\ndevice-type %u\nremovable %s\ncommand-queueing %s\n", d.busType, d.deviceType,
                YesNo(d.removable), YesNo(d.commandQueueing));
  // An empty vendor is the descriptor without one; the other texts are always written,
  // or reading would take them from IDENTIFY.
  if (!d.vendor.empty()) out += "vendor " + Quoted(d.vendor) + "\n";
  out += "product " + Quoted(d.product) + "\nrevision " + Quoted(d.revision) + "\nserial " + Quoted(d.serial) + "\n";
  const TMachineSmartVersion& v = device.smartVersion;
  out += Format("smart-version version %u revision %u device-map %u capabilities %u\n", v.version, v.revision,
                v.deviceMap, v.capabilities);
  constexpr std::string_view kFlagNames[] = {"", "no", "yes", "none"};
  if (device.seekPenalty != TFlagProperty::FromIdentify)
    out += Format("seek-penalty %s\n", kFlagNames[static_cast<std::size_t>(device.seekPenalty)]);
  if (device.trim != TFlagProperty::FromIdentify)
    out += Format("trim %s\n", kFlagNames[static_cast<std::size_t>(device.trim)]);
  if (device.physicalSectorSize != 0) out += Format("physical-sector-size %u\n", device.physicalSectorSize);
  const TMachineReadModel& m = device.readModel;
  out += Format("read-model access-us %u rate-mb %u channels %u", m.accessMicros, m.rateMBps, m.channels);
  out += m.wallClock ? " wall-clock yes\n" : "\n";
  if (device.identify) Block(out, "identify", *device.identify, true);
  if (device.smartData) Block(out, "smart-data", *device.smartData, false);
  if (device.smartThresholds) Block(out, "smart-thresholds", *device.smartThresholds, false);
  Nvme(out, device);
  Layout(out, device);
}

// "\\?\Volume{GUID}\" gives GUID; anything else none.
std::string_view GuidOfPath(std::string_view path) {
  constexpr std::string_view kPrefix = "\\\\?\\Volume";
  if (!path.starts_with(kPrefix) || !path.ends_with("}\\")) return {};
  return path.substr(kPrefix.size(), path.size() - kPrefix.size() - 1);
}

void Volume(std::string& out, const TMachineVolume& v) {
  out += Format("[volume %s:]\n", v.letter);
  out += Format("disk %u\ndevice-type %u\npartition %u\n", v.disk, v.deviceType, v.partition);
  out += "label " + Quoted(v.label) + "\nfile-system " + Quoted(v.fileSystem) + "\n";
  out += Format("file-system-flags 0x%.8x\nmax-component-length %u\nserial %.8x\n", v.fileSystemFlags,
                v.maxComponentLength, v.serial);
  out += "size " + Number(v.size) + "\nfree " + Number(v.free) + "\n";
  out += Format("cluster-size %u\nbytes-per-sector %u\nattributes 0x%.8x\n", v.clusterSize, v.bytesPerSector,
                v.attributes);
  out += "dos-device " + Quoted(v.dosDevice) + "\n";
  if (const std::string_view guid = GuidOfPath(v.guidPath); !guid.empty()) out += "guid " + std::string(guid) + "\n";
  if (v.noMedia) out += "no-media\n";
  for (const TMachineExtent& e : v.extents)
    out += "extent disk " + Number(e.disk) + " start " + Number(e.start) + " length " + Number(e.length) + "\n";
}

}  // namespace

std::string WriteMachineFile(const TMachineFile& machine, std::string_view comment) {
  std::string out = "vexa-machine 1\n";
  for (std::string_view rest = comment; !rest.empty();) {
    const std::size_t end = rest.find('\n');
    out += "# " + std::string(rest.substr(0, end)) + "\n";
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  Os(out, machine.os);
  for (const TMachineDevice& device : machine.devices) Device(out, device);
  for (const TMachineVolume& volume : machine.volumes) Volume(out, volume);
  return out;
}

}  // namespace vexa
