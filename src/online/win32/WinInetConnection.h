// The network client's connection on Windows: WinINet, a system library, with the
// proxy settings the user configured for the system and its trusted certificates.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "online/HttpClient.h"

namespace vexa {

// Raises EVexaError with the client's creation messages when the library cannot be
// opened or the connection cannot be made.
std::unique_ptr<THttpConnection> OpenWinInetConnection(std::string_view agent, std::uint16_t port,
                                                       std::string_view server);

}  // namespace vexa
