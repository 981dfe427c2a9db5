// The row tree: the flat list of visible rows against the tree, expansion,
// filtering, selection, focus, moves and destruction, checked with the
// list's invariant walk after each change.

#include "gui/rows/row_list.h"

#include "gui/rows/data_object_registry.h"
#include "tests/gui/rows/row_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace Brivel::GUI {
namespace {

using Testing::CFakeOwner;
using Testing::CSetFilter;
using Testing::RowsOf;
using Event = CFakeOwner::Event;

class RowListTest : public ::testing::Test {
protected:
    // A new item under `parent` (null: the root) of the body list.
    CGridItem* Add(CGridItem* parent = nullptr, int32_t index = CRowList::kTail, bool show = true)
    {
        CGridItem* item = CGridItem::Create();
        EXPECT_TRUE(Body().InsertChild(parent, index, item, show));
        return item;
    }
    CRowList& Body() { return m_owner.body; }
    void ExpectValid(const CRowList& list) { EXPECT_EQ(list.CheckInvariantsForTesting(), ""); }

    CFakeOwner m_owner;
};

TEST_F(RowListTest, EmptyListHasNoRows)
{
    EXPECT_EQ(Body().GetRowCount(), 0);
    EXPECT_EQ(Body().GetItem(0), nullptr);
    EXPECT_EQ(Body().GetItem(-1), nullptr);
    EXPECT_EQ(Body().GetRowIndex(nullptr), -1);
    EXPECT_FALSE(Body().Contains(Body().GetRoot()));
    EXPECT_EQ(Body().GetRoot()->GetParent(), nullptr);
    ExpectValid(Body());
}

TEST_F(RowListTest, ThousandHeadInsertionsNumberEveryRow)
{
    std::vector<CGridItem*> items;
    for (int i = 0; i < 1000; ++i)
        items.push_back(Add(nullptr, 0));
    ASSERT_EQ(Body().GetRowCount(), 1000);
    EXPECT_EQ(Body().GetRowIndex(items.front()), 999);
    EXPECT_EQ(Body().GetItem(999), items.front());
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(Body().GetRowIndex(items[static_cast<size_t>(i)]), 999 - i);
    EXPECT_EQ(Body().GetMemberCount(), 1000);
    ExpectValid(Body());
}

TEST_F(RowListTest, InsertionReportsShownRowsAndKeepsSiblingOrder)
{
    CGridItem* a = Add();
    CGridItem* c = Add();
    m_owner.ClearRecords();
    CGridItem* b = Add(nullptr, 1);
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{a, b, c}));
    ASSERT_EQ(m_owner.rowsChanged.size(), 1u);
    EXPECT_EQ(m_owner.rowsChanged[0].firstRow, 1);
    EXPECT_EQ(m_owner.rowsChanged[0].lastRow, kThroughLastRow);
    EXPECT_EQ(m_owner.events, (std::vector<Event>{{kNotifyItemShown, b}}));
}

// A row added at the tail of the top level goes after every shown row,
// whatever lies between: an expanded subtree, a filtered row, a collapsed one.
TEST_F(RowListTest, TailInsertionLandsAfterEveryShownRow)
{
    CSetFilter filter;
    m_owner.filter = &filter;
    CGridItem* a = Add();
    CGridItem* child = Add(a);
    CGridItem* grandchild = Add(child);
    child->Expand();
    a->Expand();
    CGridItem* hidden = CGridItem::Create();
    filter.hidden.insert(hidden);
    ASSERT_TRUE(Body().InsertChild(nullptr, CRowList::kTail, hidden, true));
    CGridItem* collapsed = Add();
    Add(collapsed);
    CGridItem* tail = Add();
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{a, child, grandchild, collapsed, tail}));
    // At the tail of a nested parent: after that parent's shown subtree.
    CGridItem* second = Add(a);
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{a, child, grandchild, second, collapsed, tail}));
    ExpectValid(Body());
}

