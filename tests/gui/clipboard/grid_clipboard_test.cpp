// Copy, cut and paste of grid rows: the exact bytes of every format, the
// copies that must place nothing, the keys, and a paste after a row went.

#include "tests/gui/grid/grid_test_support.h"

#include "gui/clipboard/grid_clipboard.h"
#include "gui/input/key_manager.h"

#include "platform/clipboard_format.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

#include <cstring>

namespace Brivel::GUI::Testing {
namespace {

// Eleven fields: 0 a name, 1-10 integers (the name's value plus the field id).
class CWideRow final : public Common::CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()

public:
    CWideRow(std::string name, int32_t base) : m_name(std::move(name)), m_base(base) {}
    ~CWideRow() override { AnnounceDeletion(); }
    std::string GetName() const { return m_name; }
    template <int32_t Id>
    int32_t Get() const
    {
        return m_base + Id;
    }

private:
    std::string m_name;
    int32_t m_base;
};

BRIVEL_BEGIN_FIELD_MAP(CWideRow)
    BRIVEL_FIELD(0, "Name", &CWideRow::GetName, 0, nullptr)
    BRIVEL_FIELD(1, "V1", &CWideRow::Get<1>, 0, nullptr)
    BRIVEL_FIELD(2, "V2", &CWideRow::Get<2>, 0, nullptr)
    BRIVEL_FIELD(3, "V3", &CWideRow::Get<3>, 0, nullptr)
    BRIVEL_FIELD(4, "V4", &CWideRow::Get<4>, 0, nullptr)
    BRIVEL_FIELD(5, "V5", &CWideRow::Get<5>, 0, nullptr)
    BRIVEL_FIELD(6, "V6", &CWideRow::Get<6>, 0, nullptr)
    BRIVEL_FIELD(7, "V7", &CWideRow::Get<7>, 0, nullptr)
    BRIVEL_FIELD(8, "V8", &CWideRow::Get<8>, 0, nullptr)
    BRIVEL_FIELD(9, "V9", &CWideRow::Get<9>, 0, nullptr)
    BRIVEL_FIELD(10, "V10", &CWideRow::Get<10>, 0, nullptr)
BRIVEL_END_FIELD_MAP()

// A clipboard that can refuse to open or to take data, recording what it got.
class CFakeClipboard final : public Platform::IClipboard {
public:
    bool Open() override { return openWorks; }
    void Empty() override { set.clear(); }
    bool SetData(uint32_t format, const QByteArray& bytes) override
    {
        if (!setWorks)
            return false;
        set.emplace_back(format, bytes);
        return true;
    }
    void Close() override { ++closes; }
    QByteArray GetData(uint32_t) override { return {}; }

    bool openWorks = true;
    bool setWorks = true;
    int closes = 0;
    std::vector<std::pair<uint32_t, QByteArray>> set;
};

class CActionImporter final : public IClipboardImporter {
public:
    explicit CActionImporter(PasteAction action) : m_action(action) {}
    bool IsAutoDelete() const override { return false; }
    PasteAction GetPasteAction(CGrid&, std::span<CGridItem* const> rows, bool) override
    {
        offered = static_cast<int32_t>(rows.size());
        return m_action;
    }
    int32_t offered = -1;

private:
    PasteAction m_action;
};

class ClipboardTest : public GridTest {
protected:
    ClipboardTest()
    {
        std::vector<std::pair<int32_t, int32_t>> columns;
        for (int32_t id = 0; id <= 10; ++id)
            columns.push_back({id, 30});
        grid->SetHeader(MakeHeader(columns));
        const char* const names[] = {"alpha", "b\tc\r\nd", "caf\xC3\xA9 <&>", "delta", "echo"};
        for (int32_t i = 0; i < 5; ++i) {
            rows.push_back(std::make_unique<CWideRow>(names[i], i * 100));
            items.push_back(grid->Add(rows.back().get()));
        }
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }
    ~ClipboardTest() override { grid->SetClipboardImporter(nullptr); }

