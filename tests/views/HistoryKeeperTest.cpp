// The history as the program keeps it: every drive recorded once however often the
// program starts, a change recorded and marked on the SMART page with the verdict
// saying since when the drive is worse, history off by setting, and a history file
// that cannot be written leaving the program reading drives as before.
#include "views/HistoryKeeper.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "history/HistoryTestSupport.h"
#include "platform/MachineFile.h"
#include "platform/ReplayMachine.h"
#include "shell/StatusProperties.h"
#include "support/Format.h"
#include "support/Text.h"
#include "views/ConsoleSession.h"
#include "views/SessionHarness.h"
#include "views/SmartTab.h"

namespace vexa {
namespace {

std::string Sample() { return test::ReadText(std::string(VEXA_SAMPLES_DIR) + "/desktop-ssd-hdd.machine"); }

std::string Replaced(std::string text, std::string_view from, std::string_view to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::size_t ReadingLines(const std::string& file) {
  const std::string text = test::ReadText(file);
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) - (text.empty() ? 0 : 1);
}

class HistoryKeeperTest : public SessionHarness {
protected:
  // Starts the program over the machine text with the history file, settings first.
  TConsoleSession& Run(const std::string& machineText, const std::string& historyFile,
                       std::initializer_list<std::string_view> assignments = {}) {
    session.reset();
    machine = std::make_unique<ReplayMachine>(ParseMachineFile(machineText, "test.machine"));
    session = std::make_unique<TConsoleSession>(*machine, std::string(), std::string(), historyFile);
    for (const std::string_view assignment : assignments) {
      std::string error;
      EXPECT_TRUE(session->Set(assignment, error)) << error;
    }
    session->Start();
    session->Rescan();
    return *session;
  }

  test::TTempFolder folder;
};

TEST_F(HistoryKeeperTest, RestartsAddNothingAndAChangeIsOneReadingMarkedWorse) {
  const std::string file = folder.File("vexa.history");
  for (int start = 0; start < 3; ++start) Run(Sample(), file);
  // The SSD and the hard disk have SMART tables; the DVD writer has none.
  EXPECT_EQ(ReadingLines(file), 2u);
  EXPECT_TRUE(session->History().TakeMessages().empty());

  // Ten minutes later the SSD has reallocated eight sectors.
  const std::string later = Replaced(Replaced(Sample(), "clock 2014-06-14 20:15:00", "clock 2014-06-14 20:25:00"),
                                     "    5  0x0033  100  100  0              10",
                                     "    5  0x0033  100  100  8              10");
  TConsoleSession& s = Run(later, file);
  EXPECT_EQ(ReadingLines(file), 3u);
  const auto& rows = s.SmartModule().Model().Rows();
  const auto row5 = std::find_if(rows.begin(), rows.end(), [](const TSmartPageRow& row) { return row.id == 5; });
  ASSERT_NE(row5, rows.end());
  EXPECT_EQ(row5->mark, TSmartRowMark::Worse);
  EXPECT_EQ(row5->change, "原始值 0 → 8 (計數增加)");
  EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const TSmartPageRow& row) { return row.mark != TSmartRowMark::None; }),
            1);
  const TStatusProperty& verdict = s.Status().Entry(kSmartStatusPropertyIndex);
  EXPECT_EQ(verdict.value, "狀態:OK (變差)");
  EXPECT_EQ(verdict.state, TStatusState::Warning);
  EXPECT_NE(verdict.extraDescription.find("\r\n自 2014-06-14 20:25 起變差 (與 2014-06-14 20:15 的讀數相比):\r\n005 "), std::string::npos);
  EXPECT_NE(verdict.extraDescription.find("005 "), std::string::npos) << verdict.extraDescription;

  // The hard disk, unchanged, is not marked; a restart keeps the SSD's marks.
  s.Select(1);
  for (const TSmartPageRow& row : s.SmartModule().Model().Rows()) EXPECT_EQ(row.mark, TSmartRowMark::None);
  Run(later, file);
  EXPECT_EQ(ReadingLines(file), 3u);
  EXPECT_EQ(session->Status().Entry(kSmartStatusPropertyIndex).value, "狀態:OK (變差)");
}

