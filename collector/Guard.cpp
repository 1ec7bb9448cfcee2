// How a connection is served (see Guard.h for why the guard serves it at all):
//   1. The peer's connections are counted before a byte is read; one too many is
//      answered 503 at once (over HTTPS simply closed, since an answer would first cost
//      a handshake). The trusted proxy is not counted: its connections carry many
//      clients, and the proxy holds back slow clients itself.
//   2. The socket is made non-blocking and every wait is a poll bounded by both the
//      library's per-read time-out and the request's deadline: the first request's
//      deadline runs from the accept (so it covers the TLS handshake), a later one's
//      from its first byte. A request also may not read more than twice the body limit
//      and a head's allowance, so that neither an endless head line nor a chunked body
//      to any route can fill memory.
//   3. The library parses and routes each request on that stream. When the deadline or
//      the size cut a request short, the error handler (ExplainCutShortRequest) turns
//      the library's or the service's refusal into 408 or 413; when the library gave up
//      without answering (a head never finished), the guard answers itself.
//   4. After a refusal the connection is closed, as part of its body may still be on the
//      way: the guard stops sending, then reads and drops what comes for up to two
//      seconds, so that the client reads the answer instead of a reset.
#include "Guard.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <type_traits>

#include "AccessLog.h"
#include "Limits.h"

namespace vexa::collector {

namespace {

using TClock = TLimitClock;

// Room for a request's line and head beside its body.
constexpr std::size_t HeadAllowance = 64 << 10;
// How long a refused client may go on sending before the connection is dropped.
constexpr auto LingerTime = std::chrono::seconds(2);
constexpr const char* TextType = "text/plain; charset=utf-8";

struct TServerTimes {
  TClock::duration read;
  TClock::duration keepAlive;
  std::size_t requestsPerConnection = 1;
};

// The library's Stream over a non-blocking socket, plain or TLS, buffered (the library
// reads a request head a byte at a time) and bounded per request in time and size.
class TConnection final : public httplib::Stream {
public:
  TConnection(int socket, TClock::duration readTimeout, TClock::duration requestTimeout)
      : socket_(socket), readTimeout_(readTimeout), requestTimeout_(requestTimeout) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      Describe(address, length, peer_, peerPort_);
    length = sizeof address;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      Describe(address, length, local_, localPort_);
    const int flags = ::fcntl(socket, F_GETFL);
    if (flags >= 0) ::fcntl(socket, F_SETFL, flags | O_NONBLOCK);
    // Head and body leave in separate writes; a delayed acknowledgement must not hold the body back.
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  }
  ~TConnection() override {
    if (ssl_ != nullptr) SSL_free(ssl_);
  }
  TConnection(const TConnection&) = delete;
  TConnection& operator=(const TConnection&) = delete;

  const std::string& Peer() const { return peer_; }
  SSL* Ssl() const { return ssl_; }

