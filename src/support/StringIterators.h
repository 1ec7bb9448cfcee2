// Tokenizers. TStringIteratorSpacedQuotes splits a command line the way the
// program reads its own: blanks separate tokens, double quotes group blanks into
// one token, quotes inside an unquoted token stay part of it. Positions are
// 1-based, as the fields they mirror.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

class TStringIterator {
public:
  explicit TStringIterator(std::string_view text) { SetText(text); }
  virtual ~TStringIterator() = default;

  // Tokens taken so far plus the tokens still to come; the position is kept.
  virtual std::int32_t Count();
  virtual void SetText(std::string_view text);
  virtual void TakeUpTo(std::int32_t end, std::string& token);
  virtual bool Next(std::string& token) = 0;
  // 0 once the text is used up; otherwise a positive number.
  virtual std::int32_t Remaining() const;
  virtual void Reset();

  std::int32_t Position() const { return position; }

protected:
  // The character at a 1-based index; 0 past the end.
  unsigned char At(std::int32_t index) const {
    return index >= 1 && index <= length ? static_cast<unsigned char>(text[index - 1]) : 0;
  }

  std::int32_t position = 1;
  std::int32_t scan = 1;
  std::int32_t count = 0;
  std::int32_t length = 0;
  std::string text;
};

class TStringIteratorSpacedQuotes : public TStringIterator {
public:
  using TStringIterator::TStringIterator;
  bool Next(std::string& token) override;
};

// Every token of a command line, the program path first, as the program reads it.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace vexa
