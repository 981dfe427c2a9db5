// The paint-format registry: one table per interface, first registration wins.
#include "gui/paint/paint_format_registry.h"

#include "tests/gui/header/header_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace Brivel::GUI {
namespace {

using Testing::CTaggedCellPaintFormat;
using Testing::CTaggedColumnPaintFormat;

std::unique_ptr<ICellPaintFormat> MakeTagged7() { return std::make_unique<CTaggedCellPaintFormat>(7); }

TEST(PaintFormatRegistry, CreatesARegisteredClassByName)
{
    std::unique_ptr<ICellPaintFormat> cell = CreatePaintFormat<ICellPaintFormat>(CTaggedCellPaintFormat::kName);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->GetClassName(), CTaggedCellPaintFormat::kName);
    std::unique_ptr<IColumnPaintFormat> column =
        CreatePaintFormat<IColumnPaintFormat>(CTaggedColumnPaintFormat::kName);
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(column->GetClassName(), CTaggedColumnPaintFormat::kName);
}

TEST(PaintFormatRegistry, EachInterfaceHasItsOwnTable)
{
    EXPECT_EQ(CreatePaintFormat<IColumnPaintFormat>(CTaggedCellPaintFormat::kName), nullptr);
    EXPECT_EQ(CreatePaintFormat<IHeaderPaintFormat>(CTaggedCellPaintFormat::kName), nullptr);
    EXPECT_EQ(CreatePaintFormat<ICellPaintFormat>("Test::NobodyRegisteredThis"), nullptr);
    const std::vector<std::string> cells = GetRegisteredPaintFormats<ICellPaintFormat>();
    EXPECT_TRUE(std::is_sorted(cells.begin(), cells.end()));
    EXPECT_NE(std::find(cells.begin(), cells.end(), CTaggedCellPaintFormat::kName), cells.end());
}

TEST(PaintFormatRegistry, FirstRegistrationWins)
{
    EXPECT_FALSE(RegisterPaintFormat<ICellPaintFormat>(CTaggedCellPaintFormat::kName, &MakeTagged7));
    std::unique_ptr<ICellPaintFormat> cell = CreatePaintFormat<ICellPaintFormat>(CTaggedCellPaintFormat::kName);
    EXPECT_EQ(static_cast<CTaggedCellPaintFormat&>(*cell).GetTag(), 0);

    EXPECT_TRUE(RegisterPaintFormat<ICellPaintFormat>("Test::Tagged7", &MakeTagged7));
    cell = CreatePaintFormat<ICellPaintFormat>("Test::Tagged7");
    EXPECT_EQ(static_cast<CTaggedCellPaintFormat&>(*cell).GetTag(), 7);
}

TEST(PaintFormatRegistry, RefusesEmptyNamesAndNullFactories)
{
    EXPECT_FALSE(RegisterPaintFormat<ICellPaintFormat>("", &MakeTagged7));
    EXPECT_FALSE(RegisterPaintFormat<ICellPaintFormat>("Test::NullFactory", nullptr));
    EXPECT_EQ(CreatePaintFormat<ICellPaintFormat>("Test::NullFactory"), nullptr);
    const CPaintFormatRegistrar<ICellPaintFormat> nullName(nullptr, &MakeTagged7);
    EXPECT_FALSE(nullName.IsRegistered());
}

} // namespace
} // namespace Brivel::GUI
