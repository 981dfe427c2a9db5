// Type-ahead: the search text and its reset delay under the test's clock,
// the wrap-around search through pinned then body rows, the case and space
// rules, the keypad, and the keys that type nothing.

#include "tests/gui/input/input_test_support.h"

#include "gui/input/input_router.h"
#include "gui/input/type_ahead.h"

namespace Brivel::GUI::Testing {
namespace {

class TypeAheadTest : public InputTest {
protected:
    TypeAheadTest() { grid->GetHeader()->SetSearchColumn(0); }
    CTypeAhead& TypeAhead() { return Impl().GetInput().GetTypeAhead(); }
};

constexpr int32_t kPinned = CGrid::kPinnedList;
constexpr int32_t kBody = CGrid::kBodyList;

TEST_F(TypeAheadTest, TypingExtendsTheTextWithinTheDelayAndWrapsAround)
{
    EXPECT_TRUE(TypeAhead().Type('b', 1000));
    EXPECT_EQ(Focus(), std::make_pair(kBody, 0));
    EXPECT_TRUE(TypeAhead().Type('1', 1500));
    EXPECT_TRUE(TypeAhead().Type('5', 2400));
    EXPECT_EQ(TypeAhead().GetSearchText(), "b15");
    EXPECT_EQ(Focus(), std::make_pair(kBody, 15));
    EXPECT_EQ(Selected(), std::vector<int32_t>{15}) << "the match is selected alone";
    EXPECT_GT(grid->GetTopRow(), 0) << "and brought into view";

    // After more than the delay the text starts anew; from the focus the
    // search wraps to the pinned rows.
    EXPECT_TRUE(TypeAhead().Type('p', 3401));
    EXPECT_EQ(TypeAhead().GetSearchText(), "p");
    EXPECT_EQ(Focus(), std::make_pair(kPinned, 0));

    // The stored delay, compared across the tick counter's wrap.
    grid->SetFocusRow(0);
    Impl().GetOptions().typeAheadDelay = 5000;
    EXPECT_TRUE(TypeAhead().Type('b', 0xFFFFF000u));
    EXPECT_TRUE(TypeAhead().Type('1', 0x00000100u));
    EXPECT_EQ(TypeAhead().GetSearchText(), "b1");
    EXPECT_EQ(Focus(), std::make_pair(kBody, 10));
    EXPECT_FALSE(TypeAhead().Type('x', 0x00000200u)) << "no row starts with b1x";
}

TEST_F(TypeAheadTest, CaseAndSpaceRulesAndTheKeysThatType)
{
    EXPECT_TRUE(CTypeAhead::Matches("Brivel", "bRI", false));
    EXPECT_TRUE(CTypeAhead::Matches("12 345", "1234", true)) << "a number's spaces are skipped";
    EXPECT_FALSE(CTypeAhead::Matches("12 345", "1234", false));
    EXPECT_TRUE(CTypeAhead::Matches("1\t2", "12", true));
    EXPECT_FALSE(CTypeAhead::Matches("ab", "abc", false));
    EXPECT_EQ(CTypeAhead::CharacterOf(Qt::Key_7, Qt::KeypadModifier), '7');
    EXPECT_EQ(CTypeAhead::CharacterOf(Qt::Key_Q, {}), 'q');
    EXPECT_EQ(CTypeAhead::CharacterOf(Qt::Key_Q, Qt::ShiftModifier), 0);
    EXPECT_EQ(CTypeAhead::CharacterOf(Qt::Key_Q, Qt::ControlModifier), 0);
    EXPECT_EQ(CTypeAhead::CharacterOf(Qt::Key_Minus, {}), 0);

    // Through the grid's own key events; the Value column matches numbers.
    grid->GetHeader()->SetSearchColumn(1);
    Key(Qt::Key_1);
    Key(Qt::Key_2);
    EXPECT_EQ(Focus(), std::make_pair(kBody, 12));
}

TEST_F(TypeAheadTest, NothingHappensWithoutASearchColumnOrBodyRows)
{
    grid->GetHeader()->SetSearchColumn(7); // no such visible column
    EXPECT_FALSE(TypeAhead().Type('b', 1000));
    EXPECT_EQ(Focus(), std::make_pair(0, -1));
    grid->GetHeader()->SetSearchColumn(0);
    grid->Clear(CGrid::kBodyMask);
    EXPECT_FALSE(TypeAhead().Type('p', 1000)) << "no body rows";
    EXPECT_FALSE(Impl().GetInput().OnKeyPress(Qt::Key_F2, {}, false));
    EXPECT_TRUE(Impl().GetInput().OnKeyPress(Qt::Key_P, {}, true)) << "taken, but not searched while the button is down";
    EXPECT_EQ(Focus(), std::make_pair(0, -1));
}

} // namespace
} // namespace Brivel::GUI::Testing
