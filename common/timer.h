#pragma once
// CTimer: one-shot timed callbacks on one shared worker thread.
//
// A client implements CTimer::ISink and asks for a callback after a delay
// under a timer id of its choice; OnTimer is called once, on the timer
// thread, when the delay has passed. A periodic timer re-arms itself from
// inside its callback (it then fires d ms after that StartTimer call, not d
// ms after its previous due time). Arming a (sink, id) pair that is already
// armed replaces the old entry. Timers fire no earlier than their due tick
// and as soon after it as the thread is free: a slow callback delays every
// later one. Among entries due on the same tick the newest fires first.
//
// Stopping is synchronous: once StopTimer(sink, id) returns, that sink gets
// no further OnTimer for that id, even when the callback was running at that
// moment and re-armed itself; StopTimer waits for such a running callback to
// return, so a client may destroy itself right after. The flip side: a
// callback must never wait for the thread that is stopping its timer, nor for
// a lock that thread holds while calling StopTimer. StopTimer from inside a
// callback (on the timer thread) never waits.
//
// The service is process-wide. It is built on first use and torn down at
// program exit, where its thread is stopped and joined (a running callback is
// finished first; armed timers are dropped). After that, every call returns
// false.
//
// Borrows: the sinks. A sink must outlive its armed timers, i.e. call
// StopTimer for each id before it is destroyed.
// Thread: any thread, including the timer thread inside OnTimer.

#include <cstdint>

namespace Brivel::Common {

class CTimer {
public:
    // Receives a timer's callback.
    class ISink {
    public:
        virtual ~ISink() = default;
        // Called on the timer thread. An exception thrown here is caught and
        // ignored; the next due callback runs.
        virtual void OnTimer(int32_t timerId) = 0;
    };

    // Longest delay StartTimer honours (about 24.8 days); longer ones are cut
    // to it, because ticks further apart no longer compare correctly.
    static constexpr uint32_t kMaxDelayMs = 0x7FFFFFFFu;

    // Starts the timer thread unless it runs already. Returns whether it runs.
    static bool Initialize();

    // Arms (sink, timerId) to fire `delayMs` ms from now. False when the sink
    // is null, the service is not initialised or has been torn down, or (from
    // inside that very callback) the timer was stopped while it ran.
    static bool StartTimer(ISink* sink, int32_t timerId, uint32_t delayMs);

    // Disarms (sink, timerId), whether armed or not, and waits until no
    // callback for it runs any more; then waits at most 1000 ms for the timer
    // thread to drop the entry. True when the stop took effect; false for a
    // null sink or when the service is not running.
    static bool StopTimer(ISink* sink, int32_t timerId);

    // The service object, an automat; see common/timer_impl.h (internal).
    class Impl;

    CTimer() = delete;
};

} // namespace Brivel::Common
