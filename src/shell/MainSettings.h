// The main window's settings variables and the layout of its controls, as
// portable code: the window registers these and places its controls here.
#pragma once

#include <cstdint>

#include "support/Geometry.h"

namespace vexa {

class TEasyConfig;
class TConfigVarBool;
class TConfigVarInt;
class TConfigVarStr;
class TPixelsPerInch;

struct TMainSettings {
  TConfigVarBool* fahrenheitTemp;
  TConfigVarBool* enumPhysical;
  TConfigVarBool* enumOptical;
  TConfigVarBool* enumScsi;
  TConfigVarBool* stayOnTop;
  TConfigVarInt* deviceIndex;
  TConfigVarInt* pageIndex;
  TConfigVarStr* fontMain;
  TConfigVarStr* fontDevice;
  TConfigVarInt* windowWidth;
  TConfigVarInt* windowHeight;
  TConfigVarInt* windowLeft;
  TConfigVarInt* windowTop;
  TConfigVarBool* windowMaxed;
};

// Registers the rows system.*, tabs.page_index, gui.* and window.* in this order;
// the geometry defaults centre the window's outer size on the screen.
TMainSettings RegisterMainSettings(TEasyConfig& store, std::int32_t outerWidth, std::int32_t outerHeight,
                                   std::int32_t screenWidth, std::int32_t screenHeight);

struct TMainLayout {
  std::int32_t clientWidth, clientHeight;
  TRect pageControl, rescanButton, deviceSelector, exitButton;
};

// The design client size (416 x 406 at 96 pixels per inch, scaled) and the
// controls placed on it; later resizing is by anchors.
TMainLayout ComputeMainLayout(const TPixelsPerInch& scaler);

}  // namespace vexa
