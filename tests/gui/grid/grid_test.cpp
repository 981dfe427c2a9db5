// The grid window: the calling rule across threads, a destroyed window,
// notifications to the parent, option defaults, header ownership and the
// reaction to header changes, and the settings stream.

#include "tests/gui/grid/grid_test_support.h"

#include "gui/rows/data_object_registry.h"
#include "gui/rows/row_filter.h"
#include "platform/archive.h"
#include "platform/dc.h"
#include "platform/window_class.h"

#include <future>
#include <set>

namespace Brivel::GUI::Testing {
namespace {

using namespace std::chrono_literals;

class CThreadFilter final : public IRowFilter {
public:
    bool IsFiltered(CGrid*, CGridItem*, Common::CDataObject*) override
    {
        threads.insert(std::this_thread::get_id());
        return false;
    }
    std::set<std::thread::id> threads;
};

using GridCallingRuleTest = GridTest;

TEST_F(GridCallingRuleTest, WorkerAddsReturnHandlesOfRowsThatExist)
{
    constexpr int kRows = 10000;
    std::vector<std::unique_ptr<CRowObject>> objects;
    for (int i = 0; i < kRows; ++i)
        objects.push_back(std::make_unique<CRowObject>(i));
    CThreadFilter filter;
    grid->SetRowFilter(&filter);
    std::vector<CGridItem*> handles(kRows, nullptr);
    RunOnWorker([&] {
        for (int i = 0; i < kRows; ++i)
            handles[i] = grid->Add(objects[i].get());
    });
    ASSERT_EQ(grid->GetRowCount(), kRows);
    for (int i = 0; i < kRows; ++i) {
        ASSERT_NE(handles[i], nullptr) << i;
        EXPECT_EQ(grid->GetRowIndex(handles[i]), i);
        EXPECT_EQ(handles[i]->GetDataObject(), objects[i].get());
    }
    // The rows were only ever touched on the GUI thread.
    EXPECT_EQ(filter.threads, std::set<std::thread::id>{std::this_thread::get_id()});
    EXPECT_EQ(recorder.CountOf(kNotifyItemAdded), kRows);
    grid->SetRowFilter(nullptr);
    // The burst's layout update comes 10 ms after the adds and sets the range.
    EXPECT_TRUE(PumpUntil([&] { return Impl().VerticalScrollBar()->maximum() > 0; }));
}

TEST_F(GridCallingRuleTest, WorkerBurstsAreLaidOutPerBurstNotPerRow)
{
    constexpr int kRows = 2000;
    std::vector<std::unique_ptr<CRowObject>> objects;
    for (int i = 0; i < kRows; ++i)
        objects.push_back(std::make_unique<CRowObject>(i));
    const int64_t before = Impl().GetLayoutUpdateCountForTesting();
    RunOnWorker([&] {
        for (int i = 0; i < kRows; ++i)
            grid->Add(objects[i].get(), CGrid::kBodyRoot, i % 2 ? CGrid::kHead : CGrid::kTail);
        for (int i = 0; i < kRows / 2; ++i)
            grid->RemoveAt(0);
    });
    EXPECT_TRUE(PumpUntil([&] { return Impl().VerticalScrollBar()->maximum() > kRows / 4; }));
    // One update per 10 ms timer run while the burst lasts: far fewer than
    // the rows, however slow the machine.
    EXPECT_LT(Impl().GetLayoutUpdateCountForTesting() - before, kRows / 4);
    EXPECT_EQ(grid->GetRowCount(), kRows / 2);
}

TEST_F(GridCallingRuleTest, WorkerGetsGuiThreadResultsAndExceptions)
{
    CRowObject object(5);
    CGridItem* item = grid->Add(&object);
    int32_t count = -1;
    CGridItem* found = nullptr;
    bool threw = false;
    RunOnWorker([&] {
        count = grid->GetRowCount(CGrid::kBodyList);
        found = grid->GetItem(0);
        Platform::CArchive truncated(QByteArray("\x01\x00", 2));
        try {
            grid->Serialize(truncated);
        } catch (const Platform::CArchiveException& e) {
            threw = e.GetCause() == Platform::CArchiveException::kEndOfFile;
        }
    });
    EXPECT_EQ(count, 1);
    EXPECT_EQ(found, item);
    EXPECT_TRUE(threw);
}

TEST_F(GridCallingRuleTest, DestroyedWindowAnswersZeroAtOnceOnEveryThread)
{
    CRowObject object(1);
    ASSERT_NE(grid->Add(&object), nullptr);
    grid->DestroyWindow();
    EXPECT_EQ(grid->GetSafeHwnd(), Platform::HWND{});
    EXPECT_EQ(recorder.CountOf(kNotifyItemRemoving), 1);
    // The GUI thread does not serve the event loop meanwhile: a call that
    // waited for it would never return.
    auto result = std::async(std::launch::async, [&] {
        return std::make_tuple(grid->Add(&object), grid->GetRowCount(), grid->GetTopRow(), grid->IsNotifyParent());
    });
    ASSERT_EQ(result.wait_for(30s), std::future_status::ready);
    EXPECT_EQ(result.get(), std::make_tuple(static_cast<CGridItem*>(nullptr), 0, 0, false));
    // On the GUI thread too, and nothing is bound any more.
    EXPECT_EQ(grid->Add(&object), nullptr);
    EXPECT_EQ(grid->GetRowCount(), 0);
    grid->DestroyWindow(); // idempotent
}

TEST_F(GridCallingRuleTest, CallerBlockedWhileTheWindowGoesIsReleased)
{
    std::atomic<bool> sending{false};
    auto result = std::async(std::launch::async, [&] {
        sending = true;
        return grid->GetRowCount();
    });
    while (!sending)
        std::this_thread::yield();
    std::this_thread::sleep_for(5ms); // most likely queued by now; either way the answer is 0
    grid->DestroyWindow();
    ASSERT_EQ(result.wait_for(30s), std::future_status::ready);
    EXPECT_EQ(result.get(), 0);
}

TEST_F(GridCallingRuleTest, WorkerAddingWhileTheWindowGoesStopsCleanly)
{
    std::vector<std::unique_ptr<CRowObject>> objects;
    for (int i = 0; i < 20000; ++i)
        objects.push_back(std::make_unique<CRowObject>(i));
    std::atomic<int> added{0};
    std::atomic<bool> refused{false};
    std::thread worker([&] {
        for (auto& object : objects) {
            if (grid->Add(object.get()) == nullptr) {
                refused = true;
                return;
            }
            ++added;
        }
    });
    ASSERT_TRUE(PumpUntil([&] { return added.load() >= 500; }));
    grid->DestroyWindow(); // while the worker is sending
    worker.join();          // it must come back, without the event loop
    EXPECT_TRUE(refused || added == static_cast<int>(objects.size()));
    EXPECT_EQ(grid->GetRowCount(), 0);
    for (auto& object : objects)
        EXPECT_FALSE(CDataObjectRegistry::GetInstance().IsBound(object.get()));
}

TEST(GridWindowClassTest, RegisteredOnceAndCreatesGrids)
{
    CGrid first;
    EXPECT_TRUE(Platform::IsWindowClassRegistered(CGrid::kWindowClassName));
    QWidget parent;
    QWidget* made = Platform::CreateWindowOfClass(CGrid::kWindowClassName, parent);
    ASSERT_NE(dynamic_cast<CGrid*>(made), nullptr);
    EXPECT_EQ(made->parent(), &parent);
    // The run-time class creates one too, for stored references.
    std::unique_ptr<Platform::CObject> object = Platform::CreateObjectByName("CGrid");
    EXPECT_NE(dynamic_cast<CGrid*>(object.get()), nullptr);
    EXPECT_EQ(CGrid::RuntimeClass().GetSchema(), 1);
}

// ---- Notifications ----

using GridNotificationTest = GridTest;

TEST_F(GridNotificationTest, ItemRecordCarriesTheItemFields)
{
    CRowObject object(3);
    CGridItem* item = grid->Add(&object);
    // The list reports the row shown (9), then the grid the row added (0).
    ASSERT_EQ(recorder.Codes(), (std::vector<int32_t>{kNotifyItemShown, kNotifyItemAdded}));
    const CNotifyRecorder::Record& added = recorder.records[1];
    EXPECT_EQ(added.code, kNotifyItemAdded);
    EXPECT_EQ(added.item, item);
    EXPECT_EQ(added.object, &object);
    EXPECT_EQ(added.listKind, CGrid::kBodyList);
    EXPECT_EQ(added.row, 0);
    EXPECT_EQ(added.state & (kItemShown | kItemAttached), kItemShown | kItemAttached);
    EXPECT_EQ(added.state & kItemSelected, 0u);
}

TEST_F(GridNotificationTest, NoNotificationReachesTheParentWithNotifyParentOff)
{
    grid->SetHeader(MakeHeader({{CRowObject::kValue, 60}}));
    recorder.Clear();
    grid->SetNotifyParent(false);
    EXPECT_FALSE(grid->IsNotifyParent());
    CRowObject a(1), b(2);
    CGridItem* first = grid->Add(&a);
    CGridItem* second = grid->Add(&b, first); // a child
    grid->SetSortKey(0, CSortInfo(CRowObject::kValue, true));
    a.SetValue(10);
    Pump(20);
    ASSERT_TRUE(grid->Detach(first));
    ASSERT_TRUE(grid->Attach(first));
    grid->GetHeader()->GetColumn(0)->SetWidth(90);
    Pump(20);
    ASSERT_EQ(second->GetParent(), first);
    EXPECT_TRUE(grid->Remove(first)); // and its child with it
    grid->Clear();
    EXPECT_TRUE(recorder.records.empty()) << recorder.records.size() << " notifications";
    grid->SetNotifyParent(true);
    CGridItem* third = grid->Add(&b);
    ASSERT_EQ(recorder.CountOf(kNotifyItemAdded), 1);
    EXPECT_EQ(recorder.records.back().item, third);
}

TEST_F(GridNotificationTest, NotificationsGoToTheOwnerBeforeTheParent)
{
    QWidget owner;
    CNotifyRecorder ownerRecorder(owner);
    grid->SetNotifyOwner(&owner);
    CRowObject object(1);
    grid->Add(&object);
    EXPECT_EQ(ownerRecorder.CountOf(kNotifyItemAdded), 1);
    EXPECT_TRUE(recorder.records.empty());
}

// ---- Options and header ----

using GridOptionsTest = GridTest;

TEST_F(GridOptionsTest, Defaults)
{
    EXPECT_TRUE(grid->IsNotifyParent());
    EXPECT_FALSE(grid->IsHighlightChangedValues());
    EXPECT_EQ(grid->GetHighlightSettings(), HighlightSettings());
    EXPECT_EQ(grid->GetHighlightSettings().duration, 2000);
    EXPECT_EQ(grid->GetPaintElementMask(), 0x7FFFFu);
    EXPECT_TRUE(grid->IsDoubleBuffered());
    EXPECT_TRUE(grid->IsSelectionEnabled());
    EXPECT_TRUE(grid->IsMultipleSelection());
    EXPECT_EQ(grid->GetFocusMask(), 3);
    EXPECT_EQ(grid->GetSelectableLists(), 3);
    EXPECT_EQ(grid->GetSortableLists(), 3);
    EXPECT_EQ(grid->GetFocusRow(), -1);
    EXPECT_EQ(grid->GetFocusListKind(), 0);
    EXPECT_EQ(grid->GetTopRow(), -1);
    EXPECT_EQ(grid->GetRowFilter(), nullptr);
    EXPECT_TRUE(grid->IsHeaderShown());
    EXPECT_TRUE(grid->IsSeparatorShown());
    EXPECT_EQ(grid->GetSeparatorHeight(), 2);
    EXPECT_EQ(grid->GetListRowHeight(CGrid::kBodyList), 14);
    EXPECT_EQ(grid->GetHeader(), nullptr);
    EXPECT_EQ(grid->GetSortKey(0), CSortInfo());
    EXPECT_EQ(grid->GetSortKeyCount(), 0);
}

TEST_F(GridOptionsTest, DisplaySettersRepaintTheWholeClientArea)
{
    Impl().GetPacer().StartRecordingInvalidation();
    const QRegion whole(Impl().ClientRect().ToQRect());
    grid->SetPaintElementMask(0x3FF);
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), whole);
    grid->SetSeparatorHeight(5);
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), whole);
    grid->SetSeparatorHeight(5); // unchanged: nothing
    EXPECT_TRUE(Impl().GetPacer().TakeInvalidatedRegion().isEmpty());
    Appearance appearance;
    appearance.oddBackColor = Platform::RGB(1, 2, 3);
    grid->SetAppearance(appearance);
    EXPECT_EQ(Impl().GetPacer().TakeInvalidatedRegion(), whole);
    EXPECT_EQ(grid->GetAppearance(), appearance);
}

