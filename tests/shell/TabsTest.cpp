// The tab framework: ids, lookups, removal, and which broadcasts are guarded.
#include "shell/Tabs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "shell/App.h"
#include "shell/Shared.h"

namespace vexa {
namespace {

// A page control that keeps its pages in a list.
class TFakePages : public TPageHost {
public:
  class TFakeSheet : public TSheet {
  public:
    explicit TFakeSheet(TFakePages* owner) : owner(owner) { owner->pages.push_back(this); }
    ~TFakeSheet() override { std::erase(owner->pages, this); }
    void SetText(std::string_view newText) override { text = newText; }
    TFakePages* owner;
    std::string text;
  };
  std::unique_ptr<TSheet> AddSheet() override { return std::make_unique<TFakeSheet>(this); }
  int PageIndexOf(const TSheet* sheet) const override {
    const auto it = std::find(pages.begin(), pages.end(), sheet);
    return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
  }
  int ActivePageIndex() const override { return active; }
  void ShowPage(const TSheet* sheet) override { active = PageIndexOf(sheet); }
  void PostClosePage(int pageIndex) override { posted.push_back(pageIndex); }
  std::vector<TFakeSheet*> pages;
  std::vector<int> posted;
  int active = 0;
};

std::vector<std::string> heard;

class TPlainTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TPlainTab";
  static constexpr bool kNeedsSheet = true;
  explicit TPlainTab(std::unique_ptr<TSheet> sheet) : TVexaTab(std::move(sheet)) { SetCaption("Plain"); }
  std::string_view ClassName() const override { return kClassName; }
  void ConfigChanged(TConfigVar*) override { heard.push_back(Caption()); }
  void StatusPropertyChanged(int) override { heard.push_back(Caption()); }
};

class TFailingTab : public TPlainTab {
public:
  static constexpr std::string_view kClassName = "TFailingTab";
  explicit TFailingTab(std::unique_ptr<TSheet> sheet) : TPlainTab(std::move(sheet)) { SetCaption(""); }
  std::string_view ClassName() const override { return kClassName; }
  void ConfigChanged(TConfigVar*) override { throw std::runtime_error("boom"); }
  void StatusPropertyChanged(int) override { throw std::runtime_error("stop"); }
};

class TBackgroundTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TBackgroundTab";
  static constexpr bool kNeedsSheet = false;
  explicit TBackgroundTab(std::unique_ptr<TSheet> sheet) : TVexaTab(std::move(sheet)) {}
  std::string_view ClassName() const override { return kClassName; }
};

class TBrokenTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TBrokenTab";
  static constexpr bool kNeedsSheet = true;
  explicit TBrokenTab(std::unique_ptr<TSheet> sheet) : TVexaTab(std::move(sheet)) { throw std::runtime_error("no"); }
  std::string_view ClassName() const override { return kClassName; }
};

class TabsTest : public ::testing::Test {
protected:
  void SetUp() override {
    heard.clear();
    SetMessageSink([this](std::string_view text, std::uint32_t flags) {
      messages.emplace_back(text);
      EXPECT_EQ(flags, kMessageIconError);
      return kAnswerOk;
    });
    App().tabs = &manager;
  }
  void TearDown() override {
    SetMessageSink({});
    App().tabs = nullptr;
  }
  TFakePages pages;
  TVexaTabManager manager{&pages};
  std::vector<std::string> messages;
};

TEST_F(TabsTest, IdsLookupsAndRemoval) {
  TVexaTab* background = manager.Add(TabClassOf<TBackgroundTab>());
  const std::uint16_t first = background->Id();
  TVexaTab* a = manager.Add(TabClassOf<TPlainTab>());
  TVexaTab* b = manager.Add(TabClassOf<TFailingTab>());
  TVexaTab* c = manager.Add(TabClassOf<TPlainTab>());
  EXPECT_EQ(background->Sheet(), nullptr);
  EXPECT_EQ(pages.pages.size(), 3u);
  EXPECT_EQ(pages.pages[0]->text, "Plain");
  EXPECT_EQ(manager.FindByPageIndex(0), a);
  EXPECT_EQ(manager.FindByPageIndex(-1), nullptr);  // the module without a page never matches
  EXPECT_EQ(manager.FindByClass(TabClassOf<TPlainTab>()), a);
  EXPECT_EQ(manager.FindByClass(TabClassOf<TFailingTab>()), b);
  EXPECT_EQ(manager.FindById(first + 3), c);
  EXPECT_EQ(manager.ClassOf(b), &TabClassOf<TFailingTab>());
  EXPECT_EQ(manager.ClassOf(nullptr), nullptr);

  manager.Delete(2);  // the failing tab, page 1
  EXPECT_EQ(manager.IndexOf(b), -1);
  EXPECT_EQ(manager.Tab(2), c);
  EXPECT_EQ(manager.FindByPageIndex(1), c);
  manager.Delete(-1);
  manager.Delete(9);
  EXPECT_EQ(manager.Count(), 3);
  manager.Delete(1);
  manager.Delete(1);
  EXPECT_EQ(manager.Add(TabClassOf<TPlainTab>())->Id(), first + 4);  // ids are never reused
  EXPECT_EQ(manager.Tab(7), nullptr);

  ShowTab(manager.Tab(1));
  EXPECT_EQ(pages.active, 0);
  CloseTabLater(manager.Tab(1));
  CloseTabLater(background);
  EXPECT_EQ(pages.posted, std::vector<int>{0});
}

TEST_F(TabsTest, FailingConstructionIsReported) {
  EXPECT_EQ(manager.Add(TabClassOf<TBrokenTab>()), nullptr);
  EXPECT_EQ(manager.Count(), 0);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "無法建立 \"TBrokenTab\" 標簽因為以下錯誤.\r\n\r\nno");
}

TEST_F(TabsTest, GuardedAndUnguardedBroadcasts) {
  manager.Add(TabClassOf<TPlainTab>())->SetCaption("One");
  manager.Add(TabClassOf<TFailingTab>());
  manager.Add(TabClassOf<TPlainTab>())->SetCaption("Three");
  manager.NotifyConfigChanged(nullptr);
  EXPECT_EQ(heard, (std::vector<std::string>{"One", "Three"}));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "\"TFailingTab\" 標簽導致以下錯誤.\r\n\r\nboom");  // no caption: the class name
  manager.Tab(1)->SetCaption("Two");
  manager.NotifyConfigChanged(nullptr);
  EXPECT_EQ(messages[1], "\"Two\" 標簽導致以下錯誤.\r\n\r\nboom");

  heard.clear();
  EXPECT_THROW(manager.NotifyStatusProperty(3), std::runtime_error);
  EXPECT_EQ(heard, std::vector<std::string>{"One"});  // the broadcast stopped at the error
}

}  // namespace
}  // namespace vexa
