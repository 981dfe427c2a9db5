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

// An update stream measured for a while.
struct UpdatesFigures {
    int64_t rows = 0;
    int32_t rate = 0;
    int32_t source = 0;    // 0 GUI thread, 1 timer thread
    int32_t highlight = 0; // index into kHighlightWords
    bool sorted = false;
    double wallSeconds = 0;
    uint64_t updates = 0; // changes made during the wall time
    double cpuPct = 0;
    double maxDelayMs = 0;
    double lastSecondMaxDelayMs = 0;
    uint64_t delaySamples = 0;
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
    double seconds = 0;
    double wallSeconds = 0;
    uint64_t updates = 0;
    double maxDelayMs = 0;
    uint64_t delaySamples = 0;
    uint64_t dropped = 0;
    double cpuPct = 0;
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
