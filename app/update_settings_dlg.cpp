#include "app/update_settings_dlg.h"

#include "app/commands.h"
#include "app/items_dlg.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <limits>

namespace Quellon {

CUpdateSettingsDlg::CUpdateSettingsDlg(int32_t frequency, int32_t source, QWidget* parent)
    : QDialog(parent), m_frequency(frequency), m_source(source == 1 ? 1 : 0)
{
    setWindowTitle(QStringLiteral("Update items settings"));
    setObjectName(QString::number(kIddUpdateSettings));
    auto* layout = new QVBoxLayout(this); // owned by parent

    auto* frequencyRow = new QHBoxLayout; // owned by layout
    frequencyRow->addWidget(new QLabel(QStringLiteral("Frequency"))); // owned by parent
    m_frequencyEdit = new QLineEdit(QString::number(frequency));       // owned by parent
    m_frequencyEdit->setObjectName(QString::number(kIdcFrequency));
    m_frequencyEdit->setValidator(
        new QIntValidator(0, std::numeric_limits<int32_t>::max(), m_frequencyEdit)); // owned by parent
    frequencyRow->addWidget(m_frequencyEdit);
    frequencyRow->addWidget(new QLabel(QStringLiteral("upd/sec"))); // owned by parent
    layout->addLayout(frequencyRow);
    m_error = new QLabel(QStringLiteral("Please enter a number from 0 to 2147483647.")); // owned by parent
    m_error->setObjectName(QStringLiteral("error"));
    m_error->setStyleSheet(QStringLiteral("color: #c00000"));
    m_error->hide();
    layout->addWidget(m_error);

    auto* sourceBox = new QGroupBox(QStringLiteral("Source of updates")); // owned by parent
    auto* sourceLayout = new QVBoxLayout(sourceBox);                      // owned by parent
    m_guiButton = new QRadioButton(QStringLiteral("GUI thread"));         // owned by parent
    m_guiButton->setObjectName(QString::number(kIdcSourceGui));
    m_workerButton = new QRadioButton(QStringLiteral("non-GUI thread")); // owned by parent
    m_workerButton->setObjectName(QString::number(kIdcSourceWorker));
    sourceLayout->addWidget(m_guiButton);
    sourceLayout->addWidget(m_workerButton);
    (m_source == 1 ? m_workerButton : m_guiButton)->setChecked(true);
    layout->addWidget(sourceBox);

    auto* buttons = new QDialogButtonBox; // owned by parent
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QString::number(kIdOk));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QString::number(kIdCancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &CUpdateSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CUpdateSettingsDlg::reject);
    layout->addWidget(buttons);
}

CUpdateSettingsDlg::~CUpdateSettingsDlg() = default;

void CUpdateSettingsDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_frequencyEdit->setFocus(Qt::OtherFocusReason);
    m_frequencyEdit->selectAll();
}

void CUpdateSettingsDlg::accept()
{
    int32_t frequency = 0;
    if (!ParseDialogInteger(m_frequencyEdit->text(), &frequency) || frequency < 0) {
        m_error->show();
        m_frequencyEdit->setFocus();
        m_frequencyEdit->selectAll();
        return;
    }
    m_error->hide();
    m_frequency = frequency;
    m_source = m_workerButton->isChecked() ? 1 : 0;
    QDialog::accept();
}

} // namespace Quellon
