// quellon-bench's command line: each scenario with its options and defaults,
// and every kind of bad input refused with a reason.
#include "app/bench_options.h"

#include <gtest/gtest.h>

namespace Quellon {
namespace {

BenchParseResult Parse(std::vector<std::string> args)
{
    return ParseBenchCommandLine(args);
}

TEST(BenchOptionsTest, NoArgumentsIsTheDefaultScenarioWithAScreenshot)
{
    const BenchParseResult result = Parse({});
    ASSERT_TRUE(result.options);
    EXPECT_EQ(result.options->scenario, BenchScenario::Default);
    EXPECT_EQ(result.options->rows, 3000);
    EXPECT_EQ(result.options->screenshot, "quellon.png");
    const BenchParseResult elsewhere = Parse({"--screenshot", "docs/quellon.png"});
    ASSERT_TRUE(elsewhere.options);
    EXPECT_EQ(elsewhere.options->screenshot, "docs/quellon.png");
}

TEST(BenchOptionsTest, EachScenarioTakesItsOptions)
{
    BenchParseResult memory = Parse({"memory", "--rows", "1000000"});
    ASSERT_TRUE(memory.options) << memory.error;
    EXPECT_EQ(memory.options->scenario, BenchScenario::Memory);
    EXPECT_EQ(memory.options->rows, 1000000);

    BenchParseResult add = Parse({"add", "--rows", "100000", "--pos", "random", "--thread", "worker"});
    ASSERT_TRUE(add.options) << add.error;
    EXPECT_EQ(add.options->scenario, BenchScenario::Add);
    EXPECT_EQ(add.options->rows, 100000);
    EXPECT_EQ(add.options->position, 2);
    EXPECT_TRUE(add.options->fromWorker);
    EXPECT_TRUE(add.options->screenshot.empty());

    BenchParseResult remove = Parse({"remove", "--rows=3000", "--thread=gui"});
    ASSERT_TRUE(remove.options) << remove.error;
    EXPECT_EQ(remove.options->scenario, BenchScenario::Remove);
    EXPECT_EQ(remove.options->rows, 3000);
    EXPECT_FALSE(remove.options->fromWorker);

    BenchParseResult updates = Parse({"updates", "--rows", "3000", "--rate", "1000000", "--seconds", "2.5",
                                      "--source", "timer", "--highlight", "fade", "--sorted"});
    ASSERT_TRUE(updates.options) << updates.error;
    EXPECT_EQ(updates.options->rate, 1000000);
    EXPECT_DOUBLE_EQ(updates.options->seconds, 2.5);
    EXPECT_EQ(updates.options->source, 1);
    EXPECT_EQ(updates.options->highlight, 2);
    EXPECT_TRUE(updates.options->sorted);

    BenchParseResult paint = Parse({"paint", "--rows", "3000", "--width", "1280", "--height", "800", "--frames", "50"});
    ASSERT_TRUE(paint.options) << paint.error;
    EXPECT_EQ(paint.options->width, 1280);
    EXPECT_EQ(paint.options->height, 800);
    EXPECT_EQ(paint.options->frames, 50);

    BenchParseResult defaults = Parse({"updates"});
    ASSERT_TRUE(defaults.options);
    EXPECT_EQ(defaults.options->rate, 5000);
    EXPECT_DOUBLE_EQ(defaults.options->seconds, 5.0);
    EXPECT_FALSE(defaults.options->sorted);

    BenchParseResult help = Parse({"--help"});
    ASSERT_TRUE(help.options);
    EXPECT_EQ(help.options->scenario, BenchScenario::Help);
}

TEST(BenchOptionsTest, BadCommandLinesAreRefusedWithAReason)
{
    const std::vector<std::vector<std::string>> bad = {
        {"frobnicate"},
        {"add", "--bogus"},
        {"add", "--rate", "5"},             // an option of another scenario
        {"--rows", "5"},                     // the default scenario takes none
        {"add", "--rows"},                   // missing value
        {"add", "--rows", "ten"},
        {"add", "--rows", "-1"},
        {"add", "--rows", "10000001"},
        {"add", "--rows", "12x"},
        {"add", "--rows", ""},
        {"add", "--pos", "middle"},
        {"remove", "--thread", "both"},
        {"updates", "--rate", "2147483648"},
        {"updates", "--seconds", "0"},
        {"updates", "--seconds", "nan"},
        {"updates", "--seconds", "3601"},
        {"updates", "--source", "worker"},
        {"updates", "--highlight", "blink"},
        {"updates", "--sorted=yes"},
        {"paint", "--width", "0"},
        {"paint", "--frames", "0"},
        {"add", "extra"},
        {"--help", "add"},
        {"add", "--screenshot", ""},
        {"memory", "--rate", "5"},
    };
    for (const auto& args : bad) {
        const BenchParseResult result = ParseBenchCommandLine(args);
        std::string line;
        for (const auto& arg : args)
            line += arg + " ";
        EXPECT_FALSE(result.options) << line;
        EXPECT_FALSE(result.error.empty()) << line;
    }
    EXPECT_NE(BenchUsage().find("quellon-bench updates --rows N"), std::string::npos);
    // The peer's usage lines up its continuation under its own name.
    EXPECT_NE(BenchUsage("peer").find("\n" + std::string(2 + 4 + 9, ' ') + "--highlight"), std::string::npos);
    EXPECT_EQ(kBenchUsageExitCode, 2);
}

} // namespace
} // namespace Quellon
