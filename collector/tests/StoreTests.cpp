// The storage contract, run against the store VEXA_TEST_DB names (a PostgreSQL URI
// under with-postgres.sh) or, without it, against a new SQLite file. Each test uses
// models of its own, so the tests share a PostgreSQL database without seeing each other.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <pqxx/pqxx>
#include <set>
#include <thread>

#include "Figures.h"
#include "Store.h"

namespace vexa::collector {

namespace {

class ReportStoreTest : public testing::Test {
protected:
  void SetUp() override {
    const char* database = std::getenv("VEXA_TEST_DB");
    if (database != nullptr) {
      address = database;
    } else {
      directory = std::filesystem::temp_directory_path() / ("vexa-store-" + std::to_string(::getpid()) + "-" + Name());
      std::filesystem::create_directories(directory);
      address = "sqlite:" + (directory / "reports.db").string();
    }
    store = OpenReportStore(address);
  }
  void TearDown() override {
    store.reset();
    if (!directory.empty()) std::filesystem::remove_all(directory);
  }

  static std::string Name() { return testing::UnitTest::GetInstance()->current_test_info()->name(); }
  static std::string Model(const std::string& suffix) { return Name() + "-" + std::to_string(::getpid()) + suffix; }

  std::filesystem::path directory;
  std::string address;
  std::unique_ptr<TReportStore> store;
};

TEST_F(ReportStoreTest, KeepsTextsVerbatimAcrossConnections) {
  const std::string model = Model("'; DROP TABLE reports; -- <b>\"&%_\\ 原\xEF\xBF\xBD");
  const std::string text = "{\"型號\":\"O'Brien \\\"x\\\" ; SELECT * <script>\",\"n\":1}";
  const std::int64_t id = store->Add({model, "FW'1\"", "SSD", 256060514304}, text, 1765192703);

  const std::unique_ptr<TReportStore> other = OpenReportStore(address);
  const auto found = other->Find(id);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->id, id);
  EXPECT_EQ(found->receivedUnix, 1765192703);
  EXPECT_EQ(found->summary.model, model);
  EXPECT_EQ(found->summary.firmware, "FW'1\"");
  EXPECT_EQ(found->summary.kind, "SSD");
  EXPECT_EQ(found->summary.sizeBytes, 256060514304);
  EXPECT_EQ(found->text, text);
  EXPECT_FALSE(other->Find(id + 1000000).has_value());
}

TEST_F(ReportStoreTest, ListsNewestFirstAndCountsPerModel) {
  const std::string many = Model("-many");
  const std::string one = Model("-one");
  const std::int64_t before = store->Count();
  std::vector<std::int64_t> ids;
  for (int i = 0; i < 3; ++i)
    ids.push_back(store->Add({many, "1", "HDD", -1}, "{\"i\":" + std::to_string(i) + "}", 100));
  const std::int64_t last = store->Add({one, "1", "SSD", 0}, "{}", 101);

  EXPECT_EQ(store->Count(), before + 4);
  const auto ofMany = store->OfModel(many, 2);
  ASSERT_EQ(ofMany.size(), 2u);
  EXPECT_EQ(ofMany[0].id, ids[2]);
  EXPECT_EQ(ofMany[0].text, "{\"i\":2}");
  EXPECT_EQ(ofMany[1].id, ids[1]);
  const auto latest = store->Latest(2);
  ASSERT_EQ(latest.size(), 2u);
  EXPECT_EQ(latest[0].id, last);
  EXPECT_EQ(latest[0].summary.model, one);
  EXPECT_EQ(latest[0].text, "");
  EXPECT_EQ(latest[1].id, ids[2]);
  std::map<std::string, std::int64_t> counts;
  for (const TModelCount& count : store->CountsPerModel(1000)) counts[count.model] = count.count;
  EXPECT_EQ(counts[many], 3);
  EXPECT_EQ(counts[one], 1);
}

TEST_F(ReportStoreTest, DeletesOneReportForGoodAndAnswersPings) {
  const std::string model = Model("");
  const std::int64_t kept = store->Add({model, "1", "SSD", 0}, "{\"kept\":1}", 1);
  const std::int64_t gone = store->Add({model, "1", "SSD", 0}, "{\"gone\":1}", 1);
  const std::int64_t before = store->Count();

  EXPECT_TRUE(store->Delete(gone));
  EXPECT_FALSE(store->Delete(gone));
  EXPECT_FALSE(store->Delete(gone + 1000000));
  EXPECT_FALSE(store->Find(gone).has_value());
  EXPECT_TRUE(store->Find(kept).has_value());
  EXPECT_EQ(store->Count(), before - 1);
  const auto left = store->OfModel(model, 10);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].id, kept);
  // A deleted report's number is not handed out again.
  EXPECT_GT(store->Add({model, "1", "SSD", 0}, "{}", 1), gone);
  EXPECT_NO_THROW(store->Ping());
}

