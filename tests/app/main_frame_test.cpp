// The main frame as quellon starts it: its grids, headers, options, menus,
// toolbar and caption, and every command with its option, tick mark and log
// line.
#include "frame_test_support.h"

#include "gui/header/column.h"
#include "gui/header/header.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QToolBar>

namespace Quellon {
namespace {

using namespace Testing;
using Brivel::GUI::CGrid;

QStringList ActionTexts(const QList<QAction*>& actions)
{
    QStringList texts;
    for (QAction* action : actions)
        texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
    return texts;
}

TEST(FrameGeometryTest, TheFrameOpensAtFourFifthsOfTheScreenCentredAndNoSmallerThanItCanBe)
{
    EXPECT_EQ(CMainFrame::InitialGeometry(QRect(0, 0, 1920, 1080)), QRect(192, 108, 1536, 864));
    EXPECT_EQ(CMainFrame::InitialGeometry(QRect(0, 0, 1280, 800)), QRect(128, 50, 1024, 700)) << "at least 1024 x 700";
    EXPECT_EQ(CMainFrame::InitialGeometry(QRect(100, 40, 900, 600)), QRect(100, 40, 900, 600)) << "as the screen allows";
    EXPECT_EQ(CMainFrame::InitialGeometry(QRect(-1920, 0, 1920, 1200)), QRect(-1728, 120, 1536, 960));
}

TEST(FrameStartTest, AShownFrameTakesItsPlaceOnItsScreen)
{
    CBenchmarkApp app;
    CMainFrame::Options options;
    options.initialRows = 0;
    ASSERT_TRUE(app.InitInstance(options, true));
    CMainFrame& frame = *app.GetMainFrame();
    ASSERT_NE(frame.screen(), nullptr);
    EXPECT_EQ(frame.geometry(), CMainFrame::InitialGeometry(frame.screen()->availableGeometry()));
    app.ExitInstance();
}

TEST_F(FrameTest, StartUpAddsThreeThousandRowsAndOneLogLine)
{
    CMainFrame& frame = Start();
    // The caption of window creation was computed before the first rows.
    const std::string first = frame.windowTitle().toStdString();
    EXPECT_TRUE(StartsWith(first, "Brivel grid: items = 0, size = ")) << first;
    EXPECT_TRUE(Contains(first, ", CPU usage = ")) << first;
    EXPECT_EQ(first.back(), '%');

    EXPECT_EQ(TestGrid().GetRowCount(CGrid::kBodyList), 3000);
    EXPECT_EQ(frame.GetTestObjectCount(), 3000);
    const auto log = frame.GetLogLines();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].actionType, 0) << "Add";
    EXPECT_TRUE(StartsWith(log[0].text, "3000 items have been added to tail from GUI thread in ")) << log[0].text;
    EXPECT_TRUE(Contains(log[0].text, " sec. Items in grid 0 => 3000. Average speed = ")) << log[0].text;
    EXPECT_TRUE(Contains(log[0].text, " lines/sec.")) << log[0].text;
    EXPECT_EQ(LogGrid().GetRowCount(), 1);
    EXPECT_EQ(NameOfRow(TestGrid(), 0), "Item 0");
    EXPECT_EQ(NameOfRow(TestGrid(), 2999), "Item 2999");

    // The next caption counts them, with the grid's size.
    Pump(50);
    frame.UpdateStatusCaption();
    const std::string next = frame.windowTitle().toStdString();
    const std::string size = std::to_string(TestGrid().width()) + "x" + std::to_string(TestGrid().height());
    EXPECT_TRUE(StartsWith(next, "Brivel grid: items = 3000, size = " + size + ", CPU usage = ")) << next;

    EXPECT_TRUE(frame.IsUpdatesEnabled());
    EXPECT_EQ(frame.GetUpdateSource(), 0);
    EXPECT_EQ(frame.GetUpdateFrequency(), 5000);
}

