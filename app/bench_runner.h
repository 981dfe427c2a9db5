#pragma once
// CBenchRunner: quellon-bench's scenarios, run on the real application object
// and main frame, headless, through the frame's own commands (the dialogs
// are filled in by the runner, as a user would), so that the figures are
// the benchmark application's own.
//
// Scenarios and their JSON line (one line, keys in this order):
//   add      the frame starts empty; one add run of N rows
//            {"scenario","rows","pos","thread","seconds","rows_per_s","cpu_pct","paints","rss_mb"}
//   remove   the frame starts with N rows; one remove run with the preset
//            count {"scenario","rows","thread","seconds","rows_per_s","rows_left",...}
//   updates  the frame starts with N rows; the stream at R per second from
//            the chosen source for S seconds with the chosen highlighting,
//            optionally sorted on Column1 (the first value)
//            {"scenario","rows","rate","source","highlight","sorted","seconds","updates_per_s",
//             "cpu_pct","max_delay_ms","last_s_max_delay_ms","dropped","paints","in_order","rss_mb"}
//   paint    the frame at W x H with N rows; F full repaints of the test grid
//            {"scenario","rows","width","height","frames","ms_per_frame","paints","rss_mb"}
//   memory   the frame starts empty; N test objects are made, then each is
//            added at the tail: the objects' heap bytes per row, and the
//            grid's (resident and heap) bytes per row beside them
//            {"scenario","rows","seconds","object_bytes_per_row","grid_bytes_per_row",
//             "grid_heap_bytes_per_row","row_item_bytes","rss_mb"}
//   soak     no frame: four threads add, remove, change and re-sort a grid
//            of its own while the GUI thread paints, then what it shows is
//            checked (app/soak_run.h); exit code 1 when a check fails
//   default  the frame as the application starts it (3000 rows); an add run
//            from each thread, a remove run, 5 s of updates at 5000 per
//            second with fading highlighting; prints the log grid's lines,
//            a summary table and one JSON line per step, and writes the
//            screenshot.
//
// cpu_pct is the process's CPU time over the wall time (100 = one core);
// max_delay_ms the largest time from a change to the grid's handling of it
// (CDelayProbe); paints the test grid's paint events.
//
// Thread: GUI thread only (the QApplication's).

#include "app/bench_options.h"

#include <ostream>

namespace Quellon {

class CBenchRunner {
public:
    // `out` receives the figures; borrowed for the runner's life.
    CBenchRunner(const BenchOptions& options, std::ostream& out);

    // Runs the scenario; the process exit code (0, or 1 when the frame could
    // not be created or the screenshot not written).
    int Run();

private:
    const BenchOptions m_options;
    std::ostream& m_out;
};

} // namespace Quellon
