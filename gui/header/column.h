#pragma once
// CColumn: one grid column. It names the field of the row objects it shows
// (the field identifier), and holds its caption, width, alignments, images,
// editability, visibility, a second text, and the optional objects that
// override how its values are formatted (a CFormat) and painted (a cell and
// a column paint format).
//
// A column is made by the application and handed to a header, which owns it
// from then on and subscribes to it; the paint pass and the in-place editors
// read it. It tells its subscribers (CColumn::INotify) when its width or
// visibility changes and when it is being destroyed. It stores and loads
// itself through a CArchive (below) and has the run-time class "CColumn", so
// that a header can store a class reference per column and create the column
// from it.
//
// Stored form (little-endian; strings as the archive writes them):
//   int32  version (1)         int32  field id        string caption
//   int32  width               int32  alignment       int32  cell image
//   int32  header image        uint8  visible         uint8  editable
//   string extra text
//   the format envelope (common/format_envelope.h): uint8 flag, then when 1
//          the format's type name, int32 N and the N bytes of its own state
//   int32  1 when a serializable cell paint format follows: its class name,
//          then what its Serialize writes; else 0
//   int32  the same for the column paint format
// Loading: a version above 1 raises CArchiveException kBadSchema (7) and
// reads nothing further; one of 0 or less leaves the column unchanged. A
// format whose type name is not registered is skipped with its bytes, and so
// is one whose stored state cannot be restored (a newer or corrupt state):
// the column then has no format. A paint format whose class name is not
// registered raises kBadSchema. The whole form is read before anything is
// replaced, so a load that raises leaves the column as it was. Loading stores
// the width and visibility directly, without notifying: load a column before
// handing it to a header.
//
// Ownership: the column owns its format and both paint formats (deleted when
// it is destroyed or when a load replaces them); subscribers are borrowed.
// Destruction order: code 11 to the subscribers (the column and everything
// it owns still intact), then the format, the cell paint format and the
// column paint format, then the locks and the subscriber list.
//
// Thread: any thread. Every read and every compare-and-write holds the
// attribute lock; notifications are sent after it is released, on the
// changing thread, so a subscriber may call back into the column. Pointers
// handed out (GetFormat, GetCellPaintFormat, GetColumnPaintFormat) stay valid
// until the column loads again or is destroyed.
//
// Reading from the paint pass: each getter takes the lock once (about 20 ns
// uncontended, see bench/gui_header.cpp). A painter that needs several
// attributes of a column for every cell should call GetAttributes() once per
// column and paint from that copy: one lock for all the hot attributes.

#include "gui/paint/paint_format.h"
#include "gui/header/subscriber_list.h"

#include "common/format.h"
#include "common/lock.h"
#include "platform/runtime_class.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Brivel::GUI {

class CColumn : public Platform::CObject {
public:
    // Field identifiers that no column may carry in a header.
    static constexpr int32_t kNoField = -1;
    static constexpr int32_t kUnsetField = -2;

    // Alignment of the cell text and the caption.
    static constexpr int32_t kAlignAuto = 0; // numbers right, everything else left
    static constexpr int32_t kAlignLeft = 1;
    static constexpr int32_t kAlignRight = 2;
    static constexpr int32_t kAlignCenter = 3;

    // Placement of the cell image.
    static constexpr int32_t kImageLeft = 0;
    static constexpr int32_t kImageRight = 1;
    static constexpr int32_t kImageCenter = 2;

    // The version of the stored form this code writes and reads.
    static constexpr int32_t kVersion = 1;

    // Subscriber interface. Codes: kWidthChanged, kVisibilityChanged, and
    // kDestroyed, sent at the start of destruction.
    class INotify {
    public:
        // The notification codes.
        static constexpr int32_t kWidthChanged = 1;
        static constexpr int32_t kVisibilityChanged = 9;
        static constexpr int32_t kDestroyed = 11;

        // Called on the changing thread, with no column lock held, with one of
        // the codes above.
        virtual void OnColumnChanged(CColumn* column, int32_t code) = 0;

    protected:
        INotify() = default;
        INotify(const INotify&) = default;
        INotify& operator=(const INotify&) = default;
        virtual ~INotify() = default;
    };

