// What this Linux PC's drives look like to the Windows storage stack: a machine
// file built from sysfs, the partition tables on the disks and the mounted file
// systems, so that a ReplayMachine answers the descriptive requests (descriptors,
// seek penalty, TRIM, alignment, device number, geometry, length, partition and
// layout, volumes) as Windows' disk and cdrom drivers would. The drive-command
// routes (ata, sat, smart, miniport) are left failing with error 1: the live side
// answers them through the kernel. Beside each device come the Linux facts that
// live side needs (its node, NVMe controller and namespace, transport, SCSI host).
// The order of the devices and the letters of the volumes are documented in
// docs/ARCHITECTURE.md ("Linux drives as Windows sees them").
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/MachineFile.h"
#include "platform/PartitionTable.h"

namespace vexa {

// A disk opened for reading its partition table; read is empty when it could not
// be opened, and error then says why.
struct TOpenedDisk {
  TReadAt read;
  std::string error;
};

struct TFileSystemSpace {
  std::uint64_t totalBytes = 0;
  std::uint64_t freeBytes = 0;  // what an unprivileged caller may use
  std::uint32_t blockSize = 0;  // the fragment size: the cluster
};

// Where the facts come from; the defaults read this PC. Tests point them at a tree
// in a temporary folder and replace the two seams.
struct TLinuxRoots {
  std::string sys = "/sys";
  std::string dev = "/dev";
  std::string mountInfo = "/proc/self/mountinfo";
  // Opens a block device node read-only (default: open(2) and pread(2)).
  std::function<TOpenedDisk(const std::string& node)> openDisk;
  // The size of the file system mounted at a folder (default: statvfs(3)).
  std::function<std::optional<TFileSystemSpace>(const std::string& mountPoint)> fileSystemSpace;
};

enum class TLinuxTransport : std::uint8_t { Ata, Scsi, Usb, Nvme, Virtio, Mmc, Other };

struct TLinuxDevice {
  std::string path;                       // the Windows path, as in the machine file
  std::string name;                       // the kernel's name: sda, nvme0n1, sr0
  std::string node;                       // the block device node: /dev/sda
  TLinuxTransport transport = TLinuxTransport::Other;
  std::string hostDriver;                 // the controller's driver: ahci, ata_piix, nvme, usb-storage...
  std::optional<std::uint32_t> scsiHost;  // the N of /sys/class/scsi_host/hostN
  std::string nvmeController;             // NVMe: the controller's character node, /dev/nvme0
  std::uint32_t nvmeNamespace = 0;        // NVMe: the namespace id
  std::uint32_t alignmentOffset = 0;      // bytes; the machine file has no key for it
  std::vector<std::string> notes;         // what could not be read, and what was assumed instead
};

struct TLinuxScsiHost {
  std::uint32_t number = 0;  // hostN
  std::string procName;      // the driver's name for it (ahci, usb-storage, virtio_scsi...)
};

struct TLinuxDescription {
  TMachineFile machine;               // devices and volumes as the replay machine plays them
  std::vector<TLinuxDevice> devices;  // one per machine.devices entry, in the same order
  // The SCSI hosts. They are not machine devices: an openable \\.\ScsiN: whose
  // miniport request fails would be listed by the device scan as a nameless drive.
  std::vector<TLinuxScsiHost> scsiHosts;
  std::vector<std::string> notes;     // about the whole machine (mounts left without a letter)
};

// Never throws for missing or garbage files: a fact that cannot be read takes a safe
// default and a note.
TLinuxDescription DescribeLinuxMachine(const TLinuxRoots& roots = {});

}  // namespace vexa
