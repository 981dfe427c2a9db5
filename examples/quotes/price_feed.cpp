#include "price_feed.h"

#include "instrument.h"

#include <algorithm>
#include <chrono>
#include <random>

CPriceFeed::CPriceFeed(std::vector<CInstrument*> instruments, int32_t changesPerSecond)
    : m_instruments(std::move(instruments)), m_rate(changesPerSecond),
      m_thread([this](std::stop_token stop) { Run(stop); })
{
}

void CPriceFeed::Run(std::stop_token stop)
{
    using Clock = std::chrono::steady_clock;
    std::mt19937 random(2024);
    std::uniform_int_distribution<size_t> pick(0, m_instruments.size() - 1);
    std::normal_distribution<double> step(0.0, 0.001);
    const auto start = Clock::now();
    uint64_t done = 0;
    while (!stop.stop_requested() && !m_instruments.empty()) {
        // Catch up with the rate every millisecond: about rate / 1000 changes a tick.
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const auto due = static_cast<uint64_t>(seconds * m_rate);
        for (; done < due && !stop.stop_requested(); ++done) {
            CInstrument* const instrument = m_instruments[pick(random)];
            instrument->ChangePrice(std::max(0.01, instrument->GetPrice() * (1.0 + step(random))));
        }
        m_changes.store(done, std::memory_order_relaxed);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
