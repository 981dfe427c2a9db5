#pragma once
// CItemsDlg: the modal dialog shared by the add and the remove run (a count,
// a position and a thread), and the process-wide values it remembers.
//
// Controls (object names are the control ids, see commands.h):
//   "1000"             the "Count" edit: integers only
//   "1001" .. "1003"   the "Position" radio group: head, tail, random location
//   "1004", "1005"     the "Threading" radio group: GUI thread, non-GUI thread
//   "1", "2"           the OK button (its text given by the subclass), "Cancel"
//
// Remembered values: each subclass keeps one ItemsDlgValues for the whole
// process. A new dialog starts from it; OK stores the controls' values into
// it, Cancel leaves it as it was, so the next dialog of the same kind starts
// from what the last one ended with.
//
// Input rules: the count edit takes only an optional minus sign and digits
// within the 32-bit range. OK with an empty or incomplete count ("-") does
// not close the dialog: it shows "Please enter an integer." under the edit
// and gives the edit the focus.
//
// Thread: GUI thread only.

#include <QDialog>

#include <cstdint>

class QButtonGroup;
class QLabel;
class QLineEdit;

namespace Quellon {

struct ItemsDlgValues {
    int32_t count = 1;
    int32_t position = 1; // 0 head, 1 tail, 2 random
    int32_t thread = 0;   // 0 GUI thread, 1 non-GUI thread
};

class CItemsDlg : public QDialog {
public:
    // The words that differ between the add and the remove dialog.
    struct Texts {
        const char* caption;
        const char* head;
        const char* tail;
        const char* random;
        const char* guiThread;
        const char* workerThread;
        const char* ok;
    };

    // `remembered` is the subclass's process-wide record. Not owned; outlives this.
    CItemsDlg(const Texts& texts, int32_t resourceId, ItemsDlgValues& remembered, QWidget* parent);
    ~CItemsDlg() override;

    // The values the dialog ended with (after OK: the controls'; otherwise
    // those it started from).
    int32_t GetCount() const { return m_values.count; }
    int32_t GetPosition() const { return m_values.position; }
    int32_t GetThread() const { return m_values.thread; }

    int32_t GetResourceId() const { return m_resourceId; }

    // Reads the controls; false (with the error shown) when the count is not
    // an integer. Then stores them as the result and in the remembered record
    // and closes with Accepted.
    void accept() override;

protected:
    // The count's edit takes the focus with its text selected, so that typing
    // replaces it.
    void showEvent(QShowEvent* event) override;

private:
    const int32_t m_resourceId;
    ItemsDlgValues& m_remembered; // Not owned; process-wide.
    ItemsDlgValues m_values;
    QLineEdit* m_count = nullptr;       // owned by this dialog (Qt child)
    QLabel* m_error = nullptr;          // owned by this dialog (Qt child)
    QButtonGroup* m_position = nullptr; // owned by this dialog (Qt child)
    QButtonGroup* m_thread = nullptr;   // owned by this dialog (Qt child)
};

// Parses a whole 32-bit integer: optional surrounding blanks, an optional
// sign, decimal digits. False for anything else or out of range.
bool ParseDialogInteger(const QString& text, int32_t* value);

} // namespace Quellon
