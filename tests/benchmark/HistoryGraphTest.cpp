// The history graph as calls on a recording canvas: readings placed by time, the
// threshold at its value, dates that never overlap, the hint of the nearest reading,
// and hostile data painted inside the bounds.
#include "benchmark/HistoryGraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "benchmark/RecordingCanvas.h"

namespace vexa {
namespace {

constexpr TEdges kBounds{0, 0, 640, 360};
constexpr TUInt128 kMaxRaw{~std::uint64_t{0}, ~std::uint64_t{0}};

THistoryPoint Reading(std::uint16_t month, std::uint16_t day, std::uint16_t hour, std::uint8_t current,
                      TUInt128 raw = {}) {
  return {{2024, month, day, hour, 0, 0, 0}, current, current, 0, raw};
}

THistoryGraphData Maxtor() {
  return {"005 重新配置扇區計數", true, 223, std::nullopt, {Reading(3, 1, 9, 241), Reading(3, 20, 9, 212, {29259, 0})}};
}

// The "x,y" pairs of a call before its colour (a rectangle's are its corners).
std::vector<TPoint> Points(const std::string& call) {
  static const std::regex pair(R"((-?\d+),(-?\d+))");
  const std::string head = call.substr(0, call.find(" #"));
  std::vector<TPoint> points;
  for (std::sregex_iterator it(head.begin(), head.end(), pair), end; it != end; ++it) {
    points.push_back({std::stoi((*it)[1]), std::stoi((*it)[2])});
  }
  return points;
}

struct TDrawn {
  explicit TDrawn(THistoryGraphData data, TEdges bounds = kBounds) {
    graph.SetData(std::move(data));
    graph.DrawIn(bounds);
  }
  // The centres of the readings' markers in colour ("#00FF00"): 5 pixels wide, unlike the legend's box.
  std::vector<TPoint> Markers(std::string_view colour) const {
    std::vector<TPoint> found;
    for (const std::string& call : canvas.Calls("fill ")) {
      const std::vector<TPoint> c = Points(call);
      if (call.ends_with(colour) && c[1].x - c[0].x == 5) found.push_back({c[0].x + 2, c[0].y + 2});
    }
    return found;
  }
  bool Wrote(const std::string& text) const {
    return std::ranges::any_of(canvas.calls, [&](const std::string& call) {
      return (call.starts_with("text") || call.starts_with("draw")) && call.ends_with(" " + text);
    });
  }
  test::TRecordingCanvas canvas;
  THistoryGraph graph{canvas, nullptr};
};

TEST(HistoryGraph, ReadingsArePlacedByTimeAndDated) {
  // Each reading's x as a share of the plot's width between the end markers (in time order), and texts written.
  const std::tuple<std::vector<THistoryPoint>, std::vector<double>, std::vector<std::string>> cases[] = {
      {Maxtor().points, {0, 1}, {"2024-03-01", "2024-03-20", "目前值", "最差值", "原始值"}},
      {{Reading(3, 1, 9, 241)}, {0.5}, {"2024-03-01 09:00"}},
      {{Reading(3, 1, 9, 1), Reading(3, 1, 9, 2)}, {0.5, 0.5}, {"2024-03-01 09:00"}},
      {{Reading(3, 21, 9, 1), Reading(3, 1, 9, 2), Reading(3, 11, 9, 3)}, {0, 0.5, 1}, {"2024-03-11"}},
      {{}, {}, {"沒有讀數"}}};
  for (const auto& [points, shares, texts] : cases) {
    const TDrawn drawn({"005 重新配置扇區計數", true, std::nullopt, std::nullopt, points});
    const TEdges& panel = drawn.graph.NormalisedRect();
    const std::vector<TPoint> markers = drawn.Markers("#00FF00");
    ASSERT_EQ(markers.size(), shares.size());
    for (std::size_t i = 0; i < markers.size(); ++i) {
      EXPECT_NEAR(static_cast<double>(markers[i].x - panel.left - 4) / (panel.Width() - 9), shares[i], 0.01) << i;
    }
    for (const std::string& text : texts) EXPECT_TRUE(drawn.Wrote(text)) << text;
    EXPECT_TRUE(drawn.Wrote("005 重新配置扇區計數"));
  }
}

TEST(HistoryGraph, ThresholdLineLiesAtItsValue) {
  // The threshold, and its share of the way from the reading of 100 up to that of 200 (< 0: no line).
  const std::pair<std::uint8_t, double> cases[] = {{100, 0}, {200, 1}, {150, 0.5}, {0, -1}};
  for (const auto& [threshold, share] : cases) {
    const TDrawn drawn({"", true, threshold, std::nullopt, {Reading(1, 1, 0, 200), Reading(1, 2, 0, 100)}});
    const std::vector<TPoint> values = drawn.Markers("#00FF00");
    std::vector<TPoint> rule;
    for (const std::string& call : drawn.canvas.Calls("line ")) rule = call.ends_with("#4040FF") ? Points(call) : rule;
    ASSERT_EQ(rule.size(), share >= 0 ? 2u : 0u);
    EXPECT_EQ(drawn.Wrote("臨界值"), share >= 0);  // the legend's entry
    if (share < 0) continue;
    EXPECT_EQ(rule[0].y, rule[1].y);
    EXPECT_NEAR(rule[0].y, values[1].y + share * (values[0].y - values[1].y), 1) << int{threshold};
  }
}

TEST(HistoryGraph, HostileDataPaintsInsideTheBounds) {
  std::vector<THistoryPoint> many;  // out of order, many at one time
  for (int i = 0; i < 5000; ++i) many.push_back(Reading(12 - i % 12, 1 + i % 28, 0, i % 256, {0, std::uint64_t(i)}));
  const std::vector<THistoryPoint> huge{Reading(1, 1, 0, 0, kMaxRaw), Reading(1, 1, 0, 255, kMaxRaw)};
  const std::pair<THistoryGraphData, TEdges> cases[] = {
      {{"x", true, 0, kMaxRaw, huge}, kBounds},   {{"x", false, 0, TUInt128{}, many}, kBounds},
      {{"x", true, 255, {}, many}, {100, 50, 300, 170}}, {Maxtor(), {0, 0, 10, 10}},
      {Maxtor(), {5, 5, 5, 5}},                   {Maxtor(), {50, 50, 0, 0}}};
  for (const auto& [data, b] : cases) {
    const TDrawn drawn(data, b);
    for (const std::string& call : drawn.canvas.calls) {
      const std::vector<TPoint> points = Points(call);
      for (const TPoint& p : points) EXPECT_TRUE(b.Contains(p.x, p.y) || p.x == b.right || p.y == b.bottom) << call;
      const bool corners = !call.starts_with("line") && points.size() == 2;
      EXPECT_TRUE(!corners || (points[0].x <= points[1].x && points[0].y <= points[1].y)) << call;
    }
  }
}

TEST(HistoryGraph, DateLabelsNeverOverlap) {
  std::vector<THistoryPoint> points;
  for (int day = 0; day < 12 * 28; ++day) points.push_back(Reading(1 + day / 28, 1 + day % 28, 12, 100));
  const TDrawn drawn({"", true, std::nullopt, std::nullopt, points});
  std::vector<int> lefts;
  for (const std::string& call : drawn.canvas.Calls("text ")) {
    EXPECT_FALSE(call.ends_with("12:00")) << "times of day over a year: " << call;
    if (call.find(" 2024-") != std::string::npos) lefts.push_back(Points(call)[0].x);
  }
  ASSERT_GE(lefts.size(), 3u);
  std::ranges::sort(lefts);
  // 10 figures of at least 6 pixels each, as the faces in use draw them.
  for (std::size_t i = 1; i < lefts.size(); ++i) EXPECT_GE(lefts[i] - lefts[i - 1], 60);
}

TEST(HistoryGraph, HintNamesTheNearestReading) {
  THistoryGraphData data = Maxtor();
  const TDrawn drawn(data), empty({"", true, 223, std::nullopt, {}});
  const TEdges& panel = drawn.graph.NormalisedRect();
  const std::int32_t bottom = drawn.graph.RawRect().bottom;
  EXPECT_EQ(drawn.graph.GetHint(panel.left + 100, panel.top), "2024-03-01 09:00 目前值 241 最差值 241 原始值 0");
  EXPECT_EQ(drawn.graph.GetHint(panel.right - 100, bottom - 1), "2024-03-20 09:00 目前值 212 最差值 212 原始值 29259");
  EXPECT_EQ(drawn.graph.GetHint(panel.left - 1, panel.top), "");
  EXPECT_EQ(drawn.graph.GetHint(panel.left + 100, bottom), "");
  EXPECT_EQ(empty.graph.GetHint(320, 180), "");

  data.hasNormalised = false;
  data.points[1].raw = kMaxRaw;
  const TDrawn nvme(data);
  EXPECT_EQ(nvme.graph.GetHint(nvme.graph.RawRect().right - 2, nvme.graph.RawRect().top),
            "2024-03-20 09:00 原始值 340282366920938463463374607431768211455");
}

}  // namespace
}  // namespace vexa
