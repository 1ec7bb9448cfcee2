#include "online/HttpClient.h"

#include <algorithm>
#include <utility>

#include "support/Error.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

namespace {

THttpOpener& Opener() {
  static THttpOpener opener;
  return opener;
}

std::unique_ptr<THttpConnection> Open(std::string_view agent, std::uint16_t port, std::string_view server) {
  if (!Opener()) throw EVexaError(SessionFailureMessage());
  std::unique_ptr<THttpConnection> connection = Opener()(agent, port, server);
  if (!connection) throw EVexaError(ConnectionFailureMessage(server, port));
  return connection;
}

}  // namespace

void SetHttpOpener(THttpOpener opener) { Opener() = std::move(opener); }

std::string SessionFailureMessage() { return "Failed to create WinINet session"; }

std::string ConnectionFailureMessage(std::string_view server, std::uint16_t port) {
  return Format("Failed to create connection to \"%s:%d\"", server, port);
}

TINetWrapper::TINetWrapper(std::string_view agent, std::uint16_t port, std::string_view server)
    : TINetWrapper(Open(agent, port, server)) {}

TINetWrapper::TINetWrapper(std::unique_ptr<THttpConnection> connection)
    : connection(std::move(connection)), buffer(kHttpReplyCapacity, '\0') {}

std::int32_t TINetWrapper::Request(std::string_view object, std::string_view verb, std::uint32_t flags,
                                   std::string_view body, std::string_view contentType) {
  statusCode = 0;
  // A failed request must not leave the reply of the one before it readable.
  buffer[0] = '\0';
  const std::string headers = Format("Content-Type: %s\r\nContent-Length: %d", contentType, body.size());
  if (!connection->Send(verb, object, flags, headers, body)) {
    connection->CloseRequest();
    return -1;
  }
  std::int32_t result = -1;
  statusCode = QueryStatusCode();
  if (statusCode == 200) {
    const std::optional<std::size_t> read = connection->Read(buffer);
    if (read && *read > 0 && *read <= buffer.size() && buffer[0] != '\0') {
      result = static_cast<std::int32_t>(*read);
      if (*read < buffer.size()) buffer[*read] = '\0';
    } else {
      buffer[0] = '\0';
    }
  }
  connection->CloseRequest();
  return result;
}

std::uint16_t TINetWrapper::QueryStatusCode() {
  const std::optional<std::string> text = connection->StatusText();
  if (!text) return 0;
  std::int32_t code = 0;
  const std::string_view digits(text->c_str());  // up to the first NUL
  if (!TryParseInt32(digits, code) || code < 0 || code > 0xFFFF) return 0;
  return static_cast<std::uint16_t>(code);
}

std::string_view TINetWrapper::Reply() const {
  const auto end = std::find(buffer.begin(), buffer.end(), '\0');
  return {buffer.data(), static_cast<std::size_t>(end - buffer.begin())};
}

}  // namespace vexa
