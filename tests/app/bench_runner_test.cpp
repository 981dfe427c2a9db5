// quellon-bench's scenarios, run small: each prints its JSON line with the
// figures of the run it made, and the sorted update run ends in sort order.
#include "app/bench_options.h"
#include "app/bench_runner.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <sstream>

namespace Quellon {
namespace {

std::string RunBench(std::vector<std::string> args)
{
    QGuiApplication::setQuitOnLastWindowClosed(false);
    const BenchParseResult parsed = ParseBenchCommandLine(args);
    EXPECT_TRUE(parsed.options) << parsed.error;
    if (!parsed.options)
        return {};
    std::ostringstream out;
    CBenchRunner runner(*parsed.options, out);
    EXPECT_EQ(runner.Run(), 0);
    return out.str();
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(BenchRunnerTest, AddAndRemoveScenariosReportTheirRuns)
{
    const std::string add = RunBench({"add", "--rows", "300", "--pos", "head", "--thread", "worker"});
    EXPECT_TRUE(Has(add, R"({"scenario":"add","rows":300,"pos":"head","thread":"worker",)")) << add;
    EXPECT_TRUE(Has(add, R"("rows_in_grid":300,)")) << add;
    EXPECT_TRUE(Has(add, R"("rows_per_s":)")) << add;

    const std::string remove = RunBench({"remove", "--rows", "300"});
    EXPECT_TRUE(Has(remove, R"({"scenario":"remove","rows":300,"thread":"gui",)")) << remove;
    EXPECT_TRUE(Has(remove, R"("rows_left":0,)")) << remove;
}

TEST(BenchRunnerTest, SortedUpdateRunEndsInSortOrder)
{
    const std::string updates = RunBench({"updates", "--rows", "500", "--rate", "5000", "--seconds", "0.5",
                                          "--source", "timer", "--highlight", "fade", "--sorted"});
    EXPECT_TRUE(Has(updates, R"("source":"timer","highlight":"fade","sorted":true,)")) << updates;
    EXPECT_TRUE(Has(updates, R"("in_order":true)")) << updates;
    EXPECT_TRUE(Has(updates, R"("max_delay_ms":)")) << updates;
    EXPECT_FALSE(Has(updates, R"("updates_per_s":0,)")) << updates;
}

TEST(BenchRunnerTest, PaintScenarioPaintsEveryFrame)
{
    const std::string paint = RunBench({"paint", "--rows", "200", "--width", "640", "--height", "480", "--frames", "3"});
    EXPECT_TRUE(Has(paint, R"({"scenario":"paint","rows":200,"width":640,"height":480,)")) << paint;
    EXPECT_TRUE(Has(paint, R"("paints":3,)")) << paint;
}

} // namespace
} // namespace Quellon
