#include "gui/header/column.h"

#include "gui/paint/paint_format_registry.h"

#include "common/common_exception.h"
#include "common/format.h"
#include "common/format_envelope.h"
#include "platform/archive.h"

#include <cstddef>
#include <utility>

namespace Brivel::GUI {

BRIVEL_IMPLEMENT_RUNTIME_CLASS(CColumn, Platform::CObject, "CColumn", 1)

namespace {

// The format envelope's writer and reader over a CArchive: its byte and int
// items map to the archive's little-endian integers, its framework string to
// the archive's byte string.
class CArchiveEnvelopeIo {
public:
    explicit CArchiveEnvelopeIo(Platform::CArchive& ar) : m_ar(ar) {}

    void WriteUInt8(uint8_t value) { m_ar << value; }
    void WriteCString(const Common::CString& text) { m_ar.WriteString(text.View()); }
    void WriteInt32(int32_t value) { m_ar << value; }
    void WriteBytes(const void* bytes, std::ptrdiff_t count) { m_ar.Write(bytes, static_cast<size_t>(count)); }

    uint8_t ReadUInt8() { return m_ar.ReadByte(); }
    Common::CString ReadCString() { return Common::CString(m_ar.ReadString()); }
    int32_t ReadInt32() { return m_ar.ReadInt32(); }
    void ReadBytes(void* bytes, std::ptrdiff_t count) { m_ar.ReadExact(bytes, static_cast<size_t>(count)); }

private:
    Platform::CArchive& m_ar; // Not owned; outlives this.
};

// Stores a paint format as an int32 presence flag, then its class name and
// its own state.
template <class PaintFormat>
void StorePaintFormat(Platform::CArchive& ar, PaintFormat* format)
{
    if (format == nullptr || !format->IsSerializable()) {
        ar << int32_t(0);
        return;
    }
    ar << int32_t(1);
    ar.WriteString(format->GetClassName());
    format->Serialize(ar);
}

template <class Interface>
std::unique_ptr<Interface> LoadPaintFormat(Platform::CArchive& ar, const char* what)
{
    if (ar.ReadInt32() == 0)
        return nullptr;
    const std::string name = ar.ReadString();
    std::unique_ptr<Interface> format = CreatePaintFormat<Interface>(name);
    if (!format)
        Platform::CArchive::Throw(Platform::CArchiveException::kBadSchema,
                                  std::string("column: unknown ") + what + " \"" + name + "\"");
    format->Serialize(ar);
    return format;
}

} // namespace

// ---- Construction and destruction ----

CColumn::CColumn() = default;

CColumn::CColumn(int32_t id, std::string caption, int32_t width, int32_t alignment, bool editable, int32_t cellImage,
                 int32_t headerImage, std::unique_ptr<Common::CFormat> format,
                 std::unique_ptr<ICellPaintFormat> cellPaintFormat,
                 std::unique_ptr<IColumnPaintFormat> columnPaintFormat, std::string extraText)
    : m_id(id), m_width(width), m_alignment(alignment), m_cellImage(cellImage), m_headerImage(headerImage),
      m_editable(editable), m_caption(std::move(caption)), m_extraText(std::move(extraText)),
      m_format(std::move(format)), m_cellPaintFormat(std::move(cellPaintFormat)),
      m_columnPaintFormat(std::move(columnPaintFormat))
{
}

CColumn::~CColumn()
{
    // Subscribers hear of the end while everything is still readable.
    Notify(INotify::kDestroyed);
    m_format.reset();
    m_cellPaintFormat.reset();
    m_columnPaintFormat.reset();
}

// ---- Reads ----

int32_t CColumn::GetId() const { return Read(m_id); }
std::string CColumn::GetCaption() const { return Read(m_caption); }
int32_t CColumn::GetWidth() const { return Read(m_width); }
int32_t CColumn::GetAlignment() const { return Read(m_alignment); }
int32_t CColumn::GetCellImage() const { return Read(m_cellImage); }
int32_t CColumn::GetHeaderImage() const { return Read(m_headerImage); }
const Common::CFormat* CColumn::GetFormat() const { return Read(m_format); }
const ICellPaintFormat* CColumn::GetCellPaintFormat() const { return Read(m_cellPaintFormat); }
const IColumnPaintFormat* CColumn::GetColumnPaintFormat() const { return Read(m_columnPaintFormat); }
bool CColumn::IsVisible() const { return Read(m_visible); }
bool CColumn::IsEditable() const { return Read(m_editable); }
std::string CColumn::GetExtraText() const { return Read(m_extraText); }
int32_t CColumn::GetImageAlignment() const { return Read(m_imageAlignment); }

CColumn::Attributes CColumn::GetAttributes() const
{
    Common::CLockGuard guard(m_lock);
    Attributes attributes;
    attributes.format = m_format.get();
    attributes.cellPaintFormat = m_cellPaintFormat.get();
    attributes.columnPaintFormat = m_columnPaintFormat.get();
    attributes.id = m_id;
    attributes.width = m_width;
    attributes.alignment = m_alignment;
    attributes.cellImage = m_cellImage;
    attributes.headerImage = m_headerImage;
    attributes.imageAlignment = m_imageAlignment;
    attributes.visible = m_visible;
    attributes.editable = m_editable;
    return attributes;
}

// ---- Changes and subscribers ----

bool CColumn::SetWidth(int32_t width)
{
    if (width < 1)
        return false;
    bool changed = false;
    {
        Common::CLockGuard guard(m_lock);
        changed = m_width != width;
        m_width = width;
    }
    if (changed)
        Notify(INotify::kWidthChanged);
    return true;
}

void CColumn::SetVisible(bool visible)
{
    {
        Common::CLockGuard guard(m_lock);
        if (m_visible == visible)
            return;
        m_visible = visible;
    }
    Notify(INotify::kVisibilityChanged);
}

void CColumn::Advise(INotify* subscriber) { m_subscribers.Add(subscriber); }

void CColumn::Unadvise(INotify* subscriber) { m_subscribers.Remove(subscriber); }

void CColumn::Notify(int32_t code)
{
    m_subscribers.ForEach([this, code](INotify* subscriber) { subscriber->OnColumnChanged(this, code); });
}

// ---- Archive ----

void CColumn::Serialize(Platform::CArchive& ar)
{
    if (ar.IsStoring())
        Store(ar);
    else
        Load(ar);
}

void CColumn::Store(Platform::CArchive& ar) const
{
    Common::CLockGuard guard(m_lock);
    ar << kVersion << m_id;
    ar.WriteString(m_caption);
    ar << m_width << m_alignment << m_cellImage << m_headerImage;
    ar << m_visible << m_editable;
    ar.WriteString(m_extraText);
    CArchiveEnvelopeIo io(ar);
    Common::WriteFormatEnvelope(io, m_format.get());
    StorePaintFormat(ar, m_cellPaintFormat.get());
    StorePaintFormat(ar, m_columnPaintFormat.get());
}

void CColumn::Load(Platform::CArchive& ar)
{
    if (ar.ReadVersion(kVersion, "column") <= 0)
        return;

    // Everything is read into locals first: a stream that fails part-way
    // raises before the column has changed.
    const int32_t id = ar.ReadInt32();
    std::string caption = ar.ReadString();
    const int32_t width = ar.ReadInt32();
    const int32_t alignment = ar.ReadInt32();
    const int32_t cellImage = ar.ReadInt32();
    const int32_t headerImage = ar.ReadInt32();
    const bool visible = ar.ReadByte() != 0;
    const bool editable = ar.ReadByte() != 0;
    std::string extraText = ar.ReadString();

    std::unique_ptr<Common::CFormat> format;
    {
        CArchiveEnvelopeIo io(ar);
        try {
            format = Common::ReadFormatEnvelope(io);
        } catch (const Common::CommonException&) {
            // The envelope has consumed the format's bytes before restoring
            // them, so the archive is still in step: a state this build
            // cannot restore is dropped like an unknown format class.
            format.reset();
        }
    }
    std::unique_ptr<ICellPaintFormat> cellPaintFormat = LoadPaintFormat<ICellPaintFormat>(ar, "cell paint format");
    std::unique_ptr<IColumnPaintFormat> columnPaintFormat =
        LoadPaintFormat<IColumnPaintFormat>(ar, "column paint format");

    // Swap the new state in; the replaced objects die after the lock is let go.
    {
        Common::CLockGuard guard(m_lock);
        m_id = id;
        m_caption.swap(caption);
        m_width = width;
        m_alignment = alignment;
        m_cellImage = cellImage;
        m_headerImage = headerImage;
        m_visible = visible;
        m_editable = editable;
        m_extraText.swap(extraText);
        m_format.swap(format);
        m_cellPaintFormat.swap(cellPaintFormat);
        m_columnPaintFormat.swap(columnPaintFormat);
    }
}

} // namespace Brivel::GUI
