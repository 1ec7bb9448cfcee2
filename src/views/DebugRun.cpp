// The Debug page's sections. Every request uses the one shared buffer, cleared at
// each section and before a request that reuses it, and reads only the bytes the
// request returned; a failure marks the section and the run goes on.
#include "views/DebugRun.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "device/DeviceInfo.h"
#include "device/IdentifyNames.h"
#include "device/IoControl.h"
#include "device/NvmeQuery.h"
#include "device/SmartReader.h"
#include "knowledge/KnownDevices.h"
#include "knowledge/SmartAttributes.h"
#include "knowledge/SmartDescriptor.h"
#include "knowledge/decoders/ModelDecoder.h"
#include "knowledge/decoders/ModelDecoders.h"
#include "platform/Machine.h"
#include "platform/StorageLayout.h"
#include "shell/Version.h"
#include "support/Format.h"
#include "support/Text.h"
#include "views/DebugTree.h"

namespace vexa {

namespace st = storage;

namespace {

std::string TrueFalse(bool value) { return value ? "true" : "false"; }
std::string Quoted(std::string_view text) { return Format("\"%s\"", text); }

std::uint16_t WordOf(TBytes block, std::size_t word) { return GetU16(block, word * 2); }

// ATA text of words first..first+count-1, high byte first unless exchanged already.
std::string AtaText(TBytes block, std::size_t first, std::size_t count, bool exchange) {
  std::string text;
  for (std::size_t w = first; w < first + count && (w + 1) * 2 <= block.size(); ++w) {
    const char low = static_cast<char>(block[w * 2]), high = static_cast<char>(block[w * 2 + 1]);
    text += exchange ? high : low;
    text += exchange ? low : high;
  }
  return text;
}

// Every character at an odd position that is not a blank becomes "*".
std::string MaskSerial(std::string text) {
  for (std::size_t i = 1; i < text.size(); i += 2)
    if (text[i] != ' ') text[i] = '*';
  return text;
}

int HighestBit(std::uint16_t word, int from, int to) {
  for (int n = from; n >= to; --n)
    if (word & (1u << n)) return n;
  return -1;
}

std::string WordText(std::uint16_t value) { return Format("0x%4x  (%u)", value, value); }

std::string GuidAt(TBytes bytes, std::size_t at) {
  return FormatGuid(std::span<const std::uint8_t, 16>(bytes.data() + at, 16));
}

// A GPT partition name: UTF-16 up to its first NUL, 36 characters at most.
std::string GptNameAt(TBytes bytes, std::size_t at) {
  return Utf16TextAt(bytes, at, st::partitioninfoex::kGptNameChars);
}

constexpr std::string_view kPropertyNames[] = {"裝置",     "配接卡",   "IdProp",          "UniqueIdProp", "WriteCache",
                                               "Miniport", "AccessAlignment", "SeekPenalty", "Trim"};
constexpr std::uint32_t kPropertySizes[] = {40, 32, 16, 20, 28, 16, 28, 12, 12};

}  // namespace

TDebugRun::TDebugRun(Machine& machineRef, TDebugTreeLog& logRef, TDebugEnvironment env)
    : machine(machineRef), log(logRef), environment(std::move(env)) {}

void TDebugRun::Section(std::string_view title) {
  log.BeginSection(title);
  ClearBuffer();
}

void TDebugRun::ClearBuffer() {
  buffer.fill(0);
  bytesReturned = 0;
}

void TDebugRun::Dump(std::string_view name, TBytes bytes) const {
  if (environment.dump && !name.empty()) environment.dump(name, bytes);
}

void TDebugRun::DumpReply() const {
  Dump(log.SectionTitle(), TBytes(buffer).first(std::min<std::size_t>(bytesReturned, buffer.size())));
}

void TDebugRun::ValueRow(std::string_view label, std::string_view value) { log.AddValue(label, value); }
void TDebugRun::BoolRow(std::string_view label, bool value) { log.AddValue(label, TrueFalse(value)); }
void TDebugRun::BytesReturnedRow(std::uint32_t expected) {
  log.AddValue("# BR/記錄", Format("%d / %d", bytesReturned, expected));
}

bool TDebugRun::HandleValid(const TDeviceInfo& device) {
  if (device.handle != kInvalidHandle) return true;
  log.Fail("Invalid 裝置   Handle");
  return false;
}

void TDebugRun::Run(TDeviceInfo* device) {
  Program();
  OperatingSystem();
  LogicalDrives();
  if (!device) return;
  KnownDrive(*device);
  Decoders(*device);
  IdentifyWords(*device);
  Smart(*device);
  Properties(*device);
  Geometry(*device);
  PartitionInfo(*device);
  DriveLayout(*device);
  Length(*device);
  AtaPassThrough(*device);
  ScsiPassThrough(*device);
  Miniport(*device);
  // The NVMe requests go where the record would send them: to a disk that gave no
  // ATA identity or sits on the NVMe bus.
  if (device->deviceType == kDeviceTypeDisk &&
      (device->IsNvme() || device->busType == kBusTypeNvme || !device->identify.HasData())) {
    for (const TNvmeRequest request :
         {TNvmeRequest::IdentifyController, TNvmeRequest::IdentifyNamespace, TNvmeRequest::HealthLog})
      Nvme(*device, request);
  }
}

void TDebugRun::Program() {
  Section("Vexa");
  // The version word holds year, month and day in its bytes.
  ValueRow("版本", Format("%.2d.%.2d.%.2d", (kProgramVersion >> 16) & 0xFF, (kProgramVersion >> 8) & 0xFF,
                          kProgramVersion & 0xFF));
  const TCalendarTime now = machine.LocalTime();
  ValueRow("時間戳", Format("%.4d/%.2d/%.2d - %.2d:%.2d:%.2d", now.year, now.month, now.day, now.hour, now.minute,
                            now.second));
}

void TDebugRun::OperatingSystem() {
  Section("動作系統");
  const TOsVersion rtl = machine.TrueOsVersion();
  const TOsVersion classic = machine.ClassicOsVersion();
  ValueRow("Windows 版本 (RTL)", Format("%d.%d.%d", rtl.major, rtl.minor, rtl.build));
  ValueRow("Windows 版本 (Old Method)", Format("%d.%d.%d", classic.major, classic.minor, classic.build));
  BoolRow("支援 TRIM (Win7+)", classic.major > 6 || (classic.major == 6 && classic.minor != 0));
  BoolRow("DisableDeleteNotification", environment.trimEnabled);
  ValueRow("DPI 設定", Format("%d%% (%d PPI)", environment.scale100, environment.pixelsPerInch));
}

void TDebugRun::LogicalDrives() {
  Section("取得邏輯磁碟機 (全局)");
  log.BeginNode("獲得邏輯磁碟機字元串");
  const std::vector<std::string> strings = machine.LogicalDriveStrings();
  for (std::size_t i = 0; i < strings.size(); ++i) ValueRow(Format("索引 %.2d", i), strings[i]);
  log.EndNode();
  const std::uint32_t mask = machine.LogicalDriveMask();
  for (int i = 0; i < 26; ++i)
    if (mask & (1u << i)) Volume(static_cast<char>('A' + i));
}

void TDebugRun::Volume(char letter) {
  const std::string drive = Format("%s:", letter);
  const std::string root = drive + "\\";
  log.BeginNode(Format("磁碟區 %s", root));
  const THandle handle = machine.Open("\\\\.\\" + drive, {.write = true, .noBuffering = true});
  const TVolumeInformation information = machine.VolumeInformation(root);
  if (information.ok) {
    ValueRow("磁碟區號", Format("%.4x-%.4x", information.serialNumber >> 16, information.serialNumber & 0xFFFF));
    ValueRow("最大檔案名長度", Format("%d", information.maxComponentLength));
    ValueRow("檔案系統標誌", Format("0x%.8x", information.fileSystemFlags));
    ValueRow("檔案系統名稱", Quoted(information.fileSystem));
  } else {
    log.Error(information.error, 0, "GetVolumeInformation(" + root + ")");
  }
  ValueRow("屬性", Format("0x%.8x", machine.FileAttributes(root)));
  ValueRow("DOS 裝置名稱", machine.DosDeviceName(drive).value_or("<功能失敗>"));
  if (const std::optional<std::string> guid = machine.VolumeGuidPath(root)) {
    ValueRow("VolumeMountPoint", Quoted(*guid));
  } else {
    log.Fail("VolumeMountPoint failed");
  }
  if (const std::optional<TDiskFreeSpace> space = machine.DiskFreeSpace(root)) {
    log.BeginNode("GetDiskFreeSpace");
    ValueRow("dwSectorsPerCluster", Format("%d", space->sectorsPerCluster));
    ValueRow("dwBytesPerSector", Format("%d", space->bytesPerSector));
    ValueRow("dwNumberOfFreeClusters", Format("%d", space->freeClusters));
    ValueRow("dwTotalNumberOfClusters", Format("%d", space->totalClusters));
    log.EndNode();
  }
  log.BeginNode("裝置編號");
  ClearBuffer();
  TIoResult result = machine.Control(handle, st::kIoctlStorageGetDeviceNumber, {},
                                     TMutableBytes(buffer).first(st::devicenumber::kSize));
  bytesReturned = result.bytes;
  if (result.ok) {
    ValueRow("裝置類型", Format("%d", GetU32(buffer, st::devicenumber::kDeviceType)));
    ValueRow("裝置編號", Format("%d", GetU32(buffer, st::devicenumber::kDeviceNumber)));
    ValueRow("分區號", Format("%d", GetU32(buffer, st::devicenumber::kPartitionNumber)));
  } else {
    log.Error(result.error, bytesReturned, "獲取裝置編號失敗");
  }
  log.EndNode();
  ClearBuffer();
  result = machine.Control(handle, st::kIoctlVolumeGetVolumeDiskExtents, {}, buffer);
  bytesReturned = result.bytes;
  if (result.ok) {
    namespace ex = st::extents;
    const std::uint32_t count = GetU32(buffer, ex::kNumberOfDiskExtents);
    ValueRow("NumberOfDiskExtents", Format("%d", count));
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t at = ex::kExtents + i * ex::kExtentSize;
      if (at + ex::kExtentSize > std::min<std::size_t>(bytesReturned, buffer.size())) break;
      log.BeginNode(Format("DiskExtent(%.2d)", i));
      ValueRow("DiskNumber", Format("%d", GetU32(buffer, at + ex::kDiskNumber)));
      log.AddSize("StartingOffset", static_cast<std::int64_t>(GetU64(buffer, at + ex::kStartingOffset)));
      log.AddSize("ExtentLength", static_cast<std::int64_t>(GetU64(buffer, at + ex::kExtentLength)));
      log.EndNode();
    }
  } else {
    log.Error(result.error, bytesReturned, "磁碟分區延伸失敗");
  }
  machine.Close(handle);
  log.EndNode();
}

