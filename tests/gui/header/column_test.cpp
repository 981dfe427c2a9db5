// CColumn: width and visibility changes and their notifications, destruction
// order, and the stored form with its format and paint formats.
#include "gui/header/column.h"

#include "tests/gui/header/header_test_support.h"

#include "common/integer_formats.h"
#include "platform/archive.h"

#include <gtest/gtest.h>

namespace Brivel::GUI {
namespace {

using Platform::CArchive;
using Platform::CArchiveException;
using Testing::CColumnRecorder;
using Testing::CTaggedCellPaintFormat;
using Testing::ArchiveCauseOf;
using Testing::CTaggedColumnPaintFormat;

// A cell paint format that reports its destruction.
class CWatchedCellPaintFormat : public CTaggedCellPaintFormat {
public:
    explicit CWatchedCellPaintFormat(bool& destroyed) : CTaggedCellPaintFormat(5), m_destroyed(destroyed) {}
    ~CWatchedCellPaintFormat() override { m_destroyed = true; }

private:
    bool& m_destroyed;
};

class ColumnTest : public ::testing::Test {
protected:
    static QByteArray Store(CColumn& column) { return Testing::StoreWithTrailer(column); }
    static void Load(CColumn& target, const QByteArray& bytes) { Testing::LoadWithTrailer(target, bytes); }