TEST_F(HistoryKeeperTest, SettingsTurnHistoryOffAndSpaceOutUnchangedReadings) {
  const std::string file = folder.File("vexa.history");
  Run(Sample(), file, {"history.enabled=0"});
  EXPECT_FALSE(session->History().Enabled());
  EXPECT_EQ(test::ReadText(file), "");
  // Two hours later, nothing changed: stored under the default hour, not under a day.
  const std::string later = Replaced(Sample(), "clock 2014-06-14 20:15:00", "clock 2014-06-14 22:15:00");
  Run(Sample(), file);
  Run(later, file, {"history.interval_minutes=1440"});
  EXPECT_EQ(ReadingLines(file), 2u);
  Run(later, file);
  EXPECT_EQ(ReadingLines(file), 4u);
}

TEST_F(HistoryKeeperTest, AnUnwritableHistoryIsSaidAndDrivesStillRead) {
  test::WriteText(folder.File("not-a-folder"), "x");
  TConsoleSession& s = Run(Sample(), folder.File("not-a-folder") + "/vexa.history");
  EXPECT_EQ(s.DeviceCount(), 3);
  EXPECT_FALSE(s.SmartModule().Model().Rows().empty());
  EXPECT_FALSE(s.History().Problem().empty());
  const std::vector<std::string> said = s.History().TakeMessages();
  ASSERT_EQ(said.size(), 1u);  // once, though every drive was tried
  EXPECT_TRUE(s.History().TakeMessages().empty());
  EXPECT_NE(s.Status().Entry(kSmartStatusPropertyIndex).extraDescription.find("SMART 歷史記錄已關閉"), std::string::npos);
}

TEST_F(HistoryKeeperTest, ALineCutShortIsSaidOnceThoughTheReadingAfterItEndsIt) {
  const std::string file = folder.File("vexa.history");
  Run(Sample(), file);
  const std::string whole = test::ReadText(file);
  test::WriteText(file, whole.substr(0, whole.size() - 5));  // the hard disk's line, cut
  Run(Sample(), file);
  session->Rescan();  // reads the file again, now with the cut line inside it
  EXPECT_EQ(ReadingLines(file), 3u);
  const std::vector<std::string> said = session->History().TakeMessages();
  ASSERT_EQ(said.size(), 1u) << JoinText(said, "\n");
  EXPECT_NE(said[0].find("line 3: cut short"), std::string::npos) << said[0];
}

TEST(RowChangeText, SaysHowARowMoved) {
  const auto ata = [](TSmartRow a, TSmartRow b, bool reset = false) {
    TRowChange change;
    change.before = change.after = true;
    change.oldRow = a;
    change.newRow = b;
    change.reset = reset;
    return change;
  };
  TRowChange nvme;
  nvme.key = "data_units_written";
  nvme.before = nvme.after = true;
  nvme.oldValue = TUInt128{~0ull, 1};
  nvme.newValue = TUInt128{0, 2};
  TRowChange added;
  added.after = true;
  const struct {
    TRowChange change;
    std::string text;
  } cases[] = {
      {ata({5, 0x33, 100, 100, 10, 0}, {5, 0x33, 99, 99, 10, 8}), "目前值 100 → 99; 原始值 0 → 8"},
      {ata({5, 0x33, 100, 100, 10, 0}, {5, 0x33, 100, 98, 10, 0}), "最差值 100 → 98"},
      {ata({9, 0x32, 98, 98, 0, 5121}, {9, 0x32, 98, 98, 0, 3}, true), "原始值 5121 → 3 (歸零)"},
      {ata({9, 0x32, 98, 98, 0, 1}, {9, 0x12, 98, 98, 0, 1}), "旗標 0032 → 0012"},
      {nvme, "36893488147419103231 → 36893488147419103232"},
      {added, "新"},
  };
  for (const auto& c : cases) EXPECT_EQ(RowChangeText(c.change), c.text);
}

}  // namespace
}  // namespace vexa
