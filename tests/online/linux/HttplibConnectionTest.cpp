// The Linux connection against a real HTTP server on the loopback address: what
// reaches the server, and each way a reply can fail.
#include "online/linux/HttplibConnection.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vexa {
namespace {

class HttplibConnection : public ::testing::Test {
protected:
  void SetUp() override {
    server.Post("/number", [this](const httplib::Request& request, httplib::Response& response) {
      seen = request;
      response.set_content("  1234 ", "text/plain");
    });
    server.Post("/big", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(std::string(3 * kHttpReplyCapacity, '7'), "text/plain");
    });
    server.Post("/broken", [](const httplib::Request&, httplib::Response& response) {
      response.status = 500;
      response.set_content("database down", "text/plain");
    });
    server.Post("/slow", [](const httplib::Request&, httplib::Response& response) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      response.set_content("1", "text/plain");
    });
    port = server.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    thread = std::thread([this] { server.listen_after_bind(); });
    while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  void TearDown() override {
    server.stop();
    thread.join();
  }

  std::int32_t Post(std::string_view path, TINetWrapper& client, std::string_view body = "data=%7B%7D") {
    return client.Request(path, "POST", 0, body, "application/x-www-form-urlencoded");
  }

  httplib::Server server;
  std::thread thread;
  int port = 0;
  httplib::Request seen;
};

TEST_F(HttplibConnection, SendsTheRequestAndReadsTheReply) {
  TINetWrapper client(OpenHttplibConnection("Vexa 提交者", static_cast<std::uint16_t>(port), "127.0.0.1"));
  ASSERT_EQ(Post("/number", client), 7);
  EXPECT_EQ(client.Reply(), "  1234 ");
  EXPECT_EQ(seen.body, "data=%7B%7D");
  EXPECT_EQ(seen.get_header_value("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(seen.get_header_value_count("Content-Length"), 1u);
  EXPECT_EQ(seen.get_header_value("Content-Length"), "11");
  EXPECT_EQ(seen.get_header_value("User-Agent"), "Vexa 提交者");
  // An empty body still says its length.
  ASSERT_EQ(Post("/number", client, ""), 7);
  EXPECT_EQ(seen.get_header_value("Content-Length"), "0");

  EXPECT_EQ(Post("/big", client), 16384);
  EXPECT_EQ(client.Reply(), std::string(kHttpReplyCapacity, '7'));
  EXPECT_EQ(Post("/broken", client), -1);
  EXPECT_EQ(client.StatusCode(), 500);
  EXPECT_EQ(Post("/nowhere", client), -1);
  EXPECT_EQ(client.StatusCode(), 404);
}

TEST_F(HttplibConnection, NoReplyInTimeAndNoServerAreFailures) {
  TINetWrapper slow(OpenHttplibConnection("a", static_cast<std::uint16_t>(port), "127.0.0.1",
                                          std::chrono::milliseconds(200)));
  EXPECT_EQ(Post("/slow", slow), -1);
  EXPECT_EQ(slow.StatusCode(), 0);

  server.stop();
  thread.join();
  thread = std::thread([] {});
  TINetWrapper refused(OpenHttplibConnection("a", static_cast<std::uint16_t>(port), "127.0.0.1"));
  EXPECT_EQ(Post("/number", refused), -1);
  EXPECT_EQ(refused.StatusCode(), 0);
  // HTTPS to a server that speaks none fails the same way.
  EXPECT_EQ(refused.Request("/number", "POST", kHttpFlagSecure, "", "t"), -1);
}

}  // namespace
}  // namespace vexa
