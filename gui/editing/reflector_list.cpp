#include "gui/editing/reflector_list.h"

#include "gui/editing/check_box_reflector.h"
#include "gui/editing/text_reflectors.h"
#include "gui/header/column.h"

#include "common/data_object.h"
#include "common/format.h"
#include "common/integer_formats.h"

#include <memory>
#include <vector>

namespace Brivel::GUI {

namespace {

constexpr std::string_view kSignedStrip = "0123456789abcdefABCDEF.,-+xX";
constexpr std::string_view kUnsignedStrip = "0123456789abcdefABCDEF.,+xX";
constexpr std::string_view kRealStrip = "-+0123456789edED.,";

std::vector<std::unique_ptr<IControlReflector>> MakeList()
{
    using Common::ValueKind;
    std::vector<std::unique_ptr<IControlReflector>> list;
    list.push_back(std::make_unique<CCheckBoxReflector>());
    list.push_back(std::make_unique<CLongEnumReflector>());
    list.push_back(std::make_unique<CDateTimeReflector>(Common::KindInt64));
    list.push_back(std::make_unique<CLongMsecTimeReflector>());
    list.push_back(std::make_unique<CDateTimeReflector>(Common::KindLong));
    list.push_back(std::make_unique<CNumericReflector>(Common::KindChar, Common::CCharFormat::TypeName, kSignedStrip));
    list.push_back(std::make_unique<CNumericReflector>(Common::KindUChar, Common::CUCharFormat::TypeName, kUnsignedStrip));
    list.push_back(std::make_unique<CNumericReflector>(Common::KindShort, Common::CShortFormat::TypeName, kSignedStrip));
    list.push_back(std::make_unique<CNumericReflector>(Common::KindUShort, Common::CUShortFormat::TypeName, kUnsignedStrip));
    list.push_back(std::make_unique<CNumericReflector>(Common::KindLong, Common::CLongFormat::TypeName, kSignedStrip));
    list.push_back(std::make_unique<CNumericReflector>(Common::KindULong, Common::CULongFormat::TypeName, kUnsignedStrip));
    list.push_back(std::make_unique<CNumericReflector>(Common::KindInt64, Common::CInt64Format::TypeName, kSignedStrip));
    list.push_back(std::make_unique<CNumericReflector>(Common::KindFloat, "", kRealStrip));
    list.push_back(std::make_unique<CNumericReflector>(Common::KindDouble, "", kRealStrip));
    list.push_back(std::make_unique<CDefaultReflector>());
    return list;
}

std::vector<std::unique_ptr<IControlReflector>>& List()
{
    static std::vector<std::unique_ptr<IControlReflector>> list;
    return list;
}

} // namespace

IControlReflector* CReflectorList::Find(const Common::CFormat* format)
{
    if (format == nullptr)
        return nullptr;
    auto& list = List();
    if (list.empty())
        list = MakeList();
    for (const auto& reflector : list)
        if (reflector->IsSuitable(*format))
            return reflector.get();
    return nullptr;
}

void CReflectorList::Clear()
{
    List().clear();
}

const Common::CFormat* EditFormatOf(const Common::CDataObject& object, const CColumn& column)
{
    if (const Common::CFormat* const own = column.GetFormat())
        return own;
    const int32_t field = column.GetId();
    if (const Common::CFormat* const format = object.GetFieldFormat(field))
        return format;
    const Common::ValueKind kind = object.GetFieldKind(field);
    return kind == Common::KindNone ? nullptr : &Common::GetDefaultFormat(kind);
}

} // namespace Brivel::GUI