    static std::unique_ptr<CColumn> Full()
    {
        return std::make_unique<CColumn>(
            42, "Price", 80, CColumn::kAlignRight, true, 3, 4,
            std::make_unique<Common::CLongFormat>(1, false, ',', false, true),
            std::make_unique<CTaggedCellPaintFormat>(11), std::make_unique<CTaggedColumnPaintFormat>(22), "extra");
    }
};

// ---- Changes and notifications ----

TEST_F(ColumnTest, SetWidthRefusesBelowOneAndNotifiesOnlyRealChanges)
{
    CColumn column(1, "A", 50);
    CColumnRecorder recorder;
    column.Advise(&recorder);

    EXPECT_FALSE(column.SetWidth(0));
    EXPECT_FALSE(column.SetWidth(-3));
    EXPECT_TRUE(column.SetWidth(50));
    EXPECT_TRUE(recorder.codes.empty());
    EXPECT_EQ(column.GetWidth(), 50);

    EXPECT_TRUE(column.SetWidth(1));
    EXPECT_EQ(recorder.codes, std::vector<int32_t>{CColumn::INotify::kWidthChanged});
    EXPECT_EQ(column.GetWidth(), 1);
    column.Unadvise(&recorder);
}

TEST_F(ColumnTest, SetVisibleNotifiesOnlyRealChanges)
{
    CColumn column(1, "A", 50);
    CColumnRecorder recorder;
    column.Advise(&recorder);
    column.SetVisible(true);
    column.SetVisible(false);
    column.SetVisible(false);
    column.SetVisible(true);
    EXPECT_EQ(recorder.codes, (std::vector<int32_t>{9, 9}));
    column.Unadvise(&recorder);
}

TEST_F(ColumnTest, DuplicateAndNullSubscribersAreIgnored)
{
    CColumn column(1, "A", 50);
    CColumnRecorder recorder;
    column.Advise(&recorder);
    column.Advise(&recorder);
    column.Advise(nullptr);
    column.SetWidth(60);
    EXPECT_EQ(recorder.codes.size(), 1u);

    column.Unadvise(&recorder);
    column.Unadvise(&recorder);
    column.SetWidth(70);
    EXPECT_EQ(recorder.codes.size(), 1u);
}

TEST_F(ColumnTest, SubscriberMayCallBackAndUnsubscribeDuringItsCall)
{
    CColumn column(1, "A", 50);
    CColumnRecorder first;
    CColumnRecorder second;
    first.onEvent = [&](CColumn* changed, int32_t) {
        // Reads and a nested change, all from inside the delivery.
        EXPECT_EQ(changed->GetWidth(), 60);
        changed->Unadvise(&first);
        changed->SetVisible(false);
    };
    column.Advise(&first);
    column.Advise(&second);
    column.SetWidth(60);
    EXPECT_EQ(first.codes, std::vector<int32_t>{1});
    // The nested change reached the second subscriber before the outer one.
    EXPECT_EQ(second.codes, (std::vector<int32_t>{9, 1}));
    column.Unadvise(&second);
}

TEST_F(ColumnTest, DestructionNotifiesWhileEverythingIsIntact)
{
    bool paintFormatDestroyed = false;
    auto column = std::make_unique<CColumn>(7, "Seven", 30, CColumn::kAlignLeft, false, -1, -1,
                                            std::make_unique<Common::CLongFormat>(),
                                            std::make_unique<CWatchedCellPaintFormat>(paintFormatDestroyed));
    CColumnRecorder recorder;
    bool sawIntact = false;
    recorder.onEvent = [&](CColumn* dying, int32_t code) {
        ASSERT_EQ(code, CColumn::INotify::kDestroyed);
        EXPECT_FALSE(paintFormatDestroyed);
        EXPECT_NE(dying->GetFormat(), nullptr);
        EXPECT_EQ(dying->GetCaption(), "Seven");
        sawIntact = static_cast<const CTaggedCellPaintFormat*>(dying->GetCellPaintFormat())->GetTag() == 5;
    };
    column->Advise(&recorder);
    column.reset();
    EXPECT_EQ(recorder.codes, std::vector<int32_t>{CColumn::INotify::kDestroyed});
    EXPECT_TRUE(sawIntact);
    EXPECT_TRUE(paintFormatDestroyed);
}

// ---- Stored form ----

TEST_F(ColumnTest, StoredLayoutOfAPlainColumn)
{
    CColumn column(3, "ab", 40);
    CArchive ar;
    column.Serialize(ar);
    const QByteArray expected = QByteArray::fromHex("01000000"   // version
                                                    "03000000"   // field id
                                                    "02000000" "6162" // caption
                                                    "28000000"   // width
                                                    "01000000"   // alignment
                                                    "ffffffff"   // cell image
                                                    "ffffffff"   // header image
                                                    "01" "00"    // visible, editable
                                                    "00000000"   // extra text
                                                    "00"         // no format
                                                    "00000000"   // no cell paint format
                                                    "00000000"); // no column paint format
    EXPECT_EQ(ar.GetData().toHex(), expected.toHex());
}

TEST_F(ColumnTest, RoundTripKeepsEveryAttributeFormatAndPaintFormats)
{
    std::unique_ptr<CColumn> original = Full();
    original->SetVisible(false);
    const QByteArray bytes = Store(*original);

    CColumn loaded;
    CColumnRecorder recorder;
    loaded.Advise(&recorder);
    Load(loaded, bytes);
    EXPECT_TRUE(recorder.codes.empty()) << "loading stores width and visibility without notifying";
    loaded.Unadvise(&recorder);

    const CColumn::Attributes a = loaded.GetAttributes();
    EXPECT_EQ(a.id, 42);
    EXPECT_EQ(a.width, 80);
    EXPECT_EQ(a.alignment, CColumn::kAlignRight);
    EXPECT_EQ(a.cellImage, 3);
    EXPECT_EQ(a.headerImage, 4);
    EXPECT_FALSE(a.visible);
    EXPECT_TRUE(a.editable);
    EXPECT_EQ(loaded.GetCaption(), "Price");
    EXPECT_EQ(loaded.GetExtraText(), "extra");

    const auto* format = dynamic_cast<const Common::CLongFormat*>(a.format);
    ASSERT_NE(format, nullptr);
    EXPECT_TRUE(format->IsHexadecimal());
    EXPECT_FALSE(format->GetShowZero());
    EXPECT_EQ(format->GetGroupSeparator(), ',');
    EXPECT_FALSE(format->GetHexPrefix());
    const auto* cell = dynamic_cast<const CTaggedCellPaintFormat*>(a.cellPaintFormat);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->GetTag(), 11);
    const auto* header = dynamic_cast<const CTaggedColumnPaintFormat*>(a.columnPaintFormat);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->GetTag(), 22);
}