void TDebugRun::KnownDrive(const TDeviceInfo& device) {
  Section("已知裝置");
  if (device.brand != 0) {
    ValueRow("已知供應商", Quoted(TKnownDevicesDB::BrandName(device.brand)));
  } else {
    log.AddLine("未知的供應商");
  }
  const TKnownDevice* row = device.knownRow;
  if (!row) {
    log.Fail(Format("沒有已知的裝置型號 \"%s\"", device.model));
    return;
  }
  const auto text = [](const char* value) { return Quoted(value ? value : ""); };
  ValueRow("型號", text(row->modelName));
  ValueRow("符合", text(row->pattern));
  ValueRow("製造商", text(row->brandName));
  ValueRow("控制器", text(row->controller));
  ValueRow("NAND", text(row->flash));
  ValueRow("技術", text(row->process));
  ValueRow("元件", text(row->cellType));
  ValueRow("啟動", text(row->releaseDate));
}

void TDebugRun::Decoders(const TDeviceInfo& device) {
  Section("型號解碼器");
  int matched = 0;
  for (const std::unique_ptr<TModelDecoder>& decoder : CreateModelDecoders()) {
    const int rows = decoder->Decode(device.model);
    if (rows <= 0) continue;
    ++matched;
    log.BeginNode(decoder->GetName());
    ValueRow("# 符合", Quoted(decoder->MatchedText()));
    for (int i = 0; i < rows; ++i) {
      const std::string capture = i < decoder->Regex().CaptureCount() ? decoder->Regex().GetCapture(i) : "";
      ValueRow(Format("[%.2d] %s", i, decoder->RowLabel(i)), Format("\"%-6s : %s\"", capture, decoder->RowValue(i)));
    }
    log.EndNode(true);
  }
  if (matched == 0) log.Fail("沒有解碼器可以解析特殊的型號");
}

