#pragma once
// CUpdateSettingsDlg: "Update items settings", the dialog of the update
// stream: its frequency and the thread it runs on.
//
// Controls (object names are the control ids, see commands.h):
//   "1006"   the "Frequency" edit, followed by the unit label "upd/sec":
//            whole numbers 0 .. 2 147 483 647 only
//   "1007"   "GUI thread" and "1002" "non-GUI thread", the radio group
//            "Source of updates"
//   "1", "2" "OK", "Cancel"
//
// The dialog starts from the frame's current values (source 1 checks
// "non-GUI thread", any other source "GUI thread") and remembers nothing
// itself. OK with an empty, negative or out-of-range frequency does not close
// the dialog: it shows "Please enter a number from 0 to 2147483647." and
// gives the edit the focus. A negative frequency would be read as an unsigned
// rate of about four billion updates per second, which no update step could
// ever catch up with.
//
// Thread: GUI thread only.

#include <QDialog>

#include <cstdint>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace Quellon {

class CUpdateSettingsDlg : public QDialog {
public:
    CUpdateSettingsDlg(int32_t frequency, int32_t source, QWidget* parent = nullptr);
    ~CUpdateSettingsDlg() override;

    // After OK: the controls' values; otherwise the starting values (with
    // the source given as 0 or 1).
    int32_t GetFrequency() const { return m_frequency; }
    // 1 when "non-GUI thread" was chosen, else 0.
    int32_t GetSource() const { return m_source; }

    void accept() override;

protected:
    // The frequency's edit takes the focus with its text selected.
    void showEvent(QShowEvent* event) override;

private:
    int32_t m_frequency;
    int32_t m_source;
    QLineEdit* m_frequencyEdit = nullptr; // owned by this dialog (Qt child)
    QLabel* m_error = nullptr;            // owned by this dialog (Qt child)
    QRadioButton* m_guiButton = nullptr;  // owned by this dialog (Qt child)
    QRadioButton* m_workerButton = nullptr; // owned by this dialog (Qt child)
};

} // namespace Quellon
