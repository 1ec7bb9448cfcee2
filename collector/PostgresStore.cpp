// One connection behind a mutex, like the SQLite store: posts are small and a
// report's insert is one statement. A connection that broke is opened again on the
// next call, so a restarted server does not need a restarted collector.
#include <iterator>
#include <mutex>
#include <pqxx/pqxx>

#include "Figures.h"
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
    // What each report says (Figures.h), in columns; rows stored before have
    // figures_version 0 and are read again when a store opens. newest marks the
    // latest report of each drive (and every report without a drive key), the rows
    // the figures count; a trigger keeps it so whoever adds, deletes or re-keys a
    // row. Collectors add reports of one drive at the same time, each in its own
    // transaction: a lock of the drive's key orders them, and each, once it holds
    // the lock, marks the largest number it sees, so the last to commit sees all.
    "ALTER TABLE reports ADD COLUMN figures_version INTEGER NOT NULL DEFAULT 0,"
    " ADD COLUMN drive_key TEXT,"
    " ADD COLUMN newest BOOLEAN NOT NULL DEFAULT TRUE,"
    " ADD COLUMN power_on_hours BIGINT,"
    " ADD COLUMN reallocated_sectors BIGINT,"
    " ADD COLUMN pending_sectors BIGINT,"
    " ADD COLUMN uncorrectable_sectors BIGINT,"
    " ADD COLUMN host_writes_bytes BIGINT,"
    " ADD COLUMN nvme_percentage_used BIGINT,"
    " ADD COLUMN nvme_media_errors BIGINT;"
    "CREATE INDEX reports_drive ON reports (drive_key, id);"
    "CREATE INDEX reports_figures_version ON reports (figures_version, id);"
    "CREATE INDEX reports_model_figures ON reports (model, newest, received_at, power_on_hours, reallocated_sectors,"
    " pending_sectors, uncorrectable_sectors, host_writes_bytes, nvme_percentage_used, nvme_media_errors);"
    "CREATE FUNCTION reports_mark_newest(key TEXT) RETURNS void LANGUAGE plpgsql AS $$"
    " DECLARE latest BIGINT;"
    " BEGIN"
    "  IF key IS NULL THEN RETURN; END IF;"
    "  PERFORM pg_advisory_xact_lock(1447385153, hashtext(key));"  // 1447385153: "VEXA"
    "  SELECT MAX(id) INTO latest FROM reports WHERE drive_key = key;"
    "  UPDATE reports SET newest = (id = latest) WHERE drive_key = key AND newest <> (id = latest);"
    " END $$;"
    "CREATE FUNCTION reports_drive_changed() RETURNS trigger LANGUAGE plpgsql AS $$"
    " BEGIN"
    "  IF TG_OP <> 'INSERT' THEN PERFORM reports_mark_newest(OLD.drive_key); END IF;"
    "  IF TG_OP <> 'DELETE' THEN"
    "   PERFORM reports_mark_newest(NEW.drive_key);"
    "   IF NEW.drive_key IS NULL AND NOT NEW.newest THEN UPDATE reports SET newest = TRUE WHERE id = NEW.id; END IF;"
    "  END IF;"
    "  RETURN NULL;"
    " END $$;"
    "CREATE TRIGGER reports_drive_changed AFTER INSERT OR DELETE OR UPDATE OF drive_key ON reports"
    " FOR EACH ROW EXECUTE FUNCTION reports_drive_changed();",
};

// Reports read per transaction when old rows are given their figures.
constexpr std::int64_t BackfillBatch = 500;
const std::string FiguresVersionText = std::to_string(FiguresVersion);

// libpq takes parameters as texts; a null pointer is SQL's NULL.
class TOptionalParameter {
public:
  template <typename T>
  explicit TOptionalParameter(const std::optional<T>& value) {
    if (value) text = pqxx::to_string(*value);
    present = value.has_value();
  }
  const char* Get() const { return present ? text.c_str() : nullptr; }

private:
  std::string text;
  bool present = false;
};

std::optional<std::int64_t> OptionalNumber(const pqxx::field& field) {
  if (field.is_null()) return std::nullopt;
  return field.as<std::int64_t>();
}

