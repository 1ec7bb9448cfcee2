// The scaling of the Win32 pages (see PageScale.h).
#include "shell/win32/PageScale.h"

#include "shell/App.h"
#include "shell/PixelsPerInch.h"

namespace vexa {

int PagePixelsPerInch() { return App().scaler ? App().scaler->Target() : 96; }

int PageScale(int n) { return App().scaler ? App().scaler->Scale(n) : n; }

}  // namespace vexa
