// The Linux machine's description on a fake sysfs, /dev and mountinfo made in a
// temporary folder: the drives' order, what each transport's descriptor says, the
// partition tables read from images (or the kernel's partitions when a disk cannot
// be opened), garbage files, the volumes and their letters, and the device scan of
// the core over a replay machine built from the description.
#include "platform/linux/LinuxDevices.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "device/DeviceManager.h"
#include "platform/ReplayMachine.h"
#include "support/Bytes.h"
#include "views/DriveLayout.h"
#include "views/PartitionsModel.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kSectors = 131072;  // 64 MiB disks

class LinuxDevicesTest : public ::testing::Test {
protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("vexa-linuxdevices-" + std::to_string(::getpid()));
    fs::remove_all(root);
    roots.sys = (root / "sys").string();
    roots.dev = (root / "dev").string();
    roots.mountInfo = (root / "mountinfo").string();
    BuildTree();
    // mountinfo names sources by /dev path: here the fake tree's.
    std::string text;
    std::getline(std::ifstream(roots.mountInfo), text, '\0');
    for (std::size_t at; (at = text.find("ROOT/dev")) != std::string::npos;) text.replace(at, 8, roots.dev);
    std::ofstream(roots.mountInfo) << text;
    roots.openDisk = [this](const std::string& node) {
      const std::string name = fs::path(node).filename().string();
      const auto found = images.find(name);
      if (found == images.end()) return TOpenedDisk{{}, "Permission denied"};
      const std::vector<std::uint8_t>* image = &found->second;
      return TOpenedDisk{[image](std::uint64_t offset, std::size_t size) {
                           if (offset >= image->size()) return std::vector<std::uint8_t>{};
                           const auto end = image->begin() + static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(offset + size, image->size()));
                           return std::vector<std::uint8_t>(image->begin() + static_cast<std::ptrdiff_t>(offset), end);
                         },
                         {}};
    };
    roots.fileSystemSpace = [](const std::string& mountPoint) -> std::optional<TFileSystemSpace> {
      if (mountPoint == "/") return TFileSystemSpace{20 << 20, 5 << 20, 4096};
      return std::nullopt;
    };
  }
  void TearDown() override { fs::remove_all(root); }

  void Write(const fs::path& path, std::string_view text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  // A block device: /sys/block/NAME with its attributes and its device link.
  fs::path Block(const std::string& name, const std::string& dev, const fs::path& deviceDir, std::uint64_t sectors,
                 bool rotational = false) {
    const fs::path dir = root / "sys" / "block" / name;
    Write(dir / "size", std::to_string(sectors) + "\n");
    Write(dir / "dev", dev + "\n");
    Write(dir / "removable", "0\n");
    Write(dir / "queue" / "logical_block_size", "512\n");
    Write(dir / "queue" / "physical_block_size", "4096\n");
    Write(dir / "queue" / "rotational", rotational ? "1\n" : "0\n");
    Write(dir / "queue" / "discard_max_bytes", rotational ? "0\n" : "2147450880\n");
    if (!deviceDir.empty()) {
      fs::create_directories(deviceDir);
      fs::create_symlink(deviceDir, dir / "device");
    }
    return dir;
  }
  void Partition(const fs::path& disk, const std::string& name, std::uint32_t number, std::uint64_t start,
                 std::uint64_t size, const std::string& dev) {
    Write(disk / name / "partition", std::to_string(number));
    Write(disk / name / "start", std::to_string(start));
    Write(disk / name / "size", std::to_string(size));
    Write(disk / name / "dev", dev);
  }
  void Host(int number, std::string_view procName) {
    Write(root / "sys" / "class" / "scsi_host" / ("host" + std::to_string(number)) / "proc_name", procName);
  }
  void DiskLink(std::string_view by, const std::string& link, const std::string& node) {
    fs::create_directories(root / "dev" / "disk" / by);
    fs::create_symlink("../../" + node, root / "dev" / "disk" / by / link);
  }
  static void MbrEntry(std::vector<std::uint8_t>& image, std::uint64_t lba, int slot, std::uint8_t type,
                       std::uint32_t first, std::uint32_t count) {
    TMutableBytes sector = TMutableBytes(image).subspan(lba * 512, 512);
    PutU8(sector, 446 + slot * 16 + 4, type);
    PutU32(sector, 446 + slot * 16 + 8, first);
    PutU32(sector, 446 + slot * 16 + 12, count);
    PutU16(sector, 510, 0xAA55);
  }

  void BuildTree() {
    const fs::path devices = root / "sys" / "devices" / "pci0000:00";
    // An AHCI SATA disk: the kernel cuts the model to 16 characters; VPD 0x89 has it whole.
    Host(0, "ahci\n");
    const fs::path sataDevice = devices / "0000:00:1f.2" / "ata1" / "host0" / "target0:0:0" / "0:0:0:0";
    const fs::path sda = Block("sda", "8:0", sataDevice, kSectors);
    Write(sataDevice / "vendor", "ATA     \n");
    Write(sataDevice / "model", "Samsung SSD 850 \n");
    Write(sataDevice / "rev", "2B6Q\n");
    std::string pg89(60 + 512, '\0');
    const auto ata = [&](std::size_t word, std::string_view text) {
      for (std::size_t i = 0; i < text.size(); ++i) pg89[60 + word * 2 + (i ^ 1)] = text[i];
    };
    ata(10, "S2RBNX0H123456Z     ");
    ata(23, "EMT02B6Q");
    ata(27, "Samsung SSD 850 EVO 500GB               ");
    Write(sataDevice / "vpd_pg89", pg89);
    Partition(sda, "sda1", 1, 2048, 40960, "8:1");
    Partition(sda, "sda5", 5, 45120, 20000, "8:5");
    std::vector<std::uint8_t> image(kSectors * 512, 0);
    MbrEntry(image, 0, 0, 0x83, 2048, 40960);
    MbrEntry(image, 0, 1, 0x05, 45056, 30000);
    MbrEntry(image, 45056, 0, 0x83, 64, 20000);
    images["sda"] = image;
    // A PIIX IDE disk the caller may not open, with a garbage block size.
    Host(1, "ata_piix\n");
    const fs::path ideDevice = devices / "0000:00:01.1" / "ata2" / "host1" / "target1:0:0" / "1:0:0:0";
    const fs::path sdb = Block("sdb", "8:16", ideDevice, kSectors, true);
    Write(sdb / "queue" / "logical_block_size", "lots\n");
    Write(ideDevice / "vendor", "ATA\n");
    Write(ideDevice / "model", "WDC WD800JB-00JJ\n");
    Partition(sdb, "sdb1", 1, 63, 100000, "8:17");
    // A USB stick.
    Host(2, "usb-storage\n");
    const fs::path usbDevice = devices / "0000:00:14.0" / "usb1" / "1-1" / "1-1:1.0" / "host2" / "target2:0:0" / "2:0:0:0";
    const fs::path sdc = Block("sdc", "8:32", usbDevice, kSectors);
    Write(sdc / "removable", "1\n");
    Write(usbDevice / "vendor", "SanDisk \n");
    Write(usbDevice / "model", "Cruzer Blade    \n");
    Write(usbDevice / "rev", "1.00\n");
    Write(usbDevice / "vpd_pg80", std::string("\0\x80\0\x0c", 4) + "4C5300011234");
    // An NVMe namespace with a GPT-less, table-less image: raw.
    const fs::path nvmeController = devices / "0000:01:00.0" / "nvme" / "nvme0";
    Block("nvme0n1", "259:0", nvmeController, kSectors);
    Write(nvmeController / "model", "Samsung SSD 970 EVO Plus 1TB            \n");
    Write(nvmeController / "serial", "S4EWNX0R123456\n");
    Write(nvmeController / "firmware_rev", "2B2QEXM7\n");
    Write(root / "sys" / "block" / "nvme0n1" / "nsid", "1\n");
    images["nvme0n1"] = std::vector<std::uint8_t>(kSectors * 512, 0);
    // A virtio disk holding its file system whole, a garbage-sized disk, sdz and sdaa.
    const fs::path vda = Block("vda", "254:0", devices / "0000:00:02.0" / "virtio1", kSectors);
    Write(vda / "serial", "vexa-disk\n");
    Write(Block("sdd", "8:48", {}, 0) / "size", "12abc\n");
    Block("sdz", "65:144", {}, kSectors);
    Block("sdaa", "65:160", {}, kSectors);
    // An optical drive without a disc, and devices that are not drives.
    Host(3, "ahci\n");
    const fs::path opticalDevice = devices / "0000:00:1f.2" / "ata3" / "host3" / "target3:0:0" / "3:0:0:0";
    const fs::path sr0 = Block("sr0", "11:0", opticalDevice, 0);
    Write(sr0 / "queue" / "logical_block_size", "2048\n");
    Write(opticalDevice / "vendor", "HL-DT-ST\n");
    Write(opticalDevice / "model", "DVDRAM GH24NSB0 \n");
    Block("loop0", "7:0", {}, 100);
    Block("zram0", "252:0", {}, 100);
    Block("dm-0", "253:0", {}, 100);
    // Mounts: / twice (a bind of a subfolder too), /home on the logical drive,
    // /data on the virtio disk, and file systems on no listed disk.
    Write(root / "mountinfo",
          "20 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
          "21 20 0:5 / /proc rw - proc proc rw\n"
          "22 20 8:1 /srv /mnt/bind\\040here rw - ext4 /dev/sda1 rw\n"
          "23 20 8:5 / /home rw - ext4 /dev/sda5 rw\n"
          "24 20 254:0 / /data rw - vfat /dev/vda rw\n"
          "25 20 7:0 / /snap/core rw - squashfs /dev/loop0 ro\n"
          "26 20 0:44 / /srv/pool rw - btrfs ROOT/dev/sdc rw\n"
          "garbage line\n");
    DiskLink("by-label", "My\\x20Data", "vda");
    DiskLink("by-uuid", "1A2B-3C4D", "vda");
    DiskLink("by-uuid", "0b7d6a2e-1111-4222-8333-944445555666", "sda1");
  }

  const TLinuxDevice& Facts(const TLinuxDescription& d, std::string_view name) {
    const auto found = std::find_if(d.devices.begin(), d.devices.end(), [&](const TLinuxDevice& x) { return x.name == name; });
    EXPECT_NE(found, d.devices.end()) << name;
    return *found;
  }
  const TMachineDevice& Device(const TLinuxDescription& d, std::string_view name) {
    return d.machine.devices[static_cast<std::size_t>(&Facts(d, name) - d.devices.data())];
  }

  fs::path root;
  TLinuxRoots roots;
  std::map<std::string, std::vector<std::uint8_t>> images;
};

