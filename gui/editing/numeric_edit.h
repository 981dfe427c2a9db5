#pragma once
// CNumericEdit: a single-line edit that lets through only what its mode
// allows. It records its text and selection before every key press and
// checks the text after every change the user makes; a text that fails the
// mode's tests is replaced by the recorded one (selection included), so a
// forbidden character never shows.
//
// Modes (characters allowed besides the digits 0-9):
//   0  no character check
//   1  decimal integer            none
//   2  hexadecimal integer        a-f A-F x X
//   3  one character              (any; the control keeps the last one typed)
//   4  real number                . , e d E D - +
//   5  time with colons           :
//   6  time with colons, fractions : . ,
// Tests on the text without one leading "-" (modes other than 3): it may
// not hold both "." and ",", nor "." twice; in modes 1-6, no character
// outside the mode's set. Further, a sign is refused where it cannot stand:
// "-" anywhere but the start in modes 1, 2, 5 and 6, and in mode 4 a sign
// anywhere but the start or right after the exponent letter; mode 4 refuses
// a second comma; and a control made for an unsigned value refuses "-".
//
// Ownership: a Qt child of the widget given as parent.
// Thread: GUI thread only.

#include <QLineEdit>

#include <cstdint>

namespace Brivel::GUI {

class CNumericEdit : public QLineEdit {
public:
    // What the edit lets through (see the top of this file).
    enum Mode : int32_t {
        kAny = 0,
        kDecimal = 1,
        kHexadecimal = 2,
        kCharacter = 3,
        kReal = 4,
        kTime = 5,
        kTimeFraction = 6,
    };

    CNumericEdit(Mode mode, bool allowMinus, QWidget* parent = nullptr); // `allowMinus`: a sign may be typed

    Mode GetMode() const { return m_mode; } // as constructed
    // Whether `text` passes the mode's tests.
    bool IsAcceptable(const QString& text) const;

protected:
    void keyPressEvent(QKeyEvent* event) override; // filters what is typed

private:
    void Record();
    void OnTextEdited(const QString& text);

    const Mode m_mode;
    const bool m_allowMinus;
    QString m_savedText;
    int m_savedStart = 0;  // the recorded selection's start (the cursor when none)
    int m_savedLength = 0; // its length
    bool m_restoring = false;
};

} // namespace Brivel::GUI
