#pragma once
// Doubles for the painting tests: a row object with a text, a number, a flag
// and a real; a fake IPaintHost over a real pinned and body CRowList and a
// real CHeader, with every option a public member; a cell format that fills
// its cell in one colour; a widget whose paint event runs CGridPainter; and
// pixel helpers for rendered images.

#include "gui/paint/custom_draw.h"
#include "gui/rows/grid_item.h"
#include "gui/paint/grid_painter.h"
#include "gui/header/header.h"
#include "gui/paint/paint_host.h"
#include "gui/paint/paint_records.h"
#include "gui/rows/row_list.h"
#include "gui/header/scroll_position.h"

#include "common/data_object.h"
#include "common/field_table.h"
#include "platform/colorref.h"
#include "platform/dc.h"

#include <QFont>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Brivel::GUI::Testing {

// Field ids: 0 name (std::string), 1 number (int32), 2 flag (bool), 3 real (double).
class CPaintRowObject final : public Common::CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()

public:
    static constexpr int32_t kNameField = 0;
    static constexpr int32_t kNumberField = 1;
    static constexpr int32_t kFlagField = 2;
    static constexpr int32_t kRealField = 3;

    explicit CPaintRowObject(std::string name = {}, int32_t number = 0, bool flag = false, double real = 0.0)
        : m_name(std::move(name)), m_number(number), m_flag(flag), m_real(real)
    {
    }
    ~CPaintRowObject() override { AnnounceDeletion(); }

    std::string GetName() const { return m_name; }
    int32_t GetNumber() const { return m_number; }
    bool GetFlag() const { return m_flag; }
    double GetReal() const { return m_real; }

    std::string m_name;
    int32_t m_number;
    bool m_flag;
    double m_real;
};

class CFakeScrollSource final : public IHorizontalScrollSource {
public:
    bool GetHorizontalScrollPos(int32_t& pos) const override
    {
        pos = position;
        return true;
    }
    int32_t position = 0;
};

// Every host option as a member; lists and header are real.
class CFakePaintHost final : public IPaintHost {
public:
    CFakePaintHost();
    CFakePaintHost(const CFakePaintHost&) = delete;
    CFakePaintHost& operator=(const CFakePaintHost&) = delete;
    ~CFakePaintHost();

    CHeader* GetHeader() const override { return hasHeader ? header.get() : nullptr; }
    bool IsHeaderShown() const override { return headerShown; }
    const IHorizontalScrollSource* GetScrollSource() const override { return &scroll; }
    CRowList* GetRowList(int32_t kind) const override
    {
        return kind == CRowList::kPinnedList ? pinned.get() : kind == CRowList::kBodyList ? body.get() : nullptr;
    }
    int32_t GetTopRow() const override { return topRow; }
    Platform::CRect GetClientRect() const override { return client; }
    int32_t GetFocusRow(int32_t kind) const override { return kind == focusKind ? focusRow : -1; }
    Platform::CRect GetRubberBand() const override { return rubberBand; }
    HeaderDragState GetHeaderDragState() const override { return drag; }
    RowDropMark GetRowDropMark() const override { return dropMark; }
    const Appearance& GetAppearance() const override { return appearance; }
    const HighlightSettings& GetHighlightSettings() const override { return highlight; }
    bool IsHighlightChangedValues() const override { return highlightChangedValues; }
    PaintElementMask GetPaintElementMask() const override { return mask; }
    bool IsDoubleBuffered() const override { return doubleBuffered; }
    bool IsSeparatorShown() const override { return separatorShown; }
    int32_t GetSeparatorHeight() const override { return separatorHeight; }
    const QFont* GetFont() const override { return font ? &*font : nullptr; }
    ICustomDraw* GetCustomDraw() const override { return customDraw; }
    Platform::CImageList* GetCellImageList() const override { return imageList; }
    bool IsStretchImages() const override { return stretchImages; }
    const QImage* GetBackgroundPicture() const override { return picture.isNull() ? nullptr : &picture; }
    int32_t GetBackgroundMode() const override { return pictureMode; }
    int32_t GetBackgroundAlpha() const override { return pictureAlpha; }
    void RefreshHighlightsIn(int32_t ms) override { refreshes.push_back(ms); }

    // Adds a column (id, caption, width, alignment); answers it.
    CColumn* AddColumn(int32_t id, const std::string& caption, int32_t width,
                       int32_t alignment = CColumn::kAlignLeft);
    // Adds a row for `object` at the end of `kind`'s list (under `parent`
    // when given); answers its item.
    CGridItem* AddRow(int32_t kind, Common::CDataObject* object, CGridItem* parent = nullptr);

