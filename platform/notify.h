#pragma once
// Notifications from a window to its owner, else its parent: a fixed header
// record, sent synchronously as a CNotifyEvent with QCoreApplication::sendEvent,
// and CNotifyReceiver, the receiver-side helper that hands them to a callback.
//
// Sender side: fill a record that starts with CNotifyHeader (derive from it:
// `struct CMyNotify : CNotifyHeader { ... };`) and call
// CMessageWindow::SendNotify(code, record), which fills the header and sends it
// to the owner when one is set and alive, else to the window's parent.
// Receiver side: either install a CNotifyReceiver on the receiving object, or
// handle the event in event() through CNotifyEvent::FromEvent.
//
// The record lives on the sender's stack for the duration of the call: a
// receiver that needs it later copies what it needs.
//
// Thread: GUI thread only (the sender's and the receiver's common thread:
// notifications are synchronous calls on one thread).

#include "platform/message_types.h"

#include <QEvent>
#include <QObject>
#include <QPointer>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace Brivel::Platform {

// The fixed body every notification starts with. The original record packs
// these as 32-bit words; here the handle, the control id and the source
// pointer take native width and the field order stays:
//
//   offset  size  field
//        0     8  window     the sending window's handle
//        8     8  controlId  the sending window's control id (also WPARAM)
//       16     4  code       the event code
//       20     4  codeAgain  the event code again, as the record carries it twice
//       24     8  source     an opaque pointer the sender chooses (the grid: its
//                            public object); the sender's record goes on after it
struct CNotifyHeader {
    HWND window{}; // the sending window's handle
    uintptr_t controlId = 0; // the sending window's control id
    int32_t code = 0; // the event code
    int32_t codeAgain = 0; // the event code again
    void* source = nullptr; // an opaque pointer the sender chooses
};
static_assert(offsetof(CNotifyHeader, window) == 0);
static_assert(offsetof(CNotifyHeader, controlId) == 8);
static_assert(offsetof(CNotifyHeader, code) == 16);
static_assert(offsetof(CNotifyHeader, codeAgain) == 20);
static_assert(offsetof(CNotifyHeader, source) == 24);
static_assert(sizeof(CNotifyHeader) == 32, "notification layout is fixed; see the table above");

// The event that carries a notification. Its type is the registered message
// "Brivel.Notify".
class CNotifyEvent : public QEvent {
public:
    // An event carrying `header` (borrowed: the sender's record).
    explicit CNotifyEvent(const CNotifyHeader& header) : QEvent(EventType()), m_header(header) {}

    static QEvent::Type EventType(); // the registered type of notification events
    // The event as a notification, or null when it is some other event.
    static CNotifyEvent* FromEvent(QEvent* event);

    // The sender's record; valid during the delivery only.
    const CNotifyHeader& Header() const { return m_header; }
    LRESULT Result() const { return m_result; } // the receiver's answer; 0 until set
    void SetResult(LRESULT result) { m_result = result; } // the receiver answers

private:
    const CNotifyHeader& m_header; // Not owned; the sender's record, alive while the event is sent.
    LRESULT m_result = 0;
};

// Sends the notification to `receiver` and returns the result it set; 0, and
// nothing sent, when the receiver is null or lives on another thread.
LRESULT SendNotify(QObject* receiver, const CNotifyHeader& header);

// Receives the notifications sent to one object and hands them to a callback,
// whose result becomes the notification's result. Installs itself as an event
// filter of the receiver for its lifetime; the notifications it takes go no
// further. Owned by whoever creates it; borrows the receiver (tracked, so the
// receiver may go first).
class CNotifyReceiver : public QObject {
public:
    using Handler = std::function<LRESULT(const CNotifyHeader&)>; // answers one notification

    // Starts receiving the notifications sent to `receiver`.
    CNotifyReceiver(QObject& receiver, Handler handler);
    ~CNotifyReceiver() override;

    CNotifyReceiver(const CNotifyReceiver&) = delete;
    CNotifyReceiver& operator=(const CNotifyReceiver&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override; // takes the notifications, lets the rest through

private:
    QPointer<QObject> m_receiver; // Not owned.
    Handler m_handler;
};

} // namespace Brivel::Platform