    // The attributes the paint pass reads for every cell, taken together
    // under one lock. The pointers are the column's own (see the class
    // comment for how long they live).
    struct Attributes {
        const Common::CFormat* format = nullptr; // GetFormat
        const ICellPaintFormat* cellPaintFormat = nullptr; // GetCellPaintFormat
        const IColumnPaintFormat* columnPaintFormat = nullptr; // GetColumnPaintFormat
        int32_t id = kUnsetField; // GetId
        int32_t width = 0; // GetWidth
        int32_t alignment = kAlignLeft; // GetAlignment
        int32_t cellImage = -1; // GetCellImage
        int32_t headerImage = -1; // GetHeaderImage
        int32_t imageAlignment = kImageLeft; // GetImageAlignment
        bool visible = true; // IsVisible
        bool editable = false; // IsEditable
    };
    static_assert(sizeof(Attributes) <= 56, "Attributes is copied per painted column; keep it small");

    // Every attribute at its default (used when loading by class name).
    CColumn();
    // The column takes the three objects. The width is stored as given: no
    // check and no notification.
    CColumn(int32_t id, std::string caption, int32_t width, int32_t alignment = kAlignLeft, bool editable = false,
            int32_t cellImage = -1, int32_t headerImage = -1, std::unique_ptr<Common::CFormat> format = nullptr,
            std::unique_ptr<ICellPaintFormat> cellPaintFormat = nullptr,
            std::unique_ptr<IColumnPaintFormat> columnPaintFormat = nullptr, std::string extraText = {});
    CColumn(const CColumn&) = delete;
    CColumn& operator=(const CColumn&) = delete;
    ~CColumn() override;

    // Stores or loads the column in the stored form described above.
    void Serialize(Platform::CArchive& ar) override;

    int32_t GetId() const; // the field identifier
    std::string GetCaption() const; // the header cell's text
    int32_t GetWidth() const; // in pixels
    int32_t GetAlignment() const; // kAlignAuto, kAlignLeft, kAlignRight or kAlignCenter
    int32_t GetCellImage() const; // index in the grid's cell image list; -1 none
    int32_t GetHeaderImage() const; // index in the header's image list; -1 none
    const Common::CFormat* GetFormat() const; // null: the field's own format
    const ICellPaintFormat* GetCellPaintFormat() const; // null: the default painter
    const IColumnPaintFormat* GetColumnPaintFormat() const; // null: the default painter
    bool IsVisible() const; // shown in the header and the rows
    bool IsEditable() const; // its cells can be edited in place
    std::string GetExtraText() const; // a second text, kept and stored with the column
    int32_t GetImageAlignment() const; // kImageLeft, kImageRight or kImageCenter
    Attributes GetAttributes() const; // the hot attributes under one lock

    // False, changing nothing, when width < 1. Otherwise stores it and, when
    // it differs from the old width, notifies kWidthChanged; true.
    bool SetWidth(int32_t width);
    // When the value differs: stores it and notifies kVisibilityChanged.
    void SetVisible(bool visible);

    // Subscribes; a null pointer or one already subscribed is ignored.
    void Advise(INotify* subscriber);
    // Unsubscribes when subscribed.
    void Unadvise(INotify* subscriber);

    BRIVEL_DECLARE_RUNTIME_CLASS(CColumn)

private:
    // One attribute (or, for the owned objects, their address) read under
    // the attribute lock.
    template <class T>
    T Read(const T& member) const
    {
        Common::CLockGuard guard(m_lock);
        return member;
    }
    template <class T>
    const T* Read(const std::unique_ptr<T>& member) const
    {
        Common::CLockGuard guard(m_lock);
        return member.get();
    }

    void Notify(int32_t code);
    void Store(Platform::CArchive& ar) const;
    void Load(Platform::CArchive& ar);

    mutable Common::CLock m_lock;                  // the attribute lock
    int32_t m_id = kUnsetField;                    // Guarded by m_lock.
    int32_t m_width = 0;                           // Guarded by m_lock.
    int32_t m_alignment = kAlignLeft;              // Guarded by m_lock.
    int32_t m_cellImage = -1;                      // Guarded by m_lock.
    int32_t m_headerImage = -1;                    // Guarded by m_lock.
    int32_t m_imageAlignment = kImageLeft;         // Guarded by m_lock. No operation changes it.
    bool m_visible = true;                         // Guarded by m_lock.
    bool m_editable = false;                       // Guarded by m_lock.
    std::string m_caption;                         // Guarded by m_lock.
    std::string m_extraText;                       // Guarded by m_lock.
    std::unique_ptr<Common::CFormat> m_format;     // Guarded by m_lock.
    std::unique_ptr<ICellPaintFormat> m_cellPaintFormat;     // Guarded by m_lock.
    std::unique_ptr<IColumnPaintFormat> m_columnPaintFormat; // Guarded by m_lock.

    CSubscriberList<INotify> m_subscribers; // has its own lock
};

} // namespace Brivel::GUI
