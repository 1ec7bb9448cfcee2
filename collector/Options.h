// The collector's command line: where to listen, where to store, and how to speak
// (HTTPS with a certificate and key, or plain HTTP only when asked for by name).
#pragma once

#include <stdexcept>
#include <string>

#include "Limits.h"

namespace vexa::collector {

struct TCollectorOptions {
  std::string host;
  int port = 0;  // 0: any free port, printed once listening
  std::string database = "sqlite:vexa-reports.db";
  std::string certFile;
  std::string keyFile;
  bool insecureHttp = false;
  std::string adminTokenFile;  // empty: no maintainer access
  // What one client may ask (Guard.h); 0 turns a count limit off.
  std::size_t maxBodyBytes = DefaultMaxBodyBytes;
  int requestTimeoutSeconds = DefaultRequestTimeoutSeconds;
  int connectionsPerClient = DefaultConnectionsPerClient;
  int changesPerMinute = DefaultChangesPerMinute;
  int pagesPerMinute = DefaultPagesPerMinute;
  std::string trustedProxy;
  bool help = false;
};

// A command line that cannot be run; main prints its message and the usage and exits 2.
class EUsageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name; throws EUsageError.
TCollectorOptions ParseCollectorOptions(int argc, const char* const* argv);

extern const char* const CollectorUsage;

}  // namespace vexa::collector
