// One connection behind a mutex, like the SQLite store: posts are small and a
// report's insert is one statement. A connection that broke is opened again on the
// next call, so a restarted server does not need a restarted collector.
#include <iterator>
#include <mutex>
#include <pqxx/pqxx>

#include "Store.h"

namespace vexa::collector {

namespace {

// The schema's changes in order: version N is the Nth. Never edit one that has
// shipped; append a new one. The first is the table as it was before versions were
// recorded, so a database of that time takes it as a no-op.
constexpr const char* Migrations[] = {
    "CREATE TABLE IF NOT EXISTS reports ("
    " id BIGSERIAL PRIMARY KEY,"
    " received_at BIGINT NOT NULL,"
    " model TEXT NOT NULL,"
    " firmware TEXT NOT NULL,"
    " kind TEXT NOT NULL,"
    " size_bytes BIGINT NOT NULL,"
    " report TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS reports_model ON reports (model, id);",
};

// The key of the advisory lock that collectors take while they change the schema.
constexpr std::int64_t MigrationLock = 0x5645584153434845;  // "VEXASCHE"

class TPostgresStore final : public TReportStore {
public:
  // PostgreSQL changes tables inside a transaction, so the changes and their record
  // commit together; the advisory lock makes a second collector starting at the same
  // moment wait and then find them applied.
  explicit TPostgresStore(const std::string& connectionUri) : uri(connectionUri) {
    pqxx::work work(Connection());
    work.exec_params("SELECT pg_advisory_xact_lock($1)", MigrationLock);
    work.exec("CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY, applied_at BIGINT NOT NULL)");
    const std::int64_t applied = AppliedVersion(work);
    CheckSchemaVersion(applied, std::size(Migrations));
    for (auto version = applied + 1; version <= static_cast<std::int64_t>(std::size(Migrations)); ++version) {
      work.exec(Migrations[version - 1]);
      work.exec_params("INSERT INTO schema_migrations (version, applied_at) VALUES ($1, EXTRACT(EPOCH FROM now())::BIGINT)",
                       version);
    }
    work.commit();
  }

  std::int64_t Add(const TReportSummary& summary, const std::string& text, std::int64_t receivedUnix) override {
    std::lock_guard lock(mutex);
    pqxx::work work(Connection());
    const pqxx::result inserted = work.exec_params(
        "INSERT INTO reports (received_at, model, firmware, kind, size_bytes, report) VALUES ($1, $2, $3, $4, $5, $6)"
        " RETURNING id",
        receivedUnix, summary.model, summary.firmware, summary.kind, summary.sizeBytes, text);
    work.commit();
    return inserted[0][0].as<std::int64_t>();
  }

  std::optional<TStoredReport> Find(std::int64_t id) override {
    std::lock_guard lock(mutex);
    pqxx::read_transaction work(Connection());
    const pqxx::result rows = work.exec_params(
        "SELECT id, received_at, model, firmware, kind, size_bytes, report FROM reports WHERE id = $1", id);
    if (rows.empty()) return std::nullopt;
    return Row(rows[0], true);
  }

  std::vector<TStoredReport> Latest(int limit) override {
    std::lock_guard lock(mutex);
    pqxx::read_transaction work(Connection());
    return Rows(
        work.exec_params(
            "SELECT id, received_at, model, firmware, kind, size_bytes FROM reports ORDER BY id DESC LIMIT $1", limit),
        false);
  }

  std::vector<TStoredReport> OfModel(const std::string& model, int limit) override {
    std::lock_guard lock(mutex);
    pqxx::read_transaction work(Connection());
    return Rows(work.exec_params("SELECT id, received_at, model, firmware, kind, size_bytes, report FROM reports"
                                 " WHERE model = $1 ORDER BY id DESC LIMIT $2",
                                 model, limit),
                true);
  }

  std::vector<TModelCount> CountsPerModel(int limit) override {
    std::lock_guard lock(mutex);
    pqxx::read_transaction work(Connection());
    std::vector<TModelCount> counts;
    for (const auto& row : work.exec_params(
             "SELECT model, COUNT(*) AS n FROM reports GROUP BY model ORDER BY n DESC, model LIMIT $1", limit)) {
      counts.push_back({row[0].as<std::string>(), row[1].as<std::int64_t>()});
    }
    return counts;
  }

  std::int64_t Count() override {
    std::lock_guard lock(mutex);
    pqxx::read_transaction work(Connection());
    return work.exec("SELECT COUNT(*) FROM reports")[0][0].as<std::int64_t>();
  }

  std::int64_t SchemaVersion() override {
    std::lock_guard lock(mutex);
    pqxx::read_transaction work(Connection());
    return AppliedVersion(work);
  }

  bool Delete(std::int64_t id) override {
    std::lock_guard lock(mutex);
    pqxx::work work(Connection());
    const pqxx::result removed = work.exec_params("DELETE FROM reports WHERE id = $1", id);
    work.commit();
    return removed.affected_rows() > 0;
  }

  void Ping() override {
    std::lock_guard lock(mutex);
    pqxx::read_transaction work(Connection());
    work.exec("SELECT 1 FROM reports LIMIT 1");
  }

private:
  static std::int64_t AppliedVersion(pqxx::transaction_base& work) {
    return work.exec("SELECT COALESCE(MAX(version), 0) FROM schema_migrations")[0][0].as<std::int64_t>();
  }

  pqxx::connection& Connection() {
    if (!connection || !connection->is_open()) connection = std::make_unique<pqxx::connection>(uri);
    return *connection;
  }

  static TStoredReport Row(const pqxx::row& row, bool withText) {
    TStoredReport report;
    report.id = row[0].as<std::int64_t>();
    report.receivedUnix = row[1].as<std::int64_t>();
    report.summary = {row[2].as<std::string>(), row[3].as<std::string>(), row[4].as<std::string>(),
                      row[5].as<std::int64_t>()};
    if (withText) report.text = row[6].as<std::string>();
    return report;
  }

  static std::vector<TStoredReport> Rows(const pqxx::result& rows, bool withText) {
    std::vector<TStoredReport> reports;
    for (const auto& row : rows) reports.push_back(Row(row, withText));
    return reports;
  }

  std::string uri;
  std::mutex mutex;
  std::unique_ptr<pqxx::connection> connection;
};

}  // namespace

std::unique_ptr<TReportStore> OpenPostgresStore(const std::string& uri) {
  return std::make_unique<TPostgresStore>(uri);
}

}  // namespace vexa::collector
