// Every option takes its value as the next argument; a repeated option keeps its last
// value, like most Unix tools. HOST may be an IPv6 address in brackets.
#include "Options.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>

namespace vexa::collector {

const char* const CollectorUsage =
    "usage: vexa-collector --listen HOST:PORT [--db sqlite:PATH | --db postgresql://...]\n"
    "                      (--cert FILE --key FILE | --insecure-http) [--admin-token-file FILE]\n"
    "  --listen HOST:PORT   address to serve on (port 0: any free port)\n"
    "  --db DATABASE        sqlite:PATH (default sqlite:vexa-reports.db) or a PostgreSQL URI\n"
    "  --cert FILE          certificate chain (PEM) for HTTPS\n"
    "  --key FILE           private key (PEM) of the certificate\n"
    "  --insecure-http      serve plain HTTP instead of HTTPS\n"
    "  --max-body BYTES     largest request body (default 65536)\n"
    "  --request-timeout SECONDS  time for a whole request to arrive (default 30)\n"
    "  --max-client-connections N  connections one address may hold open (default 8; 0: any)\n"
    "  --rate-limit N       reports (and other posts) per minute per address (default 30; 0: any)\n"
    "  --page-rate-limit N  pages per minute per address (default 600; 0: any)\n"
    "  --trusted-proxy ADDR the reverse proxy whose X-Forwarded-For names the client\n"
    "  --admin-token-file FILE  maintainers' token (FILE's first line) for /vexa/admin/\n";

namespace {

void ParseListen(std::string_view text, TCollectorOptions& options) {
  const auto colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0)
    throw EUsageError("--listen wants HOST:PORT, not '" + std::string(text) + "'");
  std::string_view host = text.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  const std::string_view portText = text.substr(colon + 1);
  int port = -1;
  const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
  if (portText.empty() || error != std::errc() || end != portText.data() + portText.size() || port < 0 ||
      port > 65535) {
    throw EUsageError("--listen: '" + std::string(portText) + "' is not a port number (0 to 65535)");
  }
  options.host = std::string(host);
  options.port = port;
}

// A decimal count from low to high; anything else (a sign, a unit, a fraction) is refused.
long long ParseCount(std::string_view name, std::string_view text, long long low, long long high) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || text.front() == '-' || error != std::errc() || end != text.data() + text.size() || value < low ||
      value > high) {
    throw EUsageError(std::string(name) + " wants a whole number from " + std::to_string(low) + " to " +
                      std::to_string(high) + ", not '" + std::string(text) + "'");
  }
  return value;
}

void CheckDatabase(const std::string& database) {
  const bool sqlite = database.starts_with("sqlite:") && database.size() > 7;
  const bool postgres = database.starts_with("postgresql://") || database.starts_with("postgres://");
  if (!sqlite && !postgres) throw EUsageError("--db wants sqlite:PATH or postgresql://..., not '" + database + "'");
}

}  // namespace

TCollectorOptions ParseCollectorOptions(int argc, const char* const* argv) {
  TCollectorOptions options;
  bool listenGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      return options;
    }
    if (name == "--insecure-http") {
      options.insecureHttp = true;
      continue;
    }
    constexpr std::string_view valued[] = {"--listen",          "--db",       "--cert",
                                           "--key",             "--max-body", "--request-timeout",
                                           "--max-client-connections", "--rate-limit", "--page-rate-limit",
                                           "--trusted-proxy", "--admin-token-file"};
    if (std::find(std::begin(valued), std::end(valued), name) == std::end(valued)) {
      throw EUsageError("unknown argument '" + std::string(name) + "'");
    }
    if (i + 1 >= argc) throw EUsageError(std::string(name) + " wants a value");
    const std::string value = argv[++i];
    if (name == "--listen") {
      ParseListen(value, options);
      listenGiven = true;
    } else if (name == "--db") {
      CheckDatabase(value);
      options.database = value;
    } else if (name == "--admin-token-file") {
      options.adminTokenFile = value;
    } else if (name == "--cert") {
      options.certFile = value;
    } else if (name == "--key") {
      options.keyFile = value;
    } else if (name == "--max-body") {
      // Below 1 KiB not even a report's fixed members fit.
      options.maxBodyBytes = static_cast<std::size_t>(ParseCount(name, value, 1024, 1 << 30));
    } else if (name == "--request-timeout") {
      options.requestTimeoutSeconds = static_cast<int>(ParseCount(name, value, 1, 3600));
    } else if (name == "--max-client-connections") {
      options.connectionsPerClient = static_cast<int>(ParseCount(name, value, 0, 100000));
    } else if (name == "--rate-limit") {
      options.changesPerMinute = static_cast<int>(ParseCount(name, value, 0, 1000000));
    } else if (name == "--page-rate-limit") {
      options.pagesPerMinute = static_cast<int>(ParseCount(name, value, 0, 1000000));
    } else {
      if (!ClientKey(value)) throw EUsageError("--trusted-proxy wants an IPv4 or IPv6 address, not '" + value + "'");
      options.trustedProxy = value;
    }
  }
  if (!listenGiven) throw EUsageError("--listen HOST:PORT is required");
  const bool tls = !options.certFile.empty() || !options.keyFile.empty();
  if (tls && options.insecureHttp) throw EUsageError("--insecure-http cannot go with --cert and --key");
  if (tls && (options.certFile.empty() || options.keyFile.empty()))
    throw EUsageError("HTTPS wants both --cert and --key");
  if (!tls && !options.insecureHttp) throw EUsageError("give --cert FILE --key FILE for HTTPS, or --insecure-http");
  return options;
}

}  // namespace vexa::collector
