// What the reports of one model say together, as the store computes it. Reports are
// counted as received; every other figure counts drives, each once, by its latest
// report (a drive reported twice must not weigh twice; a report without a serial
// number cannot be matched to others and counts as a drive of its own). A figure
// counts the drives whose latest report gives it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Histogram.h"

namespace vexa::collector {

// Middle and range. The median of an even count is the lower of the two middle
// values, so it is always a value some drive reported.
struct TFigureSpread {
  std::int64_t drives = 0;
  std::optional<std::int64_t> median;
  std::optional<std::int64_t> min;
  std::optional<std::int64_t> max;
  bool operator==(const TFigureSpread&) const = default;
};

struct TFigureShare {
  std::int64_t drives = 0;
  std::int64_t aboveZero = 0;
  bool operator==(const TFigureShare&) const = default;
};

struct TModelFigures {
  std::string model;
  std::int64_t reports = 0;
  std::int64_t drives = 0;
  std::int64_t firstReceived = 0;
  std::int64_t latestReceived = 0;
  TFigureSpread powerOnHours;
  TFigureShare reallocatedSectors;
  TFigureShare pendingSectors;
  TFigureShare uncorrectableSectors;
  TFigureSpread hostWritesBytes;
  TFigureSpread nvmePercentageUsed;
  TFigureShare nvmeMediaErrors;
  // Power-on hours in buckets of equal width from 0 up to the largest.
  std::vector<THistogramBucket> powerOnHistogram;
};

struct TModelListing {
  std::string model;
  std::int64_t reports = 0;
  std::int64_t drives = 0;
  std::int64_t latestReceived = 0;
};

}  // namespace vexa::collector
