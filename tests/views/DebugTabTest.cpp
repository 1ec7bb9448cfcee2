// The Debug page's run as the window runs it: the sections with and without a
// device, the log file next to the program (and a folder it cannot be written
// to), the dumps only with -debug, the remembered open sections, the caption.
#include "views/DebugTab.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/ReplayMachine.h"
#include "shell/Shared.h"
#include "support/Paths.h"
#include "views/ConsoleSession.h"

namespace vexa {
namespace {

namespace fs = std::filesystem;

class DebugTabTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetMessageSink([](std::string_view, std::uint32_t) { return kAnswerOk; });
    directory = fs::temp_directory_path() / ("vexa-debug-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(directory);
    fs::create_directories(directory / "Dumps");
    machine = ReplayMachine::FromFile(std::string(VEXA_SAMPLES_DIR) + "/desktop-ssd-hdd.machine");
    session = std::make_unique<TConsoleSession>(*machine, "", PathToUtf8(directory) + "/");
    session->Start();
  }
  void TearDown() override {
    session.reset();
    SetMessageSink({});
    EXPECT_EQ(machine->RefusedCount(), 0u);
    fs::remove_all(directory);
  }
  TDebugTab& Open() { return dynamic_cast<TDebugTab&>(*session->Tabs().Add(TabClassOf<TDebugTab>())); }

  fs::path directory;
  std::unique_ptr<ReplayMachine> machine;
  std::unique_ptr<TConsoleSession> session;
};

TEST_F(DebugTabTest, NoDeviceShowsTheSystemSectionsOnly) {
  TDebugTab& page = Open();  // before any rescan: no device
  ASSERT_EQ(page.Tree().TopNodes().size(), 3u);
  EXPECT_TRUE(page.LogFile().empty());
  EXPECT_TRUE(fs::is_empty(directory / "Dumps"));
  EXPECT_EQ(page.Caption().rfind("除錯 (", 0), 0u);
}

TEST_F(DebugTabTest, RunWritesTheLogAndRemembersSections) {
  session->Rescan();
  TDebugTab& page = Open();
  EXPECT_GT(page.Tree().TopNodes().size(), 10u);
  const fs::path log = directory / "VEXA_PhysicalDrive0.log";
  ASSERT_TRUE(fs::exists(log));
  EXPECT_EQ(fs::file_size(log), page.Tree().ToText().size());
  EXPECT_TRUE(fs::is_empty(directory / "Dumps"));  // without -debug

  page.TopNodeToggled(2, true);
  page.SetWriteDumps(true);
  session->Select(1);
  EXPECT_TRUE(page.TopNodeExpanded(2));
  EXPECT_TRUE(page.Tree().TopNodes()[2]->expanded);
  EXPECT_FALSE(page.Tree().TopNodes()[1]->expanded);
  EXPECT_TRUE(fs::exists(directory / "VEXA_PhysicalDrive1.log"));
  EXPECT_TRUE(fs::exists(directory / "Dumps" / "Smart_Attribs"));
  EXPECT_EQ(page.Caption(), "除錯 (" + std::to_string(page.FailureCount()) + ")");
}

TEST_F(DebugTabTest, LogThatCannotBeWrittenIsSaidAndDumpsFolderMayBeAFile) {
  session->Rescan();
  fs::create_directories(directory / "VEXA_PhysicalDrive0.log");  // a folder where the log goes
  fs::remove_all(directory / "Dumps");
  { std::ofstream file(directory / "Dumps"); }
  TDebugTab& page = Open();
  page.SetWriteDumps(true);
  session->Select(0);
  EXPECT_TRUE(page.LogFailed());
  const std::string text = page.Tree().ToText();
  EXPECT_NE(text.find("日誌檔案"), std::string::npos);
  EXPECT_NE(text.find("§ 無法寫入 "), std::string::npos);
  EXPECT_GT(page.Tree().TopNodes().size(), 10u);
}

}  // namespace
}  // namespace vexa
