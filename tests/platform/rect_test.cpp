// Geometry: exclusive right/bottom edges, set operations on empty
// rectangles, Qt conversion and saturation at the int32 range.
#include "platform/rect.h"

#include <gtest/gtest.h>

#include <limits>

namespace Brivel::Platform {
namespace {

TEST(Rect, RightAndBottomEdgesAreExclusive)
{
    const CRect r(10, 20, 30, 25);
    EXPECT_EQ(r.Width(), 20);
    EXPECT_EQ(r.Height(), 5);
    EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
    EXPECT_TRUE(r.PtInRect(CPoint(29, 24)));
    EXPECT_FALSE(r.PtInRect(CPoint(30, 24)));
    EXPECT_FALSE(r.PtInRect(CPoint(29, 25)));
    EXPECT_TRUE(CRect(5, 5, 5, 10).IsRectEmpty());
    EXPECT_TRUE(CRect(5, 5, 4, 10).IsRectEmpty());
    EXPECT_FALSE(CRect(5, 5, 4, 10).IsRectNull());
}

TEST(Rect, IntersectAndUnionTreatEmptyRectanglesAsNothing)
{
    CRect out(1, 2, 3, 4);
    EXPECT_FALSE(out.IntersectRect(CRect(0, 0, 10, 10), CRect(10, 0, 20, 10))) << "touching edges share no pixel";
    EXPECT_TRUE(out.IsRectNull());
    EXPECT_TRUE(out.IntersectRect(CRect(0, 0, 10, 10), CRect(5, 5, 20, 20)));
    EXPECT_EQ(out, CRect(5, 5, 10, 10));

    EXPECT_TRUE(out.UnionRect(CRect(0, 0, 0, 0), CRect(5, 5, 6, 6)));
    EXPECT_EQ(out, CRect(5, 5, 6, 6)) << "the empty one takes no part";
    EXPECT_FALSE(out.UnionRect(CRect(3, 3, 3, 9), CRect(7, 7, 2, 2)));
    EXPECT_TRUE(out.IsRectNull());
    EXPECT_EQ(CRect(0, 0, 2, 2) | CRect(8, 8, 9, 9), CRect(0, 0, 9, 9));
}

TEST(Rect, InflateOffsetAndNormalize)
{
    CRect r(10, 10, 20, 20);
    r.DeflateRect(2, 3);
    EXPECT_EQ(r, CRect(12, 13, 18, 17));
    r.InflateRect(1, 2, 3, 4);
    EXPECT_EQ(r, CRect(11, 11, 21, 21));
    r.OffsetRect(-11, 4);
    EXPECT_EQ(r, CRect(0, 15, 10, 25));
    CRect reversed(10, 8, 2, 1);
    reversed.NormalizeRect();
    EXPECT_EQ(reversed, CRect(2, 1, 10, 8));
    reversed.MoveToXY(0, 0);
    EXPECT_EQ(reversed, CRect(0, 0, 8, 7));
}

TEST(Rect, QtConversionKeepsTheSamePixels)
{
    const CRect r(3, 4, 13, 9);
    const QRect q = r.ToQRect();
    EXPECT_EQ(q, QRect(3, 4, 10, 5));
    EXPECT_EQ(q.right(), 12);
    EXPECT_EQ(CRect::FromQRect(q), r);
    EXPECT_EQ(CRect::FromQRect(QRect()), CRect(0, 0, 0, 0));
    EXPECT_EQ(CPoint(QPoint(-3, 7)), CPoint(-3, 7));
}

TEST(Rect, ArithmeticSaturatesInsteadOfOverflowing)
{
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    CRect r(kMin, kMin, kMax, kMax);
    EXPECT_EQ(r.Width(), kMax);
    r.OffsetRect(kMax, kMax);
    EXPECT_EQ(r.right, kMax);
    r.InflateRect(kMax, kMax);
    EXPECT_EQ(r.left, kMin);
    EXPECT_EQ((CPoint(kMax, kMin) + CPoint(1, -1)), CPoint(kMax, kMin));
}

} // namespace
} // namespace Brivel::Platform