void TDebugRun::IdentifyWords(const TDeviceInfo& device) {
  Section(Format("裝置識別字 (%.3d)", 256));
  const TIdentifyData& identify = device.identify;
  const std::uint8_t checksum = identify.ComputeChecksum();
  ValueRow("<校驗>", WordText(checksum));
  BoolRow("<校驗有效性>", identify.ChecksumValid());
  if (!identify.HasData()) {
    log.Fail("錯誤: 無效的裝置識別，所有的值都為零");
    return;
  }
  const TBytes block = identify.Block();
  if (device.brand == 5 || device.brand == 6) {
    ValueRow("Micron 完整韌體", AtaText(block, 129, 8, true));
    ValueRow("Micron 裝置名稱", AtaText(block, 137, 23, true));
  } else if (device.brand == 3) {
    ValueRow("NAND 閃存型號", AtaText(block, 129, 31, true));
  }
  IdentifyAnalysis(block, true);
  for (std::size_t w = 0; w < 256; ++w) ValueRow(Format("字 %.3d", w), WordText(WordOf(block, w)));
}

void TDebugRun::IdentifyAnalysis(TBytes block, bool exchange) {
  if (block.size() < 512) return;
  log.BeginNode("裝置識別資料分析");
  ValueRow("序號", Quoted(MaskSerial(AtaText(block, 10, 10, exchange))));
  ValueRow("韌體", Quoted(AtaText(block, 23, 4, exchange)));
  ValueRow("型號", Quoted(AtaText(block, 27, 20, exchange)));
  const std::uint16_t w76 = WordOf(block, 76), w77 = WordOf(block, 77), w78 = WordOf(block, 78);
  BoolRow("支援NCQ", (w76 >> 8) & 1);
  if (const int generation = HighestBit(w76, 4, 1); generation > 0) ValueRow("SATA 時代", Format("%d", generation));
  ValueRow("SATA 速度", Format("%d", (w77 >> 1) & 3));
  ValueRow("支援裝置睡眠", Format("%s / %s", TrueFalse((w78 >> 8) & 1), TrueFalse((w77 >> 7) & 1)));
  if (const int major = HighestBit(WordOf(block, 80), 11, 1); major > 0)
    ValueRow("主要版本依從性", AtaMajorVersionName(static_cast<unsigned>(major)));
  BoolRow("支援 SMART", WordOf(block, 82) & 1);
  BoolRow("48 位尋址支援", (WordOf(block, 83) >> 10) & 1);
  BoolRow("進階電源管理", (WordOf(block, 83) >> 3) & 1);
  const std::uint16_t w88 = WordOf(block, 88);
  ValueRow("支援 UltraDMA 模式", Format("%u", std::max(0, HighestBit(w88, 7, 0))));
  ValueRow("選取 UltraDMA 模式", Format("%u", std::max(0, HighestBit(w88, 15, 8) - 8)));
  const std::uint16_t w106 = WordOf(block, 106);
  ValueRow("邏輯扇區/物理", (w106 & 0xE000) == 0x6000 ? Format("%ux", 1u << (w106 & 7)) : std::string("1x (未使用)"));
  const std::uint16_t w108 = WordOf(block, 108), w109 = WordOf(block, 109);
  ValueRow("全球通用名稱", Format("%x-%.3x", w108 >> 12, w108 & 0xFFF) + Format("%.3x-%x", w109 >> 4, w109 & 0xF) +
                               Format("%.4x%.4x", WordOf(block, 110), WordOf(block, 111)));
  BoolRow("支援 TRIM", WordOf(block, 169) == 1);
  const std::uint16_t w217 = WordOf(block, 217);
  ValueRow("NominalMediaRotationRate", Format("%u (ssd = %s)", w217, TrueFalse(w217 == 1)));
  ValueRow("完整性校驗", Format("0x%.4x", WordOf(block, 255)));
  log.EndNode();
}