  bool Handshake(SSL_CTX* context, TClock::time_point deadline) {
    ssl_ = SSL_new(context);
    if (ssl_ == nullptr || SSL_set_fd(ssl_, socket_) != 1) return false;
    SSL_set_mode(ssl_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    for (;;) {
      ERR_clear_error();
      const int result = SSL_accept(ssl_);
      if (result == 1) return established_ = true;
      const short wait = TlsWait(result);
      const TClock::time_point now = TClock::now();
      if (wait == 0 || now >= deadline || Poll(wait, std::min(now + readTimeout_, deadline)) <= 0) return false;
    }
  }

  // Waits until a request's first byte is there (or the client closed, which the
  // library then reads as the end); false when none came before the time.
  bool WaitForRequest(TClock::time_point until) const {
    if (begin_ < end_ || (ssl_ != nullptr && SSL_pending(ssl_) > 0)) return true;
    return Poll(POLLIN, until) > 0;
  }

  void BeginRequest(TClock::time_point deadline, std::size_t byteLimit) {
    deadline_ = deadline;
    byteLimit_ = byteLimit;
    received_ = written_ = 0;
    expired_ = overflowed_ = false;
  }
  bool Expired() const { return expired_; }
  bool Overflowed() const { return overflowed_; }
  std::size_t Written() const { return written_; }

  // Ends the connection's TLS session and its sending; then reads and drops whatever the
  // client still sends until it closes or the time is up (at once: only what is there).
  void Finish(TClock::time_point lingerUntil) {
    if (ssl_ != nullptr && established_) {
      ERR_clear_error();
      SSL_shutdown(ssl_);
    }
    ::shutdown(socket_, SHUT_WR);
    std::array<char, 4096> junk;
    for (;;) {
      const ssize_t n = ::recv(socket_, junk.data(), junk.size(), 0);
      if (n == 0) return;
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return;
      const TClock::time_point now = TClock::now();
      if (now >= lingerUntil) return;
      if (n < 0 && Poll(POLLIN, lingerUntil) <= 0) return;
    }
  }

  bool is_readable() const override { return begin_ < end_ || Poll(POLLIN, TClock::now() + readTimeout_) > 0; }
  bool is_writable() const override { return Poll(POLLOUT, TClock::now() + readTimeout_) > 0; }

  ssize_t read(char* data, size_t size) override {
    if (size == 0) return 0;
    if (begin_ == end_) {
      const ssize_t filled = Fill();
      if (filled <= 0) return filled;
    }
    const std::size_t n = std::min(size, end_ - begin_);
    std::memcpy(data, buffer_.data() + begin_, n);
    begin_ += n;
    return static_cast<ssize_t>(n);
  }

  // An answer has as long as a request to leave, from its first byte: a client that
  // reads it slowly holds the thread no longer than one that sends slowly.
  ssize_t write(const char* data, size_t size) override {
    if (size == 0) return 0;
    if (written_ == 0) writeDeadline_ = TClock::now() + requestTimeout_;
    for (;;) {
      short wait = 0;
      const ssize_t n = Send(data, size, wait);
      if (n > 0) {
        written_ += static_cast<std::size_t>(n);
        return n;
      }
      const TClock::time_point now = TClock::now();
      if (wait == 0 || now >= writeDeadline_ || Poll(wait, std::min(now + readTimeout_, writeDeadline_)) <= 0)
        return -1;
    }
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    ip = peer_;
    port = peerPort_;
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    ip = local_;
    port = localPort_;
  }
  socket_t socket() const override { return socket_; }

private:
  static void Describe(const sockaddr_storage& address, socklen_t length, std::string& ip, int& port) {
    std::array<char, NI_MAXHOST> host{};
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host.data(), host.size(), nullptr, 0,
                      NI_NUMERICHOST) == 0) {
      ip = host.data();
    }
    if (address.ss_family == AF_INET) port = ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6) port = ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
  }

  // What a TLS call that did not complete waits for; 0 for a failure.
  short TlsWait(int result) const {
    switch (SSL_get_error(ssl_, result)) {
      case SSL_ERROR_WANT_READ: return POLLIN;
      case SSL_ERROR_WANT_WRITE: return POLLOUT;
      default: return 0;
    }
  }

  // poll until the time; above 0 when ready (or failed: the next call says how).
  int Poll(short events, TClock::time_point until) const {
    for (;;) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - TClock::now()).count();
      pollfd entry{socket_, events, 0};
      const int ready = ::poll(&entry, 1, static_cast<int>(std::clamp<long long>(left, 0, INT_MAX)));
      if (ready < 0 && errno == EINTR) continue;
      return ready;
    }
  }

  // Bytes read (0: the client closed), or -1 with wait set to what to poll for (0: failed).
  ssize_t Receive(char* data, std::size_t size, short& wait) {
    if (ssl_ == nullptr) {
      for (;;) {
        const ssize_t n = ::recv(socket_, data, size, 0);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) wait = POLLIN;
        return -1;
      }
    }
    ERR_clear_error();
    const int n = SSL_read(ssl_, data, static_cast<int>(std::min<std::size_t>(size, INT_MAX)));
    if (n > 0) return n;
    if (SSL_get_error(ssl_, n) == SSL_ERROR_ZERO_RETURN) return 0;
    wait = TlsWait(n);
    return -1;
  }

  ssize_t Send(const char* data, std::size_t size, short& wait) {
    if (ssl_ == nullptr) {
      for (;;) {
        const ssize_t n = ::send(socket_, data, size, MSG_NOSIGNAL);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) wait = POLLOUT;
        return -1;
      }
    }
    ERR_clear_error();
    const int n = SSL_write(ssl_, data, static_cast<int>(std::min<std::size_t>(size, INT_MAX)));
    if (n > 0) return n;
    wait = TlsWait(n);
    return -1;
  }

  ssize_t Fill() {
    for (;;) {
      const TClock::time_point now = TClock::now();
      if (expired_ || now >= deadline_) {
        expired_ = true;
        return -1;
      }
      if (overflowed_ || received_ >= byteLimit_) {
        overflowed_ = true;
        return -1;
      }
      short wait = 0;
      const ssize_t n = Receive(buffer_.data(), std::min(buffer_.size(), byteLimit_ - received_), wait);
      if (n >= 0) {
        begin_ = 0;
        end_ = static_cast<std::size_t>(n);
        received_ += end_;
        return n;
      }
      if (wait == 0) return -1;
      if (Poll(wait, std::min(now + readTimeout_, deadline_)) <= 0) {
        expired_ = TClock::now() >= deadline_;
        return -1;
      }
    }
  }

  const int socket_;
  const TClock::duration readTimeout_;
  const TClock::duration requestTimeout_;
  std::string peer_, local_;
  int peerPort_ = -1, localPort_ = -1;
  SSL* ssl_ = nullptr;
  bool established_ = false;
  std::array<char, 4096> buffer_{};
  std::size_t begin_ = 0, end_ = 0;
  TClock::time_point deadline_{}, writeDeadline_{};
  std::size_t byteLimit_ = 0, received_ = 0, written_ = 0;
  bool expired_ = false, overflowed_ = false;
};