TEST_F(LinuxDevicesTest, DisksInNaturalOrderThenOpticalDrivesAndNothingVirtual) {
  const TLinuxDescription d = DescribeLinuxMachine(roots);
  ASSERT_EQ(d.devices.size(), d.machine.devices.size());
  std::vector<std::string> names, paths;
  for (std::size_t i = 0; i < d.devices.size(); ++i) {
    names.push_back(d.devices[i].name);
    paths.push_back(d.machine.devices[i].path);
    EXPECT_EQ(d.devices[i].path, d.machine.devices[i].path);
  }
  // Then a SCSI port for each host with an ATA disk, reaching that disk.
  EXPECT_EQ(names,
            (std::vector<std::string>{"sda", "sdb", "sdc", "sdd", "sdz", "sdaa", "nvme0n1", "vda", "sr0", "sda", "sdb"}));
  EXPECT_EQ(paths.front(), "\\\\.\\PhysicalDrive0");
  EXPECT_EQ(paths[7], "\\\\.\\PhysicalDrive7");
  EXPECT_EQ(paths[8], "\\\\.\\CdRom0");
  EXPECT_EQ(d.machine.devices[8].kind, TMachineDeviceKind::CdRom);
  EXPECT_EQ(paths.back(), "\\\\.\\Scsi1:");
  EXPECT_EQ(d.machine.devices.back().kind, TMachineDeviceKind::ScsiPort);
  ASSERT_EQ(d.scsiHosts.size(), 4u);
  EXPECT_EQ(d.scsiHosts[2].procName, "usb-storage");
}

