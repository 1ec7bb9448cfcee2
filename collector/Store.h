// Where reports live: one small interface, a SQLite file by default or a PostgreSQL
// database, both with the same table. The schema is a list of changes applied in
// order, each once, recorded in the table schema_migrations of the database itself;
// opening a store applies what is missing, holding a lock of the database so that
// collectors starting at the same time do not apply a change twice. Every operation may be called from any thread;
// failures throw std::exception (the service answers 500 and logs the message).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ModelFigures.h"
#include "Report.h"

namespace vexa::collector {

struct TStoredReport {
  std::int64_t id = 0;
  std::int64_t receivedUnix = 0;
  TReportSummary summary;
  std::string text;  // the report exactly as received; left empty by the listings
};

struct TModelCount {
  std::string model;
  std::int64_t count = 0;
};

class TReportStore {
public:
  virtual ~TReportStore() = default;
  // Stores the report and returns its number, which no other report has or will have.
  virtual std::int64_t Add(const TReportSummary& summary, const std::string& text, std::int64_t receivedUnix) = 0;
  virtual std::optional<TStoredReport> Find(std::int64_t id) = 0;
  // The newest first, without their texts.
  virtual std::vector<TStoredReport> Latest(int limit) = 0;
  // The newest first, with their texts.
  virtual std::vector<TStoredReport> OfModel(const std::string& model, int limit) = 0;
  // The most reported models first, then by name.
  virtual std::vector<TModelCount> CountsPerModel(int limit) = 0;
  virtual std::int64_t Count() = 0;
  // The number of schema changes applied to the database.
  virtual std::int64_t SchemaVersion() = 0;
  // Removes the report for good (its number is not handed out again); false when
  // there was none.
  virtual bool Delete(std::int64_t id) = 0;
  // Asks the database a trivial question; throws when it cannot answer.
  virtual void Ping() = 0;
  // Add also stores what the report says (Figures.h) in columns of its row, and
  // opening a store reads again the rows stored before the current FiguresVersion;
  // these sum the columns up in SQL. The figures of the model's reports
  // (ModelFigures.h); none when it has no report.
  virtual std::optional<TModelFigures> FiguresOfModel(const std::string& model) = 0;
  // The most reported models first, then by name, with their drives.
  virtual std::vector<TModelListing> Models(int limit) = 0;
};

// Throws when the database has changes this collector does not know: a newer one
// moved it on, and this one would store reports without what that one added.
void CheckSchemaVersion(std::int64_t applied, std::size_t known);

// Opens (and creates when needed) the store a --db value names: sqlite:PATH or a
// postgresql:// (or postgres://) connection URI.
std::unique_ptr<TReportStore> OpenReportStore(const std::string& database);

std::unique_ptr<TReportStore> OpenSqliteStore(const std::string& path);
std::unique_ptr<TReportStore> OpenPostgresStore(const std::string& uri);

}  // namespace vexa::collector