TEST_F(RowListTest, BadInsertionsChangeNothing)
{
    CGridItem* inserted = Add();
    CGridItem* item = CGridItem::Create();
    CFakeOwner other;
    CGridItem* foreign = CGridItem::Create();
    ASSERT_TRUE(other.body.InsertChild(nullptr, CRowList::kTail, foreign, true));

    EXPECT_FALSE(Body().InsertChild(nullptr, 0, nullptr, true));
    EXPECT_FALSE(Body().InsertChild(nullptr, 0, inserted, true));          // already inserted
    EXPECT_FALSE(Body().InsertChild(nullptr, 2, item, true));              // index past the end
    EXPECT_FALSE(Body().InsertChild(nullptr, -2, item, true));
    EXPECT_FALSE(Body().InsertChild(foreign, 0, item, true));              // parent of another grid
    EXPECT_FALSE(Body().InsertChild(nullptr, 0, Body().GetRoot(), true));  // a root
    EXPECT_FALSE(other.body.InsertChild(nullptr, 0, inserted, true));      // in a grid list already
    EXPECT_EQ(Body().GetRowCount(), 1);
    EXPECT_EQ(item->GetRowList(), CRowList::GetDetachedList());
    ExpectValid(Body());
    EXPECT_TRUE(CRowList::DestroyItem(item));
    EXPECT_FALSE(CRowList::DestroyItem(Body().GetRoot()));
}

TEST_F(RowListTest, InsertUnderCollapsedParentAddsToTreeOnly)
{
    CGridItem* parent = Add();
    m_owner.ClearRecords();
    CGridItem* child = Add(parent);
    EXPECT_EQ(Body().GetRowCount(), 1);
    EXPECT_FALSE(child->IsShown());
    EXPECT_EQ(child->GetParent(), parent);
    EXPECT_EQ(parent->GetChildCount(), 1);
    EXPECT_TRUE(m_owner.rowsChanged.empty());
    // The parent's row is repainted for its new expand button, once.
    EXPECT_EQ(m_owner.invalidated, std::vector<CGridItem*>{parent});
    Add(parent);
    EXPECT_EQ(m_owner.invalidated.size(), 1u);
    ExpectValid(Body());
}

TEST_F(RowListTest, CollapseHidesOnlyShownDescendantsAndExpandRestoresOneLevel)
{
    CGridItem* parent = Add();
    CGridItem* first = Add(parent);
    CGridItem* grandchild = Add(first);
    CGridItem* second = Add(parent);
    CGridItem* after = Add();
    parent->Expand();
    ASSERT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{parent, first, second, after}));
    EXPECT_FALSE(grandchild->IsShown());

    parent->Collapse();
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{parent, after}));
    EXPECT_EQ(parent->GetVisibleDescendantCount(), 0);
    ExpectValid(Body());

    m_owner.ClearRecords();
    parent->Expand();
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{parent, first, second, after}));
    EXPECT_FALSE(grandchild->IsShown());
    EXPECT_EQ(m_owner.events, (std::vector<Event>{{kNotifyExpandedChanged, parent},
                                                  {kNotifyItemShown, first},
                                                  {kNotifyItemShown, second}}));
    ExpectValid(Body());
}

TEST_F(RowListTest, ExpandingAnExpandedItemSendsNothing)
{
    CGridItem* parent = Add();
    Add(parent);
    parent->Expand();
    m_owner.ClearRecords();
    parent->Expand();
    EXPECT_TRUE(m_owner.events.empty());
    EXPECT_TRUE(m_owner.rowsChanged.empty());
    parent->Collapse();
    m_owner.ClearRecords();
    parent->Collapse();
    EXPECT_TRUE(m_owner.events.empty());
}

TEST_F(RowListTest, RecursiveExpandAndCollapseCoverTheSubtree)
{
    CGridItem* top = Add();
    CGridItem* child = Add(top);
    CGridItem* grandchild = Add(child);
    CGridItem* leaf = Add(grandchild);
    CGridItem* other = Add();
    top->Expand(true);
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{top, child, grandchild, leaf, other}));
    EXPECT_EQ(top->GetLastShownDescendant(), leaf);
    ExpectValid(Body());

    // The root stays expanded: a recursive collapse of it leaves the
    // top-level rows and collapses everything below them.
    Body().GetRoot()->Collapse(true);
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{top, other}));
    EXPECT_FALSE(top->IsExpanded());
    EXPECT_FALSE(grandchild->IsExpanded());
    EXPECT_TRUE(Body().GetRoot()->IsExpanded());
    ExpectValid(Body());

    // Expanding a hidden item only sets flags; its rows appear with it.
    child->Expand(true);
    EXPECT_EQ(Body().GetRowCount(), 2);
    top->Expand();
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{top, child, grandchild, leaf, other}));
    ExpectValid(Body());
}

