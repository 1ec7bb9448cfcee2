// The settings store: registration rules and messages, change events, the INI
// value forms, and files that are missing, broken or hostile.
#include "shell/EasyConfig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/Paths.h"

namespace vexa {
namespace {

class EasyConfigTest : public ::testing::Test {
protected:
  void SetUp() override {
    directory = std::filesystem::temp_directory_path() /
                ("vexa-config-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory);
    fileName = (directory / "vexa.ini").string();
  }
  void TearDown() override { std::filesystem::remove_all(directory); }
  void WriteFile(std::string_view contents) {
    std::ofstream(fileName, std::ios::binary) << contents;
  }
  std::string ReadFile() {
    std::string contents;
    ReadFileBytes(fileName, contents, 1 << 20);
    return contents;
  }
  std::filesystem::path directory;
  std::string fileName;
};

TEST_F(EasyConfigTest, RegistrationRulesAndMessages) {
  TEasyConfigIni store(fileName);
  auto* hide = TConfigVarBool::Register(&store, "tabs.device", true, "hide_serial");
  EXPECT_EQ(TConfigVarBool::Register(&store, "tabs.device", false, "hide_serial"), hide);
  EXPECT_TRUE(hide->Value());  // the second default is ignored
  try {
    TConfigVarInt::Register(&store, "tabs.device", 0, "hide_serial");
    FAIL();
  } catch (const EConfigError& e) {
    EXPECT_STREQ(e.what(), "Config variable \"tabs.device.hide_serial\", with type integer, already exists as boolean");
  }
  auto* named = TConfigVarNamed::Register(&store, "tabs.benchmark", 0, "active_benchmark");
  EXPECT_EQ(TConfigVarInt::Register(&store, "tabs.benchmark", 4, "active_benchmark"), named);  // a derived kind answers
  EXPECT_THROW(TConfigVarBool::Register(nullptr, "a", true, "b"), EConfigError);
  try {
    TConfigVarStr::Register(&store, "", "x", "key");
    FAIL();
  } catch (const EConfigError& e) {
    EXPECT_STREQ(e.what(), "Config variable must have a valid namespace and name");
  }
  try {
    TConfigVarBool x(&store, true, "hide_serial", "tabs.device");
    FAIL();
  } catch (const EConfigError& e) {
    EXPECT_STREQ(e.what(), "A config variable named \"tabs.device.hide_serial\" already exists");
  }
  EXPECT_EQ(store.Count(), 2);
  EXPECT_EQ(store.IndexOf("tabs.benchmark.active_benchmark"), 1);
  EXPECT_EQ(store.IndexOf("Tabs.Benchmark.Active_Benchmark"), -1);  // full names are case-sensitive
}

TEST_F(EasyConfigTest, EventsFireOutsideLoadingOnly) {
  TEasyConfigIni store(fileName);
  std::vector<std::string> heard;
  store.onChange = [&](TConfigVar* v) { heard.push_back(v->FullName()); };
  auto* index = TConfigVarInt::Register(&store, "system", 0, "device_index");
  index->minimum = 0;
  index->SetValue(-3);
  EXPECT_EQ(index->Value(), 0);
  index->SetValue(0);  // an equal value fires too
  EXPECT_EQ(heard.size(), 2u);
  EXPECT_TRUE(index->modified);
  WriteFile("[system]\r\ndevice_index=-3\r\n");
  index->modified = false;
  heard.clear();
  store.LoadAll();
  EXPECT_EQ(index->Value(), 0);  // clamped by its minimum
  EXPECT_FALSE(index->modified);
  EXPECT_EQ(heard, std::vector<std::string>{"system.device_index"});
  // Registered after the load with load on register: read at once, marked, announced.
  store.loadOnRegister = true;
  WriteFile("[system]\r\ndevice_index=2\r\n[tabs.smart]\r\nhex_id=1\r\n");
  auto* hex = TConfigVarBool::Register(&store, "tabs.smart", false, "hex_id");
  EXPECT_TRUE(hex->Value());
  EXPECT_TRUE(hex->modified);
  EXPECT_EQ(heard.back(), "tabs.smart.hex_id");
}

TEST_F(EasyConfigTest, ValueForms) {
  TEasyConfigIni store(fileName);
  auto* b = TConfigVarBool::Register(&store, "s", false, "b");
  for (const auto& [text, expected] : std::vector<std::pair<std::string, bool>>{
           {"屬實", true}, {"1", true}, {"\xC4\xDD\xB9\xEA", true}, {"true", false}, {"TRUE", false}, {"", false}}) {
    b->FromText(text);
    EXPECT_EQ(b->Value(), expected) << text;
  }
  b->SetValue(true);
  EXPECT_EQ(b->ToText(), "屬實");

  auto* i = TConfigVarInt::Register(&store, "s", 7, "i");
  i->FromText("junk");
  EXPECT_EQ(i->Value(), 7);
  i->FromText("0x1F");
  EXPECT_EQ(i->Value(), 31);
  i->hexadecimal = true;
  EXPECT_EQ(i->ToText(), "0x1F");

  auto* c = TConfigVarColor::Register(&store, "s", 5390641, "c");
  EXPECT_EQ(c->ToText(), "#314152");
  c->FromText("#0000ff");
  EXPECT_EQ(c->Value(), 0xFF0000);
  c->FromText("rgb(49,65,82)");
  EXPECT_EQ(c->Value(), 5390641);
  c->FromText("rgb(1,2)");  // too short for the rgb form, and no integer either
  EXPECT_EQ(c->Value(), 5390641);
  c->FromText("RGB( 300 , x , 2)");
  EXPECT_EQ(c->Value(), 0x02002C);
  c->FromText("#zz");
  EXPECT_EQ(c->Value(), 0x02002C);
  c->FromText("255");
  EXPECT_EQ(c->Value(), 255);

  auto* f = TConfigVarFloat::Register(&store, "s", 0, "f");
  EXPECT_EQ(f->ToText(), "0");
  for (const auto& [value, text] : std::vector<std::pair<long double, std::string>>{
           {1.5L, "1.5"}, {-2.25L, "-2.25"}, {100, "100"}, {1e20L, "1e0020"}, {2e-7L, "2e-0007"}, {0.001L, "0.001"}}) {
    f->SetValue(value);
    EXPECT_EQ(f->ToText(), text);
    f->SetValue(42);
    f->FromText(text);
    EXPECT_EQ(f->Value(), value) << text;
  }
  f->FromText("1,5x");
  EXPECT_EQ(f->Value(), 0.001L);  // unparsable: the last value stays
}

TEST_F(EasyConfigTest, SaveWritesOnlyModifiedAndKeepsTheRest) {
  WriteFile("; my notes\r\n[other]\r\nkeep=me\r\n[system]\r\nunknown=stays\r\n");
  {
    TEasyConfigIni store(fileName);
    auto* a = TConfigVarStr::Register(&store, "system", "", "a");
    auto* page = TConfigVarInt::Register(&store, "tabs", 0, "page_index");
    TConfigVarInt::Register(&store, "tabs", 5, "untouched");
    store.LoadAll();
    a->SetValue(" x ");
    page->SetValue(0);  // set back to its default: still written
    store.Save(true);
    EXPECT_FALSE(a->modified);
  }
  EXPECT_EQ(ReadFile(),
            "; my notes\r\n[other]\r\nkeep=me\r\n[system]\r\nunknown=stays\r\na=\" x \"\r\n\r\n[tabs]\r\npage_index=0\r\n");
  TEasyConfigIni again(fileName);
  auto* a = TConfigVarStr::Register(&again, "system", "", "a");
  auto* page = TConfigVarInt::Register(&again, "tabs", 9, "page_index");
  again.LoadAll();
  EXPECT_EQ(a->Value(), " x ");
  EXPECT_EQ(page->Value(), 0);
}

TEST_F(EasyConfigTest, EmptyAndAbsentKeys) {
  WriteFile("[s]\r\ni=\r\n");
  TEasyConfigIni store(fileName);
  auto* i = TConfigVarInt::Register(&store, "s", 4, "i");
  auto* j = TConfigVarInt::Register(&store, "s", 6, "j");
  i->SetValue(9);
  j->SetValue(9);
  store.LoadAll();
  EXPECT_EQ(i->Value(), 9);  // present but empty: keeps the current value
  EXPECT_EQ(j->Value(), 6);  // absent: back to the default
}

TEST_F(EasyConfigTest, QuotedValuesSurvive) {
  TEasyConfigIni store(fileName);
  auto* s = TConfigVarStr::Register(&store, "s", "", "s");
  for (const std::string value : {" x ", "\"quoted\"", "'single'", "\"", "a\"b", "\tt", "plain", "\"Courier New\" 10"}) {
    s->SetValue(value);
    store.Save(false);
    s->SetValue("changed");
    store.LoadAll();
    EXPECT_EQ(s->Value(), value);
  }
  // A line break is written as a blank, so a value that ends in one is quoted too.
  s->SetValue("ends in a break\r\n");
  store.Save(false);
  store.LoadAll();
  EXPECT_EQ(s->Value(), "ends in a break  ");
}

TEST_F(EasyConfigTest, BrokenFilesLoadDefaultsAndAreNotDestroyed) {
  TEasyConfigIni store(fileName);
  auto* i = TConfigVarInt::Register(&store, "s", 4, "i");
  store.LoadAll();  // missing file
  EXPECT_EQ(i->Value(), 4);

  std::string binary;
  for (int k = 0; k < 100000; ++k) binary.push_back(static_cast<char>(k * 7));
  WriteFile(binary + "\n[s]\ni=12\n");
  store.LoadAll();
  EXPECT_EQ(i->Value(), 12);

  // Larger than the store reads: left alone on save.
  std::string huge(TEasyConfigIni::kMaxFileBytes + 10, 'x');
  WriteFile(huge);
  i->SetValue(3);
  store.LoadAll();
  EXPECT_EQ(i->Value(), 4);
  i->SetValue(3);
  store.Save(true);
  EXPECT_EQ(std::filesystem::file_size(fileName), huge.size());

  // A directory where the file should be: nothing read, nothing thrown.
  TEasyConfigIni folder(directory.string());
  TConfigVarInt::Register(&folder, "s", 1, "i")->SetValue(2);
  folder.LoadAll();
  folder.Save(true);
}

TEST_F(EasyConfigTest, NonPersistentVariablesStayOutOfTheFile) {
  TEasyConfigIni store(fileName);
  auto* v = TConfigVarInt::Register(&store, "s", 1, "v");
  v->persistent = false;
  v->SetValue(5);
  store.Save(true);
  EXPECT_FALSE(std::filesystem::exists(fileName));
  WriteFile("[s]\nv=9\n");
  store.LoadAll();
  EXPECT_EQ(v->Value(), 5);
}

}  // namespace
}  // namespace vexa
