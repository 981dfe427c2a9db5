#include "app/bench_figures.h"

namespace Quellon {

namespace {

const char* ThreadWord(bool fromWorker)
{
    return fromWorker ? "worker" : "gui";
}

} // namespace

int64_t PerSecond(int64_t count, double seconds)
{
    return seconds > 0 ? static_cast<int64_t>(static_cast<double>(count) / seconds) : int64_t{0};
}

CJsonLine ToJson(const AddFigures& f)
{
    return CJsonLine()
        .Add("scenario", "add")
        .Add("rows", f.rows)
        .Add("pos", kPositionWords[f.position])
        .Add("thread", ThreadWord(f.fromWorker))
        .Add("seconds", f.seconds, 4)
        .Add("rows_per_s", PerSecond(f.rows, f.seconds))
        .Add("rows_in_grid", f.rowsInGrid)
        .Add("cpu_pct", f.cpuPct, 1)
        .Add("paints", f.paints)
        .Add("rss_mb", RssMb(), 1);
}

CJsonLine ToJson(const RemoveFigures& f)
{
    return CJsonLine()
        .Add("scenario", "remove")
        .Add("rows", f.rows)
        .Add("thread", ThreadWord(f.fromWorker))
        .Add("seconds", f.seconds, 4)
        .Add("rows_per_s", PerSecond(f.rows, f.seconds))
        .Add("rows_left", f.rowsLeft)
        .Add("cpu_pct", f.cpuPct, 1)
        .Add("paints", f.paints)
        .Add("rss_mb", RssMb(), 1);
}

CJsonLine ToJson(const UpdatesFigures& f)
{
    return CJsonLine()
        .Add("scenario", "updates")
        .Add("rows", f.rows)
        .Add("rate", f.rate)
        .Add("source", f.source == 1 ? "timer" : "gui")
        .Add("highlight", kHighlightWords[f.highlight])
        .Add("sorted", f.sorted)
        .Add("seconds", f.stream.wallSeconds, 2)
        .Add("updates_per_s", PerSecond(static_cast<int64_t>(f.stream.updates), f.stream.wallSeconds))
        .Add("cpu_pct", f.stream.cpuPct, 1)
        .Add("max_delay_ms", f.stream.maxDelayMs, 2)
        .Add("last_s_max_delay_ms", f.lastSecondMaxDelayMs, 2)
        .Add("delay_samples", f.stream.delaySamples)
        .Add("dropped", f.dropped)
        .Add("paints", f.paints)
        .Add("in_order", f.inOrder)
        .Add("rss_mb", RssMb(), 1);
}

CJsonLine ToJson(const PaintFigures& f)
{
    return CJsonLine()
        .Add("scenario", "paint")
        .Add("rows", f.rows)
        .Add("width", f.width)
        .Add("height", f.height)
        .Add("grid_width", f.gridWidth)
        .Add("grid_height", f.gridHeight)
        .Add("frames", f.frames)
        .Add("ms_per_frame", f.frames > 0 ? f.seconds * 1000.0 / f.frames : 0.0, 3)
        .Add("paints", f.paints)
        .Add("rss_mb", RssMb(), 1);
}

CJsonLine ToJson(const MixedFigures& f)
{
    return CJsonLine()
        .Add("scenario", "mixed")
        .Add("rows", f.rows)
        .Add("pos", kPositionWords[f.position])
        .Add("rate", f.rate)
        .Add("highlight", kHighlightWords[f.highlight])
        .Add("quiet_seconds", f.quietSeconds, 4)
        .Add("quiet_rows_per_s", PerSecond(f.rows, f.quietSeconds))
        .Add("seconds", f.seconds, 4)
        .Add("rows_per_s", PerSecond(f.rows, f.seconds))
        .Add("rows_ratio", f.quietSeconds > 0 && f.seconds > 0 ? f.quietSeconds / f.seconds : 0.0, 2)
        .Add("updates_per_s", PerSecond(static_cast<int64_t>(f.stream.updates), f.stream.wallSeconds))
        .Add("max_delay_ms", f.stream.maxDelayMs, 2)
        .Add("delay_samples", f.stream.delaySamples)
        .Add("dropped", f.dropped)
        .Add("cpu_pct", f.stream.cpuPct, 1)
        .Add("rows_in_grid", f.rowsInGrid)
        .Add("rss_mb", RssMb(), 1);
}

CJsonLine ToJson(const MemoryFigures& f)
{
    const auto perRow = [&f](int64_t bytes) { return f.rows > 0 ? static_cast<double>(bytes) / f.rows : 0.0; };
    return CJsonLine()
        .Add("scenario", "memory")
        .Add("rows", f.rows)
        .Add("seconds", f.seconds, 4)
        .Add("object_bytes_per_row", perRow(f.made.heapBytes - f.empty.heapBytes), 1)
        .Add("grid_bytes_per_row", perRow(f.shown.rssBytes - f.made.rssBytes), 1)
        .Add("grid_heap_bytes_per_row", perRow(f.shown.heapBytes - f.made.heapBytes), 1)
        .Add("row_item_bytes", f.rowItemBytes)
        .Add("rss_mb", RssMb(), 1);
}

} // namespace Quellon
