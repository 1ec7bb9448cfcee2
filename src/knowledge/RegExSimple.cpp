// Compilation and matching of the pattern engine. Compiling reads the pattern once,
// segment by segment; matching walks the chain once per attempt, and each attempt
// after a failure starts one byte past where the previous one began.
#include "knowledge/RegExSimple.h"

#include <algorithm>
#include <limits>

#include "support/Format.h"

namespace vexa {

namespace {

constexpr std::string_view kSegmentPrefix = "RegExSegment: ";
constexpr std::string_view kEnginePrefix = "RegEx: ";

[[noreturn]] void RaiseSegmentError(const std::string& message) {
  throw ERegEx(std::string(kSegmentPrefix) + message);
}

unsigned char ByteAt(std::string_view text, std::size_t offset) {
  return static_cast<unsigned char>(text[offset]);
}

unsigned char UpperByte(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

unsigned char LowerByte(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool IsAsciiLetter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Every byte except LF and CR, the set of ".".
TRegExCharSet FullSet() {
  TRegExCharSet set;
  set.set();
  set.reset('\n');
  set.reset('\r');
  return set;
}

void AddRange(TRegExCharSet& set, unsigned char low, unsigned char high) {
  for (unsigned c = low; c <= high; ++c) set.set(c);
}

// The set of an escape letter; an upper-case (or non-letter) spelling stands for the
// complement within the full set, so \D is "not a digit" and \0 "any byte but 0".
TRegExCharSet EscapeSet(unsigned char letter) {
  TRegExCharSet set;
  switch (LowerByte(letter)) {
    case 's':
      set.set('\t');
      set.set(' ');
      break;
    case 'd':
      AddRange(set, '0', '9');
      break;
    case 'w':
      AddRange(set, '0', '9');
      AddRange(set, 'A', 'Z');
      set.set('_');
      AddRange(set, 'a', 'z');
      break;
    case 'a':
      AddRange(set, 'A', 'Z');
      AddRange(set, 'a', 'z');
      break;
    case 'x':
      AddRange(set, '0', '9');
      AddRange(set, 'A', 'F');
      AddRange(set, 'a', 'f');
      break;
    case 't':
      set.set('\t');
      break;
    case 'n':
      set.set('\n');
      break;
    case 'r':
      set.set('\r');
      break;
    case '0':
      set.set(0);
      break;
    default:
      break;
  }
  if (set.any() && letter == UpperByte(letter)) set = FullSet() & ~set;
  return set;
}

bool IsOneOf(unsigned char c, std::string_view chars) {
  return chars.find(static_cast<char>(c)) != std::string_view::npos;
}

// Characters that end a literal run, and the quantifier characters.
constexpr std::string_view kRunStops = "$().[\\]^";
constexpr std::string_view kQuantifiers = "*+?{";
// Characters an escape turns into themselves, outside and inside a class.
constexpr std::string_view kLiteralEscapes = "$()*+.?[\\]^{";
constexpr std::string_view kClassLiteralEscapes = "$().[\\]^";

// A non-empty run of decimal digits that fits in 32 bits.
bool ParseCount(std::string_view text, std::int32_t& value) {
  if (text.empty()) return false;
  std::int64_t result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
    if (result > std::numeric_limits<std::int32_t>::max()) return false;
  }
  value = static_cast<std::int32_t>(result);
  return true;
}

}  // namespace

// ---- segments ----

TRegExSegment::TRegExSegment(const TRegExSegmentBuilder& builder, std::int32_t index, TRegExSegment* prev)
    : builder(builder), index(index), prev(prev) {}

void TRegExSegment::Reset() {
  matchStart = -1;
  matchEnd = -1;
}

void TRegExSegment::SetRange(std::int32_t minCountValue, std::int32_t maxCountValue) {
  minCount = minCountValue;
  maxCount = maxCountValue;
}

std::int32_t TRegExSegmentDuo::Match(std::string_view subject, std::int32_t position) {
  const bool fold = builder.CaseInsensitive();
  const auto same = [fold](unsigned char a, unsigned char b) {
    return fold ? UpperByte(a) == UpperByte(b) : a == b;
  };
  // Only the first segment of an unanchored pattern may skip bytes to find its start.
  const bool floats = index == 0 && !anchorStart;
  const auto length = static_cast<std::int32_t>(subject.size());
  std::int32_t p = position;

  if (text.size() == 1) {
    const auto c = static_cast<unsigned char>(text[0]);
    std::int32_t count = 0;
    while (p < length && count < maxCount && same(ByteAt(subject, p), c)) {
      ++p;
      ++count;
    }
    return count >= minCount && count <= maxCount ? p : kNoMatch;
  }

  if (text.size() > 1) {
    std::size_t i = 0;
    while (i < text.size()) {
      if (p >= length) return kNoMatch;
      if (same(ByteAt(subject, p), ByteAt(text, i))) {
        ++i;
        ++p;
      } else if (i == 0 && floats) {
        ++p;
        ++matchStart;
      } else {
        return kNoMatch;
      }
    }
    return p;
  }

  if (charSet.any()) {
    std::int32_t count = 0;
    while (p < length && count < maxCount) {
      if (charSet.test(ByteAt(subject, p))) {
        ++count;
        ++p;
      } else if (count == 0 && floats) {
        ++p;
        ++matchStart;
      } else {
        break;
      }
    }
    return count >= minCount && count <= maxCount ? p : kNoMatch;
  }

  RaiseSegmentError("無效的模式段");
}

// ---- compilation ----

TRegExSegmentBuilder::TRegExSegmentBuilder(std::string_view pattern, bool caseInsensitive)
    : caseInsensitive(caseInsensitive) {
  segments = Compile(pattern);
  this->pattern = pattern;
}

void TRegExSegmentBuilder::SetPattern(std::string_view newPattern) {
  if (newPattern == pattern) return;
  // Compiled aside, so a bad pattern leaves the working one untouched.
  TSegments compiled = Compile(newPattern);
  segments = std::move(compiled);
  pattern = newPattern;
}

TRegExSegmentDuo* TRegExSegmentBuilder::GetSegment(std::int32_t segmentIndex) const {
  if (segmentIndex < 0 || segmentIndex >= SegmentCount()) return nullptr;
  return segments[static_cast<std::size_t>(segmentIndex)].get();
}

TRegExSegmentBuilder::TSegments TRegExSegmentBuilder::Compile(std::string_view text) {
  TSegments built;
  std::int32_t level = 0;
  cursor = 0;
  const auto at = [&](char c) { return cursor < text.size() && text[cursor] == c; };
  while (cursor < text.size()) {
    TRegExSegment* prev = built.empty() ? nullptr : built.back().get();
    auto owned = std::make_unique<TRegExSegmentDuo>(*this, static_cast<std::int32_t>(built.size()), prev);
    TRegExSegmentDuo& segment = *owned;
    if (prev) prev->next = owned.get();
    built.push_back(std::move(owned));

    if (at('^') && segment.index == 0) {
      segment.anchorStart = true;
      ++cursor;
    }
    if (at('(')) {
      segment.opensGroup = true;
      ++level;
      ++cursor;
    }
    ParseAtom(text, segment);
    if (at(')')) {
      segment.closesGroup = true;
      --level;
      ++cursor;
    }
    if (at('$') && cursor + 1 == text.size()) {
      segment.anchorEnd = true;
      ++cursor;
    }
    if (segment.text.empty() == segment.charSet.none())
      RaiseSegmentError(Format("Invalid pattern: \"%s\"", text));
  }
  if (level != 0) RaiseSegmentError(Format("Unbalanced capture groups (%d)", level));
  return built;
}

void TRegExSegmentBuilder::ParseAtom(std::string_view text, TRegExSegmentDuo& segment) {
  const char c = cursor < text.size() ? text[cursor] : '\0';
  if (c == '.') {
    segment.charSet = FullSet();
    ++cursor;
    ParseQuantifier(text, segment);
  } else if (c == '[') {
    ParseClass(text, segment);
  } else if (c == '\\') {
    ParseEscape(text, segment);
  } else {
    ParseLiteralRun(text, segment);
  }
}

void TRegExSegmentBuilder::ParseEscape(std::string_view text, TRegExSegmentDuo& segment) {
  ++cursor;  // the backslash
  if (cursor >= text.size()) return;  // leaves the segment empty: an invalid pattern
  const unsigned char c = ByteAt(text, cursor);
  if (IsOneOf(c, kLiteralEscapes))
    segment.text.assign(1, static_cast<char>(c));
  else
    segment.charSet = EscapeSet(c);
  ++cursor;
  ParseQuantifier(text, segment);
}

void TRegExSegmentBuilder::ParseClass(std::string_view text, TRegExSegmentDuo& segment) {
  const auto addFolded = [this](TRegExCharSet& set, unsigned char c) {
    set.set(c);
    if (caseInsensitive && IsAsciiLetter(c)) {
      set.set(UpperByte(c));
      set.set(LowerByte(c));
    }
  };
  ++cursor;  // the opening bracket
  bool negate = false;
  if (cursor < text.size() && text[cursor] == '^') {
    negate = true;
    ++cursor;
  }
  TRegExCharSet set;
  for (;;) {
    if (cursor >= text.size()) RaiseSegmentError("Character class has no ending bracket");
    const unsigned char c = ByteAt(text, cursor);
    if (c == ']') break;
    if (c == '\\') {
      ++cursor;
      if (cursor >= text.size()) RaiseSegmentError("Character class has no ending bracket");
      const unsigned char e = ByteAt(text, cursor);
      if (IsOneOf(e, kClassLiteralEscapes)) {
        set.set(e);
      } else {
        const TRegExCharSet escaped = EscapeSet(e);
        if (escaped.any())
          set |= escaped;
        else
          set.set(e);
      }
      ++cursor;
    } else if (c == '-' && text[cursor - 1] != '[' && cursor + 1 < text.size() && text[cursor + 1] != ']') {
      const unsigned char low = ByteAt(text, cursor - 1);
      const unsigned char high = ByteAt(text, cursor + 1);
      if (low > high) RaiseSegmentError("Character class range out of order");
      for (unsigned b = low; b <= high; ++b) addFolded(set, static_cast<unsigned char>(b));
      cursor += 2;
    } else {
      addFolded(set, c);
      ++cursor;
    }
  }
  if (negate) set = FullSet() & ~set;
  segment.charSet = set;
  ++cursor;  // the closing bracket
  ParseQuantifier(text, segment);
}

void TRegExSegmentBuilder::ParseLiteralRun(std::string_view text, TRegExSegmentDuo& segment) {
  const std::size_t start = cursor;
  for (;;) {
    if (cursor >= text.size() || IsOneOf(ByteAt(text, cursor), kRunStops)) {
      segment.text = text.substr(start, cursor - start);
      return;
    }
    const unsigned char c = ByteAt(text, cursor);
    if (IsOneOf(c, kQuantifiers)) {
      const std::size_t scanned = cursor - start;
      if (scanned == 0)
        RaiseSegmentError(Format("Invalid placement of quantifier \"%s\"", std::string(1, static_cast<char>(c))));
      if (scanned == 1) {
        segment.text = text.substr(start, 1);
        if (ParseQuantifier(text, segment)) return;
        // A brace that is no quantifier is ordinary text after a literal character.
      } else {
        // The quantifier belongs to the last character alone, which starts the next segment.
        segment.text = text.substr(start, scanned - 1);
        --cursor;
        return;
      }
    }
    ++cursor;
  }
}

bool TRegExSegmentBuilder::ParseQuantifier(std::string_view text, TRegExSegment& segment) {
  if (cursor >= text.size()) return false;
  switch (text[cursor]) {
    case '*':
      segment.SetRange(0, TRegExSegment::kUnbounded);
      ++cursor;
      return true;
    case '+':
      segment.SetRange(1, TRegExSegment::kUnbounded);
      ++cursor;
      return true;
    case '?':
      segment.SetRange(0, 1);
      ++cursor;
      return true;
    case '{':
      break;
    default:
      return false;
  }
  // The closing brace must stand among the next 11 characters: at most 10 inside.
  std::size_t close = cursor + 1;
  while (close < text.size() && close <= cursor + 11 && text[close] != '}') ++close;
  if (close >= text.size() || close > cursor + 11) return false;
  const std::string_view inside = text.substr(cursor + 1, close - cursor - 1);
  if (inside.empty()) return false;

  std::int32_t low = 0;
  std::int32_t high = 0;
  const std::size_t comma = inside.find(',');
  if (comma == std::string_view::npos) {
    if (!ParseCount(inside, low)) return false;
    high = low;
  } else if (comma + 1 == inside.size()) {
    if (!ParseCount(inside.substr(0, comma), low)) return false;
    high = TRegExSegment::kUnbounded;
  } else {
    if (!ParseCount(inside.substr(0, comma), low) || !ParseCount(inside.substr(comma + 1), high)) return false;
    if (low > high) RaiseSegmentError(Format("Misordered quantifier range {%d,%d}", low, high));
  }
  segment.SetRange(low, high);
  cursor = close + 1;
  return true;
}

// ---- the engine ----

namespace {

// Segments that count a run of accepted bytes: a one-character text or a set.
bool IsRepeat(const TRegExSegmentDuo& segment) {
  return segment.text.size() == 1 || (segment.text.empty() && segment.charSet.any());
}

bool Accepts(const TRegExSegmentDuo& segment, unsigned char c) {
  if (segment.text.size() == 1) {
    const auto own = static_cast<unsigned char>(segment.text[0]);
    return segment.builder.CaseInsensitive() ? UpperByte(c) == UpperByte(own) : c == own;
  }
  return segment.charSet.test(c);
}

std::int32_t RunEnd(const TRegExSegmentDuo& segment, std::string_view subject, std::int32_t from) {
  const auto length = static_cast<std::int32_t>(subject.size());
  while (from < length && Accepts(segment, ByteAt(subject, from))) ++from;
  return from;
}

}  // namespace

TRegExSimple::TRegExSimple(std::string_view pattern, bool caseInsensitive)
    : builder(std::make_unique<TRegExSegmentBuilder>(pattern, caseInsensitive)) {}

void TRegExSimple::SetPattern(std::string_view pattern) {
  builder->SetPattern(pattern);
}

std::int32_t TRegExSimple::Match(std::string_view subject, std::string* matched, std::int32_t* endPosition) {
  captures.clear();
  if (matched) matched->clear();
  const std::int32_t count = builder->SegmentCount();
  // Offsets are 32-bit; a longer subject is searched in its first 2 GiB only.
  if (subject.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - 1))
    subject = subject.substr(0, static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - 1));
  if (count == 0 || subject.empty()) return -1;
  const auto length = static_cast<std::int32_t>(subject.size());
  for (std::int32_t i = 0; i < count; ++i) builder->GetSegment(i)->Reset();
  knownRuns.assign(static_cast<std::size_t>(count), TKnownRun{});

