#include "platform/popup_window.h"

#include <QGuiApplication>
#include <QScreen>

namespace Brivel::Platform {

CPopupWindow::CPopupWindow(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                         Qt::WindowTransparentForInput)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void CPopupWindow::ShowAt(const QRect& screenRect)
{
    setGeometry(screenRect);
    if (!isVisible())
        show(); // a tooltip window comes up above the others by its type
    update();
}

QRect GetVirtualScreenRect()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect();
}

} // namespace Brivel::Platform
