// CHeaderConfigurationDlg: the controls and their layout, the rows and their
// moves, the fixed-count spin, OK, and the drawing of the fixed rows.
//
// ---- Sections ----
//   Layout       dialog units, the control table
//   Impl         the grid, the row objects, the custom draw
//   Rows         building the rows from the header, reading them back
//   Moves        Top, Up, Down, Bottom on the selected rows
//   Fixed count  the spin
//   OK           applying order and visibility, checked against the header

#include "gui/header_dialog/header_configuration_dlg.h"

#include "gui/grid/grid.h"
#include "gui/header/column.h"
#include "gui/header/header.h"
#include "gui/paint/custom_draw.h"
#include "gui/paint/paint_records.h"
#include "gui/rows/grid_item.h"

#include "common/dynamic_object.h"
#include "common/field.h"
#include "common/scalar_formats.h"
#include "platform/colorref.h"

#include <QAbstractSpinBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace Brivel::GUI {

namespace {

using Common::CDynamicObject;

// ---- Layout ----

constexpr int32_t kDialogWidthUnits = 194;
constexpr int32_t kDialogHeightUnits = 222;
constexpr int32_t kCheckColumnWidth = 16;
constexpr int32_t kCaptionColumnWidth = 160;

constexpr COLORREF kFixedTextColor = Platform::RGB(127, 127, 127);
constexpr COLORREF kFixedTint = Platform::RGB(249, 254, 211);
constexpr uint8_t kFixedTintAlpha = 80;
constexpr int kFixedFontWeight = 600;

// The up-down arrows beside the fixed count: every step goes to the
// dialog, which decides from the header's real count what it means.
class CStepSpin final : public QAbstractSpinBox {
public:
    CStepSpin(QWidget* parent, std::function<void(int)> step, std::function<StepEnabled()> enabled)
        : QAbstractSpinBox(parent), m_step(std::move(step)), m_enabled(std::move(enabled))
    {
        lineEdit()->setReadOnly(true); // the number is shown beside it
    }
    void stepBy(int steps) override { m_step(steps); }

protected:
    StepEnabled stepEnabled() const override { return m_enabled(); }

private:
    std::function<void(int)> m_step;
    std::function<StepEnabled()> m_enabled;
};

// What the buttons do with the selected rows. Each takes the rows in
// displayed order with their selection and answers the new order.
enum class RowMove { kTop, kUp, kDown, kBottom };

template <class Row>
std::vector<Row> MoveRows(std::vector<Row> rows, std::vector<bool> selected, RowMove move)
{
    const auto swapAt = [&](size_t a, size_t b) {
        std::swap(rows[a], rows[b]);
        const bool first = selected[a];
        selected[a] = selected[b];
        selected[b] = first;
    };
    switch (move) {
    case RowMove::kTop:
    case RowMove::kBottom: {
        // Moving each selected row to the first position from the last to
        // the first (or to the last from the first) keeps their relative
        // order: a stable partition.
        std::vector<Row> chosen;
        std::vector<Row> rest;
        for (size_t index = 0; index < rows.size(); ++index)
            (selected[index] ? chosen : rest).push_back(rows[index]);
        if (move == RowMove::kTop) {
            chosen.insert(chosen.end(), rest.begin(), rest.end());
            return chosen;
        }
        rest.insert(rest.end(), chosen.begin(), chosen.end());
        return rest;
    }
    case RowMove::kUp:
        for (size_t index = 0; index < rows.size(); ++index) {
            if (!selected[index])
                continue;
            if (index == 0)
                break; // no previous sibling: the pass stops
            swapAt(index - 1, index);
        }
        return rows;
    case RowMove::kDown:
        for (size_t index = rows.size(); index-- > 0;) {
            if (!selected[index])
                continue;
            if (index + 1 == rows.size())
                break; // no next sibling: the pass stops
            swapAt(index, index + 1);
        }
        return rows;
    }
    return rows;
}

} // namespace

// ---- Impl ----

