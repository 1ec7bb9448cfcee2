// The access log: one JSON object per line on standard error for every request,
//   {"time":"2026-06-01T09:10:00.123Z","remote":"127.0.0.1","method":"POST",
//    "path":"/vexa/submit.php","status":200,"bytes":2,"ms":1.234,"report":42}
// time is when the answer was written (UTC); path leaves out the query, which may
// hold whatever a client typed; "report" is there only for a stored submission; "ms"
// is null for a request the server refused before reading its headers. Headers are
// never logged, so neither is a maintainer's token. Texts are escaped so that a line
// is always one valid JSON object, whatever bytes a path holds.
#pragma once

#include <httplib.h>

namespace vexa::collector {

// Takes the server's logger. The server has one pre-routing handler, which the
// client guard owns; it calls NoteRequestStart first, so that the log can time each
// request from its routing to its answer.
void InstallAccessLog(httplib::Server& server);
void NoteRequestStart();

}  // namespace vexa::collector
