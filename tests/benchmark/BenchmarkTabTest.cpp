// The Benchmark module in a console session over a replay drive: its settings and
// entries, tool tips, the overview program with its plaques and stop requests, and
// a device list rebuilt in the middle of a run.
#include "benchmark/BenchmarkTab.h"

#include <gtest/gtest.h>

#include <functional>

#include "benchmark/BenchmarkMachine.h"
#include "benchmark/RecordingCanvas.h"
#include "device/DeviceManager.h"
#include "shell/EasyConfig.h"
#include "views/SessionHarness.h"

namespace vexa {
namespace {

class TProbedBenchmarkTab : public TBenchmarkTab {
public:
  static constexpr std::string_view kClassName = "TBenchmarkTab";
  static constexpr bool kNeedsSheet = true;
  using TBenchmarkTab::TBenchmarkTab;

  // What the page's message processing would do in the middle of a run.
  std::function<void(TProbedBenchmarkTab&)> onMessages;

protected:
  void ProcessMessages() override {
    if (onMessages) onMessages(*this);
  }
};

class BenchmarkTabTest : public SessionHarness {
protected:
  TProbedBenchmarkTab& Start(std::uint64_t size, std::initializer_list<std::string_view> settings = {}) {
    TConsoleSession& s = OpenText(test::BenchMachineText(size));
    auto* tab = dynamic_cast<TProbedBenchmarkTab*>(s.Tabs().Add(TabClassOf<TProbedBenchmarkTab>()));
    EXPECT_NE(tab, nullptr);
    for (const std::string_view assignment : settings) {
      std::string error;
      EXPECT_TRUE(s.Set(assignment, error)) << error;
    }
    s.Start();
    s.Rescan();
    return *tab;
  }
  void Set(std::string_view assignment) {
    std::string error;
    EXPECT_TRUE(session->Set(assignment, error)) << error;
  }
};

TEST_F(BenchmarkTabTest, EntriesTakeTheSettingsAndFollowTheirChanges) {
  TProbedBenchmarkTab& tab = Start(64 << 20, {"tabs.benchmark.transfer_blocksize=65536"});
  ASSERT_NE(tab.Current(), nullptr);
  EXPECT_EQ(tab.Caption(), "基準");
  EXPECT_EQ(tab.Current()->transfer.blockSize, 65536u);
  EXPECT_EQ(tab.Current()->access.sampleCount, 500u);
  Set("tabs.benchmark.access_samplecount=7");
  EXPECT_EQ(tab.Current()->access.sampleCount, 7u);
  EXPECT_EQ(tab.Current()->queuedTransfer.blockSize, 8u << 20);  // fixed

  Set("tabs.benchmark.active_benchmark=9");
  EXPECT_EQ(tab.Active(), 5);
  Set("tabs.benchmark.background_color=255");
  EXPECT_EQ(tab.Graph().BackgroundColor(), 0x0000FFu);
  EXPECT_EQ(tab.Plaques().BackgroundColor(), 0x0000FFu);

  TTooltipContent tip;
  EXPECT_TRUE(tab.GetTooltip(kBenchmarkSelectorTip, tip));
  EXPECT_EQ(tip.title, "雜項基准");
  EXPECT_TRUE(tab.GetTooltip(kBenchmarkButtonTip, tip));
  EXPECT_EQ(tip.title, "基準測試或停止");
  EXPECT_FALSE(tab.GetTooltip(258, tip));

  // Absurd settings end a run without results instead of allocating gigabytes.
  Set("tabs.benchmark.transfer_samplecount=1000000000");
  Set("tabs.benchmark.active_benchmark=2");
  EXPECT_TRUE(tab.RunProgram());
  EXPECT_EQ(tab.Current()->transfer.count, 0);
}

TEST_F(BenchmarkTabTest, OverviewFillsItsPlaquesAndAStopEndsOnlyTheRunningStep) {
  // Large enough for the queued IOPS runs: 32768 reads of 4 KiB.
  TProbedBenchmarkTab& tab = Start(256 << 20, {"tabs.benchmark.transfer_blocksize=4096",
                                              "tabs.benchmark.transfer_samplecount=8",
                                              "tabs.benchmark.access_samplecount=10"});
  std::vector<std::string> marked;
  tab.onMessages = [&marked](TProbedBenchmarkTab& t) {
    t.Stop();
    for (int row = 0; row < 4; ++row) {
      if (t.Plaques().Cell(row, 0).caption.starts_with("-> ")) marked.push_back(t.Plaques().Cell(row, 0).caption);
    }
  };
  const std::string firstCaption = tab.Plaques().Cell(2, 0).caption;
  ASSERT_TRUE(tab.RunProgram());
  EXPECT_FALSE(tab.Running());
  const TBenchmarkEntry& entry = *tab.Current();
  EXPECT_EQ(entry.access.count, 1);    // stopped after its first progress
  EXPECT_EQ(entry.transfer.count, 2);  // a later step starts afresh, stopped after its second sample
  EXPECT_EQ(entry.queued[5]->completed, 32768u);  // IOPS runs cannot be stopped
  EXPECT_EQ(marked.front(), "-> " + firstCaption);
  EXPECT_EQ(tab.Plaques().Cell(2, 0).caption, firstCaption);

  test::TRecordingCanvas canvas;
  tab.DrawActive(&canvas);
  EXPECT_EQ(tab.Plaques().Cell(2, 0).value, "0.105 ms");
  EXPECT_EQ(tab.Plaques().Cell(2, 0).hint, "Min: 0.105 ms\r\nMax: 0.105 ms\r\n樣本: 1 / 10");
  EXPECT_EQ(tab.Plaques().Cell(1, 0).value, "27.9 MB/s");
  EXPECT_EQ(tab.Plaques().Cell(3, 0).value, "28,571");
  EXPECT_TRUE(tab.Plaques().Cell(3, 0).hint.starts_with("\r\nQD 01: 7,142\r\nQD 02: 14,285"));
  for (int row = 0; row < 4; ++row) EXPECT_EQ(tab.Plaques().Cell(row, 1).value, "未執行");
}

TEST_F(BenchmarkTabTest, ARunOutlivesTheDeviceListRebuiltUnderIt) {
  TProbedBenchmarkTab& tab = Start(64 << 20, {"tabs.benchmark.active_benchmark=3"});
  int rescans = 0;
  tab.onMessages = [this, &rescans](TProbedBenchmarkTab&) {
    if (rescans++ == 0) session->Rescan();
  };
  EXPECT_TRUE(tab.RunProgram());
  EXPECT_EQ(rescans, 252);  // progress after every second sample, and as the button changes at each end
  // The rescan chose the drive again: a fresh entry, the old one freed after the run.
  ASSERT_NE(tab.Current(), nullptr);
  EXPECT_EQ(tab.Entries().Count(), 1u);
  EXPECT_EQ(tab.Current()->access.count, 0);
}

TEST_F(BenchmarkTabTest, DrivesThatCannotBeMeasured) {
  TProbedBenchmarkTab& tab = Start(512);  // not above one sector
  EXPECT_FALSE(tab.RunProgram());
  session->Tabs().NotifyNoDevice();
  EXPECT_FALSE(tab.RunProgram());
}

}  // namespace
}  // namespace vexa