class TClientGuard;

// The request being served on this thread; the library's handlers run on the thread
// that called it, which is how they find the connection they answer.
struct TRequestState {
  const TClientGuard* guard = nullptr;
  TConnection* connection = nullptr;
  std::string client;  // the key of the connection's peer
  bool fromProxy = false;
  bool admitted = false;
  bool closeAfter = false;
};
thread_local TRequestState* CurrentRequest = nullptr;

bool HasBody(const httplib::Request& request) {
  return request.has_header("Transfer-Encoding") ||
         (request.has_header("Content-Length") && request.get_header_value("Content-Length") != "0");
}

// The answer to a request the guard refuses; a request with a body is the last on its
// connection, since its body was not read.
void Refuse(TRequestState& state, const httplib::Request& request, httplib::Response& response, int status,
            const std::string& reason) {
  response.status = status;
  response.set_content(reason + "\n", TextType);
  if (HasBody(request)) state.closeAfter = true;
}

class TClientGuard {
public:
  explicit TClientGuard(const TGuardSettings& settings)
      : settings_(settings),
        connections_(settings.connectionsPerClient),
        changes_(settings.changesPerMinute),
        pages_(settings.pagesPerMinute) {}

  void Install(httplib::Server& server) {
    server.set_expect_100_continue_handler([this](const httplib::Request& request, httplib::Response& response) {
      return Admit(request, response) ? 100 : response.status;
    });
    server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
      NoteRequestStart();
      return Admit(request, response) ? httplib::Server::HandlerResponse::Unhandled
                                      : httplib::Server::HandlerResponse::Handled;
    });
  }

  using TProcess = std::function<bool(TConnection&, bool closeConnection, bool& connectionClosed)>;

  bool Serve(int socket, SSL_CTX* tls, const TServerTimes& times, const std::atomic<socket_t>& listening,
             const TProcess& process) {
    const TClock::time_point accepted = TClock::now();
    TConnection connection(socket, times.read, settings_.requestTimeout);
    TRequestState state;
    state.guard = this;
    state.connection = &connection;
    state.client = ClientKey(connection.Peer()).value_or(connection.Peer());
    state.fromProxy = !settings_.trustedProxy.empty() && SameAddress(connection.Peer(), settings_.trustedProxy);
    if (!state.fromProxy && !connections_.TryOpen(state.client)) {
      std::fprintf(stderr, "vexa-collector: %s: more than %d connections at once, refused\n",
                   connection.Peer().c_str(), settings_.connectionsPerClient);
      if (tls == nullptr) {
        WriteRaw(connection, 503, "Service Unavailable",
                 "too many connections from your address at once; try again later", "Retry-After: 1\r\n");
      }
      connection.Finish(TClock::now());
      return false;
    }
    // Released however the connection ends.
    struct TSlot {
      TConnectionCounter* counter;
      const std::string& client;
      ~TSlot() {
        if (counter != nullptr) counter->Close(client);
      }
    } const slot{state.fromProxy ? nullptr : &connections_, state.client};

    const TClock::time_point firstDeadline = accepted + settings_.requestTimeout;
    if (tls != nullptr && !connection.Handshake(tls, firstDeadline)) {
      connection.Finish(TClock::now());
      return false;
    }
    CurrentRequest = &state;
    bool served = true;
    bool linger = false;
    for (std::size_t left = times.requestsPerConnection; left > 0 && listening != INVALID_SOCKET; --left) {
      const bool first = left == times.requestsPerConnection;
      const TClock::time_point idleUntil = TClock::now() + times.keepAlive;
      if (!connection.WaitForRequest(first ? std::min(idleUntil, firstDeadline) : idleUntil)) break;
      connection.BeginRequest(first ? firstDeadline : TClock::now() + settings_.requestTimeout, RequestByteLimit());
      state.admitted = state.closeAfter = false;
      bool closed = false;
      // The library catches what handlers throw; anything else ends only this connection.
      try {
        served = process(connection, left == 1, closed);
      } catch (const std::exception& error) {
        std::fprintf(stderr, "vexa-collector: %s: %s\n", connection.Peer().c_str(), error.what());
        served = false;
      } catch (...) {
        served = false;
      }
      const bool cutShort = connection.Expired() || connection.Overflowed();
      // The library gives up without an answer when the head never arrived whole.
      if (cutShort && connection.Written() == 0) {
        const auto [status, reason] = CutShortReason(connection);
        std::fprintf(stderr, "vexa-collector: %s: %d %s\n", connection.Peer().c_str(), status, reason.c_str());
        WriteRaw(connection, status, status == 408 ? "Request Timeout" : "Payload Too Large", reason, "");
      }
      if (cutShort || state.closeAfter) {
        linger = true;
        break;
      }
      if (!served || closed) break;
    }
    CurrentRequest = nullptr;
    connection.Finish(linger ? TClock::now() + LingerTime : TClock::now());
    return served;
  }

  // Whether the request may go on; otherwise the refusal is in the response.
  bool Admit(const httplib::Request& request, httplib::Response& response) {
    TRequestState* state = CurrentRequest;
    if (state == nullptr || state->admitted) return true;
    state->admitted = true;
    if (request.has_header("Content-Length")) {
      const std::string declared = request.get_header_value("Content-Length");
      std::uint64_t length = 0;
      const auto [end, error] = std::from_chars(declared.data(), declared.data() + declared.size(), length);
      if (declared.empty() || error == std::errc::invalid_argument || end != declared.data() + declared.size()) {
        Refuse(*state, request, response, 400, "the Content-Length is not a number");
        return false;
      }
      // A length too large for 64 bits is over the limit too.
      if (error == std::errc::result_out_of_range || length > settings_.maxBodyBytes) {
        Refuse(*state, request, response, 413, "the body is larger than " + std::to_string(settings_.maxBodyBytes) + " bytes");
        return false;
      }
    }
    // The library would read a body of no declared length until the client closes, which
    // a client that keeps its connection never does.
    const bool sends = request.method == "POST" || request.method == "PUT" || request.method == "PATCH";
    if (sends && !request.has_header("Content-Length") && !request.has_header("Transfer-Encoding")) {
      Refuse(*state, request, response, 411, "give the body's Content-Length, or send it chunked");
      return false;
    }
    const bool page = request.method == "GET" || request.method == "HEAD" || request.method == "OPTIONS";
    const int wait = (page ? pages_ : changes_).Take(ClientOf(*state, request), TClock::now());
    if (wait > 0) {
      response.set_header("Retry-After", std::to_string(wait));
      Refuse(*state, request, response, 429,
             std::string(page ? "too many requests" : "too many reports") + " from your address; try again in " +
                 std::to_string(wait) + " s");
      return false;
    }
    return true;
  }

  std::pair<int, std::string> CutShortReason(const TConnection& connection) const {
    if (connection.Expired())
      return {408, "the request did not arrive whole within " + std::to_string(settings_.requestTimeout.count()) + " s"};
    return {413, "the request is larger than " + std::to_string(RequestByteLimit()) + " bytes"};
  }

