#include "platform/clipboard.h"

#include "platform/clipboard_format.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace Brivel::Platform {

namespace {

QClipboard* ApplicationClipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr ? QGuiApplication::clipboard()
                                                                                   : nullptr;
}

} // namespace

CSystemClipboard::CSystemClipboard() = default;

CSystemClipboard::~CSystemClipboard() = default;

bool CSystemClipboard::Open()
{
    if (m_pending != nullptr || ApplicationClipboard() == nullptr)
        return false;
    m_pending = std::make_unique<QMimeData>();
    m_placed = false;
    return true;
}

void CSystemClipboard::Empty()
{
    if (m_pending == nullptr)
        return;
    m_pending = std::make_unique<QMimeData>();
    m_placed = false;
}

bool CSystemClipboard::SetData(uint32_t format, const QByteArray& bytes)
{
    if (m_pending == nullptr || !SetClipboardFormatData(*m_pending, format, bytes))
        return false;
    m_placed = true;
    return true;
}

void CSystemClipboard::Close()
{
    std::unique_ptr<QMimeData> data = std::move(m_pending);
    if (data == nullptr || !m_placed)
        return;
    m_placed = false;
    if (QClipboard* const clipboard = ApplicationClipboard())
        clipboard->setMimeData(data.release()); // QClipboard takes it over
}

QByteArray CSystemClipboard::GetData(uint32_t format)
{
    QClipboard* const clipboard = ApplicationClipboard();
    const QMimeData* const data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    return data != nullptr ? GetClipboardFormatData(*data, format) : QByteArray();
}

} // namespace Brivel::Platform
