// The fuzz checks. Every road ends in the same console session the program's
// console face uses, so whatever a hostile file or driver can reach, these reach.
#include "fuzz/FuzzChecks.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "online/JsonDocument.h"
#include "online/SubmitReport.h"
#include "device/DeviceManager.h"
#include "platform/MachineFile.h"
#include "platform/RecordingMachine.h"
#include "platform/SpyMachine.h"
#include "platform/ReplayMachine.h"
#include "shell/CommandLine.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/FakeCommandLineHost.h"
#include "shell/Shared.h"
#include "shell/StatusProperties.h"
#include "shell/Tabs.h"
#include "support/Bytes.h"
#include "support/Format.h"
#include "support/IniDocument.h"
#include "support/Paths.h"
#include "support/StringIterators.h"
#include "support/Text.h"
#include "views/ConsoleSession.h"
#include "views/DebugTab.h"
#include "views/DecoderTab.h"
#include "views/IdentifyTab.h"
#include "views/MachineCapture.h"
#include "views/PartitionsTab.h"
#include "views/SmartTab.h"

#ifdef _WIN32
#include <process.h>
#define VEXA_PROCESS_ID _getpid()
#else
#include <unistd.h>
#define VEXA_PROCESS_ID getpid()
#endif

namespace vexa::fuzz_check {

namespace {

// Takes the input apart front to back; an exhausted input answers zeros.
class TBytesReader {
public:
  explicit TBytesReader(TInput input) : input(input) {}

  std::uint8_t Byte() { return at < input.size() ? input[at++] : 0; }
  std::uint32_t U32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | Byte();
    return value;
  }
  // Up to maxBytes bytes, ended early by a NUL (not kept).
  std::string Text(std::size_t maxBytes) {
    std::string text;
    while (text.size() < maxBytes && at < input.size()) {
      const char c = static_cast<char>(input[at++]);
      if (c == '\0') break;
      text += c;
    }
    return text;
  }
  std::string_view Rest() {
    const std::string_view rest(reinterpret_cast<const char*>(input.data()) + at, input.size() - at);
    at = input.size();
    return rest;
  }

private:
  TInput input;
  std::size_t at = 0;
};

std::string_view AsText(TInput input) { return {reinterpret_cast<const char*>(input.data()), input.size()}; }

// Message boxes the road would show are counted, not shown.
class TQuietMessages {
public:
  TQuietMessages() {
    SetMessageSink([](std::string_view, std::uint32_t) { return kAnswerOk; });
  }
  ~TQuietMessages() { SetMessageSink({}); }
  TQuietMessages(const TQuietMessages&) = delete;
  TQuietMessages& operator=(const TQuietMessages&) = delete;
};

// Reads everything a page or the console program would show of the chosen device.
std::size_t ReadEveryModel(const TConsoleSession& session) {
  std::size_t sink = session.Title().size();
  for (int i = 0; i < TStatusProperties::kCount; ++i) {
    sink += session.Status().Entry(i).value.size() + session.Status().Entry(i).extraDescription.size();
  }
  for (const TSmartPageRow& row : session.SmartModule().Model().Rows())
    for (const std::string& cell : row.cells) sink += cell.size();
  const TPartitionsModel& partitions = session.PartitionsModule().Model();
  for (const TVolumeRow& row : partitions.VolumeRows())
    for (const std::string& cell : row.subItems) sink += cell.size();
  for (const TPartitionRow& row : partitions.PartitionRows())
    for (const std::string& cell : row.subItems) sink += cell.size();
  const TIdentifyPageModel& identify = session.IdentifyModule().Model();
  for (int row = 0; row < static_cast<int>(identify.Rows().size()); ++row) sink += identify.CopyText(row).size();
  return sink;
}

// The console road: every kind enumerated, every device chosen in turn.
std::string RunSession(Machine& machine, const ReplayMachine& replay, const std::string& settingsFile) {
  TQuietMessages quiet;
  try {
    TConsoleSession session(machine, settingsFile);
    std::string error;
    session.Set("system.enum_scsi=1", error);
    session.Start();
    // The Debug page reads every reply the program can ask for.
    session.Tabs().Add(TabClassOf<TDebugTab>());
    session.Rescan();
    std::size_t sink = 0;
    for (int i = 0; i < session.DeviceCount(); ++i) {
      session.Select(i);
      sink += ReadEveryModel(session);
      // Drive strings reach the report: whatever their bytes, it stays UTF-8 text
      // with no control character left unescaped.
      TJsonReader report;
      BuildReport(report, session.Core().CurrentDevice(), {}, {});
      const std::string text = report.ToText();
      if (!IsValidUtf8(text) || std::any_of(text.begin(), text.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20;
          }))
        return "the report of device " + std::to_string(i + 1) + " is not clean UTF-8 text";
    }
    volatile std::size_t keep = sink;
    (void)keep;
  } catch (const std::exception& error) {
    return std::string("an error escaped the session: ") + error.what();
  }
  if (replay.RefusedCount() > 0) return "a request was refused: " + replay.RefusedRequests()[0];
  return {};
}

