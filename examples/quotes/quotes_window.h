#pragma once
// CQuotesWindow: the main window. A grid of instruments whose prices a
// worker changes, a File menu that prints, and the grid's settings kept in
// QSettings from one run to the next.
#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

namespace Brivel::GUI {
class CGrid;
}
class CInstrument;
class CPriceFeed;

class CQuotesWindow : public QMainWindow {
    Q_OBJECT
public:
    CQuotesWindow(int32_t instrumentCount, int32_t changesPerSecond);
    ~CQuotesWindow() override;

    Brivel::GUI::CGrid& Grid() const { return *m_grid; }
    uint64_t GetChangeCount() const;
    // Clicks a column's header cell as a user would (the headless check).
    void ClickHeader(int32_t columnId);
    // "Price descending", or "unsorted".
    std::string DescribeSort() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateGrid();
    void CreateMenus();
    void RestoreSettings();
    void SaveSettings();
    void Shutdown(); // stops the feed, saves the settings, lets the rows and objects go

    Brivel::GUI::CGrid* m_grid = nullptr; // Qt child: owned by this window
    std::vector<std::unique_ptr<CInstrument>> m_instruments;
    std::unique_ptr<CPriceFeed> m_feed; // stopped before the instruments go
};
