// Printing a grid to PDF, checked on the rendered pages: page counts against
// the column widths and row heights, where the header, a known row's text
// and the margins land, tall rows, wide columns, the page range, bad input,
// cancelling, and the print settings in the settings stream.

#include "tests/gui/grid/grid_test_support.h"

#include "gui/print/grid_printer.h"

#include "platform/archive.h"
#include "platform/printer.h"

#include <QApplication>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <cmath>
#include <thread>

namespace Brivel::GUI::Testing {
namespace {

constexpr int kRows = 500;
constexpr int kKnownRow = 123;
constexpr int kNameWidth = 120;
constexpr int kOtherWidth = 80;
constexpr int kColumns = 11;

// Pixels drawn as text (the grid lines and row colours are much lighter).
bool IsInk(QRgb pixel)
{
    return qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}
bool IsWhite(QRgb pixel)
{
    return qRed(pixel) > 245 && qGreen(pixel) > 245 && qBlue(pixel) > 245;
}

class GridPrintTest : public GridTest {
protected:
    GridPrintTest()
    {
        std::vector<std::pair<int32_t, int32_t>> columns{{CRowObject::kName, kNameWidth}};
        for (int32_t id = 1; id < kColumns; ++id)
            columns.emplace_back(id, kOtherWidth);
        grid->SetHeader(MakeHeader(columns));
        // Only the known row has a name, so its text is the only ink in the
        // first column.
        for (int row = 0; row < kRows; ++row)
            objects.push_back(std::make_unique<CRowObject>(row, row == kKnownRow ? "XXXXXXXX" : ""));
        for (auto& object : objects)
            grid->Add(object.get());
        Pump();
    }

    QString Pdf(const QString& name = "grid.pdf") const { return dir.filePath(name); }

    // Prints to a PDF with the printable area the whole sheet.
    PrintResult PrintToPdf(int32_t from = 0, int32_t to = 0, IPrintProgress* progress = nullptr,
                           const QString& path = {})
    {
        Platform::CPrinter device;
        device.SetOutputFile(path.isEmpty() ? Pdf() : path);
        device.SetFullPage(true);
        device.SetPageRange(from, to);
        CGridPrinter printer(Impl());
        const PrintResult result = printer.Print(device, grid->GetPrintSettings(), progress);
        counters = printer.GetCountersForTesting();
        return result;
    }

    static int PageCount(const QString& pdf)
    {
        QProcess info;
        info.start("pdfinfo", {pdf});
        if (!info.waitForFinished(60000))
            return -1;
        const auto match = QRegularExpression(R"(Pages:\s+(\d+))").match(QString::fromUtf8(info.readAllStandardOutput()));
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }

    // Page `page` rendered at the screen's 96 pixels per inch: one pixel per
    // page unit.
    QImage RenderPage(int page) const
    {
        const QString prefix = dir.filePath(QString("page%1").arg(page));
        QProcess::execute("pdftoppm", {"-r", "96", "-png", "-singlefile", "-f", QString::number(page), "-l",
                                       QString::number(page), Pdf(), prefix});
        return QImage(prefix + ".png").convertToFormat(QImage::Format_RGB32);
    }

    // The ink rows within the name column on `image` from `top` down, as
    // [first, last].
    static std::pair<int, int> InkRowsIn(const QImage& image, int left, int right, int top = 0)
    {
        int first = -1;
        int last = -1;
        for (int y = top; y < image.height(); ++y)
            for (int x = left; x < right; ++x)
                if (IsInk(image.pixel(x, y))) {
                    first = first < 0 ? y : first;
                    last = y;
                    break;
                }
        return {first, last};
    }

