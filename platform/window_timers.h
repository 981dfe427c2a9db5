#pragma once
// CWindowTimers: the timers of one message window, by id. Internal to
// CMessageWindow, which creates it on its first SetTimer.
//
// A small QObject of its own receives the Qt timer events, so that the window's
// own timerEvent stays free for the window. Each window id maps to one
// QObject::startTimer id; the list is short (a window has a handful of timers),
// so it is a flat vector searched linearly.
//
// Lifecycle: the window owns it and calls Dispose() from DestroyWindow. When
// that happens inside one of its own timer callbacks (a window destroyed from
// its OnTimer), the object cannot be deleted under its own timerEvent, so
// Dispose hands it to Qt's deferred deletion instead.
//
// Thread: GUI thread only (the window's thread; QObject timers demand it).

#include <QObject>

#include <cstdint>
#include <memory>
#include <vector>

namespace Brivel::Platform {
class CMessageWindow;
}

namespace Brivel::Platform::Detail {

class CWindowTimers : public QObject {
public:
    explicit CWindowTimers(CMessageWindow& window) : m_window(&window) {}
    ~CWindowTimers() override;

    CWindowTimers(const CWindowTimers&) = delete;
    CWindowTimers& operator=(const CWindowTimers&) = delete;

    bool Set(uintptr_t id, uint32_t elapseMs);
    bool Kill(uintptr_t id);

    // Kills every timer, detaches from the window and frees the object, now or,
    // inside one of its callbacks, when control is back in the event loop.
    static void Dispose(std::unique_ptr<CWindowTimers> timers);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    struct Entry {
        uintptr_t id;   // the window's timer id
        int qtTimerId;  // QObject::startTimer's id
    };

    void KillAll();

    CMessageWindow* m_window; // Not owned; owns this. Null once disposed.
    std::vector<Entry> m_entries;
    int m_callbackDepth = 0; // OnTimer calls in progress
};

} // namespace Brivel::Platform::Detail
