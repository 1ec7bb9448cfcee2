#include "Store.h"

#include <stdexcept>
#include <string>

namespace vexa::collector {

std::unique_ptr<TReportStore> OpenReportStore(const std::string& database) {
  if (database.starts_with("sqlite:")) return OpenSqliteStore(database.substr(7));
  if (database.starts_with("postgresql://") || database.starts_with("postgres://")) return OpenPostgresStore(database);
  throw std::invalid_argument("unknown database '" + database + "'");
}

void CheckSchemaVersion(std::int64_t applied, std::size_t known) {
  if (applied > static_cast<std::int64_t>(known)) {
    throw std::runtime_error("the database has schema version " + std::to_string(applied) +
                             ", made by a newer vexa-collector; this one knows versions up to " +
                             std::to_string(known));
  }
}

}  // namespace vexa::collector