const TMachineFile& Sample(bool laptop) {
  static const auto load = [](const char* name) {
    std::string text;
    const std::string path = std::string(VEXA_SAMPLES_DIR) + "/" + name;
    if (!ReadFileBytes(path, text, 1 << 20)) std::terminate();  // the build's own samples are missing
    return ParseMachineFile(text, name);
  };
  static const TMachineFile desktop = load("desktop-ssd-hdd.machine");
  static const TMachineFile notebook = load("laptop-sat.machine");
  return laptop ? notebook : desktop;
}

// Letters, digits and the two marks settings names use: names that can stand in a file.
std::string Name(TBytesReader& reader) {
  static constexpr std::string_view kAlphabet = "abcdefghijklmnopqrstuvwxyz0123456789_.";
  std::string name(1 + reader.Byte() % 8, 'a');
  for (char& c : name) c = kAlphabet[reader.Byte() % kAlphabet.size()];
  return name;
}


// Every message a page would have shown in a box, kept in the order shown.
class TKeptMessages {
public:
  explicit TKeptMessages(std::string& out) {
    SetMessageSink([&out](std::string_view text, std::uint32_t) {
      out += "message: ";
      out += text;
      out += '\n';
      return kAnswerOk;
    });
  }
  ~TKeptMessages() { SetMessageSink({}); }
  TKeptMessages(const TKeptMessages&) = delete;
  TKeptMessages& operator=(const TKeptMessages&) = delete;
};

// A session as vexa-cli starts one: every kind enumerated, the drives scanned.
void StartSession(TConsoleSession& session) {
  std::string ignored;
  session.Set("system.enum_scsi=1", ignored);
  session.Start();
  session.Rescan();
}

void AddLine(std::string& out, std::string_view line) {
  out += line;
  out += '\n';
}

// What the commands for the chosen device print, from the models they print.
void DeviceOutputs(TConsoleSession& session, std::string& out) {
  const TStatusProperties& status = session.Status();
  for (int i = 0; i < TStatusProperties::kCount; ++i) {
    const TStatusProperty& entry = status.Entry(i);
    AddLine(out, Format("info %d\t%d\t%s\t%s", i, static_cast<int>(entry.state), entry.value,
                        entry.extraDescription));
  }
  AddLine(out, "title: " + session.Title());
  for (const TSmartPageRow& row : session.SmartModule().Model().Rows()) {
    std::string line = "smart";
    for (const std::string& cell : row.cells) line += "\t" + cell;
    AddLine(out, Format("%s\t%d", line, static_cast<int>(row.status)));
  }
  const TIdentifyPageModel& identify = session.IdentifyModule().Model();
  for (const TNvmeIdentifyRow& row : identify.NvmeRows())
    AddLine(out, Format("nvme %d\t%d\t%s\t%s", row.offset, row.size, row.label, row.value));
  if (const TIdentifyData* data = identify.Data()) {
    std::string words = "identify words";
    for (std::size_t i = 0; i < 256; ++i) words += Format(" %.4x", data->Word(i));
    AddLine(out, words);
    for (int row = 0; row < static_cast<int>(identify.Rows().size()); ++row)
      AddLine(out, "identify " + identify.CopyText(row));
  }
  const TPartitionsModel& partitions = session.PartitionsModule().Model();
  for (const TVolumeRow& row : partitions.VolumeRows()) {
    std::string line = "volume\t" + row.caption;
    for (const std::string& cell : row.subItems) line += "\t" + cell;
    AddLine(out, line);
  }
  for (const TPartitionRow& row : partitions.PartitionRows()) {
    std::string line = "partition\t" + row.caption;
    for (const std::string& cell : row.subItems) line += "\t" + cell;
    AddLine(out, line);
  }
  TJsonReader report;
  BuildReport(report, session.Core().CurrentDevice(), {}, {});
  AddLine(out, "report " + report.ToText());
  // The pages vexa-cli opens on demand, after the selection.
  if (const auto* decoder = dynamic_cast<const TDecoderTab*>(session.Tabs().Add(TabClassOf<TDecoderTab>()))) {
    for (const TDecoderLine& line : decoder->Model().Lines())
      AddLine(out, Format("decoder %d\t%s\t%s\t%s\t%s\t%s", static_cast<int>(line.kind), line.left, line.right,
                          line.capture, line.label, line.value));
    AddLine(out, "decoder caption: " + decoder->Caption());
  }
  if (const auto* debug = dynamic_cast<const TDebugTab*>(session.Tabs().Add(TabClassOf<TDebugTab>()))) {
    AddLine(out, debug->Tree().ToText());
    AddLine(out, "debug caption: " + debug->Caption());
  }
}