TEST_F(RowListTest, LastShownDescendant)
{
    CGridItem* parent = Add();
    EXPECT_EQ(parent->GetLastShownDescendant(), parent);
    CGridItem* child = Add(parent);
    EXPECT_EQ(child->GetLastShownDescendant(), nullptr); // not shown
    parent->Expand();
    CGridItem* last = Add(parent);
    Add();
    EXPECT_EQ(parent->GetLastShownDescendant(), last);
    EXPECT_EQ(child->GetLastShownDescendant(), child);
}

TEST_F(RowListTest, FocusStaysOnItsItem)
{
    CGridItem* a = Add();
    CGridItem* b = Add();
    m_owner.Focus(Body(), 1);
    Add(nullptr, 0);
    EXPECT_EQ(m_owner.focusRow, 2);
    EXPECT_EQ(Body().GetItem(m_owner.focusRow), b);

    // A collapse that hides the focused row moves the focus to the collapsed
    // ancestor.
    CGridItem* child = Add(a);
    a->Expand();
    m_owner.Focus(Body(), Body().GetRowIndex(child));
    a->Collapse();
    EXPECT_EQ(m_owner.focusRow, Body().GetRowIndex(a));

    // Destroying the focused row clears the focus.
    m_owner.Focus(Body(), Body().GetRowIndex(b));
    CRowList::DestroyItem(b);
    EXPECT_EQ(m_owner.focusRow, -1);
}

TEST_F(RowListTest, FilterHidesAtInsertionAndRefilterFollowsIt)
{
    CSetFilter filter;
    m_owner.filter = &filter;
    CGridItem* parent = Add();
    CGridItem* hidden = CGridItem::Create();
    filter.hidden.insert(hidden);
    ASSERT_TRUE(Body().InsertChild(nullptr, CRowList::kTail, hidden, true));
    EXPECT_FALSE(hidden->IsShown());
    EXPECT_TRUE(hidden->IsFilteredOut());
    CGridItem* child = Add(parent);
    parent->Expand();
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{parent, child}));
    ExpectValid(Body());

    // Swap: the shown child is hidden (with notification 8), the hidden row
    // is shown; the focus is cleared.
    filter.hidden = {child};
    m_owner.Focus(Body(), 0);
    m_owner.ClearRecords();
    Body().Refilter();
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{parent, hidden}));
    EXPECT_EQ(m_owner.events, (std::vector<Event>{{kNotifyFilterChanged, child},
                                                  {kNotifyItemShown, hidden},
                                                  {kNotifyFilterChanged, hidden}}));
    EXPECT_EQ(m_owner.focusRow, -1);
    ExpectValid(Body());

    // Refiltering does not descend into a hidden item: its children keep
    // their state until it is shown again.
    CGridItem* grandchild = Add(child);
    child->Expand();
    filter.hidden = {child, grandchild};
    m_owner.ClearRecords();
    Body().Refilter();
    EXPECT_TRUE(m_owner.events.empty());
    filter.hidden = {grandchild};
    Body().Refilter();
    EXPECT_TRUE(child->IsShown());
    EXPECT_FALSE(grandchild->IsShown());
    ExpectValid(Body());
}

TEST_F(RowListTest, ApplyFilterShowsOnlyUnderAnEligibleParent)
{
    CSetFilter filter;
    m_owner.filter = &filter;
    CGridItem* parent = Add();
    CGridItem* child = Add(parent);
    filter.hidden = {parent};
    EXPECT_TRUE(Body().ApplyFilter(parent));
    EXPECT_EQ(Body().GetRowCount(), 0);
    filter.hidden.clear();
    EXPECT_FALSE(Body().ApplyFilter(child)); // parent hidden: stays hidden
    EXPECT_FALSE(child->IsShown());
    m_owner.ClearRecords();
    EXPECT_TRUE(Body().ApplyFilter(parent));
    EXPECT_EQ(m_owner.Codes(), (std::vector<int32_t>{kNotifyItemShown, kNotifyFilterChanged}));
    EXPECT_FALSE(Body().ApplyFilter(parent)); // no change, no notification
    EXPECT_FALSE(Body().ApplyFilter(Body().GetRoot()));
    ExpectValid(Body());
}