TEST_F(FrameTest, GridsHaveTheirHeadersAndOptions)
{
    Start(10);
    Brivel::GUI::CHeader* testHeader = TestGrid().GetHeader();
    ASSERT_NE(testHeader, nullptr);
    ASSERT_EQ(testHeader->GetColumnCount(), 11);
    EXPECT_EQ(testHeader->GetColumn(0)->GetId(), 0);
    EXPECT_EQ(testHeader->GetColumn(0)->GetCaption(), "Name");
    EXPECT_EQ(testHeader->GetColumn(0)->GetWidth(), 70);
    for (int32_t index = 1; index <= 10; ++index) {
        Brivel::GUI::CColumn* column = testHeader->GetColumn(index);
        EXPECT_EQ(column->GetId(), index);
        EXPECT_EQ(column->GetCaption(), "Column" + std::to_string(index));
        EXPECT_EQ(column->GetWidth(), 80);
        EXPECT_EQ(column->GetAlignment(), 0);
    }
    EXPECT_FALSE(TestGrid().IsNotifyParent());
    EXPECT_TRUE(TestGrid().IsHighlightChangedValues());
    EXPECT_EQ(TestGrid().GetHighlightSettings().mode, 5);
    EXPECT_EQ(TestGrid().GetHighlightSettings().backColor, Brivel::Platform::RGB(230, 10, 14));
    EXPECT_EQ(TestGrid().GetPaintElementMask(), 0x7FFFFu & ~0x2000u);
    EXPECT_EQ(TestGrid().GetAppearance().evenBackColor, Brivel::Platform::RGB(230, 237, 237));

    Brivel::GUI::CHeader* logHeader = LogGrid().GetHeader();
    ASSERT_NE(logHeader, nullptr);
    ASSERT_EQ(logHeader->GetColumnCount(), 3);
    const struct {
        int32_t id;
        const char* caption;
        int32_t width;
        int32_t alignment;
    } logColumns[] = {{1, "Time", 70, 0}, {0, "Action", 50, 1}, {2, "Message", 700, 0}};
    for (int32_t index = 0; index < 3; ++index) {
        Brivel::GUI::CColumn* column = logHeader->GetColumn(index);
        EXPECT_EQ(column->GetId(), logColumns[index].id);
        EXPECT_EQ(column->GetCaption(), logColumns[index].caption);
        EXPECT_EQ(column->GetWidth(), logColumns[index].width);
        EXPECT_EQ(column->GetAlignment(), logColumns[index].alignment);
    }
    EXPECT_EQ(LogGrid().GetSortKeyCount(), 1);
    EXPECT_EQ(LogGrid().GetSortKey(0).GetFieldId(), 1);
    EXPECT_TRUE(LogGrid().GetSortKey(0).IsDescending());
    EXPECT_FALSE(LogGrid().IsHighlightChangedValues());
    EXPECT_EQ(LogGrid().GetPaintElementMask(), 0x7FFFFu & ~0x2000u);
    EXPECT_EQ(LogGrid().GetAppearance().evenBackColor, Brivel::Platform::RGB(240, 240, 240));

    // Test grid above, log grid below, the upper pane the larger.
    QSplitter* splitter = Frame().GetSplitter();
    EXPECT_EQ(splitter->orientation(), Qt::Vertical);
    ASSERT_EQ(splitter->count(), 2);
    EXPECT_EQ(splitter->widget(0), &TestGrid());
    EXPECT_EQ(splitter->widget(1), &LogGrid());
    Pump(20);
    EXPECT_GT(splitter->sizes()[0], splitter->sizes()[1]);
}

TEST_F(FrameTest, LogGridShowsTheNewestLineFirst)
{
    Start(10);
    Frame().AddLogMessage(3, "second");
    Pump(5); // a later time stamp
    Frame().AddLogMessage(3, "third");
    ASSERT_EQ(LogGrid().GetRowCount(), 3);
    auto* top = dynamic_cast<CLogMessage*>(LogGrid().GetItem(0)->GetDataObject());
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->GetMessage(), "third");
}

