#include "platform/idle_hook.h"

#include <QAbstractEventDispatcher>

#include <utility>

namespace Brivel::Platform {

CIdleHook::CIdleHook(std::function<void()> onIdle)
    : m_onIdle(std::move(onIdle)), m_dispatcher(QAbstractEventDispatcher::instance())
{
    if (m_dispatcher && m_onIdle)
        m_connection = QObject::connect(m_dispatcher.data(), &QAbstractEventDispatcher::aboutToBlock,
                                        [this] { Run(); });
}

CIdleHook::~CIdleHook()
{
    if (m_dispatcher)
        QObject::disconnect(m_connection);
}

void CIdleHook::Run()
{
    if (m_running)
        return;
    m_running = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_running};
    m_onIdle();
}

} // namespace Brivel::Platform
