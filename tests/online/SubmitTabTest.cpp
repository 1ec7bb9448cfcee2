// The Submit page without a window: the tree of the report, typing in the boxes,
// and the submission's outcomes over a scripted connection.
#include "online/SubmitTab.h"

#include <gtest/gtest.h>

#include <cstring>

#include "online/HttpClient.h"
#include "shell/Core.h"
#include "views/SessionHarness.h"

namespace vexa {
namespace {

struct TServer {
  std::string status = "200";
  std::string reply;
  std::string body;  // what was posted
  std::uint32_t flags = 0;
  std::string server;
  std::uint16_t port = 0;
};

class TServerConnection : public THttpConnection {
public:
  explicit TServerConnection(TServer& server) : server(server) {}
  bool Send(std::string_view, std::string_view, std::uint32_t flags, std::string_view, std::string_view body) override {
    server.body = std::string(body);
    server.flags = flags;
    return true;
  }
  std::optional<std::string> StatusText() override { return server.status; }
  std::optional<std::size_t> Read(std::span<char> buffer) override {
    std::memcpy(buffer.data(), server.reply.data(), server.reply.size());
    return server.reply.size();
  }
  void CloseRequest() override {}

private:
  TServer& server;
};

class TTestSubmitTab : public TSubmitTab {
public:
  static constexpr std::string_view kClassName = "TSubmitTab";
  static constexpr bool kNeedsSheet = true;
  using TSubmitTab::TSubmitTab;
  std::vector<int> changed;
  int rebuilt = 0;

protected:
  void TreeRebuilt() override { ++rebuilt; }
  void TreeItemChanged(int index) override { changed.push_back(index); }
  void Pause(std::uint32_t) override {}
};

class SubmitTab : public SessionHarness {
protected:
  TTestSubmitTab& Page(std::string_view sample) {
    TConsoleSession& s = Open(sample);
    page = dynamic_cast<TTestSubmitTab*>(s.Tabs().Add(TabClassOf<TTestSubmitTab>()));
    s.Start();
    s.Rescan();
    SetHttpOpener([this](std::string_view, std::uint16_t port, std::string_view host) {
      server.server = std::string(host);
      server.port = port;
      return std::make_unique<TServerConnection>(server);
    });
    SetProgramRunner([this](std::string_view file, std::string_view, std::string_view) {
      opened.emplace_back(file);
      return true;
    });
    return *page;
  }
  void TearDown() override {
    SetHttpOpener({});
    SetProgramRunner({});
    SessionHarness::TearDown();
  }

  TTestSubmitTab* page = nullptr;
  TServer server;
  std::vector<std::string> opened;
};

TEST_F(SubmitTab, TheTreeShowsEveryNodeButTheRootUnderItsContainer) {
  TTestSubmitTab& p = Page("desktop-ssd-hdd.machine");
  const auto& items = p.Tree().Items();
  ASSERT_EQ(items.size(), p.Json().Count() - 1);
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].node, &p.Json().Node(i + 1));
    const std::uint16_t parentLevel = items[i].parent < 0 ? 0 : items[static_cast<std::size_t>(items[i].parent)].node->level;
    EXPECT_EQ(items[i].node->level, parentLevel + 1) << i;
  }
  EXPECT_EQ(items[0].text, "timestamp     : 1402748100");
  EXPECT_EQ(items[3].text, "信箱          : \"\"");
  const auto smart = std::find_if(items.begin(), items.end(), [](const auto& item) { return item.text == "[smart屬性]"; });
  ASSERT_NE(smart, items.end());
  EXPECT_EQ((smart + 1)->text, "{00}");
  EXPECT_EQ(items.back().text, p.Json().Node(p.Json().Count() - 1).value);  // an IDENTIFY word, no name

  // No device, no report and no tree.
  p.DeviceChanged(nullptr);
  EXPECT_EQ(p.Json().Count(), 0u);
  EXPECT_TRUE(p.Tree().Items().empty());
}

