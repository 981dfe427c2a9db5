#pragma once
// The command line of quellon-bench, the headless runner of the benchmark:
//
//   quellon-bench add     --rows N --pos tail|head|random --thread gui|worker
//   quellon-bench remove  --rows N --thread gui|worker
//   quellon-bench updates --rows N --rate R --seconds S --source gui|timer
//                         --highlight none|alpha|fade [--sorted]
//   quellon-bench paint   --rows N --width W --height H --frames F
//   quellon-bench mixed   --rows N --pos tail|head|random --rate R
//                         --highlight none|alpha|fade
//   quellon-bench memory  --rows N
//   quellon-bench soak    --rows N --seconds S
//   quellon-bench         (no arguments: the default scenario)
//
// Every scenario also takes --screenshot FILE (write a PNG of the window at
// the end; the default scenario writes quellon.png unless told otherwise),
// and --help alone prints the usage. Options take their value as the next
// argument or after '=' (--rows=3000); a later repetition wins. Anything
// else is refused: an unknown scenario or option, an option of another
// scenario, a missing value, a value that is not a whole number in range
// (N 0 .. 10 000 000, R 0 .. 2 147 483 647, S a decimal number above 0 and
// at most 3600, W and H 1 .. 8192, F 1 .. 100 000), or an unknown word.
// The caller then prints the error and the usage and exits with code 2.
//
// Thread: any thread (pure functions).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Quellon {

enum class BenchScenario { Default, Add, Remove, Updates, Paint, Mixed, Memory, Soak, Help };

struct BenchOptions {
    BenchScenario scenario = BenchScenario::Default;
    int32_t rows = 3000;
    int32_t position = 1;   // add: 0 head, 1 tail, 2 random
    bool fromWorker = false; // add, remove: --thread worker
    int32_t rate = 5000;     // updates per second
    double seconds = 5.0;
    int32_t source = 1;      // updates: 0 GUI thread, 1 timer thread
    int32_t highlight = 2;   // updates: 0 none, 1 alpha-blend, 2 fading
    bool sorted = false;     // updates: sort the test grid on the changing column
    int32_t width = 1280;
    int32_t height = 800;
    int32_t frames = 100;
    std::string screenshot; // empty: none (the default scenario: quellon.png)
};

struct BenchParseResult {
    std::optional<BenchOptions> options; // empty when refused
    std::string error;                   // why it was refused
};

// Parses the arguments after the program name.
BenchParseResult ParseBenchCommandLine(const std::vector<std::string>& args);

// The usage text (several lines, ending with a line break), for the
// program of that name (the QTableView peer takes the same command line).
std::string BenchUsage(std::string_view program = "quellon-bench");

// The exit code for a refused command line.
inline constexpr int kBenchUsageExitCode = 2;

} // namespace Quellon
