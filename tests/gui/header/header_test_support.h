#pragma once
// Doubles shared by the column and header tests: small paint formats with a
// stored tag (registered, and one left unregistered), value formats whose
// stored state cannot be read back, recording subscribers and a scroll
// source.

#include "gui/header/column.h"
#include "gui/header/header.h"
#include "gui/paint/paint_format.h"
#include "gui/header/scroll_position.h"

#include "common/format.h"
#include "platform/archive.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Brivel::GUI::Testing {

// A cell paint format that draws nothing and stores an int tag.
class CTaggedCellPaintFormat : public ICellPaintFormat {
public:
    static constexpr char kName[] = "Test::CTaggedCellPaintFormat";
    explicit CTaggedCellPaintFormat(int32_t tag = 0) : m_tag(tag) {}

    void Draw(const CellInfo&, PaintContext&, PaintElementMask) const override {}
    Platform::COLORREF GetBackColor(const CellInfo&, PaintContext&, PaintElementMask) const override { return 0; }
    Platform::COLORREF GetTextColor(const CellInfo&, PaintContext&, PaintElementMask) const override { return 0; }
    int32_t MeasureWidth(const CellInfo&, PaintContext&, PaintElementMask) const override { return 0; }
    void GetImageRect(Platform::CRect&, const CellInfo&, PaintContext&, PaintElementMask) const override {}
    void GetTextRect(Platform::CRect&, const CellInfo&, PaintContext&, PaintElementMask) const override {}
    std::unique_ptr<ICellPaintFormat> Clone() const override { return std::make_unique<CTaggedCellPaintFormat>(); }
    bool IsSerializable() const override { return true; }
    std::string GetClassName() const override { return m_name; }
    void Serialize(Platform::CArchive& ar) override;

    int32_t GetTag() const { return m_tag; }

protected:
    std::string m_name = kName;

private:
    int32_t m_tag;
};

// The same, under a name nobody registered.
class CUnregisteredCellPaintFormat : public CTaggedCellPaintFormat {
public:
    explicit CUnregisteredCellPaintFormat(int32_t tag) : CTaggedCellPaintFormat(tag)
    {
        m_name = "Test::CUnregisteredCellPaintFormat";
    }
};

class CTaggedColumnPaintFormat : public IColumnPaintFormat {
public:
    static constexpr char kName[] = "Test::CTaggedColumnPaintFormat";
    explicit CTaggedColumnPaintFormat(int32_t tag = 0) : m_tag(tag) {}

    void Draw(const ColumnInfo&, PaintContext&, PaintElementMask) const override {}
    std::unique_ptr<IColumnPaintFormat> Clone() const override { return std::make_unique<CTaggedColumnPaintFormat>(); }
    bool IsSerializable() const override { return true; }
    std::string GetClassName() const override { return kName; }
    void Serialize(Platform::CArchive& ar) override;

    int32_t GetTag() const { return m_tag; }

private:
    int32_t m_tag;
};

// A value format whose stored state is written by a newer version: every
// restore raises BadVersionException. registered: under a registered name
// or one nobody knows.
std::unique_ptr<Common::CFormat> MakeNewerVersionFormat(bool registered);

// Records every notification of a header and of columns.
struct HeaderEvent {
    CColumn* column;
    int32_t code;
    bool operator==(const HeaderEvent&) const = default;
};

class CHeaderRecorder : public CHeader::INotify {
public:
    void OnHeaderChanged(CHeader* header, CColumn* column, int32_t code) override
    {
        lastHeader = header;
        events.push_back({column, code});
        if (onEvent)
            onEvent(column, code);
    }
    std::vector<int32_t> Codes() const
    {
        std::vector<int32_t> codes;
        for (const HeaderEvent& e : events)
            codes.push_back(e.code);
        return codes;
    }

    CHeader* lastHeader = nullptr;
    std::vector<HeaderEvent> events;
    std::function<void(CColumn*, int32_t)> onEvent;
};

class CColumnRecorder : public CColumn::INotify {
public:
    void OnColumnChanged(CColumn* column, int32_t code) override
    {
        codes.push_back(code);
        if (onEvent)
            onEvent(column, code);
    }

    std::vector<int32_t> codes;
    std::function<void(CColumn*, int32_t)> onEvent;
};

// A window scrolled by pos, or one that cannot tell.
class CFakeScroll : public IHorizontalScrollSource {
public:
    explicit CFakeScroll(int32_t pos = 0, bool readable = true) : m_pos(pos), m_readable(readable) {}
    bool GetHorizontalScrollPos(int32_t& pos) const override
    {
        if (m_readable)
            pos = m_pos;
        return m_readable;
    }

private:
    int32_t m_pos;
    bool m_readable;
};

// The cause of the CArchiveException that action raises, or -1 for none.
int32_t ArchiveCauseOf(const std::function<void()>& action);

// What an owner stores after an object, to check that loading stays in step.
inline constexpr int32_t kTrailer = 0x5EED;

// The object's stored form followed by kTrailer.
template <class T>
QByteArray StoreWithTrailer(T& object)
{
    Platform::CArchive ar;
    object.Serialize(ar);
    ar << kTrailer;
    return ar.GetData();
}

// Loads into object and checks that kTrailer, and nothing else, follows.
template <class T>
void LoadWithTrailer(T& object, const QByteArray& bytes)
{
    Platform::CArchive ar(bytes);
    object.Serialize(ar);
    EXPECT_EQ(ar.ReadInt32(), kTrailer);
    EXPECT_EQ(ar.GetRemainingForTesting(), 0);
}

// A plain column: (id, "C<id>", width).
inline std::unique_ptr<CColumn> MakeColumn(int32_t id, int32_t width = 50)
{
    return std::make_unique<CColumn>(id, "C" + std::to_string(id), width);
}

} // namespace Brivel::GUI::Testing