TEST_F(GridOptionsTest, RowHeightFollowsTheFont)
{
    QFont font("DejaVu Sans");
    font.setPixelSize(30);
    CRowObject object(1);
    CGridItem* item = grid->Add(&object);
    grid->SetGridFont(font);
    // The default custom draw's line height: text height + internal leading / 2.
    Platform::CMemoryDC dc(4, 4);
    Platform::TEXTMETRIC metrics;
    dc.SelectFont(font);
    ASSERT_TRUE(dc.GetTextMetrics(metrics));
    const int32_t expected = metrics.tmHeight + metrics.tmInternalLeading / 2;
    EXPECT_EQ(grid->GetListRowHeight(CGrid::kBodyList), expected);
    EXPECT_EQ(grid->GetListRowHeight(CGrid::kPinnedList), expected);
    EXPECT_EQ(grid->GetRowHeight(item), expected);
    EXPECT_EQ(grid->GetGridFont(), font);
}

TEST_F(GridOptionsTest, SelectionOptionsClearTheSelection)
{
    CRowObject a(1), b(2);
    CGridItem* first = grid->Add(&a);
    CGridItem* pinned = grid->Add(&b, CGrid::kPinnedRoot);
    ASSERT_TRUE(first->Select(true));
    ASSERT_TRUE(pinned->Select(true));
    grid->SetSelectableLists(CGrid::kBodyMask); // the pinned bit goes
    EXPECT_FALSE(pinned->IsSelected());
    EXPECT_TRUE(first->IsSelected());
    EXPECT_FALSE(grid->IsSelectableList(CGrid::kPinnedList));
    grid->SetMultipleSelection(false);
    EXPECT_FALSE(first->IsSelected());
}