TEST_F(FrameTest, MenusAndToolbarInTheirOrder)
{
    CMainFrame& frame = Start(10);
    QStringList menus;
    for (QAction* action : frame.menuBar()->actions())
        menus << action->text();
    EXPECT_EQ(menus, QStringList({"Settings", "&File", "&View", "&Help"}));

    const QList<QAction*> top = frame.menuBar()->actions();
    EXPECT_EQ(ActionTexts(top[0]->menu()->actions()),
              QStringList({"Add items...", "Remove items...", "Update settings...", "|", "Enable updates", "|",
                           "OnIdle optimization", "Notifications optimization", "Double buffering", "|",
                           "No highlighting", "Alpha-blend highlighting", "Fading highlighting"}));
    EXPECT_EQ(ActionTexts(top[1]->menu()->actions()), QStringList({"E&xit"}));
    EXPECT_EQ(ActionTexts(top[2]->menu()->actions()), QStringList({"&Toolbar"}));
    EXPECT_EQ(ActionTexts(top[3]->menu()->actions()), QStringList({"&About..."}));

    QToolBar* toolbar = frame.GetToolBar();
    EXPECT_EQ(toolbar->iconSize(), QSize(24, 24));
    QStringList buttons;
    for (QAction* action : toolbar->actions())
        buttons << (action->isSeparator() ? QStringLiteral("|") : action->objectName());
    EXPECT_EQ(buttons, QStringList({"32771", "32772", "32776", "|", "32775", "32773", "32774", "32780", "|",
                                    "32777", "32778", "32779"}));
    EXPECT_EQ(frame.GetAction(kCmdNotificationsOptimization)->toolTip(),
              "Prevent the grid from sending notifications to the parent window");
    EXPECT_EQ(frame.GetAction(kCmdFadingHighlighting)->toolTip(), "Fading effect");
    EXPECT_EQ(frame.GetAction(kCmdAddItems)->statusTip(), "Add new lines to the grid");
    EXPECT_FALSE(frame.GetAction(kCmdAddItems)->icon().isNull());

    // One action per command: menu item and button show one tick mark.
    EXPECT_TRUE(top[0]->menu()->actions().contains(frame.GetAction(kCmdDoubleBuffering)));
    EXPECT_TRUE(toolbar->actions().contains(frame.GetAction(kCmdDoubleBuffering)));

    // "&Toolbar" hides and shows the toolbar, ticked while shown.
    QAction* view = frame.GetAction(kCmdViewToolbar);
    EXPECT_TRUE(view->isChecked());
    view->trigger();
    EXPECT_TRUE(toolbar->isHidden());
    EXPECT_FALSE(view->isChecked());
    view->trigger();
    EXPECT_FALSE(toolbar->isHidden());

    // The accelerators are there, with no handler of the frame's.
    QAction* copy = frame.GetAction(kCmdEditCopy);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->shortcuts(), QList<QKeySequence>({QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")}));
    EXPECT_EQ(frame.GetAction(kCmdNextPane)->shortcuts(), QList<QKeySequence>({QKeySequence("F6")}));
    EXPECT_EQ(frame.GetAction(kCmdPrevPane)->shortcuts(), QList<QKeySequence>({QKeySequence("Shift+F6")}));
    const size_t lines = frame.GetLogLines().size();
    copy->trigger();
    EXPECT_EQ(frame.GetLogLines().size(), lines);
}

TEST_F(FrameTest, EveryToggleCommandFlipsItsOptionTickAndLogLine)
{
    CMainFrame& frame = Start(10);
    struct Step {
        int32_t command;
        std::function<bool()> option; // the option's state after the command
        bool expected;
        const char* log;
    };
    const std::vector<Step> steps = {
        {kCmdEnableUpdates, [&] { return frame.IsUpdatesEnabled(); }, false, "Updates are disabled."},
        {kCmdEnableUpdates, [&] { return frame.IsUpdatesEnabled(); }, true, "Updates are enabled."},
        {kCmdOnIdleOptimization, [&] { return m_app->IsOnIdleOptimization(); }, false, "OnIdle optimization is disabled."},
        {kCmdOnIdleOptimization, [&] { return m_app->IsOnIdleOptimization(); }, true, "OnIdle optimization is enabled."},
        {kCmdNotificationsOptimization, [&] { return TestGrid().IsNotifyParent(); }, true,
         "Allow grid to send notifications to the parent."},
        {kCmdNotificationsOptimization, [&] { return TestGrid().IsNotifyParent(); }, false,
         "Prevent grid from sending notifications"},
        {kCmdDoubleBuffering, [&] { return TestGrid().IsDoubleBuffered(); }, false, "Double buffering is disabled."},
        {kCmdDoubleBuffering, [&] { return TestGrid().IsDoubleBuffered(); }, true, "Double buffering is enabled."},
        {kCmdNoHighlighting, [&] { return TestGrid().IsHighlightChangedValues(); }, false, "Highlighting is disabled"},
        {kCmdFadingHighlighting, [&] { return TestGrid().GetHighlightSettings().mode == 8; }, true,
         "Fading effect is enabled"},
        {kCmdAlphaHighlighting, [&] { return TestGrid().GetHighlightSettings().mode == 5; }, true,
         "Alpha-blend highlighting is enabled"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.log);
        const size_t before = frame.GetLogLines().size();
        frame.GetAction(step.command)->trigger(); // as the menu or the toolbar does
        EXPECT_EQ(step.option(), step.expected);
        ASSERT_EQ(frame.GetLogLines().size(), before + 1);
        EXPECT_EQ(LastLog().actionType, 3) << "Settings";
        EXPECT_EQ(LastLog().text, step.log);
        frame.UpdateCommandStates();
        // Tick marks follow the state each command shows.
        EXPECT_EQ(frame.GetAction(kCmdEnableUpdates)->isChecked(), frame.IsUpdatesEnabled());
        EXPECT_EQ(frame.GetAction(kCmdOnIdleOptimization)->isChecked(), m_app->IsOnIdleOptimization());
        EXPECT_EQ(frame.GetAction(kCmdNotificationsOptimization)->isChecked(), !TestGrid().IsNotifyParent());
        EXPECT_EQ(frame.GetAction(kCmdDoubleBuffering)->isChecked(), TestGrid().IsDoubleBuffered());
        const bool on = TestGrid().IsHighlightChangedValues();
        const int32_t mode = TestGrid().GetHighlightSettings().mode;
        EXPECT_EQ(frame.GetAction(kCmdNoHighlighting)->isChecked(), !on);
        EXPECT_EQ(frame.GetAction(kCmdAlphaHighlighting)->isChecked(), on && mode == 5);
        EXPECT_EQ(frame.GetAction(kCmdFadingHighlighting)->isChecked(), on && mode == 8);
    }
    // Choosing the current highlighting again keeps its tick (the action
    // does not untick itself).
    frame.GetAction(kCmdAlphaHighlighting)->trigger();
    EXPECT_TRUE(frame.GetAction(kCmdAlphaHighlighting)->isChecked());
    EXPECT_TRUE(TestGrid().IsHighlightChangedValues());
}

TEST_F(FrameTest, UpdateSettingsCommandStoresAndLogsTheStream)
{
    CMainFrame& frame = Start(10);
    EXPECT_TRUE(frame.IsWindowUpdateTimerRunning());
    Run(kCmdUpdateSettings, UpdateRunner(1000, 1));
    EXPECT_EQ(frame.GetUpdateFrequency(), 1000);
    EXPECT_EQ(frame.GetUpdateSource(), 1);
    EXPECT_FALSE(frame.IsWindowUpdateTimerRunning()) << "the timer thread makes the steps";
    EXPECT_EQ(LastLog().actionType, 3);
    EXPECT_EQ(LastLog().text, "Updates from non-GUI thead with frequency 1000 upd/sec. ");

    // The dialog starts from the current values.
    frame.SetDialogRunner([](QDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QLineEdit*>("1006")->text(), "1000");
        EXPECT_TRUE(dialog.findChild<QAbstractButton*>("1002")->isChecked());
        dialog.reject();
        return dialog.result();
    });
    const size_t lines = frame.GetLogLines().size();
    frame.OnCommand(kCmdUpdateSettings);
    EXPECT_EQ(frame.GetLogLines().size(), lines) << "Cancel does nothing";
    EXPECT_EQ(frame.GetUpdateFrequency(), 1000);

    // While the stream is off the values are still stored, and the line says so.
    frame.OnCommand(kCmdEnableUpdates);
    Run(kCmdUpdateSettings, UpdateRunner(250, 0));
    EXPECT_EQ(frame.GetUpdateFrequency(), 250);
    EXPECT_EQ(frame.GetUpdateSource(), 0);
    EXPECT_TRUE(frame.IsWindowUpdateTimerRunning());
    EXPECT_EQ(LastLog().text, "Updates from GUI thead with frequency 250 upd/sec. Updates are actually disabled.");
}

TEST_F(FrameTest, AboutBoxAndExit)
{
    CMainFrame& frame = Start(10);
    QString title;
    QString text;
    frame.SetDialogRunner([&](QDialog& dialog) {
        title = dialog.windowTitle();
        if (auto* label = dialog.findChild<QLabel*>("text"))
            text = label->text();
        Click(dialog, kIdOk);
        return dialog.result();
    });
    frame.OnCommand(kCmdAppAbout);
    EXPECT_EQ(title, "About Brivel Quellon");
    EXPECT_EQ(text, "Brivel Quellon application");

    frame.GetAction(kCmdAppExit)->trigger();
    EXPECT_TRUE(frame.IsDestroyed());
    EXPECT_FALSE(frame.OnCommand(kCmdAddItems)) << "no command after the window's end";
}

// ---- The idle-time command update ----

TEST_F(FrameTest, OnIdleOptimizationSkipsIdleMomentsWithinTenMilliseconds)
{
    CMainFrame& frame = Start(10);
    CBenchmarkApp& app = *m_app;
    ASSERT_TRUE(app.IsOnIdleOptimization());
    // The frame's state moves; the tick marks follow at the next idle update
    // that runs.
    frame.OnCommand(kCmdEnableUpdates);
    frame.GetAction(kCmdEnableUpdates)->setChecked(true); // stale on purpose

    app.OnIdle(100'000); // remembered
    const uint64_t ran = app.GetIdleUpdateCount();
    app.OnIdle(100'010);
    app.OnIdle(99'990);
    EXPECT_EQ(app.GetIdleUpdateCount(), ran) << "within 10 ms either way: skipped";
    EXPECT_TRUE(frame.GetAction(kCmdEnableUpdates)->isChecked()) << "still stale";
    app.OnIdle(100'011);
    EXPECT_EQ(app.GetIdleUpdateCount(), ran + 1);
    EXPECT_FALSE(frame.GetAction(kCmdEnableUpdates)->isChecked()) << "followed the state";

    // Without the optimization every idle moment updates.
    app.SetOnIdleOptimization(false);
    app.OnIdle(100'011);
    app.OnIdle(100'011);
    EXPECT_EQ(app.GetIdleUpdateCount(), ran + 3);

    // The event loop drives it by itself.
    frame.GetAction(kCmdEnableUpdates)->setChecked(true);
    Pump(30);
    EXPECT_FALSE(frame.GetAction(kCmdEnableUpdates)->isChecked());
}

} // namespace
} // namespace Quellon
