#pragma once
// The fixture of the input tests: a shown grid with a header (Name, Value),
// three pinned rows "p0".."p2" and twenty body rows "b00".."b19" whose values
// are their indexes, with helpers that click and type through QTest.

#include "tests/gui/grid/grid_test_support.h"

#include "gui/input/selection.h"
#include "gui/rows/row_layout.h"

#include <QTest>

#include <string>

namespace Brivel::GUI::Testing {

class InputTest : public GridTest {
protected:
    InputTest()
    {
        grid->SetHeader(MakeHeader({{CRowObject::kName, 100}, {CRowObject::kValue, 80}}));
        for (int32_t i = 0; i < 3; ++i)
            Add(CGrid::kPinnedRoot, i, "p" + std::to_string(i));
        for (int32_t i = 0; i < 20; ++i)
            Add(CGrid::kBodyRoot, i, (i < 10 ? "b0" : "b") + std::to_string(i));
        Pump();
    }

    CGridItem* Add(CGridItem* parent, int32_t value, const std::string& name)
    {
        objects.push_back(std::make_unique<CRowObject>(value, name));
        return grid->Add(objects.back().get(), parent);
    }
    // The centre of a row on screen, x inside the Name column past the tree
    // indentation.
    QPoint PointOf(int32_t kind, int32_t row)
    {
        const Platform::CRect rect = Impl().GetRowLayout().RowRect(*Impl().ListOfKind(kind), row);
        EXPECT_FALSE(rect.IsRectEmpty()) << "row " << row << " of list " << kind << " is not on screen";
        return QPoint(70, (rect.top + rect.bottom) / 2);
    }
    void Click(int32_t kind, int32_t row, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(grid.get(), Qt::LeftButton, modifiers, PointOf(kind, row));
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(grid.get(), Qt::Key(key), modifiers); }
    // The selected rows of a list kind.
    std::vector<int32_t> Selected(int32_t kind = CGrid::kBodyList)
    {
        std::vector<int32_t> rows;
        for (int32_t row = 0; row < grid->GetRowCount(kind); ++row)
            if (grid->IsRowSelected(row, kind))
                rows.push_back(row);
        return rows;
    }
    std::pair<int32_t, int32_t> Focus() { return {grid->GetFocusListKind(), grid->GetFocusRow()}; }

    std::vector<std::unique_ptr<CRowObject>> objects;
};

} // namespace Brivel::GUI::Testing
