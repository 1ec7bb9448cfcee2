// The SMART page's model: cell texts, flags, verdicts, the remembered selection,
// the reactions to the three settings and the copy text, on built tables and on a
// real drive's sectors read in place from the shared samples.
#include <gtest/gtest.h>

#include "knowledge/SmartDescriptors.h"
#include "knowledge/SmartTestTables.h"
#include "shell/EasyConfig.h"
#include "views/SmartPageModel.h"

namespace vexa {
namespace {

using test::MakeTable;

// Overwrites the flags and vendor byte of the data entry at index.
void SetFlags(TSmartAttributes& table, std::size_t index, std::uint16_t flags, std::uint8_t vendorByte = 0) {
  const std::size_t offset = kSmartEntryOffset + index * kSmartEntrySize;
  PutU16(table.DataBlock(), offset + 1, flags);
  PutU8(table.DataBlock(), offset + 11, vendorByte);
}

// Lists the table through the descriptor, as the device record binds them.
void Show(TSmartPageModel& model, TSmartDescriptor& descriptor, const TSmartAttributes& table, bool smartSupported) {
  descriptor.SetAttributes(&table);
  model.ShowDevice(descriptor, smartSupported);
}

int RowOfId(const TSmartPageModel& model, std::uint8_t id) {
  for (std::size_t i = 0; i < model.Rows().size(); ++i)
    if (model.Rows()[i].id == id) return static_cast<int>(i);
  return -1;
}

TEST(SmartPageTexts, IdAndRawValueForms) {
  struct {
    std::uint8_t id;
    bool hex;
    const char* text;
  } ids[] = {{194, false, "194"}, {194, true, "C2"}, {5, false, "005"}, {5, true, "05"}, {255, true, "FF"}};
  for (const auto& c : ids) EXPECT_EQ(FormatSmartId(c.id, c.hex), c.text) << int(c.id) << c.hex;

  struct {
    std::uint64_t raw;
    bool hex;
    const char* text;
  } raws[] = {{0, true, ""},
              {0, false, ""},
              {5, true, "$0005"},
              {0xABCD, true, "$ABCD"},
              {0x597D08C79, true, "$597D08C79"},
              {0xFFFFFFFFFFFF, true, "$FFFFFFFFFFFF"},
              {40, false, "40"},
              {24021863545, false, "24021863545"}};
  for (const auto& c : raws) EXPECT_EQ(FormatSmartRawValue(c.raw, c.hex), c.text) << c.raw << c.hex;
}

TEST(SmartPageTexts, FlagTexts) {
  struct {
    std::uint16_t flags;
    std::uint8_t vendor;
    const char* shortText;
    const char* longText;
    const char* binary;
  } cases[] = {
      {0x0032, 0, "SP EC OC", "SelfPreserving, EventCount, OnlineCollection", "110010"},
      {0x003F, 0, "SP EC ER PE OC PW", "SelfPreserving, EventCount, ErrorRate, 效能, OnlineCollection, PrefailWarranty",
       "111111"},
      {0x0001, 0, "PW", "PrefailWarranty", "000001"},
      {0x0000, 0, "", "", "000000"},
      {0x0032, 0x1A, "SP EC OC", "[1A] SelfPreserving, EventCount, OnlineCollection", "110010"},
      {0x0000, 0x05, "", "[05] ", "000000"},
      // Bits above 5 have no name but show in the binary column.
      {0x0102, 0, "OC", "OnlineCollection", "100000010"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags);
    EXPECT_EQ(SmartFlagsShortText(c.flags), c.shortText);
    EXPECT_EQ(SmartFlagsLongText(c.flags, c.vendor), c.longText);
    EXPECT_EQ(SmartFlagsBinaryText(c.flags), c.binary);
  }
}

TEST(SmartPageModel, RowCells) {
  TSmartAttributes table = MakeTable({{5, 100, 100, 0}, {194, 0, 0, 40}}, {{5, 36}});
  SetFlags(table, 1, 0x0022, 0x7F);
  const auto d = CreateSmartDescriptor(TSmartDescriptorKind::Fallback);
  d->SetAttributes(&table);
  TSmartPageModel model;
  Show(model, *d, table, true);
  ASSERT_EQ(model.Rows().size(), 2u);

  const TSmartPageRow& reallocated = model.Rows()[0];
  const std::array<std::string, 10> first{"重新分配扇區次數", "005", "", "100", "100", "36", "",
                                          "SP EC OC", "SelfPreserving, EventCount, OnlineCollection", "110010"};
  EXPECT_EQ(reallocated.cells, first);
  EXPECT_EQ(reallocated.status, TSmartStatus::Good);

  // Values of 0 leave the current, worst and threshold cells empty.
  const std::array<std::string, 10> second{"溫度", "194", "40 °C", "", "", "", "$0028",
                                           "SP OC", "[7F] SelfPreserving, OnlineCollection", "100010"};
  EXPECT_EQ(model.Rows()[1].cells, second);
  EXPECT_EQ(model.Rows()[1].status, TSmartStatus::None);
  EXPECT_EQ(SmartPageColumns[1].alignment, TColumnAlignment::Centre);
  EXPECT_EQ(SmartPageColumns[8].width, 380);
}

TEST(SmartPageModel, Verdicts) {
  const auto d = CreateSmartDescriptor(TSmartDescriptorKind::Fallback);
  TSmartPageModel model;

  // Current value at the threshold of one attribute among good ones.
  TSmartAttributes alarm = MakeTable({{1, 100, 100}, {5, 10, 10}, {9, 100, 100}}, {{1, 50}, {5, 10}, {9, 1}});
  Show(model, *d, alarm, true);
  EXPECT_EQ(model.Verdict(), (TSmartVerdict{"狀態:警報", TStatusState::Bad}));
  EXPECT_EQ(model.Rows()[1].status, TSmartStatus::CurrentReached);

  TSmartAttributes caution = MakeTable({{1, 100, 5}}, {{1, 10}});
  Show(model, *d, caution, true);
  EXPECT_EQ(model.Verdict(), (TSmartVerdict{"狀態:慎重", TStatusState::Warning}));

  TSmartAttributes unknown = MakeTable({{9, 100, 100, 77}});
  Show(model, *d, unknown, true);
  EXPECT_EQ(model.Verdict(), (TSmartVerdict{"狀態:未知", TStatusState::Plain}));

  const TSmartAttributes empty;
  Show(model, *d, empty, true);
  EXPECT_TRUE(model.Rows().empty());
  EXPECT_EQ(model.Verdict(), (TSmartVerdict{"查詢失敗", TStatusState::Warning}));
  Show(model, *d, empty, false);
  EXPECT_EQ(model.Verdict(), (TSmartVerdict{"不支援", TStatusState::Plain}));
  EXPECT_EQ(model.FocusedRow(), -1);

  // A descriptor not yet bound to a table lists nothing.
  const auto unbound = CreateSmartDescriptor(TSmartDescriptorKind::Fallback);
  model.ShowDevice(*unbound, true);
  EXPECT_TRUE(model.Rows().empty());
  EXPECT_EQ(model.Verdict(), (TSmartVerdict{"查詢失敗", TStatusState::Warning}));

  TStatusProperties properties;
  model.ApplyVerdict(properties);
  EXPECT_EQ(properties.Entry(12).value, "查詢失敗");
  EXPECT_EQ(properties.Entry(12).state, TStatusState::Warning);

  model.ShowNoDevice();
  EXPECT_FALSE(model.Verdict());
}

TEST(SmartPageModel, SelectionIsRememberedAcrossDevices) {
  const auto d = CreateSmartDescriptor(TSmartDescriptorKind::Fallback);
  TSmartAttributes first = MakeTable({{1}, {9}, {12}});
  TSmartAttributes second = MakeTable({{9}, {1}});
  TSmartAttributes without = MakeTable({{5}, {12}});
  TSmartPageModel model;

  Show(model, *d, first, true);
  EXPECT_EQ(model.SelectedRow(), -1);
  EXPECT_EQ(model.FocusedRow(), 0);  // focus without selection
  model.SelectRow(1);
  EXPECT_EQ(model.SelectedId(), 9);

  Show(model, *d, second, true);
  EXPECT_EQ(model.SelectedRow(), 0);
  EXPECT_EQ(model.FocusedRow(), 0);
  Show(model, *d, without, true);
  EXPECT_EQ(model.SelectedRow(), -1);
  EXPECT_EQ(model.FocusedRow(), 0);
  model.ShowNoDevice();
  EXPECT_EQ(model.SelectedId(), 9);  // refreshes and empty pages keep the id
  Show(model, *d, first, true);
  EXPECT_EQ(model.SelectedRow(), 1);
  EXPECT_EQ(model.FocusedRow(), 1);

  model.SelectRow(-1);
  EXPECT_EQ(model.SelectedId(), 0);
  model.SelectRow(7);  // outside the rows: nothing selected
  EXPECT_EQ(model.SelectedId(), 0);
  Show(model, *d, first, true);
  EXPECT_EQ(model.SelectedRow(), -1);
}

// The three settings, driven through the store as the page receives them.
TEST(SmartPageModel, SettingReactions) {
  TEasyConfigIni store("/nonexistent-dir/vexa-test.ini");
  const TSmartPageSettings settings = RegisterSmartPageSettings(store);
  EXPECT_EQ(settings.hexId->FullName(), "tabs.smart.hex_id");
  EXPECT_FALSE(settings.hexId->Value());
  EXPECT_TRUE(settings.hexRawValue->Value());
  auto* fahrenheit = TConfigVarBool::Register(&store, "system", false, "fahrenheit_temp");
  auto* unrelated = TConfigVarBool::Register(&store, "system", false, "stay_on_top");

  TSmartAttributes table = MakeTable({{5, 100, 100, 0}, {190, 100, 100, 30}, {194, 100, 100, 40}});
  const auto d = CreateSmartDescriptor(TSmartDescriptorKind::Fallback);
  TSmartPageModel model;
  Show(model, *d, table, true);

  settings.hexId->SetValue(true);
  const auto idChanges = model.ConfigChanged(*settings.hexId, d.get());
  ASSERT_EQ(idChanges.size(), 3u);
  EXPECT_EQ(idChanges[0], (TSmartCellChange{0, TSmartColumn::Id, "05"}));
  EXPECT_EQ(idChanges[2], (TSmartCellChange{2, TSmartColumn::Id, "C2"}));

  settings.hexRawValue->SetValue(false);
  const auto rawChanges = model.ConfigChanged(*settings.hexRawValue, d.get());
  ASSERT_EQ(rawChanges.size(), 3u);
  EXPECT_EQ(rawChanges[0].text, "");
  EXPECT_EQ(rawChanges[2], (TSmartCellChange{2, TSmartColumn::RawValue, "40"}));

  // Both temperatures follow the unit, not only the key attribute (190 here).
  fahrenheit->SetValue(true);
  d->SetFahrenheit(true);
  EXPECT_EQ(model.ConfigChanged(*fahrenheit, d.get()),
            (std::vector<TSmartCellChange>{{1, TSmartColumn::Formatted, "86 °F"},
                                           {2, TSmartColumn::Formatted, "104 °F"}}));
  EXPECT_TRUE(model.TemperatureUnitChanged(d.get()).empty());
  EXPECT_TRUE(model.TemperatureUnitChanged(nullptr).empty());
  unrelated->SetValue(true);
  EXPECT_TRUE(model.ConfigChanged(*unrelated, d.get()).empty());

  // Rows built later use the stored options.
  Show(model, *d, table, true);
  const std::array<std::string, 3> cells{model.Rows()[2].Cell(TSmartColumn::Id),
                                         model.Rows()[2].Cell(TSmartColumn::RawValue),
                                         model.Rows()[2].Cell(TSmartColumn::Formatted)};
  EXPECT_EQ(cells, (std::array<std::string, 3>{"C2", "40", "104 °F"}));
}

TEST(SmartPageModel, CopyText) {
  TSmartAttributes table = MakeTable({{194, 100, 100, 40}, {5, 100, 100, 0}, {200, 100, 100, 0}});
  const auto samsung = CreateSmartDescriptor(TSmartDescriptorKind::Samsung);
  TSmartPageModel model;
  Show(model, *samsung, table, true);
  EXPECT_EQ(model.CopyText(0), "<Unknown>: 40 °C");  // Samsung names 190 but not 194
  EXPECT_EQ(model.CopyText(1), "重新分配扇區次數");
  EXPECT_EQ(model.CopyText(2), "<Unknown>");
  EXPECT_EQ(model.CopyText(-1), "");
  EXPECT_EQ(model.CopyText(3), "");

  // A repeated id copies the row's own value, not that of the first row with the id.
  TSmartAttributes repeated = MakeTable({{9, 100, 100, 24}, {9, 100, 100, 48}});
  Show(model, *samsung, repeated, true);
  EXPECT_EQ(model.CopyText(1), "開機時間 (POH): 2d 0h");
}

TEST(SmartPageRealDrive, Samsung870Qvo) {
  const auto data = test::ReadRealSample("samsung_SSD_870_QVO_4TB.smartdata.bin");
  const auto thresholds = test::ReadRealSample("samsung_SSD_870_QVO_4TB.thresholds.bin");
  if (data.empty() || thresholds.empty()) GTEST_SKIP() << "real-drive sample not found";
  TSmartAttributes table;
  table.Assign(data, thresholds);
  const auto d = CreateSmartDescriptor(TSmartDescriptorKind::Samsung);
  d->SetAttributes(&table);
  TSmartPageModel model;
  Show(model, *d, table, true);

  ASSERT_EQ(model.Rows().size(), 14u);
  EXPECT_EQ(model.Verdict(), (TSmartVerdict{"狀態:OK", TStatusState::Good}));
  const std::array<std::string, 10> reallocated{
      "重新分配扇區次數", "005", "", "100", "100", "10", "",
      "SP EC OC PW", "SelfPreserving, EventCount, OnlineCollection, PrefailWarranty", "110011"};
  EXPECT_EQ(model.Rows()[0].cells, reallocated);
  const TSmartPageRow& hours = model.Rows()[RowOfId(model, 9)];
  EXPECT_EQ(hours.Cell(TSmartColumn::Formatted), "57d 11h");
  EXPECT_EQ(hours.Cell(TSmartColumn::Threshold), "");
  EXPECT_EQ(hours.Cell(TSmartColumn::RawValue), "$0563");
  EXPECT_EQ(hours.status, TSmartStatus::None);
  const int airflow = RowOfId(model, 190);
  EXPECT_EQ(model.Rows()[airflow].Cell(TSmartColumn::Worst), "47");
  const int written = RowOfId(model, 241);
  EXPECT_EQ(model.Rows()[written].Cell(TSmartColumn::RawValue), "$597D08C79");
  EXPECT_EQ(model.CopyText(written), "總計 LBA 寫入: 11.186 TB");
  EXPECT_EQ(model.CopyText(RowOfId(model, 195)), "ECC 錯誤率");

  d->SetFahrenheit(true);
  EXPECT_EQ(model.TemperatureUnitChanged(d.get()),
            (std::vector<TSmartCellChange>{{airflow, TSmartColumn::Formatted, "84 °F"}}));
  EXPECT_EQ(model.SetHexRawValue(false)[written].text, "24021863545");
}

}  // namespace
}  // namespace vexa
