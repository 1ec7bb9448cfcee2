// The Submit page as a portable module: the report of the chosen drive as a tree,
// the e-mail and comment boxes that update it as the user types, the endpoint
// settings, and the submission with its question, failure message and details page.
// The Win32 page derives from it for its controls; vexa-cli sends through the same
// module without a window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "online/JsonDocument.h"
#include "shell/Tabs.h"

namespace vexa {

class TConfigVarBool;
class TConfigVarInt;
class TConfigVarStr;
class TINetWrapper;

inline constexpr std::string_view kSubmitCaption = "提交";
inline constexpr std::string_view kSubmitAgent = "Vexa 提交者";
inline constexpr std::string_view kSubmitPath = "/vexa/submit.php";
inline constexpr std::string_view kSubmitContentType = "application/x-www-form-urlencoded";
inline constexpr std::uint16_t kSubmitButtonTip = 0;
// The project's collection service until a build names another.
inline constexpr std::string_view kDefaultSubmitServer = "reports.vexa.example";
inline constexpr std::uint16_t kDefaultSubmitPort = 443;

// The tree of the report: a read-only tree whose items carry the document's nodes,
// kept as a list in display order (each item's parent comes before it).
class TTreeViewJson {
public:
  struct TItem {
    int parent = -1;  // -1: a top item
    std::string text;
    TJsonNode* node = nullptr;
  };

  int AddChild(int parent, std::string text, TJsonNode* node);
  void Clear() { items.clear(); }
  const std::vector<TItem>& Items() const { return items; }
  TItem& Item(int index) { return items.at(static_cast<std::size_t>(index)); }

private:
  std::vector<TItem> items;
};

// A node's line in the tree: "name          : value" for a named scalar, the value
// alone for an array element; containers show their name, or their position as
// "%.2d", in braces or brackets. Cut to 255 characters.
std::string NodeText(const TJsonNode& node);

// Where reports go and where their pages are.
struct TSubmitEndpoint {
  std::string server;
  std::uint16_t port = kDefaultSubmitPort;
  bool secure = true;
  std::string site;  // the details pages' base address; empty: the server's own
};
// The details page of a report: the site, or the server's address, + "/vexa/details/N/".
std::string DetailsAddress(const TSubmitEndpoint& endpoint, std::int32_t id);

// What the service answered.
struct TSubmitOutcome {
  std::int32_t id = -1;          // the report's number; -1: not accepted
  std::uint16_t statusCode = 0;  // 0: no status was received
  std::int32_t count = -1;       // reply bytes read, -1 when none
  std::string reply;
};
// "data=" and the report form-encoded: "&", "+" and "%" in a comment reach the
// service as typed.
std::string SubmitBody(std::string_view reportText);
// The report number in a reply: 1 to 19 bytes that, trimmed, are decimal digits; -1 otherwise.
std::int32_t ReportNumber(std::string_view reply, std::int32_t count);
// The page's failure message: the lead-in, the status and byte count, and the reply quoted.
std::string SubmitFailureMessage(const TSubmitOutcome& outcome);
// Posts the report text through the client.
TSubmitOutcome SendReport(TINetWrapper& client, const TSubmitEndpoint& endpoint, std::string_view reportText);

class TSubmitTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TSubmitTab";
  static constexpr bool kNeedsSheet = true;

  explicit TSubmitTab(std::unique_ptr<TSheet> sheet);
  std::string_view ClassName() const override { return kClassName; }

  void DeviceChanged(TDeviceInfo* device) override;
  bool GetTooltip(std::uint16_t item, TTooltipContent& tooltip) override;

  // The two boxes' texts; each change refreshes the time stamp, e-mail and comment
  // shown in the tree (the document itself is rebuilt when sending).
  void SetEmail(std::string_view text);
  void SetComment(std::string_view text);
  const std::string& Email() const { return email; }
  const std::string& Comment() const { return comment; }

  void BuildReport(const TDeviceInfo* device);
  void ShowReport();
  // Sets the value of the first top member named key and refreshes its line.
  void UpdateReportValue(std::string_view key, std::string_view value);

  // Builds the report and posts it to the configured endpoint; raises EVexaError
  // when no client can be made.
  TSubmitOutcome Send();
  // The button: sends under the busy cursor, then asks to open the report's page or
  // shows why it failed. Answers the outcome.
  TSubmitOutcome Submit();

  TSubmitEndpoint Endpoint() const;
  const TJsonReader& Json() const { return json; }
  const TTreeViewJson& Tree() const { return tree; }
  TDeviceInfo* Device() const { return device; }

protected:
  // The whole tree changed (cleared and filled in one batch).
  virtual void TreeRebuilt() {}
  // One item's text changed.
  virtual void TreeItemChanged(int /*index*/) {}
  virtual void ShowBusy(bool /*busy*/) {}
  // The pause between the answer and opening the browser.
  virtual void Pause(std::uint32_t milliseconds);
  // The icon of the tool tip.
  virtual std::uintptr_t TooltipIcon() const { return 1; }

private:
  TJsonNode* AddLevel(int parent, TJsonNode* node, std::uint16_t level);
  void LiveUpdate();

  TJsonReader json;
  TTreeViewJson tree;
  TDeviceInfo* device = nullptr;
  std::string email;
  std::string comment;
  TConfigVarStr* server = nullptr;
  TConfigVarInt* port = nullptr;
  TConfigVarBool* secure = nullptr;
  TConfigVarStr* site = nullptr;
};

}  // namespace vexa