  TRegExSegmentDuo& first = *builder->GetSegment(0);
  std::int32_t start = 0;
  for (;;) {
    std::int32_t position = start;
    std::int32_t failedAt = -1;  // where the failing segment's attempt began
    for (std::int32_t i = 0; i < count; ++i) {
      TRegExSegmentDuo& segment = *builder->GetSegment(i);
      segment.Reset();
      segment.matchStart = position;
      const std::int32_t after = MatchSegment(i, subject, position);
      if (after == TRegExSegment::kNoMatch || (segment.anchorEnd && after != length)) {
        failedAt = position;
        break;
      }
      segment.matchEnd = after - 1;
      position = after;
    }
    if (failedAt < 0) break;
    // Without backtracking, an attempt that failed at the end (or an anchored one)
    // cannot be helped by starting later.
    if (failedAt == length || first.anchorStart || first.matchStart + 1 > length) {
      captures.clear();
      return -1;
    }
    start = first.matchStart + 1;
  }

  ExtractCaptures(subject);
  const TRegExSegmentDuo& last = *builder->GetSegment(count - 1);
  if (matched)
    *matched = subject.substr(static_cast<std::size_t>(first.matchStart),
                              static_cast<std::size_t>(last.matchEnd + 1 - first.matchStart));
  if (endPosition) *endPosition = last.matchEnd + 1;
  return first.matchStart + 1;
}

