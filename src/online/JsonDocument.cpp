// The node list and its writer. Names and values are escaped as they are written; the
// finished text is made valid UTF-8 in one pass, since drive strings are bytes a
// drive chose.
#include "online/JsonDocument.h"

#include "online/JsonText.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

namespace {

constexpr std::size_t kNameLimit = 256;
constexpr std::size_t kValueLimit = 8192;

std::string AdjustedValue(TJsonKind kind, std::string_view value) {
  switch (kind) {
    case jkNull:
      return "null";
    case jkString:
      if (!value.starts_with('"')) return std::string(value);
      return value.size() < 2 ? std::string() : std::string(value.substr(1, value.size() - 2));
    case jkArray:
    case jkObject:
      return {};
    case jkNumber:
    case jkBoolean:
      break;
  }
  return std::string(Trim(value));
}

}  // namespace

TJsonNode& TJsonReader::AddNode(TJsonKind kind, std::uint16_t level, std::string_view name, std::string_view value) {
  auto node = std::make_unique<TJsonNode>();
  node->kind = kind;
  node->name = name;
  node->value = AdjustedValue(kind, value);
  node->level = level;
  if (!nodes.empty()) {
    node->prev = nodes.back().get();
    nodes.back()->next = node.get();
  }
  nodes.push_back(std::move(node));
  return *nodes.back();
}

std::string TJsonReader::ToText() const {
  if (nodes.empty()) return {};
  std::string text;
  if (nodes.front()->IsContainer()) {
    Serialize(*nodes.front(), text);
  } else {
    text = ValueText(*nodes.front());
  }
  return ToValidUtf8(text);
}

TJsonNode& AddTextNode(TJsonReader& json, std::uint16_t level, std::string_view name, std::string_view text) {
  return json.AddNode(jkString, level, name, "\"" + std::string(text) + "\"");
}

TJsonNode& AddNumberNode(TJsonReader& json, std::uint16_t level, std::string_view name, std::string_view digits) {
  return json.AddNode(jkNumber, level, name, digits);
}

std::string NameText(const TJsonNode& node) {
  return EscapeText(node.name, kNameLimit);
}

std::string ValueText(const TJsonNode& node) {
  const std::string value = EscapeText(node.value, kValueLimit);
  return node.kind == jkString ? "\"" + value + "\"" : value;
}

const TJsonNode* Serialize(const TJsonNode& container, std::string& out) {
  const bool array = container.kind == jkArray;
  out += array ? '[' : '{';
  const TJsonNode* q = container.next;
  while (q && container.level < q->level) {
    if (q->prev != &container) out += ',';
    out += q->name.empty() ? ValueText(*q) : Format("\"%s\":%s", NameText(*q), ValueText(*q));
    q = q->IsContainer() ? Serialize(*q, out) : q->next;
  }
  out += array ? ']' : '}';
  return q;
}

std::size_t SiblingIndex(const TJsonNode& node) {
  std::size_t index = 0;
  for (const TJsonNode* p = node.prev; p && p->level >= node.level; p = p->prev)
    if (p->level == node.level) ++index;
  return index;
}

}  // namespace vexa
