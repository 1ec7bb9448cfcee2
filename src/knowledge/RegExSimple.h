// The small pattern engine that recognises drive model numbers and firmware
// revisions. A pattern compiles to a flat chain of segments; each segment takes as
// many bytes as it can and never gives any back, and there is no backtracking, so a
// failed attempt simply starts again one byte further. Capture groups are marked on
// segments, not nested. Subjects and patterns are 8-bit strings (one byte a character).
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/Error.h"

namespace vexa {

// Compile and capture errors; the message carries its "RegExSegment: " or
// "RegEx: " prefix.
class ERegEx : public EVexaError {
public:
  using EVexaError::EVexaError;
};

using TRegExCharSet = std::bitset<256>;

class TRegExSegmentBuilder;

class TRegExSegment {
public:
  static constexpr std::int32_t kUnbounded = 2147483647;
  static constexpr std::int32_t kNoMatch = -1;

  TRegExSegment(const TRegExSegmentBuilder& builder, std::int32_t index, TRegExSegment* prev);
  virtual ~TRegExSegment() = default;
  TRegExSegment(const TRegExSegment&) = delete;
  TRegExSegment& operator=(const TRegExSegment&) = delete;

  // Matches at the 0-based offset `position` of the subject (matchStart must already
  // hold that offset). Answers the offset just after the match, or kNoMatch. Segment 0
  // may skip bytes before its match ("floating") and moves matchStart with them.
  virtual std::int32_t Match(std::string_view subject, std::int32_t position) = 0;
  void Reset();
  void SetRange(std::int32_t minCountValue, std::int32_t maxCountValue);

  const TRegExSegmentBuilder& builder;  // its case-insensitive flag is read while matching
  std::int32_t index;
  TRegExSegment* prev;
  TRegExSegment* next = nullptr;
  std::int32_t minCount = 1;
  std::int32_t maxCount = 1;
  bool anchorStart = false;
  bool anchorEnd = false;
  bool opensGroup = false;
  bool closesGroup = false;
  std::int32_t matchStart = -1;  // first matched offset, -1 when not matched
  std::int32_t matchEnd = -1;    // last matched offset (matchStart - 1 when empty)
};

// Either a literal text or a set of bytes; a compiled segment has exactly one of them.
class TRegExSegmentDuo : public TRegExSegment {
public:
  using TRegExSegment::TRegExSegment;
  std::int32_t Match(std::string_view subject, std::int32_t position) override;

  std::string text;
  TRegExCharSet charSet;
};

// Compiles a pattern into its chain of segments and owns them.
class TRegExSegmentBuilder {
public:
  TRegExSegmentBuilder(std::string_view pattern, bool caseInsensitive);
  TRegExSegmentBuilder(const TRegExSegmentBuilder&) = delete;
  TRegExSegmentBuilder& operator=(const TRegExSegmentBuilder&) = delete;

  // Recompiles only when the pattern differs (exact comparison). A pattern that does
  // not compile raises ERegEx and leaves the previous pattern and segments in place.
  void SetPattern(std::string_view newPattern);
  const std::string& Pattern() const { return pattern; }
  bool CaseInsensitive() const { return caseInsensitive; }
  std::int32_t SegmentCount() const { return static_cast<std::int32_t>(segments.size()); }
  TRegExSegmentDuo* GetSegment(std::int32_t segmentIndex) const;  // null outside the chain

private:
  using TSegments = std::vector<std::unique_ptr<TRegExSegmentDuo>>;
  TSegments Compile(std::string_view text);
  void ParseAtom(std::string_view text, TRegExSegmentDuo& segment);
  void ParseEscape(std::string_view text, TRegExSegmentDuo& segment);
  void ParseClass(std::string_view text, TRegExSegmentDuo& segment);
  void ParseLiteralRun(std::string_view text, TRegExSegmentDuo& segment);
  bool ParseQuantifier(std::string_view text, TRegExSegment& segment);

  std::string pattern;
  bool caseInsensitive;
  TSegments segments;
  std::size_t cursor = 0;  // read position in the pattern while compiling
};

class TRegExSimple {
public:
  TRegExSimple(std::string_view pattern, bool caseInsensitive);

  void SetPattern(std::string_view pattern);  // raises ERegEx when it does not compile
  const std::string& Pattern() const { return builder->Pattern(); }
  const TRegExSegmentBuilder& Builder() const { return *builder; }

  // 1-based position of the first matched byte, or -1. `matched` is emptied first and
  // receives the matched text; `endPosition` the 1-based position of the last matched
  // byte. Replaces the captures.
  std::int32_t Match(std::string_view subject, std::string* matched = nullptr,
                     std::int32_t* endPosition = nullptr);
  bool IsMatch(std::string_view subject) { return Match(subject) > 0; }

  std::int32_t CaptureCount() const { return static_cast<std::int32_t>(captures.size()); }
  // Raises ERegEx for an index outside 0..CaptureCount() - 1.
  const std::string& GetCapture(std::int32_t captureIndex) const;

private:
  // A run of bytes a repeating segment accepts, from start up to (not including)
  // end, where the subject ends or holds a byte the segment refuses.
  struct TKnownRun {
    std::int32_t start = -1;
    std::int32_t end = -1;
  };

  void ExtractCaptures(std::string_view subject);
  std::int32_t MatchSegment(std::int32_t segmentIndex, std::string_view subject, std::int32_t position);

  std::unique_ptr<TRegExSegmentBuilder> builder;
  std::vector<std::string> captures;
  // Per segment, the last run it met in the current subject; valid during one Match.
  std::vector<TKnownRun> knownRuns;
};

}  // namespace vexa
