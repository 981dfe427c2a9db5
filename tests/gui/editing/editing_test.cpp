// In-place editing through real input on a shown grid: the reflector each
// format gets, the numeric edit's filtering, starting and ending an edit
// (F2, typing, double click, Enter, Escape, Tab order, a refused text), the
// check box toggled and drawn, and edits racing a worker thread.

#include "tests/gui/grid/grid_test_support.h"

#include "gui/editing/check_box_reflector.h"
#include "gui/editing/edit_in_place.h"
#include "gui/editing/numeric_edit.h"
#include "gui/editing/reflector_list.h"
#include "gui/editing/text_reflectors.h"
#include "gui/input/input_router.h"
#include "gui/rows/row_layout.h"

#include "common/date_time_formats.h"
#include "common/enum_format.h"
#include "common/integer_formats.h"
#include "common/real_formats.h"
#include "common/scalar_formats.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include <atomic>
#include <mutex>
#include <thread>
#include <typeinfo>

namespace Brivel::GUI::Testing {
namespace {

// A row whose setters only store: the writer announces (as the grid does).
class CEditRow final : public Common::CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()

public:
    static constexpr int32_t kName = 0, kValue = 1, kFlag = 2, kPrice = 3, kLocked = 4;
    CEditRow(std::string name, int32_t value) : m_name(std::move(name)), m_value(value) {}
    ~CEditRow() override { AnnounceDeletion(); }

    std::string GetName() const { std::lock_guard lock(m_mutex); return m_name; }
    void SetName(const std::string& name) { std::lock_guard lock(m_mutex); m_name = name; }
    int32_t GetValue() const { return m_value; }
    void SetValue(int32_t value) { m_value = value; }
    bool GetFlag() const { return m_flag; }
    void SetFlag(bool flag) { m_flag = flag; }
    double GetPrice() const { return m_price; }
    void SetPrice(double price) { m_price = price; }
    int32_t GetLocked() const { return 7; }

private:
    mutable std::mutex m_mutex;
    std::string m_name;
    std::atomic<int32_t> m_value;
    std::atomic<bool> m_flag{false};
    std::atomic<double> m_price{1.5};
};

BRIVEL_BEGIN_FIELD_MAP(CEditRow)
    BRIVEL_FIELD(0, "Name", &CEditRow::GetName, &CEditRow::SetName, nullptr)
    BRIVEL_FIELD(1, "Value", &CEditRow::GetValue, &CEditRow::SetValue, nullptr)
    BRIVEL_FIELD(2, "Flag", &CEditRow::GetFlag, &CEditRow::SetFlag, nullptr)
    BRIVEL_FIELD(3, "Price", &CEditRow::GetPrice, &CEditRow::SetPrice, nullptr)
    BRIVEL_FIELD(4, "Locked", &CEditRow::GetLocked, 0, nullptr)
BRIVEL_END_FIELD_MAP()

TEST(ReflectorListTest, EachFormatGetsItsReflector)
{
    const auto type = [](const Common::CFormat& format) -> const std::type_info& {
        return typeid(*CReflectorList::Find(&format));
    };
    const Common::CLongEnumFormat::Item words[] = {{0, "Add"}, {1, "Remove"}};
    EXPECT_EQ(type(Common::CLongEnumFormat(words, 2)), typeid(CLongEnumReflector)) << "not the integer reflector";
    EXPECT_EQ(type(Common::CLongMsecTimeFormat()), typeid(CLongMsecTimeReflector));
    EXPECT_EQ(type(Common::CLongDateFormat()), typeid(CDateTimeReflector));
    EXPECT_EQ(type(Common::CInt64DateFormat()), typeid(CDateTimeReflector));
    EXPECT_EQ(type(Common::CLongFormat()), typeid(CNumericReflector));
    EXPECT_EQ(type(Common::CDoubleFormat()), typeid(CNumericReflector));
    EXPECT_EQ(type(Common::CBoolFormat()), typeid(CCheckBoxReflector));
    EXPECT_EQ(type(Common::CDefaultStlStringFormat()), typeid(CDefaultReflector));
    EXPECT_EQ(CReflectorList::Find(nullptr), nullptr);
}

TEST(NumericEditTest, TypingKeepsOnlyWhatTheModeAllows)
{
    const auto typed = [](CNumericEdit::Mode mode, bool allowMinus, const char* keys) {
        CNumericEdit edit(mode, allowMinus);
        edit.show();
        QTest::keyClicks(&edit, QString::fromLatin1(keys));
        return edit.text().toStdString();
    };
    EXPECT_EQ(typed(CNumericEdit::kReal, true, "-1.5e+3"), "-1.5e+3");
    EXPECT_EQ(typed(CNumericEdit::kReal, true, "1.5.2"), "1.52") << "a second point goes back";
    EXPECT_EQ(typed(CNumericEdit::kReal, true, "1.5,2"), "1.52") << "a comma beside a point";
    EXPECT_EQ(typed(CNumericEdit::kReal, true, "1,5,2"), "1,52") << "a second comma";
    EXPECT_EQ(typed(CNumericEdit::kReal, true, "12-3"), "123") << "a sign in the middle";
    EXPECT_EQ(typed(CNumericEdit::kDecimal, true, "-12a3"), "-123");
    EXPECT_EQ(typed(CNumericEdit::kDecimal, false, "-12"), "12") << "no minus for an unsigned value";
    EXPECT_EQ(typed(CNumericEdit::kHexadecimal, true, "0x1fz"), "0x1f");
    EXPECT_EQ(typed(CNumericEdit::kCharacter, true, "abc"), "c") << "the last character typed";
    EXPECT_EQ(typed(CNumericEdit::kTimeFraction, true, "1:02:03.5x"), "1:02:03.5");
}

class EditingTest : public GridTest {
protected:
    EditingTest()
    {
        auto header = std::make_unique<CHeader>(true);
        const auto add = [&](int32_t id, int32_t width, bool editable) {
            header->AddColumn(std::make_unique<CColumn>(id, "c", width, CColumn::kAlignAuto, editable));
        };
        add(CEditRow::kName, 60, true);
        add(CEditRow::kValue, 70, true);
        add(CEditRow::kFlag, 40, true);
        add(CEditRow::kPrice, 50, true);
        add(CEditRow::kLocked, 40, true);
        grid->SetHeader(header.release());
        for (int32_t i = 0; i < 5; ++i) {
            rows.push_back(std::make_unique<CEditRow>("r" + std::to_string(i), i * 1000000 + 234567));
            grid->Add(rows.back().get());
        }
        grid->SetFocusRow(0);
        grid->setFocus();
        Pump();
    }
    ~EditingTest() override { grid.reset(); }