private:
  std::size_t RequestByteLimit() const { return settings_.maxBodyBytes * 2 + HeadAllowance; }

  // The client a request counts for: the connection's peer, or the one the trusted
  // proxy names (in the last X-Forwarded-For line, which the proxy wrote).
  std::string ClientOf(const TRequestState& state, const httplib::Request& request) const {
    const std::size_t lines = request.get_header_value_count("X-Forwarded-For");
    if (!state.fromProxy || lines == 0) return state.client;
    const auto forwarded = ForwardedClient(request.get_header_value("X-Forwarded-For", lines - 1));
    const auto key = forwarded ? ClientKey(*forwarded) : std::nullopt;
    return key.value_or(state.client);
  }

  static void WriteRaw(TConnection& connection, int status, const char* phrase, const std::string& reason,
                       const std::string& headers) {
    const std::string body = reason + "\n";
    const std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + phrase + "\r\nContent-Type: " + TextType +
                               "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + headers +
                               "Connection: close\r\n\r\n" + body;
    for (std::size_t sent = 0; sent < answer.size();) {
      const ssize_t n = connection.write(answer.data() + sent, answer.size() - sent);
      if (n <= 0) return;
      sent += static_cast<std::size_t>(n);
    }
  }

  const TGuardSettings settings_;
  TConnectionCounter connections_;
  TRateLimiter changes_;
  TRateLimiter pages_;
};

