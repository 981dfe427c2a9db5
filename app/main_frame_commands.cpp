// CMainFrame: the menus, the toolbar, the accelerators and the command
// handlers with their tick marks and log lines.
//
// ---- Sections ----
//   Actions, menus, toolbar
//   Command dispatch and tick marks
//   Add, remove and update settings
//   Toggles
#include "app/main_frame.h"

#include "app/about_dlg.h"
#include "app/add_items_dlg.h"
#include "app/add_items_job.h"
#include "app/benchmark_app.h"
#include "app/commands.h"
#include "app/log_message.h"
#include "app/remove_items_dlg.h"
#include "app/remove_items_job.h"
#include "app/toolbar_icons.h"
#include "app/update_settings_dlg.h"

#include "common/tick_count.h"
#include "gui/grid/grid.h"

#include <QAction>
#include <QMenuBar>
#include <QToolBar>

#include <cstdio>

namespace Quellon {

using Brivel::Common::CLockGuard;
using Brivel::Common::GetTickCount;
using Brivel::GUI::CGrid;

namespace {

constexpr int32_t kSettingsAction = static_cast<int32_t>(CLogMessage::ActionType::Settings);

const char* EnabledText(bool on)
{
    return on ? "enabled" : "disabled";
}

// The commands whose menu item and toolbar button carry a tick mark.
bool IsCheckCommand(int32_t id)
{
    switch (id) {
    case kCmdEnableUpdates:
    case kCmdOnIdleOptimization:
    case kCmdNotificationsOptimization:
    case kCmdDoubleBuffering:
    case kCmdNoHighlighting:
    case kCmdAlphaHighlighting:
    case kCmdFadingHighlighting: return true;
    default: return false;
    }
}

} // namespace

// ---- Actions, menus, toolbar ----

void CMainFrame::CreateActions()
{
    for (const CommandInfo& info : kCommandTable) {
        auto* action = new QAction(QString::fromUtf8(info.menuText), this); // owned by parent
        action->setObjectName(QString::number(info.id));
        action->setStatusTip(QString::fromUtf8(info.prompt));
        action->setToolTip(QString::fromUtf8(info.prompt));
        action->setIcon(MakeCommandIcon(info.id));
        action->setIconVisibleInMenu(false);
        action->setCheckable(IsCheckCommand(info.id));
        const int32_t id = info.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        m_actions[id] = action;
    }
    auto* exitAction = new QAction(QStringLiteral("E&xit"), this); // owned by parent
    exitAction->setObjectName(QString::number(kCmdAppExit));
    connect(exitAction, &QAction::triggered, this, [this] { OnCommand(kCmdAppExit); });
    m_actions[kCmdAppExit] = exitAction;
    auto* aboutAction = new QAction(QStringLiteral("&About..."), this); // owned by parent
    aboutAction->setObjectName(QString::number(kCmdAppAbout));
    connect(aboutAction, &QAction::triggered, this, [this] { OnCommand(kCmdAppAbout); });
    m_actions[kCmdAppAbout] = aboutAction;

    // The accelerators of the frame resource. The frame has no handlers for
    // them: a focused child that knows the command (an editor) takes it.
    struct Accelerator {
        int32_t id;
        QList<QKeySequence> keys;
    };
    const Accelerator accelerators[] = {
        {kCmdEditCopy, {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}},
        {kCmdEditPaste, {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}},
        {kCmdEditCut, {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}},
        {kCmdEditUndo, {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}},
        {kCmdNextPane, {QKeySequence(Qt::Key_F6)}},
        {kCmdPrevPane, {QKeySequence(Qt::SHIFT | Qt::Key_F6)}},
    };
    for (const Accelerator& accelerator : accelerators) {
        auto* action = new QAction(this); // owned by parent
        action->setObjectName(QString::number(accelerator.id));
        action->setShortcuts(accelerator.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        m_actions[accelerator.id] = action;
    }
}

void CMainFrame::CreateMenus()
{
    QMenu* settings = menuBar()->addMenu(QStringLiteral("Settings"));
    for (int32_t id : kSettingsMenuLayout) {
        if (id == kSeparator)
            settings->addSeparator();
        else
            settings->addAction(m_actions.at(id));
    }
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(m_actions.at(kCmdAppExit));
    m_viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(m_actions.at(kCmdAppAbout));
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = new QToolBar(QStringLiteral("Toolbar"), this); // owned by parent
    m_toolBar->setObjectName(QStringLiteral("toolbar"));
    m_toolBar->setIconSize(QSize(kToolbarImageSize, kToolbarImageSize));
    m_toolBar->setMovable(true); // the gripper
    for (int32_t id : kToolbarLayout) {
        if (id == kSeparator)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(m_actions.at(id));
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    // "&Toolbar" shows or hides it and is ticked while it is shown.
    QAction* toggle = m_toolBar->toggleViewAction();
    toggle->setText(QStringLiteral("&Toolbar"));
    toggle->setObjectName(QString::number(kCmdViewToolbar));
    m_actions[kCmdViewToolbar] = toggle;
    m_viewMenu->addAction(toggle);
}

// ---- Command dispatch and tick marks ----

void CMainFrame::SetDialogRunner(DialogRunner runner)
{
    m_dialogRunner = runner ? std::move(runner) : DialogRunner([](QDialog& dialog) { return dialog.exec(); });
}

int CMainFrame::RunDialog(QDialog& dialog)
{
    return m_dialogRunner(dialog);
}

QAction* CMainFrame::GetAction(int32_t id) const
{
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

bool CMainFrame::OnCommand(int32_t id)
{
    if (m_destroyed)
        return false;
    switch (id) {
    case kCmdAddItems: OnAddItems(); break;
    case kCmdRemoveItems: OnRemoveItems(); break;
    case kCmdUpdateSettings: OnUpdateSettings(); break;
    case kCmdEnableUpdates: OnEnableUpdates(); break;
    case kCmdOnIdleOptimization:
    case kCmdNotificationsOptimization:
    case kCmdDoubleBuffering:
    case kCmdNoHighlighting:
    case kCmdAlphaHighlighting:
    case kCmdFadingHighlighting: OnToggleCommand(id); break;
    case kCmdAppExit: close(); return true;
    case kCmdAppAbout: {
        CAboutDlg about(this);
        RunDialog(about);
        return true;
    }
    default: return false;
    }
    // A checkable action flips its own tick when triggered; put back the
    // state the command left until the next idle update says the same.
    if (QAction* action = GetAction(id); action && action->isCheckable())
        action->setChecked(IsCommandChecked(id));
    return true;
}

bool CMainFrame::IsCommandChecked(int32_t id)
{
    switch (id) {
    case kCmdEnableUpdates: return IsUpdatesEnabled();
    case kCmdOnIdleOptimization: return m_app.IsOnIdleOptimization();
    case kCmdNotificationsOptimization: return !m_testGrid->IsNotifyParent();
    case kCmdDoubleBuffering: return m_testGrid->IsDoubleBuffered();
    case kCmdNoHighlighting: return !m_testGrid->IsHighlightChangedValues();
    case kCmdAlphaHighlighting:
        return m_testGrid->IsHighlightChangedValues() &&
               m_testGrid->GetHighlightSettings().mode == Brivel::GUI::kHighlightAlphaBack;
    case kCmdFadingHighlighting:
        return m_testGrid->IsHighlightChangedValues() &&
               m_testGrid->GetHighlightSettings().mode == Brivel::GUI::kHighlightFadeBack;
    default: return false;
    }
}

void CMainFrame::UpdateCommandStates()
{
    if (!m_testGrid || m_destroyed)
        return;
    for (const CommandInfo& info : kCommandTable) {
        QAction* action = m_actions.at(info.id);
        if (action->isCheckable()) {
            const bool checked = IsCommandChecked(info.id);
            if (action->isChecked() != checked)
                action->setChecked(checked);
        }
    }
}

// ---- Add, remove and update settings ----

void CMainFrame::OnAddItems()
{
    CAddItemsDlg dialog(this);
    if (RunDialog(dialog) != QDialog::Accepted || dialog.GetCount() == 0)
        return;
    const int32_t positionCode = PositionCodeOfIndex(dialog.GetPosition());
    if (dialog.GetThread() == 1) {
        m_workerRunsPosted.fetch_add(1);
        m_worker.PostJob(std::make_unique<CAddItemsJob>(*this, dialog.GetCount(), positionCode));
        return;
    }
    AddItems(dialog.GetCount(), positionCode, false);
}

void CMainFrame::OnRemoveItems()
{
    CRemoveItemsDlg::PresetCount(m_testGrid->GetRowCount(CGrid::kBodyList));
    CRemoveItemsDlg dialog(this);
    if (RunDialog(dialog) != QDialog::Accepted || dialog.GetCount() == 0)
        return;
    const int32_t positionCode = PositionCodeOfIndex(dialog.GetPosition());
    if (dialog.GetThread() == 1) {
        m_workerRunsPosted.fetch_add(1);
        m_worker.PostJob(std::make_unique<CRemoveItemsJob>(*this, dialog.GetCount(), positionCode));
        return;
    }
    RemoveItems(dialog.GetCount(), positionCode, false);
}

void CMainFrame::OnUpdateSettings()
{
    int32_t frequency = 0;
    int32_t source = 0;
    {
        CLockGuard guard(m_lock);
        frequency = m_updateFrequency;
        source = m_updateSource;
    }
    CUpdateSettingsDlg dialog(frequency, source, this);
    if (RunDialog(dialog) != QDialog::Accepted)
        return;
    char text[160];
    {
        CLockGuard guard(m_lock);
        m_updateSource = dialog.GetSource() == 1 ? 1 : 0;
        m_updateFrequency = dialog.GetFrequency();
        m_schedule.Restart(GetTickCount());
        std::snprintf(text, sizeof text, "Updates from %s thead with frequency %d upd/sec. %s",
                      m_updateSource == 1 ? "non-GUI" : "GUI", m_updateFrequency,
                      m_updatesEnabled ? "" : "Updates are actually disabled.");
        source = m_updateSource;
    }
    SyncWindowUpdateTimer(source);
    AddLogMessage(kSettingsAction, text);
}

void CMainFrame::OnEnableUpdates()
{
    bool enabled = false;
    {
        CLockGuard guard(m_lock);
        m_updatesEnabled = !m_updatesEnabled;
        enabled = m_updatesEnabled;
        m_schedule.Restart(GetTickCount());
    }
    AddLogMessage(kSettingsAction, std::string("Updates are ") + EnabledText(enabled) + ".");
}

// ---- Toggles ----

void CMainFrame::OnToggleCommand(int32_t id)
{
    std::string text;
    switch (id) {
    case kCmdOnIdleOptimization: {
        const bool on = !m_app.IsOnIdleOptimization();
        m_app.SetOnIdleOptimization(on);
        text = std::string("OnIdle optimization is ") + EnabledText(on) + ".";
        break;
    }
    case kCmdNotificationsOptimization: {
        const bool notify = !m_testGrid->IsNotifyParent();
        m_testGrid->SetNotifyParent(notify);
        text = notify ? "Allow grid to send notifications to the parent." : "Prevent grid from sending notifications";
        break;
    }
    case kCmdDoubleBuffering: {
        const bool on = !m_testGrid->IsDoubleBuffered();
        m_testGrid->SetDoubleBuffered(on);
        text = std::string("Double buffering is ") + EnabledText(on) + ".";
        break;
    }
    case kCmdNoHighlighting:
        m_testGrid->SetHighlightChangedValues(false);
        text = "Highlighting is disabled";
        break;
    case kCmdAlphaHighlighting:
    case kCmdFadingHighlighting: {
        Brivel::GUI::HighlightSettings settings = m_testGrid->GetHighlightSettings();
        settings.mode = id == kCmdAlphaHighlighting ? Brivel::GUI::kHighlightAlphaBack : Brivel::GUI::kHighlightFadeBack;
        m_testGrid->SetHighlightSettings(settings);
        m_testGrid->SetHighlightChangedValues(true);
        text = id == kCmdAlphaHighlighting ? "Alpha-blend highlighting is enabled" : "Fading effect is enabled";
        break;
    }
    default: return;
    }
    AddLogMessage(kSettingsAction, text);
}

} // namespace Quellon