TEST_F(RowListTest, SelectionRules)
{
    const auto CountOf = [this](int32_t code) {
        const std::vector<int32_t> codes = m_owner.Codes();
        return static_cast<int32_t>(std::count(codes.begin(), codes.end(), code));
    };
    CGridItem* a = Add();
    CGridItem* b = Add();
    CGridItem* hidden = Add(a);
    EXPECT_FALSE(hidden->Select(true)); // not shown
    EXPECT_TRUE(a->Select(true));
    EXPECT_FALSE(a->Select(true)); // no change
    EXPECT_TRUE(b->Select(true));
    EXPECT_EQ(Body().GetSelectedCount(), 2);
    EXPECT_EQ(m_owner.Codes(), (std::vector<int32_t>{kNotifyItemShown, kNotifyItemShown, kNotifySelectionChanged,
                                                     kNotifySelectionChanged}));

    // Single selection does not take a second item; deselecting works always.
    m_owner.multipleSelection = false;
    EXPECT_TRUE(b->Select(false));
    CGridItem* c = Add();
    EXPECT_FALSE(c->Select(true));
    EXPECT_TRUE(a->Select(false));
    EXPECT_TRUE(c->Select(true));

    m_owner.selectionEnabled = false;
    EXPECT_FALSE(b->Select(true));
    EXPECT_TRUE(c->Select(false));
    ExpectValid(Body());

    // A row hidden by a collapse or by the filter leaves the selection.
    m_owner.selectionEnabled = true;
    m_owner.multipleSelection = true;
    a->Expand();
    EXPECT_TRUE(hidden->Select(true));
    EXPECT_TRUE(b->Select(true));
    m_owner.ClearRecords();
    a->Collapse();
    EXPECT_FALSE(hidden->IsSelected());
    EXPECT_EQ(Body().GetSelectedCount(), 1);
    EXPECT_EQ(CountOf(kNotifySelectionChanged), 1);
    CSetFilter filter;
    filter.hidden.insert(b);
    m_owner.filter = &filter;
    EXPECT_TRUE(Body().ApplyFilter(b));
    EXPECT_FALSE(b->IsSelected());
    EXPECT_EQ(Body().GetSelectedCount(), 0);
    ExpectValid(Body());

    // A range as one operation: one rows-changed report, a notification each.
    m_owner.filter = nullptr;
    Body().Refilter();
    m_owner.ClearRecords();
    EXPECT_EQ(Body().SelectRows(0, 99, true), Body().GetRowCount());
    EXPECT_EQ(CountOf(kNotifySelectionChanged), Body().GetRowCount());
    EXPECT_EQ(m_owner.rowsChanged.size(), 1u);
    EXPECT_EQ(Body().SelectRows(0, 99, true), 0);
    m_owner.multipleSelection = false;
    Body().DeselectAll();
    EXPECT_EQ(Body().SelectRows(0, 1, true), 0) << "single selection takes one row";
    EXPECT_EQ(Body().SelectRows(1, 1, true), 1);
    ExpectValid(Body());
}