    CEditInPlace& Editor() { return Impl().GetInput().GetEditor(); }
    QLineEdit* Line() { return qobject_cast<QLineEdit*>(Editor().GetControl()); }
    // Keys go where the keyboard focus is: the editor when one is open.
    void Key(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* target = Editor().GetControl() ? Editor().GetControl() : grid.get();
        QTest::keyClick(target, Qt::Key(key), modifiers);
        Pump(); // the posted key action
    }
    QPoint CellPoint(int32_t row, int32_t left, int32_t width)
    {
        const Platform::CRect rect = Impl().GetRowLayout().RowRect(*Impl().ListOfKind(CGrid::kBodyList), row);
        return QPoint(left + width / 2, (rect.top + rect.bottom) / 2);
    }

    std::vector<std::unique_ptr<CEditRow>> rows;
};

TEST_F(EditingTest, F2EditsTheDigitsAndEnterCommits)
{
    recorder.Clear();
    Key(Qt::Key_F2);
    ASSERT_NE(Line(), nullptr);
    EXPECT_EQ(Editor().GetColumnId(), CEditRow::kName) << "the first editable column";
    Key(Qt::Key_Tab);
    ASSERT_NE(Line(), nullptr);
    EXPECT_EQ(Line()->text(), "234567") << "digits without the group separator";
    EXPECT_EQ(Line()->alignment() & Qt::AlignRight, Qt::AlignRight) << "numbers edit right-aligned";

    // The wheel scrolls nothing while an editor is open.
    const int32_t top = grid->GetTopRow();
    QWheelEvent wheel(QPointF(50, 50), grid->mapToGlobal(QPointF(50, 50)), {}, QPoint(0, -120), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(grid.get(), &wheel);
    EXPECT_EQ(grid->GetTopRow(), top);

    Line()->selectAll();
    QTest::keyClicks(Line(), "42");
    Key(Qt::Key_Return);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(rows[0]->GetValue(), 42);
    Pump(50);
    const std::vector<int32_t> codes = recorder.Codes();
    EXPECT_EQ(codes.front(), kNotifyEditStarted);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), kNotifyEditEnded), 2) << "Name, then Value";
    EXPECT_EQ(recorder.CountOf(kNotifyDataChanged), 2) << "the name (unchanged) and the value, announced once each";
    EXPECT_EQ(grid->hasFocus(), true) << "the keyboard is back on the grid";
}

