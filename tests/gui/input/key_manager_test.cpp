// The key manager on a grid with pinned and body rows and a tree: each key
// of the table, Shift extension growing and shrinking, Ctrl moving the focus
// only, the tree keys, the mended moves, and a manager of the application's.

#include "tests/gui/input/input_test_support.h"

#include "gui/input/key_manager.h"

namespace Brivel::GUI::Testing {
namespace {

using KeyManagerTest = InputTest;
constexpr int32_t kPinned = CGrid::kPinnedList;
constexpr int32_t kBody = CGrid::kBodyList;

TEST_F(KeyManagerTest, NavigationMovesTheFocusAcrossBothListsAndSelectsItAlone)
{
    Key(Qt::Key_Down);
    EXPECT_EQ(Focus(), std::make_pair(kBody, grid->GetRowsThatFit() - 1)) << "no focus: the last full body row";
    Key(Qt::Key_Home);
    EXPECT_EQ(Focus(), std::make_pair(kPinned, 0));
    Key(Qt::Key_Up);
    EXPECT_EQ(Focus(), std::make_pair(kPinned, 0)) << "pinned row 0 stays";
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(Focus(), std::make_pair(kBody, 0));
    Key(Qt::Key_Up);
    EXPECT_EQ(Focus(), std::make_pair(kPinned, 2)) << "up from body row 0: the last pinned row";
    EXPECT_EQ(Selected(kPinned), std::vector<int32_t>{2});
    EXPECT_TRUE(Selected().empty());

    Key(Qt::Key_End);
    EXPECT_EQ(Focus(), std::make_pair(kBody, 19));
    EXPECT_GT(grid->GetTopRow(), 0) << "brought into view";
    const int32_t top = grid->GetTopRow();
    grid->SetFocusRow(2, kPinned);
    Key(Qt::Key_Down);
    EXPECT_EQ(Focus(), std::make_pair(kBody, top)) << "down from the last pinned row: the body's top row";

    Key(Qt::Key_PageUp);
    EXPECT_LT(grid->GetTopRow(), top) << "on the top row a page up scrolls first";
    EXPECT_EQ(Focus(), std::make_pair(kBody, grid->GetTopRow()));
    Key(Qt::Key_Space);
    EXPECT_EQ(Focus().second, grid->GetTopRow() + grid->GetRowsThatFit() - 1) << "space pages down";
}

TEST_F(KeyManagerTest, ShiftExtendsAndShrinksCtrlMovesTheFocusOnly)
{
    grid->SetFocusRow(2);
    for (int i = 0; i < 3; ++i)
        Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (std::vector<int32_t>{3, 4})) << "moving back over the range shrinks it";

    Key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(Selected().size(), 17u) << "3 .. 19";
    Key(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(Selected(kPinned), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(Selected(), (std::vector<int32_t>{0, 1, 2, 3})) << "reversed past the anchor: the far side is dropped";

    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Focus(), std::make_pair(kPinned, 1));
    EXPECT_EQ(grid->GetSelectedCount(), 7) << "Ctrl moves the focus and changes no selection";

    Key(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(grid->GetSelectedCount(), 7);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid->GetSelectedCount(), 23);
    Key(Qt::Key_Escape);
    EXPECT_EQ(grid->GetSelectedCount(), 0);
    EXPECT_EQ(Focus(), std::make_pair(0, -1));
    CKeyManager keys(false);
    for (const int key : {Qt::Key_C, Qt::Key_V, Qt::Key_X})
        EXPECT_TRUE(keys.OnKeyDown(*grid, key, Qt::ControlModifier)) << "the clipboard slots take their keys";
    EXPECT_FALSE(keys.OnKeyDown(*grid, Qt::Key_C, {})) << "a plain letter is type-ahead's";
}

TEST_F(KeyManagerTest, LeftRightAndEnterWalkTheTree)
{
    CGridItem* parent = grid->GetItem(4);
    Add(parent, 100, "c0");
    Add(parent, 101, "c1");
    grid->SetFocusRow(4);
    Key(Qt::Key_Right);
    EXPECT_TRUE(parent->IsExpanded());
    EXPECT_EQ(grid->GetRowCount(), 22);
    Key(Qt::Key_Right);
    EXPECT_EQ(Focus(), std::make_pair(kBody, 5)) << "expanded: on to the first child";
    Key(Qt::Key_Down);
    Key(Qt::Key_Left);
    EXPECT_EQ(Focus(), std::make_pair(kBody, 4)) << "a child: to its parent";
    EXPECT_EQ(Selected(), std::vector<int32_t>{4});
    Key(Qt::Key_Left);
    EXPECT_FALSE(parent->IsExpanded()) << "expanded with its child next: collapse";
    Key(Qt::Key_Left);
    EXPECT_EQ(Focus(), std::make_pair(kBody, 3)) << "a top-level row: to the previous top-level row";
    grid->SetFocusRow(4);
    Key(Qt::Key_Return);
    EXPECT_TRUE(parent->IsExpanded());
    Key(Qt::Key_Enter);
    EXPECT_FALSE(parent->IsExpanded());
}

TEST_F(KeyManagerTest, UpAndPageUpNeverMoveTheFocusDown)
{
    grid->Clear(CGrid::kPinnedMask);
    grid->SetFocusRow(0);
    grid->SetTopRow(10);
    Key(Qt::Key_Up);
    EXPECT_EQ(Focus(), std::make_pair(kBody, 0)) << "body row 0 scrolled out of view stays";
    EXPECT_EQ(grid->GetTopRow(), 0) << "and comes into view";

    grid->SetFocusRow(2);
    grid->SetTopRow(10);
    Key(Qt::Key_PageUp);
    EXPECT_LE(Focus().second, 2);
}

class CCountingKeys final : public CKeyManager {
public:
    CCountingKeys() : CKeyManager(false) {}
    bool OnKeyDown(CGrid& grid, int key, Qt::KeyboardModifiers modifiers) override
    {
        ++keys;
        return key == Qt::Key_Down || CKeyManager::OnKeyDown(grid, key, modifiers);
    }
    int keys = 0;
};

TEST_F(KeyManagerTest, TheApplicationsManagerTakesKeysFirst)
{
    CCountingKeys keys;
    std::unique_ptr<IKeyManager> previous(grid->SetKeyManager(&keys));
    ASSERT_NE(previous, nullptr) << "a grid starts with a key manager of its own";
    EXPECT_EQ(grid->GetKeyManager(), &keys);
    Key(Qt::Key_Down);
    EXPECT_EQ(keys.keys, 1);
    EXPECT_EQ(Focus(), std::make_pair(0, -1)) << "taken and kept";
    Key(Qt::Key_End);
    EXPECT_EQ(Focus(), std::make_pair(kBody, 19));
    grid->SetKeyManager(nullptr);
    Key(Qt::Key_Home);
    EXPECT_EQ(Focus(), std::make_pair(kBody, 19)) << "no manager: the key goes on";
}

} // namespace
} // namespace Brivel::GUI::Testing
