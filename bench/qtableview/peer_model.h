#pragma once
// CPeerModel: the table model of the QTableView peer, written as a Qt
// developer who cares about speed writes one: a QAbstractTableModel over a
// vector of the benchmark's own row objects (CTestObject, borrowed), eleven
// columns (the name and Value 1 .. Value 10), one beginInsertRows /
// endInsertRows per added row, and values shown with a space between groups
// of three digits, as the grid shows them.
//
// It also keeps what the peer needs for highlighting changed cells: the time
// of each cell's last change, only for cells changed within the highlight's
// duration (a hash keyed by object and column, pruned as highlights end), so
// that a row costs nothing for it while it does not change.
//
// The objects' values change on the thread that makes the changes, before
// the model hears of it; a sorting proxy that read them live would see rows
// change their sort key without a dataChanged and insert later rows among
// them by a binary search over keys no longer in order. So while a column is
// the sort key the model serves that column's sort role from a copy of the
// values as last announced (4 bytes a row, only while sorted).
//
// Changes reach it as (object, field) pairs; it finds the object's row
// through a hash from object to row, kept up to date by tail inserts and tail
// removals and rebuilt on the first look-up after any other insert or removal.
//
// Ownership: borrows the objects; the frame owns them and removes their rows
// before deleting them.
// Thread: GUI thread only (it is the view's model).

#include <QAbstractTableModel>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace Quellon {
class CTestObject;
}

namespace QuellonPeer {

class CPeerModel : public QAbstractTableModel {
public:
    static constexpr int kColumnCount = 11; // the name, then Value 1 .. Value 10
    // data() roles beyond Qt's: the value to sort by (an int, or the name),
    // and the row's object (a void pointer) for the delegate.
    static constexpr int kSortRole = Qt::UserRole;
    static constexpr int kObjectRole = Qt::UserRole + 1;

    explicit CPeerModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Inserts one row before `row` (the row count or -1: at the tail).
    void InsertRow(int32_t row, Quellon::CTestObject* object);
    // Removes every row at once (a model reset).
    void Clear();
    // Removes one row; false when there is none at `row`.
    bool RemoveRow(int32_t row);
    // The row showing `object`, -1 when none.
    int32_t RowOf(const Quellon::CTestObject* object) const;
    Quellon::CTestObject* ObjectAt(int32_t row) const
    {
        return row >= 0 && row < static_cast<int32_t>(m_rows.size()) ? m_rows[static_cast<size_t>(row)] : nullptr;
    }

    // A field of `object` changed at `nowMs`: records the cell's change time
    // (when `record`) and announces the cell through dataChanged.
    void OnValueChanged(const Quellon::CTestObject* object, int32_t field, int32_t nowMs, bool record);
    // Serves `column`'s sort role from announced values (-1: none, live).
    void SetSortKeyColumn(int32_t column);

    // The time of the cell's last change still kept, or -1.
    int32_t ChangeTimeOf(const Quellon::CTestObject* object, int32_t column) const;
    // Forgets the change times older than `durationMs` at `nowMs`.
    void PruneChangeTimes(int32_t nowMs, int32_t durationMs);
    bool HasChangeTimes() const { return !m_changeTimes.empty(); }

    // Value `field` (1 .. 10) of the object.
    static int32_t ValueOf(const Quellon::CTestObject& object, int32_t field);
    // The text of a value as the grid shows it: "1 073 676 289".
    static QString FormatValue(int32_t value);

private:
    static uint64_t CellKey(const Quellon::CTestObject* object, int32_t column)
    {
        return (static_cast<uint64_t>(reinterpret_cast<uintptr_t>(object)) << 4) | static_cast<uint64_t>(column);
    }

    std::vector<Quellon::CTestObject*> m_rows; // display order of the source model
    int32_t m_sortKeyColumn = -1;
    std::vector<int32_t> m_sortKeys; // by row, while m_sortKeyColumn is a value column
    mutable std::unordered_map<const Quellon::CTestObject*, int32_t> m_rowOf; // cache; rebuilt by RowOf
    mutable bool m_rowOfValid = false;
    std::unordered_map<uint64_t, int32_t> m_changeTimes; // CellKey -> ms of the last change
};

} // namespace QuellonPeer