class CCountedHeader final : public CHeader {
public:
    CCountedHeader(bool autoDelete, int& destroyed) : CHeader(autoDelete), m_destroyed(destroyed) {}
    ~CCountedHeader() override { ++m_destroyed; }

private:
    int& m_destroyed;
};

TEST(GridHeaderOwnershipTest, AutoDeleteHeaderGoesWithTheGridOthersStay)
{
    int destroyed = 0;
    CCountedHeader borrowed(false, destroyed);
    {
        CGrid grid;
        auto* owned = new CCountedHeader(true, destroyed); // handed over below
        EXPECT_EQ(grid.SetHeader(owned), nullptr);
        EXPECT_EQ(grid.SetHeader(&borrowed), owned); // back to us, whatever it says
        EXPECT_EQ(destroyed, 0);
        std::unique_ptr<CHeader> mine(owned);
        mine.reset();
        EXPECT_EQ(destroyed, 1);
    }
    EXPECT_EQ(destroyed, 1); // the borrowed one stays
    {
        CGrid grid;
        grid.SetHeader(new CCountedHeader(true, destroyed));
    }
    EXPECT_EQ(destroyed, 2);
}

TEST_F(GridOptionsTest, HeaderChangesReachTheParentAndTheLayout)
{
    CHeader* header = MakeHeader({{CRowObject::kValue, 100}, {CRowObject::kOther, 100}});
    grid->SetHeader(header);
    recorder.Clear();
    header->AddColumn(std::make_unique<CColumn>(7, "Seven", 50));
    header->MoveColumnTo(7, 0);
    header->GetColumn(0)->SetWidth(80);
    header->HideColumn(7);
    EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{kNotifyColumnAdded, kNotifyColumnMoved,
                                                      kNotifyColumnWidthChanged, kNotifyHeaderChanged,
                                                      kNotifyHeaderChanged}));
    // A width change repaints everything once its 10 ms timer has run.
    Impl().GetPacer().StartRecordingInvalidation();
    header->FindColumn(CRowObject::kValue)->SetWidth(120);
    EXPECT_TRUE(PumpUntil([&] { return !Impl().GetPacer().TakeInvalidatedRegion().isEmpty(); }));
    // A change made on a worker is handled on the GUI thread before the
    // worker goes on.
    recorder.Clear();
    std::thread::id handled;
    recorder.onRecord = [&](const CNotifyRecorder::Record&) { handled = std::this_thread::get_id(); };
    RunOnWorker([&] { header->RemoveColumn(7); });
    EXPECT_EQ(recorder.Codes(), std::vector<int32_t>{kNotifyColumnRemoved});
    EXPECT_EQ(handled, std::this_thread::get_id());
}

