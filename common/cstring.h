#pragma once
// CString: the framework byte string of value kind 1.
//
// A reference-counted, copy-on-write byte string. Copying a CString shares its
// buffer (one atomic increment, no allocation); the first write through a
// shared copy gives that copy a buffer of its own. The bytes are opaque: any
// byte, NUL included, may be stored, and comparison is byte-wise as unsigned
// values. The empty string holds no buffer at all.
//
// CString is deliberately a different type from std::string (kind 2): the two
// never convert implicitly into each other. Use `CString(std::string)` /
// `CString(std::string_view)` and `ToStdString()` to convert, byte for byte.
//
// Ownership: each CString holds one reference to its buffer; the last one to
// let go frees it.
// Thread: one CString object is not synchronised, but distinct CString objects
// that share a buffer may be used on different threads at once: the reference
// count is atomic and a shared buffer is never written.

#include <compare>
#include <cstddef>
#include <string>
#include <string_view>

namespace Brivel::Common {

class CString {
public:
    static constexpr size_t npos = static_cast<size_t>(-1); // "up to the first NUL" for ReleaseBuffer

    // The empty string.
    CString() noexcept = default;
    // From a NUL-terminated text; a null pointer gives the empty string.
    CString(const char* text); // NOLINT(google-explicit-constructor): literals read naturally
    // From `length` bytes at `bytes`; from a string view; from a std::string.
    CString(const char* bytes, size_t length);
    explicit CString(std::string_view bytes);
    explicit CString(const std::string& text);
    // Copies share the buffer; a moved-from string is empty.
    CString(const CString& other) noexcept;
    CString(CString&& other) noexcept : m_rep(other.m_rep) { other.m_rep = nullptr; }
    // Assignments: share, take over, or copy a NUL-terminated text (null: empty).
    CString& operator=(const CString& other) noexcept;
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* text);
    ~CString() { Release(); }

    size_t GetLength() const noexcept; // in bytes
    bool IsEmpty() const noexcept { return GetLength() == 0; } // no bytes

    // The bytes followed by a NUL; "" for the empty string. Valid until the
    // next change of this object.
    const char* GetString() const noexcept;
    std::string_view View() const noexcept { return {GetString(), GetLength()}; } // the bytes; valid as GetString's
    std::string ToStdString() const { return std::string(View()); } // a copy of the bytes
    explicit operator std::string() const { return ToStdString(); } // ToStdString

    // Byte at index; an index past the end gives 0.
    char GetAt(size_t index) const noexcept;
    char operator[](size_t index) const noexcept { return GetAt(index); } // GetAt
    // Replaces the byte at index (ignored past the end); unshares first.
    void SetAt(size_t index, char byte);

    void Empty() noexcept { Release(); } // becomes the empty string
    // Appends bytes (unshares first); += appends a string, a text or a byte.
    CString& Append(std::string_view bytes);
    // Append a string, a NUL-terminated text (null: nothing) or a byte.
    CString& operator+=(const CString& other) { return Append(other.View()); }
    CString& operator+=(const char* text) { return Append(text ? std::string_view(text) : std::string_view()); }
    CString& operator+=(char byte) { return Append(std::string_view(&byte, 1)); }

    // Direct write access: a buffer of at least minLength bytes (plus a NUL
    // slot), owned by this string alone. ReleaseBuffer sets the length: to
    // newLength, or up to the first NUL when it is npos.
    char* GetBuffer(size_t minLength);
    void ReleaseBuffer(size_t newLength = npos); // ends the direct write access (see GetBuffer)

    // Byte-wise comparison as unsigned values; a prefix orders first.
    int Compare(const CString& other) const noexcept;

    // Byte-wise equality and order, as Compare.
    friend bool operator==(const CString& a, const CString& b) noexcept;
    friend std::strong_ordering operator<=>(const CString& a, const CString& b) noexcept
    {
        const int c = a.Compare(b);
        return c < 0 ? std::strong_ordering::less
                     : (c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal);
    }

    // For tests: both hold the same buffer.
    bool SharesBufferWithForTesting(const CString& other) const noexcept
    {
        return m_rep != nullptr && m_rep == other.m_rep;
    }

private:
    struct Rep;

    void Release() noexcept;
    // Makes m_rep unshared with room for capacity bytes, keeping the first
    // keep bytes of the current content. Slow path: allocates.
    void Reserve(size_t capacity, size_t keep);

    Rep* m_rep = nullptr; // Shared, counted; null for the empty string.
};

static_assert(sizeof(CString) == sizeof(void*), "CString is stored inline in CFieldValue's payload");

inline CString operator+(CString a, const CString& b) { return a += b; }

} // namespace Brivel::Common
