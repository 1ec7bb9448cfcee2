// The collector's endpoints on an HTTP or HTTPS server:
//   POST /vexa/submit.php             form field "data": a report; answers its number
//   GET  /vexa/                       the newest reports and the counts per model
//   GET  /vexa/details/N/             one report as a page
//   GET  /vexa/details/N/report.json  one report exactly as received
//   GET  /vexa/reports.json?model=M   the reports of one model, newest first
//   GET  /vexa/models/...             what the reports say about each model (ModelPages.h)
#pragma once

#include <httplib.h>

#include <cstddef>
#include <string>

#include "Store.h"

namespace vexa::collector {

inline constexpr std::size_t MaxBodyBytes = 1 << 20;
// Connections are served by a pool; a client that stops sending loses its thread
// after the read time-out, so a few slow clients cannot starve the others.
inline constexpr int ServerThreads = 32;
inline constexpr int ReadTimeoutSeconds = 5;

// The store must outlive the server.
void ConfigureService(httplib::Server& server, TReportStore& store);
// Binds to host and port (0: any free port) and returns the port, or -1 with errno set.
int BindService(httplib::Server& server, const std::string& host, int port);

}  // namespace vexa::collector
