#include "tests/gui/paint/paint_test_support.h"

#include "common/process_clock.h"

#include <QPaintEvent>
#include <QPainter>

namespace Brivel::GUI::Testing {

BRIVEL_BEGIN_FIELD_MAP(CPaintRowObject)
    BRIVEL_FIELD(0, "Name", &CPaintRowObject::GetName, 0, nullptr)
    BRIVEL_FIELD(1, "Number", &CPaintRowObject::GetNumber, 0, nullptr)
    BRIVEL_FIELD(2, "Flag", &CPaintRowObject::GetFlag, 0, nullptr)
    BRIVEL_FIELD(3, "Real", &CPaintRowObject::GetReal, 0, nullptr)
BRIVEL_END_FIELD_MAP()

CFakePaintHost::CFakePaintHost()
    : pinned(std::make_unique<CRowList>(CRowList::kPinnedList, nullptr)),
      body(std::make_unique<CRowList>(CRowList::kBodyList, nullptr)), header(std::make_unique<CHeader>(false))
{
}

CFakePaintHost::~CFakePaintHost() = default;

CColumn* CFakePaintHost::AddColumn(int32_t id, const std::string& caption, int32_t width, int32_t alignment)
{
    auto column = std::make_unique<CColumn>(id, caption, width, alignment);
    CColumn* const raw = column.get();
    EXPECT_TRUE(header->AddColumn(std::move(column)));
    return raw;
}

CGridItem* CFakePaintHost::AddRow(int32_t kind, Common::CDataObject* object, CGridItem* parent)
{
    CGridItem* const item = CGridItem::Create(object);
    CRowList& list = kind == CRowList::kPinnedList ? *pinned : *body;
    EXPECT_TRUE(list.InsertChild(parent, CRowList::kTail, item, true));
    return item;
}

void CPaintedWidget::paintEvent(QPaintEvent* event)
{
    QPainter window(this);
    painter.Paint(window, event->region());
}

COLORREF PixelAt(const QImage& image, int x, int y)
{
    return Platform::FromQRgb(image.pixel(x, y));
}

namespace {

bool IsInk(QRgb pixel, int threshold)
{
    return qRed(pixel) < threshold && qGreen(pixel) < threshold && qBlue(pixel) < threshold;
}

} // namespace

bool HasInk(const QImage& image, const Platform::CRect& rect, int threshold)
{
    return LeftmostInk(image, rect, threshold) >= 0;
}

int LeftmostInk(const QImage& image, const Platform::CRect& rect, int threshold)
{
    for (int x = rect.left; x < rect.right; ++x)
        for (int y = rect.top; y < rect.bottom; ++y)
            if (IsInk(image.pixel(x, y), threshold))
                return x;
    return -1;
}

int RightmostInk(const QImage& image, const Platform::CRect& rect, int threshold)
{
    for (int x = rect.right - 1; x >= rect.left; --x)
        for (int y = rect.top; y < rect.bottom; ++y)
            if (IsInk(image.pixel(x, y), threshold))
                return x;
    return -1;
}

QFont TestFont(int pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace Brivel::GUI::Testing

namespace Brivel::GUI::Testing {

PaintFixture::PaintFixture()
{
    host.font = TestFont();
    host.body->SetRowHeight(20, true);
    host.pinned->SetRowHeight(20, true);
}

PaintFixture::~PaintFixture()
{
    Common::ResetProcessClockForTesting();
    Platform::SetBlendLibraryAvailableForTesting(true);
}

CPaintRowObject* PaintFixture::NewObject(std::string name, int32_t number, bool flag, double real)
{
    objects.push_back(std::make_unique<CPaintRowObject>(std::move(name), number, flag, real));
    return objects.back().get();
}

CGridItem* PaintFixture::AddBodyRow(std::string name, int32_t number)
{
    return host.AddRow(CRowList::kBodyList, NewObject(std::move(name), number));
}

} // namespace Brivel::GUI::Testing
