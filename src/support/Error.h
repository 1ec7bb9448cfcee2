// The one error currency of the program: errors that reach the user are
// exceptions carrying a formatted message; the code that catches one shows it
// through ShowMessage. Storage requests never throw.
#pragma once

#include <stdexcept>
#include <string>

namespace vexa {

class EVexaError : public std::runtime_error {
public:
  explicit EVexaError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vexa
