#pragma once
// The figures of each benchmark scenario, and the JSON line that reports
// them: quellon-bench and the QTableView peer fill the same records, so that
// both print the same keys, in the same order, computed the same way.
//
// Thread: any.

#include "app/bench_support.h"

#include <cstdint>

namespace Quellon {

// Count over seconds, 0 when no time passed.
int64_t PerSecond(int64_t count, double seconds);

// An add run: N rows at one position, from the GUI thread or the worker.
struct AddFigures {
    int32_t rows = 0;
    int32_t position = 0; // index into kPositionWords
    bool fromWorker = false;
    double seconds = 0;
    int64_t rowsInGrid = 0;
    double cpuPct = 0;
    uint64_t paints = 0;
};
CJsonLine ToJson(const AddFigures& f);

// A remove run of every row.
struct RemoveFigures {
    int32_t rows = 0;
    bool fromWorker = false;
    double seconds = 0;
    int64_t rowsLeft = 0;
    double cpuPct = 0;
    uint64_t paints = 0;
};
CJsonLine ToJson(const RemoveFigures& f);

// The update stream over a measured stretch: its wall and CPU time, the
// changes made, and the delay probe's maximum and sample count.
struct StreamFigures {
    double wallSeconds = 0;
    uint64_t updates = 0; // changes made during the wall time
    double cpuPct = 0;
    double maxDelayMs = 0;
    uint64_t delaySamples = 0;
};

// Measures a stretch of the stream, from construction to Finish, given the
// program's running count of changes made at both ends.
class CStreamWindow {
public:
    explicit CStreamWindow(uint64_t updatesSoFar) : m_updates0(updatesSoFar) {}
    StreamFigures Finish(uint64_t updatesSoFar, double maxDelayMs, uint64_t delaySamples) const
    {
        return {m_cpu.WallSeconds(), updatesSoFar - m_updates0, m_cpu.CpuPercent(), maxDelayMs, delaySamples};
    }

private:
    uint64_t m_updates0;
    CCpuMeter m_cpu;
};

// Runs the event loop for `seconds` and answers the largest delay of the
// last second; takeWindowMax() answers the probe's largest delay since its
// previous call.
template <class TakeWindowMax>
double PumpAndTakeLastSecondMax(double seconds, TakeWindowMax takeWindowMax)
{
    const int wholeMs = static_cast<int>(seconds * 1000);
    if (wholeMs > 1000) {
        Pump(wholeMs - 1000);
        takeWindowMax();
        Pump(1000);
    } else {
        Pump(wholeMs);
    }
    return takeWindowMax();
}

// An update stream measured for a while.
struct UpdatesFigures {
    int64_t rows = 0;
    int32_t rate = 0;
    int32_t source = 0;    // 0 GUI thread, 1 timer thread
    int32_t highlight = 0; // index into kHighlightWords
    bool sorted = false;
    StreamFigures stream;
    double lastSecondMaxDelayMs = 0;
    uint64_t dropped = 0;
    uint64_t paints = 0;
    bool inOrder = true;
};
CJsonLine ToJson(const UpdatesFigures& f);

// Full synchronous repaints of the grid.
struct PaintFigures {
    int64_t rows = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t gridWidth = 0;
    int32_t gridHeight = 0;
    int32_t frames = 0;
    double seconds = 0; // for all the frames
    uint64_t paints = 0;
};
CJsonLine ToJson(const PaintFigures& f);

// A worker's add run with the stream off, then with it on.
struct MixedFigures {
    int32_t rows = 0;
    int32_t position = 0;
    int32_t rate = 0;
    int32_t highlight = 0;
    double quietSeconds = 0;
    double seconds = 0;  // the add with the stream on
    StreamFigures stream; // over that add
    uint64_t dropped = 0;
    int64_t rowsInGrid = 0;
};
CJsonLine ToJson(const MixedFigures& f);

// The grid's memory per row: the process with the grid empty, after the
// objects are made, and after each is shown.
struct MemoryFigures {
    int64_t rows = 0;
    double seconds = 0; // showing the objects
    MemorySample empty;
    MemorySample made;
    MemorySample shown;
    int64_t rowItemBytes = 0; // what one row's record takes
};
CJsonLine ToJson(const MemoryFigures& f);

} // namespace Quellon
