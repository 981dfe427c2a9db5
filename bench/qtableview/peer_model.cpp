#include "bench/qtableview/peer_model.h"

#include "app/test_object.h"

#include <cstdio>

namespace QuellonPeer {

using Quellon::CTestObject;

int32_t CPeerModel::ValueOf(const CTestObject& object, int32_t field)
{
    switch (field) {
    case 1: return object.GetValue1();
    case 2: return object.GetValue2();
    case 3: return object.GetValue3();
    case 4: return object.GetValue4();
    case 5: return object.GetValue5();
    case 6: return object.GetValue6();
    case 7: return object.GetValue7();
    case 8: return object.GetValue8();
    case 9: return object.GetValue9();
    default: return object.GetValue10();
    }
}

CPeerModel::CPeerModel(QObject* parent) : QAbstractTableModel(parent) {}

int CPeerModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CPeerModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CPeerModel::data(const QModelIndex& index, int role) const
{
    const CTestObject* object = ObjectAt(index.row());
    if (!object)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return column == 0 ? QString::fromStdString(object->GetName()) : FormatValue(ValueOf(*object, column));
    case kSortRole:
        if (column == 0)
            return QString::fromStdString(object->GetName());
        return column == m_sortKeyColumn ? m_sortKeys[static_cast<size_t>(index.row())] : ValueOf(*object, column);
    case kObjectRole:
        return QVariant::fromValue(const_cast<void*>(static_cast<const void*>(object)));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter | (column == 0 ? Qt::AlignLeft : Qt::AlignRight));
    default:
        return {};
    }
}

QVariant CPeerModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return section == 0 ? QStringLiteral("Name") : QStringLiteral("Column%1").arg(section);
}

void CPeerModel::InsertRow(int32_t row, CTestObject* object)
{
    const int32_t count = static_cast<int32_t>(m_rows.size());
    if (row < 0 || row > count)
        row = count;
    beginInsertRows(QModelIndex(), row, row);
    m_rows.insert(m_rows.begin() + row, object);
    if (m_sortKeyColumn > 0)
        m_sortKeys.insert(m_sortKeys.begin() + row, ValueOf(*object, m_sortKeyColumn));
    endInsertRows();
    if (row == count) {
        if (m_rowOfValid)
            m_rowOf.emplace(object, row);
    } else {
        m_rowOfValid = false; // every row after it moved
    }
}

void CPeerModel::SetSortKeyColumn(int32_t column)
{
    m_sortKeyColumn = column > 0 && column < kColumnCount ? column : -1;
    m_sortKeys.clear();
    if (m_sortKeyColumn > 0) {
        m_sortKeys.reserve(m_rows.size());
        for (const CTestObject* object : m_rows)
            m_sortKeys.push_back(ValueOf(*object, m_sortKeyColumn));
    }
}

void CPeerModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    m_sortKeys.clear();
    m_rowOf.clear();
    m_rowOfValid = false;
    m_changeTimes.clear();
    endResetModel();
}

bool CPeerModel::RemoveRow(int32_t row)
{
    const int32_t count = static_cast<int32_t>(m_rows.size());
    if (row < 0 || row >= count)
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    const CTestObject* object = m_rows[static_cast<size_t>(row)];
    m_rows.erase(m_rows.begin() + row);
    if (m_sortKeyColumn > 0)
        m_sortKeys.erase(m_sortKeys.begin() + row);
    endRemoveRows();
    if (row == count - 1) {
        if (m_rowOfValid)
            m_rowOf.erase(object);
    } else {
        m_rowOfValid = false;
    }
    for (int32_t column = 1; column < kColumnCount; ++column)
        m_changeTimes.erase(CellKey(object, column));
    return true;
}

int32_t CPeerModel::RowOf(const CTestObject* object) const
{
    if (!m_rowOfValid) {
        m_rowOf.clear();
        m_rowOf.reserve(m_rows.size());
        for (size_t row = 0; row < m_rows.size(); ++row)
            m_rowOf.emplace(m_rows[row], static_cast<int32_t>(row));
        m_rowOfValid = true;
    }
    const auto found = m_rowOf.find(object);
    return found == m_rowOf.end() ? -1 : found->second;
}

void CPeerModel::OnValueChanged(const CTestObject* object, int32_t field, int32_t nowMs, bool record)
{
    const int32_t row = RowOf(object);
    if (row < 0 || field <= 0 || field >= kColumnCount)
        return;
    if (record)
        m_changeTimes[CellKey(object, field)] = nowMs;
    if (field == m_sortKeyColumn)
        m_sortKeys[static_cast<size_t>(row)] = ValueOf(*object, field);
    const QModelIndex cell = index(row, field);
    Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole, kSortRole}); // the sort role: a sorting proxy re-sorts the row // the sort role: a sorting proxy re-sorts the row
}

int32_t CPeerModel::ChangeTimeOf(const CTestObject* object, int32_t column) const
{
    if (m_changeTimes.empty())
        return -1;
    const auto found = m_changeTimes.find(CellKey(object, column));
    return found == m_changeTimes.end() ? -1 : found->second;
}

void CPeerModel::PruneChangeTimes(int32_t nowMs, int32_t durationMs)
{
    std::erase_if(m_changeTimes, [&](const auto& entry) { return nowMs - entry.second >= durationMs; });
}

QString CPeerModel::FormatValue(int32_t value)
{
    // Digits from the right, a space before every group of three after the
    // first; the sign in front.
    char text[16];
    char* end = text + sizeof text;
    char* first = end;
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    int digits = 0;
    do {
        if (digits != 0 && digits % 3 == 0)
            *--first = ' ';
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude != 0);
    if (value < 0)
        *--first = '-';
    return QString::fromLatin1(first, end - first);
}

} // namespace QuellonPeer