// Where two outputs first part: the line's number and both texts from a little
// before the first byte that differs.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  const auto differs = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first;
  const auto at = static_cast<std::size_t>(differs - expected.begin());
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(expected.begin(), differs, '\n'));
  const std::size_t lineStart = at == 0 ? std::string::npos : expected.rfind('\n', at - 1);
  const std::size_t from = std::max(lineStart == std::string::npos ? 0 : lineStart + 1, at > 60 ? at - 60 : 0);
  const auto excerpt = [from](const std::string& text) {
    const std::string_view rest = std::string_view(text).substr(std::min(from, text.size()), 160);
    return std::string(rest.substr(0, rest.find('\n')));
  };
  return Format("line %u: \"%s\" became \"%s\"", static_cast<unsigned>(line), excerpt(expected), excerpt(actual));
}

// The serial numbers of a machine's drives, all made one placeholder of their own
// length, the IDENTIFY checksum keeping its standing (a valid one stays valid, a
// wrong one stays wrong by as much, an absent one is left alone): two machines
// that differ only in their serials become the same machine.
TMachineFile WithoutSerials(TMachineFile file) {
  for (TMachineDevice& device : file.devices) {
    if (device.identify) {
      TBlock512& block = *device.identify;
      std::uint8_t before = 0, after = 0;
      for (const std::uint8_t byte : block) before = static_cast<std::uint8_t>(before + byte);
      std::fill_n(block.begin() + 20, 20, 'S');
      for (const std::uint8_t byte : block) after = static_cast<std::uint8_t>(after + byte);
      if (block[510] == 0xA5) block[511] = static_cast<std::uint8_t>(block[511] + before - after);
    }
    if (device.nvmeIdentify) std::fill_n(device.nvmeIdentify->begin() + 4, 20, 'S');
    // The descriptor's serial as drivers report it: a C string.
    std::string& serial = device.descriptor.serial;
    serial.assign(serial.substr(0, serial.find('\0')).size(), 'S');
  }
  return file;
}

// The file a capture of the machine writes, or a problem.
std::string Capture(const TMachineFile& file, bool keepSerials, TMachineFile& captured) {
  ReplayMachine machine{TMachineFile(file)};
  std::string text;
  {
    TQuietMessages quiet;
    text = CaptureMachineFile(machine, {keepSerials}, "fuzz");
  }
  if (machine.RefusedCount() > 0) return "the capture sent a refused request: " + machine.RefusedRequests()[0];
  try {
    captured = ParseMachineFile(text, "captured.machine");
  } catch (const std::exception& error) {
    return std::string("the captured file does not read back: ") + error.what();
  }
  return {};
}

std::string Outputs(const TMachineFile& file) {
  ReplayMachine machine{TMachineFile(file)};
  return ConsoleOutputs(machine);
}

}  // namespace

std::string ConsoleOutputs(Machine& machine) {
  std::string out;
  TKeptMessages messages(out);
  int count = 0;
  {
    TConsoleSession session(machine);
    StartSession(session);
    count = session.DeviceCount();
    for (int i = 0; i < count; ++i) {
      const TDeviceInfo& device = *session.Devices().Device(i);
      AddLine(out, Format("list %s %d\t%s\t0x%.6x\t%s\t%s", device.ClassName(), device.number,
                          device.GetKindName(), device.GetColor(), device.GetDisplayName(), device.path));
    }
  }
  for (int i = 0; i < count; ++i) {
    AddLine(out, Format("device %d", i + 1));
    TConsoleSession session(machine);
    StartSession(session);
    if (i >= session.DeviceCount()) {
      AddLine(out, "gone");
      continue;
    }
    session.Select(i);
    DeviceOutputs(session, out);
  }
  return out;
}

std::string CaptureRoundTrip(const TMachineFile& file) {
  try {
    const std::string original = Outputs(file);
    TMachineFile captured;
    if (std::string problem = Capture(file, true, captured); !problem.empty()) return problem;
    if (const std::string replayed = Outputs(captured); replayed != original)
      return "the capture replays otherwise, " + FirstDifference(original, replayed);
    if (std::string problem = Capture(file, false, captured); !problem.empty()) return problem;
    const std::string expected = Outputs(WithoutSerials(file));
    if (const std::string replayed = Outputs(WithoutSerials(captured)); replayed != expected)
      return "the capture without serial numbers replays otherwise, " + FirstDifference(expected, replayed);
  } catch (const std::exception& error) {
    return std::string("an error escaped the capture: ") + error.what();
  }
  return {};
}

