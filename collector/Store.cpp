#include "Store.h"

#include <stdexcept>

namespace vexa::collector {

std::unique_ptr<TReportStore> OpenReportStore(const std::string& database) {
  if (database.starts_with("sqlite:")) return OpenSqliteStore(database.substr(7));
  if (database.starts_with("postgresql://") || database.starts_with("postgres://")) return OpenPostgresStore(database);
  throw std::invalid_argument("unknown database '" + database + "'");
}

}  // namespace vexa::collector
