#pragma once
// CArchive: the binary stream that the grid, its header, columns and paint
// formats store their settings in, and CArchiveException, its failure.
//
// An archive either stores or loads, over memory (a QByteArray it owns) or a
// QIODevice it borrows. Everything is little-endian:
// - integers of 8, 16, 32 and 64 bits (operator<< / operator>>), bool as one
//   byte (any non-zero byte loads as true), float and double as their IEEE
//   bits;
// - byte strings as a uint32 length followed by the bytes (no terminator);
// - class references as the registered class name (a byte string) followed
//   by the class's int32 schema; an empty name is the null reference and has
//   no schema;
// - objects as a class reference followed by what the object's Serialize
//   writes.
//
// Failures throw CArchiveException with a cause:
//   kGeneric (1)    the device failed, or a stored length is absurd (a string
//                   longer than kMaxStringLength is refused before anything is
//                   allocated);
//   kReadOnly (2)   a write on a loading archive;
//   kEndOfFile (3)  the stream ends before the value: a truncated stream never
//                   reads past its end (a sequential device that has nothing
//                   for 5 seconds counts as ended);
//   kWriteOnly (4)  a read on a storing archive;
//   kBadClass (6)   an object of another class than asked for, or of a
//                   registered class that cannot be created;
//   kBadSchema (7)  a stored form newer than this code: a version or class
//                   schema above the current one, or a reference to a class
//                   that is not registered (ReadObject, ReadClass). Callers
//                   that can skip an unknown class read the reference with
//                   ReadClassRef() instead, which answers it without throwing.
// After an exception the archive's position is unspecified; callers drop it.
//
// Thread: any one thread at a time.

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

class QIODevice;

namespace Brivel::Platform {

class CObject;
class CRuntimeClass;

// The failure of an archive operation: a cause code (see the top of this
// file) and a message.
class CArchiveException : public std::runtime_error {
public:
    // The causes.
    static constexpr int32_t kNone = 0;
    static constexpr int32_t kGeneric = 1;
    static constexpr int32_t kReadOnly = 2;
    static constexpr int32_t kEndOfFile = 3;
    static constexpr int32_t kWriteOnly = 4;
    static constexpr int32_t kBadClass = 6;
    static constexpr int32_t kBadSchema = 7;

    // An exception of cause `cause`.
    CArchiveException(int32_t cause, const std::string& message) : std::runtime_error(message), m_cause(cause) {}
    // The cause code.
    int32_t GetCause() const noexcept { return m_cause; }

private:
    int32_t m_cause;
};

class CArchive {
public:
    // Whether an archive over a device stores or loads.
    enum class Mode { Store, Load };

    // Longest byte string a load accepts.
    static constexpr uint32_t kMaxStringLength = 64u << 20;

    // Stores into memory; GetData() answers the bytes.
    CArchive();
    // Loads from `data`.
    explicit CArchive(QByteArray data);
    // Stores to or loads from `device`, which must be open for it and
    // outlive this. Stored bytes are buffered and written by Flush(), Close()
    // or the destructor.
    CArchive(QIODevice& device, Mode mode);
    // Writes what is buffered (errors are swallowed here: call Close() to see them).
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    // Which way the archive works.
    bool IsStoring() const { return m_mode == Mode::Store; }
    bool IsLoading() const { return m_mode == Mode::Load; } // the other way

    // The bytes stored so far (memory archives).
    const QByteArray& GetData() const { return m_buffer; }
    // Loading from memory: bytes not yet read.
    int64_t GetRemainingForTesting() const;

    // Writes buffered bytes to the device; throws kGeneric when it fails.
    void Flush();
    // Flush, then refuse further use (both directions raise kGeneric).
    void Close();

    // ---- Raw bytes ----
    // Writes `size` bytes as they are.
    void Write(const void* data, size_t size);
    // Reads exactly `size` bytes or throws kEndOfFile.
    void ReadExact(void* data, size_t size);
    // Skips `size` bytes or throws kEndOfFile.
    void Skip(uint64_t size);

    // ---- Integers and reals ----
    // Writes the value little-endian in its width (bool and char one byte);
    // loads the same way (any non-zero byte loads as true).
    CArchive& operator<<(int8_t v) { return PutUnsigned(uint8_t(v), 1); }
    CArchive& operator<<(uint8_t v) { return PutUnsigned(v, 1); }
    CArchive& operator<<(char v) { return PutUnsigned(uint8_t(v), 1); }
    CArchive& operator<<(bool v) { return PutUnsigned(v ? 1u : 0u, 1); }
    CArchive& operator<<(int16_t v) { return PutUnsigned(uint16_t(v), 2); }
    CArchive& operator<<(uint16_t v) { return PutUnsigned(v, 2); }
    CArchive& operator<<(int32_t v) { return PutUnsigned(uint32_t(v), 4); }
    CArchive& operator<<(uint32_t v) { return PutUnsigned(v, 4); }
    CArchive& operator<<(int64_t v) { return PutUnsigned(uint64_t(v), 8); }
    CArchive& operator<<(uint64_t v) { return PutUnsigned(v, 8); }
    CArchive& operator<<(float v);
    CArchive& operator<<(double v);

