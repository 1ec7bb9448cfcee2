// The About page as a portable module: the program's name, icon, release line,
// credits and licence note, laid out from two tables of items (one per group box)
// that one routine interprets, and the links its items open. The Win32 page builds
// the controls from AboutItems() and places them with PlaceAboutItem.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "shell/Tabs.h"
#include "support/Geometry.h"
#include "support/Utils.h"

namespace vexa {

class TPixelsPerInch;

inline constexpr std::string_view kAboutPageCaption = "關於";
inline constexpr std::string_view kLicenceBoxCaption = "許可";
// Labels with a link and no colour of their own are blue.
inline constexpr TColor kAboutLinkColour = 0xFF0000;
inline constexpr TColor kAboutNoColour = 0x1FFFFFFF;

enum class TAboutItemKind : std::uint8_t { Label, ResourceLabel, Icon, Bitmap, Button };
enum class TAboutSpecial : std::uint8_t { None, ReleaseLine };

struct TAboutItem {
  TAboutItemKind kind = TAboutItemKind::Label;
  std::string_view text;
  std::int32_t x = 0, y = 0;            // unscaled; negative: from the right or bottom edge
  std::int32_t width = 0, height = 0;   // 0: natural size
  std::string_view link;                // opened on a click; also the hint
  std::string_view font;                // a font description, or empty
  TColor colour = 0;                    // labels; 0: the default
  TAboutSpecial special = TAboutSpecial::None;
};

std::span<const TAboutItem> AboutBoxItems();
std::span<const TAboutItem> LicenceBoxItems();

// Where an item goes in a box of the given client size: scaled, negative positions
// counted from the right or bottom edge, which the control then stays anchored to.
struct TAboutPlacement {
  TRect bounds;
  bool anchorRight = false;
  bool anchorBottom = false;
};
TAboutPlacement PlaceAboutItem(const TAboutItem& item, std::int32_t boxWidth, std::int32_t boxHeight,
                               const TPixelsPerInch& scaler);

// The two group boxes on a sheet of the given client size.
struct TAboutBoxes {
  TRect about;
  TRect licence;
};
TAboutBoxes AboutBoxes(std::int32_t sheetWidth, std::int32_t sheetHeight, const TPixelsPerInch& scaler);

// A label's text colour: its own unless 0 or the window-text colour; blue for a link
// label without one; none (the default) otherwise.
std::optional<TColor> AboutLabelColour(const TAboutItem& item, TColor windowText);

// "發佈 " followed by the release date in the given long form.
std::string AboutReleaseLine(std::string_view longDate);
struct TAboutDate {
  int year, month, day;
};
inline constexpr TAboutDate kAboutReleaseDate{2016, 9, 9};

class TAboutTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TAboutTab";
  static constexpr bool kNeedsSheet = true;

  explicit TAboutTab(std::unique_ptr<TSheet> sheet);
  std::string_view ClassName() const override { return kClassName; }

  // Opens an item's link from the program's directory; a failure is said in a
  // message naming it. Answers whether it opened.
  bool OpenLink(std::string_view link) const;
};

}  // namespace vexa
