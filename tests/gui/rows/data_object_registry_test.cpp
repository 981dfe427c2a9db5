// The data-object registry: bindings and the sink's attachment, deliveries
// in binding order, disposal of an object's rows (attached, detached, an owner
// that keeps its row, a handler that throws), and objects that refuse the sink.

#include "gui/rows/data_object_registry.h"

#include "tests/gui/rows/row_test_support.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace Brivel::GUI {
namespace {

using Testing::CFakeOwner;
using Testing::CProbeObject;

class RegistryTest : public ::testing::Test {
protected:
    // A row of the body list bound to `object`.
    CGridItem* AddRow(CProbeObject* object, CGridItem* parent = nullptr)
    {
        CGridItem* item = CGridItem::Create(object);
        EXPECT_TRUE(m_owner.body.InsertChild(parent, CRowList::kTail, item, true));
        return item;
    }
    int32_t DetachedMembers() const { return CRowList::GetDetachedList()->GetMemberCount(); }

    CDataObjectRegistry& m_registry = CDataObjectRegistry::GetInstance();
    CFakeOwner m_owner;
};

TEST_F(RegistryTest, TwoRowsShareOneSinkAndGetChangesInBindingOrder)
{
    CProbeObject object;
    CGridItem* second = AddRow(nullptr);
    CGridItem* first = AddRow(nullptr);
    first->SetDataObject(&object); // bound first, though shown second
    EXPECT_EQ(object.GetSubscriberCountForTesting(), 1u);
    second->SetDataObject(&object);
    EXPECT_EQ(object.GetSubscriberCountForTesting(), 1u); // attached once

    ASSERT_TRUE(m_registry.DeliverUpdate({&object, 4, m_registry.GetDispatcher().GetSequence()}));
    ASSERT_EQ(m_owner.dataChanges.size(), 2u);
    EXPECT_EQ(m_owner.dataChanges[0].item, first);
    EXPECT_EQ(m_owner.dataChanges[1].item, second);

    std::vector<CGridItem*> rows;
    m_registry.GetRows(&object, rows);
    EXPECT_EQ(rows, (std::vector<CGridItem*>{first, second}));

    first->SetDataObject(nullptr);
    EXPECT_EQ(object.GetSubscriberCountForTesting(), 1u);
    second->SetDataObject(nullptr);
    EXPECT_EQ(object.GetSubscriberCountForTesting(), 0u); // detached once, with the last binding
    EXPECT_FALSE(m_registry.IsBound(&object));
}

TEST_F(RegistryTest, RemovingAnUnboundPairChangesNothing)
{
    CProbeObject object;
    CGridItem* bound = AddRow(&object);
    CGridItem* other = AddRow(nullptr);
    EXPECT_FALSE(m_registry.RemoveBinding(&object, other));
    EXPECT_FALSE(m_registry.RemoveBinding(nullptr, bound));
    EXPECT_FALSE(m_registry.RemoveBinding(&object, nullptr));
    EXPECT_FALSE(m_registry.AddBinding(nullptr, bound));
    EXPECT_TRUE(m_registry.HasBinding(&object, bound));
    EXPECT_EQ(object.GetSubscriberCountForTesting(), 1u);
    EXPECT_FALSE(m_registry.IsBound(nullptr));
    EXPECT_EQ(m_registry.CheckInvariantsForTesting(), "");
}

TEST_F(RegistryTest, GetRowsSkipsDetachedRowsAndOtherGrids)
{
    CProbeObject object;
    CFakeOwner otherGrid;
    CGridItem* mine = AddRow(&object);
    CGridItem* detached = CGridItem::Create(&object);
    CGridItem* theirs = CGridItem::Create(&object);
    ASSERT_TRUE(otherGrid.pinned.InsertChild(nullptr, 0, theirs, true));
    std::vector<CGridItem*> rows;
    m_registry.GetRows(&object, rows);
    EXPECT_EQ(rows, (std::vector<CGridItem*>{mine, theirs}));
    rows.clear();
    m_registry.GetRows(&object, rows, &m_owner);
    EXPECT_EQ(rows, std::vector<CGridItem*>{mine});
    CRowList::DestroyItem(detached);
}

TEST_F(RegistryTest, DisposalOnTheGuiThreadRemovesEveryRow)
{
    const int32_t detachedBefore = DetachedMembers();
    auto object = std::make_unique<CProbeObject>();
    CGridItem* parent = AddRow(object.get());
    AddRow(object.get(), parent); // goes with its parent
    CGridItem* other = AddRow(nullptr);
    CGridItem::Create(object.get()); // a detached row: deleted
    ASSERT_EQ(DetachedMembers(), detachedBefore + 1);
    bool boundInDestructor = true;
    object->afterAnnouncement = [&](CProbeObject* self) { boundInDestructor = m_registry.IsBound(self); };

    object.reset();
    EXPECT_FALSE(boundInDestructor);
    EXPECT_EQ(m_owner.disposalRemovals, 1);
    EXPECT_EQ(m_owner.body.GetMemberCount(), 1);
    EXPECT_EQ(m_owner.body.GetItem(0), other);
    EXPECT_EQ(DetachedMembers(), detachedBefore);
    EXPECT_FALSE(m_registry.IsDisposing());
    EXPECT_EQ(m_owner.body.CheckInvariantsForTesting(), "");
}

TEST_F(RegistryTest, RowsAnOwnerKeepsLoseTheDisposedObject)
{
    auto object = std::make_unique<CProbeObject>();
    CGridItem* kept = AddRow(object.get());
    m_owner.removeOnDisposal = false;
    object.reset();
    EXPECT_EQ(m_owner.disposalRemovals, 1);
    EXPECT_EQ(kept->GetDataObject(), nullptr);
    EXPECT_EQ(m_owner.body.GetRowCount(), 1);
    EXPECT_EQ(m_registry.CheckInvariantsForTesting(), "");
}

// An owner whose handlers throw: deliveries and disposals go on regardless.
class CThrowingOwner final : public IRowListOwner {
public:
    void NotifyItem(int32_t, CGridItem&) override {}
    void OnRowsChanged(CRowList&, int32_t, int32_t) override {}
    void InvalidateItem(CGridItem&) override {}
    int32_t GetFocusRow(const CRowList&) const override { return -1; }
    void SetFocusRow(CRowList&, int32_t) override {}
    bool IsSelectionEnabled() const override { return true; }
    bool IsMultipleSelection() const override { return true; }
    bool HasSelection() const override { return false; }
    IRowFilter* GetRowFilter() const override { return nullptr; }
    CGrid* GetGrid() const override { return nullptr; }
    void OnItemDataChanged(CGridItem&, int32_t) override { throw std::runtime_error("data change"); }
    void RemoveItemOfDisposedObject(CGridItem&) override { throw std::runtime_error("removal"); }