TEST_F(GridOptionsTest, HeaderFontChangeRemeasuresTheStrip)
{
    CHeader* header = MakeHeader({{CRowObject::kValue, 100}});
    grid->SetHeader(header);
    recorder.Clear();
    QFont font("DejaVu Sans");
    font.setPixelSize(30);
    header->SetFont(font);
    // The default custom draw's header height: text height + internal leading + 4.
    Platform::CMemoryDC dc(4, 4);
    Platform::TEXTMETRIC metrics;
    dc.SelectFont(font);
    ASSERT_TRUE(dc.GetTextMetrics(metrics));
    EXPECT_EQ(header->GetHeight(), metrics.tmHeight + metrics.tmInternalLeading + 4);
    EXPECT_EQ(recorder.Codes(), std::vector<int32_t>{kNotifyHeaderChanged});
    // The body starts below the new strip.
    EXPECT_EQ(Impl().GetRowLayout().BodyArea().ToQRect().top(), header->GetHeight());
    grid->SetHeaderShown(false);
    EXPECT_EQ(Impl().GetRowLayout().BodyArea().ToQRect().top(), 0);
}

// ---- Settings stream ----

using GridSettingsTest = GridTest;

TEST_F(GridSettingsTest, RoundTripRestoresEverySetting)
{
    CHeader* header = MakeHeader({{CRowObject::kName, 90}, {CRowObject::kValue, 70}}, 1);
    header->SetSortInfo(0, CSortInfo(CRowObject::kValue, true));
    grid->SetHeader(header);
    grid->SetHeaderShown(false);
    grid->SetListRowHeight(CGrid::kPinnedList, 17);
    grid->SetListRowHeight(CGrid::kBodyList, 19);
    grid->SetFocusMask(2);
    Appearance appearance;
    appearance.evenBackColor = Platform::RGB(10, 20, 30);
    appearance.horizontalLines = true;
    grid->SetAppearance(appearance);
    grid->SetPaintElementMask(0x1234);
    grid->SetDoubleBuffered(false);
    QFont font("DejaVu Sans");
    font.setPixelSize(17);
    font.setBold(true);
    grid->SetGridFont(font);
    grid->EnableSelection(false);
    grid->SetMultipleSelection(false);
    grid->SetSelectableLists(1);
    grid->SetHighlightChangedValues(true);
    HighlightSettings highlight;
    highlight.duration = 750;
    highlight.mode = kHighlightAlphaBack;
    highlight.backAlpha = 99;
    grid->SetHighlightSettings(highlight);
    grid->SetSeparatorShown(false);
    grid->SetSeparatorHeight(6);
    grid->SetSortableLists(2);

    Platform::CArchive store;
    grid->Serialize(store);
    const QByteArray bytes = store.GetData();
    ASSERT_GE(bytes.size(), 9);
    EXPECT_EQ(bytes.left(9), QByteArray("\x01\x00\x00\x00\x01\x00\x00\x00\x01", 9));

    CGrid copy;
    Platform::CArchive load(bytes);
    copy.Serialize(load);
    EXPECT_EQ(load.GetRemainingForTesting(), 0);
    ASSERT_NE(copy.GetHeader(), nullptr);
    EXPECT_EQ(copy.GetHeader()->GetColumnCount(), 2);
    EXPECT_EQ(copy.GetHeader()->GetFixedColumnCount(), 1);
    EXPECT_EQ(copy.GetSortKey(0), CSortInfo(CRowObject::kValue, true));
    EXPECT_FALSE(copy.IsHeaderShown());
    EXPECT_EQ(copy.GetFocusMask(), 2);
    EXPECT_EQ(copy.GetAppearance(), appearance);
    EXPECT_EQ(copy.GetPaintElementMask(), 0x1234u);
    EXPECT_FALSE(copy.IsDoubleBuffered());
    EXPECT_EQ(copy.GetGridFont().pixelSize(), 17);
    EXPECT_TRUE(copy.GetGridFont().bold());
    EXPECT_EQ(copy.GetGridFont().family(), font.family());
    // The font sets the row heights after the stored ones.
    EXPECT_EQ(copy.GetListRowHeight(CGrid::kBodyList), grid->GetListRowHeight(CGrid::kBodyList));
    EXPECT_FALSE(copy.IsSelectionEnabled());
    EXPECT_FALSE(copy.IsMultipleSelection());
    EXPECT_EQ(copy.GetSelectableLists(), 1);
    EXPECT_TRUE(copy.IsHighlightChangedValues());
    EXPECT_EQ(copy.GetHighlightSettings(), highlight);
    EXPECT_FALSE(copy.IsSeparatorShown());
    EXPECT_EQ(copy.GetSeparatorHeight(), 6);
    EXPECT_EQ(copy.GetSortableLists(), 2);

    // Storing the copy gives the same bytes.
    Platform::CArchive again;
    copy.Serialize(again);
    EXPECT_EQ(again.GetData(), bytes);
}

