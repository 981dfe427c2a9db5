#pragma once
// GridOptions: a grid window's plain settings, as one flat record: what the
// option operations set, what the settings stream stores and what the paint
// pass reads. Objects the grid holds (header, custom draw, filter, image
// list) stay with the grid, which knows who owns them.
//
// Thread: GUI thread only (a member of the grid's implementation).

#include "gui/grid/grid.h"
#include "gui/paint/appearance.h"
#include "gui/paint/paint_format.h"
#include "gui/paint/paint_host.h"
#include "gui/print/print_settings.h"

#include <QFont>
#include <QImage>

#include <cstdint>
#include <optional>

namespace Brivel::GUI {

struct GridOptions {
    bool notifyParent = true;
    bool highlightChangedValues = false;
    HighlightSettings highlightSettings;
    Appearance appearance;
    PaintElementMask paintElementMask = PaintElement::kAll;
    bool doubleBuffered = true;
    bool selectionEnabled = true;
    bool multipleSelection = true;
    int32_t focusMask = CGrid::kBothLists;
    int32_t selectableLists = CGrid::kBothLists;
    int32_t sortableLists = CGrid::kBothLists;
    bool headerShown = true;
    bool separatorShown = true;
    int32_t separatorHeight = 2;
    std::optional<QFont> font; // none: the shared default font
    QImage background;
    int32_t backgroundMode = kBackgroundCentred;
    int32_t backgroundAlpha = -1;
    int32_t wheelLines = 3; // lines per wheel notch; -1: a page
    PrintSettings print;    // always sanitised (PrintSettings::Sanitized)
    bool stretchImages = false; // cell images keep their aspect, stretched to the row height (86/87)
    bool rowDragDrop = false;   // selected rows may be dragged out of the grid (89/90)

    // Options without behaviour of their own here, kept for the settings
    // stream and their operations (141/142, 148/149, 166/167) and the
    // type-ahead reset delay.
    uint8_t reservedByte141 = 1;
    uint8_t reservedByte148 = 0;
    int32_t reservedMask166 = 3;
    int32_t typeAheadDelay = 1000;
};

} // namespace Brivel::GUI