void TDebugRun::Smart(const TDeviceInfo& device) {
  Section("S.M.A.R.T.");
  if (!HandleValid(device)) return;
  TSmartReader reader(machine);
  const auto drive = static_cast<std::uint8_t>(device.number);
  BoolRow("支援", reader.EnableSmart(device.handle, drive));
  if (device.smartDescriptor) ValueRow("屬性描述符", device.smartDescriptor->DisplayName());
  std::array<std::uint8_t, st::getversion::kSize> version{};
  if (reader.GetSmartVersion(device.handle, version) > 0) {
    log.BeginNode("版本資訊");
    ValueRow("bVersion", Format("%d", version[st::getversion::kVersion]));
    ValueRow("bRevision", Format("%d", version[st::getversion::kRevision]));
    ValueRow("bReserved", Format("%d", version[st::getversion::kReserved]));
    ValueRow("bIDE裝置  Map", Format("%d", version[st::getversion::kIdeDeviceMap]));
    const std::uint32_t capabilities = GetU32(version, st::getversion::kCapabilities);
    std::string names;
    for (const auto& [bit, name] : {std::pair{0u, "ATA"}, {1u, "ATAPI"}, {2u, "SMART"}})
      if (capabilities & (1u << bit)) names += (names.empty() ? "" : ", ") + std::string(name);
    ValueRow("fCapabilities", Format("%d (%s)", capabilities, names));
    for (int i = 0; i < 4; ++i)
      ValueRow(Format("dwReserved[%d]", i), Format("%d", GetU32(version, st::getversion::kDwReserved + i * 4)));
    log.EndNode();
  }
  std::array<std::uint8_t, 512> identify{};
  if (reader.IdentifyViaSmart(device.handle, drive, identify)) {
    log.BeginNode("供應商資訊");
    IdentifyAnalysis(identify, false);
    log.EndNode();
  }
  TSmartAttributes attributes;
  if (reader.ReadSmartData(device.handle, drive, attributes.DataBlock(), attributes.ThresholdBlock())) {
    log.BeginNode(Format("屬性 (%d)", attributes.Count()));
    std::unique_ptr<TSmartDescriptor> names = device.CreateSmartDescriptor();
    names->SetAttributes(&attributes);
    for (std::size_t i = 0; i < attributes.Count(); ++i) {
      const TSmartEntry entry = attributes.Entry(i);
      log.BeginNode(Format("%.3d: %s", entry.Id(), names->AttributeName(entry.Id())));
      std::string flags;
      for (int bit = 15; bit >= 0; --bit) flags += (entry.Flags() >> bit) & 1 ? '1' : '0';
      flags.erase(0, std::min(flags.find('1'), flags.size() - 8));
      ValueRow("標誌", "0b" + flags);
      ValueRow("目前", Format("%d", entry.Current()));
      ValueRow("不良", Format("%d", entry.Worst()));
      ValueRow("閾值", Format("%d", attributes.ThresholdOf(entry.Id())));
      ValueRow("原始值", Format("0x%.x (%d)", entry.Raw(), entry.Raw()));
      if (entry.VendorByte() != 0) ValueRow("已保留", Format("%d", entry.VendorByte()));
      log.EndNode();
    }
    log.EndNode();
  }

  // The checksum of the data block, asked directly without the fallback routes.
  log.BeginNode("校驗");
  TSmartCommandBlock command = SmartTemplate(512, st::atacmd::kSmartReadData, drive);
  ClearBuffer();
  TIoResult result = machine.Control(device.handle, st::kSmartRcvDriveData, command, buffer);
  bytesReturned = result.bytes;
  namespace out = st::sendcmdout;
  if (result.ok) {
    const TBytes data = TBytes(buffer).subspan(out::kBuffer, 512);
    Dump("Smart_Attribs", data);
    ValueRow("cBufferSize", Format("%d", GetU32(buffer, out::kBufferSize)));
    ValueRow("bDriverError", Format("%d", buffer[out::kDriverError]));
    ValueRow("bIDEError", Format("%d", buffer[out::kIdeError]));
    int sum = 0;
    for (std::size_t i = 0; i < 511; ++i) sum = static_cast<std::int8_t>(sum + data[i]);
    ValueRow("校驗", Format("%d + %d = %d", sum, data[511], sum + data[511]));
    BoolRow("有效校驗", (sum + data[511]) % 256 == 0);
  } else {
    log.Error(result.error, bytesReturned);
  }
  log.EndNode();

  log.BeginNode("返回狀態");
  command = SmartTemplate(24, st::atacmd::kSmartReturnStatus, drive);
  command[st::sendcmdin::kRegisters + st::taskfile::kSectorCount] = 0;
  ClearBuffer();
  result = machine.Control(device.handle, st::kSmartSendDriveCommand, command, buffer);
  bytesReturned = result.bytes;
  if (result.ok) {
    BytesReturnedRow(16);
    Dump("Smart_ReturnedStatus", TBytes(buffer).first(std::min<std::size_t>(bytesReturned, buffer.size())));
    const std::uint32_t size = GetU32(buffer, out::kBufferSize);
    ValueRow("cBufferSize", Format("%d", size));
    ValueRow("bDriverError", Format("%d", buffer[out::kDriverError]));
    ValueRow("bIDEError", Format("%d", buffer[out::kIdeError]));
    log.BeginNode(Format("值 (%d)", size));
    const std::size_t shown = std::min<std::size_t>(size, buffer.size() - out::kBuffer);
    for (std::size_t i = 0; i < shown; ++i) ValueRow(Format("%d", i), Format("%d", buffer[out::kBuffer + i]));
    log.EndNode();
  } else {
    log.Error(result.error, bytesReturned);
  }
  log.EndNode();
}

