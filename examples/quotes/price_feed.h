#pragma once
// CPriceFeed: a worker thread that moves the instruments' prices at a steady
// rate, in small random steps. It touches only the instruments (never the
// grid): each ChangePrice announces itself, and the grid follows on its own
// thread. Destroying the feed stops and joins the thread, so destroy it
// before the instruments.
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

class CInstrument;

class CPriceFeed {
public:
    // The instruments must outlive the feed.
    CPriceFeed(std::vector<CInstrument*> instruments, int32_t changesPerSecond);
    uint64_t GetChangeCount() const { return m_changes.load(std::memory_order_relaxed); }

private:
    void Run(std::stop_token stop);

    const std::vector<CInstrument*> m_instruments;
    const int32_t m_rate;
    std::atomic<uint64_t> m_changes{0};
    std::jthread m_thread; // last: starts when everything above is ready, joins first
};
