#pragma once
// CRowLayout: where the shown rows of a grid are on screen.
//
// The client area, top to bottom: the header strip, the pinned rows from row
// 0 (cut at the client bottom), the separator band (only while the pinned
// list has rows), and the body rows from the top row down to the client
// bottom. The layout lays out exactly the rows that show (a row shows while
// its top is above its area's bottom) once, with their cumulative tops, and
// keeps that until one of the lists changes its layout version or the frame
// (client rectangle, header strip, separator, top row) changes. Every
// question about rows on screen is then answered from that table: the row at
// a y coordinate and the first row inside a rectangle by binary search, an
// item's row through an index by its address, the rectangle of a row or a
// cell, the last visible row. Questions about rows off screen (how many rows
// fit below or above a given row, the last page) walk row heights bounded by
// the area height, never by the row count.
//
// Ownership: borrows its source (which must outlive it) and, through it, the
// lists; the rows it hands out are valid until the next change of a list.
// Thread: GUI thread only.

#include "platform/rect.h"

#include <cstdint>
#include <span>
#include <vector>

namespace Brivel::GUI {

class CGridItem;
class CRowList;

// What the layout depends on besides the lists.
struct RowLayoutFrame {
    Platform::CRect client;      // the client area (the window without its scroll bars)
    int32_t headerStrip = 0;     // height of the header strip; 0: no header shown
    int32_t separatorHeight = 0; // the band below the pinned rows while there are any; 0: none
    int32_t topRow = -1;         // the first body row shown; -1: none (no body rows)
    // Member-wise equality.
    bool operator==(const RowLayoutFrame&) const = default;
};

// What a layout is made from: the grid, or a test's stand-in.
class IRowLayoutSource {
public:
    // The pinned (1) or body (2) list; null for any other kind (or none).
    virtual CRowList* GetRowList(int32_t /*kind*/) const { return nullptr; }
    // The frame the rows are laid out in.
    virtual RowLayoutFrame GetRowLayoutFrame() const = 0;

protected:
    IRowLayoutSource() = default;
    IRowLayoutSource(const IRowLayoutSource&) = default;
    IRowLayoutSource& operator=(const IRowLayoutSource&) = default;
    ~IRowLayoutSource() = default;
};

class CRowLayout {
public:
    // One row on screen.
    struct Row {
        CGridItem* item = nullptr; // Not owned; valid while the layout is current.
        int32_t kind = 0;          // 1 pinned, 2 body
        int32_t row = -1;          // the row index within its list
        int32_t top = 0;           // client y of the row's top
        int32_t height = 0;        // the row's full height
        int32_t visibleHeight = 0; // cut at the bottom of its area
        int32_t VisibleBottom() const noexcept { return top + visibleHeight; } // the end of its visible part
    };
    static_assert(sizeof(Row) <= 32, "the on-screen table is rebuilt on every list change; keep rows small");

    // The vertical layout of the client area, top to bottom (exclusive ends).
    struct Areas {
        Platform::CRect client; // the client area
        int32_t pinnedTop = 0;    // below the header strip
        int32_t pinnedBottom = 0; // the end of the last pinned row shown
        int32_t bodyTop = 0;      // below the separator band
        int32_t bottom = 0;       // the client bottom
    };

    // The layout of the rows of `source`; built on first use.
    explicit CRowLayout(const IRowLayoutSource& source) : m_source(source) {}
    CRowLayout(const CRowLayout&) = delete;
    CRowLayout& operator=(const CRowLayout&) = delete;

    const Areas& GetAreas() const { return Current().areas; } // the areas, laid out now if needed
    // The same areas, not laid out again when only the body's rows changed
    // since the last layout: body rows lie below every edge of the areas and
    // move none of them. (A run of removals at the top of the screen asks for
    // the body area once a removal.)
    const Areas& GetAreasOverBodyRows() const;
    Platform::CRect PinnedArea() const; // the pinned rows' area
    Platform::CRect SeparatorBand() const; // the band between the two lists
    Platform::CRect BodyArea() const; // the body rows' area