TEST_F(RowListTest, SubtreeMovesBetweenListsWithSelectionAndHeight)
{
    ASSERT_TRUE(Body().SetRowHeight(20, false));
    CGridItem* parent = Add();
    CGridItem* child = Add(parent);
    parent->Expand();
    EXPECT_EQ(child->GetRowHeight(), 20);
    ASSERT_TRUE(child->Select(true));
    m_owner.Focus(Body(), 1);

    ASSERT_TRUE(Body().DetachItem(parent));
    EXPECT_EQ(Body().GetRowCount(), 0);
    EXPECT_EQ(Body().GetMemberCount(), 0);
    EXPECT_EQ(Body().GetSelectedCount(), 0);
    EXPECT_EQ(m_owner.focusRow, -1);
    EXPECT_EQ(parent->GetParent(), nullptr);
    EXPECT_EQ(child->GetRowList(), CRowList::GetDetachedList());
    EXPECT_TRUE(child->IsSelected()); // kept while detached
    EXPECT_FALSE(Body().DetachItem(parent));
    EXPECT_FALSE(child->Select(true)); // nothing is selected in the detached list

    ASSERT_TRUE(m_owner.pinned.InsertChild(nullptr, 0, parent, true));
    EXPECT_EQ(RowsOf(m_owner.pinned), (std::vector<CGridItem*>{parent, child}));
    EXPECT_EQ(m_owner.pinned.GetSelectedCount(), 1);
    EXPECT_EQ(child->GetRowHeight(), CRowList::kDefaultRowHeight);
    EXPECT_EQ(m_owner.pinned.GetMemberCount(), 2);
    ExpectValid(m_owner.pinned);
    ExpectValid(Body());
    ExpectValid(*CRowList::GetDetachedList());
}

TEST_F(RowListTest, RowHeights)
{
    CGridItem* a = Add();
    EXPECT_FALSE(Body().SetRowHeight(0, true));
    EXPECT_FALSE(Body().SetRowHeight(CRowList::kMaxRowHeight + 1, true));
    EXPECT_FALSE(a->SetRowHeight(-3));
    EXPECT_TRUE(Body().SetRowHeight(18, false));
    EXPECT_EQ(a->GetRowHeight(), CRowList::kDefaultRowHeight);
    EXPECT_EQ(Add()->GetRowHeight(), 18);
    m_owner.ClearRecords();
    EXPECT_TRUE(Body().SetRowHeight(22, true));
    EXPECT_EQ(a->GetRowHeight(), 22);
    ASSERT_EQ(m_owner.rowsChanged.size(), 1u);
    EXPECT_EQ(m_owner.rowsChanged[0].firstRow, 0);
}

TEST_F(RowListTest, MoveToChildIndexCarriesTheShownSubtree)
{
    std::vector<CGridItem*> top;
    for (int i = 0; i < 12; ++i)
        top.push_back(Add());
    CGridItem* moving = top[1];
    CGridItem* child = Add(moving);
    CGridItem* grandchild = Add(child);
    moving->Expand(true);
    m_owner.Focus(Body(), Body().GetRowIndex(grandchild));
    m_owner.ClearRecords();

    ASSERT_TRUE(Body().MoveToChildIndex(moving, 11)); // ten rows further down
    std::vector<CGridItem*> expected = {top[0]};
    for (int i = 2; i < 12; ++i)
        expected.push_back(top[static_cast<size_t>(i)]);
    expected.insert(expected.end(), {moving, child, grandchild});
    EXPECT_EQ(RowsOf(Body()), expected);
    EXPECT_EQ(Body().GetItem(m_owner.focusRow), grandchild);
    ASSERT_EQ(m_owner.rowsChanged.size(), 1u);
    EXPECT_EQ(m_owner.rowsChanged[0].firstRow, 1);
    EXPECT_EQ(m_owner.rowsChanged[0].lastRow, 13); // 14 rows: the block ends the list
    ExpectValid(Body());

    // Back to the front, past hidden siblings.
    CSetFilter filter;
    m_owner.filter = &filter;
    filter.hidden = {top[0]};
    Body().Refilter();
    ASSERT_TRUE(Body().MoveToChildIndex(moving, 0));
    EXPECT_EQ(Body().GetRowIndex(moving), 0);
    EXPECT_EQ(Body().GetRowIndex(grandchild), 2);
    ExpectValid(Body());

    EXPECT_TRUE(Body().MoveToChildIndex(moving, 0)); // already there
    EXPECT_FALSE(Body().MoveToChildIndex(moving, 12));
    EXPECT_FALSE(Body().MoveToChildIndex(Body().GetRoot(), 0));
}

