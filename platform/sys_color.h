#pragma once
// GetSysColor: the system colours the painters use, from the application
// palette. Without a QGuiApplication (or for a palette that cannot be read)
// fixed classic colours answer. The index values are the classic system
// colour numbers.
//
// Thread: any thread (the palette is only read).

#include "platform/colorref.h"

namespace Brivel::Platform {

// The system colour indexes GetSysColor answers (the classic numbers).
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWFRAME = 6;
inline constexpr int COLOR_ACTIVEBORDER = 10;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;
inline constexpr int COLOR_INFOTEXT = 23;
inline constexpr int COLOR_INFOBK = 24;

// The colour for `index`; 0 (black) for an index not listed above.
COLORREF GetSysColor(int index);

// The fixed colour answered without an application palette.
COLORREF GetDefaultSysColor(int index);

} // namespace Brivel::Platform
