// Model names came from reports: they are escaped for the page, for the URL, and as
// JSON strings. Shares are computed in integers, so every build prints the same.
#include "ModelPages.h"

#include <nlohmann/json.hpp>

#include "Markup.h"
#include "Pages.h"

namespace vexa::collector {

namespace {

// The program's own byte-size style (powers of 1024; 0, 1, 1, 2, 3 or 4 decimals from
// bytes to PB), so that the figures read like the reports they came from.
std::string ByteSizeText(std::int64_t bytes) {
  static constexpr const char* Units[] = {"bytes", "kB", "MB", "GB", "TB", "PB"};
  if (bytes < 0) return Grouped(bytes) + " bytes";  // not from a report; shown as it is
  int unit = 0;
  while (unit < 5 && (bytes >> (10 * (unit + 1))) != 0) ++unit;
  const int decimals = (unit * 4 + 1) / 5;
  std::int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  // Rounded half up in integers: bytes * scale / 1024^unit.
  const auto scaled = static_cast<std::int64_t>(
      (static_cast<unsigned __int128>(bytes) * static_cast<unsigned>(scale) * 2 + (std::uint64_t{1} << (10 * unit))) /
      (std::uint64_t{2} << (10 * unit)));
  std::string text = Grouped(scaled / scale);
  if (decimals > 0) {
    std::string fraction = std::to_string(scaled % scale);
    text += "." + std::string(static_cast<std::size_t>(decimals) - fraction.size(), '0') + fraction;
  }
  return text + " " + Units[unit];
}

// "3 / 12 (25.0 %)", rounded to tenths of a per cent.
std::string ShareText(const TFigureShare& share) {
  const std::int64_t tenths = (share.aboveZero * 2000 + share.drives) / (share.drives * 2);
  return Grouped(share.aboveZero) + " / " + Grouped(share.drives) + " (" + std::to_string(tenths / 10) + "." +
         std::to_string(tenths % 10) + " %)";
}

using TValueText = std::string (*)(std::int64_t);

std::string Hours(std::int64_t hours) { return Grouped(hours) + " 小時"; }
std::string Percent(std::int64_t percent) { return Grouped(percent) + " %"; }

std::string SpreadRow(const char* label, const TFigureSpread& spread, TValueText text) {
  std::string html = "<tr><th>" + std::string(label) + "</th><td class=\"n\">" + Grouped(spread.drives) + "</td><td>";
  if (spread.drives == 0 || !spread.median) return html + "沒有資料</td></tr>\n";
  return html + "中位數 " + text(*spread.median) + "; 範圍 " + text(*spread.min) + " – " + text(*spread.max) +
         "</td></tr>\n";
}

std::string ShareRow(const char* label, const TFigureShare& share) {
  std::string html = "<tr><th>" + std::string(label) + "</th><td class=\"n\">" + Grouped(share.drives) + "</td><td>";
  if (share.drives == 0) return html + "沒有資料</td></tr>\n";
  return html + ShareText(share) + "</td></tr>\n";
}

nlohmann::ordered_json Optional(const std::optional<std::int64_t>& value) {
  return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json SpreadJson(const TFigureSpread& spread) {
  return {{"drives", spread.drives},
          {"median", Optional(spread.median)},
          {"min", Optional(spread.min)},
          {"max", Optional(spread.max)}};
}

nlohmann::ordered_json ShareJson(const TFigureShare& share) {
  return {{"drives", share.drives}, {"above_zero", share.aboveZero}};
}

}  // namespace

std::string ModelPath(const std::string& model) { return "/vexa/models/" + UrlEscape(model) + "/"; }

std::string ModelsPage(const std::vector<TModelListing>& models, bool limited) {
  std::string html = PageHead("各型號統計");
  html += "<p>" + Grouped(static_cast<std::int64_t>(models.size())) + " 個型號" +
          (limited ? " (只列出報告最多的這些)" : "") +
          ". 同一磁碟 (型號與序號相同) 的多份報告算作一個磁碟. <a href=\"/vexa/\">所有報告</a></p>\n";
  html += "<table>\n<tr><th>型號</th><th>報告數</th><th>磁碟數</th><th>最新報告</th></tr>\n";
  for (const TModelListing& model : models) {
    html += "<tr><td><a href=\"" + HtmlEscape(ModelPath(model.model)) + "\">" + HtmlEscape(model.model) +
            "</a></td><td class=\"n\">" + Grouped(model.reports) + "</td><td class=\"n\">" + Grouped(model.drives) +
            "</td><td>" + FormatUtc(model.latestReceived) + "</td></tr>\n";
  }
  return html + "</table>\n" + PageFoot();
}

std::string ModelPage(const TModelFigures& figures) {
  const std::string path = ModelPath(figures.model);
  std::string html = PageHead("型號: " + figures.model);
  html += "<p>" + Grouped(figures.reports) + " 份報告, 來自 " + Grouped(figures.drives) + " 個磁碟; 第一份收到於 " +
          FormatUtc(figures.firstReceived) + ", 最新一份收到於 " + FormatUtc(figures.latestReceived) + ".</p>\n";
  html += "<p><a href=\"" + HtmlEscape(path) + "figures.json\">數據 (JSON)</a> · <a href=\"/vexa/reports.json?model=" +
          HtmlEscape(UrlEscape(figures.model)) +
          "\">報告 (JSON)</a> · <a href=\"/vexa/models/\">所有型號</a> · <a href=\"/vexa/\">所有報告</a></p>\n";
  html += "<p>每個磁碟只計其最新一份報告; 沒有序號的報告各算作一個磁碟. 磁碟數是報告了該項的磁碟.</p>\n";
  html += "<table>\n<tr><th>項目</th><th>磁碟數</th><th>數值</th></tr>\n";
  html += SpreadRow("通電時間", figures.powerOnHours, Hours);
  html += ShareRow("重新分配扇區 &gt; 0", figures.reallocatedSectors);
  html += ShareRow("目前掛起扇區 &gt; 0", figures.pendingSectors);
  html += ShareRow("無法糾正扇區 &gt; 0", figures.uncorrectableSectors);
  html += SpreadRow("主機寫入", figures.hostWritesBytes, ByteSizeText);
  html += SpreadRow("NVMe 已使用壽命", figures.nvmePercentageUsed, Percent);
  html += ShareRow("NVMe 媒體錯誤 &gt; 0", figures.nvmeMediaErrors);
  html += "</table>\n<h2>通電時間分布</h2>\n";
  if (figures.powerOnHistogram.empty()) return html + "<p>沒有通電時間資料。</p>\n" + PageFoot();
  return html + "<figure>\n" + HistogramSvg(figures.powerOnHistogram) + "</figure>\n" + PageFoot();
}

std::string FiguresJson(const TModelFigures& figures) {
  nlohmann::ordered_json histogram = nlohmann::ordered_json::array();
  for (const THistogramBucket& bucket : figures.powerOnHistogram)
    histogram.push_back({{"from", bucket.fromHours}, {"to", bucket.toHours}, {"drives", bucket.drives}});
  const nlohmann::ordered_json json = {
      {"model", figures.model},
      {"reports", figures.reports},
      {"drives", figures.drives},
      {"first_received", figures.firstReceived},
      {"latest_received", figures.latestReceived},
      {"power_on_hours", SpreadJson(figures.powerOnHours)},
      {"reallocated_sectors", ShareJson(figures.reallocatedSectors)},
      {"pending_sectors", ShareJson(figures.pendingSectors)},
      {"uncorrectable_sectors", ShareJson(figures.uncorrectableSectors)},
      {"host_writes_bytes", SpreadJson(figures.hostWritesBytes)},
      {"nvme_percentage_used", SpreadJson(figures.nvmePercentageUsed)},
      {"nvme_media_errors", ShareJson(figures.nvmeMediaErrors)},
      {"power_on_hours_histogram", histogram},
  };
  return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace vexa::collector