// Segment i's Match, answered without counting again when the position lies inside
// a run the segment already met in this subject. Each failed attempt starts again one
// byte further, so without this a repeat over a long run would count it once per
// byte: 100 kB of digits against "\d\d+x" took seconds. Inside a known run the
// byte at the position is accepted, so even segment 0 does not float there, and the
// answer is exactly what Match would give.
std::int32_t TRegExSimple::MatchSegment(std::int32_t segmentIndex, std::string_view subject, std::int32_t position) {
  TRegExSegmentDuo& segment = *builder->GetSegment(segmentIndex);
  if (!IsRepeat(segment)) return segment.Match(subject, position);
  TKnownRun& run = knownRuns[static_cast<std::size_t>(segmentIndex)];
  if (position >= run.start && position < run.end) {
    const std::int32_t count = std::min(run.end - position, segment.maxCount);
    return count >= segment.minCount ? position + count : TRegExSegment::kNoMatch;
  }
  const std::int32_t after = segment.Match(subject, position);
  // Learn the run the segment began on (after floating, for segment 0). Match stops
  // at the run's end unless its maximum stops it first; when it found too few bytes
  // it answers no end, so the run is measured here.
  const std::int32_t start = segment.matchStart;
  if (start >= 0 && start < static_cast<std::int32_t>(subject.size()) && Accepts(segment, ByteAt(subject, start))) {
    const bool stoppedAtEnd = after != TRegExSegment::kNoMatch && after - start < segment.maxCount;
    run = {start, stoppedAtEnd ? after : RunEnd(segment, subject, after != TRegExSegment::kNoMatch ? after : start)};
  }
  return after;
}

void TRegExSimple::ExtractCaptures(std::string_view subject) {
  std::int32_t open = -1;
  for (std::int32_t i = 0; i < builder->SegmentCount(); ++i) {
    const TRegExSegmentDuo& segment = *builder->GetSegment(i);
    if (segment.opensGroup) open = segment.matchStart;
    if (segment.closesGroup && open != -1) {
      captures.emplace_back(subject.substr(static_cast<std::size_t>(open),
                                           static_cast<std::size_t>(segment.matchEnd + 1 - open)));
      open = -1;
    }
  }
}

const std::string& TRegExSimple::GetCapture(std::int32_t captureIndex) const {
  if (captureIndex < 0 || captureIndex >= CaptureCount())
    throw ERegEx(std::string(kEnginePrefix) + Format("Capture index out of bounds (%d)", captureIndex));
  return captures[static_cast<std::size_t>(captureIndex)];
}

}  // namespace vexa
