#include "Histogram.h"

#include <algorithm>
#include <limits>

namespace vexa::collector {

namespace {

constexpr std::int64_t MaxHours = std::numeric_limits<std::int64_t>::max();

// Drawing area and margins, in SVG user units (pixels at 100 %).
constexpr int Width = 640;
constexpr int Height = 280;
constexpr int Left = 56;
constexpr int Right = 16;
constexpr int Top = 28;
constexpr int Bottom = 64;

std::string Text(int x, int y, const char* anchor, const std::string& text, const char* extra = "") {
  return "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" text-anchor=\"" + anchor + "\"" +
         extra + ">" + text + "</text>\n";
}

}  // namespace

std::string Grouped(std::int64_t number) {
  const std::string digits = std::to_string(number);
  const std::size_t sign = number < 0 ? 1 : 0;
  std::string grouped = digits.substr(0, sign);
  for (std::size_t i = sign; i < digits.size(); ++i) {
    if (i > sign && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::int64_t HistogramWidth(std::int64_t maxHours) {
  maxHours = std::max<std::int64_t>(maxHours, 0);
  for (std::int64_t power = 10;; power *= 10) {
    for (const std::int64_t step : {1, 2, 5}) {
      const std::int64_t width = power * step;
      if (maxHours / width < MaxHistogramBuckets) return width;
    }
    // 5 * 10^18 already holds any 64-bit count in two buckets, so this never overflows.
  }
}

std::vector<THistogramBucket> HistogramBuckets(std::int64_t width, std::int64_t maxHours,
                                               const std::vector<std::pair<std::int64_t, std::int64_t>>& counts) {
  std::vector<THistogramBucket> buckets;
  if (width <= 0 || maxHours < 0) return buckets;
  const std::int64_t count = maxHours / width + 1;
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t from = i * width;
    buckets.push_back({from, from > MaxHours - width ? MaxHours : from + width, 0});
  }
  for (const auto& [bucket, drives] : counts)
    if (bucket >= 0 && bucket < count) buckets[static_cast<std::size_t>(bucket)].drives += drives;
  return buckets;
}

std::string HistogramSvg(const std::vector<THistogramBucket>& buckets) {
  if (buckets.empty()) return {};
  std::int64_t most = 1;
  for (const THistogramBucket& bucket : buckets) most = std::max(most, bucket.drives);
  const int plotWidth = Width - Left - Right;
  const int plotHeight = Height - Top - Bottom;
  const int slot = plotWidth / static_cast<int>(buckets.size());
  const int baseline = Top + plotHeight;

  std::string svg = "<svg class=\"histogram\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(Width) +
                    "\" height=\"" + std::to_string(Height) + "\" viewBox=\"0 0 " + std::to_string(Width) + " " +
                    std::to_string(Height) +
                    "\" role=\"img\" aria-labelledby=\"histogram-title\" font-family=\"sans-serif\" font-size=\"11\">\n"
                    "<title id=\"histogram-title\">通電時間分布</title>\n";
  // Axes, and the count scale at its ends.
  svg += "<path d=\"M" + std::to_string(Left) + " " + std::to_string(Top) + "V" + std::to_string(baseline) + "H" +
         std::to_string(Width - Right) + "\" stroke=\"#444\" fill=\"none\"/>\n";
  svg += Text(Left - 6, baseline + 4, "end", "0");
  svg += Text(Left - 6, Top + 4, "end", Grouped(most));
  svg += Text(14, Top + plotHeight / 2, "middle", "磁碟數",
              (" transform=\"rotate(-90 14 " + std::to_string(Top + plotHeight / 2) + ")\"").c_str());
  svg += Text(Left + plotWidth / 2, Height - 8, "middle", "通電時間 (小時)");

  for (std::size_t i = 0; i < buckets.size(); ++i) {
    const THistogramBucket& bucket = buckets[i];
    const int x = Left + static_cast<int>(i) * slot;
    const int barHeight = static_cast<int>(bucket.drives * plotHeight / most);
    if (bucket.drives > 0) {
      svg += "<rect class=\"bar\" x=\"" + std::to_string(x + 2) + "\" y=\"" + std::to_string(baseline - barHeight) +
             "\" width=\"" + std::to_string(slot - 4) + "\" height=\"" + std::to_string(barHeight) +
             "\" fill=\"#4a7fc1\"><title>" + Grouped(bucket.fromHours) + "–" + Grouped(bucket.toHours) + " 小時: " +
             std::to_string(bucket.drives) + " 個磁碟</title></rect>\n";
    }
    svg += Text(x + slot / 2, baseline - barHeight - 4, "middle", std::to_string(bucket.drives), " class=\"count\"");
    svg += Text(x, baseline + 16, "middle", Grouped(bucket.fromHours), " class=\"limit\"");
  }
  svg += Text(Left + static_cast<int>(buckets.size()) * slot, baseline + 16, "middle", Grouped(buckets.back().toHours),
              " class=\"limit\"");
  return svg + "</svg>\n";
}

}  // namespace vexa::collector
