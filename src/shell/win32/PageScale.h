// The scaling of the Win32 pages: the shared scaler's target resolution and sizes
// scaled to it, with the design's 96 pixels per inch when there is no scaler (tests).
#pragma once

namespace vexa {

// The pixels per inch the shared scaler scales to (96 without one).
int PagePixelsPerInch();
// Scale(n) of the shared scaler (n without one).
int PageScale(int n);

}  // namespace vexa