TEST_F(LinuxDevicesTest, DescriptorsAsWindowsDriversFillThem) {
  const TLinuxDescription d = DescribeLinuxMachine(roots);
  struct TRow {
    const char* name;
    std::uint32_t bus;
    const char* vendor;
    const char* product;
    const char* revision;
    const char* serial;
    bool removable;
    std::uint8_t type;
  };
  const TRow rows[] = {
      {"sda", 11, "", "Samsung SSD 850 EVO 500GB", "EMT02B6Q", "S2RBNX0H123456Z", false, 0},
      {"sdb", 3, "", "WDC WD800JB-00JJ", "", "", false, 0},
      {"sdc", 7, "SanDisk", "Cruzer Blade", "1.00", "4C5300011234", true, 0},
      {"nvme0n1", 17, "", "Samsung SSD 970 EVO Plus 1TB", "2B2QEXM7", "S4EWNX0R123456", false, 0},
      {"vda", 1, "Red Hat", "VirtIO", "0001", "vexa-disk", false, 0},
      {"sr0", 11, "HL-DT-ST", "DVDRAM GH24NSB0", "", "", true, 5},
  };
  for (const TRow& row : rows) {
    const TMachineDescriptor& x = Device(d, row.name).descriptor;
    EXPECT_EQ(x.busType, row.bus) << row.name;
    EXPECT_EQ(x.vendor, row.vendor) << row.name;
    EXPECT_EQ(x.product, row.product) << row.name;
    EXPECT_EQ(x.revision, row.revision) << row.name;
    EXPECT_EQ(x.serial, row.serial) << row.name;
    EXPECT_EQ(x.removable, row.removable) << row.name;
    EXPECT_EQ(x.deviceType, row.type) << row.name;
  }
}