    QTemporaryDir dir;
    std::vector<std::unique_ptr<CRowObject>> objects;
    CGridPrinter::Counters counters;
};

// The pages of every scale: pages down from the row heights, pages across
// from the column widths; the header, the known row and the margins where the
// geometry puts them.
TEST_F(GridPrintTest, PagesAndPlacesAtEveryScale)
{
    const int headerHeight = grid->GetHeader()->GetHeight();
    const int rowHeight = grid->GetListRowHeight(CGrid::kBodyList);
    const int left = std::lround(10 * 96 / 25.4);
    const int top = std::lround(3 * 96 / 25.4);
    for (const double scale : {0.5, 1.0, 2.0}) {
        SCOPED_TRACE(scale);
        PrintSettings settings;
        settings.scale = scale;
        grid->SetPrintSettings(settings);
        ASSERT_EQ(PrintToPdf(), PrintResult::kPrinted);
        const QImage first = RenderPage(1);
        ASSERT_FALSE(first.isNull());

        // The band: the page less its margins, divided by the scale.
        const int bandWidth = int((first.width() - 2 * left) / scale);
        const int bandHeight = int((first.height() - top) / scale);
        int across = 1;
        for (int column = 1, used = kNameWidth; column < kColumns; ++column) {
            used += kOtherWidth;
            if (used > bandWidth) {
                ++across;
                used = kOtherWidth;
            }
        }
        int bands = 0;
        int knownBand = -1;
        int knownTop = 0;
        for (int row = 0; row < kRows; ++bands) {
            const int strip = bands == 0 ? headerHeight : 0;
            const int rows = (bandHeight - strip) / rowHeight;
            if (kKnownRow >= row && kKnownRow < row + rows) {
                knownBand = bands;
                knownTop = strip + (kKnownRow - row) * rowHeight;
            }
            row += rows;
        }
        EXPECT_EQ(PageCount(Pdf()), bands * across);
        EXPECT_EQ(counters.bitmapBuilds, 1); // one band bitmap for every band

        // Page 1: white margins, the header strip at the top of the drawing area.
        for (int x = 0; x < first.width(); ++x)
            ASSERT_TRUE(IsWhite(first.pixel(x, top - 3))) << x;
        for (int y = 0; y < first.height(); ++y)
            ASSERT_TRUE(IsWhite(first.pixel(left - 3, y))) << y;
        EXPECT_FALSE(IsWhite(first.pixel(left + 5, top + 3)));

        // The known row's text in the first column of its band's first page.
        const QImage page = RenderPage(knownBand * across + 1);
        // Below the header strip: its captions are ink too.
        const int rowsTop = top + (knownBand == 0 ? int(headerHeight * scale) + 1 : 0);
        const auto [inkTop, inkBottom] = InkRowsIn(page, left + 2, left + int(kNameWidth * scale) - 2, rowsTop);
        const int rowTop = top + int(knownTop * scale);
        const int rowBottom = top + int((knownTop + rowHeight) * scale);
        EXPECT_GE(inkTop, rowTop - 1);
        EXPECT_LE(inkBottom, rowBottom + 1);
        EXPECT_GT(inkBottom, inkTop);
    }
}

TEST_F(GridPrintTest, HeaderRepeatsOnlyWhenAsked)
{
    const int left = std::lround(10 * 96 / 25.4);
    const int top = std::lround(3 * 96 / 25.4);
    PrintSettings settings;
    settings.scale = 0.5; // one page across: page 2 is the second band
    grid->SetPrintSettings(settings);
    ASSERT_EQ(PrintToPdf(1, 2), PrintResult::kPrinted);
    const QRgb headerColour = RenderPage(1).pixel(left + 5, top + 3);
    EXPECT_NE(RenderPage(2).pixel(left + 5, top + 3), headerColour);
    settings.repeatHeader = true;
    grid->SetPrintSettings(settings);
    ASSERT_EQ(PrintToPdf(1, 2), PrintResult::kPrinted);
    EXPECT_EQ(RenderPage(2).pixel(left + 5, top + 3), headerColour);
}

TEST_F(GridPrintTest, PageRange)
{
    ASSERT_EQ(PrintToPdf(), PrintResult::kPrinted);
    const int pages = PageCount(Pdf());
    ASSERT_GT(pages, 3);
    EXPECT_EQ(PrintToPdf(2, 3), PrintResult::kPrinted);
    EXPECT_EQ(PageCount(Pdf()), 2);
    EXPECT_EQ(PrintToPdf(pages, 0), PrintResult::kPrinted); // 0: up to the last page
    EXPECT_EQ(PageCount(Pdf()), 1);
    EXPECT_EQ(PrintToPdf(2, pages + 50), PrintResult::kPrinted);
    EXPECT_EQ(PageCount(Pdf()), pages - 1);

    // Past the last page, or backwards: refused before any output.
    QFile::remove(Pdf());
    EXPECT_EQ(PrintToPdf(pages + 1, 0), PrintResult::kBadPageRange);
    EXPECT_EQ(PrintToPdf(3, 2), PrintResult::kBadPageRange);
    EXPECT_FALSE(QFile::exists(Pdf()));
}

// A row taller than a band gets a band of its own, cut; a column wider than
// a band gets a page of its own, cut at the band's width (not a blank page).
TEST_F(GridPrintTest, TallRowAndWideColumnPrintClipped)
{
    const int headerHeight = grid->GetHeader()->GetHeight();
    const int rowHeight = grid->GetListRowHeight(CGrid::kBodyList);
    grid->SetRowHeight(grid->GetItem(kKnownRow), 5000);
    grid->GetHeader()->FindColumn(CRowObject::kName)->SetWidth(3000);
    ASSERT_EQ(PrintToPdf(), PrintResult::kPrinted);
    const QImage first = RenderPage(1);
    const int left = std::lround(10 * 96 / 25.4);
    const int top = std::lround(3 * 96 / 25.4);
    const int bandHeight = first.height() - top;

    int bands = 0;
    for (int row = 0, used = headerHeight; row < kRows; ++row) {
        const int height = row == kKnownRow ? 5000 : rowHeight;
        if (used + height > bandHeight && used > (bands == 0 ? headerHeight : 0)) {
            ++bands;
            used = 0;
        }
        used += height;
        if (row == kRows - 1)
            ++bands;
    }
    // The wide column alone, then 8 and 2 of the other ten (80 pixels each).
    EXPECT_EQ(PageCount(Pdf()), bands * 3);
    // The wide column's header reaches the right margin.
    EXPECT_FALSE(IsWhite(first.pixel(first.width() - left - 4, top + 3)));
    EXPECT_TRUE(IsWhite(first.pixel(first.width() - left + 3, top + 3)));
}

// The first page: the pinned rows, then the body rows from row 0 in the
// same band (no separator, no new band).
TEST_F(GridPrintTest, PinnedRowsThenBodyRowsShareTheFirstBand)
{
    CRowObject pinned[3] = {CRowObject(0, "XXXXXXXX"), CRowObject(0, "XXXXXXXX"), CRowObject(0, "XXXXXXXX")};
    for (CRowObject& object : pinned)
        grid->Add(&object, CGrid::kPinnedRoot);
    grid->SetListRowHeight(CGrid::kPinnedList, grid->GetListRowHeight(CGrid::kBodyList));
    PrintSettings settings;
    settings.scale = PrintSettings::kMinScale; // the known body row on the first page too
    grid->SetPrintSettings(settings);
    ASSERT_EQ(PrintToPdf(1, 1), PrintResult::kPrinted);
    const QImage page = RenderPage(1);
    const int left = std::lround(10 * 96 / 25.4);
    const int top = std::lround(3 * 96 / 25.4);
    const double scale = settings.scale;
    const int rowHeight = grid->GetListRowHeight(CGrid::kBodyList);
    const int rowsTop = top + int(grid->GetHeader()->GetHeight() * scale);
    // Whether the name cell of band row `slot` shows ink (grey at this size).
    const auto inked = [&](int slot) {
        const int y0 = rowsTop + int(slot * rowHeight * scale);
        const int y1 = rowsTop + int((slot + 1) * rowHeight * scale);
        for (int y = y0; y < y1; ++y)
            for (int x = left + 1; x < left + int(kNameWidth * scale) - 1; ++x)
                if (qGray(page.pixel(x, y)) < 200)
                    return true;
        return false;
    };
    for (int slot = 0; slot < 3; ++slot)
        EXPECT_TRUE(inked(slot)) << slot;
    for (int slot = 3; slot < 3 + kKnownRow; ++slot)
        ASSERT_FALSE(inked(slot)) << slot;
    EXPECT_TRUE(inked(3 + kKnownRow));
    grid->Clear(CGrid::kPinnedMask);
}

TEST_F(GridPrintTest, BadInputGivesAClearResultAndNoOutput)
{
    PrintSettings settings;
    settings.printPinned = settings.printBody = false;
    grid->SetPrintSettings(settings);
    EXPECT_EQ(PrintToPdf(), PrintResult::kNothingToPrint);

    settings = {};
    settings.leftMargin = settings.rightMargin = 200; // 400 mm across an A4 or letter sheet
    grid->SetPrintSettings(settings);
    EXPECT_EQ(PrintToPdf(), PrintResult::kMarginsTooLarge);

    grid->SetPrintSettings({});
    EXPECT_EQ(PrintToPdf(0, 0, nullptr, dir.filePath("no/such/folder/grid.pdf")), PrintResult::kPrinterFailed);

    // Columns far wider than a page: the band bitmap would pass its limit.
    grid->GetHeader()->FindColumn(CRowObject::kName)->SetWidth(32000);
    EXPECT_EQ(PrintToPdf(), PrintResult::kBandTooLarge);

    grid->Clear();
    EXPECT_EQ(PrintToPdf(), PrintResult::kNothingToPrint);
    EXPECT_FALSE(QFile::exists(Pdf()));
}

// Cancelling through the progress dialog stops between pages, leaves no
// document and the grid as it was: scroll position, top row, selection, pixels.
TEST_F(GridPrintTest, CancelledPrintLeavesTheGridAsItWas)
{
    grid->SetTopRow(40);
    grid->SelectRow(42);
    Impl().HScroll(HScrollAction::ThumbPosition, 60);
    Pump();
    const int32_t scroll = grid->GetHorizontalScrollPos();
    ASSERT_GT(scroll, 0);
    const QImage before = Impl().GetPainter().RenderClient();

    int pressed = 0;
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QProgressDialog*>(widget); dialog && dialog->isVisible() && dialog->value() >= 2) {
                dialog->cancel();
                ++pressed;
            }
    });
    presser.start(0);
    PrintRequest request;
    request.showDialog = false;
    request.outputFile = Pdf();
    EXPECT_EQ(grid->Print(request), PrintResult::kCancelled);
    presser.stop();
    EXPECT_EQ(pressed, 1);
    EXPECT_FALSE(QFile::exists(Pdf()));
    EXPECT_EQ(grid->GetHorizontalScrollPos(), scroll);
    EXPECT_EQ(grid->GetTopRow(), 40);
    EXPECT_TRUE(grid->IsRowSelected(42));
    EXPECT_EQ(Impl().GetPainter().RenderClient(), before);

    // Without cancelling the same request prints every page.
    EXPECT_EQ(grid->Print(request), PrintResult::kPrinted);
    EXPECT_GT(PageCount(Pdf()), PrintRequest::kProgressPages);
}

