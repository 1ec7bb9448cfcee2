// One connection, one mutex: SQLite serialises writers anyway, and a single
// connection never meets a busy database inside this process. WAL lets readers of
// other processes (backups, sqlite3) look without blocking posts; the busy time-out
// covers their writes.
#include <sqlite3.h>

#include <iterator>
#include <mutex>
#include <stdexcept>

#include "Store.h"

namespace vexa::collector {

namespace {

// The schema's changes in order: version N is the Nth. Never edit one that has
// shipped; append a new one. The first is the table as it was before versions were
// recorded, so a database of that time takes it as a no-op.
constexpr const char* Migrations[] = {
    "CREATE TABLE IF NOT EXISTS reports ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " received_at INTEGER NOT NULL,"
    " model TEXT NOT NULL,"
    " firmware TEXT NOT NULL,"
    " kind TEXT NOT NULL,"
    " size_bytes INTEGER NOT NULL,"
    " report TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS reports_model ON reports (model, id);",
};

class TStatement {
public:
  TStatement(sqlite3* connection, const char* sql) : db(connection) {
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) Fail();
  }
  ~TStatement() { sqlite3_finalize(statement); }
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;

  TStatement& Bind(int index, const std::string& text) {
    if (sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK)
      Fail();
    return *this;
  }
  TStatement& Bind(int index, std::int64_t number) {
    if (sqlite3_bind_int64(statement, index, number) != SQLITE_OK) Fail();
    return *this;
  }
  // True while there is a row to read.
  bool Step() {
    const int result = sqlite3_step(statement);
    if (result != SQLITE_ROW && result != SQLITE_DONE) Fail();
    return result == SQLITE_ROW;
  }
  std::int64_t Number(int column) const { return sqlite3_column_int64(statement, column); }
  std::string Text(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return bytes == nullptr ? std::string()
                            : std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
  }

private:
  [[noreturn]] void Fail() const { throw std::runtime_error(std::string("SQLite: ") + sqlite3_errmsg(db)); }

  sqlite3* db;
  sqlite3_stmt* statement = nullptr;
};

class TSqliteStore final : public TReportStore {
public:
  explicit TSqliteStore(const std::string& path) {
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
      const std::string message = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
      sqlite3_close(db);
      throw std::runtime_error("cannot open the SQLite database '" + path + "': " + message);
    }
    try {
      sqlite3_busy_timeout(db, 10000);
      Execute("PRAGMA journal_mode=WAL");
      // A deleted report is overwritten in the file, not just unlinked from its pages.
      Execute("PRAGMA secure_delete=ON");
      Migrate();
    } catch (...) {
      sqlite3_close(db);
      throw;
    }
  }
  ~TSqliteStore() override { sqlite3_close(db); }

  std::int64_t Add(const TReportSummary& summary, const std::string& text, std::int64_t receivedUnix) override {
    std::lock_guard lock(mutex);
    TStatement insert(
        db, "INSERT INTO reports (received_at, model, firmware, kind, size_bytes, report) VALUES (?, ?, ?, ?, ?, ?)");
    insert.Bind(1, receivedUnix).Bind(2, summary.model).Bind(3, summary.firmware).Bind(4, summary.kind);
    insert.Bind(5, summary.sizeBytes).Bind(6, text).Step();
    return sqlite3_last_insert_rowid(db);
  }

  std::optional<TStoredReport> Find(std::int64_t id) override {
    std::lock_guard lock(mutex);
    TStatement select(db,
                      "SELECT id, received_at, model, firmware, kind, size_bytes, report FROM reports WHERE id = ?");
    select.Bind(1, id);
    if (!select.Step()) return std::nullopt;
    return Row(select, true);
  }

  std::vector<TStoredReport> Latest(int limit) override {
    std::lock_guard lock(mutex);
    TStatement select(
        db, "SELECT id, received_at, model, firmware, kind, size_bytes FROM reports ORDER BY id DESC LIMIT ?");
    select.Bind(1, std::int64_t{limit});
    return Rows(select, false);
  }

