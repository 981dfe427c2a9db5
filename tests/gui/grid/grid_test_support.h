#pragma once
// Doubles and helpers for the grid window tests: a row object with a name and
// two integer fields whose setters announce the change, a parent widget that
// records every notification the grid sends it, and a fixture that makes a
// shown grid under that parent.

#include "common/data_object.h"
#include "common/field_table.h"
#include "gui/grid/grid.h"
#include "gui/grid/grid_impl.h"
#include "gui/rows/grid_item.h"
#include "gui/header/header.h"

#include "platform/notify.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Brivel::GUI::Testing {

// Fields: 0 "Name" (std::string), 1 "Value" and 2 "Other" (int32_t). The
// setters store the value and announce it (NotifyUpdate with the field id),
// on the calling thread.
class CRowObject final : public Common::CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()

public:
    static constexpr int32_t kName = 0;
    static constexpr int32_t kValue = 1;
    static constexpr int32_t kOther = 2;

    explicit CRowObject(int32_t value = 0, std::string name = {}) : m_name(std::move(name)), m_value(value) {}
    ~CRowObject() override { AnnounceDeletion(); }

    std::string GetName() const { return m_name; }
    int32_t GetValue() const { return m_value.load(); }
    int32_t GetOther() const { return m_other.load(); }
    void SetValue(int32_t value)
    {
        m_value.store(value);
        NotifyUpdate(kValue);
    }
    void SetOther(int32_t value)
    {
        m_other.store(value);
        NotifyUpdate(kOther);
    }

private:
    std::string m_name;
    std::atomic<int32_t> m_value{0};
    std::atomic<int32_t> m_other{0};
};

// A parent that records the notifications it receives.
class CNotifyRecorder {
public:
    struct Record {
        int32_t code = -1;
        CGridItem* item = nullptr;
        Common::CDataObject* object = nullptr;
        int32_t listKind = 0;
        int32_t row = -1;
        uint32_t state = 0;
        CColumn* column = nullptr;
        int32_t argument = 0; // of column and header events
    };

    explicit CNotifyRecorder(QObject& parent);

    std::vector<int32_t> Codes() const;
    int CountOf(int32_t code) const;
    void Clear() { records.clear(); }

    std::vector<Record> records;
    std::function<void(const Record&)> onRecord;

private:
    Platform::CNotifyReceiver m_receiver;
};

// Runs the GUI thread's event loop until `done` answers true or `timeoutMs`
// passes; answers done(). Waits only ever bound a failure, never a pass.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);
// Runs the event loop for `ms` milliseconds (lets posted work and timers run).
void Pump(int ms = 0);

// Runs `work` on a worker while the GUI thread serves the grid, and waits
// for it (a hang fails the test instead of blocking it).
template <class Work>
void RunOnWorker(Work work)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    const bool finished = PumpUntil([&] { return done.load(); }, 60000);
    worker.join();
    ASSERT_TRUE(finished);
}

// Items of a grid list in row order.
std::vector<CGridItem*> RowsOf(CGrid& grid, int32_t kind = CGrid::kBodyList);
// The int field kValue of each row, in row order.
std::vector<int32_t> ValuesOf(CGrid& grid, int32_t kind = CGrid::kBodyList);

// A header with columns of the given field ids and widths (the first
// `fixed` visible ones fixed); the grid takes it over (auto-delete).
CHeader* MakeHeader(const std::vector<std::pair<int32_t, int32_t>>& columns, int32_t fixed = 0);

// A shown grid of 300 x 200 pixels under a recording parent.
class GridTest : public ::testing::Test {
protected:
    GridTest();
    ~GridTest() override;

    CGrid::CGridImpl& Impl() { return grid->GetImpl(); }

    QWidget parent;
    CNotifyRecorder recorder{parent};
    std::unique_ptr<CGrid> grid;
};

} // namespace Brivel::GUI::Testing
