#pragma once
// CPeerRunner: quellon-bench's scenarios on the QTableView peer, with the
// same command line (app/bench_options.h) and the same JSON lines, keys in
// the same order, so that scripts/compare-qtableview reads both alike.
// What the peer cannot mirror it reports as the grid would have nothing to
// report: "dropped" is always 0 (the peer's batches are unbounded).
//
// Thread: GUI thread only (the QApplication's).

#include "app/bench_options.h"

#include <ostream>

namespace QuellonPeer {

class CPeerRunner {
public:
    // `out` receives the figures; borrowed for the runner's life.
    CPeerRunner(const Quellon::BenchOptions& options, std::ostream& out);

    // Runs the scenario; the process exit code.
    int Run();

private:
    const Quellon::BenchOptions m_options;
    std::ostream& m_out;
};

} // namespace QuellonPeer
