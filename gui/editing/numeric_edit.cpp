#include "gui/editing/numeric_edit.h"

#include <QKeyEvent>

namespace Brivel::GUI {

namespace {

QStringView ExtraCharacters(CNumericEdit::Mode mode)
{
    switch (mode) {
    case CNumericEdit::kHexadecimal:
        return u"abcdefABCDEFxX";
    case CNumericEdit::kReal:
        return u".,edED-+";
    case CNumericEdit::kTime:
        return u":";
    case CNumericEdit::kTimeFraction:
        return u":.,";
    default:
        return u"";
    }
}

bool IsExponentLetter(QChar c)
{
    return c == u'e' || c == u'E' || c == u'd' || c == u'D';
}

} // namespace

CNumericEdit::CNumericEdit(Mode mode, bool allowMinus, QWidget* parent)
    : QLineEdit(parent), m_mode(mode), m_allowMinus(allowMinus)
{
    // Only the user's edits are checked: text set by the program is taken as it is.
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) { OnTextEdited(text); });
}

bool CNumericEdit::IsAcceptable(const QString& text) const
{
    if (m_mode == kCharacter)
        return text.size() <= 1;
    QStringView body(text);
    if (body.startsWith(u'-')) {
        if (!m_allowMinus)
            return false;
        body = body.mid(1);
    }
    if (body.contains(u'.') && body.contains(u','))
        return false;
    if (body.count(u'.') > 1)
        return false;
    if (m_mode == kAny)
        return true;
    const QStringView extra = ExtraCharacters(m_mode);
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (c >= u'0' && c <= u'9')
            continue;
        if (!extra.contains(c))
            return false;
        if (m_mode == kReal && (c == u'-' || c == u'+') && !(i > 0 && IsExponentLetter(body[i - 1])))
            return false; // a sign stands first or right after the exponent letter
    }
    if (m_mode == kReal && body.count(u',') > 1)
        return false;
    return true;
}

void CNumericEdit::Record()
{
    m_savedText = text();
    if (hasSelectedText()) {
        m_savedStart = selectionStart();
        m_savedLength = static_cast<int>(selectedText().size());
    } else {
        m_savedStart = cursorPosition();
        m_savedLength = 0;
    }
}

void CNumericEdit::keyPressEvent(QKeyEvent* event)
{
    Record();
    QLineEdit::keyPressEvent(event);
}

void CNumericEdit::OnTextEdited(const QString& edited)
{
    if (m_restoring)
        return;
    if (m_mode == kCharacter && edited.size() > 1) {
        // The control shows the last character typed.
        const QString last = edited.mid(cursorPosition() > 0 ? cursorPosition() - 1 : edited.size() - 1, 1);
        m_restoring = true;
        setText(last);
        m_restoring = false;
        Record();
        return;
    }
    if (!IsAcceptable(edited)) {
        m_restoring = true;
        setText(m_savedText);
        if (m_savedLength > 0)
            setSelection(m_savedStart, m_savedLength);
        else
            setCursorPosition(m_savedStart);
        m_restoring = false;
        return;
    }
    Record();
}

} // namespace Brivel::GUI