void TDebugRun::Properties(const TDeviceInfo& device) {
  Section("IOCTL_STORAGE_QUERY_PROPERTY");
  if (!HandleValid(device)) return;
  for (std::uint32_t id = 0; id < std::size(kPropertyNames); ++id) {
    log.BeginNode(Format("%.2d: %s", id, kPropertyNames[id]));
    ClearBuffer();
    std::array<std::uint8_t, st::propertyquery::kSize> query{};
    PutU32(query, st::propertyquery::kPropertyId, id);
    const TIoResult result = machine.Control(device.handle, st::kIoctlStorageQueryProperty, query, buffer);
    bytesReturned = result.bytes;
    if (!result.ok) {
      log.Error(result.error, bytesReturned);
      log.EndNode();
      continue;
    }
    const TBytes reply = TBytes(buffer).first(std::min<std::size_t>(bytesReturned, buffer.size()));
    Dump(Format("%.2d) %s", id, kPropertyNames[id]), reply);
    BytesReturnedRow(kPropertySizes[id]);
    ValueRow("版本", Format("%d", GetU32(buffer, 0)));
    ValueRow("Size", Format("%d", GetU32(buffer, 4)));
    const auto u32 = [&](std::string_view label, std::size_t at) { ValueRow(label, Format("%u", GetU32(buffer, at))); };
    const auto u8 = [&](std::string_view label, std::size_t at) { ValueRow(label, Format("%u", buffer[at])); };
    const auto d8 = [&](std::string_view label, std::size_t at) { ValueRow(label, Format("%d", buffer[at])); };
    switch (id) {
      case 0: {
        namespace dd = st::devicedescriptor;
        u8("裝置  Type", dd::kDeviceType);
        u8("裝置  TypeModifier", dd::kDeviceTypeModifier);
        u8("RemovableMedia", dd::kRemovableMedia);
        u8("CommandQueueing", dd::kCommandQueueing);
        u32("^VendorIdOffset", dd::kVendorIdOffset);
        u32("^ProductIdOffset", dd::kProductIdOffset);
        u32("^ProductRevisionOffset", dd::kProductRevisionOffset);
        u32("^SerialNumberOffset", dd::kSerialNumberOffset);
        ValueRow("BusType", Format("%u = %s", GetU32(buffer, dd::kBusType), BusTypeName(GetU32(buffer, dd::kBusType))));
        u32("RawPropertiesLength", dd::kRawPropertiesLength);
        u32("Raw裝置  Properties", dd::kRawDeviceProperties);
        ValueRow("*VendorIdOffset", Quoted(ZeroTerminatedTextAt(reply, GetU32(buffer, dd::kVendorIdOffset))));
        ValueRow("*ProductIdOffset", Quoted(ZeroTerminatedTextAt(reply, GetU32(buffer, dd::kProductIdOffset))));
        ValueRow("*ProductRevisionOffset", Quoted(ZeroTerminatedTextAt(reply, GetU32(buffer, dd::kProductRevisionOffset))));
        ValueRow("*SerialNumberOffset", Quoted(MaskSerial(ZeroTerminatedTextAt(reply, GetU32(buffer, dd::kSerialNumberOffset)))));
        break;
      }
      case 1: {
        namespace ad = st::adapterdescriptor;
        u32("MaximumTransferLength", ad::kMaximumTransferLength);
        u32("MaximumPhysicalPages", ad::kMaximumPhysicalPages);
        u32("AlignmentMask", ad::kAlignmentMask);
        u8("AdapterUsesPio", ad::kAdapterUsesPio);
        u8("AdapterScansDown", ad::kAdapterScansDown);
        u8("CommandQueueing", ad::kCommandQueueing);
        u8("AcceleratedTransfer", ad::kAcceleratedTransfer);
        ValueRow("BusType", Format("%u = %s", buffer[ad::kBusType], BusTypeName(buffer[ad::kBusType])));
        ValueRow("BusMajorVersion", Format("%u", GetU16(buffer, ad::kBusMajorVersion)));
        ValueRow("BusMinorVersion", Format("%u", GetU16(buffer, ad::kBusMinorVersion)));
        break;
      }
      case 2:
        ValueRow("NumberOfIdentifiers", Format("%d", GetU32(buffer, 8)));
        break;
      case 3:
        ValueRow("^Storage裝置  IdOffset", Format("%d", GetU32(buffer, 8)));
        ValueRow("^Storage裝置  Offset", Format("%d", GetU32(buffer, 12)));
        ValueRow("^DriveLayoutSignatureOffset", Format("%d", GetU32(buffer, 16)));
        break;
      case 4: {
        constexpr std::string_view kNames[] = {"WriteCacheType", "WriteCacheEnabled", "WriteCacheChangeable",
                                               "WriteThroughSupported", "FlushCacheSupported",
                                               "UserDefinedPowerProtection", "NVCacheEnabled"};
        for (std::size_t i = 0; i < std::size(kNames); ++i)
          ValueRow(kNames[i], Format("%d", i < 4 ? GetU32(buffer, 8 + i * 4) : buffer[24 + i - 4]));
        break;
      }
      case 5:
        ValueRow("Portdriver", Format("%d", GetU32(buffer, 8)));
        d8("LUNResetSupported", 12);
        d8("TargetResetSupported", 13);
        break;
      case 6: {
        namespace al = st::alignmentdescriptor;
        ValueRow("BytesPerCacheLine", Format("%d", GetU32(buffer, al::kBytesPerCacheLine)));
        ValueRow("BytesOffsetForCacheAlignment", Format("%d", GetU32(buffer, al::kBytesOffsetForCacheAlignment)));
        ValueRow("BytesPerLogicalSector", Format("%d", GetU32(buffer, al::kBytesPerLogicalSector)));
        ValueRow("BytesPerPhysicalSector", Format("%d", GetU32(buffer, al::kBytesPerPhysicalSector)));
        ValueRow("BytesOffsetForSectorAlignment", Format("%d", GetU32(buffer, al::kBytesOffsetForSectorAlignment)));
        break;
      }
      case 7:
        d8("IncursSeekPenalty", st::flagdescriptor::kFlag);
        break;
      default:
        d8("TrimEnabled", st::flagdescriptor::kFlag);
        break;
    }
    log.EndNode();
  }
}

