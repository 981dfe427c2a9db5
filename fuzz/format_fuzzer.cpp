// Fuzz target: every registered format's restore, and the format envelope.
//
// Input: a selector byte, then the stored bytes. Selector bit 7 clear: the
// bytes are the settings of the registered class at position (selector % the
// number of classes) in GetRegisteredFormatClasses(), restored with
// ReadFormat. Bit 7 set: the bytes are a whole envelope (flag, type name,
// count, settings) read through a CSerializer. The restored format also
// formats and parses a value of its kind taken from the input, so that
// settings no constructor would make reach the text code.
#include "fuzz/fuzz_check.h"

#include "common/common_exception.h"
#include "common/field_value.h"
#include "common/format.h"
#include "common/format_envelope.h"
#include "common/format_registry.h"
#include "common/serializer.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

using Brivel::Common::CFieldValue;
using Brivel::Common::CFormat;
using Brivel::Common::CommonException;
using Brivel::Common::CSerializer;
using Brivel::Fuzz::Bytes;

constexpr uint8_t kEnvelopeBit = 0x80;

const std::vector<std::string>& FormatClasses()
{
    static const std::vector<std::string> s_names = Brivel::Common::GetRegisteredFormatClasses();
    return s_names;
}

// The restored format and how many bytes it left unread.
struct Restored {
    std::unique_ptr<CFormat> format;
    size_t unread = 0;
};

Restored RestoreSettings(const std::string& typeName, std::span<const uint8_t> bytes)
{
    Restored restored{Brivel::Common::CreateFormat(typeName), 0};
    CSerializer serializer(CSerializer::Mode::Restore);
    serializer.SetData(bytes);
    serializer.ReadFormat(*restored.format);
    restored.unread = serializer.GetRemaining();
    return restored;
}

Bytes StoreSettings(const CFormat& format)
{
    CSerializer serializer(CSerializer::Mode::Store);
    serializer.WriteFormat(format);
    return serializer.GetData();
}

Restored RestoreEnvelope(std::span<const uint8_t> bytes)
{
    CSerializer serializer(CSerializer::Mode::Restore);
    serializer.SetData(bytes);
    Restored restored;
    restored.format = Brivel::Common::ReadFormatEnvelope(serializer);
    restored.unread = serializer.GetRemaining();
    return restored;
}

Bytes StoreEnvelope(const CFormat* format)
{
    CSerializer serializer(CSerializer::Mode::Store);
    Brivel::Common::WriteFormatEnvelope(serializer, format);
    return serializer.GetData();
}

// A value of the format's kind with the given bits.
CFieldValue ValueOfKind(int32_t kind, uint64_t bits, std::span<const uint8_t> text)
{
    using namespace Brivel::Common;
    switch (kind) {
    case KindCString: return CFieldValue(CString(reinterpret_cast<const char*>(text.data()), text.size()));
    case KindStdString: return CFieldValue(std::string(text.begin(), text.end()));
    case KindChar: return CFieldValue(static_cast<int8_t>(bits));
    case KindUChar: return CFieldValue(static_cast<uint8_t>(bits));
    case KindShort: return CFieldValue(static_cast<int16_t>(bits));
    case KindUShort: return CFieldValue(static_cast<uint16_t>(bits));
    case KindLong: return CFieldValue(static_cast<int32_t>(bits));
    case KindULong: return CFieldValue(static_cast<uint32_t>(bits));
    case KindInt64: return CFieldValue(static_cast<int64_t>(bits));
    case KindBool: return CFieldValue(bits != 0);
    case KindFloat: return CFieldValue(std::bit_cast<float>(static_cast<uint32_t>(bits)));
    case KindDouble: return CFieldValue(std::bit_cast<double>(bits));
    case KindOpaque: return CFieldValue(OpaqueWord{static_cast<uint32_t>(bits)});
    default: return {};
    }
}

// Formats a value built from the input's first bytes, parses the text back,
// and parses the input's last bytes as typed text: no check of the results,
// only that the text code stays in bounds.
void Exercise(const CFormat& format, std::span<const uint8_t> input)
{
    uint64_t bits = 0;
    std::memcpy(&bits, input.data(), std::min(input.size(), sizeof bits));
    const CFieldValue value = ValueOfKind(format.GetKind(), bits, input.first(std::min<size_t>(input.size(), 16)));
    const std::string text = format.Format(value);
    CFieldValue parsed;
    format.Parse(text, parsed);
    format.FormatCString(value);
    const std::span<const uint8_t> typed = input.last(std::min<size_t>(input.size(), 24));
    CFieldValue fromTyped;
    format.Parse(std::string(typed.begin(), typed.end()), fromTyped);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Brivel::Fuzz;
    if (size == 0)
        return 0;
    const std::span<const uint8_t> input(data, size);
    const std::span<const uint8_t> stored = input.subspan(1);
    const bool envelope = (data[0] & kEnvelopeBit) != 0;
    const std::string& typeName = FormatClasses()[(data[0] & ~kEnvelopeBit) % FormatClasses().size()];

    Restored first;
    try {
        first = envelope ? RestoreEnvelope(stored) : RestoreSettings(typeName, stored);
    } catch (const CommonException&) {
        return 0; // refused: a damaged, short or newer stored form
    }
    if (first.format)
        Exercise(*first.format, input);

    const Bytes bytes1 = envelope ? StoreEnvelope(first.format.get()) : StoreSettings(*first.format);
    Restored second;
    try {
        second = envelope ? RestoreEnvelope(bytes1) : RestoreSettings(typeName, bytes1);
    } catch (const CommonException&) {
        Require(false, "a format refuses the settings it stored");
    }
    Require(second.unread == 0, "a format leaves part of its stored settings unread");
    Require((first.format == nullptr) == (second.format == nullptr), "the envelope loses or finds a format");
    const Bytes bytes2 = envelope ? StoreEnvelope(second.format.get()) : StoreSettings(*second.format);
    RequireSameBytes(bytes1, bytes2, envelope ? "the format envelope" : typeName.c_str());
    return 0;
}