TEST_F(ColumnTest, LoadingReplacesPreviousFormats)
{
    bool oldDestroyed = false;
    CColumn target(9, "old", 10, CColumn::kAlignLeft, false, -1, -1, std::make_unique<Common::CLongFormat>(),
                   std::make_unique<CWatchedCellPaintFormat>(oldDestroyed));
    CColumn plain(3, "new", 40);
    Load(target, Store(plain));
    EXPECT_TRUE(oldDestroyed);
    EXPECT_EQ(target.GetFormat(), nullptr);
    EXPECT_EQ(target.GetCellPaintFormat(), nullptr);
    EXPECT_EQ(target.GetId(), 3);
}

TEST_F(ColumnTest, FormatOfAnUnknownClassIsSkippedWithItsBytes)
{
    CColumn original(5, "x", 20, CColumn::kAlignLeft, false, -1, -1, Testing::MakeNewerVersionFormat(false),
                     std::make_unique<CTaggedCellPaintFormat>(8));
    CColumn loaded;
    Load(loaded, Store(original));
    EXPECT_EQ(loaded.GetFormat(), nullptr);
    // The items after the format were read in step.
    const auto* cell = dynamic_cast<const CTaggedCellPaintFormat*>(loaded.GetCellPaintFormat());
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->GetTag(), 8);
}

TEST_F(ColumnTest, FormatStateThatCannotBeRestoredIsDroppedLikeAnUnknownClass)
{
    CColumn original(5, "x", 20, CColumn::kAlignLeft, false, -1, -1, Testing::MakeNewerVersionFormat(true),
                     nullptr, std::make_unique<CTaggedColumnPaintFormat>(9));
    CColumn loaded;
    Load(loaded, Store(original));
    EXPECT_EQ(loaded.GetFormat(), nullptr);
    ASSERT_NE(loaded.GetColumnPaintFormat(), nullptr);
}

TEST_F(ColumnTest, UnknownPaintFormatIsABadSchemaAndLeavesTheColumnAlone)
{
    CColumn original(5, "x", 20, CColumn::kAlignLeft, false, -1, -1, nullptr,
                     std::make_unique<Testing::CUnregisteredCellPaintFormat>(1));
    const QByteArray bytes = Store(original);
    CColumn target(8, "kept", 33);
    CArchive ar(bytes);
    EXPECT_EQ(ArchiveCauseOf([&] { target.Serialize(ar); }), CArchiveException::kBadSchema);
    EXPECT_EQ(target.GetId(), 8);
    EXPECT_EQ(target.GetCaption(), "kept");
    EXPECT_EQ(target.GetWidth(), 33);
}

TEST_F(ColumnTest, VersionTwoIsABadSchemaAndReadsNothingElse)
{
    QByteArray bytes = Store(*Full());
    bytes[0] = 2;
    CColumn target(8, "kept", 33);
    CArchive ar(bytes);
    EXPECT_EQ(ArchiveCauseOf([&] { target.Serialize(ar); }), CArchiveException::kBadSchema);
    EXPECT_EQ(ar.GetRemainingForTesting(), bytes.size() - 4);
    EXPECT_EQ(target.GetId(), 8);
}

TEST_F(ColumnTest, VersionZeroLeavesTheColumnUnchanged)
{
    CColumn target(8, "kept", 33);
    CArchive ar(QByteArray::fromHex("00000000" "2a000000"));
    target.Serialize(ar);
    EXPECT_EQ(ar.GetRemainingForTesting(), 4);
    EXPECT_EQ(target.GetId(), 8);
    EXPECT_EQ(target.GetCaption(), "kept");
}

TEST_F(ColumnTest, TruncatedStreamRaisesAndLeavesTheColumnUnchanged)
{
    const QByteArray bytes = Store(*Full());
    CColumn target(8, "kept", 33);
    for (qsizetype length : {qsizetype(10), bytes.size() / 2, bytes.size() - 6}) {
        CArchive ar(bytes.left(length));
        EXPECT_EQ(ArchiveCauseOf([&] { target.Serialize(ar); }), CArchiveException::kEndOfFile) << length;
        EXPECT_EQ(target.GetId(), 8);
        EXPECT_EQ(target.GetFormat(), nullptr);
    }
}

} // namespace
} // namespace Brivel::GUI
