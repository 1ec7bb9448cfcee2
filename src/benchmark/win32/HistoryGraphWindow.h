// The window of a SMART attribute's history: a small resizable window owned by the
// main window, painted by THistoryGraph through the Benchmark page's memory canvas,
// the graph's hint for the point under the pointer in a tracking tip. One window
// serves every graph: showing another replaces what it shows. Esc closes it.
#pragma once

#include <windows.h>

#include <optional>

#include "benchmark/HistoryGraph.h"

namespace vexa {

// Shows the graph, opening the window (centred on the owner) or bringing it forward.
void ShowHistoryGraphWindow(HWND owner, THistoryGraphData data);
// Keeps an open window in step with the page behind it: shows the data without
// bringing the window forward, or closes it when there is none. Nothing when closed.
void UpdateHistoryGraphWindow(std::optional<THistoryGraphData> data);
// Closes the window when it is open (the owner is closing).
void CloseHistoryGraphWindow();
// The open window, or none.
HWND HistoryGraphWindowHandle();

}  // namespace vexa
