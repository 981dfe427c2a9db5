#include "common/format_envelope.h"

#include "common/serializer.h"

namespace Brivel::Common {

std::optional<CFormatState> SaveFormatState(const CFormat* format)
{
    if (!format || !format->IsSerializable())
        return std::nullopt;
    CSerializer serializer(CSerializer::Mode::Store);
    serializer.WriteFormat(*format);
    return CFormatState{format->GetTypeName(), serializer.GetData()};
}

std::unique_ptr<CFormat> LoadFormatState(const std::string& typeName, std::span<const uint8_t> bytes)
{
    std::unique_ptr<CFormat> format = CreateFormat(typeName);
    if (format && !bytes.empty()) {
        CSerializer serializer(CSerializer::Mode::Restore);
        serializer.SetData(bytes);
        serializer.ReadFormat(*format);
    }
    return format;
}

} // namespace Brivel::Common
