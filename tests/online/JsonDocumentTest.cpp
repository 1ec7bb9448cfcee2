// The node list: value adjustments, the text without white space, sibling numbers.
#include "online/JsonDocument.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/Text.h"

namespace vexa {
namespace {


struct TNodeRow {
  TJsonKind kind;
  std::uint16_t level;
  std::string name;
  std::string value;
};

TJsonReader Document(const std::vector<TNodeRow>& rows) {
  TJsonReader json;
  for (const TNodeRow& row : rows) json.AddNode(row.kind, row.level, row.name, row.value);
  return json;
}

TEST(JsonDocument, AddNodeAdjustsValuesByKind) {
  const struct {
    TJsonKind kind;
    std::string value;
    std::string stored;
  } rows[] = {
      {jkNull, "anything", "null"},
      {jkString, "\"quoted\"", "quoted"},
      {jkString, "\"open", "ope"},
      {jkString, "\"", ""},
      {jkString, " kept \t", " kept \t"},
      {jkNumber, " \t42\r\n", "42"},
      {jkBoolean, " true ", "true"},
      {jkArray, "x", ""},
      {jkObject, "x", ""},
  };
  for (const auto& row : rows) {
    TJsonReader json;
    EXPECT_EQ(json.AddNode(row.kind, 0, "", row.value).value, row.stored) << row.value;
  }
  TJsonReader json;
  EXPECT_EQ(AddTextNode(json, 0, "", "\"open").value, "\"open");
}

TEST(JsonDocument, SerializesNestedContainersWithoutWhiteSpace) {
  const struct {
    std::vector<TNodeRow> nodes;
    std::string text;
  } rows[] = {
      {{}, ""},
      {{{jkObject, 0, "", ""}}, "{}"},
      {{{jkArray, 0, "", ""}}, "[]"},
      {{{jkObject, 0, "", ""}, {jkNumber, 1, "a", "1"}, {jkArray, 1, "b", ""}, {jkString, 2, "", "x"}},
       "{\"a\":1,\"b\":[\"x\"]}"},
      {{{jkObject, 0, "", ""},
        {jkArray, 1, "list", ""},
        {jkObject, 2, "", ""},
        {jkNull, 3, "n", ""},
        {jkBoolean, 3, "t", "true"},
        {jkObject, 2, "", ""},
        {jkArray, 2, "", ""},
        {jkObject, 1, "after", ""},
        {jkString, 2, "s", "v"}},
       "{\"list\":[{\"n\":null,\"t\":true},{},[]],\"after\":{\"s\":\"v\"}}"},
      // A named member of an array keeps its name.
      {{{jkArray, 0, "", ""}, {jkNumber, 1, "named", "7"}}, "[\"named\":7]"},
  };
  for (const auto& row : rows) EXPECT_EQ(Document(row.nodes).ToText(), row.text) << row.text;
}

TEST(JsonDocument, NamesAndValuesAreCutAfterEscaping) {
  TJsonReader json;
  const std::string longName(300, 'n');
  const std::string longValue(8191, 'v');
  const TJsonNode& node = json.AddNode(jkString, 1, longName, longValue + "\"");
  EXPECT_EQ(NameText(node), std::string(256, 'n'));
  EXPECT_EQ(ValueText(node), "\"" + longValue + "\"");  // the escaped quote would pass 8192 bytes
}

TEST(JsonDocument, TextIsValidUtf8WithCharactersBeyondTheBasicPlane) {
  TJsonReader json;
  json.AddNode(jkArray, 0, "");
  AddTextNode(json, 1, "", Utf16ToUtf8(u"\xD83D\xDE00"));  // a surrogate pair from a Windows control
  AddTextNode(json, 1, "", "bad\xFF");
  EXPECT_EQ(json.ToText(), "[\"\xF0\x9F\x98\x80\",\"bad\xEF\xBF\xBD\"]");
}

TEST(JsonDocument, SiblingIndexCountsEarlierChildrenOfTheSameContainer) {
  const TJsonReader json = Document({{jkArray, 0, "", ""},
                                     {jkObject, 1, "", ""},
                                     {jkNumber, 2, "a", "1"},
                                     {jkNumber, 2, "b", "2"},
                                     {jkObject, 1, "", ""},
                                     {jkNumber, 2, "a", "1"},
                                     {jkNumber, 1, "", "3"}});
  const std::size_t expected[] = {0, 0, 0, 1, 1, 0, 2};
  for (std::size_t i = 0; i < json.Count(); ++i) EXPECT_EQ(SiblingIndex(json.Node(i)), expected[i]) << i;
}

}  // namespace
}  // namespace vexa
