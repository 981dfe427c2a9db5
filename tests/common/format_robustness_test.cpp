// Random and damaged input for every format and every restore path: each
// must give its documented result or a SerializationException, never read
// out of bounds or crash (the sanitizer builds watch the memory side).

#include "common/field_value.h"
#include "common/format_envelope.h"
#include "common/format_registry.h"
#include "common/scalar_formats.h"
#include "common/serializer.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <string>
#include <vector>

namespace Brivel::Common {
namespace {

using Bytes = std::vector<uint8_t>;

class FormatRobustnessTest : public ::testing::Test {
protected:
    // Texts drawn from every byte value, and from the characters the
    // parsers look for, so that both the garbage and the near-miss paths run.
    std::string RandomText()
    {
        static constexpr char kInteresting[] = "0123456789-+.,eEdDxX abcfABCF\t\r\ntrue";
        const size_t length = m_random() % 40;
        std::string text;
        for (size_t i = 0; i < length; ++i) {
            if (m_random() % 2)
                text.push_back(kInteresting[m_random() % (sizeof(kInteresting) - 1)]);
            else
                text.push_back(static_cast<char>(m_random() % 256));
        }
        return text;
    }

    Bytes RandomBytes(size_t maxLength)
    {
        Bytes bytes(m_random() % (maxLength + 1));
        for (auto& byte : bytes)
            byte = static_cast<uint8_t>(m_random() % 256);
        return bytes;
    }

    std::mt19937 m_random{20240611};
};

TEST_F(FormatRobustnessTest, EveryFormatParsesAnyTextSafely)
{
    for (const std::string& name : GetRegisteredFormatClasses()) {
        const std::unique_ptr<CFormat> format = CreateFormat(name);
        ASSERT_NE(format, nullptr);
        for (int i = 0; i < 1500; ++i) {
            const std::string text = RandomText();
            CFieldValue value;
            const bool parsed = format->Parse(text, value);
            if (parsed && format->GetKind() != KindNone) {
                EXPECT_EQ(value.GetKind(), format->GetKind());
            }
            CFieldValue fromCString;
            EXPECT_EQ(format->Parse(CString(text), fromCString), parsed) << name;
            // Whatever was parsed formats again without trouble.
            (void)format->Format(value);
            (void)format->FormatCString(value);
        }
    }
}

TEST_F(FormatRobustnessTest, TolerantParsersAlwaysSucceed)
{
    const CDoubleFormat real;
    const CFloatFormat single;
    const CBoolFormat boolean;
    const CDefaultStlStringFormat text;
    for (int i = 0; i < 3000; ++i) {
        const std::string input = RandomText();
        double d = 0;
        float f = 0;
        bool b = false;
        std::string s;
        EXPECT_TRUE(real.Parse(input, d));
        EXPECT_TRUE(single.Parse(input, f));
        EXPECT_TRUE(boolean.Parse(input, b));
        EXPECT_TRUE(text.Parse(input, s));
        EXPECT_EQ(s, input);
    }
}

TEST_F(FormatRobustnessTest, RealFormatsPrintAnyBitPattern)
{
    const CDoubleFormat real(9, true, true, '<', '>', ' ');
    const CFloatFormat single(6, true, true, '<', '>', ' ');
    for (int i = 0; i < 5000; ++i) {
        const uint64_t bits = (static_cast<uint64_t>(m_random()) << 32) | m_random();
        EXPECT_LT(real.Format(std::bit_cast<double>(bits)).size(), 64u);
        EXPECT_LT(single.Format(std::bit_cast<float>(static_cast<uint32_t>(bits))).size(), 64u);
    }
}

template <class Body>
void RestoreOrFail(Body&& body)
{
    try {
        body();
    } catch (const CSerializer::SerializationException&) {
        // the documented failure of a damaged stream
    }
}

TEST_F(FormatRobustnessTest, EveryFormatRestoresFromRandomBytesSafely)
{
    for (const std::string& name : GetRegisteredFormatClasses()) {
        for (int i = 0; i < 500; ++i) {
            Bytes bytes = RandomBytes(24);
            if (bytes.size() >= 4 && (i % 2)) {
                bytes[0] = 1; // mostly a valid version, so the settings are read
                bytes[1] = bytes[2] = bytes[3] = 0;
            }
            const std::unique_ptr<CFormat> format = CreateFormat(name);
            RestoreOrFail([&] {
                CSerializer serializer(CSerializer::Mode::Restore);
                serializer.SetData(bytes);
                serializer.ReadFormat(*format);
            });
            (void)format->Format(CFieldValue(int32_t{-123456}));
            (void)format->Format(CFieldValue(1.25));
        }
    }
}

TEST_F(FormatRobustnessTest, TruncatedStoredFormatsRaiseAtEveryCut)
{
    for (const std::string& name : GetRegisteredFormatClasses()) {
        const std::unique_ptr<CFormat> original = CreateFormat(name);
        CSerializer store(CSerializer::Mode::Store);
        store.WriteFormat(*original);
        const Bytes full = store.GetData();
        for (size_t cut = 1; cut < full.size(); ++cut) {
            const std::unique_ptr<CFormat> format = CreateFormat(name);
            CSerializer serializer(CSerializer::Mode::Restore);
            serializer.SetData(full.data(), static_cast<std::ptrdiff_t>(cut));
            EXPECT_THROW(serializer.ReadFormat(*format), CSerializer::SerializationException) << name << " cut " << cut;
        }
    }
}

TEST_F(FormatRobustnessTest, FieldValuesAndTextsRestoreFromRandomBytesSafely)
{
    for (int i = 0; i < 5000; ++i) {
        const Bytes bytes = RandomBytes(32);
        RestoreOrFail([&] {
            CSerializer serializer(CSerializer::Mode::Restore);
            serializer.SetData(bytes);
            while (serializer.GetRemaining() > 0) {
                CFieldValue value = serializer.ReadFieldValue();
                EXPECT_TRUE(value.GetKind() >= KindNone && value.GetKind() <= KindDouble);
            }
        });
        RestoreOrFail([&] {
            CSerializer serializer(CSerializer::Mode::Restore);
            serializer.SetData(bytes);
            while (serializer.GetRemaining() > 0)
                EXPECT_LE(serializer.ReadString().size(), bytes.size());
        });
        RestoreOrFail([&] {
            CSerializer serializer(CSerializer::Mode::Restore);
            serializer.SetData(bytes);
            (void)ReadFormatEnvelope(serializer);
        });
    }
}

TEST_F(FormatRobustnessTest, DamagedEnvelopesRestoreOrRaise)
{
    CSerializer store(CSerializer::Mode::Store);
    const CDoubleFormat format(4, true, false, '$', '%', '.');
    WriteFormatEnvelope(store, &format);
    const Bytes valid = store.GetData();
    for (int i = 0; i < 3000; ++i) {
        Bytes bytes = valid;
        const int flips = 1 + static_cast<int>(m_random() % 3);
        for (int f = 0; f < flips; ++f)
            bytes[m_random() % bytes.size()] ^= static_cast<uint8_t>(1u << (m_random() % 8));
        bytes.resize(m_random() % (bytes.size() + 1));
        RestoreOrFail([&] {
            CSerializer serializer(CSerializer::Mode::Restore);
            serializer.SetData(bytes);
            (void)ReadFormatEnvelope(serializer);
        });
    }
}

} // namespace
} // namespace Brivel::Common