template <class TBase>
class TGuardedServer final : public TBase {
public:
  template <class... TArgs>
  explicit TGuardedServer(const TGuardSettings& settings, TArgs&&... args)
      : TBase(std::forward<TArgs>(args)...), guard_(settings) {
    guard_.Install(*this);
  }

private:
  // The library's entry point for each accepted connection, on a pool thread.
  bool process_and_close_socket(socket_t socket) override {
    SSL_CTX* tls = nullptr;
    if constexpr (std::is_base_of_v<httplib::SSLServer, TBase>) tls = this->ssl_context();
    const TServerTimes times{std::chrono::seconds(this->read_timeout_sec_) +
                                 std::chrono::microseconds(this->read_timeout_usec_),
                             std::chrono::seconds(this->keep_alive_timeout_sec_),
                             std::max<std::size_t>(this->keep_alive_max_count_, 1)};
    const bool served = guard_.Serve(socket, tls, times, this->svr_sock_,
                                     [this](TConnection& connection, bool closeConnection, bool& connectionClosed) {
                                       SSL* ssl = connection.Ssl();
                                       return this->process_request(
                                           connection, closeConnection, connectionClosed,
                                           [ssl](httplib::Request& request) { request.ssl = ssl; });
                                     });
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
    return served;
  }

  TClientGuard guard_;
};

}  // namespace

std::unique_ptr<httplib::Server> MakeGuardedServer(const TGuardSettings& settings, const std::string& certFile,
                                                   const std::string& keyFile) {
  if (certFile.empty()) return std::make_unique<TGuardedServer<httplib::Server>>(settings);
  return std::make_unique<TGuardedServer<httplib::SSLServer>>(settings, certFile.c_str(), keyFile.c_str());
}

void ExplainCutShortRequest(const httplib::Request& request, httplib::Response& response) {
  TRequestState* state = CurrentRequest;
  if (state == nullptr) return;
  if (state->connection->Expired() || state->connection->Overflowed()) {
    const auto [status, reason] = state->guard->CutShortReason(*state->connection);
    response.status = status;
    response.set_content(reason + "\n", TextType);
    state->closeAfter = true;
  }
  // A refused body may have been left unread.
  if (HasBody(request)) state->closeAfter = true;
  if (state->closeAfter && !response.has_header("Connection")) response.set_header("Connection", "close");
}

}  // namespace vexa::collector
