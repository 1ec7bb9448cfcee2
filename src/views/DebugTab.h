// The Debug page as a portable module, opened on demand: every device change runs
// every section against the chosen drive into the tree, writes the tree as the log
// "VEXA_NAME.log" in the program's directory and, when started with -debug, the raw
// replies into its "Dumps" folder. The Win32 page derives from it and shows Tree().
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "shell/Tabs.h"
#include "views/DebugTree.h"

namespace vexa {

class TConfigVarInt;

class TDebugTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TDebugTab";
  static constexpr bool kNeedsSheet = true;

  explicit TDebugTab(std::unique_ptr<TSheet> sheet);
  ~TDebugTab() override;
  std::string_view ClassName() const override { return kClassName; }

  void DeviceChanged(TDeviceInfo* device) override;

  const TDebugTree& Tree() const { return tree; }
  int FailureCount() const;
  // The raw replies also go to the Dumps folder (the -debug option).
  void SetWriteDumps(bool write) { writeDumps = write; }
  bool WriteDumps() const { return writeDumps; }
  // Whether the top-level node at a position is remembered expanded, and the user
  // expanding or collapsing it.
  bool TopNodeExpanded(int position) const;
  void TopNodeToggled(int position, bool expanded);
  // The log file the last run wrote, and whether writing it failed.
  const std::string& LogFile() const { return logFile; }
  bool LogFailed() const { return logFailed; }

protected:
  // The tree was rebuilt: the page shows it. Nothing here.
  virtual void TreeChanged() {}

private:
  TDebugTree tree;
  std::unique_ptr<TDebugTreeLog> log;
  TConfigVarInt* expandedBits = nullptr;
  bool writeDumps = false;
  std::string logFile;
  bool logFailed = false;
};

}  // namespace vexa
