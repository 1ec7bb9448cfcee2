// Main-window settings and layout.
#include "shell/MainSettings.h"

#include "shell/EasyConfig.h"
#include "shell/PixelsPerInch.h"

namespace vexa {

TMainSettings RegisterMainSettings(TEasyConfig& store, std::int32_t outerWidth, std::int32_t outerHeight,
                                   std::int32_t screenWidth, std::int32_t screenHeight) {
  TMainSettings s;
  s.fahrenheitTemp = TConfigVarBool::Register(&store, "system", false, "fahrenheit_temp");
  s.enumPhysical = TConfigVarBool::Register(&store, "system", true, "enum_physical");
  s.enumOptical = TConfigVarBool::Register(&store, "system", true, "enum_optical");
  s.enumScsi = TConfigVarBool::Register(&store, "system", false, "enum_scsi");
  s.stayOnTop = TConfigVarBool::Register(&store, "system", false, "stay_on_top");
  s.deviceIndex = TConfigVarInt::Register(&store, "system", 0, "device_index");
  s.pageIndex = TConfigVarInt::Register(&store, "tabs", 0, "page_index");
  s.fontMain = TConfigVarStr::Register(&store, "gui", "", "font_main");
  s.fontDevice = TConfigVarStr::Register(&store, "gui", "\"Courier New\" 10", "font_device");
  s.windowWidth = TConfigVarInt::Register(&store, "window", outerWidth, "width");
  s.windowHeight = TConfigVarInt::Register(&store, "window", outerHeight, "height");
  s.windowLeft = TConfigVarInt::Register(&store, "window", (screenWidth - outerWidth) / 2, "left");
  s.windowTop = TConfigVarInt::Register(&store, "window", (screenHeight - outerHeight) / 2, "top");
  s.windowMaxed = TConfigVarBool::Register(&store, "window", false, "maxed");
  s.deviceIndex->minimum = 0;
  s.pageIndex->minimum = 0;
  return s;
}

TMainLayout ComputeMainLayout(const TPixelsPerInch& scaler) {
  const std::int32_t a = scaler.Scale(4), b = scaler.Scale(64), c = scaler.Scale(24);
  TMainLayout layout;
  layout.clientWidth = scaler.Scale(416);
  layout.clientHeight = scaler.Scale(406);
  const std::int32_t w = layout.clientWidth, h = layout.clientHeight;
  layout.pageControl = {a, a, w - 2 * a, h - c - 3 * a - 1};
  layout.rescanButton = {a, h - c - a, c + 2, c};
  const std::int32_t rescanWidth = layout.rescanButton.width;
  layout.deviceSelector = {2 * a + rescanWidth, h - a - c, w - b - 4 * a - rescanWidth - 1, c};
  layout.exitButton = {w - a - b, h - a - c, b, c};
  return layout;
}

}  // namespace vexa
