// The network client's rules for a reply, over a connection of scripted answers.
#include "online/HttpClient.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/Error.h"

namespace vexa {
namespace {

struct TScript {
  bool sends = true;
  std::optional<std::string> status = "200";
  std::optional<std::string> body;  // none: the read fails
  // What the client handed over.
  std::string headers;
  std::string sentBody;
  int closed = 0;
};

class TScriptedConnection : public THttpConnection {
public:
  explicit TScriptedConnection(TScript& script) : script(script) {}
  bool Send(std::string_view, std::string_view, std::uint32_t, std::string_view headers,
            std::string_view body) override {
    script.headers = std::string(headers);
    script.sentBody = std::string(body);
    return script.sends;
  }
  std::optional<std::string> StatusText() override { return script.status; }
  std::optional<std::size_t> Read(std::span<char> buffer) override {
    if (!script.body) return std::nullopt;
    const std::size_t count = std::min(buffer.size(), script.body->size());
    std::memcpy(buffer.data(), script.body->data(), count);
    return count;
  }
  void CloseRequest() override { ++script.closed; }

private:
  TScript& script;
};

TEST(HttpClient, RepliesFollowTheRules) {
  const std::string full(kHttpReplyCapacity + 100, 'x');
  struct TCase {
    const char* what;
    bool sends;
    std::optional<std::string> status;
    std::optional<std::string> body;
    std::int32_t result;
    std::uint16_t statusCode;
    std::string reply;
  } cases[] = {
      {"a number", true, "200", std::string("  1234 "), 7, 200, "  1234 "},
      {"a long reply is cut at the buffer", true, "200", full, 16384, 200, full.substr(0, kHttpReplyCapacity)},
      {"an empty body", true, "200", std::string(), -1, 200, ""},
      {"a body that starts with NUL", true, "200", std::string("\0" "12", 3), -1, 200, ""},
      {"a failed read", true, "200", std::nullopt, -1, 200, ""},
      {"not found", true, "404", std::string("gone"), -1, 404, ""},
      {"a status that is no number", true, "OK", std::string("1"), -1, 0, ""},
      {"no status", true, std::nullopt, std::string("1"), -1, 0, ""},
      {"a refused connection", false, "200", std::string("1"), -1, 0, ""},
  };
  for (const TCase& c : cases) {
    TScript script{c.sends, c.status, c.body, {}, {}, 0};
    TINetWrapper client(std::make_unique<TScriptedConnection>(script));
    EXPECT_EQ(client.Request("/p", "POST", kHttpFlagSecure, "", "text/plain"), c.result) << c.what;
    EXPECT_EQ(client.StatusCode(), c.statusCode) << c.what;
    EXPECT_EQ(client.Reply(), c.reply) << c.what;
    EXPECT_EQ(script.closed, 1) << c.what;
    EXPECT_EQ(script.headers, "Content-Type: text/plain\r\nContent-Length: 0") << c.what;
  }
}

TEST(HttpClient, AFailedRequestForgetsTheReplyBefore) {
  TScript script{true, "200", std::string("42"), {}, {}, 0};
  TINetWrapper client(std::make_unique<TScriptedConnection>(script));
  EXPECT_EQ(client.Request("/p", "POST", 0, "data=x", "t"), 2);
  EXPECT_EQ(script.sentBody, "data=x");
  script.sends = false;
  EXPECT_EQ(client.Request("/p", "POST", 0, "data=x", "t"), -1);
  EXPECT_EQ(client.Reply(), "");
}

TEST(HttpClient, WithoutAnOpenerNoClientIsMade) {
  SetHttpOpener({});
  EXPECT_THROW(TINetWrapper("agent", 443, "host"), EVexaError);
  SetHttpOpener([](std::string_view, std::uint16_t, std::string_view) { return std::unique_ptr<THttpConnection>(); });
  try {
    TINetWrapper("agent", 8443, "host");
    ADD_FAILURE() << "no error";
  } catch (const EVexaError& error) {
    EXPECT_STREQ(error.what(), "Failed to create connection to \"host:8443\"");
  }
  SetHttpOpener({});
}

}  // namespace
}  // namespace vexa
