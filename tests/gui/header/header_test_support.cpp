#include "tests/gui/header/header_test_support.h"

#include "gui/paint/paint_format_registry.h"

#include "common/format_registry.h"
#include "common/scalar_formats.h"
#include "common/serializer.h"

namespace Brivel::GUI::Testing {

namespace {

const CPaintFormatRegistrar<ICellPaintFormat> s_cellRegistrar(
    CTaggedCellPaintFormat::kName, &MakeDefaultPaintFormat<ICellPaintFormat, CTaggedCellPaintFormat>);
const CPaintFormatRegistrar<IColumnPaintFormat> s_columnRegistrar(
    CTaggedColumnPaintFormat::kName, &MakeDefaultPaintFormat<IColumnPaintFormat, CTaggedColumnPaintFormat>);

template <class Format>
void SerializeTag(Platform::CArchive& ar, int32_t& tag)
{
    if (ar.IsStoring())
        ar << int32_t(1) << tag;
    else if (ar.ReadVersion(1, Format::kName) > 0)
        ar >> tag;
}

// Stores version 2 of its state; restoring goes through the base, which
// refuses it.
template <const char* Name>
class CNewerVersionFormat : public Common::CConcreteFormat<CNewerVersionFormat<Name>, Common::CEmptyFormat> {
public:
    static constexpr const char* TypeName = Name;
    bool IsSerializable() const override { return true; }
    void Serialize(Common::CSerializer& serializer) override
    {
        if (!serializer.IsRestoring()) {
            serializer.WriteInt32(2);
            serializer.WriteInt32(0x1234);
            return;
        }
        Common::CEmptyFormat::Serialize(serializer);
    }
};

constexpr char kRegisteredNewer[] = "Test::CNewerVersionFormat";
constexpr char kUnknownNewer[] = "Test::CUnknownFormat";

const Common::CFormatClassRegistrar s_newerRegistrar(kRegisteredNewer,
                                                     &Common::MakeDefaultFormat<CNewerVersionFormat<kRegisteredNewer>>);

} // namespace

void CTaggedCellPaintFormat::Serialize(Platform::CArchive& ar) { SerializeTag<CTaggedCellPaintFormat>(ar, m_tag); }

void CTaggedColumnPaintFormat::Serialize(Platform::CArchive& ar) { SerializeTag<CTaggedColumnPaintFormat>(ar, m_tag); }

int32_t ArchiveCauseOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Platform::CArchiveException& e) {
        return e.GetCause();
    }
    return -1;
}

std::unique_ptr<Common::CFormat> MakeNewerVersionFormat(bool registered)
{
    if (registered)
        return std::make_unique<CNewerVersionFormat<kRegisteredNewer>>();
    return std::make_unique<CNewerVersionFormat<kUnknownNewer>>();
}

} // namespace Brivel::GUI::Testing
