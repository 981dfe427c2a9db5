#pragma once
// TooltipSettings: how one kind of tooltip of a grid looks and behaves; a
// grid keeps one record for its ordinary and one for its in-place tooltip.
//
//   #  value                                               default
//   0  background colour                                   COLOR_INFOBK
//   1  text colour                                         COLOR_INFOTEXT
//   2  border colour                                       COLOR_ACTIVEBORDER
//   3  hover time, ms                                      500
//   4  auto-hide delay, ms (0: never)                      10000
//   5  horizontal distance from the cursor, pixels         0
//   6  vertical distance from the cursor, pixels           0
//   7  horizontal text margin, pixels                      1
//   8  vertical text margin, pixels                        1
//   9  position: 0 above, 1 below, 2 left, 3 right        0
//  10  delayed: show after the hover time, hide after the  1
//      auto-hide delay; 0: show at once, never auto-hide
//
// Stored form (little-endian): int32 version (1); values 0-4; 5 and 6; 7 and
// 8; 9; 10, each an int32. A newer version raises the archive's bad-schema
// error; 0 or less reads nothing more and keeps the record. Loaded values
// are sanitised: negative times, distances and margins become 0 and margins
// stay at most kMaxMargin, so a bad stream cannot make a tooltip of negative
// or enormous size.
//
// Thread: a plain value; the grid's copy belongs to its GUI thread.

#include "platform/colorref.h"

#include <cstdint>

namespace Brivel::Platform {
class CArchive;
}

namespace Brivel::GUI {

// The two tooltips of a grid (kNone: neither).
enum class TooltipKind : int32_t { kNone = 0, kOrdinary = 1, kInPlace = 2 };

struct TooltipSettings {
    // Where an ordinary tooltip goes relative to the cursor (value 9).
    enum Position : int32_t { kAbove = 0, kBelow = 1, kLeft = 2, kRight = 3 };
    static constexpr int32_t kMaxMargin = 100; // the largest margin a sanitised record keeps
    static constexpr int32_t kMaxDistance = 10000; // the largest distance a sanitised record keeps

    Platform::COLORREF backColor = 0; // 0: background colour
    Platform::COLORREF textColor = 0; // 1: text colour
    Platform::COLORREF borderColor = 0; // 2: border colour
    int32_t hoverMs = 500; // 3: hover time
    int32_t autoHideMs = 10000; // 4: auto-hide delay (0: never)
    int32_t distanceX = 0; // 5: horizontal distance from the cursor
    int32_t distanceY = 0; // 6: vertical distance from the cursor
    int32_t marginX = 1; // 7: horizontal text margin
    int32_t marginY = 1; // 8: vertical text margin
    int32_t position = kAbove; // 9: a Position
    int32_t delayed = 1; // 10: delayed mode (see the table above)

    // The defaults, with the system's tooltip colours.
    static TooltipSettings Defaults();
    // A copy with negative times, distances and margins made 0 and margins
    // and distances capped (kMaxMargin, kMaxDistance).
    TooltipSettings Sanitized() const;
    // Stores or loads the record in the stored form above.
    void Serialize(Platform::CArchive& ar);

    // Member-wise equality.
    bool operator==(const TooltipSettings&) const = default;
};

} // namespace Brivel::GUI
