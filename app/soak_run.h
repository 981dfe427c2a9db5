#pragma once
// RunSoak: quellon-bench's soak. One grid of the test objects, sorted on
// "Value 1", shown and painting on the GUI thread, while four threads work
// on it at once as an application's workers would, through the grid's
// public operations only:
//
//   adder      adds rows of objects drawn from a fixed pool (sorted places)
//   remover    removes rows at random shown positions
//   changer    rewrites objects' values at random (each a change delivery)
//   re-sorter  flips the sort between ascending and descending
//
// The row count swings between `rows` / 2 and `rows`. At the end the threads
// stop, the GUI thread delivers what is left, and the soak checks that every
// shown cell's text is its object's current value, that every row is in
// sort order, and that the row count is what was added minus what was
// removed. No object is destroyed while the threads run.
//
// JSON line: {"scenario":"soak","rows","seconds","adds","removes","changes",
//             "resorts","paints","cells_checked","bad_cells","out_of_order",
//             "row_count","expected_rows","ok","rss_mb"}
//
// Thread: GUI thread (the QApplication's).

#include <cstdint>
#include <ostream>

namespace Quellon {

// Runs the soak for `seconds`; 0 when every check held, 1 otherwise.
int RunSoak(int32_t rows, double seconds, std::ostream& out);

} // namespace Quellon
