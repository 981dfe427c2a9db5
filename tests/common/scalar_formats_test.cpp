#include "common/scalar_formats.h"

#include <gtest/gtest.h>

#include <string>

namespace Brivel::Common {
namespace {

TEST(CBoolFormat, TextAndTolerantParse)
{
    const CBoolFormat format;
    EXPECT_EQ(format.Format(true), "true");
    EXPECT_EQ(format.Format(false), "false");
    bool value = false;
    EXPECT_TRUE(format.Parse(std::string(" TRUE "), value));
    EXPECT_TRUE(value);
    EXPECT_TRUE(format.Parse(std::string("T r\tU\ne"), value));
    EXPECT_TRUE(value);
    EXPECT_TRUE(format.Parse(std::string("yes"), value));
    EXPECT_FALSE(value);
    value = true;
    EXPECT_TRUE(format.Parse(std::string("truex"), value));
    EXPECT_FALSE(value);
    value = true;
    EXPECT_TRUE(format.Parse(std::string(""), value));
    EXPECT_FALSE(value);
}

TEST(StringFormats, TextIsTheStringInEitherFlavour)
{
    const CDefaultStlStringFormat stl;
    const CDefaultMfcStringFormat mfc;
    EXPECT_EQ(stl.Format(std::string("a\xe9")), "a\xe9");
    EXPECT_EQ(stl.FormatCString(std::string("abc")), CString("abc"));
    EXPECT_EQ(mfc.Format(CString("abc")), "abc");
    EXPECT_EQ(mfc.FormatCString(CString("abc")), CString("abc"));
}

TEST(StringFormats, GenericTextAcceptsEitherStringKind)
{
    const CDefaultStlStringFormat stl;
    const CDefaultMfcStringFormat mfc;
    EXPECT_EQ(stl.Format(CFieldValue(CString("framework"))), "framework");
    EXPECT_EQ(mfc.Format(CFieldValue(std::string("standard"))), "standard");
    EXPECT_EQ(mfc.FormatCString(CFieldValue(std::string("standard"))), CString("standard"));
    EXPECT_EQ(stl.Format(CFieldValue(int32_t{1})), "");
}

TEST(StringFormats, ParseCopiesTheTextAndAlwaysSucceeds)
{
    const CDefaultStlStringFormat stl;
    std::string text = "old";
    EXPECT_TRUE(stl.Parse(std::string(""), text));
    EXPECT_EQ(text, "");
    CString framework;
    EXPECT_TRUE(stl.Parse(CString("bytes"), framework));
    EXPECT_EQ(framework, CString("bytes"));

    CFieldValue value;
    EXPECT_TRUE(CDefaultMfcStringFormat().Parse(std::string("x"), value));
    EXPECT_EQ(value.GetKind(), KindCString);
    EXPECT_EQ(value.GetCString(), CString("x"));
}

TEST(CEmptyFormat, EveryTextIsEmptyAndEveryParseFails)
{
    const CEmptyFormat format(KindOpaque);
    EXPECT_EQ(format.GetKind(), KindOpaque);
    EXPECT_EQ(format.Format(OpaqueWord{5}), "");
    EXPECT_EQ(format.Format(CFieldValue(OpaqueWord{5})), "");
    OpaqueWord word{3};
    EXPECT_FALSE(format.Parse(std::string("5"), word));
    CFieldValue value;
    EXPECT_FALSE(format.Parse(std::string("5"), value));
    EXPECT_EQ(value.GetKind(), KindNone);
    EXPECT_EQ(CEmptyFormat().GetKind(), KindNone);
}

} // namespace
} // namespace Brivel::Common
