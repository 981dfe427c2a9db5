#include "platform/notify.h"

#include "platform/message_window.h"

#include <QCoreApplication>
#include <QThread>

#include <utility>

namespace Brivel::Platform {

QEvent::Type CNotifyEvent::EventType()
{
    static const auto type = static_cast<QEvent::Type>(RegisterMessage("Brivel.Notify"));
    return type;
}

CNotifyEvent* CNotifyEvent::FromEvent(QEvent* event)
{
    return event && event->type() == EventType() ? static_cast<CNotifyEvent*>(event) : nullptr;
}

LRESULT SendNotify(QObject* receiver, const CNotifyHeader& header)
{
    // sendEvent is a direct call: it must not reach into another thread's object.
    if (!receiver || receiver->thread() != QThread::currentThread())
        return 0;
    CNotifyEvent event(header);
    QCoreApplication::sendEvent(receiver, &event);
    return event.Result();
}

LRESULT CMessageWindow::SendNotify(int32_t code, CNotifyHeader& header) const
{
    header.window = GetSafeHwnd();
    header.controlId = m_controlId;
    header.code = code;
    header.codeAgain = code;
    return Platform::SendNotify(GetNotifyTarget(), header);
}

CNotifyReceiver::CNotifyReceiver(QObject& receiver, Handler handler)
    : m_receiver(&receiver), m_handler(std::move(handler))
{
    receiver.installEventFilter(this);
}

CNotifyReceiver::~CNotifyReceiver()
{
    if (QObject* receiver = m_receiver.data())
        receiver->removeEventFilter(this);
}

bool CNotifyReceiver::eventFilter(QObject* watched, QEvent* event)
{
    CNotifyEvent* notification = CNotifyEvent::FromEvent(event);
    if (!notification || watched != m_receiver.data() || !m_handler)
        return QObject::eventFilter(watched, event);
    notification->SetResult(m_handler(notification->Header()));
    return true;
}

} // namespace Brivel::Platform
