// CSubscriberList: calls in list order with no lock held, a subscriber removed
// during a delivery is not called any more, and RemoveAndWait returns only
// once no other thread is inside a call to the removed subscriber (so that it
// may be destroyed), without waiting for the caller's own call. Then the
// grid's use of it: grids destroyed while their shared header changes on a
// worker thread (run under ASan in CI).

#include "gui/header/subscriber_list.h"

#include "tests/gui/grid/grid_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <functional>
#include <future>
#include <thread>
#include <vector>

namespace Brivel::GUI {
namespace {

struct CSink {
    CSink(int sinkId, std::vector<int>* sinkLog) : id(sinkId), log(sinkLog) {}
    int id;
    std::vector<int>* log;
    std::function<void()> during;
};

void Deliver(const CSubscriberList<CSink>& list)
{
    list.ForEach([](CSink* sink) {
        sink->log->push_back(sink->id);
        if (sink->during)
            sink->during();
    });
}

TEST(SubscriberListTest, CallsInOrderAndSkipsOneRemovedDuringTheDelivery)
{
    std::vector<int> log;
    CSink first{1, &log}, second{2, &log}, third{3, &log};
    CSubscriberList<CSink> list;
    ASSERT_TRUE(list.Add(&first));
    ASSERT_TRUE(list.Add(&second));
    ASSERT_TRUE(list.Add(&third));
    EXPECT_FALSE(list.Add(&second)); // already there
    EXPECT_FALSE(list.Add(nullptr));

    // The first removes the third (a later one) and itself: the third is
    // not called by this delivery, and the first is gone from the next.
    first.during = [&] {
        list.Remove(&third);
        list.RemoveAndWait(&first); // its own call: no wait
    };
    Deliver(list);
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
    log.clear();
    Deliver(list);
    EXPECT_EQ(log, (std::vector<int>{2}));
}

TEST(SubscriberListTest, RemoveAndWaitWaitsForACallInProgressOnAnotherThread)
{
    std::vector<int> log;
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    CSink sink{7, &log};
    sink.during = [&] {
        entered.set_value();
        released.wait();
    };
    CSubscriberList<CSink> list;
    list.Add(&sink);

    std::thread deliverer([&] { Deliver(list); });
    entered.get_future().wait(); // the deliverer is inside the call

    std::atomic<bool> returned{false};
    std::thread remover([&] {
        EXPECT_TRUE(list.RemoveAndWait(&sink));
        returned = true;
    });
    // Whatever the scheduling, it cannot return while the call runs.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    release.set_value();
    remover.join();
    deliverer.join();
    EXPECT_TRUE(returned.load());
    EXPECT_FALSE(list.Contains(&sink));
    // Nothing in progress: it returns at once, also for one never added.
    EXPECT_FALSE(list.RemoveAndWait(&sink));
}

// Grids come and go on the GUI thread while a worker keeps changing the
// header they share; each grid's destruction must wait for a notification
// that is already inside it on the worker.
TEST(SubscriberListTest, GridsDestroyedWhileTheirHeaderChangesOnAWorker)
{
    using namespace Brivel::GUI::Testing;
    QWidget parent;
    auto header = std::make_unique<CHeader>(false); // the test's own, shared by every grid
    header->AddColumn(std::make_unique<CColumn>(CRowObject::kName, "Name", 80));
    header->AddColumn(std::make_unique<CColumn>(CRowObject::kValue, "Value", 60));
    CColumn* const column = header->GetColumn(1);
    ASSERT_NE(column, nullptr);
    std::atomic<bool> stop{false};
    std::atomic<int> changes{0};
    std::thread worker([&] {
        for (int width = 40; !stop.load(); width = width == 90 ? 40 : width + 1) {
            column->SetWidth(width);
            changes.fetch_add(1);
        }
    });
    // Three grids at a time: a delivery blocked in one grid's call holds a
    // copy of the list with the others, one of which is destroyed before the
    // GUI thread serves that call.
    std::deque<std::unique_ptr<CGrid>> grids;
    for (int round = 0; round < 60; ++round) {
        grids.push_back(std::make_unique<CGrid>(&parent));
        grids.back()->SetHeader(header.get());
        const int before = changes.load();
        PumpUntil([&] { return changes.load() > before + 2; }, 1000); // serves the worker's calls
        // The newest is the last the worker calls: it is most likely still
        // ahead in a delivery that is blocked in an older grid's call.
        if (grids.size() == 3)
            grids.pop_back();
    }
    grids.clear();
    stop = true;
    worker.join();
    EXPECT_GT(changes.load(), 0);
}

} // namespace
} // namespace Brivel::GUI
