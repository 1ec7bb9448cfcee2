// The schema's versions on a database of each kind: a new one, one made before
// versions were recorded, one a newer collector moved on, and several collectors
// opening a new database at the same moment. Each test gets a database of its own:
// a new SQLite file, or a new database on the PostgreSQL server VEXA_TEST_DB names.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <pqxx/pqxx>
#include <thread>

#include "Store.h"

namespace vexa::collector {

namespace {

class SchemaTest : public testing::Test {
protected:
  void SetUp() override {
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    const char* server = std::getenv("VEXA_TEST_DB");
    if (server != nullptr) {
      const std::string uri = server;
      // Unquoted names are folded to lower case: a number keeps them apart.
      static int made = 0;
      const std::string database = "schema_" + std::to_string(::getpid()) + "_" + std::to_string(++made);
      pqxx::connection connection(uri);
      pqxx::nontransaction(connection).exec("CREATE DATABASE " + database);
      address = uri.substr(0, uri.rfind('/') + 1) + database;
    } else {
      directory = std::filesystem::temp_directory_path() / ("vexa-schema-" + std::to_string(::getpid()) + "-" + name);
      std::filesystem::create_directories(directory);
      address = "sqlite:" + (directory / "reports.db").string();
    }
  }
  void TearDown() override {
    if (!directory.empty()) std::filesystem::remove_all(directory);
  }

  bool Postgres() const { return directory.empty(); }

  // Runs statements on the database directly, as an older or newer collector would.
  void Execute(const std::string& sql) const {
    if (Postgres()) {
      pqxx::connection connection(address);
      pqxx::nontransaction(connection).exec(sql);
      return;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(address.substr(7).c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int result = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error != nullptr ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(result, SQLITE_OK) << message;
  }

  std::int64_t Query(const std::string& sql) const {
    if (Postgres()) {
      pqxx::connection connection(address);
      return pqxx::nontransaction(connection).exec(sql)[0][0].as<std::int64_t>();
    }
    sqlite3* db = nullptr;
    sqlite3_open(address.substr(7).c_str(), &db);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    const std::int64_t value = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
  }

  // Each version recorded once, none skipped.
  void ExpectEachVersionOnce(std::int64_t version) const {
    EXPECT_GE(version, 1);
    EXPECT_EQ(Query("SELECT COUNT(*) FROM schema_migrations"), version);
    EXPECT_EQ(Query("SELECT COUNT(DISTINCT version) FROM schema_migrations"), version);
  }

  std::filesystem::path directory;
  std::string address;
};

TEST_F(SchemaTest, ANewDatabaseTakesEveryVersionOnceAndKeepsThemOnReopening) {
  const std::int64_t version = OpenReportStore(address)->SchemaVersion();
  ExpectEachVersionOnce(version);
  const auto again = OpenReportStore(address);
  EXPECT_EQ(again->SchemaVersion(), version);
  ExpectEachVersionOnce(version);
}

TEST_F(SchemaTest, ADatabaseFromBeforeVersionsKeepsItsReports) {
  const std::string serial = Postgres() ? "BIGSERIAL" : "INTEGER";
  Execute("CREATE TABLE reports (id " + serial + " PRIMARY KEY, received_at BIGINT NOT NULL, model TEXT NOT NULL,"
          " firmware TEXT NOT NULL, kind TEXT NOT NULL, size_bytes BIGINT NOT NULL, report TEXT NOT NULL);"
          "INSERT INTO reports (id, received_at, model, firmware, kind, size_bytes, report)"
          " VALUES (41, 7, 'OLD', '1', 'HDD', -1, '{\"old\":1}')");
  const auto store = OpenReportStore(address);
  ExpectEachVersionOnce(store->SchemaVersion());
  const auto old = store->Find(41);
  ASSERT_TRUE(old.has_value());
  EXPECT_EQ(old->text, "{\"old\":1}");
  EXPECT_EQ(old->summary.model, "OLD");
}

TEST_F(SchemaTest, ADatabaseANewerCollectorMovedOnIsRefusedUntouched) {
  const std::int64_t version = OpenReportStore(address)->SchemaVersion();
  const std::string newer = std::to_string(version + 1);
  Execute("INSERT INTO schema_migrations (version, applied_at) VALUES (" + newer + ", 0)");
  try {
    OpenReportStore(address);
    FAIL() << "a database of a newer schema was opened";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("schema version " + newer), std::string::npos) << error.what();
  }
  EXPECT_EQ(Query("SELECT MAX(version) FROM schema_migrations"), version + 1);
}

TEST_F(SchemaTest, CollectorsOpeningANewDatabaseTogetherApplyEachVersionOnce) {
  constexpr int Collectors = 8;
  std::vector<std::int64_t> versions(Collectors, -1);
  std::vector<std::string> failures(Collectors);
  std::vector<std::thread> threads;
  for (int i = 0; i < Collectors; ++i) {
    threads.emplace_back([&, i] {
      try {
        versions[i] = OpenReportStore(address)->SchemaVersion();
      } catch (const std::exception& error) {
        failures[i] = error.what();
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int i = 0; i < Collectors; ++i) {
    EXPECT_EQ(failures[i], "");
    EXPECT_EQ(versions[i], versions[0]);
  }
  ExpectEachVersionOnce(versions[0]);
}

}  // namespace

}  // namespace vexa::collector
