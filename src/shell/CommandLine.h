// The program's command line: -page, -device, -debug, -size, -pos, -dbinfo
// ("/" works for "-", names ignore case, the last of a repeated option wins), and
// the command line given to a second window of the program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexa {

class TEasyConfig;

// What applying the command line needs of the main window.
class TCommandLineHost {
public:
  virtual ~TCommandLineHost() = default;
  virtual TEasyConfig& Config() = 0;
  virtual std::int32_t ClientWidth() const = 0;
  virtual std::int32_t ClientHeight() const = 0;
  virtual void SetClientSize(std::int32_t width, std::int32_t height) = 0;
  virtual std::int32_t OuterWidth() const = 0;
  virtual std::int32_t OuterHeight() const = 0;
  virtual std::int32_t Left() const = 0;
  virtual std::int32_t Top() const = 0;
  // Adds a Debug page that also writes raw dumps, and shows it when it sits at
  // tabs.page_index. Does nothing while the program has no Debug page.
  virtual void OpenDebugPage() = 0;
  virtual const std::string& BaseCaption() const = 0;
  virtual void SetBaseCaption(std::string caption) = 0;  // also sets the window title
};

// Sizes of the known-drive tables shown by -dbinfo: brands, drive rows, firmware rows.
struct TKnownTableSizes {
  int brands;
  int models;
  int firmware;
};

void ApplyCommandLine(std::string_view commandLine, TCommandLineHost& host, const TKnownTableSizes& sizes);

// The value after -NAME or /NAME (name without its dash, lower case), the last one
// when repeated; empty when the option ends the line; none when it is absent.
std::optional<std::string> CommandLineOption(std::string_view commandLine, std::string_view name);

// The SMART history file of the window: -history FILE; none (empty) with -replay,
// so a recorded machine never writes to the user's history, nor when -history has
// no file; otherwise the settings file with the extension ".history".
std::string HistoryFileName(std::string_view commandLine, std::string_view settingsFile);

struct TSecondWindowCommand {
  std::string program;
  std::string parameters;
};

// The program and parameters for a second window: this window's tokens less any
// "-pos x y", then "-pos x y" offset by the caption and dialog-frame heights.
TSecondWindowCommand BuildSecondWindowCommand(std::string_view commandLine, std::int32_t left, std::int32_t top,
                                              std::int32_t captionHeight, std::int32_t frameHeight);

}  // namespace vexa