TEST_F(RowListTest, SortedChildrenAndRebuiltFlatList)
{
    std::vector<CGridItem*> items;
    for (int i = 0; i < 5; ++i)
        items.push_back(Add());
    CGridItem* child1 = Add(items[2]);
    CGridItem* child2 = Add(items[2]);
    items[2]->Expand();
    // Reverse the top level and the two children.
    const auto reversed = [&items](const CGridItem* a, const CGridItem* b) {
        const auto rank = [&items](const CGridItem* item) {
            return std::find(items.begin(), items.end(), item) - items.begin();
        };
        return rank(a) > rank(b);
    };
    ASSERT_TRUE(Body().SortChildren(nullptr, reversed));
    ASSERT_TRUE(Body().SetChildOrder(items[2], std::vector<CGridItem*>{child2, child1}));
    Body().RebuildFlatList();
    EXPECT_EQ(RowsOf(Body()),
              (std::vector<CGridItem*>{items[4], items[3], items[2], child2, child1, items[1], items[0]}));
    ExpectValid(Body());

    EXPECT_FALSE(Body().SetChildOrder(items[2], std::vector<CGridItem*>{child2, child2}));
    EXPECT_FALSE(Body().SetChildOrder(items[2], std::vector<CGridItem*>{child2}));
    EXPECT_FALSE(Body().SetChildOrder(items[2], std::vector<CGridItem*>{child1, items[0]}));
    EXPECT_EQ(items[2]->GetChild(0), child2);
}

TEST_F(RowListTest, DestroyingAnItemTakesItsSubtreeAndBindings)
{
    Testing::CProbeObject object;
    CGridItem* parent = Add();
    CGridItem* child = CGridItem::Create(&object);
    ASSERT_TRUE(Body().InsertChild(parent, 0, child, true));
    parent->Expand();
    ASSERT_TRUE(child->Select(true));
    CGridItem* after = Add();
    CDataObjectRegistry& registry = CDataObjectRegistry::GetInstance();
    ASSERT_TRUE(registry.HasBinding(&object, child));
    m_owner.ClearRecords();

    CRowList::DestroyItem(child);
    EXPECT_FALSE(registry.IsBound(&object));
    EXPECT_EQ(object.GetSubscriberCountForTesting(), 0u);
    EXPECT_EQ(Body().GetSelectedCount(), 0);
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{parent, after}));
    EXPECT_EQ(parent->GetVisibleDescendantCount(), 0);
    EXPECT_EQ(m_owner.invalidated, std::vector<CGridItem*>{parent}); // its expand button goes
    ExpectValid(Body());

    Body().DestroyAll();
    EXPECT_EQ(Body().GetRowCount(), 0);
    EXPECT_EQ(Body().GetMemberCount(), 0);
    ExpectValid(Body());
}

TEST_F(RowListTest, DeepChainIsWalkedWithoutRecursion)
{
    CGridItem* top = Add();
    CGridItem* item = top;
    for (int depth = 0; depth < 200000; ++depth) {
        CGridItem* child = CGridItem::Create();
        ASSERT_TRUE(Body().InsertChild(item, 0, child, true));
        item = child;
    }
    top->Expand(true);
    EXPECT_EQ(Body().GetRowCount(), 200001);
    ExpectValid(Body());
    CRowList::DestroyItem(top);
    EXPECT_EQ(Body().GetMemberCount(), 0);
}

TEST_F(RowListTest, HandlerThatDestroysARowStopsItsNotification)
{
    CGridItem* parent = Add();
    CGridItem* first = Add(parent);
    CGridItem* second = Add(parent);
    m_owner.onNotify = [&](int32_t code, CGridItem& item) {
        if (code == kNotifyItemShown && &item == first)
            CRowList::DestroyItem(second);
    };
    m_owner.ClearRecords();
    parent->Expand();
    EXPECT_EQ(m_owner.events, (std::vector<Event>{{kNotifyExpandedChanged, parent}, {kNotifyItemShown, first}}));
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{parent, first}));
    ExpectValid(Body());
}

