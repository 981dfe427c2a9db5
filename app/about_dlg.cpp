#include "app/about_dlg.h"

#include "app/commands.h"
#include "app/toolbar_icons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quellon {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Brivel Quellon"));
    setObjectName(QString::number(kIddAboutBox));
    const QIcon icon = MakeApplicationIcon();
    setWindowIcon(icon);
    auto* layout = new QVBoxLayout(this); // owned by parent
    auto* row = new QHBoxLayout;          // owned by layout
    auto* iconLabel = new QLabel;         // owned by parent
    iconLabel->setPixmap(icon.pixmap(32, 32));
    row->addWidget(iconLabel);
    auto* text = new QLabel(QStringLiteral("Brivel Quellon application")); // owned by parent
    text->setObjectName(QStringLiteral("text"));
    row->addWidget(text, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox; // owned by parent
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QString::number(kIdOk));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace Quellon
