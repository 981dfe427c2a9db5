#pragma once
// CAboutDlg: the About box, "About Brivel Quellon": the application icon,
// the text "Brivel Quellon application" and an OK button ("1").
//
// Thread: GUI thread only.

#include <QDialog>

namespace Quellon {

class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace Quellon
