#include "common/serializer.h"

#include "common/field_value.h"
#include "common/format.h"

#include <bit>
#include <cstring>
#include <limits>

namespace Brivel::Common {

CSerializer::BadVersionException::BadVersionException(std::string_view className)
    : SerializationException(std::string(className) +
                             " doesn't support current version and can't be deserialized.")
{
}

void CSerializer::Throw(const char* message)
{
    throw SerializationException(message);
}

// ---- Store ----

void CSerializer::WriteBytes(const void* bytes, std::ptrdiff_t count)
{
    RequireStore();
    if (!bytes || count <= 0)
        return;
    const auto* first = static_cast<const uint8_t*>(bytes);
    m_buffer.insert(m_buffer.end(), first, first + count);
}

void CSerializer::WriteLittleEndian(uint64_t value, size_t width)
{
    RequireStore();
    uint8_t bytes[8];
    for (size_t i = 0; i < width; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    m_buffer.insert(m_buffer.end(), bytes, bytes + width);
}

void CSerializer::WriteFloat(float value)
{
    WriteUInt32(std::bit_cast<uint32_t>(value));
}

void CSerializer::WriteDouble(double value)
{
    WriteUInt64(std::bit_cast<uint64_t>(value));
}

void CSerializer::WriteString(std::string_view text)
{
    RequireStore();
    if (text.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        Throw(kTextTooLongMessage);
    WriteInt32(static_cast<int32_t>(text.size()));
    if (text.empty())
        return;
    m_buffer.insert(m_buffer.end(), text.begin(), text.end());
    m_buffer.push_back(0);
}

void CSerializer::WriteFieldValue(const CFieldValue& value)
{
    RequireStore();
    value.Store(*this);
}

void CSerializer::WriteFormat(const CFormat& format)
{
    RequireStore();
    // Serialize is the one entry point for both directions; in store mode it
    // only reads the format, so dropping const here changes nothing.
    const_cast<CFormat&>(format).Serialize(*this);
}

// ---- Restore ----

void CSerializer::ReadBytes(void* destination, std::ptrdiff_t count)
{
    if (m_mode != Mode::Restore)
        Throw(kRestoreOnStoreMessage);
    if (!destination || count <= 0)
        Throw(kNotEnoughSpaceMessage);
    RequireRestore(static_cast<size_t>(count));
    std::memcpy(destination, m_buffer.data() + m_readPosition, static_cast<size_t>(count));
    m_readPosition += static_cast<size_t>(count);
}

uint64_t CSerializer::ReadLittleEndian(size_t width)
{
    RequireRestore(width);
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value |= static_cast<uint64_t>(m_buffer[m_readPosition + i]) << (8 * i);
    m_readPosition += width;
    return value;
}

float CSerializer::ReadFloat()
{
    return std::bit_cast<float>(ReadUInt32());
}

double CSerializer::ReadDouble()
{
    return std::bit_cast<double>(ReadUInt64());
}

std::string_view CSerializer::ReadText()
{
    const int32_t length = ReadInt32();
    if (length <= 0)
        return {};
    // Checked before anything is allocated: a corrupt length fails here.
    const size_t stored = static_cast<size_t>(length) + 1;
    RequireRestore(stored);
    const auto* first = reinterpret_cast<const char*>(m_buffer.data() + m_readPosition);
    // The text ends at the first zero byte, and never runs past L bytes even
    // when the terminating byte is missing from a damaged stream.
    const void* zero = std::memchr(first, 0, static_cast<size_t>(length));
    const size_t textLength = zero ? static_cast<size_t>(static_cast<const char*>(zero) - first)
                                   : static_cast<size_t>(length);
    m_readPosition += stored;
    return {first, textLength};
}

std::string CSerializer::ReadString()
{
    return std::string(ReadText());
}

CString CSerializer::ReadCString()
{
    return CString(ReadText());
}

void CSerializer::ReadFieldValue(CFieldValue& value)
{
    if (m_mode != Mode::Restore)
        Throw(kRestoreOnStoreMessage);
    value.Restore(*this);
}

CFieldValue CSerializer::ReadFieldValue()
{
    CFieldValue value;
    ReadFieldValue(value);
    return value;
}

void CSerializer::ReadFormat(CFormat& format)
{
    if (m_mode != Mode::Restore)
        Throw(kRestoreOnStoreMessage);
    format.Serialize(*this);
}

int32_t CSerializer::ReadVersion(std::string_view className)
{
    const int32_t version = ReadInt32();
    if (version > kCurrentVersion)
        throw BadVersionException(className);
    return version;
}

// ---- Buffer ----

size_t CSerializer::GetData(void* destination) const
{
    if (m_mode != Mode::Store)
        Throw(kGetDataOnRestoreMessage);
    if (!destination)
        return 0;
    if (!m_buffer.empty())
        std::memcpy(destination, m_buffer.data(), m_buffer.size());
    return m_buffer.size();
}

std::vector<uint8_t> CSerializer::GetData() const
{
    if (m_mode != Mode::Store)
        Throw(kGetDataOnRestoreMessage);
    return m_buffer;
}

void CSerializer::SetData(const void* bytes, std::ptrdiff_t count)
{
    if (m_mode != Mode::Restore)
        Throw(kSetDataOnStoreMessage);
    if (!bytes || count <= 0)
        return;
    const auto* first = static_cast<const uint8_t*>(bytes);
    m_buffer.assign(first, first + count);
    m_readPosition = 0;
}

} // namespace Brivel::Common
