// Our INI reader and writer against the platform's own profile functions: a
// file written by either is read the same by both, for every kind of value whose
// text is ASCII, quoted values included.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "shell/EasyConfig.h"
#include "support/IniDocument.h"
#include "support/Paths.h"
#include "support/win32/WideText.h"

namespace vexa {
namespace {

std::wstring PlatformRead(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
  wchar_t buffer[256];
  GetPrivateProfileStringW(section.c_str(), key.c_str(), L"\x1B", buffer, 256, file.c_str());
  return buffer;
}

class IniCompat : public ::testing::Test {
protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    file = std::wstring(temp) + L"vexa-ini-compat-" +
           Wide(::testing::UnitTest::GetInstance()->current_test_info()->name()) + L".ini";
    DeleteFileW(file.c_str());
  }
  void TearDown() override {
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());  // drop the platform's cache
    DeleteFileW(file.c_str());
  }
  std::wstring file;
};

// Values as the store writes them: each kind's text forms, blanks, quotes, empties.
const std::vector<std::string> kValues = {
    "false", "1",      "-2147483648", "0x1F",      "#314152",   "rgb(49,65,82)", "1.5",    "1e0020",
    "plain", " x ",    "\"Courier New\" 10",        "\"Verdana\" 7", "'single'", "\"",     "a\"b",
    "",      "\t tab", "trailing ",   "a=b=c",     "; not a comment", "[not a section]", "x;y"};

TEST_F(IniCompat, PlatformReadsWhatWeWrite) {
  TEasyConfigIni store(Narrow(file));
  std::vector<TConfigVarStr*> variables;
  for (std::size_t i = 0; i < kValues.size(); ++i) {
    auto* v = TConfigVarStr::Register(&store, i % 2 ? "tabs.benchmark" : "system", "", "key" + std::to_string(i));
    v->SetValue(kValues[i]);
    variables.push_back(v);
  }
  store.Save(true);
  for (std::size_t i = 0; i < kValues.size(); ++i) {
    const std::wstring read = PlatformRead(file, Wide(variables[i]->Section()), Wide(variables[i]->Key()));
    EXPECT_EQ(Narrow(read), kValues[i]) << "value " << i;
  }
}

TEST_F(IniCompat, WeReadWhatThePlatformWrites) {
  for (std::size_t i = 0; i < kValues.size(); ++i)
    WritePrivateProfileStringW(L"Section", Wide("k" + std::to_string(i)).c_str(), Wide(kValues[i]).c_str(), file.c_str());
  WritePrivateProfileStringW(L"Other", L"Key", L"value", file.c_str());
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
  std::string contents;
  ASSERT_TRUE(ReadFileBytes(Narrow(file), contents, 1 << 20));
  const TIniDocument ours(contents);
  for (std::size_t i = 0; i < kValues.size(); ++i) {
    const std::string key = "k" + std::to_string(i);
    const std::wstring platform = PlatformRead(file, L"section", Wide(key));
    const auto read = ours.Read("section", key);
    ASSERT_TRUE(read.has_value()) << key;
    EXPECT_EQ(*read, Narrow(platform)) << "value " << i << " [" << kValues[i] << "]";
  }
  EXPECT_EQ(ours.Read("OTHER", "key"), "value");
  EXPECT_EQ(Narrow(PlatformRead(file, L"Section", L"missing")), "\x1B");
  EXPECT_FALSE(ours.Read("Section", "missing").has_value());
}

TEST_F(IniCompat, LongValuesAreCutAlike) {
  const std::string longValue(300, 'v');
  WritePrivateProfileStringW(L"s", L"long", Wide(longValue).c_str(), file.c_str());
  WritePrivateProfileStringW(L"s", L"quoted", Wide("\"" + longValue + "\"").c_str(), file.c_str());
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
  std::string contents;
  ASSERT_TRUE(ReadFileBytes(Narrow(file), contents, 1 << 20));
  const TIniDocument ours(contents);
  EXPECT_EQ(*ours.Read("s", "long"), Narrow(PlatformRead(file, L"s", L"long")));
  EXPECT_EQ(*ours.Read("s", "quoted"), Narrow(PlatformRead(file, L"s", L"quoted")));
}

}  // namespace
}  // namespace vexa
