#pragma once
// IDropImporter: what a drop of rows on a grid does, as the application
// decides it.
//
// While rows are dragged over a grid, the grid asks its importer, for the
// place the insertion mark shows, what a drop there would do (the cursor
// shows the answer), and asks again when they are dropped:
//
//   kRefuse  nothing happens; the drag goes on elsewhere or ends.
//   kMove    the rows leave their place and go to the marked one (in the
//            grid they came from: taken out and put back; from another
//            grid of this process: bound there and removed at their source).
//   kCopy    new rows bound to the same data objects go to the marked place;
//            the dragged rows stay. Child rows are copied with their parent.
//   kImport  foreign data (text from another program, or from a grid of
//            another process): ImportText builds the data objects, and a row
//            bound to each goes to the marked place.
//
// The grid has already dropped the rows that are gone (removed by another
// thread while the drag was in flight), and refuses by itself a drop of rows
// onto themselves or into their own subtree; the importer is asked only
// about what is left. In a sorted list the rows go to their sorted places
// whatever the mark says.
//
// CDropImporter, the one every grid starts with: kMove within the grid the
// rows came from (kCopy while Ctrl is held), kCopy between grids of this
// process, kRefuse for foreign data.
// CTextDropImporter: CDropImporter that also imports foreign text, one
// CDynamicObject per line (see below).
//
// Ownership: the grid deletes the importer it holds at its end when
// IsAutoDelete() answers true; data objects made by ImportText belong to the
// importer and must outlive the rows bound to them (a data object's deletion
// removes its rows from every grid).
// Thread: GUI thread only (a drop runs there).

#include "gui/grid/auto_delete.h"

#include "common/dynamic_object.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace Brivel::GUI {

class CGrid;
class CGridItem;

/// What a drop does; see IDropImporter.
enum class DropAction : int32_t { kRefuse = 0, kMove = 1, kCopy = 2, kImport = 3 };

/// A drop as the importer is asked about it. Everything is borrowed for the
/// duration of the call.
struct DropRequest {
    /// The grid dropped on.
    CGrid* target = nullptr;
    /// The grid the rows come from; null for foreign data.
    CGrid* source = nullptr;
    /// The dragged rows of `source` that are still there, in display order;
    /// empty for foreign data.
    std::span<CGridItem* const> rows;
    /// Where the rows would go, as CGrid::Attach takes it: the parent
    /// (CGrid::kBodyRoot, CGrid::kPinnedRoot or an item of `target`) and the
    /// position (CGrid::kHead, CGrid::kTail or the sibling they follow).
    CGridItem* parent = nullptr;
    CGridItem* position = nullptr; ///< see parent
    /// The foreign text (UTF-8, cells separated by TAB, rows by CR LF or LF);
    /// empty when rows of this process are dragged.
    std::string_view text;
    /// Ctrl is held: the user asks for a copy.
    bool copyKey = false;
};

class IDropImporter : public virtual IAutoDelete {
public:
    /// The action a drop described by `request` takes.
    virtual DropAction GetDropAction(const DropRequest& request) = 0;
    /// For kImport: the data objects the dropped `text` becomes, one per
    /// row, in order. They stay the importer's (see the class comment).
    virtual std::vector<Common::CDataObject*> ImportText(CGrid& target, std::string_view text) = 0;

protected:
    IDropImporter() = default;
    IDropImporter(const IDropImporter&) = default;
    IDropImporter& operator=(const IDropImporter&) = default;
};

/// The default importer (see the file comment).
class CDropImporter : public IDropImporter {
public:
    bool IsAutoDelete() const override { return false; }
    DropAction GetDropAction(const DropRequest& request) override;
    std::vector<Common::CDataObject*> ImportText(CGrid& target, std::string_view text) override;
    /// The shared instance every grid starts with.
    static CDropImporter& Shared();
};

/// Imports foreign text as rows: each non-empty line becomes one
/// CDynamicObject whose fields are the target header's visible columns in
/// visible order (field id and caption of the column, string values); the
/// line's cells, separated by TAB, fill them in order, and cells beyond the
/// last column are dropped. Without a header nothing is imported.
class CTextDropImporter : public CDropImporter {
public:
    /// `autoDelete`: whether the grid that holds it deletes it at its end.
    explicit CTextDropImporter(bool autoDelete = false) : m_autoDelete(autoDelete) {}
    CTextDropImporter(const CTextDropImporter&) = delete;
    CTextDropImporter& operator=(const CTextDropImporter&) = delete;

    bool IsAutoDelete() const override { return m_autoDelete; }
    DropAction GetDropAction(const DropRequest& request) override;
    std::vector<Common::CDataObject*> ImportText(CGrid& target, std::string_view text) override;

    /// The objects made so far, in the order they were made.
    const std::vector<std::unique_ptr<Common::CDynamicObject>>& GetObjects() const { return m_objects; }

private:
    const bool m_autoDelete;
    std::vector<std::unique_ptr<Common::CDynamicObject>> m_objects;
};

} // namespace Brivel::GUI
