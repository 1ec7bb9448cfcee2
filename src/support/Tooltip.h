// The balloon tool tip as the rest of the program sees it: tools are windows
// registered with an application value; when a tip is about to show, its owner fills
// a title, a text and an icon. The Windows tool tip implements TTooltipHost.
#pragma once

#include <cstdint>
#include <string>

namespace vexa {

struct TTooltipContent {
  std::string title;
  std::string text;
  std::uintptr_t icon = 0;  // icon handle or standard icon number
};

class TTooltipHost {
public:
  virtual ~TTooltipHost() = default;
  virtual void AddTool(std::uintptr_t window, std::uint32_t value, std::uint32_t flags) = 0;
  virtual void DeleteTool(std::uintptr_t window) = 0;
};

}  // namespace vexa
