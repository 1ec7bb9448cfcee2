// The collector's endpoints on an HTTP or HTTPS server:
//   POST /vexa/submit.php             form field "data": a report; answers its number
//   GET  /vexa/                       the newest reports and the counts per model
//   GET  /vexa/details/N/             one report as a page
//   GET  /vexa/details/N/report.json  one report as the public sees it (Redact.h)
//   GET  /vexa/reports.json?model=M   the reports of one model, newest first, redacted
//   GET  /vexa/models/...             what the reports say about each model (ModelPages.h)
//   GET  /  and  /vexa                redirect to /vexa/
//   GET  /healthz                     "ok" while the database answers, else 503
// and logs every request (AccessLog.h). The maintainers' endpoints are in Admin.h.
#pragma once

#include <httplib.h>

#include <cstddef>
#include <string>

#include "Limits.h"
#include "Store.h"

namespace vexa::collector {

// Connections are served by a pool; a client that stops sending loses its thread
// after the read time-out, one that trickles at its request's deadline, and one
// address holds only a few threads at once (Guard.h).
inline constexpr int ServerThreads = 32;
inline constexpr int ReadTimeoutSeconds = 5;

// The store must outlive the server. The pre-routing and Expect: 100-continue handlers
// belong to the guard (Guard.h) on a server it made.
void ConfigureService(httplib::Server& server, TReportStore& store, std::size_t maxBodyBytes = DefaultMaxBodyBytes);
// Binds to host and port (0: any free port) and returns the port, or -1 with errno set.
int BindService(httplib::Server& server, const std::string& host, int port);

}  // namespace vexa::collector
