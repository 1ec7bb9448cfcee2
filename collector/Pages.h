// The service's answers to browsers and tools, built from stored reports. Every text
// that came from a report is escaped where it is written.
#pragma once

#include <string>
#include <vector>

#include "Redact.h"
#include "Store.h"

namespace vexa::collector {

// One report: the drive, its known-drive details, its SMART table and its IDENTIFY
// words. The report must be one the store accepted. The public's page is redacted
// and says so; a maintainer's shows the report as received, e-mail address included.
std::string DetailsPage(const TStoredReport& stored, TAudience audience = TAudience::Public);
// The newest reports and the number of reports per model.
std::string IndexPage(const std::vector<TStoredReport>& latest, const std::vector<TModelCount>& counts,
                      std::int64_t total);
// The start of every page up to its heading, with the shared style sheet, and its end.
std::string PageHead(const std::string& title);
std::string PageFoot();
// {"reports":[{"id":N,"received":UNIX,"model":"...","firmware":"...","report":{...}}...]},
// each report redacted for the public.
std::string ReportsJson(const std::vector<TStoredReport>& reports, TAudience audience = TAudience::Public);

}  // namespace vexa::collector
