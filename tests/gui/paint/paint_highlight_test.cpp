// Colours of cells: change highlights by mode and age, the refresh schedule,
// and the order in which the selection, sort and focus tints blend.

#include "tests/gui/paint/paint_test_support.h"

#include "gui/paint/cell_paint_format.h"

#include "common/process_clock.h"

namespace Brivel::GUI::Testing {
namespace {

using Platform::BlendColor;
using Platform::CRect;
using Platform::RGB;

class PaintHighlightTest : public PaintFixture {
protected:
    PaintHighlightTest()
    {
        host.AddColumn(CPaintRowObject::kNumberField, "Number", 100, CColumn::kAlignLeft);
        changed = AddBodyRow("a", 12);
        unchanged = AddBodyRow("b", 34);
        Common::SetProcessClockForTesting(50000);
    }

    // A pixel of the first column, right of its short text.
    COLORREF BackOf(const QImage& image, int32_t row) const { return PixelAt(image, 90, BodyRowRect(row).top + 10); }
    CRect TextArea(int32_t row) const
    {
        const CRect r = BodyRowRect(row);
        return {0, r.top + 2, 40, r.bottom - 2};
    }

    CGridItem* changed = nullptr;
    CGridItem* unchanged = nullptr;
};

TEST_F(PaintHighlightTest, FadingBackgroundOnWhiteFadesOutOverTwoSecondsWithBlackText)
{
    host.highlightChangedValues = true; // defaults: mode 8, red, alpha 150, 2000 ms, every 30 ms
    changed->OnDataChanged(CPaintRowObject::kNumberField);

    QImage image = Render();
    EXPECT_EQ(BackOf(image, 0), RGB(255, 105, 105));
    EXPECT_EQ(BackOf(image, 1), kWhite);
    EXPECT_TRUE(HasInk(image, TextArea(0), 60)) << "the text stays black";
    ASSERT_EQ(host.refreshes.size(), 1u) << "one request per pass, for the nearest step";
    EXPECT_EQ(host.refreshes[0], 30);

    Common::AdvanceProcessClockForTesting(1000);
    host.refreshes.clear();
    image = Render();
    EXPECT_EQ(BackOf(image, 0), RGB(255, 180, 180)); // alpha 75
    ASSERT_EQ(host.refreshes.size(), 1u);
    EXPECT_EQ(host.refreshes[0], 30);

    Common::AdvanceProcessClockForTesting(990);
    host.refreshes.clear();
    image = Render();
    ASSERT_EQ(host.refreshes.size(), 1u);
    EXPECT_EQ(host.refreshes[0], 10) << "the last repaint comes when the highlight ends, not after the interval";

    Common::AdvanceProcessClockForTesting(10);
    host.refreshes.clear();
    image = Render();
    EXPECT_EQ(BackOf(image, 0), kWhite);
    EXPECT_TRUE(host.refreshes.empty());
}

TEST_F(PaintHighlightTest, InvertModeSwapsTextAndBackgroundUntilTheHighlightEnds)
{
    host.highlightChangedValues = true;
    host.highlight.mode = kHighlightInvert;
    changed->OnDataChanged(CPaintRowObject::kNumberField);

    QImage image = Render();
    EXPECT_EQ(BackOf(image, 0), RGB(0, 0, 0));
    EXPECT_EQ(BackOf(image, 1), kWhite);
    // White text on the black cell.
    bool brightText = false;
    const CRect text = TextArea(0);
    for (int x = text.left; x < text.right; ++x)
        for (int y = text.top; y < text.bottom; ++y)
            brightText |= qGray(image.pixel(x, y)) > 200;
    EXPECT_TRUE(brightText);
    ASSERT_EQ(host.refreshes.size(), 1u);
    EXPECT_EQ(host.refreshes[0], 2000) << "a solid highlight is repainted once, when it ends";

    Common::AdvanceProcessClockForTesting(2000);
    image = Render();
    EXPECT_EQ(BackOf(image, 0), kWhite);
    EXPECT_TRUE(HasInk(image, TextArea(0), 60));
}

TEST_F(PaintHighlightTest, WithTheOptionOffOrTheBitClearedNothingIsTintedOrScheduled)
{
    changed->OnDataChanged(CPaintRowObject::kNumberField);
    QImage image = Render();
    EXPECT_EQ(BackOf(image, 0), kWhite);
    EXPECT_TRUE(host.refreshes.empty());

    host.highlightChangedValues = true;
    host.mask = PaintElement::kAll & ~PaintElement::kChangeHighlight;
    image = Render();
    EXPECT_EQ(BackOf(image, 0), kWhite);
    EXPECT_TRUE(host.refreshes.empty());
}

TEST_F(PaintHighlightTest, AlphaModesBlendAtTheirAlphaAndSolidModesReplace)
{
    host.highlightChangedValues = true;
    changed->OnDataChanged(CPaintRowObject::kNumberField);
    host.highlight.backColor = RGB(0, 0, 255);
    host.highlight.backAlpha = 100;

    host.highlight.mode = kHighlightAlphaBack;
    EXPECT_EQ(BackOf(Render(), 0), BlendColor(kWhite, RGB(0, 0, 255), 100));
    host.highlight.mode = kHighlightBack;
    EXPECT_EQ(BackOf(Render(), 0), RGB(0, 0, 255));
    host.highlight.mode = kHighlightText; // text only: background untouched
    EXPECT_EQ(BackOf(Render(), 0), kWhite);
    host.highlight.mode = 42; // not a mode: nothing
    EXPECT_EQ(BackOf(Render(), 0), kWhite);
}

TEST_F(PaintHighlightTest, SelectionSortAndFocusTintsBlendInThatOrder)
{
    host.AddColumn(CPaintRowObject::kNameField, "Name", 100);
    host.header->EnableSorting(true);
    host.header->SetSortInfo(0, CSortInfo(CPaintRowObject::kNumberField, false));
    ASSERT_TRUE(changed->Select(true));
    host.focusKind = CRowList::kBodyList;
    host.focusRow = 0;

    const Appearance& a = host.appearance;
    const COLORREF selected = BlendColor(kWhite, a.selectionTint.color, a.selectionTint.alpha);
    const COLORREF all = BlendColor(BlendColor(selected, a.sortedColumnTint.color, a.sortedColumnTint.alpha),
                                    a.focusTint.color, a.focusTint.alpha);
    const COLORREF otherOrder =
        BlendColor(BlendColor(BlendColor(kWhite, a.focusTint.color, a.focusTint.alpha), a.sortedColumnTint.color,
                              a.sortedColumnTint.alpha),
                   a.selectionTint.color, a.selectionTint.alpha);
    ASSERT_NE(all, otherOrder) << "the probe must tell the orders apart";

    const QImage image = Render();
    EXPECT_EQ(BackOf(image, 0), all);
    // The unsorted column of the same row: selection and focus only.
    EXPECT_EQ(PixelAt(image, 190, BodyRowRect(0).top + 10),
              BlendColor(selected, a.focusTint.color, a.focusTint.alpha));
    // The sorted column of an unselected row: the sort tint alone.
    EXPECT_EQ(BackOf(image, 1), BlendColor(kWhite, a.sortedColumnTint.color, a.sortedColumnTint.alpha));
}

TEST(PaintHighlightLayers, EachModeHighlightsItsSidesAtItsAlpha)
{
    HighlightSettings s;
    s.textColor = RGB(1, 2, 3);
    s.backColor = RGB(4, 5, 6);
    s.textAlpha = 100;
    s.backAlpha = 200;
    const COLORREF cellText = RGB(7, 7, 7);
    const COLORREF cellBack = RGB(9, 9, 9);
    struct Expect {
        int32_t mode;
        bool text;
        COLORREF textColor;
        uint8_t textAlpha;
        bool back;
        COLORREF backColor;
        uint8_t backAlpha;
    };
    // At 500 of 2000 ms the fading alphas are three quarters of the maximum.
    const Expect table[] = {
        {0, true, cellBack, 255, true, cellText, 255},
        {1, true, s.textColor, 255, false, 0, 0},
        {2, false, 0, 0, true, s.backColor, 255},
        {3, true, s.textColor, 255, true, s.backColor, 255},
        {4, true, s.textColor, 100, false, 0, 0},
        {5, false, 0, 0, true, s.backColor, 200},
        {6, true, s.textColor, 100, true, s.backColor, 200},
        {7, true, s.textColor, 75, false, 0, 0},
        {8, false, 0, 0, true, s.backColor, 150},
        {9, true, s.textColor, 75, true, s.backColor, 150},
        {10, false, 0, 0, false, 0, 0},
        {-1, false, 0, 0, false, 0, 0},
    };
    for (const Expect& e : table) {
        SCOPED_TRACE(e.mode);
        s.mode = e.mode;
        const HighlightLayer text = GetTextHighlightLayer(s, 500, cellBack);
        const HighlightLayer back = GetBackHighlightLayer(s, 500, cellText);
        EXPECT_EQ(text.active, e.text);
        EXPECT_EQ(back.active, e.back);
        if (e.text) {
            EXPECT_EQ(text.color, e.textColor);
            EXPECT_EQ(text.alpha, e.textAlpha);
        }
        if (e.back) {
            EXPECT_EQ(back.color, e.backColor);
            EXPECT_EQ(back.alpha, e.backAlpha);
        }
    }
}

TEST(PaintHighlightLayers, AgesOutsideTheDurationAndEmptyDurationsHighlightNothing)
{
    HighlightSettings s;
    s.mode = kHighlightBack;
    EXPECT_TRUE(GetBackHighlightLayer(s, 0, 0).active);
    EXPECT_TRUE(GetBackHighlightLayer(s, 1999, 0).active);
    EXPECT_FALSE(GetBackHighlightLayer(s, 2000, 0).active);
    EXPECT_FALSE(GetBackHighlightLayer(s, -1, 0).active);
    s.duration = 0;
    EXPECT_FALSE(GetBackHighlightLayer(s, 0, 0).active);
    s.duration = -5;
    EXPECT_FALSE(GetTextHighlightLayer(s, 0, 0).active);
    // A very long duration does not overflow the fading arithmetic.
    s.duration = INT32_MAX;
    s.mode = kHighlightFadeBack;
    EXPECT_EQ(GetBackHighlightLayer(s, 0, 0).alpha, s.backAlpha);
    EXPECT_EQ(GetBackHighlightLayer(s, INT32_MAX - 1, 0).alpha, 0);
}

} // namespace
} // namespace Brivel::GUI::Testing