TEST_F(ReportStoreTest, ParallelAddsAreAllStoredUnderDistinctNumbers) {
  constexpr int Posters = 32;
  constexpr int ReportsEach = 10;
  const std::string model = Model("");
  std::vector<std::vector<std::int64_t>> ids(Posters);
  std::vector<std::thread> posters;
  for (int poster = 0; poster < Posters; ++poster) {
    posters.emplace_back([&, poster] {
      for (int i = 0; i < ReportsEach; ++i) ids[poster].push_back(store->Add({model, "1", "SSD", i}, "{}", 1));
    });
  }
  for (auto& poster : posters) poster.join();

  std::set<std::int64_t> distinct;
  for (const auto& some : ids) distinct.insert(some.begin(), some.end());
  EXPECT_EQ(distinct.size(), std::size_t{Posters * ReportsEach});
  EXPECT_EQ(store->OfModel(model, 10000).size(), std::size_t{Posters * ReportsEach});
}

// A statement run on a connection of its own, as another program would.
void RunSql(const std::string& address, const std::string& sql) {
  if (address.starts_with("sqlite:")) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(address.substr(7).c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 10000);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  } else {
    pqxx::connection connection(address);
    pqxx::work work(connection);
    work.exec(sql);
    work.commit();
  }
}

// A report with the attributes given as name, raw value, text; an ATA serial number
// in IDENTIFY words 10-19, or an NVMe health log (with its serial, when given).
std::string FigureReport(const std::string& model, const std::string& serial,
                         const std::vector<std::tuple<const char*, std::int64_t, const char*>>& attributes,
                         const nlohmann::json& health = nullptr) {
  nlohmann::json report = {{"裝置訊息", {{"型號", model}}}, {"smart屬性", nlohmann::json::array()}, {"識別碼", nlohmann::json::array()}};
  for (const auto& [name, raw, text] : attributes)
    report["smart屬性"].push_back({{"名稱", name}, {std::string(RawValueKey), raw}, {"格式化", text}});
  if (!health.is_null()) {
    report["nvme"] = {{"health", health}};
    if (!serial.empty()) report["nvme"]["serial"] = serial;
  } else if (!serial.empty()) {
    for (int i = 0; i < 256; ++i) report["識別碼"].push_back(0);
    const std::string padded = (serial + std::string(20, ' ')).substr(0, 20);
    for (std::size_t i = 0; i < 10; ++i) report["識別碼"][10 + i] = padded[2 * i] << 8 | padded[2 * i + 1];
  }
  return report.dump();
}

TEST_F(ReportStoreTest, FiguresCountEachDriveOnceByItsLatestReport) {
  const std::string model = Model("");
  const auto add = [&](const std::string& text, std::int64_t received) {
    store->Add({model, "1", "SSD", -1}, text, received);
  };
  // Drive A twice: only its second report counts (its first would lower the minimum).
  add(FigureReport(model, "A", {{"開機時間 (POH)", 10, "0d 10h"}, {"重新分配扇區次數", 0, ""}}), 100);
  add(FigureReport(model, "A", {{"開機時間 (POH)", 300, "12d 12h"}, {"重新分配扇區次數", 2, "2"},
                                {"目前掛起扇區次數", 0, ""}}), 200);
  add(FigureReport(model, "B", {{"開機時間 (POH)", 200, "8d 8h"}, {"重新分配扇區次數", 0, ""},
                                {"目前掛起扇區次數", 1, "1"}, {"無法糾正扇區次數", 0, ""},
                                {"總計 LBA 寫入", 2097152, "1.00 GB"}}), 300);
  add(FigureReport(model, "C", {{"開機時間 (POH)", 5000, "208d 8h"}, {"總計 LBA 寫入", 4194304, "2.00 GB"}}), 800);
  // No serial number: each report a drive of its own, one with no figures at all.
  add(FigureReport(model, "", {{"開機時間 (POH)", 50, "2d 2h"}}), 400);
  add(FigureReport(model, "", {}), 500);
  add(FigureReport(model, "F", {}, {{"power_on_hours", 1000}, {"percentage_used", 3}, {"media_errors", 0},
                                    {"data_units_written", 10}}), 600);
  add(FigureReport(model, "G", {}, {{"power_on_hours", "2500"}, {"percentage_used", 17}, {"media_errors", 2},
                                    {"data_units_written", 2000000.0}}), 700);
  add(FigureReport(model, "H", {}, {{"power_on_hours", 0}, {"percentage_used", 9}, {"media_errors", 0}}), 650);

  const auto figures = store->FiguresOfModel(model);
  ASSERT_TRUE(figures.has_value());
  EXPECT_EQ(figures->reports, 9);
  EXPECT_EQ(figures->drives, 8);
  EXPECT_EQ(figures->firstReceived, 100);
  EXPECT_EQ(figures->latestReceived, 800);
  // Hours 0 50 200 300 1000 2500 5000: odd, the middle one.
  EXPECT_EQ(figures->powerOnHours, (TFigureSpread{7, 300, 0, 5000}));
  EXPECT_EQ(figures->reallocatedSectors, (TFigureShare{2, 1}));
  EXPECT_EQ(figures->pendingSectors, (TFigureShare{2, 1}));
  EXPECT_EQ(figures->uncorrectableSectors, (TFigureShare{1, 0}));
  // 5 120 000, 1 GiB, 2 GiB, 1 024 000 000 000 bytes: even, the lower middle one.
  EXPECT_EQ(figures->hostWritesBytes, (TFigureSpread{4, 1073741824, 5120000, 1024000000000}));
  EXPECT_EQ(figures->nvmePercentageUsed, (TFigureSpread{3, 9, 3, 17}));
  EXPECT_EQ(figures->nvmeMediaErrors, (TFigureShare{3, 1}));
  std::vector<THistogramBucket> histogram;
  for (std::int64_t from = 0; from <= 5000; from += 500) histogram.push_back({from, from + 500, 0});
  histogram[0].drives = 4;
  histogram[2].drives = 1;
  histogram[5].drives = 1;
  histogram[10].drives = 1;
  EXPECT_EQ(figures->powerOnHistogram, histogram);

  EXPECT_FALSE(store->FiguresOfModel(Model("-none")).has_value());
  // A name no report can have (a query parameter or a path may carry one).
  EXPECT_FALSE(store->FiguresOfModel("\xFF").has_value());
  EXPECT_TRUE(store->OfModel("\xFF", 10).empty());
  bool listed = false;
  for (const TModelListing& listing : store->Models(100000)) {
    if (listing.model != model) continue;
    listed = true;
    EXPECT_EQ(listing.reports, 9);
    EXPECT_EQ(listing.drives, 8);
    EXPECT_EQ(listing.latestReceived, 800);
  }
  EXPECT_TRUE(listed);
}

