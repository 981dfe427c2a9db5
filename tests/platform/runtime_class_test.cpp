// The run-time class registry.
#include "platform/runtime_class.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace Brivel::Platform {
namespace {

class CShape : public CObject {
    BRIVEL_DECLARE_RUNTIME_CLASS(CShape)
    virtual int Corners() const = 0;
};
BRIVEL_IMPLEMENT_RUNTIME_CLASS(CShape, CObject, "Test::CShape", 1)

class CSquare : public CShape {
    BRIVEL_DECLARE_RUNTIME_CLASS(CSquare)
    int Corners() const override { return 4; }
};
BRIVEL_IMPLEMENT_RUNTIME_CLASS(CSquare, CShape, "Test::CSquare", 3)

TEST(RuntimeClass, RegisteredClassesAreFoundAndCreatedByName)
{
    const CRuntimeClass* square = FindRuntimeClass("Test::CSquare");
    ASSERT_EQ(square, &CSquare::RuntimeClass());
    EXPECT_EQ(square->GetSchema(), 3);
    std::unique_ptr<CObject> made = CreateObjectByName("Test::CSquare");
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(CShape::RuntimeClass()));
    EXPECT_TRUE(made->IsKindOf(CObject::RuntimeClass()));
    EXPECT_EQ(dynamic_cast<CShape&>(*made).Corners(), 4);
    EXPECT_EQ(made->GetRuntimeClassName(), "Test::CSquare");

    EXPECT_NE(FindRuntimeClass("Test::CShape"), nullptr);
    EXPECT_FALSE(CShape::RuntimeClass().IsCreatable()) << "abstract: named, not made";
    EXPECT_EQ(CreateObjectByName("Test::CShape"), nullptr);
    EXPECT_EQ(CreateObjectByName("Test::Nothing"), nullptr);
    EXPECT_FALSE(CShape::RuntimeClass().IsDerivedFrom(CSquare::RuntimeClass()));
}

TEST(RuntimeClass, ANameIsNotTakenTwice)
{
    static const CRuntimeClass impostor("Test::CSquare", 1, nullptr, &CObject::RuntimeClass());
    EXPECT_FALSE(RegisterRuntimeClass(impostor));
    EXPECT_TRUE(RegisterRuntimeClass(CSquare::RuntimeClass())) << "registering the same class again is harmless";
    EXPECT_EQ(FindRuntimeClass("Test::CSquare"), &CSquare::RuntimeClass());
    static const CRuntimeClass unnamed("", 1, nullptr, nullptr);
    EXPECT_FALSE(RegisterRuntimeClass(unnamed));
}

TEST(RuntimeClass, LookupsFromManyThreadsWhileRegistering)
{
    std::atomic<int> found{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; ++i)
                found += FindRuntimeClass("Test::CSquare") != nullptr ? 1 : 0;
        });
    }
    static const char* names[] = {"Test::Extra0", "Test::Extra1", "Test::Extra2"};
    static const CRuntimeClass a(names[0], 1, nullptr, nullptr), b(names[1], 1, nullptr, nullptr),
        c(names[2], 1, nullptr, nullptr);
    EXPECT_TRUE(RegisterRuntimeClass(a));
    EXPECT_TRUE(RegisterRuntimeClass(b));
    EXPECT_TRUE(RegisterRuntimeClass(c));
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(found.load(), 4000);
    EXPECT_EQ(FindRuntimeClass("Test::Extra2"), &c);
}

} // namespace
} // namespace Brivel::Platform