// The dialog's grid, its rows and its look. As the grid's custom draw it
// draws the fixed rows; as a sink of the row objects it repaints the whole
// grid when a check box changes, since that moves the fixed marks of other
// rows. Members are destroyed in reverse order: the grid (which borrows this
// custom draw and the row objects) goes first.
struct CHeaderConfigurationDlg::Impl final : CCustomDraw, Common::CDataObject::ISink {
    Impl(CHeaderConfigurationDlg& dialog, CHeader& header) : CCustomDraw(false), dialog(dialog), header(header) {}
    ~Impl() override
    {
        grid.reset();
        for (const auto& row : rows)
            row->Unsubscribe(this);
    }

    void DrawLine(const LineInfo& line, PaintContext& context, PaintElementMask mask) override;
    void OnUpdate(int32_t id, Common::CDataObject* /*object*/) override
    {
        if (id == kVisibleField && grid)
            QMetaObject::invokeMethod(grid.get(), [target = grid.get()] { target->update(); });
    }

    void BuildGrid();
    void BuildRows();
    std::vector<CDynamicObject*> DisplayedRows() const;
    void ShowRows(const std::vector<CDynamicObject*>& order, const std::vector<CDynamicObject*>& selection);
    void Move(RowMove move);
    bool IsFixedRow(int32_t row) const;
    int32_t CheckedCount() const;
    void ShowFixedCount();

    CHeaderConfigurationDlg& dialog; // Not owned; owns this.
    CHeader& header;                 // Not owned; outlives the dialog.
    std::vector<std::unique_ptr<CDynamicObject>> rows; // in the order they were made
    std::unique_ptr<CGrid> grid;     // a child of the dialog, deleted here first
    QLineEdit* countEdit = nullptr;  // owned by the dialog
    CStepSpin* spin = nullptr;       // owned by the dialog
};

void CHeaderConfigurationDlg::Impl::BuildGrid()
{
    grid = std::make_unique<CGrid>(&dialog);
    grid->setObjectName(kGridName);
    auto gridHeader = std::make_unique<CHeader>(true);
    // Field 0 is edited and drawn by the check-box reflector, which takes
    // formats of the boolean kind; an empty format of that kind draws no text.
    gridHeader->AddColumn(std::make_unique<CColumn>(
        kVisibleField, std::string(), kCheckColumnWidth, CColumn::kAlignLeft, true, -1, -1,
        std::make_unique<Common::CEmptyFormat>(Common::KindBool)));
    gridHeader->AddColumn(std::make_unique<CColumn>(kCaptionField, std::string(), kCaptionColumnWidth));
    // The rows' order is the user's: no sorting and no reordering of the
    // dialog's own two columns.
    gridHeader->EnableSorting(false);
    gridHeader->SetFixedColumnsMovable(false);
    gridHeader->SetScrollableColumnsMovable(false);
    CHeader* const previous = grid->SetHeader(gridHeader.release()); // the grid owns it (auto-delete)
    delete previous; // a new grid has none; this is for completeness of the hand-off

    Appearance appearance = grid->GetAppearance();
    appearance.oddTextColor = appearance.evenTextColor = Platform::RGB(0, 0, 0);
    appearance.oddBackColor = Platform::RGB(240, 240, 255);
    appearance.evenBackColor = Platform::RGB(255, 255, 255);
    grid->SetAppearance(appearance);
    grid->SetDoubleBuffered(true);
    grid->SetHighlightChangedValues(false);
    grid->SetPaintElementMask(grid->GetPaintElementMask() & ~PaintElement::kTreeIndent);
    grid->EnableSelection(true);
    grid->SetMultipleSelection(true);
    grid->SetCustomDraw(this);
}

void CHeaderConfigurationDlg::Impl::DrawLine(const LineInfo& line, PaintContext& context, PaintElementMask mask)
{
    if (line.item == nullptr || line.listKind != CGrid::kBodyList || !IsFixedRow(line.row)) {
        CCustomDraw::DrawLine(line, context, mask);
        return;
    }
    LineInfo fixed = line;
    QFont font = line.font != nullptr ? *line.font : dialog.font();
    font.setItalic(true);
    font.setWeight(QFont::Weight(kFixedFontWeight));
    fixed.font = &font;
    fixed.textColor = kFixedTextColor;
    fixed.backColor = Platform::BlendColor(kFixedTint, line.backColor, kFixedTintAlpha);
    CCustomDraw::DrawLine(fixed, context, mask);
}