    std::unique_ptr<CRowList> pinned;
    std::unique_ptr<CRowList> body;
    std::unique_ptr<CHeader> header;
    CFakeScrollSource scroll;
    bool hasHeader = true;
    bool headerShown = true;
    int32_t topRow = 0;
    Platform::CRect client{0, 0, 300, 200};
    int32_t focusKind = 0;
    int32_t focusRow = -1;
    Platform::CRect rubberBand;
    HeaderDragState drag;
    RowDropMark dropMark;
    Appearance appearance;
    HighlightSettings highlight;
    bool highlightChangedValues = false;
    PaintElementMask mask = PaintElement::kAll;
    bool doubleBuffered = true;
    bool separatorShown = true;
    int32_t separatorHeight = 2;
    std::optional<QFont> font;
    ICustomDraw* customDraw = nullptr;
    Platform::CImageList* imageList = nullptr;
    bool stretchImages = false;
    QImage picture;
    int32_t pictureMode = kBackgroundCentred;
    int32_t pictureAlpha = -1;
    std::vector<int32_t> refreshes; // RefreshHighlightsIn, one per pass that asked
};

// Fills the cell's whole unclipped rectangle (or only the painted part) in
// one colour, and counts its calls.
class CSolidCellFormat final : public ICellPaintFormat {
public:
    explicit CSolidCellFormat(COLORREF color, bool fillFullRect = false) : m_color(color), m_full(fillFullRect) {}
    void Draw(const CellInfo& cell, PaintContext& context, PaintElementMask) const override
    {
        ++draws;
        context.dc->FillSolidRect(m_full ? cell.fullRect : cell.paintRect, m_color);
    }
    COLORREF GetBackColor(const CellInfo&, PaintContext&, PaintElementMask) const override { return m_color; }
    COLORREF GetTextColor(const CellInfo&, PaintContext&, PaintElementMask) const override { return m_color; }
    int32_t MeasureWidth(const CellInfo&, PaintContext&, PaintElementMask) const override { return 7; }
    void GetImageRect(Platform::CRect& r, const CellInfo&, PaintContext&, PaintElementMask) const override { r = {}; }
    void GetTextRect(Platform::CRect& r, const CellInfo&, PaintContext&, PaintElementMask) const override { r = {}; }
    std::unique_ptr<ICellPaintFormat> Clone() const override { return std::make_unique<CSolidCellFormat>(m_color); }

    mutable int draws = 0;

private:
    COLORREF m_color;
    bool m_full;
};

// A widget whose paint event is the paint pass over `host`.
class CPaintedWidget final : public QWidget {
public:
    explicit CPaintedWidget(CFakePaintHost& host) : painter(host) {}
    CGridPainter painter;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The pixel at (x, y) as a COLORREF.
COLORREF PixelAt(const QImage& image, int x, int y);
// Whether any pixel of `rect` is "ink": darker than `threshold` in all channels.
bool HasInk(const QImage& image, const Platform::CRect& rect, int threshold = 128);
// The leftmost / rightmost column of `rect` with ink; -1 when none.
int LeftmostInk(const QImage& image, const Platform::CRect& rect, int threshold = 128);
int RightmostInk(const QImage& image, const Platform::CRect& rect, int threshold = 128);
// A fixed pixel font (DejaVu Sans), so that text measures the same everywhere.
QFont TestFont(int pixelSize = 12);

} // namespace Brivel::GUI::Testing

namespace Brivel::GUI::Testing {

// A grid of text columns over the fake host: rows 20 pixels high in both
// lists, a 20-pixel header, a 12-pixel test font; the clock and the blend
// functions are put back after each test.
class PaintFixture : public ::testing::Test {
protected:
    PaintFixture();
    ~PaintFixture() override;

    CPaintRowObject* NewObject(std::string name = {}, int32_t number = 0, bool flag = false, double real = 0.0);
    // Adds a body row for a new object.
    CGridItem* AddBodyRow(std::string name = {}, int32_t number = 0);
    QImage Render() { return painter.RenderClient(); }
    // The rectangle of body row `row` (counted from the top row) in a grid
    // without pinned rows.
    Platform::CRect BodyRowRect(int32_t row) const
    {
        return {host.client.left, 20 + 20 * row, host.client.right, 40 + 20 * row};
    }

    static constexpr COLORREF kWhite = Platform::RGB(255, 255, 255);

    std::vector<std::unique_ptr<CPaintRowObject>> objects; // declared first: outlive the rows
    CFakePaintHost host;
    CGridPainter painter{host};
};

} // namespace Brivel::GUI::Testing
