#pragma once
// IHorizontalScrollSource: where the header learns how far a grid window is
// scrolled horizontally, for hit testing and for the column rectangles in
// window coordinates. The grid window implements it; tests use a double.
//
// Thread: an implementation says which threads may ask it (the grid answers
// on any thread).

#include <cstdint>

namespace Brivel::GUI {

class IHorizontalScrollSource {
public:
    virtual ~IHorizontalScrollSource() = default;
    // The horizontal scroll position in pixels (0 = not scrolled); false when
    // it cannot be read (no window, no scroll bar state yet).
    virtual bool GetHorizontalScrollPos(int32_t& pos) const = 0;

protected:
    IHorizontalScrollSource() = default;
    IHorizontalScrollSource(const IHorizontalScrollSource&) = default;
    IHorizontalScrollSource& operator=(const IHorizontalScrollSource&) = default;
};

} // namespace Brivel::GUI