// Whether the body row is among the first N rows checked visible, N the
// header's fixed count. It walks the rows above it: the dialog has one row
// per column, a few dozen at most.
bool CHeaderConfigurationDlg::Impl::IsFixedRow(int32_t row) const
{
    const int32_t fixedCount = header.GetFixedColumnCount();
    int32_t checkedAbove = 0;
    for (int32_t index = 0; index <= row && checkedAbove < fixedCount; ++index) {
        CGridItem* const item = grid->GetItem(index);
        Common::CDataObject* const object = item != nullptr ? item->GetDataObject() : nullptr;
        if (object == nullptr || !object->GetBool(kVisibleField))
            continue;
        if (index == row)
            return true;
        ++checkedAbove;
    }
    return false;
}

int32_t CHeaderConfigurationDlg::Impl::CheckedCount() const
{
    int32_t count = 0;
    for (CDynamicObject* const row : DisplayedRows())
        count += row->GetBool(kVisibleField) ? 1 : 0;
    return count;
}

// ---- Rows ----

void CHeaderConfigurationDlg::Impl::BuildRows()
{
    std::vector<std::unique_ptr<CDynamicObject>> made;
    const int32_t count = header.GetColumnCount();
    for (int32_t index = 0; index < count; ++index) {
        CColumn* const column = header.GetColumn(index);
        if (column == nullptr)
            break; // removed meanwhile by another thread
        auto row = std::make_unique<CDynamicObject>(true);
        row->AddField(Common::CField::CreateDescription(kVisibleField, "Visible", Common::KindBool));
        row->AddField(Common::CField::CreateDescription(kCaptionField, "Caption", Common::KindStdString));
        row->AddField(Common::CField::CreateDescription(kIdField, "Id", Common::KindLong));
        row->SetValue(kVisibleField, Common::CFieldValue(column->IsVisible()));
        row->SetValue(kCaptionField, Common::CFieldValue(column->GetCaption()));
        row->SetValue(kIdField, Common::CFieldValue(column->GetId()));
        made.push_back(std::move(row));
    }
    grid->Clear();
    for (const auto& row : rows)
        row->Unsubscribe(this);
    rows = std::move(made);
    for (const auto& row : rows) {
        row->Subscribe(this);
        grid->Add(row.get());
    }
    ShowFixedCount();
}

std::vector<CDynamicObject*> CHeaderConfigurationDlg::Impl::DisplayedRows() const
{
    std::vector<CDynamicObject*> shown;
    const int32_t count = grid->GetRowCount();
    for (int32_t row = 0; row < count; ++row) {
        CGridItem* const item = grid->GetItem(row);
        if (item != nullptr)
            shown.push_back(static_cast<CDynamicObject*>(item->GetDataObject()));
    }
    return shown;
}

void CHeaderConfigurationDlg::Impl::ShowRows(const std::vector<CDynamicObject*>& order,
                                             const std::vector<CDynamicObject*>& selection)
{
    grid->Clear();
    for (CDynamicObject* const row : order) {
        CGridItem* const item = grid->Add(row);
        if (std::find(selection.begin(), selection.end(), row) != selection.end())
            grid->SelectItem(item);
    }
}

// ---- Moves ----

void CHeaderConfigurationDlg::Impl::Move(RowMove move)
{
    const std::vector<CDynamicObject*> order = DisplayedRows();
    std::vector<CGridItem*> selectedItems;
    grid->GetSelectedItems(selectedItems, CGrid::kBodyMask);
    if (selectedItems.empty())
        return;
    std::vector<CDynamicObject*> selection;
    for (CGridItem* const item : selectedItems)
        selection.push_back(static_cast<CDynamicObject*>(item->GetDataObject()));
    std::vector<bool> selected;
    for (CDynamicObject* const row : order)
        selected.push_back(std::find(selection.begin(), selection.end(), row) != selection.end());
    const std::vector<CDynamicObject*> moved = MoveRows(order, selected, move);
    if (moved != order)
        ShowRows(moved, selection);
}

// ---- Fixed count ----

void CHeaderConfigurationDlg::Impl::ShowFixedCount()
{
    const QString text = QString::number(header.GetFixedColumnCount());
    countEdit->setText(text);
    if (spin != nullptr)
        spin->update(); // its arrows' enabled state follows the count
}