TEST_F(RowListTest, DetachedItemsNeitherShowNorNotify)
{
    CRowList* detached = CRowList::GetDetachedList();
    ASSERT_NE(detached, nullptr);
    CGridItem* parent = CGridItem::Create();
    CGridItem* child = CGridItem::Create();
    ASSERT_TRUE(detached->InsertChild(parent, 0, child, true));
    parent->Expand();
    EXPECT_FALSE(parent->IsShown());
    EXPECT_FALSE(child->IsShown());
    EXPECT_TRUE(parent->IsExpanded());
    EXPECT_FALSE(detached->InsertChild(child, 0, parent, true)); // a cycle
    EXPECT_EQ(detached->GetRowCount(), 0);
    ExpectValid(*detached);

    // Attaching the subtree shows what its expansion allows.
    ASSERT_TRUE(Body().InsertChild(nullptr, 0, parent, true));
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{parent, child}));
    ExpectValid(Body());
    ExpectValid(*detached);
}

// ---- Randomized ----

// Random operations on two lists and the detached list, with the invariant
// walk after each one.
// A list of top-level rows only keeps no flat list: its root's children are
// its rows through inserts, moves, sorts, removals and selection, and every
// change still counts for a cached layout. A nested row, a hidden top-level
// row or a row filter ends that; an emptied list shares again.
TEST_F(RowListTest, TopLevelRowsAreTheRootsChildren)
{
    std::mt19937 random(777);
    std::vector<CGridItem*> items;
    for (int step = 0; step < 3000; ++step) {
        const uint64_t version = Body().GetLayoutVersion();
        CGridItem* item = items.empty() ? nullptr : items[random() % items.size()];
        const int32_t count = Body().GetRowCount();
        switch (random() % 6) {
        case 0:
        case 1:
            items.push_back(Add(nullptr, static_cast<int32_t>(random() % (count + 1))));
            break;
        case 2:
            if (item) {
                const int32_t from = Body().GetRowIndex(item);
                ASSERT_TRUE(Body().MoveToChildIndex(item, static_cast<int32_t>(random() % count)));
                if (Body().GetRowIndex(item) != from) {
                    ASSERT_GT(Body().GetLayoutVersion(), version) << "step " << step;
                }
            }
            break;
        case 3:
            if (item) {
                std::erase(items, item);
                if (random() % 2) {
                    ASSERT_TRUE(Body().DetachItem(item));
                    ASSERT_EQ(Body().GetRowIndex(item), -1);
                }
                CRowList::DestroyItem(item);
            }
            break;
        case 4:
            if (item)
                item->Select(!item->IsSelected());
            break;
        case 5:
            Body().SortChildren(nullptr, [](const CGridItem* a, const CGridItem* b) { return a > b; });
            Body().RebuildFlatList();
            break;
        }
        ASSERT_TRUE(Body().SharesRowsForTesting());
        ASSERT_EQ(Body().CheckInvariantsForTesting(), "") << "step " << step;
        if (Body().GetRowCount() != count) {
            ASSERT_GT(Body().GetLayoutVersion(), version) << "step " << step;
        }
    }
    ASSERT_EQ(Body().GetRowCount(), static_cast<int32_t>(items.size()));

    // A child under a collapsed row shows nothing: still shared. Expanding
    // shows it between its parent and the next row.
    CGridItem* parent = Body().GetItem(0);
    CGridItem* child = Add(parent);
    EXPECT_TRUE(Body().SharesRowsForTesting());
    parent->Expand();
    EXPECT_FALSE(Body().SharesRowsForTesting());
    EXPECT_EQ(Body().GetItem(1), child);
    EXPECT_EQ(Body().GetRowCount(), static_cast<int32_t>(items.size()) + 1);
    ExpectValid(Body());

    Body().DestroyAll();
    EXPECT_TRUE(Body().SharesRowsForTesting());
    CGridItem* shown = Add();
    CGridItem* hidden = Add(nullptr, CRowList::kTail, false); // a top-level row not shown
    EXPECT_FALSE(Body().SharesRowsForTesting());
    EXPECT_EQ(RowsOf(Body()), (std::vector<CGridItem*>{shown}));
    EXPECT_EQ(Body().GetRowIndex(hidden), -1);
    ExpectValid(Body());
}