TEST_F(EditingTest, TypingReplacesEscapeRestoresAndTabWrapsPastCheckBoxes)
{
    QTest::keyClicks(grid.get(), "x");
    ASSERT_NE(Line(), nullptr);
    EXPECT_EQ(Line()->text(), "x") << "the character replaces the text";
    Key(Qt::Key_Escape);
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(rows[0]->GetName(), "r0");

    // Name -> Value -> Price (the check box and the read-only field are
    // skipped) -> the next row's Name; Shift+Tab goes back.
    ASSERT_TRUE(grid->StartEdit(grid->GetItem(0), CEditRow::kName));
    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Editor().GetColumnId(), CEditRow::kPrice);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Editor().GetItem(), grid->GetItem(1));
    EXPECT_EQ(Editor().GetColumnId(), CEditRow::kName);
    EXPECT_EQ(grid->GetFocusRow(), 1);
    Key(Qt::Key_Backtab);
    EXPECT_EQ(Editor().GetItem(), grid->GetItem(0));
    EXPECT_EQ(Editor().GetColumnId(), CEditRow::kPrice);
    Key(Qt::Key_Down);
    EXPECT_EQ(Editor().GetItem(), grid->GetItem(1));
    EXPECT_FALSE(rows[1]->GetFlag()) << "moving never toggles a check box";

    // Left stays in the text until the caret is at its start.
    Line()->setCursorPosition(1);
    Key(Qt::Key_Left);
    EXPECT_EQ(Editor().GetColumnId(), CEditRow::kPrice);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(Editor().GetColumnId(), CEditRow::kValue);
    Key(Qt::Key_Escape);

    // A double click opens the cell under the cursor.
    QTest::mouseDClick(grid.get(), Qt::LeftButton, {}, CellPoint(2, 60, 70));
    QTest::mouseRelease(grid.get(), Qt::LeftButton, {}, CellPoint(2, 60, 70));
    EXPECT_EQ(Editor().GetItem(), grid->GetItem(2));
    EXPECT_EQ(Editor().GetColumnId(), CEditRow::kValue);
}

TEST_F(EditingTest, ATextTheFormatRefusesKeepsTheEditorOpen)
{
    // Value shown as a duration: a time mode editor, and a total beyond 32
    // bits that the format cannot read.
    auto header = std::make_unique<CHeader>(true);
    header->AddColumn(std::make_unique<CColumn>(CEditRow::kValue, "Time", 90, CColumn::kAlignAuto, true, -1, -1,
                                                std::make_unique<Common::CLongMsecTimeFormat>()));
    std::unique_ptr<CHeader> previous(grid->SetHeader(header.release())); // comes back to us
    ASSERT_TRUE(grid->StartEdit(grid->GetItem(0), CEditRow::kValue));
    ASSERT_NE(dynamic_cast<CNumericEdit*>(Line()), nullptr);
    EXPECT_EQ(dynamic_cast<CNumericEdit*>(Line())->GetMode(), CNumericEdit::kTimeFraction);
    Line()->clear();
    QTest::keyClicks(Line(), "99999999:00:00");
    Key(Qt::Key_Return);
    ASSERT_TRUE(grid->IsEditing());
    EXPECT_EQ(Line()->text(), "99999999:00:00");
    EXPECT_EQ(Line()->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(rows[0]->GetValue(), 234567);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(grid->IsEditing());

    // Bad handles and fields change nothing.
    CGrid other;
    EXPECT_FALSE(grid->SetCellText(other.Add(rows[4].get()), CEditRow::kValue, "5", nullptr, true));
    EXPECT_FALSE(grid->SetCellText(grid->GetItem(0), 99, "5", nullptr, true));
    EXPECT_FALSE(grid->StartEdit(grid->GetItem(0), CEditRow::kLocked)) << "a field without a setter";
    EXPECT_FALSE(grid->StartEdit(grid->GetItem(0), 99));
    EXPECT_EQ(rows[4]->GetValue(), 4234567);
}

TEST_F(EditingTest, ACheckBoxTogglesOnAClickAndIsDrawn)
{
    const QPoint cell = CellPoint(1, 130, 40);
    const auto inkIn = [&] {
        const QImage shot = Impl().GetPainter().RenderClient();
        int ink = 0;
        for (int x = 132; x < 168; ++x)
            for (int y = cell.y() - 5; y <= cell.y() + 5; ++y)
                ink += shot.pixelColor(x, y) == QColor(Qt::black) ? 1 : 0;
        return ink;
    };
    const int unchecked = inkIn();
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, cell);
    Pump(50);
    EXPECT_TRUE(rows[1]->GetFlag());
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_TRUE(grid->IsRowSelected(1)) << "the click also selects";
    EXPECT_GT(inkIn(), unchecked + 4) << "the check mark is drawn";
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, cell);
    Pump(50);
    EXPECT_FALSE(rows[1]->GetFlag());
    EXPECT_EQ(inkIn(), unchecked);
}

