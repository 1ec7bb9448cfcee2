// The Debug page's result tree and the writer that fills it: sections timed from
// the start of a run, rows of a label padded to 34 columns and a value, nodes, and
// failures marked on the current node with a "§ " line under it. The tree is also
// the page's log: one line per node, one tab per level below the top.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

class Machine;

struct TDebugNode {
  std::string text;
  bool expanded = false;
  TDebugNode* parent = nullptr;
  std::vector<std::unique_ptr<TDebugNode>> children;
};

class TDebugTree {
public:
  const std::vector<std::unique_ptr<TDebugNode>>& TopNodes() const { return top; }
  void Clear() { top.clear(); }
  // Adds a node under parent (at the top without one); the text is cut to 255 bytes
  // at a character boundary.
  TDebugNode* Add(TDebugNode* parent, std::string_view text);
  // The tree as text: one line per node, indented by one tab per level, CR LF.
  std::string ToText() const;
  // A tree from such a text (a saved log); lines deeper than the last one by more
  // than one tab hang under it.
  static TDebugTree FromText(std::string_view text);

private:
  std::vector<std::unique_ptr<TDebugNode>> top;
};

class TDebugTreeLog {
public:
  static constexpr std::size_t kLabelWidth = 34;

  // The machine gives the counter the sections are timed with and the platform's
  // messages for error codes.
  TDebugTreeLog(TDebugTree& tree, Machine& machine);

  void Clear();
  void AddLine(std::string_view text);
  void AddValue(std::string_view label, std::string_view value);
  // A signed byte count: "0", or "%d (= SIZE)".
  void AddSize(std::string_view label, std::int64_t value);
  void BeginNode(std::string_view text);
  void EndNode(bool expand = false);
  // A top-level node "[+MMM] TITLE" of the milliseconds since Clear.
  void BeginSection(std::string_view title);
  // Marks the current node "fail" at column 44 and adds "§ MESSAGE" under it.
  void Fail(std::string_view message);
  // Fail with the code, the bytes returned, the platform's message and the context
  // (the section title when none is given).
  void Error(std::uint32_t code, std::int64_t bytesReturned, std::string_view context = {});

  int FailureCount() const { return failures; }
  const std::string& SectionTitle() const { return sectionTitle; }
  TDebugNode* Current() const { return current; }

private:
  TDebugTree& tree;
  Machine& machine;
  TDebugNode* current = nullptr;
  int failures = 0;
  std::int64_t start = 0;
  std::int64_t frequency = 0;
  std::string sectionTitle;
};

}  // namespace vexa
