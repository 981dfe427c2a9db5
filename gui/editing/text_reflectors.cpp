#include "gui/editing/text_reflectors.h"

#include "gui/editing/numeric_edit.h"
#include "gui/editing/reflector_list.h"
#include "gui/grid/grid.h"
#include "gui/header/column.h"

#include "common/data_object.h"
#include "common/date_time_formats.h"
#include "common/enum_format.h"
#include "common/format.h"
#include "common/integer_formats.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>

namespace Brivel::GUI {

namespace {

bool IsNumericKind(Common::ValueKind kind)
{
    return (kind >= Common::KindChar && kind <= Common::KindInt64) || kind == Common::KindFloat ||
           kind == Common::KindDouble;
}

// The edit alignment: the column's, numbers right when it is automatic.
Qt::Alignment EditAlignment(const CColumn& column, Common::ValueKind kind)
{
    switch (column.GetAlignment()) {
    case CColumn::kAlignRight:
        return Qt::AlignRight | Qt::AlignVCenter;
    case CColumn::kAlignCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case CColumn::kAlignAuto:
        return (IsNumericKind(kind) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QString TextOf(const EditContext& context, const Common::CFormat& format)
{
    return QString::fromStdString(context.grid->GetCellText(context.item, context.column->GetId(), &format));
}

// The display format of a date-time edit for the date format's flags.
QString DateTimeDisplayFormat(int32_t flags)
{
    QString date;
    switch (flags & 0x0F) {
    case 1: date = QStringLiteral("yyyy"); break;
    case 2: date = QStringLiteral("yy"); break;
    case 4: date = QStringLiteral("MM"); break;
    case 5: date = QStringLiteral("MM/yyyy"); break;
    case 6: date = QStringLiteral("MM/yy"); break;
    case 8: date = QStringLiteral("dd"); break;
    case 12: date = QStringLiteral("dd/MM"); break;
    case 13: date = QStringLiteral("dd/MM/yyyy"); break;
    case 14: date = QStringLiteral("dd/MM/yy"); break;
    default: break;
    }
    QString time;
    switch (flags & 0xF0) {
    case 16: time = QStringLiteral("HH"); break;
    case 32: time = QStringLiteral("mm"); break;
    case 48: time = QStringLiteral("HH:mm"); break;
    case 64: time = QStringLiteral("ss"); break;
    case 96: time = QStringLiteral("mm:ss"); break;
    case 112: time = QStringLiteral("HH:mm:ss"); break;
    case 128: time = QStringLiteral("zzz"); break;
    case 192: time = QStringLiteral("ss.zzz"); break;
    case 224: time = QStringLiteral("mm:ss.zzz"); break;
    case 240: time = QStringLiteral("HH:mm:ss.zzz"); break;
    default: break;
    }
    if (!date.isEmpty() && !time.isEmpty())
        return date + u' ' + time;
    return date + time;
}

} // namespace

// ---- CDefaultReflector ----

CDefaultReflector::~CDefaultReflector()
{
    DestroyControl();
}

bool CDefaultReflector::IsSuitable(const Common::CFormat& /*format*/) const
{
    return true;
}

const Common::CFormat* CDefaultReflector::FallbackFormat(const EditContext& context) const
{
    return EditFormatOf(*context.object, *context.column);
}

QString CDefaultReflector::InitialText(const EditContext& context, const Common::CFormat& format) const
{
    return TextOf(context, format);
}

std::unique_ptr<QWidget> CDefaultReflector::MakeControl(const EditContext& context, const Common::CFormat& format,
                                                        const QString& text, QWidget* parent) const
{
    auto edit = std::make_unique<QLineEdit>(parent);
    edit->setAlignment(EditAlignment(*context.column, format.GetKind()));
    edit->setText(text);
    edit->selectAll();
    return edit;
}

bool CDefaultReflector::StartEdit(const EditContext& context, const Common::CFormat* format, int32_t /*trigger*/)
{
    if (context.grid == nullptr || context.item == nullptr || context.object == nullptr || context.column == nullptr)
        return false;
    DestroyControl(); // one cell at a time
    if (format == nullptr)
        format = FallbackFormat(context);
    if (format == nullptr)
        return false;
    std::unique_ptr<QWidget> control = MakeControl(context, *format, InitialText(context, *format), context.grid);
    control->setObjectName(QStringLiteral("brivel-cell-editor"));
    control->setFont(context.grid->GetGridFont());
    m_control = control.release(); // Qt child of the grid; deleted by EndEdit
    if (!context.grid->PlaceEditor(m_control, context.item, context.column->GetId())) {
        DestroyControl(); // a control that cannot be placed does not stay
        return false;
    }
    return true;
}

bool CDefaultReflector::OnKeyAction(const EditContext& /*context*/, int32_t action)
{
    const auto* const edit = qobject_cast<const QLineEdit*>(m_control.data());
    if (edit == nullptr)
        return true;
    switch (action) {
    case kActionLeft:
        return !edit->hasSelectedText() && edit->cursorPosition() == 0;
    case kActionRight:
        return !edit->hasSelectedText() && edit->cursorPosition() >= edit->text().size();
    case kActionSelectText:
        return false;
    default:
        return true;
    }
}

QString CDefaultReflector::GetControlText() const
{
    const auto* const edit = qobject_cast<const QLineEdit*>(m_control.data());
    return edit != nullptr ? edit->text() : QString();
}

bool CDefaultReflector::SetControlText(const QString& text)
{
    auto* const edit = qobject_cast<QLineEdit*>(m_control.data());
    if (edit == nullptr)
        return false;
    edit->setText(text);
    edit->setCursorPosition(static_cast<int>(text.size()));
    return true;
}

bool CDefaultReflector::Commit(const EditContext& context, bool announce)
{
    if (m_control.isNull() || context.object == nullptr || context.column == nullptr || context.grid == nullptr)
        return false;
    return context.grid->SetCellText(context.item, context.column->GetId(), GetControlText().toStdString(), nullptr,
                                     announce);
}

bool CDefaultReflector::EndEdit(CGrid* /*grid*/, CGridItem* /*item*/, CColumn* /*column*/)
{
    if (m_control.isNull())
        return false;
    DestroyControl();
    return true;
}

void CDefaultReflector::DestroyControl()
{
    if (QWidget* const control = m_control.data()) {
        m_control.clear();
        control->hide();
        // Later: the control may be inside one of its own events right now.
        control->deleteLater();
    }
}

// ---- The numeric family ----

CNumericReflector::CNumericReflector(Common::ValueKind kind, std::string_view ownTypeName, std::string_view stripSet)
    : m_kind(kind), m_ownTypeName(ownTypeName),
      m_stripSet(QString::fromLatin1(stripSet.data(), static_cast<qsizetype>(stripSet.size())))
{
}

bool CNumericReflector::IsSuitable(const Common::CFormat& format) const
{
    return format.GetKind() == m_kind;
}

bool CNumericReflector::IsUnsigned() const
{
    return m_kind == Common::KindUChar || m_kind == Common::KindUShort || m_kind == Common::KindULong;
}

const Common::CFormat* CNumericReflector::FallbackFormat(const EditContext& /*context*/) const
{
    return &Common::GetDefaultFormat(m_kind);
}

int32_t CNumericReflector::ModeFor(const Common::CFormat& format) const
{
    if (m_kind == Common::KindFloat || m_kind == Common::KindDouble)
        return CNumericEdit::kReal;
    const bool own = !m_ownTypeName.empty() && format.GetTypeName() == m_ownTypeName;
    if (m_kind == Common::KindChar || m_kind == Common::KindUChar) {
        if (!own)
            return CNumericEdit::kCharacter;
        const int32_t mode = m_kind == Common::KindChar
                                 ? static_cast<const Common::CCharFormat&>(format).GetMode()
                                 : static_cast<const Common::CUCharFormat&>(format).GetMode();
        return mode == Common::ByteModeHexadecimal ? CNumericEdit::kHexadecimal
               : mode == Common::ByteModeDecimal   ? CNumericEdit::kDecimal
                                                   : CNumericEdit::kCharacter;
    }
    bool hexadecimal = false;
    if (own) {
        switch (m_kind) {
        case Common::KindShort:
            hexadecimal = static_cast<const Common::CShortFormat&>(format).IsHexadecimal();
            break;
        case Common::KindUShort:
            hexadecimal = static_cast<const Common::CUShortFormat&>(format).IsHexadecimal();
            break;
        case Common::KindLong:
            hexadecimal = static_cast<const Common::CLongFormat&>(format).IsHexadecimal();
            break;
        case Common::KindULong:
            hexadecimal = static_cast<const Common::CULongFormat&>(format).IsHexadecimal();
            break;
        case Common::KindInt64:
            hexadecimal = static_cast<const Common::CInt64Format&>(format).IsHexadecimal();
            break;
        default:
            break;
        }
    }
    return hexadecimal ? CNumericEdit::kHexadecimal : CNumericEdit::kDecimal;
}

QString CNumericReflector::InitialText(const EditContext& context, const Common::CFormat& format) const
{
    QString text = TextOf(context, format);
    if (ModeFor(format) == CNumericEdit::kCharacter)
        return text;
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text)
        if (m_stripSet.contains(c))
            kept.append(c);
    return kept;
}

std::unique_ptr<QWidget> CNumericReflector::MakeControl(const EditContext& context, const Common::CFormat& format,
                                                        const QString& text, QWidget* parent) const
{
    auto edit = std::make_unique<CNumericEdit>(static_cast<CNumericEdit::Mode>(ModeFor(format)), !IsUnsigned(), parent);
    edit->setAlignment(EditAlignment(*context.column, format.GetKind()));
    edit->setText(text);
    edit->selectAll();
    return edit;
}

// ---- Enumerations ----

bool CLongEnumReflector::IsSuitable(const Common::CFormat& format) const
{
    return format.GetKind() == Common::KindLong && format.IsEnumeration();
}

std::unique_ptr<QWidget> CLongEnumReflector::MakeControl(const EditContext& /*context*/, const Common::CFormat& format,
                                                         const QString& text, QWidget* parent) const
{
    auto combo = std::make_unique<QComboBox>(parent);
    Common::CLongEnumFormat::ItemList items;
    if (const auto* const enumeration = dynamic_cast<const Common::CLongEnumFormat*>(&format))
        enumeration->GetItems(items);
    for (const auto& [value, word] : items)
        combo->addItem(QString::fromStdString(word), value);
    const int current = combo->findText(text);
    combo->setCurrentIndex(current >= 0 ? current : 0);
    return combo;
}

bool CLongEnumReflector::OnKeyAction(const EditContext& /*context*/, int32_t action)
{
    // The list moves its own choice with the arrow keys.
    return action != kActionUp && action != kActionDown && action != kActionSelectText;
}

QString CLongEnumReflector::GetControlText() const
{
    const auto* const combo = qobject_cast<const QComboBox*>(GetControl());
    return combo != nullptr ? combo->currentText() : QString();
}

bool CLongEnumReflector::SetControlText(const QString& text)
{
    auto* const combo = qobject_cast<QComboBox*>(GetControl());
    if (combo == nullptr)
        return false;
    // Typing picks the first word that starts with the typed text.
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).startsWith(text, Qt::CaseInsensitive)) {
            combo->setCurrentIndex(i);
            return true;
        }
    }
    return false; // no word starts so: the choice stays
}