  std::vector<TStoredReport> OfModel(const std::string& model, int limit) override {
    std::lock_guard lock(mutex);
    TStatement select(db,
                      "SELECT id, received_at, model, firmware, kind, size_bytes, report FROM reports"
                      " WHERE model = ? ORDER BY id DESC LIMIT ?");
    select.Bind(1, model).Bind(2, std::int64_t{limit});
    return Rows(select, true);
  }

  std::vector<TModelCount> CountsPerModel(int limit) override {
    std::lock_guard lock(mutex);
    TStatement select(db, "SELECT model, COUNT(*) AS n FROM reports GROUP BY model ORDER BY n DESC, model LIMIT ?");
    select.Bind(1, std::int64_t{limit});
    std::vector<TModelCount> counts;
    while (select.Step()) counts.push_back({select.Text(0), select.Number(1)});
    return counts;
  }

  std::int64_t Count() override {
    std::lock_guard lock(mutex);
    TStatement select(db, "SELECT COUNT(*) FROM reports");
    select.Step();
    return select.Number(0);
  }

  std::int64_t SchemaVersion() override {
    std::lock_guard lock(mutex);
    return AppliedVersion();
  }

  bool Delete(std::int64_t id) override {
    std::lock_guard lock(mutex);
    TStatement remove(db, "DELETE FROM reports WHERE id = ?");
    remove.Bind(1, id).Step();
    if (sqlite3_changes(db) == 0) return false;
    // The log still holds the pages as they were before; moving them into the
    // database and emptying the log leaves the report in neither. Readers of other
    // processes may keep it from finishing, which the next delete makes up for.
    sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    return true;
  }

  void Ping() override {
    std::lock_guard lock(mutex);
    TStatement select(db, "SELECT 1 FROM reports LIMIT 1");
    select.Step();
  }

private:
  std::int64_t AppliedVersion() {
    TStatement select(db, "SELECT COALESCE(MAX(version), 0) FROM schema_migrations");
    select.Step();
    return select.Number(0);
  }

  // BEGIN IMMEDIATE takes the database's write lock before reading the version, so a
  // second process opening the same file waits (the busy time-out) and then finds
  // the changes applied; a change that fails leaves the database as it was.
  void Migrate() {
    Execute("BEGIN IMMEDIATE");
    try {
      Execute("CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY, applied_at INTEGER NOT NULL)");
      const std::int64_t applied = AppliedVersion();
      CheckSchemaVersion(applied, std::size(Migrations));
      for (auto version = applied + 1; version <= static_cast<std::int64_t>(std::size(Migrations)); ++version) {
        Execute(Migrations[version - 1]);
        TStatement record(db, "INSERT INTO schema_migrations (version, applied_at) VALUES (?, strftime('%s', 'now'))");
        record.Bind(1, version).Step();
      }
      Execute("COMMIT");
    } catch (...) {
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  }

  void Execute(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string message = error != nullptr ? error : "unknown error";
      sqlite3_free(error);
      throw std::runtime_error("SQLite: " + message);
    }
  }

  static TStoredReport Row(const TStatement& row, bool withText) {
    TStoredReport report;
    report.id = row.Number(0);
    report.receivedUnix = row.Number(1);
    report.summary = {row.Text(2), row.Text(3), row.Text(4), row.Number(5)};
    if (withText) report.text = row.Text(6);
    return report;
  }

  static std::vector<TStoredReport> Rows(TStatement& select, bool withText) {
    std::vector<TStoredReport> reports;
    while (select.Step()) reports.push_back(Row(select, withText));
    return reports;
  }

  std::mutex mutex;
  sqlite3* db = nullptr;
};

}  // namespace

std::unique_ptr<TReportStore> OpenSqliteStore(const std::string& path) { return std::make_unique<TSqliteStore>(path); }

}  // namespace vexa::collector