TEST_F(SubmitTab, TypingUpdatesTheStampTheEmailAndTheComment) {
  TTestSubmitTab& p = Page("desktop-ssd-hdd.machine");
  p.SetEmail("someone@example");  // no "." yet: not sent
  EXPECT_EQ(p.Tree().Items()[3].text, "信箱          : \"\"");
  p.SetEmail("someone@example.org");
  p.SetComment(std::string(600, 'c') + "\n");
  EXPECT_EQ(p.Tree().Items()[3].text, "信箱          : \"someone@example.org\"");
  EXPECT_EQ(p.Tree().Items()[4].text, "留言          : \"" + std::string(240, 'c'));  // a line is cut at 255
  EXPECT_EQ(p.Tree().Items()[4].node->value, std::string(512, 'c'));
  EXPECT_EQ(p.changed, (std::vector<int>{0, 3, 4, 0, 3, 4, 0, 3, 4}));
}

TEST_F(SubmitTab, OutcomesOfASubmission) {
  struct TCase {
    const char* status;
    std::string reply;
    std::int32_t id;
    std::string message;
  } cases[] = {
      {"200", "  1234 ", 1234, "感謝您提交此裝置, 你想在網上查看嗎?"},
      {"200", "12345678901234567890", -1,
       "未能提交裝置\r\n(狀態碼: 200; 接收的字節數: 20)\r\n\r\n\"12345678901234567890\""},
      {"200", "thanks", -1, "未能提交裝置\r\n(狀態碼: 200; 接收的字節數: 6)\r\n\r\n\"thanks\""},
      {"404", "not here", -1, "未能提交裝置\r\n(狀態碼: 404; 接收的字節數: -1)"},
  };
  TTestSubmitTab& p = Page("desktop-ssd-hdd.machine");
  p.SetComment("a&b+c%d");
  for (const TCase& c : cases) {
    server.status = c.status;
    server.reply = c.reply;
    messages.clear();
    EXPECT_EQ(p.Submit().id, c.id) << c.reply;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], c.message);
  }
  messages.clear();
  EXPECT_EQ(opened, std::vector<std::string>{"https://reports.vexa.example/vexa/details/1234/"});
  EXPECT_EQ(server.server, "reports.vexa.example");
  EXPECT_EQ(server.port, 443);
  EXPECT_EQ(server.flags, kHttpFlagSecure);
  // The comment reaches the service as typed, inside a form-encoded report.
  EXPECT_TRUE(server.body.starts_with("data=%7B%22timestamp%22%3A"));
  EXPECT_NE(server.body.find("%22a%26b%2Bc%25d%22"), std::string::npos);
}

TEST(SubmitRules, ReportNumbersAndAddresses) {
  EXPECT_EQ(ReportNumber(" 42\r\n", 5), 42);
  EXPECT_EQ(ReportNumber("4 2", 3), -1);
  EXPECT_EQ(ReportNumber("-42", 3), -1);
  EXPECT_EQ(ReportNumber("$2A", 3), -1);
  EXPECT_EQ(ReportNumber("9999999999", 10), -1);  // beyond 32 bits
  EXPECT_EQ(ReportNumber("42", 0), -1);
  EXPECT_EQ(DetailsAddress({"h", 443, true, ""}, 7), "https://h/vexa/details/7/");
  EXPECT_EQ(DetailsAddress({"h", 8080, false, ""}, 7), "http://h:8080/vexa/details/7/");
  EXPECT_EQ(DetailsAddress({"h", 443, true, "https://site.example/"}, 7), "https://site.example/vexa/details/7/");
  EXPECT_EQ(SubmitBody("{\"a\":\"x y&é\"}"), "data=%7B%22a%22%3A%22x+y%26%C3%A9%22%7D");
  EXPECT_EQ(SubmitBody(""), "data=");
}

}  // namespace
}  // namespace vexa
