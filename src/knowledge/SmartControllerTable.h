// Controller names as they appear in the known-drives table's controller texts,
// each with the descriptor family that reads that controller's SMART data.
// Searched in order; the first name contained in the text wins.
#pragma once

#include <span>
#include <string_view>

#include "knowledge/SmartDescriptor.h"

namespace vexa {

struct TSmartAttribController {
  std::string_view controller;
  TSmartDescriptorKind kind;
};

std::span<const TSmartAttribController> SmartControllerTable();

}  // namespace vexa
