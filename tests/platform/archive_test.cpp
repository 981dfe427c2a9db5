// CArchive: byte layout, round trips, truncated and corrupt streams, class
// references and versions.
#include "platform/archive.h"

#include "platform/runtime_class.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QIODevice>

#include <cmath>
#include <functional>
#include <limits>

namespace Brivel::Platform {
namespace {

// A stored test object: a version, then one int.
class CArchiveProbe : public CObject {
    BRIVEL_DECLARE_RUNTIME_CLASS(CArchiveProbe)
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar << int32_t(1) << value;
        } else if (ar.ReadVersion(1, "CArchiveProbe") > 0) {
            ar >> value;
        }
    }
    int32_t value = 0;
};
BRIVEL_IMPLEMENT_RUNTIME_CLASS(CArchiveProbe, CObject, "Test::CArchiveProbe", 1)

class COtherProbe : public CObject {
    BRIVEL_DECLARE_RUNTIME_CLASS(COtherProbe)
};
BRIVEL_IMPLEMENT_RUNTIME_CLASS(COtherProbe, CObject, "Test::COtherProbe", 1)

int32_t CauseOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const CArchiveException& e) {
        return e.GetCause();
    }
    return -1;
}

QByteArray Bytes(std::initializer_list<uint8_t> bytes)
{
    QByteArray out;
    for (uint8_t b : bytes)
        out.append(char(b));
    return out;
}

TEST(Archive, IntegersAndStringsAreLittleEndian)
{
    CArchive ar;
    ar << int32_t(0x01020304) << uint16_t(0xBEEF) << "ab" << true << int8_t(-1);
    EXPECT_EQ(ar.GetData(), Bytes({4, 3, 2, 1, 0xEF, 0xBE, 2, 0, 0, 0, 'a', 'b', 1, 0xFF}));
}