    CRowList body{CRowList::kBodyList, this};
};

TEST_F(RegistryTest, ThrowingHandlersCostOnlyTheirOwnRow)
{
    CThrowingOwner throwing;
    auto object = std::make_unique<CProbeObject>();
    CGridItem* failing = CGridItem::Create(object.get());
    ASSERT_TRUE(throwing.body.InsertChild(nullptr, 0, failing, true));
    CGridItem* healthy = AddRow(object.get());
    const uint64_t failuresBefore = m_registry.GetFailedDeliveryCount();

    EXPECT_TRUE(m_registry.DeliverUpdate({object.get(), 2, m_registry.GetDispatcher().GetSequence()}));
    ASSERT_EQ(m_owner.dataChanges.size(), 1u);
    EXPECT_EQ(m_owner.dataChanges[0].item, healthy);

    object.reset();
    EXPECT_EQ(failing->GetDataObject(), nullptr);
    EXPECT_EQ(m_owner.body.GetRowCount(), 0);
    EXPECT_EQ(m_registry.GetFailedDeliveryCount(), failuresBefore + 2);
}

TEST_F(RegistryTest, AnObjectBeingDestroyedIsNotBound)
{
    CGridItem* lateRow = nullptr;
    bool bindingSucceeded = true;
    {
        CProbeObject object;
        object.afterAnnouncement = [&](CProbeObject* self) {
            lateRow = CGridItem::Create();
            bindingSucceeded = lateRow->SetDataObject(self);
        };
    }
    ASSERT_NE(lateRow, nullptr);
    EXPECT_FALSE(bindingSucceeded);
    EXPECT_EQ(lateRow->GetDataObject(), nullptr);
    EXPECT_EQ(m_registry.CheckInvariantsForTesting(), "");
    CRowList::DestroyItem(lateRow);
}

TEST_F(RegistryTest, DeliveriesRefusedOffTheGuiThreadAndForStalePackets)
{
    // A change of another object waits in the queue (nothing drains here),
    // so the binding below is made with an older packet still to come.
    CProbeObject earlier;
    CGridItem* earlierRow = AddRow(&earlier);
    const uint64_t olderPacket = m_registry.GetDispatcher().GetSequence();
    earlier.NotifyUpdate(1);
    CProbeObject object;
    AddRow(&object);
    const uint64_t boundAt = m_registry.GetDispatcher().GetSequence();
    bool delivered = true;
    std::thread([&] { delivered = m_registry.DeliverUpdate({&object, 1, boundAt}); }).join();
    EXPECT_FALSE(delivered);
    EXPECT_FALSE(m_registry.DeliverUpdate({&object, 1, olderPacket})); // older than the binding
    CRowList::DestroyItem(earlierRow);
    EXPECT_FALSE(m_registry.DeliverUpdate({nullptr, 1, boundAt}));
    EXPECT_TRUE(m_owner.dataChanges.empty());
}

} // namespace
} // namespace Brivel::GUI
