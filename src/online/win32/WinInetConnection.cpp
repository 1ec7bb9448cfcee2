#include "online/win32/WinInetConnection.h"

#include <windows.h>
#include <wininet.h>

#include <array>
#include <string>

#include "support/Error.h"

namespace vexa {

static_assert(kHttpFlagSecure == INTERNET_FLAG_SECURE);

namespace {

// The library's query level for the status code, as text.
constexpr DWORD kStatusCodeQuery = HTTP_QUERY_STATUS_CODE;
static_assert(kStatusCodeQuery == 19);

class TWinInetConnection : public THttpConnection {
public:
  TWinInetConnection(std::string_view agent, std::uint16_t port, std::string_view server) {
    const std::string agentText(agent), serverText(server);
    root = InternetOpenA(agentText.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!root) throw EVexaError(SessionFailureMessage());
    connection = InternetConnectA(root, serverText.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection) {
      InternetCloseHandle(root);
      throw EVexaError(ConnectionFailureMessage(server, port));
    }
  }

  ~TWinInetConnection() override {
    CloseRequest();
    InternetCloseHandle(connection);
    InternetCloseHandle(root);
  }

  bool Send(std::string_view verb, std::string_view object, std::uint32_t flags, std::string_view headers,
            std::string_view body) override {
    CloseRequest();
    const std::string verbText(verb), objectText(object);
    request = HttpOpenRequestA(connection, verbText.c_str(), objectText.c_str(), nullptr, nullptr, nullptr, flags, 0);
    if (!request) return false;
    std::string headerText(headers), bodyBytes(body);
    return HttpSendRequestA(request, headerText.data(), static_cast<DWORD>(headerText.size()), bodyBytes.data(),
                            static_cast<DWORD>(bodyBytes.size())) != FALSE;
  }

  std::optional<std::string> StatusText() override {
    if (!request) return std::nullopt;
    std::array<char, 32> text{};
    DWORD length = static_cast<DWORD>(text.size());
    DWORD index = 0;
    if (!HttpQueryInfoA(request, kStatusCodeQuery, text.data(), &length, &index)) return std::nullopt;
    text.back() = '\0';
    return std::string(text.data());
  }

  std::optional<std::size_t> Read(std::span<char> buffer) override {
    if (!request) return std::nullopt;
    DWORD read = 0;
    if (!InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read)) return std::nullopt;
    return read;
  }

  void CloseRequest() override {
    if (request) InternetCloseHandle(request);
    request = nullptr;
  }

private:
  HINTERNET root = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
};

}  // namespace

std::unique_ptr<THttpConnection> OpenWinInetConnection(std::string_view agent, std::uint16_t port,
                                                       std::string_view server) {
  return std::make_unique<TWinInetConnection>(agent, port, server);
}

}  // namespace vexa