void TDebugRun::Geometry(const TDeviceInfo& device) {
  for (const bool extended : {false, true}) {
    Section(extended ? "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX" : "IOCTL_DISK_GET_DRIVE_GEOMETRY");
    if (!HandleValid(device)) return;
    const TIoResult result = machine.Control(
        device.handle, extended ? st::kIoctlDiskGetDriveGeometryEx : st::kIoctlDiskGetDriveGeometry, {},
        TMutableBytes(buffer).first(extended ? st::geometry::kExSize : st::geometry::kSize));
    bytesReturned = result.bytes;
    if (!result.ok) {
      log.Error(result.error, bytesReturned);
      continue;
    }
    BytesReturnedRow(extended ? 40 : 24);
    const TDiskGeometry g = DecodeGeometry(TBytes(buffer).first(std::min<std::size_t>(bytesReturned, 24)));
    ValueRow("Cylinders", Format("%u", g.cylinders));
    ValueRow("MediaType", Format("%d", g.mediaType));
    ValueRow("TracksPerCylinder", Format("%d", g.tracksPerCylinder));
    ValueRow("SectorsPerTrack", Format("%d", g.sectorsPerTrack));
    ValueRow("BytesPerSector", Format("%d", g.bytesPerSector));
    if (extended) {
      log.AddSize("DiskSize.QuadPart", static_cast<std::int64_t>(GetU64(buffer, st::geometry::kExDiskSize)));
    } else {
      // A product beyond 128 bits (no disk has one) shows as the most they hold.
      TUInt128 bytes = Multiply(g.cylinders, g.tracksPerCylinder);
      if (!TryMultiply(bytes, g.sectorsPerTrack) || !TryMultiply(bytes, g.bytesPerSector)) {
        bytes = {~std::uint64_t{0}, ~std::uint64_t{0}};
      }
      ValueRow("= 計算容量", Format("%.3f GB", TRatio(bytes, std::uint64_t{1} << 30)));
    }
  }
}

void TDebugRun::PartitionInfo(const TDeviceInfo& device) {
  namespace pi = st::partitioninfo;
  namespace pe = st::partitioninfoex;
  Section("IOCTL_DISK_GET_PARTITION_INFO");
  if (!HandleValid(device)) return;
  TIoResult result = machine.Control(device.handle, st::kIoctlDiskGetPartitionInfo, {}, buffer);
  bytesReturned = result.bytes;
  if (result.ok) {
    BytesReturnedRow(32);
    DumpReply();
    ValueRow("StartingOffset", Format("%u", GetU64(buffer, pi::kStartingOffset)));
    log.AddSize("PartitionLength", static_cast<std::int64_t>(GetU64(buffer, pi::kPartitionLength)));
    ValueRow("HiddenSectors", Format("%d", GetU32(buffer, pi::kHiddenSectors)));
    ValueRow("PartitionNumber", Format("%d", GetU32(buffer, pi::kPartitionNumber)));
    ValueRow("PartitionType", Format("%d", buffer[pi::kPartitionType]));
    ValueRow("BootIndicator", Format("%d", buffer[pi::kBootIndicator]));
    ValueRow("RecognizedPartition", Format("%d", buffer[pi::kRecognizedPartition]));
    ValueRow("RewritePartition", Format("%d", buffer[pi::kRewritePartition]));
  } else {
    log.Error(result.error, bytesReturned);
  }
  Section("IOCTL_DISK_GET_PARTITION_INFO_EX");
  result = machine.Control(device.handle, st::kIoctlDiskGetPartitionInfoEx, {}, buffer);
  bytesReturned = result.bytes;
  if (!result.ok) {
    log.Error(result.error, bytesReturned);
    return;
  }
  BytesReturnedRow(144);
  DumpReply();
  const std::uint32_t style = GetU32(buffer, pe::kPartitionStyle);
  ValueRow("PartitionStyle", Format("%d (0:mbr/1:gpt/2:raw)", style));
  ValueRow("StartingOffset", Format("%u", GetU64(buffer, pe::kStartingOffset)));
  log.AddSize("PartitionLength", static_cast<std::int64_t>(GetU64(buffer, pe::kPartitionLength)));
  ValueRow("PartitionNumber", Format("%u", GetU32(buffer, pe::kPartitionNumber)));
  ValueRow("RewritePartition", Format("%d", buffer[pe::kRewritePartition]));
  if (style == 0) {
    log.BeginNode("主引導記錄");
    ValueRow("PartitionType", Format("%d", buffer[pe::kMbrPartitionType]));
    ValueRow("BootIndicator", Format("%d", buffer[pe::kMbrBootIndicator]));
    ValueRow("RecognizedPartition", Format("%d", buffer[pe::kMbrRecognizedPartition]));
    ValueRow("HiddenSectors", Format("%d", GetU32(buffer, pe::kMbrHiddenSectors)));
    log.EndNode(true);
  } else if (style == 1) {
    log.BeginNode("GUID Partition Table");
    ValueRow("PartitionType", GuidAt(buffer, pe::kGptPartitionType));
    ValueRow("PartitionId", GuidAt(buffer, pe::kGptPartitionId));
    ValueRow("屬性", Format("%u", GetU64(buffer, pe::kGptAttributes)));
    ValueRow("名稱", Quoted(GptNameAt(buffer, pe::kGptName)));
    log.EndNode(true);
  } else {
    ValueRow("<未知或 RAW分區>", Format("%d", style));
  }
}

