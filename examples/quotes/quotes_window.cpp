#include "quotes_window.h"

#include "instrument.h"
#include "price_feed.h"

#include <gui/grid/grid.h>
#include <gui/header/column.h>
#include <gui/header/header.h>
#include <platform/archive.h>

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSettings>

#include <cstdio>

using Brivel::GUI::CColumn;
using Brivel::GUI::CGrid;
using Brivel::GUI::CHeader;
using Brivel::Platform::CArchive;
using Brivel::Platform::CArchiveException;

static constexpr auto kSettingsKey = "grid/settings";

CQuotesWindow::CQuotesWindow(int32_t instrumentCount, int32_t changesPerSecond)
{
    setWindowTitle(QStringLiteral("Quotes"));
    resize(720, 480);
    CreateGrid();
    CreateMenus();
    RestoreSettings();

    std::vector<CInstrument*> feedList;
    for (int32_t i = 0; i < instrumentCount; ++i) {
        char symbol[16];
        std::snprintf(symbol, sizeof symbol, "INS%04d", i);
        auto instrument = std::make_unique<CInstrument>(symbol, 10.0 + i % 190);
        if (i % 3 == 0)
            instrument->SetSide(CInstrument::kSell);
        m_grid->Add(instrument.get()); // the grid points at the object, never copies it
        feedList.push_back(instrument.get());
        m_instruments.push_back(std::move(instrument));
    }
    m_feed = std::make_unique<CPriceFeed>(std::move(feedList), changesPerSecond);
}

CQuotesWindow::~CQuotesWindow()
{
    Shutdown();
}

void CQuotesWindow::CreateGrid()
{
    m_grid = new CGrid(this); // owned by this window
    setCentralWidget(m_grid);

    // The last argument makes a column editable in place.
    auto header = std::make_unique<CHeader>(true); // auto-delete: the grid will own it
    header->AddColumn(std::make_unique<CColumn>(CInstrument::kSymbol, "Symbol", 90));
    header->AddColumn(std::make_unique<CColumn>(CInstrument::kSide, "Side", 60, CColumn::kAlignLeft, true));
    header->AddColumn(std::make_unique<CColumn>(CInstrument::kQuantity, "Quantity", 80, CColumn::kAlignRight, true));
    header->AddColumn(std::make_unique<CColumn>(CInstrument::kPrice, "Price", 80, CColumn::kAlignRight));
    header->AddColumn(std::make_unique<CColumn>(CInstrument::kLimit, "Limit", 80, CColumn::kAlignRight, true));
    header->AddColumn(std::make_unique<CColumn>(CInstrument::kWatch, "Watch", 55, CColumn::kAlignCenter, true));
    header->SetSearchColumn(0); // typing a symbol finds its row
    m_grid->SetHeader(header.release());
    m_grid->SetHighlightChangedValues(true); // changed prices light up and fade
}

void CQuotesWindow::CreateMenus()
{
    QMenu* const file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Print..."), QKeySequence::Print, [this] { m_grid->Print(); });
    file->addAction(tr("Print Pre&view..."), [this] { m_grid->PrintPreview(); });
    file->addAction(tr("E&xit"), QKeySequence::Quit, this, &QWidget::close);

    QMenu* const edit = menuBar()->addMenu(tr("&Edit"));
    // Ctrl+C in the grid copies too (its key manager); no shortcut here, so
    // that the grid keeps the key.
    edit->addAction(tr("&Copy rows"), [this] { m_grid->Copy(); });

    QMenu* const view = menuBar()->addMenu(tr("&View"));
    // The columns shown, their order and the fixed count (also offered by a
    // right-click on the header).
    view->addAction(tr("&Columns..."), [this] { m_grid->ShowHeaderConfiguration(); });
}

// The grid's stored form (columns, widths, order, sort, options; never the
// rows) is a byte string in QSettings.
void CQuotesWindow::RestoreSettings()
{
    const QByteArray bytes = QSettings().value(kSettingsKey).toByteArray();
    if (bytes.isEmpty())
        return;
    try {
        CArchive archive(bytes);
        m_grid->Serialize(archive);
    } catch (const CArchiveException& e) {
        std::fprintf(stderr, "quotes: stored settings ignored: %s\n", e.what());
    }
}

void CQuotesWindow::SaveSettings()
{
    CArchive archive;
    m_grid->Serialize(archive);
    QSettings().setValue(kSettingsKey, archive.GetData());
}

void CQuotesWindow::closeEvent(QCloseEvent* event)
{
    Shutdown();
    QMainWindow::closeEvent(event);
}

// Idempotent. The feed is the only other thread: it stops first.
void CQuotesWindow::Shutdown()
{
    if (m_instruments.empty())
        return;
    m_feed.reset();
    SaveSettings();
    m_grid->Clear();
    m_instruments.clear();
}

uint64_t CQuotesWindow::GetChangeCount() const { return m_feed ? m_feed->GetChangeCount() : 0; }

void CQuotesWindow::ClickHeader(int32_t columnId)
{
    const CHeader* const header = m_grid->GetHeader();
    if (header == nullptr)
        return;
    const auto rect = header->GetColumnRect(nullptr, columnId);
    const QPointF at((rect.left + rect.right) / 2.0, header->GetHeight() / 2.0);
    const QPointF global = m_grid->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_grid, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(m_grid, &release);
}

std::string CQuotesWindow::DescribeSort() const
{
    const auto key = m_grid->GetSortKey(0);
    const CColumn* const column = m_grid->GetHeader() ? m_grid->GetHeader()->FindColumn(key.GetFieldId()) : nullptr;
    if (m_grid->GetSortKeyCount() == 0 || column == nullptr)
        return "unsorted";
    return column->GetCaption() + (key.IsDescending() ? " descending" : " ascending");
}
