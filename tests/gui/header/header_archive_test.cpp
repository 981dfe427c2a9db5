// CHeader's stored form: round trips with columns, formats and paint
// formats; unknown and foreign column classes; versions; what loading sends.
#include "gui/header/header.h"

#include "tests/gui/header/header_test_support.h"

#include "common/integer_formats.h"
#include "platform/archive.h"

#include <gtest/gtest.h>


namespace Brivel::GUI {
namespace {

using Platform::CArchive;
using Platform::CArchiveException;
using Testing::CHeaderRecorder;
using Testing::CTaggedCellPaintFormat;
using Testing::ArchiveCauseOf;
using Testing::CTaggedColumnPaintFormat;
using Testing::kTrailer;
using Testing::MakeColumn;
using Codes = std::vector<int32_t>;

// A column class of its own, registered, that stores one more int.
class CWideColumn : public CColumn {
public:
    void Serialize(Platform::CArchive& ar) override
    {
        CColumn::Serialize(ar);
        if (ar.IsStoring())
            ar << extra;
        else
            ar >> extra;
    }
    int32_t extra = 0;
    BRIVEL_DECLARE_RUNTIME_CLASS(CWideColumn)
};
BRIVEL_IMPLEMENT_RUNTIME_CLASS(CWideColumn, CColumn, "Test::CWideColumn", 1)

// A registered class that is not a column.
class CNotAColumn : public Platform::CObject {
    BRIVEL_DECLARE_RUNTIME_CLASS(CNotAColumn)
};
BRIVEL_IMPLEMENT_RUNTIME_CLASS(CNotAColumn, Platform::CObject, "Test::CNotAColumn", 1)

class HeaderArchiveTest : public ::testing::Test {
protected:
    static QByteArray Store(CHeader& header) { return Testing::StoreWithTrailer(header); }
    static void Load(CHeader& header, const QByteArray& bytes) { Testing::LoadWithTrailer(header, bytes); }

    // The header form written by hand up to the column list, for streams
    // this program would not write itself.
    static void BeginHeader(CArchive& ar, int32_t columnCount) { ar << int32_t(1) << columnCount; }
    static void EndHeader(CArchive& ar)
    {
        ar << int32_t(0) << int32_t(20) << true << true << int32_t(0) << true << true << true << int32_t(0);
    }

