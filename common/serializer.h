#pragma once
// CSerializer: the library's binary stream.
//
// A growable byte buffer opened either for storing or for restoring, never
// both; the mode is fixed at construction. Formats store their settings
// through it, field values and data objects their values.
//
// Byte layout: every number little-endian in the width named by the call;
// booleans one byte (1 / 0; any non-zero byte reads as true); reals as their
// IEEE bit pattern. Text (both string types): an int32 length L, then, only
// when L > 0, L + 1 bytes: the text and a terminating zero byte. On restore
// the text ends at the first zero byte of those bytes; L <= 0 is the empty
// text.
//
// Every misuse and every exhausted restore raises SerializationException
// with a fixed message (below); nothing ever reads past the buffer, and a
// length read from the stream is checked against the bytes that remain
// before anything is allocated for it.
//
// Versioning convention of the stored objects: the first item is an int32
// version, written as 1. On restore a version above 1 raises
// BadVersionException (formats), a version of 0 or less ends the restore
// leaving the object as it was. See ReadVersion.
//
// Ownership: the serializer owns its buffer.
// Thread: one serializer is used by one thread at a time.

#include "common/common_exception.h"
#include "common/cstring.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Brivel::Common {

class CFieldValue;
class CFormat;

class CSerializer {
public:
    // Whether a serializer stores or restores; fixed at construction.
    enum class Mode : int32_t { Store = 0, Restore = 1 };

    // Misuse of the stream and exhaustion of a restore.
    class SerializationException : public CommonException {
    public:
        using CommonException::CommonException;
    };

    // A stored object carries a version above the one this build writes.
    // The message is "<class name> doesn't support current version and can't
    // be deserialized."
    class BadVersionException : public SerializationException {
    public:
        // The exception for a stored object of class `className`.
        explicit BadVersionException(std::string_view className);
    };

    // The messages, exactly as raised.
    static constexpr const char* kStoreOnRestoreMessage = "Serializer was opened for restore operations";
    static constexpr const char* kRestoreOnStoreMessage = "Serializer was opened for store operations";
    static constexpr const char* kNotEnoughSpaceMessage = "Not enough space to restore the value";
    static constexpr const char* kGetDataOnRestoreMessage = "Serializer was opened for the restore operation";
    static constexpr const char* kSetDataOnStoreMessage = "Serializer was opened for the store operation";
    static constexpr const char* kTextTooLongMessage = "Text is too long to be stored";

    // The version every stored object of this build writes first.
    static constexpr int32_t kCurrentVersion = 1;

    // An empty stream for storing or for restoring (SetData fills it).
    explicit CSerializer(Mode mode) : m_mode(mode) {}
    CSerializer(const CSerializer&) = delete;
    CSerializer& operator=(const CSerializer&) = delete;
    CSerializer(CSerializer&& other) noexcept = default;
    ~CSerializer() = default;

    bool IsRestoring() const noexcept { return m_mode == Mode::Restore; } // false: storing

    // ---- Store (each raises kStoreOnRestoreMessage on a restore stream) ----
    // Appends count bytes; nothing for null bytes or a count of 0 or less.
    void WriteBytes(const void* bytes, std::ptrdiff_t count);
    // Appends the value in the layout above.
    void WriteInt8(int8_t value) { WriteLittleEndian(static_cast<uint8_t>(value), 1); }
    void WriteUInt8(uint8_t value) { WriteLittleEndian(value, 1); }
    void WriteInt16(int16_t value) { WriteLittleEndian(static_cast<uint16_t>(value), 2); }
    void WriteUInt16(uint16_t value) { WriteLittleEndian(value, 2); }
    void WriteInt32(int32_t value) { WriteLittleEndian(static_cast<uint32_t>(value), 4); }
    void WriteUInt32(uint32_t value) { WriteLittleEndian(value, 4); }
    void WriteInt64(int64_t value) { WriteLittleEndian(static_cast<uint64_t>(value), 8); }
    void WriteUInt64(uint64_t value) { WriteLittleEndian(value, 8); }
    void WriteBool(bool value) { WriteUInt8(value ? 1 : 0); }
    void WriteFloat(float value);
    void WriteDouble(double value);
    // Text layout above; a text longer than INT32_MAX - 1 bytes raises
    // kTextTooLongMessage.
    void WriteString(std::string_view text);
    void WriteCString(const CString& text) { WriteString(text.View()); }
    // Stores the value as CFieldValue::Serialize lays it out.
    void WriteFieldValue(const CFieldValue& value);
    // Stores the format's settings (its Serialize, which in store mode only
    // reads the format).
    void WriteFormat(const CFormat& format);

