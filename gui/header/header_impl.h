#pragma once
// CHeader::Impl: the state of a header and the operations on it. Private to
// header.cpp, header_impl.cpp and header_archive.cpp.
//
// Derived state, rebuilt from the column list (Rebuild) and relaid out from
// the widths (Relayout), never patched in place:
//   m_columns     column order; each slot caches the column's identifier and
//                 its visible index (-1 when hidden)
//   m_visible     visible order; each slot holds the column's [left, right)
//                 in header coordinates (the layout)
//   m_byId        (identifier, index) sorted by identifier: a lookup by
//                 identifier is one binary search, unless
//   m_dense       identifier -> index (-1: none) for headers whose
//                 identifiers are all small and non-negative (the usual
//                 0..N-1): a lookup is one load. Empty when not in use.
//   m_rightEdges  for each visible column of positive width, in visible
//                 order, the x just right of it (strictly increasing), and
//                 m_edgeVisible the visible index it belongs to: hit testing
//                 is one binary search
// Allocation: rebuild and relayout reuse the vectors' capacity; the lookups
// and hit tests allocate nothing.
//
// Column lifetime: a removed column that another operation may still be
// using (m_pins > 0) waits in m_graveyard until the last Pin goes. Every
// operation that uses a column pointer after letting the lock go holds a
// Pin, taken before it looks the column up.
//
// Thread: any thread; m_lock guards every member below it.

#include "gui/header/header.h"
#include "gui/header/subscriber_list.h"

#include "common/lock.h"

#include <QFont>

#include <atomic>
#include <optional>
#include <utility>
#include <vector>

namespace Brivel::GUI {

struct CHeader::Impl final : public CColumn::INotify {
    struct ColumnSlot {
        std::unique_ptr<CColumn> column;
        int32_t id = CColumn::kUnsetField;
        int32_t visibleIndex = -1;
    };

    struct VisibleSlot {
        CColumn* column = nullptr; // owned by m_columns
        int32_t id = CColumn::kUnsetField;
        int32_t left = 0;
        int32_t right = 0;
    };
    static_assert(sizeof(VisibleSlot) <= 24, "VisibleSlot is walked by every layout query; keep it small");

    struct IdIndex {
        int32_t id;
        int32_t index;
    };

    // Keeps removed columns alive while an operation uses them; see above.
    class Pin {
    public:
        explicit Pin(Impl& impl);
        Pin(const Pin&) = delete;
        Pin& operator=(const Pin&) = delete;
        ~Pin();

    private:
        Impl& m_impl; // Not owned; outlives this.
    };

    Impl(CHeader& owner, bool autoDelete) : m_owner(owner), m_autoDelete(autoDelete) {}
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() override = default;

    // CColumn::INotify
    void OnColumnChanged(CColumn* column, int32_t code) override;

    // One member read or written under m_lock (the plain getters and setters).
    template <class T>
    T Read(const T& member) const
    {
        Common::CLockGuard guard(m_lock);
        return member;
    }
    template <class T>
    void Write(T& member, T value)
    {
        Common::CLockGuard guard(m_lock);
        member = std::move(value);
    }

    // ---- Under m_lock ----
    void Rebuild();
    void Relayout();
    // Index of the column with that identifier, or -1.
    int32_t IndexOf(int32_t id) const;
    // Index of that column object, or -1.
    int32_t IndexOf(const CColumn* column) const;
    // The visible slot of the column with that identifier, or null.
    const VisibleSlot* VisibleSlotOf(int32_t id) const;
    // The visible column whose right edge exceeds x, or null.
    CColumn* ColumnAt(int64_t x) const;
    // Whether the move rules allow moving (or dropping onto) the column at index.
    bool MayMove(int32_t index) const;

    // ---- With no lock held ----
    void Notify(CColumn* column, int32_t code);
    // Destroys a column taken out of m_columns, or keeps it until the last Pin goes.
    void Discard(std::unique_ptr<CColumn> column);
    bool MoveColumn(int32_t id, int32_t targetId, bool after);
    // Before the column at position (an index, or a visible index when
    // visiblePositions), or after the last one when position is the count.
    bool MoveColumnTo(int32_t id, int32_t position, bool visiblePositions);
    bool SetColumnVisible(int32_t id, bool visible);
    void RemoveAll();
    // The window's scroll position, or nullopt when it cannot be read.
    static std::optional<int32_t> ScrollPosOf(const IHorizontalScrollSource* window);
    Platform::CRect ColumnRect(const IHorizontalScrollSource* window, int32_t id, bool clipped) const;
    // Drops a column that is being destroyed by someone else.
    void ForgetDestroyedColumn(CColumn* column);

    CHeader& m_owner; // Not owned; owns this.
    const bool m_autoDelete;
    CSubscriberList<CHeader::INotify> m_subscribers; // has its own lock

    mutable Common::CLock m_lock;
    std::vector<ColumnSlot> m_columns;
    std::vector<VisibleSlot> m_visible;
    std::vector<IdIndex> m_byId;
    std::vector<int32_t> m_dense;
    std::vector<int32_t> m_rightEdges;
    std::vector<int32_t> m_edgeVisible;
    int32_t m_fixedWidth = 0;
    int32_t m_scrollableWidth = 0;
    int32_t m_fixedCount = 0;
    // Written under m_lock; read without it, as every delivered change of a
    // grid's row reads it to check the grid's cached layout.
    std::atomic<int32_t> m_height{kDefaultHeight};
    std::vector<CSortInfo> m_sort;
    bool m_sortingEnabled = true;
    bool m_multiSortEnabled = true;
    bool m_fixedMovable = true;
    bool m_scrollableMovable = true;
    bool m_thirdFlag = true;
    int32_t m_searchColumn = 0;
    std::optional<QFont> m_font;
    Platform::CImageList* m_imageList = nullptr; // Not owned.
    CColumn* m_focus = nullptr;                  // one of m_columns, or null
    int32_t m_pins = 0;
    std::vector<std::unique_ptr<CColumn>> m_graveyard;
};

} // namespace Brivel::GUI