TEST_F(LinuxDevicesTest, LinuxFactsForTheLiveSide) {
  const TLinuxDescription d = DescribeLinuxMachine(roots);
  struct TRow {
    const char* name;
    TLinuxTransport transport;
    std::optional<std::uint32_t> host;
    const char* driver;
  };
  const TRow rows[] = {{"sda", TLinuxTransport::Ata, 0, "ahci"},         {"sdb", TLinuxTransport::Ata, 1, "ata_piix"},
                       {"sdc", TLinuxTransport::Usb, 2, "usb-storage"}, {"nvme0n1", TLinuxTransport::Nvme, {}, "nvme"},
                       {"vda", TLinuxTransport::Virtio, {}, "virtio_blk"}, {"sdz", TLinuxTransport::Other, {}, ""}};
  for (const TRow& row : rows) {
    const TLinuxDevice& x = Facts(d, row.name);
    EXPECT_EQ(x.transport, row.transport) << row.name;
    EXPECT_EQ(x.scsiHost, row.host) << row.name;
    EXPECT_EQ(x.hostDriver, row.driver) << row.name;
    EXPECT_EQ(x.node, roots.dev + "/" + row.name);
  }
  EXPECT_EQ(Facts(d, "nvme0n1").nvmeController, roots.dev + "/nvme0");
  EXPECT_EQ(Facts(d, "nvme0n1").nvmeNamespace, 1u);
}

TEST_F(LinuxDevicesTest, FlagsSizesAndGeometryFromTheQueue) {
  const TLinuxDescription d = DescribeLinuxMachine(roots);
  const TMachineDevice& ssd = Device(d, "sda");
  EXPECT_EQ(ssd.size, kSectors * 512);
  EXPECT_EQ(ssd.seekPenalty, TFlagProperty::No);
  EXPECT_EQ(ssd.trim, TFlagProperty::Yes);
  EXPECT_EQ(ssd.physicalSectorSize, 4096u);
  EXPECT_EQ(ssd.geometry.cylinders, kSectors * 512 / (255 * 63 * 512));
  EXPECT_EQ(ssd.geometry.mediaType, 12u);
  EXPECT_EQ(Device(d, "sdc").geometry.mediaType, 11u);
  const TMachineDevice& hdd = Device(d, "sdb");
  EXPECT_EQ(hdd.seekPenalty, TFlagProperty::Yes);
  EXPECT_EQ(hdd.trim, TFlagProperty::No);
  EXPECT_EQ(Device(d, "sr0").geometry.bytesPerSector, 2048u);
  EXPECT_EQ(Device(d, "sr0").seekPenalty, TFlagProperty::None);
  EXPECT_EQ(Device(d, "sda").Route(TMachineRoute::Layout).kind, TRouteAnswer::TKind::Answers);
  EXPECT_EQ(Device(d, "sda").Route(TMachineRoute::Ata).kind, TRouteAnswer::TKind::Fails);
}

TEST_F(LinuxDevicesTest, GarbageFilesTakeSafeDefaultsWithANote) {
  const TLinuxDescription d = DescribeLinuxMachine(roots);
  EXPECT_EQ(Device(d, "sdb").geometry.bytesPerSector, 512u);
  EXPECT_EQ(Device(d, "sdd").size, 0u);
  const auto noted = [&](std::string_view name, std::string_view part) {
    const std::vector<std::string>& notes = Facts(d, name).notes;
    return std::any_of(notes.begin(), notes.end(), [&](const std::string& n) { return n.find(part) != std::string::npos; });
  };
  EXPECT_TRUE(noted("sdb", "logical block size"));
  EXPECT_TRUE(noted("sdd", "size cannot be read"));
}

TEST_F(LinuxDevicesTest, LayoutFromTheDiskOrTheKernelsPartitionsWhenItCannotBeOpened) {
  const TLinuxDescription d = DescribeLinuxMachine(roots);
  const TMachineLayout& mbr = Device(d, "sda").layout;
  ASSERT_EQ(mbr.style, TPartitionStyle::Mbr);
  ASSERT_EQ(mbr.partitions.size(), 8u);
  EXPECT_EQ(mbr.partitions[4].number, 2u);  // sda5, the logical drive, is Windows' partition 2
  EXPECT_EQ(mbr.partitions[4].start, 45120u * 512);
  const TMachineLayout& fallback = Device(d, "sdb").layout;
  EXPECT_EQ(fallback.style, TPartitionStyle::Raw);
  ASSERT_EQ(fallback.partitions.size(), 1u);
  EXPECT_EQ(fallback.partitions[0].start, 63u * 512);
  EXPECT_NE(Facts(d, "sdb").notes.back().find("Permission denied"), std::string::npos);
  EXPECT_EQ(Device(d, "nvme0n1").layout.style, TPartitionStyle::Raw);
}

