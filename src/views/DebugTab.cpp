// The Debug module: the run, its log file and dumps, the remembered open sections.
#include "views/DebugTab.h"

#include <fstream>

#include "device/DeviceInfo.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/PixelsPerInch.h"
#include "support/Format.h"
#include "support/Paths.h"
#include "views/DebugRun.h"

namespace vexa {

TDebugTab::TDebugTab(std::unique_ptr<TSheet> sheet) : TVexaTab(std::move(sheet)) {
  SetCaption("Debug");
  if (App().config) expandedBits = TConfigVarInt::Register(App().config, "tabs.debug", 0, "expanded_node_bits");
  if (App().machine) log = std::make_unique<TDebugTreeLog>(tree, *App().machine);
  if (App().core && App().core->started) DeviceChanged(App().core->CurrentDevice());
}

TDebugTab::~TDebugTab() = default;

int TDebugTab::FailureCount() const { return log ? log->FailureCount() : 0; }

bool TDebugTab::TopNodeExpanded(int position) const {
  return expandedBits && position >= 0 && position < 32 && (expandedBits->Value() >> position) & 1;
}

void TDebugTab::TopNodeToggled(int position, bool expanded) {
  if (!expandedBits || position < 0 || position >= 32) return;
  const auto bit = static_cast<std::uint32_t>(1) << position;
  auto bits = static_cast<std::uint32_t>(expandedBits->Value());
  bits = expanded ? bits | bit : bits & ~bit;
  expandedBits->SetValue(static_cast<std::int32_t>(bits));
}

void TDebugTab::DeviceChanged(TDeviceInfo* device) {
  tree.Clear();
  logFile.clear();
  logFailed = false;
  if (!log || !App().machine) return;
  log->Clear();
  // The caption, the open sections and the page follow even when a section raised.
  struct TFinish {
    TDebugTab& tab;
    ~TFinish() {
      const auto& top = tab.tree.TopNodes();
      for (std::size_t i = 0; i < top.size(); ++i)
        if (tab.TopNodeExpanded(static_cast<int>(i))) top[i]->expanded = true;
      tab.SetCaption(Format("%s (%d)", "除錯", tab.FailureCount()));
      tab.TreeChanged();
    }
  } finish{*this};

  const std::string directory = App().core ? App().core->programDirectory : std::string();
  TDebugEnvironment environment;
  if (App().scaler) {
    environment.scale100 = App().scaler->Scale(100);
    environment.pixelsPerInch = App().scaler->Target();
  }
  environment.trimEnabled = App().core && App().core->QueryTrimEnabled();
  if (writeDumps && !directory.empty()) {
    // A missing folder or a file that cannot be written is no reason to stop.
    environment.dump = [directory](std::string_view name, TBytes bytes) {
      std::ofstream out(PathFromUtf8(directory + "Dumps/" + std::string(name)), std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
  }
  // Outside the selection (the page opened later) the record is closed: the page
  // opens it for its run and closes it again.
  const bool opened = device && !device->IsOpen() && device->Open();
  TDebugRun(*App().machine, *log, environment).Run(device);
  if (opened) device->Close();
  if (device && !directory.empty()) {
    logFile = directory + Format("VEXA_%s.log", device->name);
    logFailed = !WriteFileAtomically(logFile, tree.ToText());
    if (logFailed) {
      // The tree is still there to read; the page says where the log could not go.
      log->BeginSection("日誌檔案");
      log->Fail("無法寫入 " + logFile);
    }
  }
}

}  // namespace vexa
