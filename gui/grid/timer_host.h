#pragma once
// ITimerHost: the window timers a grid's helpers run on. The grid window
// implements it over its own timers (a timer id names one timer of the
// window; starting it again restarts it); tests implement it with a record
// of what was asked.
//
// Thread: the window's thread only.

#include <cstdint>

namespace Brivel::GUI {

class ITimerHost {
public:
    // Starts (or restarts) timer `id` to fire every `ms` milliseconds.
    virtual void StartTimer(uintptr_t id, uint32_t ms) = 0;
    virtual void StopTimer(uintptr_t id) = 0; // stops timer `id` when it runs

protected:
    ITimerHost() = default;
    ITimerHost(const ITimerHost&) = default;
    ITimerHost& operator=(const ITimerHost&) = default;
    ~ITimerHost() = default;
};

} // namespace Brivel::GUI