TEST_F(GridPrintTest, PrintFromAnotherThread)
{
    PrintRequest request;
    request.showDialog = false;
    request.outputFile = Pdf();
    request.fromPage = 1;
    request.toPage = 2;
    std::atomic<PrintResult> result{PrintResult::kNotPrinted};
    std::thread worker([&] { result = grid->Print(request); });
    EXPECT_TRUE(PumpUntil([&] { return result != PrintResult::kNotPrinted; }));
    worker.join();
    EXPECT_EQ(result, PrintResult::kPrinted);
    EXPECT_EQ(PageCount(Pdf()), 2);
}

TEST_F(GridPrintTest, PreviewShowsThePages)
{
    int previewPages = -1;
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QPrintPreviewDialog*>(widget)) {
                if (auto* preview = dialog->findChild<QPrintPreviewWidget*>())
                    previewPages = preview->pageCount();
                dialog->reject();
            }
    });
    PrintRequest request;
    request.showProgress = false;
    EXPECT_EQ(grid->PrintPreview(request), PrintResult::kCancelled);
    CGridPrinter printer(Impl());
    Platform::CPrinter device;
    device.SetOutputFile(Pdf());
    EXPECT_EQ(previewPages, printer.PlanDocument(device, grid->GetPrintSettings()).pages);
}

