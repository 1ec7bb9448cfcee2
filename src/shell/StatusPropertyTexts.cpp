// Names and descriptions of the status properties, in index order. The Windows
// program also carries the descriptions as string resources 256 + index, made
// from the same list.
#include <array>
#include <string_view>

#include "shell/StatusProperties.h"

namespace vexa {

namespace {

struct TStatusText {
  std::string_view name;
  std::string_view description;
};

constexpr std::array<TStatusText, TStatusProperties::kCount> kStatusTexts = {{
#define VEXA_STATUS_TEXT(index, name, description) {name, description},
#include "shell/StatusPropertyTexts.inc"
#undef VEXA_STATUS_TEXT
}};

}  // namespace

std::string_view StatusPropertyName(int index) {
  return index >= 0 && index < TStatusProperties::kCount ? kStatusTexts[index].name : std::string_view();
}

std::string_view StatusPropertyDescription(int index) {
  return index >= 0 && index < TStatusProperties::kCount ? kStatusTexts[index].description : std::string_view();
}

}  // namespace vexa