void TDebugRun::DriveLayout(const TDeviceInfo& device) {
  namespace l = st::layout;
  namespace pe = st::partitioninfoex;
  Section("IOCTL_DISK_GET_DRIVE_LAYOUT_EX");
  if (!HandleValid(device)) return;
  const TIoResult result = machine.Control(device.handle, st::kIoctlDiskGetDriveLayoutEx, {}, buffer);
  bytesReturned = result.bytes;
  if (!result.ok) {
    log.Error(result.error, bytesReturned);
    return;
  }
  ValueRow("# BR / 記錄", Format("%d / %d, %d", bytesReturned, 192, 144));
  DumpReply();
  const std::size_t available = std::min<std::size_t>(bytesReturned, buffer.size());
  const std::uint32_t style = GetU32(buffer, l::kPartitionStyle);
  const std::uint32_t count = GetU32(buffer, l::kPartitionCount);
  ValueRow("PartitionStyle", Format("%d (0:mbr/1:gpt/2:raw)", style));
  ValueRow("PartitionCount", Format("%u", count));
  if (style == 0) {
    log.BeginNode("主引導記錄");
    ValueRow("Signature", Format("0x%.8x", GetU32(buffer, l::kMbrSignature)));
    log.EndNode(true);
  } else if (style == 1) {
    log.BeginNode("GUID Partition Table");
    ValueRow("DiskId", GuidAt(buffer, l::kGptDiskId));
    ValueRow("StartingUsableOffset", Format("%u", GetU64(buffer, l::kGptStartingUsableOffset)));
    log.AddSize("UsableLength", static_cast<std::int64_t>(GetU64(buffer, l::kGptUsableLength)));
    ValueRow("MaxPartitionCount", Format("%d", GetU32(buffer, l::kGptMaxPartitionCount)));
    log.EndNode(true);
  }
  std::int64_t unused = 0, lastEnd = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = l::kPartitionEntry + i * pe::kSize;
    if (at + pe::kSize > available) break;
    log.BeginNode(Format("Partition %.2d", i));
    const std::uint32_t entryStyle = GetU32(buffer, at + pe::kPartitionStyle);
    const auto start = static_cast<std::int64_t>(GetU64(buffer, at + pe::kStartingOffset));
    const auto length = static_cast<std::int64_t>(GetU64(buffer, at + pe::kPartitionLength));
    const bool counted = entryStyle != 0 || buffer[at + pe::kMbrRecognizedPartition] != 0;
    const std::int64_t gap = counted ? start - lastEnd : 0;
    if (counted) log.AddSize("Preceding Unused Space", gap);
    ValueRow("PartitionStyle", Format("%d", entryStyle));
    log.AddSize("StartingOffset", start);
    log.AddSize("PartitionLength", length);
    ValueRow("PartitionNumber", Format("%d", GetU32(buffer, at + pe::kPartitionNumber)));
    ValueRow("RewritePartition", Format("%d", buffer[at + pe::kRewritePartition]));
    if (entryStyle == 0) {
      log.BeginNode("主引導記錄");
      ValueRow("PartitionType", Format("%d", buffer[at + pe::kMbrPartitionType]));
      ValueRow("BootIndicator", Format("%d", buffer[at + pe::kMbrBootIndicator]));
      ValueRow("RecognizedPartition", Format("%d", buffer[at + pe::kMbrRecognizedPartition]));
      ValueRow("HiddenSectors", Format("%d", GetU32(buffer, at + pe::kMbrHiddenSectors)));
      log.EndNode(true);
    } else if (entryStyle == 1) {
      log.BeginNode("GUID Partition Table");
      ValueRow("PartitionType", GuidAt(buffer, at + pe::kGptPartitionType));
      ValueRow("PartitionId", GuidAt(buffer, at + pe::kGptPartitionId));
      ValueRow("屬性", Format("0x%x", GetU64(buffer, at + pe::kGptAttributes)));
      ValueRow("名稱", Quoted(GptNameAt(buffer, at + pe::kGptName)));
      log.EndNode(true);
    } else {
      log.AddLine("<未知或 RAW分區>");
    }
    if (counted) {
      unused += gap;
      lastEnd = start + length;
    }
    log.EndNode();
  }
  const std::int64_t capacity = static_cast<std::int64_t>(device.size == kUnknownSize ? 0 : device.size);
  const std::int64_t tail = capacity - lastEnd;
  log.AddSize("超過規定", tail);
  log.AddSize("合計未分配空間", unused + tail);
}

void TDebugRun::Length(const TDeviceInfo& device) {
  Section("IOCTL_DISK_GET_LENGTH_INFO");
  if (!HandleValid(device)) return;
  const TIoResult result =
      machine.Control(device.handle, st::kIoctlDiskGetLengthInfo, {}, TMutableBytes(buffer).first(8));
  bytesReturned = result.bytes;
  if (!result.ok) {
    log.Error(result.error, bytesReturned);
    return;
  }
  BytesReturnedRow(8);
  log.AddSize("Length", static_cast<std::int64_t>(GetU64(buffer, 0)));
}