// The key of the advisory lock that collectors take while they change the schema.
constexpr std::int64_t MigrationLock = 0x5645584153434845;  // "VEXASCHE"
// And the one collectors take while they give old rows their figures, a batch at a time.
constexpr std::int64_t BackfillLock = 0x5645584146494755;  // "VEXAFIGU"

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
    BackfillFigures();
  }

  std::int64_t Add(const TReportSummary& summary, const std::string& text, std::int64_t receivedUnix) override {
    const TReportFigures figures = ReportFiguresOf(text);
    const TFigureParameters parameters(figures);
    std::lock_guard lock(mutex);
    pqxx::work work(Connection());
    const pqxx::result inserted = work.exec_params(
        "INSERT INTO reports (received_at, model, firmware, kind, size_bytes, report, figures_version, drive_key,"
        " power_on_hours, reallocated_sectors, pending_sectors, uncorrectable_sectors, host_writes_bytes,"
        " nvme_percentage_used, nvme_media_errors)"
        " VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15) RETURNING id",
        receivedUnix, summary.model, summary.firmware, summary.kind, summary.sizeBytes, text, FiguresVersion,
        parameters[0], parameters[1], parameters[2], parameters[3], parameters[4], parameters[5], parameters[6],
        parameters[7]);
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
    // PostgreSQL refuses a text that is not UTF-8 with an error; no stored model is one.
    if (!IsValidUtf8(model)) return {};
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

  std::optional<TModelFigures> FiguresOfModel(const std::string& model) override {
    if (!IsValidUtf8(model)) return std::nullopt;
    std::lock_guard lock(mutex);
    // One snapshot for every query, so that the figures agree with each other.
    pqxx::transaction<pqxx::repeatable_read, pqxx::read_only> work(Connection());
    TModelFigures figures;
    figures.model = model;
    const pqxx::row counts =
        work.exec_params("SELECT COUNT(*), COUNT(*) FILTER (WHERE newest), COALESCE(MIN(received_at), 0),"
                         " COALESCE(MAX(received_at), 0) FROM reports WHERE model = $1",
                         model)[0];
    figures.reports = counts[0].as<std::int64_t>();
    if (figures.reports == 0) return std::nullopt;
    figures.drives = counts[1].as<std::int64_t>();
    figures.firstReceived = counts[2].as<std::int64_t>();
    figures.latestReceived = counts[3].as<std::int64_t>();
    // percentile_disc(0.5) is the lower middle value of an even count, as ModelFigures.h says.
    const pqxx::row row = work.exec_params(
        "SELECT COUNT(power_on_hours), percentile_disc(0.5) WITHIN GROUP (ORDER BY power_on_hours),"
        " MIN(power_on_hours), MAX(power_on_hours),"
        " COUNT(reallocated_sectors), COUNT(*) FILTER (WHERE reallocated_sectors > 0),"
        " COUNT(pending_sectors), COUNT(*) FILTER (WHERE pending_sectors > 0),"
        " COUNT(uncorrectable_sectors), COUNT(*) FILTER (WHERE uncorrectable_sectors > 0),"
        " COUNT(host_writes_bytes), percentile_disc(0.5) WITHIN GROUP (ORDER BY host_writes_bytes),"
        " MIN(host_writes_bytes), MAX(host_writes_bytes),"
        " COUNT(nvme_percentage_used), percentile_disc(0.5) WITHIN GROUP (ORDER BY nvme_percentage_used),"
        " MIN(nvme_percentage_used), MAX(nvme_percentage_used),"
        " COUNT(nvme_media_errors), COUNT(*) FILTER (WHERE nvme_media_errors > 0)"
        " FROM reports WHERE model = $1 AND newest",
        model)[0];
    const auto spread = [&row](int first) {
      return TFigureSpread{row[first].as<std::int64_t>(), OptionalNumber(row[first + 1]), OptionalNumber(row[first + 2]),
                           OptionalNumber(row[first + 3])};
    };
    const auto share = [&row](int first) {
      return TFigureShare{row[first].as<std::int64_t>(), row[first + 1].as<std::int64_t>()};
    };
    figures.powerOnHours = spread(0);
    figures.reallocatedSectors = share(4);
    figures.pendingSectors = share(6);
    figures.uncorrectableSectors = share(8);
    figures.hostWritesBytes = spread(10);
    figures.nvmePercentageUsed = spread(14);
    figures.nvmeMediaErrors = share(18);
    if (figures.powerOnHours.max) {
      const std::int64_t width = HistogramWidth(*figures.powerOnHours.max);
      std::vector<std::pair<std::int64_t, std::int64_t>> buckets;
      for (const auto& bucket : work.exec_params("SELECT power_on_hours / $1, COUNT(*) FROM reports WHERE model = $2"
                                                 " AND newest AND power_on_hours IS NOT NULL GROUP BY 1",
                                                 width, model)) {
        buckets.emplace_back(bucket[0].as<std::int64_t>(), bucket[1].as<std::int64_t>());
      }
      figures.powerOnHistogram = HistogramBuckets(width, *figures.powerOnHours.max, buckets);
    }
    return figures;
  }

  std::vector<TModelListing> Models(int limit) override {
    std::lock_guard lock(mutex);
    pqxx::read_transaction work(Connection());
    std::vector<TModelListing> models;
    for (const auto& row : work.exec_params("SELECT model, COUNT(*) AS n, COUNT(*) FILTER (WHERE newest),"
                                            " MAX(received_at) FROM reports GROUP BY model ORDER BY n DESC, model LIMIT $1",
                                            limit)) {
      models.push_back({row[0].as<std::string>(), row[1].as<std::int64_t>(), row[2].as<std::int64_t>(),
                        row[3].as<std::int64_t>()});
    }
    return models;
  }

private:
  // The figures' columns after figures_version, in the order of the statements.
  class TFigureParameters {
  public:
    explicit TFigureParameters(const TReportFigures& figures)
        : values{TOptionalParameter(figures.driveKey),           TOptionalParameter(figures.powerOnHours),
                 TOptionalParameter(figures.reallocatedSectors), TOptionalParameter(figures.pendingSectors),
                 TOptionalParameter(figures.uncorrectableSectors), TOptionalParameter(figures.hostWritesBytes),
                 TOptionalParameter(figures.nvmePercentageUsed), TOptionalParameter(figures.nvmeMediaErrors)} {}
    const char* operator[](std::size_t index) const { return values[index].Get(); }

  private:
    TOptionalParameter values[8];
  };

  // Rows stored before their figures existed (or by an older reading of reports)
  // are read again, a batch per transaction, in the order of their numbers. Two
  // collectors opening the database at once take turns by a lock: the second then
  // reads what the first left, and the update applies only to rows still below the
  // version in any case.
  void BackfillFigures() {
    for (std::int64_t version = 0; version < FiguresVersion; ++version) {
      for (std::int64_t after = 0;;) {
        pqxx::work work(Connection());
        work.exec_params("SELECT pg_advisory_xact_lock($1)", BackfillLock);
        const pqxx::result rows = work.exec_params(
            "SELECT id, report FROM reports WHERE figures_version = $1 AND id > $2 ORDER BY id LIMIT $3", version,
            after, BackfillBatch);
        if (rows.empty()) break;
        // One statement per batch: the rows' figures as a table of values.
        std::string sql =
            "UPDATE reports SET figures_version = $1, drive_key = v.drive_key, power_on_hours = v.power_on_hours,"
            " reallocated_sectors = v.reallocated_sectors, pending_sectors = v.pending_sectors,"
            " uncorrectable_sectors = v.uncorrectable_sectors, host_writes_bytes = v.host_writes_bytes,"
            " nvme_percentage_used = v.nvme_percentage_used, nvme_media_errors = v.nvme_media_errors FROM (VALUES ";
        std::vector<std::string> ids;
        std::vector<TFigureParameters> figures;
        figures.reserve(rows.size());
        for (const auto& row : rows) {
          ids.push_back(row[0].as<std::string>());
          figures.emplace_back(ReportFiguresOf(row[1].as<std::string>()));
        }
        std::vector<const char*> values{nullptr};
        values[0] = FiguresVersionText.c_str();
        for (std::size_t i = 0; i < ids.size(); ++i) {
          sql += i == 0 ? "(" : ", (";
          values.push_back(ids[i].c_str());
          sql += "$" + std::to_string(values.size()) + "::BIGINT, $" + std::to_string(values.size() + 1) + "::TEXT";
          values.push_back(figures[i][0]);
          for (std::size_t column = 1; column < 8; ++column) {
            values.push_back(figures[i][column]);
            sql += ", $" + std::to_string(values.size()) + "::BIGINT";
          }
          sql += ")";
        }
        sql += ") AS v (id, drive_key, power_on_hours, reallocated_sectors, pending_sectors, uncorrectable_sectors,"
               " host_writes_bytes, nvme_percentage_used, nvme_media_errors)"
               " WHERE reports.id = v.id AND reports.figures_version < $1";
        work.exec_params(sql, pqxx::prepare::make_dynamic_params(values));
        after = rows[rows.size() - 1][0].as<std::int64_t>();
        work.commit();
      }
    }
  }

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