// The settings travel in the grid's settings stream; streams from before
// (an empty block in their place) still load; settings are sanitised.
TEST_F(GridPrintTest, SettingsInTheSettingsStream)
{
    EXPECT_EQ(grid->GetPrintSettings(), PrintSettings{});
    PrintSettings settings;
    settings.printHeader = false;
    settings.repeatHeader = true;
    settings.printPinned = false;
    settings.scale = 1.5;
    settings.topMargin = 7;
    settings.bottomMargin = 8;
    settings.leftMargin = 9;
    settings.rightMargin = 11;
    grid->SetPrintSettings(settings);
    Platform::CArchive store;
    grid->Serialize(store);
    CGrid copy;
    Platform::CArchive load(store.GetData());
    copy.Serialize(load);
    EXPECT_EQ(load.GetRemainingForTesting(), 0);
    EXPECT_EQ(copy.GetPrintSettings(), settings);

    // The older form: the same stream with the block emptied (version 0).
    Platform::CArchive block;
    settings.Serialize(block);
    QByteArray old = store.GetData();
    const int at = old.indexOf(block.GetData());
    ASSERT_GT(at, 0);
    old.replace(at, block.GetData().size(), QByteArray(4, '\0'));
    CGrid older;
    Platform::CArchive loadOld(old);
    older.Serialize(loadOld);
    EXPECT_EQ(loadOld.GetRemainingForTesting(), 0);
    EXPECT_EQ(older.GetPrintSettings(), PrintSettings{});

    settings.scale = std::nan("");
    settings.leftMargin = -5;
    grid->SetPrintSettings(settings);
    EXPECT_EQ(grid->GetPrintSettings().scale, 1.0);
    EXPECT_EQ(grid->GetPrintSettings().leftMargin, 0);
    settings.scale = 1000;
    grid->SetPrintSettings(settings);
    EXPECT_EQ(grid->GetPrintSettings().scale, PrintSettings::kMaxScale);
}

} // namespace
} // namespace Brivel::GUI::Testing