// ---- The dialog ----

CHeaderConfigurationDlg::CHeaderConfigurationDlg(CHeader& header, QWidget* parent)
    : QDialog(parent), m_impl(std::make_unique<Impl>(*this, header))
{
    setWindowTitle(QStringLiteral("Header configuration dialog"));
    const QFont dialogFont = font();
    const auto place = [&](QWidget* control, int32_t left, int32_t top, int32_t right, int32_t bottom) {
        control->setGeometry(DialogUnitsToPixels(left, top, right, bottom, dialogFont));
    };
    const auto button = [&](const char* name, const char* text, int32_t left, int32_t top, int32_t right,
                            int32_t bottom, void (CHeaderConfigurationDlg::*command)()) {
        auto* const control = new QPushButton(QString::fromUtf8(text), this); // owned by parent
        control->setObjectName(QString::fromUtf8(name));
        control->setAutoDefault(false);
        place(control, left, top, right, bottom);
        connect(control, &QPushButton::clicked, this, [this, command] { (this->*command)(); });
        return control;
    };
    button(kOkName, "OK", 31, 201, 81, 215, &CHeaderConfigurationDlg::accept)->setDefault(true);
    button(kCancelName, "Cancel", 87, 201, 137, 215, &CHeaderConfigurationDlg::reject);
    button(kTopName, "Top", 147, 15, 185, 29, &CHeaderConfigurationDlg::MoveSelectedToTop);
    button(kUpName, "Up", 147, 33, 185, 47, &CHeaderConfigurationDlg::MoveSelectedUp);
    button(kDownName, "Down", 147, 51, 185, 65, &CHeaderConfigurationDlg::MoveSelectedDown);
    button(kBottomName, "Bottom", 147, 69, 185, 83, &CHeaderConfigurationDlg::MoveSelectedToBottom);

    auto* const label = new QLabel(QStringLiteral("Fixed columns"), this); // owned by parent
    label->setObjectName(kFixedLabelName);
    place(label, 141, 103, 187, 111);

    m_impl->countEdit = new QLineEdit(this); // owned by parent
    m_impl->countEdit->setObjectName(kFixedCountName);
    m_impl->countEdit->setReadOnly(true);
    m_impl->countEdit->setAlignment(Qt::AlignRight);
    place(m_impl->countEdit, 148, 113, 175, 125);

    m_impl->BuildGrid();
    place(m_impl->grid.get(), 7, 7, 137, 195);

    m_impl->spin = new CStepSpin( // owned by parent
        this, [this](int steps) { StepFixedCount(steps); },
        [impl = m_impl.get()] {
            const int32_t count = impl->header.GetFixedColumnCount();
            QAbstractSpinBox::StepEnabled enabled = QAbstractSpinBox::StepNone;
            if (count < impl->CheckedCount())
                enabled |= QAbstractSpinBox::StepUpEnabled;
            if (count > 0)
                enabled |= QAbstractSpinBox::StepDownEnabled;
            return enabled;
        });
    m_impl->spin->setObjectName(kSpinName);
    place(m_impl->spin, 178, 113, 189, 125);

    m_impl->BuildRows();
    setFixedSize(DialogUnitsToPixels(0, 0, kDialogWidthUnits, kDialogHeightUnits, dialogFont).size());
}

CHeaderConfigurationDlg::~CHeaderConfigurationDlg() = default;

int32_t CHeaderConfigurationDlg::DoModal()
{
    return exec();
}

QRect CHeaderConfigurationDlg::DialogUnitsToPixels(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                                   const QFont& font)
{
    // The average character width as the platform took it: the width of the
    // 52 letters over 26, halved with rounding; the height is the font's.
    const QFontMetrics metrics(font);
    const int32_t letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int32_t baseX = std::max(1, (letters / 26 + 1) / 2);
    const int32_t baseY = std::max(1, metrics.height());
    const auto scale = [](int32_t units, int32_t base, int32_t divisor) {
        return static_cast<int32_t>(std::lround(static_cast<double>(units) * base / divisor));
    };
    const int32_t x0 = scale(left, baseX, 4);
    const int32_t y0 = scale(top, baseY, 8);
    return QRect(x0, y0, scale(right, baseX, 4) - x0, scale(bottom, baseY, 8) - y0);
}

