#include "online/linux/HttplibConnection.h"

#include <httplib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "support/Error.h"

namespace vexa {

namespace {

class THttplibConnection : public THttpConnection {
public:
  THttplibConnection(std::string_view agent, std::uint16_t port, std::string_view server,
                     std::chrono::milliseconds timeout)
      : agent(agent), server(server), port(port), timeout(timeout) {}

  bool Send(std::string_view verb, std::string_view object, std::uint32_t flags, std::string_view headers,
            std::string_view body) override {
    CloseRequest();
    std::unique_ptr<httplib::ClientImpl> client;
    if (flags & kHttpFlagSecure)
      client = std::make_unique<httplib::SSLClient>(server, port);
    else
      client = std::make_unique<httplib::ClientImpl>(server, port);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    const auto microseconds = std::chrono::duration_cast<std::chrono::microseconds>(timeout - seconds);
    client->set_connection_timeout(seconds.count(), microseconds.count());
    client->set_read_timeout(seconds.count(), microseconds.count());
    client->set_write_timeout(seconds.count(), microseconds.count());
    client->set_keep_alive(false);

    httplib::Request request;
    request.method = std::string(verb);
    request.path = std::string(object);
    request.headers.emplace("User-Agent", agent);
    for (std::string_view rest = headers; !rest.empty();) {
      const std::size_t end = std::min(rest.find("\r\n"), rest.size());
      const std::string_view line = rest.substr(0, end);
      rest.remove_prefix(std::min(rest.size(), end + 2));
      const std::size_t colon = line.find(':');
      if (colon == std::string_view::npos) continue;
      std::string_view value = line.substr(colon + 1);
      while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
      request.headers.emplace(std::string(line.substr(0, colon)), std::string(value));
    }
    request.body = std::string(body);
    // Only the first buffer's worth of the reply is ever read: a longer body is cut
    // off there rather than received whole.
    reply.clear();
    request.content_receiver = [this](const char* data, std::size_t length, std::uint64_t, std::uint64_t) {
      reply.append(data, std::min(length, kHttpReplyCapacity - reply.size()));
      return reply.size() < kHttpReplyCapacity;
    };
    httplib::Response response;
    httplib::Error error = httplib::Error::Success;
    const bool sent = client->send(request, response, error);
    const bool cut = error == httplib::Error::Canceled && reply.size() >= kHttpReplyCapacity;
    if (!sent && !cut) return false;
    status = response.status;
    open = true;
    return true;
  }

  std::optional<std::string> StatusText() override {
    if (!open || status <= 0) return std::nullopt;
    return std::to_string(status);
  }

  std::optional<std::size_t> Read(std::span<char> buffer) override {
    if (!open) return std::nullopt;
    const std::size_t count = std::min(buffer.size(), reply.size() - readOffset);
    std::memcpy(buffer.data(), reply.data() + readOffset, count);
    readOffset += count;
    return count;
  }

  void CloseRequest() override {
    open = false;
    status = 0;
    readOffset = 0;
  }

private:
  std::string agent;
  std::string server;
  std::uint16_t port;
  std::chrono::milliseconds timeout;
  std::string reply;
  std::size_t readOffset = 0;
  int status = 0;
  bool open = false;
};

}  // namespace

std::unique_ptr<THttpConnection> OpenHttplibConnection(std::string_view agent, std::uint16_t port,
                                                       std::string_view server, std::chrono::milliseconds timeout) {
  if (server.empty()) throw EVexaError(ConnectionFailureMessage(server, port));
  return std::make_unique<THttplibConnection>(agent, port, server, timeout);
}

}  // namespace vexa
