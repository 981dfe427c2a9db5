#pragma once
// ScrollState: what the grid's scrolling code (grid_scrolling.cpp) keeps
// between layout updates: the two scroll bars, whether each is shown, the
// width the style gives them, the row count of the previous layout update
// and the wheel delta not yet turned into lines or pages.
//
// Thread: GUI thread only (a member of the grid's implementation).

#include <cstdint>

class QScrollBar;

namespace Brivel::GUI {

struct ScrollState {
    QScrollBar* vbar = nullptr; // child widget, owned by the grid (Qt)
    QScrollBar* hbar = nullptr; // child widget, owned by the grid (Qt)
    bool vbarShown = false;
    bool hbarShown = false;
    int32_t barExtent = 0; // the style's scroll bar width, read at each layout update
    int32_t previousRowCount = 0;
    int32_t wheelAccumulator = 0;
    bool inLayout = false;
    int64_t layoutUpdates = 0; // a test seam: layout updates run so far
};

} // namespace Brivel::GUI
