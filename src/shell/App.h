// The process-wide objects. The main window creates them in a fixed order and
// frees them at shutdown; every module reaches them here. Tests fill in what they
// need and leave the rest empty.
#pragma once

namespace vexa {

class Machine;
class TPixelsPerInch;
class TVexaCore;
class TDeviceSource;
class TVexaTabManager;
class TStatusProperties;
class TTooltipHost;
class TEasyConfig;
class THistoryKeeper;

struct TAppObjects {
  Machine* machine = nullptr;
  TPixelsPerInch* scaler = nullptr;
  TVexaCore* core = nullptr;
  TDeviceSource* devices = nullptr;
  TVexaTabManager* tabs = nullptr;
  TStatusProperties* status = nullptr;
  TTooltipHost* tooltip = nullptr;
  TEasyConfig* config = nullptr;
  THistoryKeeper* history = nullptr;  // none: no SMART history kept
};

TAppObjects& App();

}  // namespace vexa