TEST_F(GridSettingsTest, StoredRowHeightsWithoutFontAndNoHeader)
{
    grid->SetListRowHeight(CGrid::kPinnedList, 17);
    grid->SetListRowHeight(CGrid::kBodyList, 19);
    Platform::CArchive store;
    grid->Serialize(store);
    CGrid copy;
    copy.SetHeader(MakeHeader({{1, 10}}));
    Platform::CArchive load(store.GetData());
    copy.Serialize(load);
    EXPECT_EQ(copy.GetHeader(), nullptr); // the flag 0 releases it
    EXPECT_EQ(copy.GetListRowHeight(CGrid::kPinnedList), 17);
    EXPECT_EQ(copy.GetListRowHeight(CGrid::kBodyList), 19);
}

TEST_F(GridSettingsTest, HeaderOfTheSameClassLoadsInPlace)
{
    grid->SetHeader(MakeHeader({{1, 40}, {2, 50}, {3, 60}}));
    Platform::CArchive store;
    grid->Serialize(store);
    CGrid copy;
    CHeader* existing = MakeHeader({{9, 10}});
    copy.SetHeader(existing);
    Platform::CArchive load(store.GetData());
    copy.Serialize(load);
    EXPECT_EQ(copy.GetHeader(), existing);
    EXPECT_EQ(existing->GetColumnCount(), 3);
    EXPECT_EQ(existing->GetColumn(2)->GetWidth(), 60);
}

