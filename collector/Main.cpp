// vexa-collector: receives drive reports from Vexa, stores them and shows them.
// Exit codes: 0 after SIGINT or SIGTERM, 1 when the database or the address cannot
// be used, 2 for a bad command line (including a certificate that does not load).
#include <httplib.h>
#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "Admin.h"
#include "Guard.h"
#include "Options.h"
#include "Service.h"
#include "Store.h"

using namespace vexa::collector;

namespace {

std::unique_ptr<httplib::Server> MakeServer(const TCollectorOptions& options) {
  TGuardSettings limits;
  limits.maxBodyBytes = options.maxBodyBytes;
  limits.requestTimeout = std::chrono::seconds(options.requestTimeoutSeconds);
  limits.connectionsPerClient = options.connectionsPerClient;
  limits.changesPerMinute = options.changesPerMinute;
  limits.pagesPerMinute = options.pagesPerMinute;
  limits.trustedProxy = options.trustedProxy;
  return MakeGuardedServer(limits, options.insecureHttp ? std::string() : options.certFile, options.keyFile);
}

}  // namespace

int main(int argc, char** argv) {
  TCollectorOptions options;
  std::string adminToken;
  try {
    options = ParseCollectorOptions(argc, argv);
    if (!options.adminTokenFile.empty()) adminToken = ReadAdminToken(options.adminTokenFile);
  } catch (const EUsageError& error) {
    std::fprintf(stderr, "vexa-collector: %s\n%s", error.what(), CollectorUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(CollectorUsage, stdout);
    return 0;
  }
  // The certificate is checked before the database is opened, so that a bad command
  // line makes no database file; the store is declared first so that it outlives
  // the server.
  std::unique_ptr<TReportStore> store;
  const std::unique_ptr<httplib::Server> server = MakeServer(options);
  if (!server->is_valid()) {
    std::fprintf(stderr, "vexa-collector: cannot load the certificate '%s' with the key '%s'\n",
                 options.certFile.c_str(), options.keyFile.c_str());
    return 2;
  }
  try {
    store = OpenReportStore(options.database);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vexa-collector: %s\n", error.what());
    return 1;
  }
  ConfigureService(*server, *store, options.maxBodyBytes);
  ConfigureAdmin(*server, *store, adminToken);

  // Signals are taken by one thread with sigwait, so stopping the server happens in
  // ordinary code; every thread started later inherits the blocked mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  const int port = BindService(*server, options.host, options.port);
  if (port < 0) {
    std::fprintf(stderr, "vexa-collector: cannot listen on %s:%d: %s\n", options.host.c_str(), options.port,
                 std::strerror(errno));
    return 1;
  }
  const bool ipv6 = options.host.find(':') != std::string::npos;
  std::printf("vexa-collector: serving %s://%s%s%s:%d/vexa/ with %s\n", options.insecureHttp ? "http" : "https",
              ipv6 ? "[" : "", options.host.c_str(), ipv6 ? "]" : "", port,
              options.database.starts_with("sqlite:") ? options.database.c_str() : "PostgreSQL");
  std::fflush(stdout);

  std::thread stopper([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server->stop();
  });
  const bool served = server->listen_after_bind();
  // When the server ended by itself the stopper still waits: wake it.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return served ? 0 : 1;
}
