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

enum class TooltipKind : int32_t { kNone = 0, kOrdinary = 1, kInPlace = 2 };

struct TooltipSettings {
    enum Position : int32_t { kAbove = 0, kBelow = 1, kLeft = 2, kRight = 3 };
    static constexpr int32_t kMaxMargin = 100;
    static constexpr int32_t kMaxDistance = 10000;

    Platform::COLORREF backColor = 0;
    Platform::COLORREF textColor = 0;
    Platform::COLORREF borderColor = 0;
    int32_t hoverMs = 500;
    int32_t autoHideMs = 10000;
    int32_t distanceX = 0;
    int32_t distanceY = 0;
    int32_t marginX = 1;
    int32_t marginY = 1;
    int32_t position = kAbove;
    int32_t delayed = 1;

    // The defaults, with the system's tooltip colours.
    static TooltipSettings Defaults();
    TooltipSettings Sanitized() const;
    void Serialize(Platform::CArchive& ar);

    bool operator==(const TooltipSettings&) const = default;
};

} // namespace Brivel::GUI
