// The network client's connection on Linux: cpp-httplib, with OpenSSL for HTTPS.
// Certificates are checked against the system's trusted authorities (OpenSSL's
// default paths, so SSL_CERT_FILE and SSL_CERT_DIR apply); proxies are not used.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>

#include "online/HttpClient.h"

namespace vexa {

// How long connecting, sending and each wait for reply bytes may take.
inline constexpr std::chrono::seconds kHttpDefaultTimeout{30};

std::unique_ptr<THttpConnection> OpenHttplibConnection(std::string_view agent, std::uint16_t port,
                                                       std::string_view server,
                                                       std::chrono::milliseconds timeout = kHttpDefaultTimeout);

}  // namespace vexa