void TDebugRun::AtaPassThrough(const TDeviceInfo& device) {
  namespace a = st::ata;
  Section("IOCTL_ATA_PASS_THROUGH (識別    )");
  if (!HandleValid(device)) return;
  const std::array<std::uint8_t, 8> taskFile{0, 1, 0, 0, 0, 0, st::atacmd::kIdentifyDevice, 0};
  BuildAtaRequest(buffer, 3, 512, 5, taskFile);
  const TIoResult result = machine.Control(device.handle, st::kIoctlAtaPassThrough,
                                           TBytes(buffer).first(a::kSize), buffer);
  bytesReturned = result.bytes;
  if (!result.ok) {
    log.Error(result.error, bytesReturned);
    return;
  }
  ValueRow("# BR/記錄", Format("%d / %d (%d)", bytesReturned, 40, 512));
  DumpReply();
  ValueRow("Length", Format("%u", GetU16(buffer, a::kLength)));
  ValueRow("AtaFlags", Format("%u", GetU16(buffer, a::kAtaFlags)));
  ValueRow("PathId", Format("%u", buffer[a::kPathId]));
  ValueRow("TargetId", Format("%u", buffer[a::kTargetId]));
  ValueRow("Lun", Format("%u", buffer[a::kLun]));
  ValueRow("ReservedAsUchar", Format("%u", buffer[a::kReservedAsUchar]));
  ValueRow("DataTransferLength", Format("%u", GetU32(buffer, a::kDataTransferLength)));
  ValueRow("TimeOutValue", Format("%u", GetU32(buffer, a::kTimeOutValue)));
  ValueRow("ReservedAsUlong", Format("%u", GetU32(buffer, a::kReservedAsUlong)));
  ValueRow("DataBufferOffset", Format("%u", GetU32(buffer, a::kDataBufferOffset)));
  log.BeginNode("CurrentTaskFile");
  for (std::size_t i = 0; i < 8; ++i) ValueRow(Format("%.3d", i), Format("%d", buffer[a::kCurrentTaskFile + i]));
  log.EndNode();
  IdentifyAnalysis(TBytes(buffer).subspan(a::kSize, 512), true);
}

void TDebugRun::ScsiPassThrough(const TDeviceInfo& device) {
  Section("IOCTL_SCSI_PASS_THROUGH (識別    )");
  if (!HandleValid(device)) return;
  log.AddLine("SCSI/ATA Translation");
  const bool optical = device.ClassName() == "TDeviceInfoOptical";
  const std::array<std::uint8_t, 8> taskFile{
      0, 1, 0, 0, 0, 0, optical ? st::atacmd::kIdentifyPacketDevice : st::atacmd::kIdentifyDevice, 0};
  BuildAtaRequest(TMutableBytes(buffer).first(st::ata::kSize + 512), 0x0B, 512, 5, taskFile);
  const std::uint8_t status = ScsiPassThroughAta(machine, device.handle, TMutableBytes(buffer).first(st::ata::kSize + 512));
  if (status != 0) {
    log.Error(status == 255 ? kErrorGenFailure : status, -1);
    return;
  }
  ValueRow("SCSI 狀態", Format("%d", 0));
  Dump(log.SectionTitle(), TBytes(buffer).subspan(st::ata::kSize, 512));
  IdentifyAnalysis(TBytes(buffer).subspan(st::ata::kSize, 512), true);
}

void TDebugRun::Miniport(const TDeviceInfo& device) {
  namespace sr = st::srbio;
  Section("IOCTL_SCSI_MINIPORT");
  if (!HandleValid(device)) return;
  std::array<std::uint8_t, 64> input{};
  PutU32(input, sr::kHeaderLength, sr::kSize);
  std::memcpy(input.data() + sr::kSignature, "SCSIDISK", sr::kSignatureSize);
  PutU32(input, sr::kTimeout, 10000);
  PutU32(input, sr::kControlCode, st::kIoctlScsiMiniportIdentify);
  PutU32(input, sr::kLength, 528);
  input[sr::kSize + st::sendcmdin::kRegisters + st::taskfile::kCommand] = st::atacmd::kIdentifyDevice;
  input[sr::kSize + st::sendcmdin::kDriveNumber] = static_cast<std::uint8_t>(device.number);
  const TIoResult result =
      machine.Control(device.handle, st::kIoctlScsiMiniport, input, TMutableBytes(buffer).first(556));
  bytesReturned = result.bytes;
  if (!result.ok || bytesReturned == 0) {
    log.Error(result.ok ? kErrorGenFailure : result.error, bytesReturned);
    return;
  }
  BytesReturnedRow(28);
  ValueRow("大小", Format("%d, %d, %d", 64, 28, 17));
  DumpReply();
  IdentifyAnalysis(TBytes(buffer).subspan(44, 512), true);
}

// Each NVMe request as the records send it: the device property, then the adapter
// property, each attempt with its reply's descriptor and where the answer lies.
void TDebugRun::Nvme(const TDeviceInfo& device, TNvmeRequest request) {
  const bool health = request == TNvmeRequest::HealthLog;
  Section(request == TNvmeRequest::IdentifyController ? "NVMe 識別控制器 (CNS 1)"
          : health                                     ? "NVMe 健康記錄 (記錄頁 02h)"
                                                       : "NVMe 識別命名空間 (CNS 0)");
  if (!HandleValid(device)) return;
  const std::size_t wanted = health ? kNvmeHealthLogSize : kNvmeIdentifySize;
  for (const std::uint32_t property : {st::propertyquery::kStorageDeviceProtocolSpecificProperty,
                                       st::propertyquery::kStorageAdapterProtocolSpecificProperty}) {
    log.BeginNode(Format("PropertyId %d", property));
    ClearBuffer();
    const std::vector<std::uint8_t> query = BuildNvmeQuery(request, property);
    const TIoResult result =
        machine.Control(device.handle, st::kIoctlStorageQueryProperty, query, TMutableBytes(buffer).first(query.size()));
    bytesReturned = result.bytes;
    if (!result.ok) {
      log.Error(result.error, bytesReturned);
      log.EndNode();
      continue;
    }
    BytesReturnedRow(static_cast<std::uint32_t>(query.size()));
    DumpReply();
    const std::optional<TNvmeAnswer> answer = LocateNvmeAnswer(TBytes(buffer).first(bytesReturned));
    if (!answer) {
      log.Fail("回覆的資料位移或長度超出回覆範圍");
      log.EndNode();
      continue;
    }
    ValueRow("ProtocolDataOffset", Format("%d", answer->offset));
    ValueRow("ProtocolDataLength", Format("%d / %d", answer->length, wanted));
    log.EndNode();
    return;
  }
}

}  // namespace vexa
