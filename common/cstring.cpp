#include "common/cstring.h"

#include <atomic>
#include <cstring>
#include <new>

namespace Brivel::Common {

// The shared buffer: a header followed by capacity + 1 bytes (the last for a
// terminating NUL that GetString relies on).
struct CString::Rep {
    std::atomic<int32_t> refs;
    size_t length;
    size_t capacity;

    char* Data() noexcept { return reinterpret_cast<char*>(this + 1); }

    static Rep* Allocate(size_t capacity)
    {
        // Owned by the CString that receives it; freed by Free below.
        void* memory = ::operator new(sizeof(Rep) + capacity + 1);
        Rep* rep = ::new (memory) Rep{{1}, 0, capacity};
        rep->Data()[0] = '\0';
        return rep;
    }

    static void Free(Rep* rep) noexcept
    {
        rep->~Rep();
        ::operator delete(rep);
    }
};

CString::CString(const char* text) : CString(text ? std::string_view(text) : std::string_view()) {}

CString::CString(const char* bytes, size_t length)
    : CString(bytes ? std::string_view(bytes, length) : std::string_view())
{
}

CString::CString(std::string_view bytes)
{
    if (bytes.empty())
        return;
    m_rep = Rep::Allocate(bytes.size());
    std::memcpy(m_rep->Data(), bytes.data(), bytes.size());
    m_rep->length = bytes.size();
    m_rep->Data()[bytes.size()] = '\0';
}

CString::CString(const std::string& text) : CString(std::string_view(text)) {}

CString::CString(const CString& other) noexcept : m_rep(other.m_rep)
{
    if (m_rep)
        m_rep->refs.fetch_add(1, std::memory_order_relaxed);
}

CString& CString::operator=(const CString& other) noexcept
{
    if (other.m_rep)
        other.m_rep->refs.fetch_add(1, std::memory_order_relaxed);
    Release();
    m_rep = other.m_rep;
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        Release();
        m_rep = other.m_rep;
        other.m_rep = nullptr;
    }
    return *this;
}

CString& CString::operator=(const char* text)
{
    CString copy(text);
    return *this = std::move(copy);
}

void CString::Release() noexcept
{
    if (m_rep && m_rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        Rep::Free(m_rep);
    m_rep = nullptr;
}

size_t CString::GetLength() const noexcept
{
    return m_rep ? m_rep->length : 0;
}

const char* CString::GetString() const noexcept
{
    return m_rep ? m_rep->Data() : "";
}

char CString::GetAt(size_t index) const noexcept
{
    return index < GetLength() ? m_rep->Data()[index] : '\0';
}

void CString::Reserve(size_t capacity, size_t keep)
{
    const bool unique = m_rep && m_rep->refs.load(std::memory_order_acquire) == 1;
    if (unique && m_rep->capacity >= capacity)
        return;
    // Grow geometrically so that repeated appends stay linear.
    size_t newCapacity = capacity;
    if (m_rep && capacity > m_rep->capacity && capacity < m_rep->capacity * 2)
        newCapacity = m_rep->capacity * 2;
    Rep* rep = Rep::Allocate(newCapacity);
    if (m_rep && keep > 0)
        std::memcpy(rep->Data(), m_rep->Data(), keep);
    rep->length = keep;
    rep->Data()[keep] = '\0';
    Release();
    m_rep = rep;
}

void CString::SetAt(size_t index, char byte)
{
    const size_t length = GetLength();
    if (index >= length)
        return;
    Reserve(length, length);
    m_rep->Data()[index] = byte;
}

CString& CString::Append(std::string_view bytes)
{
    if (bytes.empty())
        return *this;
    const size_t length = GetLength();
    // The source may live in our own buffer; keep it alive across Reserve.
    CString keepAlive(*this);
    Reserve(length + bytes.size(), length);
    std::memcpy(m_rep->Data() + length, bytes.data(), bytes.size());
    m_rep->length = length + bytes.size();
    m_rep->Data()[m_rep->length] = '\0';
    return *this;
}

char* CString::GetBuffer(size_t minLength)
{
    const size_t length = GetLength();
    Reserve(minLength > length ? minLength : length, length);
    return m_rep->Data();
}

void CString::ReleaseBuffer(size_t newLength)
{
    if (!m_rep)
        return;
    if (newLength == npos)
        newLength = std::strlen(m_rep->Data());
    if (newLength > m_rep->capacity)
        newLength = m_rep->capacity;
    m_rep->length = newLength;
    m_rep->Data()[newLength] = '\0';
    if (newLength == 0)
        Release();
}

int CString::Compare(const CString& other) const noexcept
{
    if (m_rep == other.m_rep)
        return 0;
    const size_t a = GetLength();
    const size_t b = other.GetLength();
    const size_t common = a < b ? a : b;
    if (common > 0) {
        const int c = std::memcmp(GetString(), other.GetString(), common); // memcmp compares as unsigned
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    return a < b ? -1 : (a > b ? 1 : 0);
}

bool operator==(const CString& a, const CString& b) noexcept
{
    return a.GetLength() == b.GetLength() && a.Compare(b) == 0;
}

} // namespace Brivel::Common