    // Reads a value written by the operator<< of its type.
    CArchive& operator>>(int8_t& v) { v = int8_t(GetUnsigned(1)); return *this; }
    CArchive& operator>>(uint8_t& v) { v = uint8_t(GetUnsigned(1)); return *this; }
    CArchive& operator>>(char& v) { v = char(GetUnsigned(1)); return *this; }
    CArchive& operator>>(bool& v) { v = GetUnsigned(1) != 0; return *this; }
    CArchive& operator>>(int16_t& v) { v = int16_t(GetUnsigned(2)); return *this; }
    CArchive& operator>>(uint16_t& v) { v = uint16_t(GetUnsigned(2)); return *this; }
    CArchive& operator>>(int32_t& v) { v = int32_t(uint32_t(GetUnsigned(4))); return *this; }
    CArchive& operator>>(uint32_t& v) { v = uint32_t(GetUnsigned(4)); return *this; }
    CArchive& operator>>(int64_t& v) { v = int64_t(GetUnsigned(8)); return *this; }
    CArchive& operator>>(uint64_t& v) { v = GetUnsigned(8); return *this; }
    CArchive& operator>>(float& v);
    CArchive& operator>>(double& v);

    // The next int32 / byte, for loads that need the value in an expression.
    int32_t ReadInt32() { int32_t v = 0; *this >> v; return v; }
    uint8_t ReadByte() { uint8_t v = 0; *this >> v; return v; } // the next byte

    // ---- Byte strings ----
    // A byte string: a uint32 length, then the bytes.
    void WriteString(std::string_view bytes);
    // Reads a byte string; a length above kMaxStringLength raises kGeneric.
    std::string ReadString();
    // WriteString and ReadString as operators (a null `const char*` writes the
    // empty string).
    CArchive& operator<<(std::string_view bytes) { WriteString(bytes); return *this; }
    CArchive& operator<<(const char* bytes) { WriteString(bytes != nullptr ? std::string_view(bytes) : std::string_view()); return *this; }
    CArchive& operator>>(std::string& bytes) { bytes = ReadString(); return *this; }

    // ---- Class references and objects ----
    // A stored class reference as it was read.
    struct CClassRef {
        std::string name;                         // empty: the null reference
        int32_t schema = 0; // the stored schema of the class
        const CRuntimeClass* runtimeClass = nullptr; // null when no class of that name is registered
        // True for the null reference.
        bool IsNull() const { return name.empty(); }
    };

    // Writes the class's reference: its registered name and its schema.
    void WriteClass(const CRuntimeClass& cls);
    // Writes the null class reference (an empty name).
    void WriteNullClass();
    // Answers the stored reference as it is, without judging it.
    CClassRef ReadClassRef();
    // The registered class of a stored reference; kBadSchema for a null or
    // unknown reference or a newer schema.
    const CRuntimeClass& ReadClass();

    // Stores the object's class reference, then its state (null: the null reference).
    void WriteObject(CObject* object);
    // Loads an object stored by WriteObject: null for the null reference;
    // kBadSchema for an unknown class or a newer schema; kBadClass for a
    // class that cannot be created.
    std::unique_ptr<CObject> ReadObject();
    // ReadObject, and kBadClass when the object is not a T. Null stays null.
    template <typename T>
    std::unique_ptr<T> ReadObjectAs();

    // ---- Versions ----
    // Reads an int32 version: above `current` raises kBadSchema ("<what> ...");
    // otherwise answers it (0 or less means: the block stores nothing more).
    int32_t ReadVersion(int32_t current, std::string_view what = "stored form");
    // The same check for a version read by the caller.
    static void CheckVersion(int32_t version, int32_t current, std::string_view what = "stored form");

    // Throws CArchiveException(cause, message).
    [[noreturn]] static void Throw(int32_t cause, const std::string& message);

private:
    CArchive& PutUnsigned(uint64_t value, int bytes);
    uint64_t GetUnsigned(int bytes);
    void CheckWritable();
    void CheckReadable();
    // Bytes that may still come, or -1 when the device cannot tell.
    int64_t Available() const;
    void FlushBuffer();
    static const CRuntimeClass& CheckedClass(const CClassRef& ref);

    Mode m_mode;
    QIODevice* m_device = nullptr; // Not owned; outlives this.
    QByteArray m_buffer;           // store: bytes not yet on the device (memory: everything)
    QByteArray m_data;             // load from memory
    int64_t m_position = 0;        // load from memory: read position in m_data
    bool m_closed = false;
};

template <typename T>
std::unique_ptr<T> CArchive::ReadObjectAs()
{
    std::unique_ptr<CObject> object = ReadObject();
    if (!object)
        return nullptr;
    T* typed = dynamic_cast<T*>(object.get());
    if (typed == nullptr)
        Throw(CArchiveException::kBadClass, "stored object is not of the expected class");
    object.release();
    return std::unique_ptr<T>(typed);
}

} // namespace Brivel::Platform
