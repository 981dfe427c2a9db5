#pragma once
// Shared by the frame's tests: an application with its frame created the way
// quellon creates it (offscreen), event-loop pumping, and dialog runners that
// fill in the benchmark's dialogs by control id and press OK or Cancel.
#include "app/add_items_dlg.h"
#include "app/log_message.h"
#include "app/benchmark_app.h"
#include "app/commands.h"
#include "app/main_frame.h"
#include "app/remove_items_dlg.h"
#include "app/test_object.h"

#include "gui/grid/grid.h"
#include "gui/rows/grid_item.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace Quellon::Testing {

// Runs the event loop for `ms` (timers, posted calls, painting).
inline void Pump(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done` or a generous guard; the guard only keeps
// a broken build from hanging the suite.
inline bool PumpUntil(const std::function<bool()>& done, int guardMs = 60'000)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > guardMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

inline void SetText(QDialog& dialog, int32_t id, const QString& text)
{
    auto* edit = dialog.findChild<QLineEdit*>(QString::number(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(text);
}

inline void Click(QDialog& dialog, int32_t id)
{
    auto* button = dialog.findChild<QAbstractButton*>(QString::number(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

// Fills the add or remove dialog: `count` as text (empty: keep the preset),
// the position and thread radio indexes, then OK (or Cancel).
inline CMainFrame::DialogRunner ItemsRunner(QString count, int positionIndex, int threadIndex, bool ok = true)
{
    return [=](QDialog& dialog) {
        if (!count.isEmpty())
            SetText(dialog, kIdcCount, count);
        Click(dialog, kIdcPositionHead + positionIndex);
        Click(dialog, threadIndex == 1 ? kIdcThreadWorker : kIdcThreadGui);
        Click(dialog, ok ? kIdOk : kIdCancel);
        return dialog.result();
    };
}

inline CMainFrame::DialogRunner UpdateRunner(int frequency, int source, bool ok = true)
{
    return [=](QDialog& dialog) {
        SetText(dialog, kIdcFrequency, QString::number(frequency));
        Click(dialog, source == 1 ? kIdcSourceWorker : kIdcSourceGui);
        Click(dialog, ok ? kIdOk : kIdCancel);
        return dialog.result();
    };
}

inline std::string NameOfRow(Brivel::GUI::CGrid& grid, int32_t row)
{
    Brivel::GUI::CGridItem* item = grid.GetItem(row);
    auto* object = item ? dynamic_cast<CTestObject*>(item->GetDataObject()) : nullptr;
    return object ? object->GetName() : std::string("<none>");
}

// An application with its frame, as quellon starts it (3000 rows unless told
// otherwise), shown offscreen.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Closing a frame must not end the suite's application.
        QGuiApplication::setQuitOnLastWindowClosed(false);
        CAddItemsDlg::ResetRememberedValuesForTesting();
        CRemoveItemsDlg::ResetRememberedValuesForTesting();
    }
    void TearDown() override { m_app.reset(); }

    CMainFrame& Start(int32_t initialRows = 3000)
    {
        m_app = std::make_unique<CBenchmarkApp>();
        CMainFrame::Options options;
        options.initialRows = initialRows;
        EXPECT_TRUE(m_app->InitInstance(options, true));
        m_app->GetMainFrame()->resize(900, 600);
        return *m_app->GetMainFrame();
    }

    CMainFrame& Frame() { return *m_app->GetMainFrame(); }
    Brivel::GUI::CGrid& TestGrid() { return *Frame().GetTestGrid(); }
    Brivel::GUI::CGrid& LogGrid() { return *Frame().GetLogGrid(); }
    CMainFrame::LogLine LastLog()
    {
        auto lines = Frame().GetLogLines();
        return lines.empty() ? CMainFrame::LogLine{-1, ""} : lines.back();
    }
    void Run(int32_t command, CMainFrame::DialogRunner runner)
    {
        Frame().SetDialogRunner(std::move(runner));
        Frame().OnCommand(command);
        Frame().SetDialogRunner(nullptr);
    }
    // Runs a command whose run goes to the worker and waits until it is over.
    void RunOnWorker(int32_t command, CMainFrame::DialogRunner runner)
    {
        const uint64_t posted = Frame().GetWorkerRunsPosted();
        Run(command, std::move(runner));
        ASSERT_EQ(Frame().GetWorkerRunsPosted(), posted + 1) << "the run went to the worker";
        ASSERT_TRUE(PumpUntil([&] { return Frame().GetWorkerRunsFinished() == Frame().GetWorkerRunsPosted(); }));
    }

    std::unique_ptr<CBenchmarkApp> m_app;
};

inline bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.rfind(prefix, 0) == 0;
}

inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace Quellon::Testing
