// The Debug page's tree and its writer.
#include "views/DebugTree.h"

#include <limits>

#include "platform/Machine.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

namespace {

constexpr std::size_t kMaxLine = 255;

void AppendText(std::string& out, const TDebugNode& node, int depth) {
  out.append(static_cast<std::size_t>(depth), '\t');
  out += node.text;
  out += "\r\n";
  for (const auto& child : node.children) AppendText(out, *child, depth + 1);
}

}  // namespace

TDebugNode* TDebugTree::Add(TDebugNode* parent, std::string_view text) {
  auto node = std::make_unique<TDebugNode>();
  node->text = std::string(FirstCharacters(text, kMaxLine));
  node->parent = parent;
  auto& siblings = parent ? parent->children : top;
  siblings.push_back(std::move(node));
  return siblings.back().get();
}

std::string TDebugTree::ToText() const {
  std::string out;
  for (const auto& node : top) AppendText(out, *node, 0);
  return out;
}

TDebugTree TDebugTree::FromText(std::string_view text) {
  TDebugTree tree;
  std::vector<TDebugNode*> path;  // the last node of each level
  for (std::string_view line : SplitLines(text)) {
    std::size_t depth = 0;
    while (depth < line.size() && line[depth] == '\t') ++depth;
    if (depth == line.size() && depth == 0) continue;  // blank lines between logs
    depth = std::min(depth, path.size());
    path.resize(depth);
    TDebugNode* node = tree.Add(depth == 0 ? nullptr : path.back(), line.substr(depth));
    path.push_back(node);
  }
  return tree;
}

TDebugTreeLog::TDebugTreeLog(TDebugTree& treeRef, Machine& machineRef) : tree(treeRef), machine(machineRef) {
  const std::int64_t counted = machine.CounterFrequency();
  frequency = counted > 0 ? counted : std::numeric_limits<std::int64_t>::max();
}

void TDebugTreeLog::Clear() {
  start = machine.Counter();
  failures = 0;
  current = nullptr;
  sectionTitle.clear();
}

void TDebugTreeLog::AddLine(std::string_view text) { tree.Add(current, text); }

void TDebugTreeLog::AddValue(std::string_view label, std::string_view value) {
  AddLine(Format("%-*s", static_cast<int>(kLabelWidth), label) + std::string(value));
}

void TDebugTreeLog::AddSize(std::string_view label, std::int64_t value) {
  if (value == 0) {
    AddValue(label, "0");
    return;
  }
  const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  AddValue(label, Format("%d (= %s)", value, (value < 0 ? "-" : "") + FormatByteSize(magnitude)));
}

void TDebugTreeLog::BeginNode(std::string_view text) { current = tree.Add(current, text); }

void TDebugTreeLog::EndNode(bool expand) {
  if (!current) return;
  if (expand) current->expanded = true;
  current = current->parent;
}

void TDebugTreeLog::BeginSection(std::string_view title) {
  current = nullptr;
  sectionTitle = std::string(title);
  const std::int64_t elapsed = machine.Counter() - start;
  // Whole milliseconds, without leaving 64 bits on a fast counter.
  const std::int64_t milliseconds = elapsed / frequency * 1000 + elapsed % frequency * 1000 / frequency;
  BeginNode(Format("[+%.3d] %s", milliseconds, title));
}

void TDebugTreeLog::Fail(std::string_view message) {
  if (current) current->text = Format("%-43s%6s", current->text, "fail");
  AddLine("§ " + std::string(message));
  ++failures;
}

void TDebugTreeLog::Error(std::uint32_t code, std::int64_t bytesReturned, std::string_view context) {
  Fail(Format("Error: 0x%.2x (%d) | BR: %d | \"%s\" | %s", code, code, bytesReturned, machine.ErrorMessage(code),
              context.empty() ? std::string_view(sectionTitle) : context));
}

}  // namespace vexa
