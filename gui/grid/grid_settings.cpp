// CGrid::CGridImpl: the grid settings stream (operation 190). Settings only,
// never rows. Little-endian, flags one byte, in this order:
//
//    1  int32   CGrid version (1)
//    2  int32   CGridImpl version (1); 0 or less: nothing more, only the
//               post-load refresh
//    3  uint8   header present
//    4  object  the header: class reference, then its own form (header.h)
//    5  uint8   header shown
//    6  int32   pinned list version (1), int32 its row height
//    7  int32   body list version (1), int32 its row height
//    8  int32   focus mask
//    9  block   appearance (appearance.h)
//   10  int32   paint element mask
//   11  uint8   double buffering
//   12  int32   font present
//   13  60      the font as a LOGFONT record (platform/font.h), when present
//   14  int32   stretch cell images (operations 86/87), 0 or 1
//   15  uint8   row drag and drop enabled (operations 89/90)
//   16  uint8   selection enabled
//   17  uint8   multiple selection
//   18  int32   selectable-lists mask
//   19  uint8   highlight changed values
//   20  26      highlight settings (appearance.h)
//   21  uint8   separator band shown
//   22  int32   separator band height
//   23  block   tooltip settings (gui/tooltips/grid_tooltips.h)
//   24  uint8   option byte of operations 141/142
//   25  block   print settings (gui/print/print_settings.h)
//   26  uint8   option byte of operations 148/149
//   27  int32   sortable-lists mask
//   28  int32   mask of operations 166/167
//   29  int32   type-ahead reset delay in ms
//   30  3 blocks editing settings, clipboard settings (gui/clipboard/
//               grid_clipboard.h) and drag settings
//
// Every versioned block starts with an int32 version; a newer one than this
// code knows raises CArchiveException kBadSchema, one of 0 or less ends the
// block. The editing and drag blocks of 30 belong to code that stores no
// settings yet: the grid writes each as the empty block (version 0), and a
// stored block with content (version 1 or more) is refused as newer than
// this build. Blocks 23 (tooltips), 25 (printing) and the clipboard block of
// 30 hold their settings; streams written before they did hold the empty
// block there, which loads as "keep the current settings".
//
// After a load: the focus is cleared, the header's sort applied, the layout
// recomputed and the whole grid repainted.

#include "gui/grid/grid_impl.h"

#include "platform/archive.h"
#include "platform/font.h"

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;
using Platform::CArchive;
using Platform::CArchiveException;

namespace {

constexpr int32_t kGridVersion = 1;
constexpr int32_t kImplVersion = 1;
constexpr int32_t kListVersion = 1;
constexpr int32_t kEmptyBlockVersion = 0;

void StoreEmptyBlock(CArchive& ar)
{
    ar << kEmptyBlockVersion;
}

void LoadEmptyBlock(CArchive& ar, std::string_view what)
{
    ar.ReadVersion(kEmptyBlockVersion, what);
}

bool ReadFlag(CArchive& ar)
{
    return ar.ReadByte() != 0;
}

} // namespace

