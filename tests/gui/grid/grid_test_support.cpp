#include "tests/gui/grid/grid_test_support.h"

#include <QElapsedTimer>
#include <QTest>

namespace Brivel::GUI::Testing {

BRIVEL_BEGIN_FIELD_MAP(CRowObject)
    BRIVEL_FIELD(0, "Name", &CRowObject::GetName, 0, nullptr)
    BRIVEL_FIELD(1, "Value", &CRowObject::GetValue, &CRowObject::SetValue, nullptr)
    BRIVEL_FIELD(2, "Other", &CRowObject::GetOther, &CRowObject::SetOther, nullptr)
BRIVEL_END_FIELD_MAP()

CNotifyRecorder::CNotifyRecorder(QObject& parent)
    : m_receiver(parent, [this](const Platform::CNotifyHeader& header) -> Platform::LRESULT {
          Record record;
          record.code = header.code;
          if (header.code <= kNotifyDataChanged) {
              const CGridNotify& item = CGridNotify::FromHeader(header);
              record.item = item.item;
              record.object = item.object;
              record.listKind = item.listKind;
              record.row = item.row;
              record.state = item.state;
          } else {
              const CGridHeaderNotify& column = CGridHeaderNotify::FromHeader(header);
              record.column = column.column;
              record.argument = column.argument;
          }
          records.push_back(record);
          if (onRecord)
              onRecord(record);
          return 0;
      })
{
}

std::vector<int32_t> CNotifyRecorder::Codes() const
{
    std::vector<int32_t> codes;
    for (const Record& record : records)
        codes.push_back(record.code);
    return codes;
}

int CNotifyRecorder::CountOf(int32_t code) const
{
    int count = 0;
    for (const Record& record : records)
        count += record.code == code ? 1 : 0;
    return count;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::yield();
    }
    return true;
}

void Pump(int ms)
{
    QTest::qWait(ms);
    QCoreApplication::processEvents();
}

std::vector<CGridItem*> RowsOf(CGrid& grid, int32_t kind)
{
    std::vector<CGridItem*> rows;
    const int32_t count = grid.GetRowCount(kind);
    for (int32_t row = 0; row < count; ++row)
        rows.push_back(grid.GetItem(row, kind));
    return rows;
}

std::vector<int32_t> ValuesOf(CGrid& grid, int32_t kind)
{
    std::vector<int32_t> values;
    for (CGridItem* item : RowsOf(grid, kind))
        values.push_back(static_cast<CRowObject*>(item->GetDataObject())->GetValue());
    return values;
}

CHeader* MakeHeader(const std::vector<std::pair<int32_t, int32_t>>& columns, int32_t fixed)
{
    auto header = std::make_unique<CHeader>(true);
    for (const auto& [id, width] : columns)
        header->AddColumn(std::make_unique<CColumn>(id, "Column " + std::to_string(id), width));
    header->SetFixedColumnCount(fixed);
    return header.release(); // handed to SetHeader, which takes auto-delete headers
}

GridTest::GridTest()
{
    parent.resize(400, 300);
    grid = std::make_unique<CGrid>(&parent);
    grid->setGeometry(0, 0, 300, 200);
    parent.show();
    Pump();
}

GridTest::~GridTest()
{
    grid.reset();
}

} // namespace Brivel::GUI::Testing