    // The rows on screen: the pinned rows, then the body rows, top to bottom.
    std::span<const Row> GetRows() const { return Current().rows; }
    // The rows on screen of one list kind (empty for any other kind).
    std::span<const Row> GetRows(int32_t kind) const;
    // The rows on screen that reach below `y` (their visible bottom > y):
    // found by binary search over the tops.
    std::span<const Row> GetRowsFrom(int32_t y) const;
    // The row shown at client y; null over the header, the band, or below
    // the rows.
    const Row* RowAt(int32_t y) const;
    // The on-screen entry of `item`; null when it is not on screen.
    const Row* Find(const CGridItem& item) const;
    // The on-screen entry of `row` of `list`; null when it is not on screen.
    const Row* Find(const CRowList& list, int32_t row) const;

    // The top y of `row` of `list` (row == count: where the next row would
    // start); -1 when it lies outside its area (above the top row, or at or
    // below the area's bottom).
    int32_t RowTop(const CRowList& list, int32_t row) const;
    // A row's rectangle across the client width, cut at its area's bottom;
    // empty when it is not on screen.
    Platform::CRect RowRect(const CRowList& list, int32_t row) const;
    Platform::CRect ItemRect(const CGridItem& item) const; // the same for a shown item
    Platform::CRect RowRect(const Row& row) const; // the same for a row of the table
    // The cell of the column spanning `columnLeft .. columnRight` in `rowRect`.
    static Platform::CRect CellRect(const Platform::CRect& rowRect, int32_t columnLeft, int32_t columnRight)
    {
        return Platform::CRect(columnLeft, rowRect.top, columnRight, rowRect.bottom);
    }
    // The last row of `kind` that shows, even in part; -1 when none does.
    int32_t LastVisibleRow(int32_t kind) const;

    // Body rows that fit whole into the body area from `startRow` down
    // (forward) or up; 0 for a row out of range.
    int32_t RowsThatFit(int32_t startRow, bool forward) const;
    // The top row that still fills the last page.
    int32_t LastPageTop() const;
    // The height of body rows from .. to - 1, counted until it reaches `limit`.
    int32_t BodyRowsHeight(int32_t from, int32_t to, int32_t limit) const;

    // Test seam: how many times the table was laid out.
    int64_t GetBuildCountForTesting() const { return m_builds; }

private:
    struct Key {
        const CRowList* pinned = nullptr;
        const CRowList* body = nullptr;
        uint64_t pinnedVersion = 0;
        uint64_t bodyVersion = 0;
        RowLayoutFrame frame;
        bool operator==(const Key&) const = default;
    };
    struct Table {
        Areas areas;
        std::vector<Row> rows;
        size_t pinnedCount = 0; // rows[0, pinnedCount) are pinned, the rest body
        // Open addressing by item address: index + 1 into `rows`, 0 free; a
        // power of two at least twice the rows. Every delivered change asks
        // for its item's row, nearly always one that is not on screen.
        std::vector<uint32_t> itemSlots;
    };

    // The key of the lists and the frame as they are now.
    Key CurrentKey() const;
    // The table for `key`, laid out again when it is stale.
    const Table& TableFor(const Key& key) const;
    const Table& Current() const { return TableFor(CurrentKey()); }
    static std::span<const Row> RowsOf(const Table& table, int32_t kind);
    static const Row* FindIn(std::span<const Row> rows, int32_t row);
    // Whether `row` of `list` (one of the key's lists) may be on screen:
    // false above the top row or further below it than the client is high.
    static bool IsLaidOut(const Key& key, const CRowList& list, int32_t row);
    void Build(const Key& key) const;
    static size_t SlotOf(const CGridItem* item, size_t mask)
    {
        // Fibonacci hashing of the address; items are at least 16-byte aligned.
        return static_cast<size_t>((reinterpret_cast<uintptr_t>(item) >> 4) * 0x9E3779B97F4A7C15ull >> 32) & mask;
    }
    static void IndexRows(Table& table);

    const IRowLayoutSource& m_source; // Not owned; outlives this.
    // Cache; refreshed by the const getters.
    mutable Table m_table;
    mutable Key m_key;
    mutable bool m_valid = false;
    mutable int64_t m_builds = 0;
};

} // namespace Brivel::GUI
