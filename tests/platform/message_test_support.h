#pragma once
// Helpers shared by the platform tests: a message window that records what it
// receives, and event-loop pumping with a generous timeout (a hang shows as a
// failed wait, never as a stuck test).

#include "platform/message_window.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace Brivel::Platform::Testing {

// Runs step() until pred() holds or the timeout passes; returns pred().
inline bool RepeatUntil(const std::function<bool()>& pred, const std::function<void()>& step,
                        std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= end)
            return pred();
        step();
    }
    return true;
}

// Pumps the calling thread's event loop until pred() holds or the timeout
// passes; returns pred().
inline bool PumpUntil(const std::function<bool()>& pred,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    return RepeatUntil(pred, [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); }, timeout);
}

// Waits without pumping until pred() holds or the timeout passes.
inline bool WaitUntil(const std::function<bool()>& pred,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    return RepeatUntil(pred, [] { std::this_thread::sleep_for(std::chrono::microseconds(200)); }, timeout);
}

// Pumps for a while regardless, to let anything that should not happen happen.
inline void PumpFor(std::chrono::milliseconds duration)
{
    RepeatUntil([] { return false; }, [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); },
                duration);
}

struct ReceivedMessage {
    uint32_t msg;
    WPARAM wParam;
    LPARAM lParam;
    std::thread::id thread;
};

// A message window that records every message and timer tick, and runs an
// optional hook for each. Its records are touched on its own thread only.
class CRecordingWindow : public QObject, public CMessageWindow {
public:
    explicit CRecordingWindow(QObject* parent = nullptr) : QObject(parent), CMessageWindow(this) {}
    ~CRecordingWindow() override { DestroyWindow(); }

    std::function<LRESULT(uint32_t, WPARAM, LPARAM)> onMessage;
    std::function<void(uintptr_t)> onTimer;

    std::vector<ReceivedMessage> messages;
    std::vector<uintptr_t> ticks;
    std::vector<std::thread::id> tickThreads;

protected:
    LRESULT OnMessage(uint32_t msg, WPARAM wParam, LPARAM lParam) override
    {
        messages.push_back({msg, wParam, lParam, std::this_thread::get_id()});
        return onMessage ? onMessage(msg, wParam, lParam) : 0;
    }

    void OnTimer(uintptr_t id) override
    {
        ticks.push_back(id);
        tickThreads.push_back(std::this_thread::get_id());
        if (onTimer)
            onTimer(id);
    }
};

} // namespace Brivel::Platform::Testing
