#pragma once
// IAutoDelete: implemented by objects handed to a grid (its header, custom
// draw, editors) to tell the grid whether it takes them over. A grid being
// destroyed deletes every attached object whose IsAutoDelete() answers true
// and leaves the others to whoever made them; replacing an attached object
// hands the old one back to the caller either way.
//
// Thread: any thread (the answer never changes after construction).

namespace Brivel::GUI {

class IAutoDelete {
public:
    virtual ~IAutoDelete() = default;
    virtual bool IsAutoDelete() const = 0; // the grid that holds the object deletes it

protected:
    IAutoDelete() = default;
    IAutoDelete(const IAutoDelete&) = default;
    IAutoDelete& operator=(const IAutoDelete&) = default;
};

} // namespace Brivel::GUI