TEST(Archive, EveryTypeRoundTrips)
{
    const std::string binary("a\0b\xFF", 4);
    CArchive store;
    store << int8_t(-128) << uint8_t(255) << int16_t(-32768) << uint16_t(65535) << std::numeric_limits<int32_t>::min()
          << std::numeric_limits<uint32_t>::max() << std::numeric_limits<int64_t>::min()
          << std::numeric_limits<uint64_t>::max() << false << true << 1.5f << -0.0 << std::nan("") << 'x';
    store.WriteString("");
    store.WriteString(binary);

    CArchive load(store.GetData());
    int8_t i8;
    uint8_t u8;
    int16_t i16;
    uint16_t u16;
    int32_t i32;
    uint32_t u32;
    int64_t i64;
    uint64_t u64;
    bool f, t;
    float fl;
    double negativeZero, nan;
    char c;
    load >> i8 >> u8 >> i16 >> u16 >> i32 >> u32 >> i64 >> u64 >> f >> t >> fl >> negativeZero >> nan >> c;
    EXPECT_EQ(i8, -128);
    EXPECT_EQ(u8, 255);
    EXPECT_EQ(i16, -32768);
    EXPECT_EQ(u16, 65535);
    EXPECT_EQ(i32, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(u32, std::numeric_limits<uint32_t>::max());
    EXPECT_EQ(i64, std::numeric_limits<int64_t>::min());
    EXPECT_EQ(u64, std::numeric_limits<uint64_t>::max());
    EXPECT_FALSE(f);
    EXPECT_TRUE(t);
    EXPECT_EQ(fl, 1.5f);
    EXPECT_TRUE(std::signbit(negativeZero));
    EXPECT_TRUE(std::isnan(nan));
    EXPECT_EQ(c, 'x');
    EXPECT_EQ(load.ReadString(), "");
    EXPECT_EQ(load.ReadString(), binary);
    EXPECT_EQ(load.GetRemainingForTesting(), 0);
}

TEST(Archive, TruncatedStreamRaisesEndOfFileWithoutReadingPastIt)
{
    EXPECT_EQ(CauseOf([] { CArchive ar(Bytes({1, 2, 3})); ar.ReadInt32(); }), CArchiveException::kEndOfFile);
    EXPECT_EQ(CauseOf([] { CArchive ar(Bytes({})); ar.ReadByte(); }), CArchiveException::kEndOfFile);
    EXPECT_EQ(CauseOf([] { CArchive ar(Bytes({5, 0, 0, 0, 'a', 'b'})); ar.ReadString(); }), CArchiveException::kEndOfFile);
    EXPECT_EQ(CauseOf([] { CArchive ar(Bytes({1, 2})); ar.Skip(3); }), CArchiveException::kEndOfFile);
}

TEST(Archive, CorruptLengthIsRefusedBeforeAllocating)
{
    EXPECT_EQ(CauseOf([] { CArchive ar(Bytes({0xF0, 0xFF, 0xFF, 0xFF})); ar.ReadString(); }), CArchiveException::kGeneric);
    // Within the limit but longer than what is there: end of file, not a 60 MB string.
    EXPECT_EQ(CauseOf([] { CArchive ar(Bytes({0, 0, 0, 3, 'x'})); ar.ReadString(); }), CArchiveException::kEndOfFile);
}

TEST(Archive, DirectionIsEnforced)
{
    EXPECT_EQ(CauseOf([] { CArchive ar(QByteArray("abcd")); ar << int32_t(1); }), CArchiveException::kReadOnly);
    EXPECT_EQ(CauseOf([] { CArchive ar; ar.ReadInt32(); }), CArchiveException::kWriteOnly);
    EXPECT_EQ(CauseOf([] { CArchive ar; ar.Close(); ar << 1; }), CArchiveException::kGeneric);
}

TEST(Archive, NewerVersionRaisesBadSchema)
{
    CArchive store;
    store << int32_t(2) << int32_t(0) << int32_t(-1);
    CArchive load(store.GetData());
    EXPECT_EQ(CauseOf([&] { load.ReadVersion(1); }), CArchiveException::kBadSchema);
    EXPECT_EQ(load.ReadVersion(1), 0) << "0 reads as 'nothing more stored'";
    EXPECT_EQ(load.ReadVersion(1), -1);
}

class ArchiveObjects : public testing::Test {
protected:
    QByteArray StoreProbe(int32_t value)
    {
        CArchive ar;
        CArchiveProbe probe;
        probe.value = value;
        ar.WriteObject(&probe);
        ar.WriteObject(nullptr);
        ar << int32_t(99);
        return ar.GetData();
    }
};

TEST_F(ArchiveObjects, ObjectIsCreatedFromItsStoredClassName)
{
    CArchive ar(StoreProbe(42));
    std::unique_ptr<CArchiveProbe> probe = ar.ReadObjectAs<CArchiveProbe>();
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(probe->value, 42);
    EXPECT_EQ(probe->GetRuntimeClassName(), "Test::CArchiveProbe");
    EXPECT_EQ(ar.ReadObject(), nullptr) << "the null reference";
    EXPECT_EQ(ar.ReadInt32(), 99);
}

TEST_F(ArchiveObjects, UnknownClassIsDetectableAndRaisesBadSchemaWhenCreated)
{
    QByteArray data = StoreProbe(7);
    data.replace("Test::CArchiveProbe", "Test::CArchiveGone!");
    {
        // A reader that can skip: the reference tells the name, and the
        // object's state loads into a default object of a known class.
        CArchive ar(data);
        const CArchive::CClassRef ref = ar.ReadClassRef();
        EXPECT_EQ(ref.name, "Test::CArchiveGone!");
        EXPECT_EQ(ref.schema, 1);
        EXPECT_EQ(ref.runtimeClass, nullptr);
        CArchiveProbe stand_in;
        stand_in.Serialize(ar);
        EXPECT_EQ(stand_in.value, 7);
        EXPECT_EQ(ar.ReadObject(), nullptr);
        EXPECT_EQ(ar.ReadInt32(), 99);
    }
    CArchive ar(data);
    EXPECT_EQ(CauseOf([&] { ar.ReadObject(); }), CArchiveException::kBadSchema);
}

TEST_F(ArchiveObjects, NewerSchemaAndWrongClassAreRefused)
{
    CArchive newer;
    newer.WriteString("Test::CArchiveProbe");
    newer << int32_t(2);
    CArchive load(newer.GetData());
    EXPECT_EQ(CauseOf([&] { load.ReadObject(); }), CArchiveException::kBadSchema);

    CArchive store;
    COtherProbe other;
    store.WriteObject(&other);
    CArchive wrong(store.GetData());
    EXPECT_EQ(CauseOf([&] { wrong.ReadObjectAs<CArchiveProbe>(); }), CArchiveException::kBadClass);

    CArchive abstractRef;
    abstractRef.WriteClass(CObject::RuntimeClass());
    CArchive loadAbstract(abstractRef.GetData());
    EXPECT_EQ(CauseOf([&] { loadAbstract.ReadObject(); }), CArchiveException::kBadSchema)
        << "CObject itself is not registered";
}

// A device that cannot tell its size and hands out data in small pieces.
class CTrickleDevice : public QIODevice {
public:
    explicit CTrickleDevice(QByteArray data) : m_data(std::move(data)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* out, qint64 max) override
    {
        const qint64 n = std::min<qint64>({max, 3, m_data.size() - m_at});
        std::memcpy(out, m_data.constData() + m_at, size_t(n));
        m_at += n;
        return n == 0 ? -1 : n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_at = 0;
};

TEST(ArchiveDevices, StoreAndLoadThroughADevice)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        CArchive ar(buffer, CArchive::Mode::Store);
        for (int32_t i = 0; i < 20000; ++i)
            ar << i; // more than one store buffer
        ar.WriteString("tail");
        ar.Close();
    }
    buffer.close();
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(buffer, CArchive::Mode::Load);
    for (int32_t i = 0; i < 20000; ++i)
        ASSERT_EQ(ar.ReadInt32(), i);
    EXPECT_EQ(ar.ReadString(), "tail");
    EXPECT_EQ(CauseOf([&] { ar.ReadByte(); }), CArchiveException::kEndOfFile);
}

TEST(ArchiveDevices, SequentialDeviceWithALyingLengthEndsInEndOfFile)
{
    CTrickleDevice device(Bytes({0, 0, 0, 2, 'a', 'b', 'c', 'd', 'e'})); // claims 32 MB
    CArchive ar(device, CArchive::Mode::Load);
    EXPECT_EQ(CauseOf([&] { ar.ReadString(); }), CArchiveException::kEndOfFile);

    CTrickleDevice small(Bytes({3, 0, 0, 0, 'a', 'b', 'c'}));
    CArchive ok(small, CArchive::Mode::Load);
    EXPECT_EQ(ok.ReadString(), "abc");
}

TEST(ArchiveDevices, WriteFailureSurfacesOnClose)
{
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    CArchive ar(readOnly, CArchive::Mode::Store);
    ar << int32_t(1);
    EXPECT_EQ(CauseOf([&] { ar.Close(); }), CArchiveException::kGeneric);
}

} // namespace
} // namespace Brivel::Platform
