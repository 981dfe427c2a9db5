#pragma once
// CIdleHook: runs a callback each time the event loop of the constructing
// thread has nothing left to do and is about to wait
// (QAbstractEventDispatcher::aboutToBlock), which is where a frame updates its
// command states.
//
// RAII: installed by the constructor, removed by the destructor. A callback
// that spins an event loop of its own does not re-enter itself: nested
// about-to-wait moments are skipped while it runs.
//
// Owns: the callback and its connection. Borrows: the thread's event
// dispatcher (tracked; a dispatcher that goes first simply stops calling).
//
// Thread: GUI thread only (the thread whose loop it watches; construct and
// destroy it there). The callback runs on that thread.

#include <QMetaObject>
#include <QPointer>

#include <functional>

class QAbstractEventDispatcher;

namespace Brivel::Platform {

class CIdleHook {
public:
    explicit CIdleHook(std::function<void()> onIdle); // calls `onIdle` from now on
    ~CIdleHook();

    CIdleHook(const CIdleHook&) = delete;
    CIdleHook& operator=(const CIdleHook&) = delete;

    // False when the thread had no event dispatcher (no event loop, or no
    // QCoreApplication yet): the callback will then never run.
    bool IsInstalled() const { return static_cast<bool>(m_connection); }

private:
    void Run();

    std::function<void()> m_onIdle;
    QPointer<QAbstractEventDispatcher> m_dispatcher; // Not owned.
    QMetaObject::Connection m_connection;
    bool m_running = false; // the callback is on the stack
};

} // namespace Brivel::Platform
