// The power-on hours of a model's drives as a histogram: the store counts drives per
// bucket (GROUP BY hours / width), these choose the width and draw the picture.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vexa::collector {

struct THistogramBucket {
  std::int64_t fromHours = 0;
  std::int64_t toHours = 0;  // exclusive
  std::int64_t drives = 0;
  bool operator==(const THistogramBucket&) const = default;
};

inline constexpr std::int64_t MaxHistogramBuckets = 12;

// 12345 -> "12,345": counts of hours and bytes read easier grouped.
std::string Grouped(std::int64_t number);

// 1, 2 or 5 times a power of ten, at least 10: the narrowest width for which hours 0
// to maxHours fall in at most MaxHistogramBuckets buckets.
std::int64_t HistogramWidth(std::int64_t maxHours);
// Every bucket from 0 to the one holding maxHours, with the drives of the (bucket
// number, drives) pairs the store counted; empty buckets stay, so the axis is even.
std::vector<THistogramBucket> HistogramBuckets(std::int64_t width, std::int64_t maxHours,
                                               const std::vector<std::pair<std::int64_t, std::int64_t>>& counts);
// An inline SVG bar chart with its axes, the count above each bar and the bucket
// limits below; no script, no external resource. Empty for no buckets.
std::string HistogramSvg(const std::vector<THistogramBucket>& buckets);

}  // namespace vexa::collector
