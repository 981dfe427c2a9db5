// The grid window painting itself: a change made on a worker thread reaches
// the screen as a fading highlight of its cell, read back from the rendered
// window with the process clock under the test's control.

#include "tests/gui/grid/grid_test_support.h"

#include "common/process_clock.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <thread>

namespace Brivel::GUI::Testing {
namespace {

class GridPaintTest : public GridTest {
protected:
    GridPaintTest()
    {
        Common::SetProcessClockForTesting(100000);
        grid->SetHeader(MakeHeader({{CRowObject::kValue, 100}, {CRowObject::kOther, 100}}));
        grid->Add(&first);
        grid->Add(&second);
    }
    ~GridPaintTest() override
    {
        grid.reset();
        Common::ResetProcessClockForTesting();
    }

    // The window as it paints now.
    QImage Render() { return grid->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // A background pixel of the cell of `column` (0 or 1) in body row `row`:
    // the middle of the cell, where a one-digit number never reaches.
    QRgb CellPixel(const QImage& image, int column, int row)
    {
        const int rowHeight = grid->GetListRowHeight();
        const int top = grid->GetHeader()->GetHeight() + row * rowHeight;
        return image.pixel(column * 100 + 50, top + rowHeight / 2);
    }

    void ChangeOnWorker(CRowObject& object, int32_t value)
    {
        std::thread([&] { object.SetValue(value); }).join();
        ASSERT_TRUE(PumpUntil([&] { return grid->GetChangeAge(-1, 0, RowsOf(*grid)[0], CRowObject::kValue) >= 0; }));
    }

    CRowObject first{1};
    CRowObject second{2};
};

TEST_F(GridPaintTest, AWorkerChangeFadesOutOfItsCellOnly)
{
    grid->SetHighlightChangedValues(true); // defaults: mode 8, red at alpha 150 over 2000 ms
    ChangeOnWorker(first, 7);

    QImage image = Render();
    EXPECT_EQ(CellPixel(image, 0, 0), qRgb(255, 105, 105)) << "at the change";
    EXPECT_EQ(CellPixel(image, 1, 0), qRgb(255, 255, 255)) << "another field of the same row";
    EXPECT_EQ(CellPixel(image, 0, 1), qRgb(255, 255, 255)) << "the same field of another row";

    Common::AdvanceProcessClockForTesting(1000);
    image = Render();
    EXPECT_EQ(CellPixel(image, 0, 0), qRgb(255, 180, 180)) << "half way, half the alpha";

    Common::AdvanceProcessClockForTesting(1000);
    image = Render();
    EXPECT_EQ(CellPixel(image, 0, 0), qRgb(255, 255, 255)) << "over after the duration";
}

TEST_F(GridPaintTest, WithHighlightingOffAChangedCellKeepsItsColour)
{
    ChangeOnWorker(first, 7);
    EXPECT_EQ(CellPixel(Render(), 0, 0), qRgb(255, 255, 255));
}

TEST_F(GridPaintTest, ScreenshotIsTheClientAreaAsPainted)
{
    grid->SetHighlightChangedValues(true);
    ChangeOnWorker(first, 7);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = QDir(dir.path()).filePath("grid.png");
    ASSERT_TRUE(grid->SaveScreenshot(path));

    QImage shot(path);
    ASSERT_FALSE(shot.isNull());
    shot = shot.convertToFormat(QImage::Format_RGB32);
    EXPECT_LE(shot.width(), grid->width());
    EXPECT_LE(shot.height(), grid->height());
    EXPECT_EQ(CellPixel(shot, 0, 0), qRgb(255, 105, 105));
    EXPECT_FALSE(grid->SaveScreenshot(QDir(dir.path()).filePath("missing/dir/grid.png")))
        << "an unwritable path is reported";
}

} // namespace
} // namespace Brivel::GUI::Testing
