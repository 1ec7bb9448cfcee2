#include "Store.h"

#include <stdexcept>

namespace vexa::collector {

std::unique_ptr<TReportStore> OpenReportStore(const std::string& spec) {
  if (spec.starts_with("sqlite:")) return OpenSqliteStore(spec.substr(7));
  if (spec.starts_with("postgresql://") || spec.starts_with("postgres://")) return OpenPostgresStore(spec);
  throw std::invalid_argument("unknown database '" + spec + "'");
}

}  // namespace vexa::collector
