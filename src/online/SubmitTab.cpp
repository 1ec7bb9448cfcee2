#include "online/SubmitTab.h"

#include <chrono>
#include <thread>

#include "online/HttpClient.h"
#include "online/SubmitReport.h"
#include "online/UnixTime.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/Shared.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

namespace {

constexpr std::string_view kSection = "tabs.submit";
constexpr int kNameWidth = 14;
constexpr std::size_t kLineLimit = 255;
constexpr std::size_t kReportNodeReserve = 512;
// A report number is at most 19 bytes (the reply of 20 bytes or more is refused).
constexpr std::int32_t kReplyLimit = 20;
constexpr std::uint32_t kBrowserPause = 150;

constexpr std::string_view kQuestion = "感謝您提交此裝置, 你想在網上查看嗎?";
constexpr std::string_view kFailureLeadIn = "未能提交裝置";

bool IsDecimal(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

int TTreeViewJson::AddChild(int parent, std::string text, TJsonNode* node) {
  items.push_back({parent, std::move(text), node});
  return static_cast<int>(items.size()) - 1;
}

std::string NodeText(const TJsonNode& node) {
  std::string text;
  if (node.IsContainer()) {
    const std::string name = node.name.empty() ? Format("%.2d", SiblingIndex(node)) : NameText(node);
    text = node.kind == jkObject ? "{" + name + "}" : "[" + name + "]";
  } else if (!node.name.empty()) {
    text = Format("%-*s: %s", kNameWidth, NameText(node), ValueText(node));
  } else {
    text = ValueText(node);
  }
  if (CharacterCount(text) > kLineLimit) text = std::string(FirstCharacters(text, kLineLimit));
  return text;
}

std::string DetailsAddress(const TSubmitEndpoint& endpoint, std::int32_t id) {
  std::string base(TrimRight(endpoint.site));
  while (!base.empty() && base.back() == '/') base.pop_back();
  if (base.empty()) {
    const bool defaultPort = endpoint.port == (endpoint.secure ? 443 : 80);
    base = Format("%s://%s", endpoint.secure ? "https" : "http", endpoint.server);
    if (!defaultPort) base += Format(":%d", endpoint.port);
  }
  return base + Format("/vexa/details/%d/", id);
}

std::string SubmitBody(std::string_view reportText) { return "data=" + FormUrlEncode(reportText); }

std::int32_t ReportNumber(std::string_view reply, std::int32_t count) {
  if (count <= 0 || count >= kReplyLimit) return -1;
  const std::string_view digits = Trim(reply);
  std::int32_t id = -1;
  if (!IsDecimal(digits) || !TryParseInt32(digits, id)) return -1;
  return id;
}

std::string SubmitFailureMessage(const TSubmitOutcome& outcome) {
  std::string message = std::string(kFailureLeadIn) + std::string(kLineBreak) +
                        Format("(狀態碼: %d; 接收的字節數: %d)", outcome.statusCode, outcome.count);
  if (outcome.count > 0) message += std::string(kParagraphBreak) + "\"" + outcome.reply + "\"";
  return message;
}

TSubmitOutcome SendReport(TINetWrapper& client, const TSubmitEndpoint& endpoint, std::string_view reportText) {
  TSubmitOutcome outcome;
  outcome.count = client.Request(kSubmitPath, "POST", endpoint.secure ? kHttpFlagSecure : 0, SubmitBody(reportText),
                                 kSubmitContentType);
  outcome.statusCode = client.StatusCode();
  if (outcome.count > 0) outcome.reply = std::string(client.Reply());
  if (outcome.statusCode == 200) outcome.id = ReportNumber(outcome.reply, outcome.count);
  return outcome;
}

TSubmitTab::TSubmitTab(std::unique_ptr<TSheet> sheet) : TVexaTab(std::move(sheet)) {
  SetCaption(kSubmitCaption);
  if (TEasyConfig* config = App().config) {
    server = TConfigVarStr::Register(config, kSection, kDefaultSubmitServer, "server");
    port = TConfigVarInt::Register(config, kSection, kDefaultSubmitPort, "port");
    port->minimum = 1;
    port->maximum = 0xFFFF;
    secure = TConfigVarBool::Register(config, kSection, true, "secure");
    site = TConfigVarStr::Register(config, kSection, "", "site");
  }
  if (App().core && App().core->started) DeviceChanged(App().core->CurrentDevice());
}

TSubmitEndpoint TSubmitTab::Endpoint() const {
  TSubmitEndpoint endpoint{std::string(kDefaultSubmitServer), kDefaultSubmitPort, true, {}};
  if (server) endpoint.server = std::string(Trim(server->Value()));
  if (port && port->Value() >= 1 && port->Value() <= 0xFFFF) endpoint.port = static_cast<std::uint16_t>(port->Value());
  if (secure) endpoint.secure = secure->Value();
  if (site) endpoint.site = site->Value();
  return endpoint;
}

void TSubmitTab::DeviceChanged(TDeviceInfo* newDevice) {
  device = newDevice;
  BuildReport(device);
  ShowReport();
}

bool TSubmitTab::GetTooltip(std::uint16_t item, TTooltipContent& tooltip) {
  if (item != kSubmitButtonTip) return false;
  tooltip.icon = TooltipIcon();
  tooltip.title = "裝置提交";
  tooltip.text = "現用裝置提交到 Quorvia 資料庫. 這將有助於改善未來的版本.";
  return true;
}

void TSubmitTab::SetEmail(std::string_view text) {
  email = std::string(text);
  LiveUpdate();
}

void TSubmitTab::SetComment(std::string_view text) {
  comment = std::string(text);
  LiveUpdate();
}

void TSubmitTab::BuildReport(const TDeviceInfo* forDevice) {
  json.Clear();
  if (!forDevice) return;
  json.Reserve(kReportNodeReserve);
  vexa::BuildReport(json, forDevice, email, comment);
}

void TSubmitTab::ShowReport() {
  tree.Clear();
  if (json.Count() > 1) AddLevel(-1, &json.Node(1), 1);
  TreeRebuilt();
}

TJsonNode* TSubmitTab::AddLevel(int parent, TJsonNode* node, std::uint16_t level) {
  int lastAdded = parent;
  while (node && node->level >= level) {
    if (node->level == level) {
      lastAdded = tree.AddChild(parent, NodeText(*node), node);
      node = node->next;
    } else {
      node = AddLevel(lastAdded, node, node->level);
    }
  }
  return node;
}

void TSubmitTab::UpdateReportValue(std::string_view key, std::string_view value) {
  const auto& items = tree.Items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    TJsonNode* node = items[i].node;
    if (!node || node->level > 1) return;
    if (node->name == key) {
      node->value = std::string(value);
      tree.Item(static_cast<int>(i)).text = NodeText(*node);
      TreeItemChanged(static_cast<int>(i));
      return;
    }
  }
}

void TSubmitTab::LiveUpdate() {
  if (App().machine) UpdateReportValue("timestamp", Format("%d", UnixTimeNow(*App().machine)));
  UpdateReportValue("信箱", ReportEmail(email));
  UpdateReportValue("留言", ReportComment(comment));
}

TSubmitOutcome TSubmitTab::Send() {
  const TSubmitEndpoint endpoint = Endpoint();
  // Creating the client may raise; that error ends the click before the busy cursor.
  TINetWrapper client(kSubmitAgent, endpoint.port, endpoint.server);
  ShowBusy(true);
  try {
    BuildReport(device);
    TSubmitOutcome outcome = SendReport(client, endpoint, json.ToText());
    ShowBusy(false);
    return outcome;
  } catch (...) {
    ShowBusy(false);
    throw;
  }
}

// The cursor is normal again before either message: the wait is over.
TSubmitOutcome TSubmitTab::Submit() {
  const TSubmitOutcome outcome = Send();
  if (outcome.id == -1) {
    ShowMessage(SubmitFailureMessage(outcome), kMessageIconError);
  } else if (ShowMessage(kQuestion, kMessageOkCancel | kMessageIconQuestion) == kAnswerOk) {
    Pause(kBrowserPause);
    RunProgram(DetailsAddress(Endpoint(), outcome.id), "", "");
  }
  return outcome;
}

void TSubmitTab::Pause(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace vexa
