// Status properties.
#include "shell/StatusProperties.h"

namespace vexa {

TStatusProperties::TStatusProperties(const TResourceLoader& loader) {
  for (int i = 0; i < kCount; ++i) {
    entries[i].name = std::string(StatusPropertyName(i));
    if (loader) {
      const auto text = loader(kFirstDescriptionResource + i);
      entries[i].description = text ? *text : "Error";
    } else {
      entries[i].description = std::string(StatusPropertyDescription(i));
    }
  }
  entries[14].alternateName = "開機時間";
}

const TStatusProperty& TStatusProperties::Entry(int index) const {
  static const TStatusProperty empty;
  index &= 0x7F;
  return index < kCount ? entries[index] : empty;
}

void TStatusProperties::Set(int index, std::string_view value, TStatusState state) {
  index &= 0x7F;
  if (index >= kCount) return;
  entries[index].value = std::string(value);
  entries[index].state = state;
  if (onChange) onChange(index);
}

void TStatusProperties::AppendDescription(int index, std::string_view line) {
  index &= 0x7F;
  if (index >= kCount) return;
  entries[index].extraDescription += "\r\n";
  entries[index].extraDescription += line;
}

void TStatusProperties::Clear() {
  for (int i = 0; i < kCount; ++i) {
    entries[i].value.clear();
    entries[i].state = TStatusState::Plain;
    entries[i].extraDescription.clear();
    if (onChange) onChange(i);
  }
}

}  // namespace vexa
