#include "platform/sys_color.h"

#include <QGuiApplication>
#include <QPalette>

namespace Brivel::Platform {

namespace {

bool PaletteRole(int index, QPalette::ColorGroup& group, QPalette::ColorRole& role)
{
    group = QPalette::Active;
    switch (index) {
    case COLOR_WINDOW:
        role = QPalette::Base;
        return true;
    case COLOR_WINDOWFRAME:
        role = QPalette::Shadow;
        return true;
    case COLOR_WINDOWTEXT:
        role = QPalette::WindowText;
        return true;
    case COLOR_HIGHLIGHT:
        role = QPalette::Highlight;
        return true;
    case COLOR_HIGHLIGHTTEXT:
        role = QPalette::HighlightedText;
        return true;
    case COLOR_BTNFACE:
        role = QPalette::Button;
        return true;
    case COLOR_BTNSHADOW:
        role = QPalette::Dark;
        return true;
    case COLOR_GRAYTEXT:
        group = QPalette::Disabled;
        role = QPalette::Text;
        return true;
    case COLOR_BTNTEXT:
        role = QPalette::ButtonText;
        return true;
    case COLOR_BTNHIGHLIGHT:
        role = QPalette::Light;
        return true;
    case COLOR_3DDKSHADOW:
        role = QPalette::Shadow;
        return true;
    case COLOR_3DLIGHT:
        role = QPalette::Midlight;
        return true;
    case COLOR_INFOTEXT:
        role = QPalette::ToolTipText;
        return true;
    case COLOR_INFOBK:
        role = QPalette::ToolTipBase;
        return true;
    case COLOR_ACTIVEBORDER:
        role = QPalette::Mid;
        return true;
    default:
        return false;
    }
}

} // namespace

COLORREF GetDefaultSysColor(int index)
{
    switch (index) {
    case COLOR_WINDOW:
        return RGB(255, 255, 255);
    case COLOR_WINDOWFRAME:
        return RGB(100, 100, 100);
    case COLOR_WINDOWTEXT:
        return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT:
        return RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT:
        return RGB(255, 255, 255);
    case COLOR_BTNFACE:
        return RGB(240, 240, 240);
    case COLOR_BTNSHADOW:
        return RGB(160, 160, 160);
    case COLOR_GRAYTEXT:
        return RGB(109, 109, 109);
    case COLOR_BTNTEXT:
        return RGB(0, 0, 0);
    case COLOR_BTNHIGHLIGHT:
        return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW:
        return RGB(105, 105, 105);
    case COLOR_3DLIGHT:
        return RGB(227, 227, 227);
    case COLOR_INFOTEXT:
        return RGB(0, 0, 0);
    case COLOR_INFOBK:
        return RGB(255, 255, 225);
    case COLOR_ACTIVEBORDER:
        return RGB(180, 180, 180);
    default:
        return 0;
    }
}

COLORREF GetSysColor(int index)
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    if (!PaletteRole(index, group, role))
        return 0;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr || QCoreApplication::closingDown())
        return GetDefaultSysColor(index);
    const QColor color = QGuiApplication::palette().color(group, role);
    return color.isValid() ? FromQColor(color) : GetDefaultSysColor(index);
}

} // namespace Brivel::Platform
