#include "gui/dragdrop/drag_payload.h"

#include "platform/clipboard_format.h"

#include <QMimeData>

namespace Brivel::GUI {

namespace {

QByteArray RenderedBytes(const IClipboardFormat& format, const CGrid& source, uint64_t value)
{
    QByteArray bytes(static_cast<qsizetype>(format.GetSize()), '\0');
    format.CopyTo(std::as_writable_bytes(std::span<char>(bytes.data(), static_cast<size_t>(bytes.size()))), &source,
                  LocalClipboardData::kDragged, value);
    return bytes;
}

} // namespace

std::unique_ptr<QMimeData> MakeDragMimeData(const CGrid& source, std::span<CGridItem* const> rows,
                                            std::span<CColumn* const> columns)
{
    if (rows.empty())
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    CLocalDataFormat local;
    local.Render(rows, columns);
    if (local.GetSize() == 0)
        return nullptr;
    Platform::SetClipboardFormatData(*data, local.GetFormatId(), RenderedBytes(local, source, columns.size()));
    CTextClipboardFormat text;
    text.Render(rows, columns);
    if (text.GetSize() != 0)
        Platform::SetClipboardFormatData(*data, text.GetFormatId(), RenderedBytes(text, source, columns.size()));
    return data;
}

DragPayload ReadDragPayload(const QMimeData& data)
{
    DragPayload payload;
    const CLocalDataFormat local;
    const QByteArray record = Platform::GetClipboardFormatData(data, local.GetFormatId());
    if (!record.isEmpty())
        payload.hasLocal = local.Parse(
            std::as_bytes(std::span<const char>(record.constData(), static_cast<size_t>(record.size()))),
            payload.local);
    if (data.hasText())
        payload.text = data.text().toStdString();
    return payload;
}

} // namespace Brivel::GUI
