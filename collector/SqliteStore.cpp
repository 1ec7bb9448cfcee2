// One connection, one mutex: SQLite serialises writers anyway, and a single
// connection never meets a busy database inside this process. WAL lets readers of
// other processes (backups, sqlite3) look without blocking posts; the busy time-out
// covers their writes.
#include <sqlite3.h>

#include <iterator>
#include <mutex>
#include <stdexcept>

#include "Figures.h"
#include "Store.h"

namespace vexa::collector {

namespace {

// Marks the latest report of the drive of the trigger's NEW or OLD row as newest and
// its others not. Writers are serialised by the database, so no second writer can
// slip a report of the same drive in between. Part of version 2: never edit it.
#define VEXA_MARK_NEWEST(row)                                                                               \
  "UPDATE reports SET newest = (id = (SELECT MAX(id) FROM reports WHERE drive_key = " row ".drive_key))"   \
  " WHERE drive_key = " row ".drive_key AND newest <> (id = (SELECT MAX(id) FROM reports WHERE drive_key = " \
  row ".drive_key));"

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
    // What each report says (Figures.h), in columns; rows stored before have
    // figures_version 0 and are read again when a store opens. newest marks the
    // latest report of each drive (and every report without a drive key), the rows
    // the figures count; triggers keep it so whoever adds, deletes or re-keys a row.
    // The counts and sums per model read one index alone; each median walks its
    // column's partial index, which holds the counted rows only, in order.
    "ALTER TABLE reports ADD COLUMN figures_version INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE reports ADD COLUMN drive_key TEXT;"
    "ALTER TABLE reports ADD COLUMN newest INTEGER NOT NULL DEFAULT 1;"
    "ALTER TABLE reports ADD COLUMN power_on_hours INTEGER;"
    "ALTER TABLE reports ADD COLUMN reallocated_sectors INTEGER;"
    "ALTER TABLE reports ADD COLUMN pending_sectors INTEGER;"
    "ALTER TABLE reports ADD COLUMN uncorrectable_sectors INTEGER;"
    "ALTER TABLE reports ADD COLUMN host_writes_bytes INTEGER;"
    "ALTER TABLE reports ADD COLUMN nvme_percentage_used INTEGER;"
    "ALTER TABLE reports ADD COLUMN nvme_media_errors INTEGER;"
    "CREATE INDEX reports_drive ON reports (drive_key, id);"
    "CREATE INDEX reports_figures_version ON reports (figures_version, id);"
    "CREATE INDEX reports_model_figures ON reports (model, newest, received_at, power_on_hours, reallocated_sectors,"
    " pending_sectors, uncorrectable_sectors, host_writes_bytes, nvme_percentage_used, nvme_media_errors);"
    "CREATE INDEX reports_model_hours ON reports (model, power_on_hours)"
    " WHERE newest = 1 AND power_on_hours IS NOT NULL;"
    "CREATE INDEX reports_model_writes ON reports (model, host_writes_bytes)"
    " WHERE newest = 1 AND host_writes_bytes IS NOT NULL;"
    "CREATE INDEX reports_model_used ON reports (model, nvme_percentage_used)"
    " WHERE newest = 1 AND nvme_percentage_used IS NOT NULL;"
    "CREATE TRIGGER reports_drive_added AFTER INSERT ON reports WHEN NEW.drive_key IS NOT NULL BEGIN "
    VEXA_MARK_NEWEST("NEW") " END;"
    "CREATE TRIGGER reports_drive_deleted AFTER DELETE ON reports WHEN OLD.drive_key IS NOT NULL BEGIN "
    VEXA_MARK_NEWEST("OLD") " END;"
    "CREATE TRIGGER reports_drive_rekeyed AFTER UPDATE OF drive_key ON reports BEGIN "
    "UPDATE reports SET newest = 1 WHERE id = NEW.id AND NEW.drive_key IS NULL; "
    VEXA_MARK_NEWEST("OLD") " " VEXA_MARK_NEWEST("NEW") " END;",
};

// Reports read per transaction when old rows are given their figures.
constexpr std::int64_t BackfillBatch = 500;

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
  template <typename T>
  TStatement& Bind(int index, const std::optional<T>& value) {
    if (value) return Bind(index, *value);
    if (sqlite3_bind_null(statement, index) != SQLITE_OK) Fail();
    return *this;
  }
  // Ready to run again with new values.
  void Reset() { sqlite3_reset(statement); }
  // True while there is a row to read.
  bool Step() {
    const int result = sqlite3_step(statement);
    if (result != SQLITE_ROW && result != SQLITE_DONE) Fail();
    return result == SQLITE_ROW;
  }
  std::int64_t Number(int column) const { return sqlite3_column_int64(statement, column); }
  std::optional<std::int64_t> Optional(int column) const {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) return std::nullopt;
    return Number(column);
  }
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
      BackfillFigures();
    } catch (...) {
      sqlite3_close(db);
      throw;
    }
  }
  ~TSqliteStore() override { sqlite3_close(db); }

  std::int64_t Add(const TReportSummary& summary, const std::string& text, std::int64_t receivedUnix) override {
    const TReportFigures figures = ReportFiguresOf(text);
    std::lock_guard lock(mutex);
    TStatement insert(db,
                      "INSERT INTO reports (received_at, model, firmware, kind, size_bytes, report, figures_version,"
                      " drive_key, power_on_hours, reallocated_sectors, pending_sectors, uncorrectable_sectors,"
                      " host_writes_bytes, nvme_percentage_used, nvme_media_errors)"
                      " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.Bind(1, receivedUnix).Bind(2, summary.model).Bind(3, summary.firmware).Bind(4, summary.kind);
    insert.Bind(5, summary.sizeBytes).Bind(6, text);
    BindFigures(insert, 7, figures).Step();
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

  std::optional<TModelFigures> FiguresOfModel(const std::string& model) override {
    std::lock_guard lock(mutex);
    // One read transaction: every query sees the same reports.
    Execute("BEGIN");
    try {
      std::optional<TModelFigures> figures = ReadFigures(model);
      Execute("COMMIT");
      return figures;
    } catch (...) {
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  }

  std::vector<TModelListing> Models(int limit) override {
    std::lock_guard lock(mutex);
    TStatement select(db,
                      "SELECT model, COUNT(*) AS n, SUM(newest), MAX(received_at) FROM reports"
                      " GROUP BY model ORDER BY n DESC, model LIMIT ?");
    select.Bind(1, std::int64_t{limit});
    std::vector<TModelListing> models;
    while (select.Step()) models.push_back({select.Text(0), select.Number(1), select.Number(2), select.Number(3)});
    return models;
  }

private:
  static TStatement& BindFigures(TStatement& statement, int first, const TReportFigures& figures) {
    return statement.Bind(first, FiguresVersion)
        .Bind(first + 1, figures.driveKey)
        .Bind(first + 2, figures.powerOnHours)
        .Bind(first + 3, figures.reallocatedSectors)
        .Bind(first + 4, figures.pendingSectors)
        .Bind(first + 5, figures.uncorrectableSectors)
        .Bind(first + 6, figures.hostWritesBytes)
        .Bind(first + 7, figures.nvmePercentageUsed)
        .Bind(first + 8, figures.nvmeMediaErrors);
  }

  std::optional<TModelFigures> ReadFigures(const std::string& model) {
    TModelFigures figures;
    figures.model = model;
    {
      TStatement select(db,
                        "SELECT COUNT(*), COALESCE(SUM(newest), 0), MIN(received_at), MAX(received_at) FROM reports"
                        " WHERE model = ?");
      select.Bind(1, model).Step();
      figures.reports = select.Number(0);
      if (figures.reports == 0) return std::nullopt;
      figures.drives = select.Number(1);
      figures.firstReceived = select.Number(2);
      figures.latestReceived = select.Number(3);
    }
    {
      TStatement select(
          db,
          "SELECT COUNT(power_on_hours), MIN(power_on_hours), MAX(power_on_hours),"
          " COUNT(reallocated_sectors), COUNT(CASE WHEN reallocated_sectors > 0 THEN 1 END),"
          " COUNT(pending_sectors), COUNT(CASE WHEN pending_sectors > 0 THEN 1 END),"
          " COUNT(uncorrectable_sectors), COUNT(CASE WHEN uncorrectable_sectors > 0 THEN 1 END),"
          " COUNT(host_writes_bytes), MIN(host_writes_bytes), MAX(host_writes_bytes),"
          " COUNT(nvme_percentage_used), MIN(nvme_percentage_used), MAX(nvme_percentage_used),"
          " COUNT(nvme_media_errors), COUNT(CASE WHEN nvme_media_errors > 0 THEN 1 END)"
          " FROM reports WHERE model = ? AND newest = 1");
      select.Bind(1, model).Step();
      figures.powerOnHours = {select.Number(0), std::nullopt, select.Optional(1), select.Optional(2)};
      figures.reallocatedSectors = {select.Number(3), select.Number(4)};
      figures.pendingSectors = {select.Number(5), select.Number(6)};
      figures.uncorrectableSectors = {select.Number(7), select.Number(8)};
      figures.hostWritesBytes = {select.Number(9), std::nullopt, select.Optional(10), select.Optional(11)};
      figures.nvmePercentageUsed = {select.Number(12), std::nullopt, select.Optional(13), select.Optional(14)};
      figures.nvmeMediaErrors = {select.Number(15), select.Number(16)};
    }
    // The median walks the column's index in order to the middle drive.
#define VEXA_MEDIAN(column)                                                                 \
  "SELECT " column " FROM reports WHERE model = ? AND newest = 1 AND " column " IS NOT NULL" \
  " ORDER BY " column " LIMIT 1 OFFSET ?"
    Median(VEXA_MEDIAN("power_on_hours"), model, figures.powerOnHours);
    Median(VEXA_MEDIAN("host_writes_bytes"), model, figures.hostWritesBytes);
    Median(VEXA_MEDIAN("nvme_percentage_used"), model, figures.nvmePercentageUsed);
#undef VEXA_MEDIAN
    if (figures.powerOnHours.max) {
      const std::int64_t width = HistogramWidth(*figures.powerOnHours.max);
      TStatement select(db,
                        "SELECT power_on_hours / ?, COUNT(*) FROM reports WHERE model = ? AND newest = 1"
                        " AND power_on_hours IS NOT NULL GROUP BY 1");
      select.Bind(1, width).Bind(2, model);
      std::vector<std::pair<std::int64_t, std::int64_t>> counts;
      while (select.Step()) counts.emplace_back(select.Number(0), select.Number(1));
      figures.powerOnHistogram = HistogramBuckets(width, *figures.powerOnHours.max, counts);
    }
    return figures;
  }

  void Median(const char* sql, const std::string& model, TFigureSpread& spread) {
    if (spread.drives == 0) return;
    TStatement select(db, sql);
    select.Bind(1, model).Bind(2, (spread.drives - 1) / 2);
    if (select.Step()) spread.median = select.Number(0);
  }

  // Rows stored before their figures existed (or by an older reading of reports)
  // are read again, a batch per transaction, in the order of their numbers. Two
  // collectors opening the database at once may read the same batch: the update
  // applies only to rows still below the version, and both write the same values.
  void BackfillFigures() {
    for (std::int64_t version = 0; version < FiguresVersion; ++version) {
      for (std::int64_t after = 0;;) {
        std::vector<std::pair<std::int64_t, TReportFigures>> batch;
        {
          TStatement select(db,
                            "SELECT id, report FROM reports WHERE figures_version = ? AND id > ? ORDER BY id LIMIT ?");
          select.Bind(1, version).Bind(2, after).Bind(3, BackfillBatch);
          while (select.Step()) batch.emplace_back(select.Number(0), ReportFiguresOf(select.Text(1)));
        }
        if (batch.empty()) break;
        after = batch.back().first;
        Execute("BEGIN IMMEDIATE");
        try {
          TStatement update(db,
                            "UPDATE reports SET figures_version = ?, drive_key = ?, power_on_hours = ?,"
                            " reallocated_sectors = ?, pending_sectors = ?, uncorrectable_sectors = ?,"
                            " host_writes_bytes = ?, nvme_percentage_used = ?, nvme_media_errors = ?"
                            " WHERE id = ? AND figures_version < ?");
          for (const auto& [id, figures] : batch) {
            BindFigures(update, 1, figures).Bind(10, id).Bind(11, FiguresVersion).Step();
            update.Reset();
          }
          Execute("COMMIT");
        } catch (...) {
          sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
          throw;
        }
      }
    }
  }

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
