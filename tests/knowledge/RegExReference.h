// A plain restatement of the pattern engine's search, without shortcuts: every
// attempt walks the chain from segment 0 and asks each segment's own Match. The
// engine must answer exactly as it does. The fuzz target of the engine and the
// regression tests share this, and the way a fuzz input splits into a case.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "knowledge/RegExSimple.h"
#include "support/Format.h"

namespace vexa::regex_check {

struct TAnswer {
  std::int32_t position = -1;
  std::int32_t end = -1;
  std::string matched;
  std::vector<std::string> captures;
  bool operator==(const TAnswer&) const = default;
};

inline std::string Describe(const TAnswer& a) {
  std::string text = Format("position %d end %d matched %d bytes, captures", a.position, a.end,
                            static_cast<int>(a.matched.size()));
  for (const std::string& c : a.captures) text += Format(" %d", static_cast<int>(c.size()));
  return text;
}

inline TAnswer ReferenceSearch(const TRegExSegmentBuilder& builder, std::string_view subject) {
  TAnswer answer;
  const std::int32_t count = builder.SegmentCount();
  if (count == 0 || subject.empty()) return answer;
  const auto length = static_cast<std::int32_t>(subject.size());
  TRegExSegmentDuo& first = *builder.GetSegment(0);
  std::int32_t start = 0;
  for (;;) {
    std::int32_t position = start;
    std::int32_t failedAt = -1;
    for (std::int32_t i = 0; i < count; ++i) {
      TRegExSegmentDuo& segment = *builder.GetSegment(i);
      segment.Reset();
      segment.matchStart = position;
      const std::int32_t after = segment.Match(subject, position);
      if (after == TRegExSegment::kNoMatch || (segment.anchorEnd && after != length)) {
        failedAt = position;
        break;
      }
      segment.matchEnd = after - 1;
      position = after;
    }
    if (failedAt < 0) break;
    if (failedAt == length || first.anchorStart || first.matchStart + 1 > length) return answer;
    start = first.matchStart + 1;
  }
  const TRegExSegmentDuo& last = *builder.GetSegment(count - 1);
  answer.position = first.matchStart + 1;
  answer.end = last.matchEnd + 1;
  answer.matched = std::string(subject.substr(static_cast<std::size_t>(first.matchStart),
                                              static_cast<std::size_t>(last.matchEnd + 1 - first.matchStart)));
  std::int32_t open = -1;
  for (std::int32_t i = 0; i < count; ++i) {
    const TRegExSegmentDuo& segment = *builder.GetSegment(i);
    if (segment.opensGroup) open = segment.matchStart;
    if (segment.closesGroup && open != -1) {
      answer.captures.emplace_back(subject.substr(static_cast<std::size_t>(open),
                                                  static_cast<std::size_t>(segment.matchEnd + 1 - open)));
      open = -1;
    }
  }
  return answer;
}

inline TAnswer EngineAnswer(TRegExSimple& engine, std::string_view subject) {
  TAnswer answer;
  answer.matched = "stale";  // must be emptied
  answer.position = engine.Match(subject, &answer.matched, &answer.end);
  if (answer.position < 0) answer.end = -1;  // left alone on failure
  for (std::int32_t i = 0; i < engine.CaptureCount(); ++i) answer.captures.push_back(engine.GetCapture(i));
  return answer;
}

// A fuzz input: one flag byte (bit 0: case-insensitive; bits 4..7: the subject is
// doubled that many times, up to 100 kB), two bytes of pattern length
// (little-endian, clipped to what follows), the pattern, then the subject.
struct TCase {
  bool caseInsensitive = false;
  std::string pattern;
  std::string subject;
};

inline constexpr std::size_t kLongestSubject = 100 * 1024;

inline TCase DecodeCase(std::span<const std::uint8_t> input) {
  TCase result;
  if (input.size() < 3) return result;
  result.caseInsensitive = (input[0] & 1) != 0;
  const unsigned doublings = input[0] >> 4;
  std::size_t patternLength = static_cast<std::size_t>(input[1]) | static_cast<std::size_t>(input[2]) << 8;
  const std::string_view rest(reinterpret_cast<const char*>(input.data()) + 3, input.size() - 3);
  if (patternLength > rest.size()) patternLength = rest.size();
  result.pattern = rest.substr(0, patternLength);
  result.subject = rest.substr(patternLength);
  for (unsigned i = 0; i < doublings && !result.subject.empty() && result.subject.size() < kLongestSubject; ++i)
    result.subject += result.subject;
  if (result.subject.size() > kLongestSubject) result.subject.resize(kLongestSubject);
  return result;
}

// Empty when the engine behaves on the case; otherwise what went wrong. Compiles the
// pattern on a fresh engine and on one that held another pattern, matches with both,
// and compares with the reference search when the subject is short enough for its
// byte-by-byte restarts.
inline std::string CheckCase(const TCase& c, std::size_t referenceLimit = 4096) {
  const std::string previous = "(a)[bc]+\\d{2}$";
  TRegExSimple reused(previous, c.caseInsensitive);
  (void)reused.Match("xabc12");
  bool compiles = true;
  try {
    reused.SetPattern(c.pattern);
  } catch (const ERegEx&) {
    compiles = false;
  }
  if (!compiles) {
    if (reused.Pattern() != previous || reused.Match("xabc12") != 2) return "a failed compile lost the previous pattern";
    try {
      TRegExSimple fresh(c.pattern, c.caseInsensitive);
      return "a fresh engine compiled what SetPattern refused";
    } catch (const ERegEx&) {
    }
    return {};
  }
  TRegExSimple fresh(c.pattern, c.caseInsensitive);
  const TAnswer answer = EngineAnswer(fresh, c.subject);
  const auto length = static_cast<std::int32_t>(c.subject.size());
  if (answer.position > 0) {
    if (answer.position > length + 1 || answer.end < answer.position - 1 || answer.end > length)
      return "positions outside the subject: " + Describe(answer);
    if (answer.matched != c.subject.substr(static_cast<std::size_t>(answer.position - 1),
                                           static_cast<std::size_t>(answer.end - answer.position + 1)))
      return "matched text is not the subject between the positions: " + Describe(answer);
    for (const std::string& capture : answer.captures)
      if (capture.size() > answer.matched.size()) return "a capture is longer than the match: " + Describe(answer);
  } else if (answer.position != -1 || !answer.matched.empty() || !answer.captures.empty()) {
    return "a failed match left something behind: " + Describe(answer);
  }
  for (std::int32_t bad : {-1, fresh.CaptureCount()}) {
    try {
      (void)fresh.GetCapture(bad);
      return Format("capture %d was answered", bad);
    } catch (const ERegEx&) {
    }
  }
  if (EngineAnswer(reused, c.subject) != answer) return "an engine that held another pattern answered otherwise";
  if (EngineAnswer(fresh, c.subject) != answer) return "a second match answered otherwise";
  reused.SetPattern(std::string(c.pattern));
  if (EngineAnswer(reused, c.subject) != answer) return "setting the same pattern again changed the answer";
  if (c.subject.size() <= referenceLimit) {
    const TAnswer expected = ReferenceSearch(fresh.Builder(), c.subject);
    if (answer != expected) return "engine: " + Describe(answer) + "; reference: " + Describe(expected);
  }
  return {};
}

}  // namespace vexa::regex_check
