#include "platform/archive.h"

#include "platform/runtime_class.h"

#include <QIODevice>

#include <algorithm>
#include <bit>
#include <cstring>

namespace Brivel::Platform {

namespace {

// Device stores collect this much before writing.
constexpr qsizetype kStoreBufferSize = 64 * 1024;
// Strings from devices that cannot tell their size are read in pieces of
// this size, so that a corrupt length allocates no more than the stream holds.
constexpr size_t kReadChunk = 64 * 1024;
// How long a load waits for a sequential device (a pipe, a socket) that has
// no byte ready before it takes the stream as ended.
constexpr int kDeviceWaitMs = 5000;

std::string Quoted(std::string_view text)
{
    std::string out = "'";
    out.append(text.substr(0, 200));
    out += '\'';
    return out;
}

} // namespace

CArchive::CArchive() : m_mode(Mode::Store) {}

CArchive::CArchive(QByteArray data) : m_mode(Mode::Load), m_data(std::move(data)) {}

CArchive::CArchive(QIODevice& device, Mode mode) : m_mode(mode), m_device(&device) {}

CArchive::~CArchive()
{
    if (m_device != nullptr && m_mode == Mode::Store && !m_closed) {
        try {
            FlushBuffer();
        } catch (const CArchiveException&) {
            // A destructor cannot report; Close() is where failures surface.
        }
    }
}

void CArchive::Throw(int32_t cause, const std::string& message) { throw CArchiveException(cause, message); }

int64_t CArchive::GetRemainingForTesting() const { return m_device == nullptr ? m_data.size() - m_position : Available(); }

void CArchive::FlushBuffer()
{
    if (m_device == nullptr || m_buffer.isEmpty())
        return;
    const qint64 written = m_device->write(m_buffer);
    if (written != m_buffer.size()) {
        m_buffer.clear();
        Throw(CArchiveException::kGeneric, "archive: writing to the device failed");
    }
    m_buffer.clear();
}

void CArchive::Flush()
{
    if (m_mode == Mode::Store && !m_closed)
        FlushBuffer();
}

void CArchive::Close()
{
    if (m_closed)
        return;
    Flush();
    m_closed = true;
}

void CArchive::CheckWritable()
{
    if (m_closed)
        Throw(CArchiveException::kGeneric, "archive: used after Close()");
    if (m_mode != Mode::Store)
        Throw(CArchiveException::kReadOnly, "archive: write on an archive opened for loading");
}

void CArchive::CheckReadable()
{
    if (m_closed)
        Throw(CArchiveException::kGeneric, "archive: used after Close()");
    if (m_mode != Mode::Load)
        Throw(CArchiveException::kWriteOnly, "archive: read on an archive opened for storing");
}

int64_t CArchive::Available() const
{
    if (m_device == nullptr)
        return m_data.size() - m_position;
    if (m_device->isSequential())
        return -1;
    return std::max<int64_t>(0, m_device->bytesAvailable());
}

// ---- Raw bytes ----

void CArchive::Write(const void* data, size_t size)
{
    CheckWritable();
    if (size == 0)
        return;
    m_buffer.append(static_cast<const char*>(data), qsizetype(size));
    if (m_device != nullptr && m_buffer.size() >= kStoreBufferSize)
        FlushBuffer();
}

void CArchive::ReadExact(void* data, size_t size)
{
    CheckReadable();
    if (size == 0)
        return;
    if (m_device == nullptr) {
        if (int64_t(size) > m_data.size() - m_position)
            Throw(CArchiveException::kEndOfFile, "archive: unexpected end of stream");
        std::memcpy(data, m_data.constData() + m_position, size);
        m_position += int64_t(size);
        return;
    }
    // Sequential devices hand out what they have; keep reading until the
    // value is complete or the stream has ended.
    char* out = static_cast<char*>(data);
    qint64 remaining = qint64(size);
    while (remaining > 0) {
        const qint64 got = m_device->read(out, remaining);
        if (got > 0) {
            out += got;
            remaining -= got;
            continue;
        }
        if (got < 0 && !m_device->atEnd())
            Throw(CArchiveException::kGeneric, "archive: reading from the device failed");
        if (got < 0 || !m_device->isSequential() || !m_device->waitForReadyRead(kDeviceWaitMs))
            Throw(CArchiveException::kEndOfFile, "archive: unexpected end of stream");
    }
}

void CArchive::Skip(uint64_t size)
{
    CheckReadable();
    const int64_t available = Available();
    if (available >= 0 && size > uint64_t(available))
        Throw(CArchiveException::kEndOfFile, "archive: unexpected end of stream");
    if (m_device == nullptr) {
        m_position += int64_t(size);
        return;
    }
    char scratch[4096];
    while (size > 0) {
        const size_t piece = size_t(std::min<uint64_t>(size, sizeof scratch));
        ReadExact(scratch, piece);
        size -= piece;
    }
}

// ---- Integers and reals ----

CArchive& CArchive::PutUnsigned(uint64_t value, int bytes)
{
    uint8_t out[8];
    for (int i = 0; i < bytes; ++i)
        out[i] = uint8_t(value >> (8 * i));
    Write(out, size_t(bytes));
    return *this;
}

uint64_t CArchive::GetUnsigned(int bytes)
{
    uint8_t in[8] = {};
    ReadExact(in, size_t(bytes));
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint64_t(in[i]) << (8 * i);
    return value;
}

CArchive& CArchive::operator<<(float v) { return PutUnsigned(std::bit_cast<uint32_t>(v), 4); }

CArchive& CArchive::operator<<(double v) { return PutUnsigned(std::bit_cast<uint64_t>(v), 8); }

CArchive& CArchive::operator>>(float& v)
{
    v = std::bit_cast<float>(uint32_t(GetUnsigned(4)));
    return *this;
}

CArchive& CArchive::operator>>(double& v)
{
    v = std::bit_cast<double>(GetUnsigned(8));
    return *this;
}

// ---- Byte strings ----

void CArchive::WriteString(std::string_view bytes)
{
    if (bytes.size() > kMaxStringLength)
        Throw(CArchiveException::kGeneric, "archive: string too long to store");
    *this << uint32_t(bytes.size());
    Write(bytes.data(), bytes.size());
}

std::string CArchive::ReadString()
{
    const uint32_t length = uint32_t(GetUnsigned(4));
    if (length > kMaxStringLength)
        Throw(CArchiveException::kGeneric, "archive: corrupt string length " + std::to_string(length));
    const int64_t available = Available();
    if (available >= 0 && int64_t(length) > available)
        Throw(CArchiveException::kEndOfFile, "archive: unexpected end of stream");
    std::string out;
    if (available >= 0) {
        out.resize(length);
        ReadExact(out.data(), length);
        return out;
    }
    // A device that cannot tell its size: grow with what actually arrives.
    size_t remaining = length;
    while (remaining > 0) {
        const size_t piece = std::min(remaining, kReadChunk);
        const size_t at = out.size();
        out.resize(at + piece);
        ReadExact(out.data() + at, piece);
        remaining -= piece;
    }
    return out;
}

// ---- Class references and objects ----

void CArchive::WriteClass(const CRuntimeClass& cls)
{
    WriteString(cls.GetName());
    *this << cls.GetSchema();
}

void CArchive::WriteNullClass() { WriteString(std::string_view()); }

CArchive::CClassRef CArchive::ReadClassRef()
{
    CClassRef ref;
    ref.name = ReadString();
    if (ref.name.empty())
        return ref;
    ref.schema = ReadInt32();
    ref.runtimeClass = FindRuntimeClass(ref.name);
    return ref;
}

// The registered class of a non-null reference, or kBadSchema.
const CRuntimeClass& CArchive::CheckedClass(const CClassRef& ref)
{
    if (ref.runtimeClass == nullptr)
        Throw(CArchiveException::kBadSchema, "archive: unknown class " + Quoted(ref.name));
    if (ref.schema > ref.runtimeClass->GetSchema())
        Throw(CArchiveException::kBadSchema, "archive: class " + Quoted(ref.name) + " stored with schema " +
                                                  std::to_string(ref.schema) + ", newer than " +
                                                  std::to_string(ref.runtimeClass->GetSchema()));
    return *ref.runtimeClass;
}

const CRuntimeClass& CArchive::ReadClass()
{
    const CClassRef ref = ReadClassRef();
    if (ref.IsNull())
        Throw(CArchiveException::kBadSchema, "archive: a class was expected, the null reference was stored");
    return CheckedClass(ref);
}

void CArchive::WriteObject(CObject* object)
{
    if (object == nullptr) {
        WriteNullClass();
        return;
    }
    WriteClass(*object->GetRuntimeClass());
    object->Serialize(*this);
}

std::unique_ptr<CObject> CArchive::ReadObject()
{
    CheckReadable();
    const CClassRef ref = ReadClassRef();
    if (ref.IsNull())
        return nullptr;
    std::unique_ptr<CObject> object = CheckedClass(ref).CreateObject();
    if (!object)
        Throw(CArchiveException::kBadClass, "archive: class " + Quoted(ref.name) + " cannot be created");
    object->Serialize(*this);
    return object;
}

// ---- Versions ----

void CArchive::CheckVersion(int32_t version, int32_t current, std::string_view what)
{
    if (version > current)
        Throw(CArchiveException::kBadSchema, std::string(what) + " stored with version " + std::to_string(version) +
                                                  ", newer than " + std::to_string(current));
}

int32_t CArchive::ReadVersion(int32_t current, std::string_view what)
{
    const int32_t version = ReadInt32();
    CheckVersion(version, current, what);
    return version;
}

} // namespace Brivel::Platform