    // Three columns (the middle one hidden, with a format and both paint
    // formats), fixed count 1, height 26, two sort levels, flags changed.
    static void Fill(CHeader& header)
    {
        header.AddColumn(MakeColumn(1, 40));
        header.AddColumn(std::make_unique<CColumn>(
            2, "Two", 60, CColumn::kAlignCenter, true, 1, 2, std::make_unique<Common::CLongFormat>(1),
            std::make_unique<CTaggedCellPaintFormat>(31), std::make_unique<CTaggedColumnPaintFormat>(32), "x2"));
        // A CWideColumn loaded from a plain column's form plus its int.
        auto wide = std::make_unique<CWideColumn>();
        CArchive columnForm;
        CColumn(3, "Three", 70).Serialize(columnForm);
        columnForm << int32_t(77);
        CArchive columnLoad(columnForm.GetData());
        wide->Serialize(columnLoad);
        header.AddColumn(std::move(wide));
        header.HideColumn(2);
        header.SetFixedColumnCount(1);
        header.SetHeight(26);
        header.SetSortInfo(0, CSortInfo(3, true));
        header.SetSortInfo(1, CSortInfo(1, false));
        header.SetScrollableColumnsMovable(false);
        header.SetThirdFlag(false);
        header.SetSearchColumn(1);
    }
};

TEST_F(HeaderArchiveTest, RoundTripRestoresColumnsSettingsAndSortLevels)
{
    CHeader original(false);
    Fill(original);
    CHeader loaded(false);
    Load(loaded, Store(original));

    ASSERT_EQ(loaded.GetColumnCount(), 3);
    EXPECT_EQ(loaded.GetVisibleColumnCount(), 2);
    EXPECT_EQ(loaded.GetFixedColumnCount(), 1);
    EXPECT_EQ(loaded.GetHeight(), 26);
    EXPECT_EQ(loaded.GetFixedWidth(), 40);
    EXPECT_EQ(loaded.GetScrollableWidth(), 70);
    EXPECT_EQ(loaded.GetSortLevelCount(), 2);
    EXPECT_EQ(loaded.GetSortInfo(0), CSortInfo(3, true));
    EXPECT_EQ(loaded.GetSortInfo(1), CSortInfo(1, false));
    EXPECT_TRUE(loaded.AreFixedColumnsMovable());
    EXPECT_FALSE(loaded.AreScrollableColumnsMovable());
    EXPECT_FALSE(loaded.GetThirdFlag());
    EXPECT_EQ(loaded.GetSearchColumn(), 1);

    const CColumn* two = loaded.FindColumn(2);
    ASSERT_NE(two, nullptr);
    EXPECT_FALSE(two->IsVisible());
    EXPECT_EQ(two->GetCaption(), "Two");
    const auto* format = dynamic_cast<const Common::CLongFormat*>(two->GetFormat());
    ASSERT_NE(format, nullptr);
    EXPECT_TRUE(format->IsHexadecimal());
    EXPECT_EQ(static_cast<const CTaggedCellPaintFormat*>(two->GetCellPaintFormat())->GetTag(), 31);
    EXPECT_EQ(static_cast<const CTaggedColumnPaintFormat*>(two->GetColumnPaintFormat())->GetTag(), 32);

    const auto* wide = dynamic_cast<const CWideColumn*>(loaded.GetColumn(2));
    ASSERT_NE(wide, nullptr) << "the column's own class is re-created";
    EXPECT_EQ(wide->extra, 77);
    EXPECT_EQ(loaded.CheckInvariantsForTesting(), "");
}

TEST_F(HeaderArchiveTest, LoadingReplacesColumnsAndNotifies)
{
    CHeader original(false);
    original.AddColumn(MakeColumn(5));
    original.AddColumn(MakeColumn(6));
    original.SetFixedColumnCount(1);
    original.SetSortInfo(0, CSortInfo(6, false));
    const QByteArray bytes = Store(original);

    CHeader target(false);
    target.AddColumn(MakeColumn(1));
    target.SetSortInfo(0, CSortInfo(1, true));
    CHeaderRecorder recorder;
    target.Advise(&recorder);
    Load(target, bytes);
    // Old column out, two in, fixed count changed, old levels dropped, the new level set.
    EXPECT_EQ(recorder.Codes(), (Codes{1, 0, 0, 6, 7, 7}));
    EXPECT_EQ(target.GetColumnIndex(1), -1);
    EXPECT_EQ(target.GetSortInfo(0), CSortInfo(6, false));
    target.Unadvise(&recorder);
}

TEST_F(HeaderArchiveTest, SortLevelsAreAppliedUnderTheLoadedSortingFlags)
{
    // Stored: multi-level sorting off, two levels (written by hand; this
    // header would not hold two levels in single-level mode).
    CArchive ar;
    BeginHeader(ar, 0);
    ar << int32_t(0) << int32_t(20) << true << false << int32_t(2);
    CSortInfo(5, false).Serialize(ar);
    CSortInfo(6, true).Serialize(ar);
    ar << true << true << true << int32_t(0) << kTrailer;
    CHeader loaded(false);
    Load(loaded, ar.GetData());
    EXPECT_FALSE(loaded.IsMultiSortEnabled());
    EXPECT_EQ(loaded.GetSortLevelCount(), 1);
    EXPECT_EQ(loaded.GetSortInfo(0), CSortInfo(5, false));
}

TEST_F(HeaderArchiveTest, UnknownColumnClassIsReadAndDropped)
{
    CArchive ar;
    BeginHeader(ar, 3);
    ar.WriteClass(CColumn::RuntimeClass());
    CColumn(1, "one", 10).Serialize(ar);
    ar.WriteString("Test::CColumnFromAnotherProgram");
    ar << int32_t(1);
    CColumn(2, "two", 20, CColumn::kAlignLeft, false, -1, -1, nullptr,
            std::make_unique<CTaggedCellPaintFormat>(4))
        .Serialize(ar);
    ar.WriteClass(CColumn::RuntimeClass());
    CColumn(3, "three", 30).Serialize(ar);
    EndHeader(ar);
    ar << kTrailer;

    CHeader header(false);
    Load(header, ar.GetData());
    EXPECT_EQ(header.GetColumnCount(), 2);
    EXPECT_EQ(header.GetColumn(0)->GetId(), 1);
    EXPECT_EQ(header.GetColumn(1)->GetId(), 3);
}

TEST_F(HeaderArchiveTest, ColumnsTheHeaderRefusesAreDropped)
{
    CArchive ar;
    BeginHeader(ar, 3);
    for (int32_t id : {4, 4, CColumn::kUnsetField}) {
        ar.WriteClass(CColumn::RuntimeClass());
        CColumn(id, "c", 10).Serialize(ar);
    }
    EndHeader(ar);
    ar << kTrailer;
    CHeader header(false);
    Load(header, ar.GetData());
    EXPECT_EQ(header.GetColumnCount(), 1);
}

TEST_F(HeaderArchiveTest, ForeignOrNewerClassReferencesAreRefused)
{
    struct Case {
        std::function<void(CArchive&)> writeReference;
        int32_t cause;
    };
    const Case cases[] = {
        {[](CArchive& ar) { ar.WriteClass(CNotAColumn::RuntimeClass()); }, CArchiveException::kBadClass},
        {[](CArchive& ar) { ar.WriteNullClass(); }, CArchiveException::kBadClass},
        {[](CArchive& ar) { ar.WriteString("CColumn"); ar << int32_t(2); }, CArchiveException::kBadSchema},
    };
    for (const Case& c : cases) {
        CArchive ar;
        BeginHeader(ar, 1);
        c.writeReference(ar);
        CColumn(1, "c", 10).Serialize(ar);
        EndHeader(ar);
        CHeader header(false);
        header.AddColumn(MakeColumn(9));
        CArchive load(ar.GetData());
        EXPECT_EQ(ArchiveCauseOf([&] { header.Serialize(load); }), c.cause);
        EXPECT_EQ(header.GetColumnCount(), 1);
    }
}

TEST_F(HeaderArchiveTest, FailedLoadLeavesTheHeaderUnchanged)
{
    CHeader original(false);
    original.AddColumn(std::make_unique<CColumn>(1, "a", 10, CColumn::kAlignLeft, false, -1, -1, nullptr,
                                                 std::make_unique<Testing::CUnregisteredCellPaintFormat>(1)));
    const QByteArray unknownPaintFormat = Store(original);

    CHeader source(false);
    Fill(source);
    QByteArray columnVersionTwo = Store(source);
    // The first column's version follows the header version, the count and
    // the class reference (name "CColumn" and schema).
    const qsizetype columnVersionAt = 4 + 4 + (4 + 7) + 4;
    ASSERT_EQ(columnVersionTwo[columnVersionAt], 1);
    columnVersionTwo[columnVersionAt] = 2;
    const QByteArray truncated = Store(source).left(120);

    for (const auto& [bytes, cause] : {std::pair{unknownPaintFormat, CArchiveException::kBadSchema},
                                       std::pair{columnVersionTwo, CArchiveException::kBadSchema},
                                       std::pair{truncated, CArchiveException::kEndOfFile}}) {
        CHeader header(false);
        header.AddColumn(MakeColumn(9));
        header.SetHeight(33);
        CHeaderRecorder recorder;
        header.Advise(&recorder);
        CArchive ar(bytes);
        EXPECT_EQ(ArchiveCauseOf([&] { header.Serialize(ar); }), cause);
        EXPECT_EQ(header.GetColumnCount(), 1);
        EXPECT_EQ(header.GetHeight(), 33);
        EXPECT_TRUE(recorder.events.empty());
        header.Unadvise(&recorder);
    }
}

TEST_F(HeaderArchiveTest, HeaderVersions)
{
    CHeader header(false);
    header.AddColumn(MakeColumn(9));
    CArchive newer(QByteArray::fromHex("02000000" "00000000"));
    EXPECT_EQ(ArchiveCauseOf([&] { header.Serialize(newer); }), CArchiveException::kBadSchema);
    CArchive empty(QByteArray::fromHex("00000000" "00000000"));
    header.Serialize(empty);
    EXPECT_EQ(empty.GetRemainingForTesting(), 4);
    EXPECT_EQ(header.GetColumnCount(), 1);
}

TEST_F(HeaderArchiveTest, ExtraStoredSortLevelsAreReadAndIgnored)
{
    CArchive ar;
    BeginHeader(ar, 0);
    ar << int32_t(0) << int32_t(20) << true << true << int32_t(7);
    for (int32_t level = 0; level < 7; ++level)
        CSortInfo(100 + level, false).Serialize(ar);
    ar << true << true << true << int32_t(0) << kTrailer;
    CHeader header(false);
    Load(header, ar.GetData());
    EXPECT_EQ(header.GetSortLevelCount(), 5);
    EXPECT_EQ(header.GetSortInfo(4), CSortInfo(104, false));
}

TEST_F(HeaderArchiveTest, CreatedByClassNameWithAutoDelete)
{
    std::unique_ptr<Platform::CObject> object = Platform::CreateObjectByName("CHeader");
    auto* header = dynamic_cast<CHeader*>(object.get());
    ASSERT_NE(header, nullptr);
    EXPECT_TRUE(header->IsAutoDelete());
    EXPECT_NE(dynamic_cast<CColumn*>(Platform::CreateObjectByName("CColumn").get()), nullptr);
}

} // namespace
} // namespace Brivel::GUI
