// The storage contract, run against the store VEXA_TEST_DB names (a PostgreSQL URI
// under with-postgres.sh) or, without it, against a new SQLite file. Each test uses
// models of its own, so the tests share a PostgreSQL database without seeing each other.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

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

}  // namespace

}  // namespace vexa::collector
