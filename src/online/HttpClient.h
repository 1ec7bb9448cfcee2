// The program's one network client: a connection to one server and port that sends
// a request with a body and reads a short reply once into a 16 KiB buffer. The
// platform's HTTP library sits behind THttpConnection (WinINet on Windows,
// cpp-httplib with OpenSSL on Linux), so the rules for the reply are the same
// everywhere and are tested with a connection of scripted answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// The request flag for HTTPS (the value WinINet gives INTERNET_FLAG_SECURE).
inline constexpr std::uint32_t kHttpFlagSecure = 0x00800000;
inline constexpr std::size_t kHttpReplyCapacity = 16384;

// One request at a time through the platform's library.
class THttpConnection {
public:
  virtual ~THttpConnection() = default;
  // Opens a request and sends it with the extra header lines (CR LF between them)
  // and the body; false when it could not be opened or sent: a refused connection, a
  // certificate the system does not trust, a time-out.
  virtual bool Send(std::string_view verb, std::string_view object, std::uint32_t flags, std::string_view headers,
                    std::string_view body) = 0;
  // The reply's status code as the library gives it in text; none when it cannot say.
  virtual std::optional<std::string> StatusText() = 0;
  // One read of the reply body into buffer: the count of bytes read, none on failure.
  virtual std::optional<std::size_t> Read(std::span<char> buffer) = 0;
  // Ends the request in progress.
  virtual void CloseRequest() = 0;
};

// Opens the platform's library and a connection to server and port for the agent
// text; raises EVexaError when it cannot.
using THttpOpener =
    std::function<std::unique_ptr<THttpConnection>(std::string_view agent, std::uint16_t port, std::string_view server)>;
// The platform installs its opener at start; without one no client can be made.
void SetHttpOpener(THttpOpener opener);

// The library's two failures at creation.
std::string SessionFailureMessage();
std::string ConnectionFailureMessage(std::string_view server, std::uint16_t port);

class TINetWrapper {
public:
  // Through the installed opener; raises EVexaError when there is none or it fails.
  TINetWrapper(std::string_view agent, std::uint16_t port, std::string_view server);
  explicit TINetWrapper(std::unique_ptr<THttpConnection> connection);

  // Sends the body with its content type and length; answers the count of reply
  // bytes now in the buffer (at least 1) or -1: the request failed, the status was
  // not 200 (StatusCode says which), or a 200 reply was empty, unreadable or began
  // with a NUL. Only one read is made, of at most 16 384 bytes.
  std::int32_t Request(std::string_view object, std::string_view verb, std::uint32_t flags, std::string_view body,
                       std::string_view contentType);
  // The status code of the request in progress; 0 when it cannot be read as a number.
  std::uint16_t QueryStatusCode();

  // Of the last request: 0 until its status was known.
  std::uint16_t StatusCode() const { return statusCode; }
  // The reply text: up to its first NUL, or the whole buffer when it is full.
  std::string_view Reply() const;

private:
  std::unique_ptr<THttpConnection> connection;
  std::vector<char> buffer;
  std::uint16_t statusCode = 0;
};

}  // namespace vexa
