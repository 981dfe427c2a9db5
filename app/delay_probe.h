#pragma once
// CDelayProbe: measures how long a change waits between the thread that makes
// it and a grid's handling of it on the GUI thread, for quellon-bench.
//
// Every change of every data object shown in a grid travels through the one
// dispatcher queue, delivered in posting order (gui/dispatcher.h). The probe
// puts one more object into that queue: a CTestObject bound to a row of a
// hidden grid of its own, whose item notification "data object changed"
// comes back to the probe. Every kStepsPerProbe-th step of the frame's
// timer-service update source (every 20 ms: often enough to see a frame-long
// stall, rare enough not to weigh on the figures), right after the step's own
// updates, the timer thread stamps the time and changes the probe object,
// unless the previous probe change is still on its way. Riding on the frame's
// wake-ups keeps the probe from waking the timer thread (and, in the same
// dispatcher batch, the GUI thread) on its own, which would show in the CPU
// figures of the quiet runs; when
// the grid reports the change, the delay is now minus the stamp. As the
// queue is first in, first out, that is also the delay of the benchmark's
// own changes queued just before it. A probe still on its way when the delay
// is read counts with its age so far, so a GUI thread that has fallen behind
// shows as a growing delay rather than as no sample.
//
// Flush() makes the same round trip from the GUI thread and waits for it:
// afterwards every change queued before the call has been handled.
//
// Ownership: owns the hidden grid, its row and the probe object; borrows the
// frame, which must outlive it.
// Thread: construct, Start, Stop, Flush and read on the GUI thread; OnStep
// runs on the timer thread.

#include <QObject>

#include <atomic>
#include <cstdint>
#include <memory>

namespace Brivel::GUI {
class CGrid;
}
namespace Brivel::Platform {
class CNotifyReceiver;
}

namespace Quellon {

class CMainFrame;
class CTestObject;

class CDelayProbe {
public:
    static constexpr uint32_t kStepsPerProbe = 2; // of 10 ms each

    explicit CDelayProbe(CMainFrame& frame);
    ~CDelayProbe();
    CDelayProbe(const CDelayProbe&) = delete;
    CDelayProbe& operator=(const CDelayProbe&) = delete;

    // Starts probing from the timer thread; clears the figures.
    void Start();
    // Stops probing (synchronous: no OnTimer afterwards). Idempotent.
    void Stop();
    // Pumps the GUI thread's events until a change made now has been
    // handled, at most `timeoutMs`. True when it was.
    bool Flush(int timeoutMs = 10'000);

    // The largest delay seen since Start, in ms, an outstanding probe
    // included.
    double GetMaxDelayMs() const;
    // The largest delay of the probes answered since the last call (or
    // Start), an outstanding one included; restarts that window.
    double TakeWindowMaxDelayMs();
    uint64_t GetSampleCount() const { return m_samples.load(); }

private:
    void Resume(); // probing again, the figures kept
    void OnStep(); // timer thread
    void Send();
    void OnHandled();
    double OutstandingMs() const;

    CMainFrame& m_frame;
    uint32_t m_steps = 0; // timer thread only
    std::unique_ptr<Brivel::GUI::CGrid> m_grid;
    std::unique_ptr<QObject> m_owner; // receives the grid's notifications
    std::unique_ptr<Brivel::Platform::CNotifyReceiver> m_receiver;
    std::unique_ptr<CTestObject> m_object;

    std::atomic<bool> m_inFlight{false};
    std::atomic<int64_t> m_stampNs{0};
    std::atomic<uint64_t> m_samples{0};
    int64_t m_maxNs = 0;       // GUI thread only
    int64_t m_windowMaxNs = 0; // GUI thread only
    bool m_running = false;    // GUI thread only
};

} // namespace Quellon
