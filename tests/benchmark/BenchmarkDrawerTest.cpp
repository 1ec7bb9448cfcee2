// The drawings as calls on a recording canvas: the banner under everything, the
// plaques and their hints, the IOPS bars and their texts, the graph's layout,
// scales, markers, legends and hints.
#include "benchmark/BenchmarkDrawer.h"

#include <gtest/gtest.h>

#include "benchmark/BenchmarkMachine.h"
#include "benchmark/DriveBenchmark.h"
#include "benchmark/DriveIops.h"
#include "benchmark/RecordingCanvas.h"

namespace vexa {
namespace {

constexpr TEdges kBounds{0, 0, 640, 360};

TEST(BenchmarkDrawer, PlaquesSitOnTheBannerAndAnswerHintsByCell) {
  test::TRecordingCanvas canvas;
  TVexaBenchmarkPlaques plaques(canvas, nullptr);
  plaques.SetRows(4);
  plaques.SetCellCaption(1, 1, "4K 寫入");
  plaques.SetCellColor(1, 1, 0x00FF00);
  plaques.Cell(0, 0) = {"順序讀取", "n/a", "樣本: 1 / 2", 0};
  plaques.DrawIn(kBounds);
  ASSERT_GE(canvas.calls.size(), 4u);
  EXPECT_EQ(canvas.calls[0], "fill 0,0,640,360 #524131");
  EXPECT_EQ(canvas.calls[1], "text 321,3 1 #000000 工作進行中 - 結果並不可靠");
  EXPECT_EQ(canvas.calls[2], "text 320,2 1 #FFFFFF 工作進行中 - 結果並不可靠");
  // Row 1 of column 1: shadow, face, caption band, value band blended towards the background.
  EXPECT_EQ(plaques.PlaqueRect(1, 1), (TEdges{204, 90, 382, 146}));
  EXPECT_EQ(canvas.Calls("fill 206,92")[0], "fill 206,92,384,148 #000000");
  EXPECT_EQ(canvas.Calls("fill 204,90")[0], "fill 204,90,382,146 #00FF00");
  EXPECT_EQ(canvas.Calls("fill 204,112")[0], "fill 204,112,382,146 #3D7024");
  EXPECT_EQ(canvas.Calls("draw 210,90")[0], "draw 210,90,382,112 824 #000000 4K 寫入");

  EXPECT_EQ(plaques.GetHint(0, 0), "[順序讀取]\r\n樣本: 1 / 2");  // left of and above the grid: the first cell
  EXPECT_EQ(plaques.GetHint(210, 100), "[4K 寫入]");
  EXPECT_EQ(plaques.GetHint(2000, 100), "");
  EXPECT_EQ(plaques.GetHint(-1000, -1000), "");
}

TEST(BenchmarkDrawer, IopsBarsSkipWhatDidNotRunAndKeepAMinimumWidth) {
  auto machine = test::BenchMachine(1 << 20);
  TDriveIops fast(*machine), idle(*machine), slow(*machine);
  fast.blockSize = slow.blockSize = 4096;
  fast.queueDepth = 32;
  fast.iops = 100;
  slow.iops = 50;
  fast.elapsedTicks = slow.elapsedTicks = 500000;  // half a second at 1 MHz
  fast.completed = slow.completed = 100;
  fast.bytesPerSecond = 819200;
  fast.color = 0x112233;
  const std::vector<TDriveIops*> items{&fast, &idle, &slow};
  test::TRecordingCanvas canvas;
  TVexaBenchmarkIops drawer(canvas, nullptr);
  drawer.SetItems(items);
  drawer.DrawIn(kBounds);
  EXPECT_EQ(canvas.Calls("rect"), (std::vector<std::string>{"rect 8,16,632,34 #000000 #112233",
                                                            "rect 8,72,320,90 #000000 #000000"}));
  const std::vector<std::string> texts = canvas.Calls("text 10,");
  ASSERT_EQ(texts.size(), 6u);
  EXPECT_EQ(texts[0], "text 10,36 0 #FFFFFF 4K 隨機讀取             QD32 | IOPS:        100");
  EXPECT_EQ(texts[1], "text 10,46 0 #FFFFFF 傳輸速率:      0.78 MB/s | 平均時間:  5.000 ms");
  EXPECT_EQ(texts[2], "text 10,56 0 #FFFFFF 讀取字節:          0.39 MB | 樣本:     100");

  fast.iops = slow.iops = 0;
  canvas.calls.clear();
  drawer.DrawIn(kBounds);
  EXPECT_EQ(canvas.Calls("rect")[1], "rect 8,72,11,90 #000000 #000000");

  // 15 of 26 across 624 pixels is 360 exactly; through doubles it was 359.99999999999994.
  fast.iops = 26;
  slow.iops = 15;
  canvas.calls.clear();
  drawer.DrawIn(kBounds);
  EXPECT_EQ(canvas.Calls("rect")[1], "rect 8,72,368,90 #000000 #000000");
}

TEST(BenchmarkDrawer, GraphLayoutScalesAndSeries) {
  auto machine = test::BenchMachine(1 << 20);
  TDriveBenchmark transfer(*machine), access(*machine), queued(*machine);
  transfer.kind = bkSequentialRead;
  transfer.color = 0x00FF00;
  transfer.samples = {{0, 100, 512, 5242880}};  // one sample: a dot
  transfer.count = 1;
  access.kind = bkAccessTime;
  access.color = 0x00FFFF;
  access.samples = {{0, 500, 512, 0}, {524288, 250, 512, 0}};
  access.count = 2;
  queued.kind = bkSequentialRead;
  queued.queueDepth = 1;
  queued.color = 0x00A5FF;
  queued.samples = {{0, 100, 512, 1048576}, {524288, 100, 512, 2097152}};
  queued.count = 2;

  test::TRecordingCanvas canvas;
  TVexaBenchmarkGraph graph(canvas, nullptr);
  graph.diskSize = 1 << 20;
  graph.AddSeries(&transfer);
  graph.AddSeries(&access);
  graph.AddSeries(&queued);
  graph.AddSeries(nullptr);
  graph.DrawIn(kBounds);
  EXPECT_EQ(graph.PlotRect(), (TEdges{16, 16, 624, 303}));
  EXPECT_EQ(graph.LegendRect(), (TEdges{16, 304, 624, 319}));
  EXPECT_EQ(graph.Series().size(), 3u);
  EXPECT_EQ(canvas.Calls("rect"), (std::vector<std::string>{"rect 15,15,625,304 #7D7064", "rect 15,303,625,320 #7D7064"}));
  EXPECT_EQ(canvas.Calls("line").size(), 14u + 1u);  // 7 + 7 grid lines, then the one curve

  // Axis labels: 10 MiB/s for a 5 MiB/s maximum; 1,000 µs for exactly 500 µs.
  EXPECT_EQ(canvas.Calls("draw 4,3,636,303"),
            (std::vector<std::string>{"draw 4,3,636,303 920 #00FF00 10", "draw 4,3,636,303 928 #00FF00 0",
                                      "draw 4,3,636,303 922 #00FFFF 1,000", "draw 4,3,636,303 92A #00FFFF 0"}));
  EXPECT_EQ(canvas.Calls("pixel 16,"), (std::vector<std::string>{"pixel 16,160 #00FF00", "pixel 16,159 #00FFFF"}));
  EXPECT_EQ(canvas.Calls("polygon"), (std::vector<std::string>{"polygon 12,160 6,157 6,163 #00FF00",
                                                               "polygon 628,196 634,193 634,199 #00FFFF"}));
  EXPECT_EQ(canvas.Calls("draw 20,304,620,319"),
            (std::vector<std::string>{"draw 20,304,620,319 824 #00FF00 最小:5.0, 最大:5.0, 平均:5.0",
                                      "draw 20,304,620,319 826 #00FFFF 0.375 ms"}));
  // Series 2 and later: points only.
  for (const std::string& call : canvas.calls) {
    if (call.starts_with("draw") || call.starts_with("polygon")) {
      EXPECT_EQ(call.find("#00A5FF"), std::string::npos);
    }
  }
  EXPECT_EQ(canvas.Calls("line 16,275 320,246 #00A5FF").size(), 1u);

  // Read against each series' maximum: 5 MiB/s and 500 µs over 287 pixels.
  EXPECT_EQ(graph.GetHint(100, 303 - 287), "TR: 5.000 MB/s\r\nAT: 0.500 ms");
  EXPECT_EQ(graph.GetHint(10, 100), "");
}

}  // namespace
}  // namespace vexa
