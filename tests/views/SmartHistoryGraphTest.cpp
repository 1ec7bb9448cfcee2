// The graph of a SMART page row: which series, which threshold, and when there is
// nothing to draw (so the page copies the row instead).
#include "views/SmartHistoryGraph.h"

#include <gtest/gtest.h>

#include "history/HistoryTestSupport.h"
#include "shell/EasyConfig.h"
#include "views/HistoryKeeper.h"
#include "views/SmartPageModel.h"

namespace vexa {
namespace {

using test::At;

TSmartPageRow Row(std::uint8_t id, std::string_view key, const char* idText, const char* name) {
  TSmartPageRow row;
  row.id = id;
  row.key = key;
  row.cells[static_cast<int>(TSmartColumn::Id)] = idText;
  row.cells[static_cast<int>(TSmartColumn::Name)] = name;
  return row;
}

class SmartHistoryGraph : public ::testing::Test {
protected:
  void SetUp() override {
    TSmartHistory file(path);
    // The threshold moved between the readings: the line follows the latest.
    file.Record(test::AtaReading({{5, 0x33, 100, 100, 10, 0}}, TSmartStatus::Good, "Fallback", At(1, 12)));
    file.Record(test::AtaReading({{5, 0x33, 99, 99, 36, 8}}, TSmartStatus::Good, "Fallback", At(2, 12)));
    TSmartReading nvme = test::NvmeReading({{"available_spare", TUInt128{100}}, {"available_spare_threshold", TUInt128{10}}});
    file.Record(nvme);
    nvme.time = At(2, 12);
    nvme.health = {{"available_spare", TUInt128{90}}, {"available_spare_threshold", TUInt128{5}}};
    file.Record(nvme);
  }

  test::TTempFolder folder;
  std::string path = folder.File("h.history");
};

TEST_F(SmartHistoryGraph, AtaRowDrawsItsAttributeWithTheLatestThreshold) {
  THistoryKeeper keeper(path);
  const auto graph = GraphOfRow(&keeper, "Made-up HDD", "SERIAL1", Row(5, "", "005", "Reallocated"));
  ASSERT_TRUE(graph);
  EXPECT_EQ(graph->title, "005 Reallocated - Made-up HDD");
  EXPECT_TRUE(graph->hasNormalised);
  EXPECT_EQ(graph->threshold, std::optional<std::uint8_t>(36));
  EXPECT_FALSE(graph->rawThreshold);
  ASSERT_EQ(graph->points.size(), 2u);
  EXPECT_EQ(graph->points[1].raw, TUInt128{8});
}

TEST_F(SmartHistoryGraph, NvmeRowsDrawTheirFieldAndOnlyTheSpareHasAThreshold) {
  THistoryKeeper keeper(path);
  const auto spare = GraphOfRow(&keeper, "Made-up NVMe", "SERIAL2", Row(3, "available_spare", "003", "Spare"));
  ASSERT_TRUE(spare);
  EXPECT_FALSE(spare->hasNormalised);
  EXPECT_FALSE(spare->threshold);
  EXPECT_EQ(spare->rawThreshold, std::optional<TUInt128>(TUInt128{5}));
  EXPECT_EQ(spare->points.size(), 2u);
  const auto limit =
      GraphOfRow(&keeper, "Made-up NVMe", "SERIAL2", Row(4, "available_spare_threshold", "004", "Threshold"));
  ASSERT_TRUE(limit);
  EXPECT_FALSE(limit->rawThreshold);
}

TEST_F(SmartHistoryGraph, NothingToDrawWithoutHistoryOrReadings) {
  THistoryKeeper keeper(path);
  const TSmartPageRow row = Row(5, "", "005", "Reallocated");
  EXPECT_FALSE(GraphOfRow(nullptr, "Made-up HDD", "SERIAL1", row));
  THistoryKeeper none("");
  EXPECT_FALSE(GraphOfRow(&none, "Made-up HDD", "SERIAL1", row));
  EXPECT_FALSE(GraphOfRow(&keeper, "Made-up HDD", "OTHER", row)) << "another drive";
  EXPECT_FALSE(GraphOfRow(&keeper, "Made-up HDD", "SERIAL1", Row(9, "", "009", "Hours"))) << "an attribute never read";
  TEasyConfigIni store("unused.ini");
  const THistorySettingsVars vars = RegisterHistorySettings(store);
  vars.enabled->SetValue(false);
  keeper.SetVariables(vars);
  EXPECT_FALSE(GraphOfRow(&keeper, "Made-up HDD", "SERIAL1", row)) << "history off";
}

}  // namespace
}  // namespace vexa
