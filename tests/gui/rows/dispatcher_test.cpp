// The dispatcher for real: changes raised on workers and on the GUI thread
// reach the rows through the GUI thread's event loop, in order; disposals on
// workers finish before the object's destructor returns; stale packets never
// reach an object at the same address; a full queue refreshes the rows; and
// the behaviour after shutdown and at process exit (in child processes).

#include "gui/rows/dispatcher.h"

#include "gui/rows/data_object_registry.h"
#include "platform/message_window.h"
#include "tests/gui/rows/row_test_support.h"

#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <new>
#include <thread>
#include <vector>

namespace Brivel::GUI {
namespace {

using Testing::CFakeOwner;
using Testing::CProbeObject;

class DispatcherTest : public ::testing::Test {
protected:
    CGridItem* AddRow(CProbeObject* object)
    {
        CGridItem* item = CGridItem::Create(object);
        EXPECT_TRUE(m_owner.body.InsertChild(nullptr, CRowList::kTail, item, true));
        return item;
    }
    // Runs the GUI thread's event loop until `done` holds (at most `timeoutMs`).
    template <class Pred>
    bool PumpUntil(Pred done, int timeoutMs = 10000)
    {
        return QTest::qWaitFor(done, timeoutMs);
    }

    CDataObjectRegistry& m_registry = CDataObjectRegistry::GetInstance();
    CDispatcher& m_dispatcher = m_registry.GetDispatcher();
    CFakeOwner m_owner;
};

TEST_F(DispatcherTest, HasItsWindowOnTheGuiThread)
{
    EXPECT_TRUE(m_dispatcher.IsGuiThread());
    EXPECT_NE(m_dispatcher.GetSafeHwnd(), Platform::HWND{});
    EXPECT_FALSE(m_dispatcher.IsShutDown());
}

TEST_F(DispatcherTest, WorkerChangeReachesTheRowsOnTheGuiThread)
{
    CProbeObject object;
    CGridItem* first = AddRow(&object);
    CGridItem* second = AddRow(&object);
    std::thread([&object] { object.NotifyUpdate(3); }).join();
    EXPECT_TRUE(m_owner.dataChanges.empty()); // nothing until the event loop runs
    ASSERT_TRUE(PumpUntil([&] { return m_owner.dataChanges.size() == 2; }));
    EXPECT_EQ(m_owner.dataChanges[0].item, first);
    EXPECT_EQ(m_owner.dataChanges[1].item, second);
    EXPECT_EQ(m_owner.dataChanges[0].fieldId, 3);
    EXPECT_EQ(m_owner.dataChanges[0].thread, std::this_thread::get_id());
}

TEST_F(DispatcherTest, ABurstOfTenThousandChangesArrivesInOrder)
{
    CProbeObject object;
    AddRow(&object);
    std::thread worker([&object] {
        for (int32_t field = 0; field < 10000; ++field)
            object.NotifyUpdate(field);
    });
    ASSERT_TRUE(PumpUntil([&] { return m_owner.dataChanges.size() >= 10000; }));
    worker.join();
    QTest::qWait(20); // nothing more arrives
    ASSERT_EQ(m_owner.dataChanges.size(), 10000u);
    for (int32_t field = 0; field < 10000; ++field)
        ASSERT_EQ(m_owner.dataChanges[static_cast<size_t>(field)].fieldId, field);
}

// A window on the GUI thread that answers each call with its argument + 1 and
// notes, while changes were still waiting, in which drain of them it answered.
class CCountingWindow final : public Platform::CMessageWindow {
public:
    CCountingWindow(const CFakeOwner& owner, const CDispatcher& dispatcher, size_t changes)
        : CMessageWindow(&m_object), m_owner(owner), m_dispatcher(dispatcher), m_changes(changes)
    {
    }
    std::vector<uint64_t> drainsWhileBacklogged;

protected:
    Platform::LRESULT OnMessage(uint32_t, Platform::WPARAM wParam, Platform::LPARAM) override
    {
        if (m_owner.dataChanges.size() < m_changes)
            drainsWhileBacklogged.push_back(m_dispatcher.GetDrainCountForTesting());
        return static_cast<Platform::LRESULT>(wParam + 1);
    }

private:
    QObject m_object;
    const CFakeOwner& m_owner;
    const CDispatcher& m_dispatcher;
    const size_t m_changes;
};

TEST_F(DispatcherTest, CallsFromAWorkerAreAnsweredBetweenSlicesOfABacklog)
{
    constexpr int32_t kChanges = 500000;
    constexpr int kCalls = 2000;
    CProbeObject object;
    AddRow(&object);
    CCountingWindow window(m_owner, m_dispatcher, kChanges);
    // However far behind the deliveries fall (a slow sanitizer build), the
    // calls are answered within the drains.
    m_dispatcher.SetMaxLagForCallsForTesting(60'000'000);
    const uint32_t message = Platform::RegisterMessage("Brivel.Test.CountingCall");
    std::atomic<bool> backlog{false};
    std::thread producer([&] {
        for (int32_t field = 0; field < kChanges; ++field) {
            object.NotifyUpdate(field);
            if (field == kChanges / 2)
                backlog = true;
        }
    });
    std::atomic<int> wrong{0};
    std::atomic<bool> callsDone{false};
    std::thread caller([&] {
        while (!backlog.load())
            std::this_thread::yield();
        for (int call = 0; call < kCalls; ++call)
            if (Platform::SendMessage(window.GetSafeHwnd(), message, Platform::WPARAM(call), 0) != call + 1)
                ++wrong;
        callsDone = true;
    });
    // A bound on a hang, not a timing: half a million changes take a
    // sanitizer build on a busy machine well over ten seconds.
    ASSERT_TRUE(PumpUntil([&] { return callsDone.load() && m_owner.dataChanges.size() >= size_t(kChanges); }, 120000));
    producer.join();
    caller.join();
    EXPECT_EQ(wrong.load(), 0);
    ASSERT_EQ(m_owner.dataChanges.size(), size_t(kChanges));
    for (int32_t field = 0; field < kChanges; ++field)
        ASSERT_EQ(m_owner.dataChanges[static_cast<size_t>(field)].fieldId, field) << "every change, in order";
    // Counted in turns, not time: while the backlog drained, many calls were
    // answered within one drain of it, not one call per drain.
    const std::vector<uint64_t>& drains = window.drainsWhileBacklogged;
    ASSERT_GE(drains.size(), 10u);
    size_t turns = 1;
    for (size_t i = 1; i < drains.size(); ++i)
        turns += drains[i] != drains[i - 1] ? 1 : 0;
    EXPECT_GE(drains.size(), 4 * turns) << drains.size() << " calls answered in " << turns << " drains";
    window.DestroyWindow();
    m_dispatcher.SetMaxLagForCallsForTesting(CDispatcher::kMaxLagForCallsUs);
}

TEST_F(DispatcherTest, ChangeOnTheGuiThreadArrivesFromTheEventLoop)
{
    CProbeObject object;
    AddRow(&object);
    object.NotifyUpdate(1);
    object.NotifyUpdate(2);
    EXPECT_TRUE(m_owner.dataChanges.empty());
    EXPECT_EQ(m_dispatcher.GetQueuedUpdateCountForTesting(), 2u);
    ASSERT_TRUE(PumpUntil([&] { return m_owner.dataChanges.size() == 2; }));
    EXPECT_EQ(m_owner.dataChanges[1].fieldId, 2);
}

TEST_F(DispatcherTest, ObjectDeletedOnAWorkerIsGoneFromEveryRowFirst)
{
    auto object = std::make_unique<CProbeObject>();
    AddRow(object.get());
    AddRow(object.get());
    CGridItem* detached = CGridItem::Create(object.get());
    const int32_t detachedMembers = CRowList::GetDetachedList()->GetMemberCount();
    std::atomic<bool> boundInDestructor{true};
    std::atomic<int> removalsInDestructor{0};
    object->afterAnnouncement = [&](CProbeObject* self) {
        boundInDestructor = m_registry.IsBound(self);
        removalsInDestructor = m_owner.disposalRemovals; // written by the GUI thread before the send returned
    };
    std::atomic<bool> done{false};
    std::thread worker([&] {
        object.reset();
        done = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_FALSE(boundInDestructor);
    EXPECT_EQ(removalsInDestructor, 2);
    EXPECT_EQ(m_owner.body.GetRowCount(), 0);
    EXPECT_EQ(CRowList::GetDetachedList()->GetMemberCount(), detachedMembers - 1);
    static_cast<void>(detached); // deleted by the disposal
}

TEST_F(DispatcherTest, StalePacketNeverReachesANewObjectAtTheSameAddress)
{
    alignas(CProbeObject) unsigned char storage[sizeof(CProbeObject)];
    CProbeObject* first = new (storage) CProbeObject(); // placement: the address is reused below
    AddRow(first);
    first->NotifyUpdate(5); // queued for `first`
    first->~CProbeObject(); // its row goes at once (GUI thread)
    ASSERT_EQ(m_owner.body.GetRowCount(), 0);
    CProbeObject* second = new (storage) CProbeObject();
    ASSERT_EQ(static_cast<void*>(second), static_cast<void*>(first));
    CGridItem* row = AddRow(second);
    second->NotifyUpdate(6);
    ASSERT_TRUE(PumpUntil([&] { return !m_owner.dataChanges.empty(); }));
    QTest::qWait(10);
    ASSERT_EQ(m_owner.dataChanges.size(), 1u);
    EXPECT_EQ(m_owner.dataChanges[0].item, row);
    EXPECT_EQ(m_owner.dataChanges[0].fieldId, 6);
    CRowList::DestroyItem(row);
    second->~CProbeObject();
}

TEST_F(DispatcherTest, FullQueueDropsChangesThenRefreshesEveryRow)
{
    CProbeObject busy;
    CProbeObject quiet;
    CGridItem* busyRow = AddRow(&busy);
    CGridItem* quietRow = AddRow(&quiet);
    m_dispatcher.SetQueueLimitForTesting(100);
    const uint64_t droppedBefore = m_dispatcher.GetDroppedUpdateCount();
    for (int32_t field = 0; field < 250; ++field)
        busy.NotifyUpdate(field); // the GUI thread does not drain meanwhile
    m_dispatcher.SetQueueLimitForTesting(CDispatcher::kMaxQueuedUpdates);
    EXPECT_EQ(m_dispatcher.GetDroppedUpdateCount() - droppedBefore, 150u);
    ASSERT_TRUE(PumpUntil([&] { return m_owner.dataChanges.size() == 102; }));

    int refreshesOfBusy = 0;
    int refreshesOfQuiet = 0;
    std::vector<int32_t> fields;
    for (const CFakeOwner::DataChange& change : m_owner.dataChanges) {
        if (change.fieldId == CDispatcher::kRefreshFieldId) {
            refreshesOfBusy += change.item == busyRow;
            refreshesOfQuiet += change.item == quietRow;
        } else {
            fields.push_back(change.fieldId);
        }
    }
    EXPECT_EQ(refreshesOfBusy, 1);
    EXPECT_EQ(refreshesOfQuiet, 1);
    ASSERT_EQ(fields.size(), 100u);
    for (int32_t field = 0; field < 100; ++field)
        EXPECT_EQ(fields[static_cast<size_t>(field)], field);
}

// ---- Shutdown and exit, in child processes ----

// Returns 0 when every step holds, else the number of the failed step.
int RunAfterShutdown()
{
    CDataObjectRegistry& registry = CDataObjectRegistry::GetInstance();
    CDispatcher& dispatcher = registry.GetDispatcher();
    auto owner = std::make_unique<CFakeOwner>();
    auto* attachedObject = new CProbeObject();
    auto detachedObject = std::make_unique<CProbeObject>();
    CGridItem* attached = CGridItem::Create(attachedObject);
    if (!owner->body.InsertChild(nullptr, 0, attached, true))
        return 1;
    CGridItem::Create(detachedObject.get());
    const int32_t detachedMembers = CRowList::GetDetachedList()->GetMemberCount();

    dispatcher.Shutdown(); // what the application's destruction does
    dispatcher.Shutdown();
    if (!dispatcher.IsShutDown() || dispatcher.GetSafeHwnd() != Platform::HWND{})
        return 2;
    const uint64_t dropped = dispatcher.GetDroppedUpdateCount();
    attachedObject->NotifyUpdate(1);
    if (dispatcher.GetDroppedUpdateCount() != dropped + 1 || dispatcher.GetQueuedUpdateCountForTesting() != 0)
        return 3;

    // A worker's deletion returns at once and leaves no row on the object.
    auto deletion = std::async(std::launch::async, [attachedObject] { delete attachedObject; });
    if (deletion.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
        return 4;
    if (attached->GetDataObject() != nullptr || owner->body.GetRowCount() != 1)
        return 5;

    // On the GUI thread a deletion still removes rows.
    detachedObject.reset();
    if (CRowList::GetDetachedList()->GetMemberCount() != detachedMembers - 1)
        return 6;
    if (!registry.CheckInvariantsForTesting().empty() || registry.GetBoundObjectCount() != 0)
        return 7;
    return 0;
}

TEST(DispatcherShutdownDeathTest, AfterShutdownChangesAreDroppedAndDisposalsNeverHang)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(RunAfterShutdown()), ::testing::ExitedWithCode(0), "");
}

// Destroyed after the detached list: constructed before its first use.
struct CLateObject {
    CProbeObject object;
    ~CLateObject() { std::fprintf(stderr, "late object: %u sinks\n", object.GetSubscriberCountForTesting()); }
};

// Destroyed before the detached list: constructed after it.
struct CEarlyObject {
    CProbeObject object;
};

void SetUpObjectsForExit()
{
    static CLateObject late; // first: destroyed last
    static CProbeObject* leaked = new CProbeObject(); // never deleted, bound at exit
    CGridItem::Create(&late.object);
    CGridItem::Create(leaked);
    static CEarlyObject early; // after the detached list: destroyed before it
    CGridItem::Create(&early.object);
    const int32_t members = CRowList::GetDetachedList()->GetMemberCount();
    early.object.afterAnnouncement = [members](CProbeObject*) {
        std::fprintf(stderr, "early object's row %s\n",
                     CRowList::GetDetachedList()->GetMemberCount() == members - 1 ? "deleted" : "kept");
    };
}

TEST(DispatcherShutdownDeathTest, BoundObjectsAndDetachedRowsAtExit)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // exit() runs the static destructors: the early object's disposal
    // deletes its detached row, the detached list's teardown unbinds the
    // others from objects still alive, and the late object finds no sink.
    EXPECT_EXIT(
        {
            SetUpObjectsForExit();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "early object's row deleted\n(.|\n)*late object: 0 sinks");
}

} // namespace
} // namespace Brivel::GUI