    static QString ClipboardText() { return QGuiApplication::clipboard()->text(); }
    QByteArray ClipboardBytes(uint32_t format) const
    {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return data ? Platform::GetClipboardFormatData(*data, format) : QByteArray();
    }
    CFakeClipboard& UseFake()
    {
        auto fake = std::make_unique<CFakeClipboard>();
        CFakeClipboard& ref = *fake;
        Impl().GetClipboard().SetClipboard(std::move(fake));
        return ref;
    }
    static std::string Cells(int32_t base, const std::string& name)
    {
        std::string text = name;
        for (int32_t id = 1; id <= 10; ++id)
            text += "\t" + std::to_string(base + id);
        return text;
    }

    std::vector<std::unique_ptr<CWideRow>> rows;
    std::vector<CGridItem*> items;
};

uint64_t WordAt(const QByteArray& bytes, int offset)
{
    uint64_t word = 0;
    std::memcpy(&word, bytes.constData() + offset, 8); // little-endian host
    return word;
}

TEST_F(ClipboardTest, ThreeRowsOfElevenColumnsInEveryFormat)
{
    grid->SelectRow(3);
    grid->SelectRow(1);
    grid->SelectRow(2);
    ASSERT_TRUE(grid->Copy());

    // Shown order; TAB, CR and LF inside a cell became spaces.
    const std::string text = Cells(100, "b c  d") + "\r\n" + Cells(200, "caf\xC3\xA9 <&>") + "\r\n" + Cells(300, "delta");
    EXPECT_EQ(ClipboardBytes(Platform::CF_TEXT).toStdString(), text);
    EXPECT_EQ(ClipboardText(), QString::fromUtf8(text.c_str())); // UTF-8 reaches other programs

    const QByteArray html = ClipboardBytes(Platform::CF_HTML);
    std::string expectedHtml = "<meta charset=\"utf-8\"><table>";
    const std::pair<int32_t, std::string> htmlRows[] = {{100, "b\tc\r\nd"}, {200, "caf\xC3\xA9 &lt;&amp;&gt;"}, {300, "delta"}};
    for (const auto& [base, name] : htmlRows) {
        expectedHtml += "<tr><td>" + name + "</td>";
        for (int32_t id = 1; id <= 10; ++id)
            expectedHtml += "<td>" + std::to_string(base + id) + "</td>";
        expectedHtml += "</tr>";
    }
    EXPECT_EQ(html.toStdString(), expectedHtml + "</table>");

    const uint32_t local = Platform::RegisterClipboardFormat(CLocalDataFormat::kFormatName);
    const QByteArray record = ClipboardBytes(local);
    ASSERT_EQ(record.size(), 40 + 16 * 3);
    EXPECT_EQ(WordAt(record, 0), CLocalDataFormat::CurrentProcessId());
    EXPECT_EQ(WordAt(record, 8), reinterpret_cast<uintptr_t>(grid.get()));
    EXPECT_EQ(WordAt(record, 16), LocalClipboardData::kCopied);
    EXPECT_EQ(WordAt(record, 24), 3u);
    EXPECT_EQ(WordAt(record, 32), 11u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(WordAt(record, 40 + 16 * i), reinterpret_cast<uintptr_t>(items[1 + i]));
        EXPECT_EQ(WordAt(record, 48 + 16 * i), reinterpret_cast<uintptr_t>(rows[1 + i].get()));
    }
}

TEST_F(ClipboardTest, EmptyCellKeepsItsTabAndFocusRowCopiesAlone)
{
    std::unique_ptr<CHeader> previous(grid->SetHeader(MakeHeader({{0, 30}, {99, 30}, {2, 30}}))); // 99: no such field
    grid->SetFocusRow(4);
    ASSERT_TRUE(grid->Copy());
    EXPECT_EQ(ClipboardBytes(Platform::CF_TEXT), QByteArray("echo\t\t402"));
}

TEST_F(ClipboardTest, CopiesThatPlaceNothingLeaveTheClipboard)
{
    grid->SetFocusRow(-1, 0);
    EXPECT_FALSE(grid->Copy()); // no selection, no focus
    EXPECT_EQ(ClipboardText(), QStringLiteral("before"));

    grid->SelectRow(0);
    for (int32_t id = 0; id <= 10; ++id)
        grid->GetHeader()->HideColumn(id);
    EXPECT_FALSE(grid->Copy()); // no visible column
    EXPECT_EQ(ClipboardText(), QStringLiteral("before"));
    for (int32_t id = 0; id <= 10; ++id)
        grid->GetHeader()->ShowColumn(id);

    CFakeClipboard& fake = UseFake();
    fake.openWorks = false;
    EXPECT_FALSE(grid->Copy());
    EXPECT_FALSE(grid->Cut());
    EXPECT_EQ(grid->GetRowCount(), 5); // a cut that could not copy keeps its rows
    fake.openWorks = true;
    fake.setWorks = false;
    EXPECT_FALSE(grid->Copy()); // nothing could be placed: failure, not success
    EXPECT_EQ(fake.closes, 1);
    fake.setWorks = true;
    grid->SetClipboardFormats(CGridClipboard::kFormatText);
    EXPECT_TRUE(grid->Copy());
    ASSERT_EQ(fake.set.size(), 1u);
    EXPECT_EQ(fake.set[0].first, Platform::CF_TEXT);
    EXPECT_TRUE(fake.set[0].second.endsWith('\0')); // the counted terminating zero
    Impl().GetClipboard().SetClipboard(nullptr);
    EXPECT_EQ(ClipboardText(), QStringLiteral("before"));
}

TEST_F(ClipboardTest, KeysCopyAndCut)
{
    grid->SelectRow(0);
    QTest::keyClick(grid.get(), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText().toStdString(), Cells(0, "alpha"));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(grid.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText().toStdString(), Cells(0, "alpha"));
    grid->ClearSelection();
    grid->SelectRow(4);
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(ClipboardText().toStdString(), Cells(400, "echo"));
    EXPECT_EQ(grid->GetRowCount(), 4);
}

TEST_F(ClipboardTest, PasteSkipsRowsRemovedSinceTheCopy)
{
    CActionImporter refuse(PasteAction::kRefuse);
    grid->SetClipboardImporter(&refuse);
    grid->SelectRows(CGrid::kBodyList, 0, 2);
    ASSERT_TRUE(grid->Copy());
    EXPECT_FALSE(grid->Paste()); // the default answer: refused, nothing changes
    EXPECT_EQ(refuse.offered, 3);

    std::thread worker([&] { EXPECT_TRUE(grid->Remove(items[1])); });
    EXPECT_TRUE(PumpUntil([&] { return grid->GetRowCount() == 4; }));
    worker.join();

    CActionImporter move(PasteAction::kMove);
    grid->SetClipboardImporter(&move);
    grid->ClearSelection();
    grid->SetFocusRow(3); // "echo": the rows go after it
    ASSERT_TRUE(grid->Paste());
    EXPECT_EQ(move.offered, 2);
    const std::vector<CGridItem*> order = RowsOf(*grid);
    EXPECT_EQ(order, (std::vector<CGridItem*>{items[3], items[4], items[0], items[2]}));

    CActionImporter duplicate(PasteAction::kDuplicate);
    grid->SetClipboardImporter(&duplicate);
    ASSERT_TRUE(grid->Paste());
    EXPECT_EQ(grid->GetRowCount(), 6);
}

TEST_F(ClipboardTest, RecordsOfAnotherProcessOrGridAreRefused)
{
    CActionImporter duplicate(PasteAction::kDuplicate);
    grid->SetClipboardImporter(&duplicate);
    grid->SelectRow(0);
    ASSERT_TRUE(grid->Copy());
    const uint32_t local = Platform::RegisterClipboardFormat(CLocalDataFormat::kFormatName);
    const QByteArray record = ClipboardBytes(local);

    const auto put = [&](QByteArray bytes) {
        Platform::CSystemClipboard clipboard;
        ASSERT_TRUE(clipboard.Open());
        clipboard.SetData(local, bytes);
        clipboard.Close();
    };
    QByteArray otherProcess = record;
    const uint64_t pid = CLocalDataFormat::CurrentProcessId() + 1;
    std::memcpy(otherProcess.data(), &pid, 8);
    put(otherProcess);
    EXPECT_FALSE(grid->Paste());
    put(record.left(record.size() - 1)); // a short record
    EXPECT_FALSE(grid->Paste());
    EXPECT_EQ(duplicate.offered, -1);

    put(record);
    CGrid other;
    other.SetClipboardImporter(&duplicate);
    other.Add(rows[0].get());
    EXPECT_FALSE(other.Paste()); // another grid's rows
    other.SetClipboardImporter(nullptr);
    EXPECT_TRUE(grid->Paste());
    EXPECT_EQ(grid->GetRowCount(), 6);
}

} // namespace
} // namespace Brivel::GUI::Testing
