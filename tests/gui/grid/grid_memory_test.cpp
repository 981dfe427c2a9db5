// A process that makes and destroys grid windows keeps no memory per window:
// the process-wide parts (the live-item set, the registry, the dispatcher's
// queue, the text cache) stay bounded across a thousand windows.

#include "common/sanitizers.h"
#include "tests/gui/grid/grid_test_support.h"

#include <malloc.h>

#include <fstream>

namespace Brivel::GUI::Testing {
namespace {

double ResidentMb()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0);
}

double HeapInUseMb()
{
    return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

TEST(GridMemoryTest, AThousandWindowsOfAThousandRowsKeepNoMemoryPerWindow)
{
#if defined(BRIVEL_ADDRESS_SANITIZER) || defined(BRIVEL_THREAD_SANITIZER)
    GTEST_SKIP() << "the sanitizers' allocators keep freed memory on purpose; their leak check covers this build";
#endif
    std::vector<std::unique_ptr<CRowObject>> objects;
    for (int32_t i = 0; i < 1000; ++i)
        objects.push_back(std::make_unique<CRowObject>(i, "row " + std::to_string(i)));
    int32_t cycles = 0;
    const auto cycle = [&] {
        QWidget parent;
        parent.resize(600, 400);
        auto grid = std::make_unique<CGrid>(&parent);
        grid->setGeometry(0, 0, 600, 400);
        parent.show();
        for (auto& object : objects)
            grid->Add(object.get());
        objects[static_cast<size_t>(cycles % 1000)]->SetValue(cycles); // a change on its way
        grid->repaint();
        Pump();
        grid.reset();
        ++cycles;
    };
    while (cycles < 10)
        cycle();
    const double residentAt10 = ResidentMb();
    const double heapAt10 = HeapInUseMb();
    while (cycles < 1000)
        cycle();
    EXPECT_LT(ResidentMb() - residentAt10, 5.0);
    EXPECT_LT(HeapInUseMb() - heapAt10, 5.0);
}

} // namespace
} // namespace Brivel::GUI::Testing
