// A JSON document as a flat list of nodes in document order, each carrying its
// nesting level: building is a run of appends, and both the text and a tree view come
// from one walk of the list. There is no parser. The builder keeps node 0 the root
// container, a container's subtree the run of nodes after it with a greater level, and
// each child exactly one level deeper than its container.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

enum TJsonKind : std::uint8_t {
  jkNull = 0,     // written as null whatever value was given
  jkNumber = 1,   // the value text unquoted
  jkBoolean = 2,  // the value text unquoted ("true", "false")
  jkString = 3,   // the value text in double quotes
  jkArray = 4,
  jkObject = 5,
};

struct TJsonNode {
  TJsonKind kind = jkNull;
  std::string name;   // empty for array elements and for the root
  std::string value;  // scalar text; empty for containers
  std::uint16_t level = 0;
  TJsonNode* prev = nullptr;  // the node appended just before this one
  TJsonNode* next = nullptr;  // the node appended just after this one

  bool IsContainer() const { return kind == jkArray || kind == jkObject; }
};

// The nodes in append order; the list owns them, and their addresses stay put.
class TJsonReader {
public:
  // Appends a node and links it to the last one. The value is adjusted by kind: null
  // becomes "null"; a string that begins with a double quote loses its first and its
  // last character (values may be handed over quoted); other scalars lose leading and
  // trailing blanks and control characters; containers keep no value.
  TJsonNode& AddNode(TJsonKind kind, std::uint16_t level, std::string_view name, std::string_view value = {});

  std::size_t Count() const { return nodes.size(); }
  const TJsonNode& Node(std::size_t index) const { return *nodes.at(index); }
  TJsonNode& Node(std::size_t index) { return *nodes.at(index); }
  void Reserve(std::size_t count) { nodes.reserve(count); }
  void Clear() { nodes.clear(); }

  // The document without white space as valid UTF-8; empty when there are no nodes.
  std::string ToText() const;

private:
  std::vector<std::unique_ptr<TJsonNode>> nodes;
};

// A string member whose text arrives exactly as given, a leading quote included.
TJsonNode& AddTextNode(TJsonReader& json, std::uint16_t level, std::string_view name, std::string_view text);
// A number member of the given decimal digits.
TJsonNode& AddNumberNode(TJsonReader& json, std::uint16_t level, std::string_view name, std::string_view digits);

// The escaped name (at most 256 bytes).
std::string NameText(const TJsonNode& node);
// The escaped value (at most 8192 bytes), in double quotes for strings.
std::string ValueText(const TJsonNode& node);
// Writes the container and its subtree to out; answers the first node after them.
const TJsonNode* Serialize(const TJsonNode& container, std::string& out);
// The node's position among its container's children (0 for the first).
std::size_t SiblingIndex(const TJsonNode& node);

}  // namespace vexa