// ---- Dates and times ----

bool CDateTimeReflector::IsSuitable(const Common::CFormat& format) const
{
    return format.GetKind() == m_kind && format.IsDateTime() && dynamic_cast<const Common::CDateFormatBase*>(&format);
}

std::unique_ptr<QWidget> CDateTimeReflector::MakeControl(const EditContext& /*context*/, const Common::CFormat& format,
                                                         const QString& text, QWidget* parent) const
{
    const int32_t flags = static_cast<const Common::CDateFormatBase&>(format).GetDisplayFlags();
    const QString display = DateTimeDisplayFormat(flags);
    auto edit = std::make_unique<QDateTimeEdit>(parent);
    edit->setDisplayFormat(display);
    edit->setCalendarPopup((flags & 0x0F) != 0);
    QDateTime value = QDateTime::fromString(text, display);
    if (value.isValid() && display.contains(QStringLiteral("yy")) && !display.contains(QStringLiteral("yyyy")) &&
        value.date().year() < 1970)
        value = value.addYears(100); // two-digit years below 70 are 20YY, as the format reads them
    if (value.isValid())
        edit->setDateTime(value);
    return edit;
}

bool CDateTimeReflector::OnKeyAction(const EditContext& /*context*/, int32_t action)
{
    // The arrows step and move between the sections of the date and time.
    return action != kActionUp && action != kActionDown && action != kActionLeft && action != kActionRight &&
           action != kActionSelectText;
}

bool CDateTimeReflector::SetControlText(const QString& /*text*/)
{
    return false; // a date is picked, not typed over
}

// ---- Durations ----

CLongMsecTimeReflector::CLongMsecTimeReflector() : CNumericReflector(Common::KindLong, "", "0123456789:.,") {}

bool CLongMsecTimeReflector::IsSuitable(const Common::CFormat& format) const
{
    return format.GetKind() == Common::KindLong && format.GetTypeName() == Common::CLongMsecTimeFormat::TypeName;
}

int32_t CLongMsecTimeReflector::ModeFor(const Common::CFormat& format) const
{
    const auto* const duration = dynamic_cast<const Common::CLongMsecTimeFormat*>(&format);
    return duration != nullptr && (duration->GetFlags() & Common::DurationMilliseconds) != 0 ? CNumericEdit::kTimeFraction
                                                                                            : CNumericEdit::kTime;
}

} // namespace Brivel::GUI
