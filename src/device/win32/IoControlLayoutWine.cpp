// The layouts once more, against Wine's own Windows headers instead of MinGW-w64's:
// the two sets were written independently, so a slip in either one fails the build
// before it can reach a real drive. Compiled with Wine's headers in place of the
// toolchain's (CMakeLists.txt: vexa_layout_wine), never with the normal flags. Wine
// has no ATA pass-through, SMART or miniport structures, no _EX partition ones and
// no protocol-specific property: those are checked against MinGW-w64's alone.
#include <windows.h>
#include <winioctl.h>
#include <ntddstor.h>
#include <ntddscsi.h>

#include "device/win32/StorageLayoutChecks.inc"