TEST_F(ReportStoreTest, OpeningGivesOldRowsTheirFiguresOnceEvenTwoAtATime) {
  const std::string model = Model("");
  store->Add({model, "1", "HDD", -1}, FigureReport(model, "A", {{"開機時間 (POH)", 9612, "400d 12h"}}), 1);
  store->Add({model, "1", "HDD", -1}, "{}", 2);
  const auto before = store->FiguresOfModel(model);
  ASSERT_TRUE(before.has_value());
  ASSERT_EQ(before->powerOnHours, (TFigureSpread{1, 9612, 9612, 9612}));
  store.reset();

  // As a collector without figures left the rows.
  const std::string forget = "UPDATE reports SET figures_version = 0, drive_key = NULL, power_on_hours = NULL"
                             " WHERE model = '" + model + "'";
  RunSql(address, forget);
  std::unique_ptr<TReportStore> first;
  std::unique_ptr<TReportStore> second;
  std::thread opener([&] { first = OpenReportStore(address); });
  second = OpenReportStore(address);
  opener.join();
  EXPECT_EQ(first->FiguresOfModel(model)->powerOnHours, before->powerOnHours);
  EXPECT_EQ(second->FiguresOfModel(model)->drives, 2);
  store = std::move(first);
}

TEST_F(ReportStoreTest, ADrivesLatestReportCountsAfterParallelAddsAndADelete) {
  constexpr int Posters = 8;
  constexpr int ReportsEach = 25;
  const std::string model = Model("");
  // Two connections, as two collectors on one database.
  const std::unique_ptr<TReportStore> other = OpenReportStore(address);
  std::vector<std::vector<std::pair<std::int64_t, std::int64_t>>> added(Posters);  // number, hours
  std::vector<std::thread> posters;
  for (int poster = 0; poster < Posters; ++poster) {
    posters.emplace_back([&, poster] {
      TReportStore& target = poster % 2 == 0 ? *store : *other;
      for (int i = 0; i < ReportsEach; ++i) {
        const std::int64_t hours = poster * 100 + i;
        const std::string text = FigureReport(model, "P", {{"開機時間 (POH)", hours, ""}});
        added[poster].emplace_back(target.Add({model, "1", "SSD", -1}, text, 1), hours);
      }
    });
  }
  for (auto& poster : posters) poster.join();
  std::map<std::int64_t, std::int64_t> hoursOf;
  for (const auto& some : added) hoursOf.insert(some.begin(), some.end());
  auto latest = hoursOf.rbegin();
  auto figures = store->FiguresOfModel(model);
  EXPECT_EQ(figures->drives, 1);
  EXPECT_EQ(figures->powerOnHours.median, latest->second);

  // Another program deletes the latest report: the one before it counts.
  RunSql(address, "DELETE FROM reports WHERE id = " + std::to_string(latest->first));
  figures = store->FiguresOfModel(model);
  EXPECT_EQ(figures->reports, Posters * ReportsEach - 1);
  EXPECT_EQ(figures->drives, 1);
  EXPECT_EQ(figures->powerOnHours.median, std::next(latest)->second);
}

}  // namespace

}  // namespace vexa::collector
