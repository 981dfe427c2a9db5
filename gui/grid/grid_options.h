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
    bool notifyParent = true; // CGrid::SetNotifyParent
    bool highlightChangedValues = false; // CGrid::SetHighlightChangedValues
    HighlightSettings highlightSettings; // CGrid::SetHighlightSettings
    Appearance appearance; // CGrid::SetAppearance
    PaintElementMask paintElementMask = PaintElement::kAll; // CGrid::SetPaintElementMask
    bool doubleBuffered = true; // CGrid::SetDoubleBuffered
    bool selectionEnabled = true; // CGrid::EnableSelection
    bool multipleSelection = true; // CGrid::SetMultipleSelection
    int32_t focusMask = CGrid::kBothLists; // CGrid::SetFocusMask
    int32_t selectableLists = CGrid::kBothLists; // CGrid::SetSelectableLists
    int32_t sortableLists = CGrid::kBothLists; // CGrid::SetSortableLists
    bool headerShown = true; // CGrid::SetHeaderShown
    bool separatorShown = true; // CGrid::SetSeparatorShown
    int32_t separatorHeight = 2; // CGrid::SetSeparatorHeight
    std::optional<QFont> font; // none: the shared default font
    QImage background; // CGrid::SetBackgroundPicture: the picture
    int32_t backgroundMode = kBackgroundCentred; // its BackgroundMode
    int32_t backgroundAlpha = -1; // the rows' alpha over it; -1: not used
    int32_t wheelLines = 3; // lines per wheel notch; -1: a page
    PrintSettings print;    // always sanitised (PrintSettings::Sanitized)
    bool stretchImages = false; // cell images keep their aspect, stretched to the row height (86/87)
    bool rowDragDrop = false;   // selected rows may be dragged out of the grid (89/90)

    // Options without behaviour of their own here, kept for the settings
    // stream and their operations (141/142, 148/149, 166/167) and the
    // type-ahead reset delay.
    uint8_t reservedByte141 = 1; // operations 141/142
    uint8_t reservedByte148 = 0; // operations 148/149
    int32_t reservedMask166 = 3; // operations 166/167
    int32_t typeAheadDelay = 1000; // type-ahead's reset delay in ms
};

} // namespace Brivel::GUI