void CGridImpl::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kGridVersion << kImplVersion;
        ar << static_cast<uint8_t>(m_header != nullptr ? 1 : 0);
        if (m_header != nullptr)
            ar.WriteObject(m_header);
        ar << static_cast<uint8_t>(m_options.headerShown);
        ar << kListVersion << m_pinned.GetRowHeight();
        ar << kListVersion << m_body.GetRowHeight();
        ar << m_options.focusMask;
        m_options.appearance.Serialize(ar);
        ar << static_cast<int32_t>(m_options.paintElementMask);
        ar << static_cast<uint8_t>(m_options.doubleBuffered);
        ar << static_cast<int32_t>(m_options.font ? 1 : 0);
        if (m_options.font)
            Platform::WriteLogFont(ar, Platform::LogFontFromQFont(*m_options.font));
        ar << static_cast<int32_t>(m_options.stretchImages) << static_cast<uint8_t>(m_options.rowDragDrop);
        ar << static_cast<uint8_t>(m_options.selectionEnabled) << static_cast<uint8_t>(m_options.multipleSelection);
        ar << m_options.selectableLists;
        ar << static_cast<uint8_t>(m_options.highlightChangedValues);
        m_options.highlightSettings.Serialize(ar);
        ar << static_cast<uint8_t>(m_options.separatorShown) << m_options.separatorHeight;
        m_tooltips->Serialize(ar);
        ar << m_options.reservedByte141;
        m_options.print.Serialize(ar);
        ar << m_options.reservedByte148;
        ar << m_options.sortableLists << m_options.reservedMask166 << m_options.typeAheadDelay;
        StoreEmptyBlock(ar); // editing
        m_clipboard->Serialize(ar);
        StoreEmptyBlock(ar); // drag
        return;
    }

    if (ar.ReadVersion(kGridVersion, "grid settings") > 0 && ar.ReadVersion(kImplVersion, "grid settings") > 0) {
        if (ReadFlag(ar)) {
            const CArchive::CClassRef ref = ar.ReadClassRef();
            if (ref.IsNull())
                CArchive::Throw(CArchiveException::kBadClass, "grid settings: null header class");
            if (ref.runtimeClass == nullptr || ref.schema > ref.runtimeClass->GetSchema())
                CArchive::Throw(CArchiveException::kBadSchema, "grid settings: header class " + ref.name);
            if (!ref.runtimeClass->IsDerivedFrom(CHeader::RuntimeClass()))
                CArchive::Throw(CArchiveException::kBadClass, "grid settings: " + ref.name + " is no header");
            if (m_header != nullptr && m_header->GetRuntimeClass() == ref.runtimeClass) {
                m_header->Serialize(ar); // the grid's header of the stored class loads in place
            } else {
                std::unique_ptr<Platform::CObject> object = ref.runtimeClass->CreateObject();
                auto* const header = dynamic_cast<CHeader*>(object.get());
                if (header == nullptr)
                    CArchive::Throw(CArchiveException::kBadClass, "grid settings: header cannot be created");
                header->Serialize(ar);
                object.release();
                ReleaseHeader();
                // Made by class name, so auto-delete: the grid owns it from here.
                SetHeader(header);
                if (!m_ownsHeader)
                    m_ownsHeader = true;
            }
        } else {
            ReleaseHeader();
            SetHorizontalPos(0);
        }
        m_options.headerShown = ReadFlag(ar);
        for (CRowList* list : {&m_pinned, &m_body}) {
            if (ar.ReadVersion(kListVersion, "row list settings") > 0) {
                const int32_t height = ar.ReadInt32();
                list->SetRowHeight(height, true); // an out-of-range height is ignored
            }
        }
        m_options.focusMask = ar.ReadInt32() & CGrid::kBothLists;
        Appearance appearance = m_options.appearance;
        appearance.Serialize(ar);
        m_options.appearance = appearance;
        m_options.paintElementMask = static_cast<PaintElementMask>(ar.ReadInt32()) & PaintElement::kAll;
        m_options.doubleBuffered = ReadFlag(ar);
        if (ar.ReadInt32() != 0) {
            const QFont font = Platform::QFontFromLogFont(Platform::ReadLogFont(ar));
            m_options.font.reset();
            SetGridFont(font);
        }
        m_options.stretchImages = ar.ReadInt32() != 0;
        m_options.rowDragDrop = ReadFlag(ar);
        m_options.selectionEnabled = ReadFlag(ar);
        m_options.multipleSelection = ReadFlag(ar);
        SetSelectableLists(ar.ReadInt32());
        if (!m_options.selectionEnabled || !m_options.multipleSelection) {
            m_pinned.DeselectAll();
            m_body.DeselectAll();
        }
        m_options.highlightChangedValues = ReadFlag(ar);
        HighlightSettings highlight = m_options.highlightSettings;
        highlight.Serialize(ar);
        m_options.highlightSettings = highlight;
        m_options.separatorShown = ReadFlag(ar);
        m_options.separatorHeight = std::max(ar.ReadInt32(), 0);
        m_tooltips->Serialize(ar);
        m_options.reservedByte141 = ar.ReadByte();
        m_options.print.Serialize(ar);
        m_options.reservedByte148 = ar.ReadByte();
        m_options.sortableLists = ar.ReadInt32() & CGrid::kBothLists;
        m_options.reservedMask166 = ar.ReadInt32();
        m_options.typeAheadDelay = ar.ReadInt32();
        LoadEmptyBlock(ar, "editing settings");
        m_clipboard->Serialize(ar);
        LoadEmptyBlock(ar, "drag settings");
    }

    m_selection.ClearFocus();
    Sort();
    UpdateLayout();
    InvalidateAll();
}

} // namespace Brivel::GUI