TEST_F(RowListTest, RandomOperationsKeepTheInvariants)
{
    std::mt19937 random(12345);
    CSetFilter filter;
    m_owner.filter = &filter;
    std::vector<CGridItem*> items; // live items, any list
    const auto pick = [&]() -> CGridItem* {
        return items.empty() ? nullptr : items[random() % items.size()];
    };
    const auto forget = [&](CGridItem* removed) {
        // Drop `removed` and its subtree from `items`.
        std::erase_if(items, [removed](CGridItem* item) {
            for (const CGridItem* up = item; up; up = up->GetParent())
                if (up == removed)
                    return true;
            return false;
        });
    };
    m_owner.onNotify = [&](int32_t, CGridItem& item) {
        // Check mid-operation too: handlers run once the structure is whole.
        ASSERT_EQ(item.GetRowList()->CheckInvariantsForTesting(), "");
    };

    for (int step = 0; step < 4000; ++step) {
        CGridItem* item = pick();
        CRowList& list = random() % 4 == 0 ? m_owner.pinned : m_owner.body;
        switch (random() % 13) {
        case 0:
        case 1:
        case 2: { // insert a new item under a random parent of `list`
            CGridItem* parent = item && item->GetRowList() == &list ? item : nullptr;
            const int32_t count = (parent ? parent : list.GetRoot())->GetChildCount();
            CGridItem* created = CGridItem::Create();
            ASSERT_TRUE(list.InsertChild(parent, static_cast<int32_t>(random() % (count + 1)), created,
                                         random() % 8 != 0));
            items.push_back(created);
            break;
        }
        case 3:
            if (item)
                item->Expand(random() % 3 == 0);
            break;
        case 4:
            if (item)
                item->Collapse(random() % 3 == 0);
            break;
        case 5:
            if (item && item->IsAttached())
                item->GetRowList()->DetachItem(item);
            break;
        case 6: // attach a detached top-level item
            if (item && !item->IsAttached() && !item->GetParent()) {
                ASSERT_TRUE(list.InsertChild(nullptr, 0, item, true));
            }
            break;
        case 7:
            if (item && random() % 3 == 0) {
                forget(item);
                CRowList::DestroyItem(item);
            }
            break;
        case 8:
            if (item)
                item->Select(random() % 2 == 0);
            break;
        case 9:
            if (item && item->GetParent()) {
                const int32_t count = item->GetParent()->GetChildCount();
                list.MoveToChildIndex(item, static_cast<int32_t>(random() % count));
                item->GetRowList()->MoveToChildIndex(item, static_cast<int32_t>(random() % count));
            }
            break;
        case 10: // change the filter
            if (item) {
                if (filter.hidden.count(item))
                    filter.hidden.erase(item);
                else
                    filter.hidden.insert(item);
                if (random() % 2)
                    list.Refilter();
                else if (item->IsAttached() && item->GetParent())
                    item->GetRowList()->ApplyFilter(item);
            }
            break;
        case 11: { // shuffle the children of a random node and rebuild
            CGridItem* node = item && item->GetRowList() == &list ? item : list.GetRoot();
            list.SortChildren(node, [](const CGridItem* a, const CGridItem* b) {
                return reinterpret_cast<uintptr_t>(a) * 2654435761u < reinterpret_cast<uintptr_t>(b) * 2654435761u;
            });
            list.RebuildFlatList();
            break;
        }
        case 12:
            m_owner.Focus(list, list.GetRowCount() ? static_cast<int32_t>(random() % list.GetRowCount()) : -1);
            break;
        }
        ASSERT_EQ(m_owner.body.CheckInvariantsForTesting(), "") << "step " << step;
        ASSERT_EQ(m_owner.pinned.CheckInvariantsForTesting(), "") << "step " << step;
        ASSERT_EQ(CRowList::GetDetachedList()->CheckInvariantsForTesting(), "") << "step " << step;
        if (m_owner.focusList) {
            ASSERT_LT(m_owner.focusRow, m_owner.focusList->GetRowCount()) << "step " << step;
        }
    }
    m_owner.onNotify = nullptr;
    // Detached top-level items are not the lists' to destroy.
    std::vector<CGridItem*> detached;
    for (CGridItem* item : items)
        if (!item->IsAttached() && !item->GetParent())
            detached.push_back(item);
    for (CGridItem* item : detached)
        CRowList::DestroyItem(item);
}

} // namespace
} // namespace Brivel::GUI
