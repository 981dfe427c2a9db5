#include "platform/notify.h"

#include "platform/message_window.h"
#include "tests/platform/message_test_support.h"

#include <gtest/gtest.h>

#include <QThread>
#include <QWidget>

#include <future>
#include <memory>
#include <vector>

namespace Brivel::Platform {
namespace {

using Testing::CRecordingWindow;

// A sender's record: the fixed header, then fields of its own.
struct CItemNotify : CNotifyHeader {
    uint32_t state = 0;
    int32_t row = -1;
};

struct Delivery {
    CNotifyHeader header;
    uint32_t state;
    int32_t row;
};

class NotifyTest : public ::testing::Test {
protected:
    // Records what reaches one object, and answers with `answer`.
    std::unique_ptr<CNotifyReceiver> Listen(QObject& receiver, std::vector<Delivery>& into, LRESULT answer = 0)
    {
        return std::make_unique<CNotifyReceiver>(receiver, [&into, answer](const CNotifyHeader& header) {
            const auto& record = static_cast<const CItemNotify&>(header);
            into.push_back({header, record.state, record.row});
            return answer;
        });
    }

    QObject parent;
    std::vector<Delivery> atParent;
    std::vector<Delivery> atOwner;
};

TEST_F(NotifyTest, ReachesTheParentWithTheFilledHeaderAndTheSendersRecord)
{
    const auto listener = Listen(parent, atParent, 17);
    CRecordingWindow window(&parent);
    window.SetControlId(0x1234);
    int sourceObject = 0;

    CItemNotify record;
    record.source = &sourceObject;
    record.state = 0x25;
    record.row = 9;
    EXPECT_EQ(window.SendNotify(6, record), 17);

    ASSERT_EQ(atParent.size(), 1u);
    const Delivery& got = atParent[0];
    EXPECT_EQ(got.header.window, window.GetSafeHwnd());
    EXPECT_EQ(got.header.controlId, 0x1234u);
    EXPECT_EQ(got.header.code, 6);
    EXPECT_EQ(got.header.codeAgain, 6);
    EXPECT_EQ(got.header.source, &sourceObject);
    EXPECT_EQ(got.state, 0x25u);
    EXPECT_EQ(got.row, 9);
}

TEST_F(NotifyTest, OwnerTakesPrecedenceUntilItIsGone)
{
    const auto parentListener = Listen(parent, atParent);
    CRecordingWindow window(&parent);
    auto owner = std::make_unique<QObject>();
    const auto ownerListener = Listen(*owner, atOwner);
    window.SetOwner(owner.get());

    CItemNotify record;
    window.SendNotify(1, record);
    EXPECT_EQ(atOwner.size(), 1u);
    EXPECT_TRUE(atParent.empty());

    owner.reset();
    EXPECT_EQ(window.GetNotifyTarget(), &parent) << "a destroyed owner is no owner";
    window.SendNotify(2, record);
    ASSERT_EQ(atParent.size(), 1u);
    EXPECT_EQ(atParent[0].header.code, 2);
}

TEST_F(NotifyTest, WidgetParentReceivesItToo)
{
    QWidget frame;
    std::vector<Delivery> atFrame;
    const auto listener = Listen(frame, atFrame, 3);
    auto* child = new QWidget(&frame); // owned by parent
    struct CChildWindow : CMessageWindow {
        explicit CChildWindow(QWidget* widget) : CMessageWindow(widget) {}
    } childWindow(child);

    CItemNotify record;
    EXPECT_EQ(childWindow.SendNotify(0, record), 3);
    EXPECT_EQ(atFrame.size(), 1u);
}

TEST_F(NotifyTest, NothingIsSentWithoutATargetOnThisThread)
{
    CRecordingWindow orphan; // no parent, no owner
    CItemNotify record;
    EXPECT_EQ(orphan.GetNotifyTarget(), nullptr);
    EXPECT_EQ(orphan.SendNotify(4, record), 0);

    // A receiver living on another thread is never sent to: sendEvent would
    // run its handler here, on the wrong thread.
    struct CEventCounter : QObject {
        int notifications = 0;
        bool event(QEvent* event) override
        {
            if (CNotifyEvent::FromEvent(event))
                ++notifications;
            return QObject::event(event);
        }
    };
    QThread other;
    other.start();
    auto foreign = std::make_unique<CEventCounter>();
    foreign->moveToThread(&other);
    EXPECT_EQ(SendNotify(foreign.get(), record), 0);
    other.quit();
    other.wait();
    EXPECT_EQ(foreign->notifications, 0);
}

TEST_F(NotifyTest, ReceiverStopsListeningWhenDestroyed)
{
    CRecordingWindow window(&parent);
    auto listener = Listen(parent, atParent, 8);
    CItemNotify record;
    EXPECT_EQ(window.SendNotify(1, record), 8);
    listener.reset();
    EXPECT_EQ(window.SendNotify(1, record), 0);
    EXPECT_EQ(atParent.size(), 1u);
}

TEST_F(NotifyTest, ReceiverOutlivingItsObjectIsHarmless)
{
    auto receiver = std::make_unique<QObject>();
    const auto listener = Listen(*receiver, atParent);
    receiver.reset(); // the listener's destructor must not touch it
}

} // namespace
} // namespace Brivel::Platform