TEST_F(LinuxDevicesTest, VolumesOncePerSourceWithLettersInMountPointOrder) {
  const TLinuxDescription d = DescribeLinuxMachine(roots);
  const std::vector<TMachineVolume>& v = d.machine.volumes;
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[0].letter, 'C');  // "/"
  EXPECT_EQ(v[0].partition, 1u);
  EXPECT_EQ(v[0].size, 20u << 20);
  EXPECT_EQ(v[0].free, 5u << 20);
  EXPECT_EQ(v[0].serial, 0u);  // an ext4 UUID is too long to be a serial
  EXPECT_EQ(v[1].letter, 'D');  // "/data", a whole disk
  EXPECT_EQ(v[1].disk, 7u);
  EXPECT_EQ(v[1].partition, 0u);
  EXPECT_EQ(v[1].label, "My Data");
  EXPECT_EQ(v[1].fileSystem, "FAT32");
  EXPECT_EQ(v[1].serial, 0x1A2B3C4Du);
  EXPECT_EQ(v[1].size, kSectors * 512);  // no statvfs answer: the disk's size
  EXPECT_EQ(v[2].letter, 'E');  // "/home" on the logical drive
  EXPECT_EQ(v[2].partition, 2u);
  EXPECT_EQ(v[3].letter, 'F');  // "/srv/pool": btrfs, found by its source
  EXPECT_EQ(v[3].disk, 2u);
}

TEST_F(LinuxDevicesTest, TheCoreScansTheDescribedMachine) {
  ReplayMachine machine(DescribeLinuxMachine(roots).machine);
  TDeviceManager devices(machine);
  EXPECT_EQ(devices.Enumerate(DeviceKindPhysical(), 0, 256), 8);
  EXPECT_EQ(devices.Enumerate(DeviceKindScsi(), 0, 256), 2);
  EXPECT_EQ(devices.Enumerate(DeviceKindOptical(), 0, 256), 1);
  const TDeviceInfo& ssd = *devices.Device(0);
  EXPECT_EQ(ssd.GetDisplayName(), "Samsung SSD 850 EVO 500GB");
  EXPECT_EQ(ssd.size, kSectors * 512);
  EXPECT_EQ(ssd.busType, 11u);
  EXPECT_EQ(devices.Device(2)->GetDisplayName(), "SanDisk Cruzer Blade");
  EXPECT_EQ(devices.Device(2)->GetKindName(), "USB");
  EXPECT_EQ(devices.Device(4)->GetDisplayName(), "PhysicalDrive4");  // sdz: nothing names it
  EXPECT_EQ(devices.Device(10)->GetDisplayName(), "HL-DT-ST DVDRAM GH24NSB0");  // after the two ports

  const std::vector<TVolumeRecord> volumes = ScanVolumes(machine, {});
  ASSERT_EQ(volumes.size(), 4u);
  EXPECT_EQ(BuildVolumeListing(volumes, kDeviceTypeDisk, 0).summary, "C:  E:");
  TDeviceInfo& first = *devices.Device(0);
  ASSERT_TRUE(first.Open());
  const std::optional<TDriveLayout> layout = QueryDriveLayout(machine, first.handle);
  first.Close();
  ASSERT_TRUE(layout);
  const TPartitionListing listing = BuildPartitionListing(*layout, first.size);
  ASSERT_GE(listing.rows.size(), 8u);
  EXPECT_EQ(listing.rows[4].subItems[2], "2");
  EXPECT_EQ(machine.RefusedCount(), 0u);
}

TEST(LinuxDevicesReal, DescribesThisMachineWithoutFailing) {
  const TLinuxDescription d = DescribeLinuxMachine();
  EXPECT_EQ(d.devices.size(), d.machine.devices.size());
  ReplayMachine machine(d.machine);
  TDeviceManager devices(machine);
  EXPECT_EQ(devices.Enumerate(DeviceKindPhysical(), 0, 256) + devices.Enumerate(DeviceKindOptical(), 0, 256),
            static_cast<int>(d.devices.size()));
}

}  // namespace
}  // namespace vexa