TEST_F(EditingTest, TwoGridsEditingInTurnKeepTheirOwnTexts)
{
    // The reflectors are shared: the second grid's edit takes the line edit
    // reflector while the first grid's edit is still ending.
    CGrid second(&parent);
    second.setGeometry(0, 200, 300, 100);
    second.show();
    auto header = std::make_unique<CHeader>(true);
    header->AddColumn(std::make_unique<CColumn>(CEditRow::kName, "Name", 80, CColumn::kAlignAuto, true));
    second.SetHeader(header.release());
    CEditRow row("s0", 0);
    CGridItem* const item = second.Add(&row);
    Pump();
    ASSERT_TRUE(grid->StartEdit(grid->GetItem(0), CEditRow::kName));
    QTest::keyClicks(Line(), "A");
    ASSERT_TRUE(second.StartEdit(item, CEditRow::kName));
    QLineEdit* const secondLine = qobject_cast<QLineEdit*>(second.GetImpl().GetInput().GetEditor().GetControl());
    ASSERT_NE(secondLine, nullptr);
    secondLine->selectAll();
    QTest::keyClicks(secondLine, "B");
    grid->EndEdit(kEndCommit);
    Pump();
    EXPECT_NE(rows[0]->GetName(), "B") << "never the other grid's text";
    ASSERT_TRUE(second.IsEditing()) << "and the other grid's editor stays";
    QTest::keyClick(secondLine, Qt::Key_Return);
    Pump();
    EXPECT_EQ(row.GetName(), "B");
    second.Clear(CGrid::kBodyMask);
}

TEST_F(EditingTest, EditsRaceWorkerThreads)
{
    // A worker writes the edited field 1,000 times a second: the editor
    // keeps what the user typed, and the commit writes it.
    ASSERT_TRUE(grid->StartEdit(grid->GetItem(3), CEditRow::kName));
    Line()->selectAll();
    QTest::keyClicks(Line(), "mine");
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop; ++i) {
            rows[3]->SetName("w" + std::to_string(i));
            rows[3]->NotifyUpdate(CEditRow::kName);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    Pump(100);
    stop = true;
    writer.join();
    EXPECT_EQ(Line()->text(), "mine");
    Key(Qt::Key_Return);
    EXPECT_EQ(rows[3]->GetName(), "mine");

    // A worker removes the edited row: the edit closes without writing.
    ASSERT_TRUE(grid->StartEdit(grid->GetItem(2), CEditRow::kValue));
    QTest::keyClicks(Line(), "99");
    std::atomic<bool> removed{false};
    std::thread remover([&] {
        grid->Remove(grid->GetItem(2));
        removed = true;
    });
    PumpUntil([&] { return removed.load(); });
    remover.join();
    Pump();
    EXPECT_FALSE(grid->IsEditing());
    EXPECT_EQ(rows[2]->GetValue(), 2234567);
    EXPECT_EQ(grid->GetRowCount(), 4);
}

} // namespace
} // namespace Brivel::GUI::Testing
