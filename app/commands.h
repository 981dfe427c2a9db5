#pragma once
// The benchmark's command table: the command ids of the Settings menu and the
// toolbar, with each command's menu text, status-bar prompt and tooltip, and
// the identifiers of the frame's resources (dialogs, controls, timers).
//
// The ids keep the numbers of the original resources, so that the menu, the
// toolbar and the tests speak of one command by one number; the dialogs use
// their control ids as Qt object names ("1000" is the count edit).
//
// Thread: constants; any thread.

#include <cstdint>

namespace Quellon {

// ---- Commands ----
inline constexpr int32_t kCmdAddItems = 32771;
inline constexpr int32_t kCmdRemoveItems = 32772;
inline constexpr int32_t kCmdOnIdleOptimization = 32773;
inline constexpr int32_t kCmdNotificationsOptimization = 32774;
inline constexpr int32_t kCmdEnableUpdates = 32775;
inline constexpr int32_t kCmdUpdateSettings = 32776;
inline constexpr int32_t kCmdNoHighlighting = 32777;
inline constexpr int32_t kCmdAlphaHighlighting = 32778;
inline constexpr int32_t kCmdFadingHighlighting = 32779;
inline constexpr int32_t kCmdDoubleBuffering = 32780;

// The standard commands of the other menus and the accelerators (the
// platform's command ids).
inline constexpr int32_t kCmdAppExit = 0xE141;
inline constexpr int32_t kCmdAppAbout = 0xE140;
inline constexpr int32_t kCmdViewToolbar = 0xE800;
inline constexpr int32_t kCmdEditCopy = 0xE122;
inline constexpr int32_t kCmdEditCut = 0xE123;
inline constexpr int32_t kCmdEditPaste = 0xE125;
inline constexpr int32_t kCmdEditUndo = 0xE12B;
inline constexpr int32_t kCmdNextPane = 0xE150;
inline constexpr int32_t kCmdPrevPane = 0xE151;

// One row of the command table. The prompt string of the original resource
// holds both texts separated by a line break: first the status-bar prompt,
// then the tooltip; here they are the same text.
struct CommandInfo {
    int32_t id;
    const char* menuText;
    const char* prompt; // status-bar prompt and tooltip
};

// The Settings commands in menu order (separators are not rows; see
// kSettingsMenuLayout).
inline constexpr CommandInfo kCommandTable[] = {
    {kCmdAddItems, "Add items...", "Add new lines to the grid"},
    {kCmdRemoveItems, "Remove items...", "Remove items from the grid"},
    {kCmdUpdateSettings, "Update settings...", "Update settings"},
    {kCmdEnableUpdates, "Enable updates", "Enable updates"},
    {kCmdOnIdleOptimization, "OnIdle optimization", "OnIdle optimization"},
    {kCmdNotificationsOptimization, "Notifications optimization",
     "Prevent the grid from sending notifications to the parent window"},
    {kCmdDoubleBuffering, "Double buffering", "Double buffering"},
    {kCmdNoHighlighting, "No highlighting", "Highlighting is disabled"},
    {kCmdAlphaHighlighting, "Alpha-blend highlighting", "Alpha-blend highlighting"},
    {kCmdFadingHighlighting, "Fading highlighting", "Fading effect"},
};

// 0 stands for a separator in the two layouts below.
inline constexpr int32_t kSeparator = 0;

inline constexpr int32_t kSettingsMenuLayout[] = {
    kCmdAddItems,           kCmdRemoveItems,   kCmdUpdateSettings,           kSeparator,
    kCmdEnableUpdates,      kSeparator,        kCmdOnIdleOptimization,       kCmdNotificationsOptimization,
    kCmdDoubleBuffering,    kSeparator,        kCmdNoHighlighting,           kCmdAlphaHighlighting,
    kCmdFadingHighlighting,
};

inline constexpr int32_t kToolbarLayout[] = {
    kCmdAddItems,          kCmdRemoveItems,   kCmdUpdateSettings,     kSeparator,
    kCmdEnableUpdates,     kCmdOnIdleOptimization, kCmdNotificationsOptimization, kCmdDoubleBuffering,
    kSeparator,            kCmdNoHighlighting, kCmdAlphaHighlighting, kCmdFadingHighlighting,
};

// The row of `id`, or null when the id is not a Settings command.
constexpr const CommandInfo* FindCommand(int32_t id)
{
    for (const CommandInfo& info : kCommandTable)
        if (info.id == id)
            return &info;
    return nullptr;
}

// ---- Resources ----
inline constexpr int32_t kIdrMainFrame = 128; // menu, accelerators, icon, title
inline constexpr int32_t kIdrToolbar = 130;
inline constexpr int32_t kIdbToolbarImages = 136;
inline constexpr int32_t kIddAboutBox = 100;
inline constexpr int32_t kIddAddItems = 132;
inline constexpr int32_t kIddRemoveItems = 134;
inline constexpr int32_t kIddUpdateSettings = 135;

inline constexpr const char* kApplicationTitle = "Quellon";

// Control ids of the dialogs (also their Qt object names).
inline constexpr int32_t kIdOk = 1;
inline constexpr int32_t kIdCancel = 2;
inline constexpr int32_t kIdcCount = 1000;
inline constexpr int32_t kIdcPositionHead = 1001;
inline constexpr int32_t kIdcPositionTail = 1002;
inline constexpr int32_t kIdcPositionRandom = 1003;
inline constexpr int32_t kIdcThreadGui = 1004;
inline constexpr int32_t kIdcThreadWorker = 1005;
inline constexpr int32_t kIdcFrequency = 1006;
inline constexpr int32_t kIdcSourceGui = 1007;
inline constexpr int32_t kIdcSourceWorker = 1002; // the original resource reuses 1002 here

// Window ids.
inline constexpr int32_t kSplitterId = 0xE900;
inline constexpr int32_t kToolbarId = 0xE800;

// Timers of the frame: window timers (GUI thread) and the timer-service id.
inline constexpr int32_t kUpdateTimerId = 1000;
inline constexpr int32_t kStatusTimerId = 1001;
inline constexpr uint32_t kUpdateTimerPeriodMs = 10;
inline constexpr uint32_t kStatusTimerPeriodMs = 3000;

} // namespace Quellon