TEST_F(GridSettingsTest, UnknownHeaderClassIsRefused)
{
    grid->SetHeader(MakeHeader({{1, 40}}));
    Platform::CArchive store;
    grid->Serialize(store);
    QByteArray bytes = store.GetData();
    const int at = bytes.indexOf("CHeader");
    ASSERT_GT(at, 0);
    bytes[at + 1] = 'X'; // "CXeader": no such class
    CGrid copy;
    Platform::CArchive load(bytes);
    try {
        copy.Serialize(load);
        ADD_FAILURE() << "unknown class accepted";
    } catch (const Platform::CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), Platform::CArchiveException::kBadSchema);
    }
    EXPECT_EQ(copy.GetHeader(), nullptr);
}

TEST_F(GridSettingsTest, NewerVersionsAreRefused)
{
    Platform::CArchive store;
    grid->Serialize(store);
    for (int offset : {0, 4}) {
        QByteArray bytes = store.GetData();
        bytes[offset] = 2;
        CGrid copy;
        copy.SetSeparatorHeight(9);
        Platform::CArchive load(bytes);
        try {
            copy.Serialize(load);
            ADD_FAILURE() << "version at " << offset << " accepted";
        } catch (const Platform::CArchiveException& e) {
            EXPECT_EQ(e.GetCause(), Platform::CArchiveException::kBadSchema);
        }
        EXPECT_EQ(copy.GetSeparatorHeight(), 9);
    }
}

TEST_F(GridSettingsTest, VersionZeroReadsNothingMore)
{
    CGrid copy;
    copy.SetSeparatorHeight(9);
    Platform::CArchive load(QByteArray("\x01\x00\x00\x00\x00\x00\x00\x00", 8));
    copy.Serialize(load);
    EXPECT_EQ(load.GetRemainingForTesting(), 0);
    EXPECT_EQ(copy.GetSeparatorHeight(), 9);
}

} // namespace
} // namespace Brivel::GUI::Testing
