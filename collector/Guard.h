// The collector's defence against clients that misbehave: a body over the limit, a
// request trickled in too slowly, too many connections or requests from one address.
//
// The HTTP library serves each connection on a pool thread and bounds only each single
// wait for bytes, so a client that sends a byte every few seconds would hold a thread
// for as long as it likes, and the library knows no client by address before it has
// read a whole request head. The guard therefore takes over the connection itself: the
// servers made here override the library's per-connection entry point, count the peer's
// connections before reading a byte, and hand the library a stream of their own that
// refuses to wait past the request's deadline or to read past its size. The library
// still parses and routes every request; checks that need the request head (the
// declared length, the rate per client, a trusted proxy's X-Forwarded-For) run in its
// pre-routing and Expect: 100-continue handlers, which the guard installs: the service
// must not replace them.
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace vexa::collector {

struct TGuardSettings {
  std::size_t maxBodyBytes = 0;
  std::chrono::seconds requestTimeout{0};  // the whole request, head and body
  int connectionsPerClient = 0;            // 0: no limit
  int changesPerMinute = 0;                // requests other than GET, HEAD and OPTIONS; 0: no limit
  int pagesPerMinute = 0;                  // GET, HEAD and OPTIONS; 0: no limit
  std::string trustedProxy;                // the one peer whose X-Forwarded-For is believed; empty: none
};

// A server for plain HTTP (certFile empty) or HTTPS; for HTTPS, is_valid() is false when
// the certificate or key does not load.
std::unique_ptr<httplib::Server> MakeGuardedServer(const TGuardSettings& settings, const std::string& certFile,
                                                   const std::string& keyFile);

// For the server's error handler: when the guard cut the request being answered short
// (its deadline passed, or it grew past any sensible size), the answer becomes 408 or
// 413 with the reason. The connection is closed after it, and after any refusal of a
// request with a body, whose rest may still be on the way. Does nothing outside a
// guarded server.
void ExplainCutShortRequest(const httplib::Request& request, httplib::Response& response);

}  // namespace vexa::collector
