// Brivel::Gui: a grid with a few rows, offscreen. It sorts, follows a
// change made on another thread, and its stored settings bring the sort
// back in a second grid.
#include <common/data_object.h>
#include <common/field_table.h>
#include <gui/grid/grid.h>
#include <gui/header/column.h>
#include <gui/header/header.h>
#include <gui/rows/grid_item.h>
#include <platform/archive.h>

#include <QApplication>
#include <QElapsedTimer>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace Brivel::GUI;

namespace {

class CRow : public Brivel::Common::CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()
public:
    CRow(std::string name, int32_t value) : m_name(std::move(name)), m_value(value) {}
    ~CRow() override { AnnounceDeletion(); }
    std::string GetName() const { return m_name; }
    int32_t GetValue() const { return m_value.load(std::memory_order_relaxed); }
    void Change(int32_t value)
    {
        m_value.store(value, std::memory_order_relaxed);
        NotifyUpdate(1);
    }
private:
    const std::string m_name;
    std::atomic<int32_t> m_value;
};

BRIVEL_BEGIN_FIELD_MAP(CRow)
    BRIVEL_FIELD(0, "Name", &CRow::GetName, 0, nullptr)
    BRIVEL_FIELD(1, "Value", &CRow::GetValue, 0, nullptr)
BRIVEL_END_FIELD_MAP()

void AddHeader(CGrid& grid)
{
    auto header = std::make_unique<CHeader>(true);
    header->AddColumn(std::make_unique<CColumn>(0, "Name", 80));
    header->AddColumn(std::make_unique<CColumn>(1, "Value", 60, CColumn::kAlignRight));
    grid.SetHeader(header.release()); // auto-delete: the grid owns it
}

std::string FirstName(CGrid& grid)
{
    CGridItem* const item = grid.GetItem(0);
    return item != nullptr ? grid.GetCellText(item, 0) : std::string();
}

int Fail(const char* what)
{
    std::fprintf(stderr, "gui_check: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    std::vector<std::unique_ptr<CRow>> rows;
    rows.push_back(std::make_unique<CRow>("alpha", 10));
    rows.push_back(std::make_unique<CRow>("beta", 30));
    rows.push_back(std::make_unique<CRow>("gamma", 20));

    CGrid grid;
    grid.resize(300, 200);
    AddHeader(grid);
    for (const auto& row : rows)
        grid.Add(row.get());
    grid.SetSortKey(0, CSortInfo(1, true)); // highest value first
    grid.show();
    if (grid.GetRowCount() != 3 || FirstName(grid) != "beta")
        return Fail("rows or sort wrong");

    std::thread([&] { rows[0]->Change(99); }).join();
    QElapsedTimer waited;
    waited.start();
    while (FirstName(grid) != "alpha" && waited.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (FirstName(grid) != "alpha")
        return Fail("a change from another thread did not re-sort the grid");

    Brivel::Platform::CArchive store;
    grid.Serialize(store);
    CGrid restored;
    AddHeader(restored);
    Brivel::Platform::CArchive load(store.GetData());
    restored.Serialize(load);
    if (restored.GetSortKey(0).GetFieldId() != 1 || !restored.GetSortKey(0).IsDescending())
        return Fail("stored settings did not bring the sort back");

    std::puts("gui_check: ok");
    return 0; // the grids go before the rows (declared after them)
}