    // ---- Restore (each raises kRestoreOnStoreMessage on a store stream,
    // kNotEnoughSpaceMessage when fewer bytes remain than it needs) ----
    // Copies count bytes to destination; a count of 0 or less, or a null
    // destination, raises kNotEnoughSpaceMessage.
    void ReadBytes(void* destination, std::ptrdiff_t count);
    // Reads a value written by the Write call of its type.
    int8_t ReadInt8() { return static_cast<int8_t>(ReadLittleEndian(1)); }
    uint8_t ReadUInt8() { return static_cast<uint8_t>(ReadLittleEndian(1)); }
    int16_t ReadInt16() { return static_cast<int16_t>(ReadLittleEndian(2)); }
    uint16_t ReadUInt16() { return static_cast<uint16_t>(ReadLittleEndian(2)); }
    int32_t ReadInt32() { return static_cast<int32_t>(ReadLittleEndian(4)); }
    uint32_t ReadUInt32() { return static_cast<uint32_t>(ReadLittleEndian(4)); }
    int64_t ReadInt64() { return static_cast<int64_t>(ReadLittleEndian(8)); }
    uint64_t ReadUInt64() { return ReadLittleEndian(8); }
    bool ReadBool() { return ReadUInt8() != 0; }
    float ReadFloat();
    double ReadDouble();
    std::string ReadString();
    CString ReadCString();
    // Restores into value (emptied first).
    void ReadFieldValue(CFieldValue& value);
    CFieldValue ReadFieldValue();
    // Restores the format's settings (its Serialize).
    void ReadFormat(CFormat& format);

    // Reads a stored object's version. Returns it when it is 1; returns it
    // (0 or less) when the restore must end there; raises BadVersionException
    // for className when it is above the current version.
    int32_t ReadVersion(std::string_view className);

    // ---- Buffer ----
    size_t GetSize() const noexcept { return m_buffer.size(); } // bytes in the buffer
    // Restore streams: bytes not read yet.
    size_t GetRemaining() const noexcept { return m_buffer.size() - m_readPosition; }
    // Copies the whole buffer to destination, which must hold GetSize()
    // bytes, and returns the count; a null destination gives 0. Store mode
    // only (restore raises kGetDataOnRestoreMessage).
    size_t GetData(void* destination) const;
    // The whole buffer as a copy; store mode only, as above.
    std::vector<uint8_t> GetData() const;
    // Replaces the buffer by a copy of the bytes and rewinds the read
    // position; null bytes or a count of 0 or less change nothing. Restore
    // mode only (store raises kSetDataOnStoreMessage).
    void SetData(const void* bytes, std::ptrdiff_t count);
    void SetData(std::span<const uint8_t> bytes)
    {
        SetData(bytes.data(), static_cast<std::ptrdiff_t>(bytes.size()));
    }

private:
    [[noreturn]] static void Throw(const char* message);
    void RequireStore() const
    {
        if (m_mode != Mode::Store) [[unlikely]]
            Throw(kStoreOnRestoreMessage);
    }
    void RequireRestore(size_t count) const
    {
        if (m_mode != Mode::Restore) [[unlikely]]
            Throw(kRestoreOnStoreMessage);
        if (count == 0 || count > GetRemaining()) [[unlikely]]
            Throw(kNotEnoughSpaceMessage);
    }
    void WriteLittleEndian(uint64_t value, size_t width);
    // The bytes of one stored text, viewed in the buffer; valid until the
    // buffer changes.
    std::string_view ReadText();
    uint64_t ReadLittleEndian(size_t width);

    const Mode m_mode;
    std::vector<uint8_t> m_buffer;
    size_t m_readPosition = 0; // bytes consumed; always <= m_buffer.size()
};

} // namespace Brivel::Common