std::string MachineFile(TInput input) {
  std::optional<ReplayMachine> machine;
  try {
    machine.emplace(ParseMachineFile(AsText(input), "fuzz.machine"));
  } catch (const std::exception&) {
    return {};  // refused with a message: what a broken file should get
  }
  if (std::string problem = RunSession(*machine, *machine, {}); !problem.empty()) return problem;
  return CaptureRoundTrip(machine->File());
}

std::string SettingsFile(TInput input) {
  TBytesReader reader(input);
  const std::string section = Name(reader), key = Name(reader);
  const std::string value = reader.Text(200);
  const std::string contents(reader.Rest());

  TIniDocument document(contents);
  const std::string once = document.Serialize();
  if (TIniDocument(once).Serialize() != once) return "a second reading of the written text changed it";
  document.Write(section, key, TEasyConfigIni::QuoteForFile(value));
  std::string expected = value;
  std::replace(expected.begin(), expected.end(), '\r', ' ');
  std::replace(expected.begin(), expected.end(), '\n', ' ');
  const std::optional<std::string> read = document.Read(section, key);
  if (read != expected) return "the value written to [" + section + "] " + key + " reads back as something else";

  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("vexa-fuzz-settings-" + std::to_string(VEXA_PROCESS_ID) + ".ini");
  const std::string fileName = PathToUtf8(path);
  if (!WriteFileAtomically(fileName, contents)) return {};
  ReplayMachine machine{TMachineFile(Sample(value.size() % 2 == 1))};
  std::string problem = RunSession(machine, machine, fileName);
  std::string after;
  if (problem.empty() && (!ReadFileBytes(fileName, after, contents.size() + 1) || after != contents)) {
    problem = "the session changed its settings file";
  }
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return problem;
}

std::string CommandLine(TInput input) {
  TBytesReader reader(input);
  const auto left = static_cast<std::int32_t>(reader.U32()), top = static_cast<std::int32_t>(reader.U32());
  const auto caption = static_cast<std::int32_t>(reader.U32()), frame = static_cast<std::int32_t>(reader.U32());
  // A command line is a C string: it ends at the first NUL.
  const std::string line = reader.Text(std::string::npos);

  test::TFakeWindow window;
  ApplyCommandLine(line, window, {34, 302, 6});

  const TSecondWindowCommand second = BuildSecondWindowCommand(line, left, top, caption, frame);
  const std::vector<std::string> tokens = SplitCommandLine(line);
  std::vector<std::string> expected;
  for (std::size_t i = 1; i < tokens.size(); ++i) {
    if (tokens[i] == "-pos") {
      i += 2;
      continue;
    }
    expected.push_back(tokens[i]);
  }
  const std::int64_t offset = std::int64_t{caption} + frame;
  expected.push_back("-pos");
  expected.push_back(std::to_string(left + offset));
  expected.push_back(std::to_string(top + offset));
  std::vector<std::string> handedOn = SplitCommandLine("vexa.exe" + second.parameters);
  handedOn.erase(handedOn.begin());
  if (handedOn != expected) return "the second window would read other options: \"" + second.parameters + "\"";
  if (!tokens.empty() && second.program != tokens[0]) return "the second window runs another program";
  return {};
}

std::string StorageReplies(TInput input) {
  TBytesReader reader(input);
  ReplayMachine replay{TMachineFile(Sample(reader.Byte() & 1))};
  test::TSpyMachine machine(replay);
  machine.hook = [&](THandle handle, std::uint32_t code, std::span<const std::uint8_t> in,
                     std::span<std::uint8_t> out) -> std::optional<TIoResult> {
    TIoResult result = replay.Control(handle, code, in, out);
    switch (reader.Byte() % 5) {
      case 0:  // as recorded
        break;
      case 1:  // the driver fails the request
        result = {false, 0, reader.U32()};
        break;
      case 2:  // another count of bytes, within the buffer
        if (result.ok) result.bytes = static_cast<std::uint32_t>(reader.U32() % (out.size() + 1));
        break;
      case 3:  // some bytes of the reply changed
        for (int n = reader.Byte() % 16; n > 0 && !out.empty(); --n) out[reader.U32() % out.size()] = reader.Byte();
        break;
      default:  // success with whatever the input holds
        result = {true, static_cast<std::uint32_t>(reader.U32() % (out.size() + 1)), 0};
        for (std::size_t i = 0; i < result.bytes; ++i) out[i] = reader.Byte();
        break;
    }
    return result;
  };
  return RunSession(machine, replay, {});
}

void AbortOnProblem(const char* target, const std::string& problem) {
  if (problem.empty()) return;
  std::fprintf(stderr, "%s: %s\n", target, problem.c_str());
  std::abort();
}

}  // namespace vexa::fuzz_check
