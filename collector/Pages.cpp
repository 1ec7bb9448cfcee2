// Plain HTML with its own small style sheet and no script; the service sends a
// content security policy that forbids scripts as a second guard.
#include "Pages.h"

#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "Markup.h"
#include "ModelPages.h"

namespace vexa::collector {

namespace {

constexpr const char* PageStyle =
    "body{font-family:'Noto Sans CJK TC',sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;margin-bottom:1.5em}"
    "th,td{border:1px solid #bbb;padding:2px 8px;text-align:left;vertical-align:top}"
    "th{background:#eef}td.n{text-align:right}.mono{font-family:monospace;white-space:pre}";

std::string PageStart(const std::string& title) {
  return "<!DOCTYPE html>\n<html lang=\"zh-Hant\"><head><meta charset=\"utf-8\"><title>" + HtmlEscape(title) +
         "</title><style>" + PageStyle + "</style></head><body>\n<h1>" + HtmlEscape(title) + "</h1>\n";
}

constexpr const char* PageEnd = "</body></html>\n";

std::string ValueText(const nlohmann::json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "是" : "否";
  return value.dump();
}

std::string Row(const std::string& label, const std::string& text) {
  return "<tr><th>" + HtmlEscape(label) + "</th><td>" + HtmlEscape(text) + "</td></tr>\n";
}

std::string SizeText(std::int64_t bytes) {
  if (bytes < 0) return "未知";
  char text[64];
  std::snprintf(text, sizeof text, "%lld 位元組 (%.1f GB)", static_cast<long long>(bytes),
                static_cast<double>(bytes) / 1e9);
  return text;
}

// ATA strings hold two characters per word, the first in the high byte; blanks pad them.
std::string AtaString(const nlohmann::json& words, std::size_t first, std::size_t last) {
  std::string text;
  for (std::size_t i = first; i <= last; ++i) {
    const auto word = words[i].get<std::uint32_t>();
    for (const unsigned byte : {word >> 8, word & 0xFF})
      text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : ' ';
  }
  const auto begin = text.find_first_not_of(' ');
  return begin == std::string::npos ? std::string() : text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

std::uint64_t Words(const nlohmann::json& words, std::size_t first, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = count; i-- > 0;) value = value << 16 | words[first + i].get<std::uint64_t>();
  return value;
}

// What a public page shows where a hidden text was.
std::string Shown(const std::string& text, bool hidden) { return hidden ? "（已隱藏）" : text; }

std::string DeviceSection(const nlohmann::json& report, bool hidden) {
  const auto& device = report.at("裝置訊息");
  const auto& words = report.at("識別碼");
  std::string html = "<h2>裝置</h2>\n<table>\n";
  html += Row("型號", ValueText(device.at("型號")));
  html += Row("韌體", ValueText(device.at("韌體")));
  html += Row("序號", Shown(words.empty() ? "" : AtaString(words, 10, 19), hidden));
  html += Row("容量", SizeText(device.at("容量").get<std::int64_t>()));
  html += Row("裝置類型", ValueText(device.at("裝置類型")));
  html += Row("介面", ValueText(device.at("介面")));
  html += Row("效能", ValueText(device.at("效能")));
  html += Row("ATA 主要版本", ValueText(device.at("ATA主要版本")));
  html += Row("全球通用名稱", Shown(ValueText(device.at("全球通用名稱")), hidden));
  html += Row("已知裝置", ValueText(device.at("已知裝置")));
  return html + "</table>\n";
}

std::string KnownDriveSection(const nlohmann::json& report) {
  static constexpr std::array<std::array<const char*, 2>, 7> Labels{{{"製造商", "製造商"},
                                                                     {"型號", "型號"},
                                                                     {"控制", "控制器"},
                                                                     {"顆粒", "快閃顆粒"},
                                                                     {"技術", "製程"},
                                                                     {"元件", "單元類型"},
                                                                     {"啟動", "發表日期"}}};
  const auto& details = report.at("裝置詳細資訊");
  std::string html = "<h2>已知裝置資訊</h2>\n<table>\n";
  for (const auto& [member, label] : Labels) html += Row(label, ValueText(details.at(member)));
  return html + "</table>\n";
}

std::string SmartSection(const nlohmann::json& report) {
  const auto& attributes = report.at("smart屬性");
  if (attributes.empty()) return "<h2>SMART 屬性</h2>\n<p>沒有 SMART 屬性。</p>\n";
  std::string html =
      "<h2>SMART 屬性</h2>\n<table>\n<tr><th>ID</th><th>名稱</th><th>目前值</th><th>最差值</th><th>臨界值</th>"
      "<th>原始值</th><th>格式化</th></tr>\n";
  for (const auto& attribute : attributes) {
    char id[16];
    std::snprintf(id, sizeof id, "%02X", attribute.at("索引").get<unsigned>() & 0xFFu);
    html += "<tr><td class=\"mono\">" + std::string(id) + "</td><td>" + HtmlEscape(ValueText(attribute.at("名稱")));
    for (const char* member : {"值", "不良", "閾"}) html += "</td><td class=\"n\">" + ValueText(attribute.at(member));
    html += "</td><td class=\"n\">" + ValueText(attribute.at(std::string(RawValueKey)));
    html += "</td><td>" + HtmlEscape(ValueText(attribute.at("格式化"))) + "</td></tr>\n";
  }
  return html + "</table>\n";
}

std::string IdentifySection(const nlohmann::json& report, bool hidden) {
  const auto& words = report.at("識別碼");
  if (words.empty()) return "<h2>識別碼 (IDENTIFY)</h2>\n<p>沒有識別資料。</p>\n";
  std::string html = "<h2>識別碼 (IDENTIFY)</h2>\n<table>\n";
  html += Row("型號 (字 27–46)", AtaString(words, 27, 46));
  html += Row("韌體 (字 23–26)", AtaString(words, 23, 26));
  html += Row("序號 (字 10–19)", Shown(AtaString(words, 10, 19), hidden));
  html += Row("28 位元 LBA 扇區數 (字 60–61)", std::to_string(Words(words, 60, 2)));
  html += Row("48 位元 LBA 扇區數 (字 100–103)", std::to_string(Words(words, 100, 4)));
  html += "</table>\n<table class=\"mono\">\n<tr><th>字</th>";
  for (int column = 0; column < 8; ++column) html += "<th>+" + std::to_string(column) + "</th>";
  html += "</tr>\n";
  for (std::size_t row = 0; row < words.size(); row += 8) {
    html += "<tr><th>" + std::to_string(row) + "</th>";
    char cell[16];
    for (std::size_t column = 0; column < 8; ++column) {
      std::snprintf(cell, sizeof cell, "%04X", words[row + column].get<unsigned>());
      html += "<td>" + std::string(cell) + "</td>";
    }
    html += "</tr>\n";
  }
  return html + "</table>\n";
}

struct TNvmeLabel {
  const char* key;
  const char* label;
};
// The identify-controller members of an NVMe drive's report, then its health log's.
constexpr TNvmeLabel NvmeControllerLabels[] = {
    {"vendor_id", "PCI 供應商 ID"}, {"subsystem_vendor_id", "PCI 子系統供應商 ID"}, {"model", "型號"},
    {"firmware", "韌體"}, {"ieee_oui", "IEEE OUI"}, {"controller_id", "控制器 ID"}, {"version", "NVMe 版本"},
    {"namespaces", "命名空間數"}, {"total_capacity", "NVM 總容量 (位元組)"},
    {"unallocated_capacity", "未配置容量 (位元組)"}, {"warning_temperature_k", "警告溫度閾值 (K)"},
    {"critical_temperature_k", "嚴重溫度閾值 (K)"}, {"optional_admin_commands", "可選管理命令 (OACS)"},
    {"optional_nvm_commands", "可選 NVM 命令 (ONCS)"}, {"volatile_write_cache", "揮發性寫入快取"},
};
constexpr TNvmeLabel NvmeHealthLabels[] = {
    {"critical_warning", "嚴重警告"}, {"temperature", "綜合溫度 (K)"}, {"available_spare", "可用備用空間 (%)"},
    {"available_spare_threshold", "可用備用空間閾值 (%)"}, {"percentage_used", "已使用壽命 (%)"},
    {"data_units_read", "讀取資料單位 (× 512 000 位元組)"}, {"data_units_written", "寫入資料單位 (× 512 000 位元組)"},
    {"host_read_commands", "主機讀取命令"}, {"host_write_commands", "主機寫入命令"},
    {"controller_busy_minutes", "控制器忙碌時間 (分鐘)"}, {"power_cycles", "電源循環次數"},
    {"power_on_hours", "通電時間 (小時)"}, {"unsafe_shutdowns", "不安全關機次數"},
    {"media_errors", "媒體與資料完整性錯誤"}, {"error_log_entries", "錯誤記錄項目數"},
    {"warning_temperature_minutes", "警告溫度時間 (分鐘)"}, {"critical_temperature_minutes", "嚴重溫度時間 (分鐘)"},
};

// The named members in the order of the report, then any others under their own
// keys (the parsed object keeps its keys sorted, not in the order they came).
std::string NvmeTable(const nlohmann::json& object, const TNvmeLabel* labels, std::size_t count) {
  std::string html = "<table>\n";
  for (std::size_t i = 0; i < count; ++i) {
    const auto found = object.find(labels[i].key);
    if (found != object.end() && !found->is_structured()) html += Row(labels[i].label, ValueText(*found));
  }
  for (const auto& [key, value] : object.items()) {
    if (value.is_structured()) continue;
    bool named = false;
    for (std::size_t i = 0; i < count; ++i) named = named || key == labels[i].key;
    if (!named) html += Row(key, ValueText(value));
  }
  return html + "</table>\n";
}

std::string NvmeSection(const nlohmann::json& report) {
  const auto found = report.find("nvme");
  if (found == report.end() || !found->is_object()) return {};
  std::string html = "<h2>NVMe 識別控制器</h2>\n" + NvmeTable(*found, NvmeControllerLabels, std::size(NvmeControllerLabels));
  const auto health = found->find("health");
  if (health == found->end() || !health->is_object() || health->empty())
    return html + "<h2>NVMe 健康記錄</h2>\n<p>沒有健康記錄。</p>\n";
  return html + "<h2>NVMe 健康記錄</h2>\n" + NvmeTable(*health, NvmeHealthLabels, std::size(NvmeHealthLabels));
}

}  // namespace

std::string DetailsPage(const TStoredReport& stored, TAudience audience) {
  nlohmann::json report = nlohmann::json::parse(stored.text);
  const bool hidden = audience == TAudience::Public;
  if (hidden) RedactReport(report);
  const std::string number = std::to_string(stored.id);
  // The model as the report (redacted where the public sees it) gives it.
  std::string html = PageStart("報告 #" + number + ": " + ValueText(report.at("裝置訊息").at("型號")));
  html += "<p>收到於 " + FormatUtc(stored.receivedUnix) + "; 程式版本 " + HtmlEscape(ValueText(report.at("app版本"))) +
          ", Windows " + HtmlEscape(ValueText(report.at("win版本"))) + ". <a href=\"/vexa/" +
          (hidden ? "" : "admin/") + "details/" + number + "/report.json\">原始報告 (JSON)</a> · " +
          "<a href=\"/vexa/\">所有報告</a></p>\n";
  html += hidden ? "<p><strong>" + std::string(HiddenNotice) + "</strong></p>\n"
                 : "<p><strong>維護者檢視：完整報告。</strong>電子信箱: " + HtmlEscape(ValueText(report.at("信箱"))) +
                       "</p>\n";
  html += DeviceSection(report, hidden) + KnownDriveSection(report) + NvmeSection(report) + SmartSection(report) +
          IdentifySection(report, hidden);
  const std::string comment = report.at("留言").get<std::string>();
  if (!comment.empty()) html += "<h2>留言</h2>\n<p class=\"mono\">" + HtmlEscape(comment) + "</p>\n";
  return html + PageEnd;
}

std::string IndexPage(const std::vector<TStoredReport>& latest, const std::vector<TModelCount>& counts,
                      std::int64_t total) {
  std::string html = PageStart("Vexa 裝置報告");
  html += "<p><a href=\"/vexa/models/\">各型號統計</a>: 通電時間、重新分配與掛起扇區、主機寫入量。</p>\n";
  html += "<p>共 " + std::to_string(total) + " 份報告。" + std::string(HiddenNotice) +
          "</p>\n<h2>最新報告</h2>\n<table>\n";
  html += "<tr><th>#</th><th>收到於</th><th>型號</th><th>韌體</th><th>類型</th><th>容量</th></tr>\n";
  for (const TStoredReport& stored : latest) {
    const std::string number = std::to_string(stored.id);
    html += "<tr><td class=\"n\"><a href=\"/vexa/details/" + number + "/\">" + number + "</a></td><td>" +
            FormatUtc(stored.receivedUnix) + "</td><td>" + HtmlEscape(stored.summary.model) + "</td><td>" +
            HtmlEscape(stored.summary.firmware) + "</td><td>" + HtmlEscape(stored.summary.kind) + "</td><td>" +
            SizeText(stored.summary.sizeBytes) + "</td></tr>\n";
  }
  html += "</table>\n<h2>各型號報告數</h2>\n<table>\n<tr><th>型號</th><th>報告數</th></tr>\n";
  for (const TModelCount& count : counts) {
    html += "<tr><td><a href=\"" + HtmlEscape(ModelPath(count.model)) + "\">" +
            HtmlEscape(count.model) + "</a></td><td class=\"n\">" + std::to_string(count.count) + "</td></tr>\n";
  }
  return html + "</table>\n" + PageEnd;
}

std::string PageHead(const std::string& title) { return PageStart(title); }

std::string PageFoot() { return PageEnd; }

std::string ReportsJson(const std::vector<TStoredReport>& reports, TAudience audience) {
  std::string json = "{\"reports\":[";
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const TStoredReport& stored = reports[i];
    if (i > 0) json += ',';
    // The stored text was checked to be JSON when it came in, so maintainers get it as it is.
    json += "{\"id\":" + std::to_string(stored.id) + ",\"received\":" + std::to_string(stored.receivedUnix) +
            ",\"model\":" + JsonQuote(stored.summary.model) + ",\"firmware\":" + JsonQuote(stored.summary.firmware) +
            ",\"report\":" + (audience == TAudience::Public ? PublicReportText(stored.text) : stored.text) + "}";
  }
  return json + "]}\n";
}

}  // namespace vexa::collector