void CHeaderConfigurationDlg::MoveSelectedToTop() { m_impl->Move(RowMove::kTop); }
void CHeaderConfigurationDlg::MoveSelectedUp() { m_impl->Move(RowMove::kUp); }
void CHeaderConfigurationDlg::MoveSelectedDown() { m_impl->Move(RowMove::kDown); }
void CHeaderConfigurationDlg::MoveSelectedToBottom() { m_impl->Move(RowMove::kBottom); }

void CHeaderConfigurationDlg::StepFixedCount(int32_t steps)
{
    // Read the header's count each time: it is the header's, and the spin
    // is only a way of changing it.
    const int32_t count = m_impl->header.GetFixedColumnCount();
    int32_t next = count;
    if (steps > 0 && count < m_impl->CheckedCount())
        next = count + 1;
    else if (steps < 0 && count > 0)
        next = count - 1;
    if (next != count)
        m_impl->header.SetFixedColumnCount(next);
    m_impl->grid->update();
    m_impl->ShowFixedCount();
}

int32_t CHeaderConfigurationDlg::GetFixedColumnCount() const
{
    return m_impl->countEdit->text().toInt();
}

std::vector<int32_t> CHeaderConfigurationDlg::GetRowIds() const
{
    std::vector<int32_t> ids;
    for (CDynamicObject* const row : m_impl->DisplayedRows())
        ids.push_back(row->GetLong(kIdField));
    return ids;
}

std::vector<bool> CHeaderConfigurationDlg::GetRowVisibility() const
{
    std::vector<bool> visible;
    for (CDynamicObject* const row : m_impl->DisplayedRows())
        visible.push_back(row->GetBool(kVisibleField));
    return visible;
}

CGrid& CHeaderConfigurationDlg::GetGrid() const
{
    return *m_impl->grid;
}

// ---- OK ----

namespace {

// The header's column identifiers in column order.
std::vector<int32_t> ColumnOrder(const CHeader& header)
{
    std::vector<int32_t> ids;
    const int32_t count = header.GetColumnCount();
    for (int32_t index = 0; index < count; ++index) {
        if (CColumn* const column = header.GetColumn(index))
            ids.push_back(column->GetId());
    }
    return ids;
}

// Moves each column after the one before it in `order`. Columns no longer in
// the header are skipped, so that the chain goes on from the last column
// still there instead of breaking at the gap. Answers the order asked for,
// without the skipped columns.
std::vector<int32_t> ApplyOrder(CHeader& header, const std::vector<int32_t>& order)
{
    std::vector<int32_t> placed;
    for (const int32_t id : order) {
        if (header.FindColumn(id) == nullptr)
            continue;
        if (!placed.empty())
            header.MoveColumnAfter(id, placed.back());
        placed.push_back(id);
    }
    return placed;
}

} // namespace

void CHeaderConfigurationDlg::accept()
{
    CHeader& header = m_impl->header;
    const std::vector<CDynamicObject*> rows = m_impl->DisplayedRows();
    std::vector<int32_t> order;
    for (CDynamicObject* const row : rows)
        order.push_back(row->GetLong(kIdField));

    // A move the header refuses answers false, but so does a move that
    // changes nothing in an area that cannot move; what counts is whether
    // the header ends up with the order the rows show. When it does not,
    // the refused chain may have moved some columns and not others: the
    // header's order from before is put back, nothing else is applied, and
    // the dialog stays open showing what the header really has.
    const std::vector<int32_t> before = ColumnOrder(header);
    const std::vector<int32_t> wanted = ApplyOrder(header, order);
    if (ColumnOrder(header) != wanted) {
        if (ColumnOrder(header) != before)
            ApplyOrder(header, before);
        m_impl->BuildRows();
        return;
    }
    for (CDynamicObject* const row : rows) {
        const int32_t id = row->GetLong(kIdField);
        if (row->GetBool(kVisibleField))
            header.ShowColumn(id);
        else
            header.HideColumn(id);
    }
    QDialog::accept();
}

} // namespace Brivel::GUI
