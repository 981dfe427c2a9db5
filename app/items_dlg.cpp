#include "app/items_dlg.h"

#include "app/commands.h"

#include <QButtonGroup>
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

namespace {

QRadioButton* AddRadio(QButtonGroup* group, QVBoxLayout* layout, const char* text, int32_t controlId, int index)
{
    auto* button = new QRadioButton(QString::fromUtf8(text)); // owned by parent once laid out
    button->setObjectName(QString::number(controlId));
    group->addButton(button, index);
    layout->addWidget(button);
    return button;
}

} // namespace

bool ParseDialogInteger(const QString& text, int32_t* value)
{
    bool ok = false;
    const qlonglong parsed = text.trimmed().toLongLong(&ok, 10);
    if (!ok || parsed < std::numeric_limits<int32_t>::min() || parsed > std::numeric_limits<int32_t>::max())
        return false;
    *value = static_cast<int32_t>(parsed);
    return true;
}

CItemsDlg::CItemsDlg(const Texts& texts, int32_t resourceId, ItemsDlgValues& remembered, QWidget* parent)
    : QDialog(parent), m_resourceId(resourceId), m_remembered(remembered), m_values(remembered)
{
    setWindowTitle(QString::fromUtf8(texts.caption));
    setObjectName(QString::number(resourceId));
    auto* layout = new QVBoxLayout(this); // owned by parent

    auto* countRow = new QHBoxLayout; // owned by layout
    countRow->addWidget(new QLabel(QStringLiteral("Count"))); // owned by parent
    m_count = new QLineEdit(QString::number(m_values.count)); // owned by parent
    m_count->setObjectName(QString::number(kIdcCount));
    m_count->setValidator(new QIntValidator(std::numeric_limits<int32_t>::min(),
                                            std::numeric_limits<int32_t>::max(), m_count)); // owned by parent
    countRow->addWidget(m_count);
    layout->addLayout(countRow);
    m_error = new QLabel(QStringLiteral("Please enter an integer.")); // owned by parent
    m_error->setObjectName(QStringLiteral("error"));
    m_error->setStyleSheet(QStringLiteral("color: #c00000"));
    m_error->hide();
    layout->addWidget(m_error);

    auto* positionBox = new QGroupBox(QStringLiteral("Position")); // owned by parent
    auto* positionLayout = new QVBoxLayout(positionBox);           // owned by parent
    m_position = new QButtonGroup(this);                           // owned by parent
    AddRadio(m_position, positionLayout, texts.head, kIdcPositionHead, 0);
    AddRadio(m_position, positionLayout, texts.tail, kIdcPositionTail, 1);
    AddRadio(m_position, positionLayout, texts.random, kIdcPositionRandom, 2);
    layout->addWidget(positionBox);

    auto* threadBox = new QGroupBox(QStringLiteral("Threading")); // owned by parent
    auto* threadLayout = new QVBoxLayout(threadBox);              // owned by parent
    m_thread = new QButtonGroup(this);                            // owned by parent
    AddRadio(m_thread, threadLayout, texts.guiThread, kIdcThreadGui, 0);
    AddRadio(m_thread, threadLayout, texts.workerThread, kIdcThreadWorker, 1);
    layout->addWidget(threadBox);

    // A remembered index outside a group checks no button, as a radio group
    // given an out-of-range value does; reading it back then gives -1.
    if (QAbstractButton* button = m_position->button(m_values.position))
        button->setChecked(true);
    if (QAbstractButton* button = m_thread->button(m_values.thread))
        button->setChecked(true);

    auto* buttons = new QDialogButtonBox; // owned by parent
    QPushButton* ok = buttons->addButton(QString::fromUtf8(texts.ok), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QString::number(kIdOk));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QString::number(kIdCancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &CItemsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CItemsDlg::reject);
    layout->addWidget(buttons);
}

CItemsDlg::~CItemsDlg() = default;

void CItemsDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_count->setFocus(Qt::OtherFocusReason);
    m_count->selectAll();
}

void CItemsDlg::accept()
{
    int32_t count = 0;
    if (!ParseDialogInteger(m_count->text(), &count)) {
        m_error->show();
        m_count->setFocus();
        m_count->selectAll();
        return;
    }
    m_error->hide();
    m_values.count = count;
    m_values.position = m_position->checkedId();
    m_values.thread = m_thread->checkedId();
    m_remembered = m_values;
    QDialog::accept();
}

} // namespace Quellon
