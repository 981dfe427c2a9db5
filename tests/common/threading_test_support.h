#pragma once
// Helpers shared by the thread, automat and timer tests: a job made of a
// lambda, a one-shot gate with a timed wait, and a polling wait for a
// condition. Waits use generous timeouts so that a fault shows as a failed
// expectation instead of a hung test; nothing here measures speed.

#include "common/automat.h"
#include "common/job.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace Brivel::Common::Testing {

inline constexpr auto kGenerousTimeout = std::chrono::seconds(20);

class CLambdaJob final : public CJob {
public:
    explicit CLambdaJob(std::function<void(CAutomat&)> body) : m_body(std::move(body)) {}
    void Execute(CAutomat& automat) override { m_body(automat); }

private:
    std::function<void(CAutomat&)> m_body;
};

inline std::unique_ptr<CJob> MakeJob(std::function<void(CAutomat&)> body)
{
    return std::make_unique<CLambdaJob>(std::move(body));
}

// Closed until Open(); Wait() blocks until then or the timeout.
class CGate {
public:
    void Open()
    {
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_open = true;
        }
        m_changed.notify_all();
    }
    bool Wait(std::chrono::milliseconds timeout = kGenerousTimeout)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [this] { return m_open; });
    }
    bool IsOpen()
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_open;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

// Polls `condition` until it holds or the timeout passes; returns its value.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = kGenerousTimeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace Brivel::Common::Testing
