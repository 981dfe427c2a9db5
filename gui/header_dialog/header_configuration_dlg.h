#pragma once
// CHeaderConfigurationDlg: the modal dialog in which the user chooses, for
// one header, which columns are visible, in which order they stand and how
// many leading visible columns are fixed.
//
// It shows one row per column of the header, in column order, in a grid of
// its own: a check box for the column's visibility and its caption. The
// buttons Top, Up, Down and Bottom move the selected rows; the spin beside
// "Fixed columns" changes the header's fixed column count at once; OK
// applies the rows' order and visibility to the header; Cancel applies
// nothing more (a fixed count already changed with the spin stays).
//
// The fixed count counts visible positions: the rows drawn as fixed (grey,
// italic, tinted) are the first N rows whose check box is on, and the spin
// goes no further than the number of such rows.
//
// OK is checked against the header: when the header refuses the order (its
// movability flags), the header's previous order is put back, visibility is
// not applied, and the dialog stays open with its rows rebuilt from the
// header's real order and visibility, instead of closing as if the order
// had been taken. A column removed meanwhile by another thread is skipped:
// the others still take the order shown.
//
// Layout: the controls stand where a dialog template of 194 x 222 dialog
// units puts them; dialog units become pixels through the dialog font's
// average character width and height (DialogUnitsToPixels). Controls carry
// object names (kOkName ...) so that a caller can find them.
//
// Ownership: the dialog borrows the header, which must outlive it (or at
// least its use by the dialog; a column may be removed meanwhile). It owns
// its grid and the row objects through a private implementation, which is
// also the grid's custom draw.
// Thread: GUI thread only.

#include <QDialog>
#include <QFont>
#include <QRect>

#include <cstdint>
#include <memory>
#include <vector>

namespace Brivel::GUI {

class CGrid;
class CHeader;

class CHeaderConfigurationDlg : public QDialog {
public:
    // Object names of the controls.
    static constexpr const char* kOkName = "ok";
    static constexpr const char* kCancelName = "cancel";
    static constexpr const char* kTopName = "top";
    static constexpr const char* kUpName = "up";
    static constexpr const char* kDownName = "down";
    static constexpr const char* kBottomName = "bottom";
    static constexpr const char* kFixedLabelName = "fixedLabel";
    static constexpr const char* kGridName = "grid";
    static constexpr const char* kSpinName = "fixedSpin";
    static constexpr const char* kFixedCountName = "fixedCount";

    // Fields of the row objects.
    static constexpr int32_t kVisibleField = 0; // bool
    static constexpr int32_t kCaptionField = 1; // std::string
    static constexpr int32_t kIdField = 2;      // int32: the column's identifier

    // Builds the dialog and its rows from the header's current columns.
    explicit CHeaderConfigurationDlg(CHeader& header, QWidget* parent = nullptr);
    CHeaderConfigurationDlg(const CHeaderConfigurationDlg&) = delete;
    CHeaderConfigurationDlg& operator=(const CHeaderConfigurationDlg&) = delete;
    ~CHeaderConfigurationDlg() override;

    // Runs the dialog modally: QDialog::Accepted (1) when it ended with OK.
    int32_t DoModal();

    // The button commands, as the buttons run them.
    void MoveSelectedToTop(); // Top
    void MoveSelectedUp(); // Up
    void MoveSelectedDown(); // Down
    void MoveSelectedToBottom(); // Bottom
    // One spin step: a positive step raises the fixed count by one while it
    // is below the number of rows checked visible, a negative one lowers it
    // by one while it is above 0; the header takes it at once.
    void StepFixedCount(int32_t steps);
    // The fixed count the dialog shows.
    int32_t GetFixedColumnCount() const;

    // The column identifiers of the rows in displayed order, and which are
    // checked visible.
    std::vector<int32_t> GetRowIds() const;
    std::vector<bool> GetRowVisibility() const; // (see GetRowIds)
    CGrid& GetGrid() const; // the dialog's own grid of rows

    // A rectangle given in dialog units by its edges, in pixels for `font`:
    // x * average character width / 4 and y * character height / 8, rounded.
    static QRect DialogUnitsToPixels(int32_t left, int32_t top, int32_t right, int32_t bottom, const QFont& font);

    // OK: applies order and visibility; closes only when the header took them.
    void accept() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Brivel::GUI
