// The options of operations 86/87 (stretched cell images) and 89/90 (row
// drag and drop) in the settings stream, what stretching does to the pixels,
// and the posted header refresh (operation 74).

#include "tests/gui/grid/grid_test_support.h"
#include "tests/gui/paint/paint_test_support.h"

#include "gui/header/column.h"
#include "gui/paint/grid_painter.h"

#include "platform/archive.h"
#include "platform/image_list.h"

namespace Brivel::GUI::Testing {
namespace {

class StoredOptionsTest : public GridTest {
protected:
    StoredOptionsTest()
    {
        EXPECT_EQ(grid->SetHeader(MakeHeader({{CRowObject::kName, 60}, {CRowObject::kValue, 60}})), nullptr);
        grid->Add(&object);
        Pump();
    }
    ~StoredOptionsTest() override { grid.reset(); }

    CRowObject object{7, "row"};
};

TEST_F(StoredOptionsTest, DragAndStretchOptionsAreStoredAndLoaded)
{
    grid->EnableRowDragDrop(true);
    grid->SetStretchImages(true);
    Platform::CArchive store;
    grid->Serialize(store);
    CGrid copy;
    EXPECT_FALSE(copy.IsRowDragDropEnabled());
    EXPECT_FALSE(copy.IsStretchImages());
    Platform::CArchive load(store.GetData());
    copy.Serialize(load);
    EXPECT_TRUE(copy.IsRowDragDropEnabled());
    EXPECT_TRUE(copy.IsStretchImages());
    delete copy.SetHeader(nullptr); // the loaded header goes back to us

    // Off again: the two options are all that differs in the stream.
    grid->EnableRowDragDrop(false);
    grid->SetStretchImages(false);
    Platform::CArchive off;
    grid->Serialize(off);
    const QByteArray on = store.GetData();
    const QByteArray bytes = off.GetData();
    ASSERT_EQ(on.size(), bytes.size());
    int differing = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        differing += on[i] != bytes[i] ? 1 : 0;
    EXPECT_EQ(differing, 2);
}

TEST_F(StoredOptionsTest, StretchedImagesKeepTheirAspect)
{
    Platform::CImageList images(32, 16);
    QImage red(32, 16, QImage::Format_ARGB32_Premultiplied);
    red.fill(QColor(255, 0, 0));
    ASSERT_EQ(images.Add(red), 0);
    delete grid->SetHeader(nullptr);
    auto header = std::make_unique<CHeader>(true);
    header->AddColumn(std::make_unique<CColumn>(CRowObject::kName, "Name", 200, CColumn::kAlignLeft, false, 0));
    EXPECT_EQ(grid->SetHeader(header.release()), nullptr);
    grid->SetCellImageList(&images);
    const CRowLayout::Row row = *Impl().GetRowLayout().Find(*grid->GetItem(0));
    // The red pixels across the middle of the row.
    const auto redWidth = [&] {
        const QImage image = Impl().GetPainter().RenderClient();
        int width = 0;
        for (int x = 0; x < 200; ++x)
            width += PixelAt(image, x, row.top + row.height / 2) == Platform::RGB(255, 0, 0) ? 1 : 0;
        return width;
    };
    const int natural = redWidth();
    EXPECT_GT(natural, 0);
    EXPECT_LE(natural, row.height) << "natural size, cut to a square box";
    grid->SetStretchImages(true);
    EXPECT_GE(redWidth(), 2 * row.height - 2) << "twice as wide as high, as the image is";
    grid->SetCellImageList(nullptr);
}

TEST_F(StoredOptionsTest, PostedHeaderRefreshMeasuresTheHeaderAgain)
{
    CHeader* const header = grid->GetHeader();
    const int32_t measured = header->GetHeight();
    header->SetHeight(measured + 9);
    grid->PostHeaderRefresh();
    EXPECT_EQ(header->GetHeight(), measured + 9) << "posted: nothing happens before the loop runs";
    EXPECT_TRUE(PumpUntil([&] { return header->GetHeight() == measured; }));
}

} // namespace
} // namespace Brivel::GUI::Testing
