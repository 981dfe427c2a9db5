#include "platform/window_class.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>

#include <string>

namespace Brivel::Platform {
namespace {

// The registry is process-wide: a fresh name per test run keeps repeated runs
// independent of each other.
std::string Fresh(std::string_view base)
{
    static int run = 0;
    return std::string(base) + "." + std::to_string(++run);
}

TEST(WindowClassTest, FirstRegistrationWinsAndCreatesByName)
{
    const std::string label = Fresh("Brivel.Test.Label");
    int firstCalls = 0;
    EXPECT_TRUE(RegisterWindowClass(label, [&firstCalls](QWidget* parent) {
        ++firstCalls;
        auto label = std::make_unique<QLabel>(parent);
        label->setText("first");
        return label;
    }));
    EXPECT_FALSE(RegisterWindowClass(label, [](QWidget* parent) {
        return std::make_unique<QWidget>(parent);
    }));
    EXPECT_TRUE(IsWindowClassRegistered(label));

    QWidget dialog;
    QPointer<QWidget> child = CreateWindowOfClass(label, dialog);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->parentWidget(), &dialog);
    EXPECT_EQ(qobject_cast<QLabel*>(child.data())->text(), "first");

    const std::unique_ptr<QWidget> topLevel = CreateWindowOfClass(label);
    ASSERT_NE(topLevel, nullptr);
    EXPECT_EQ(topLevel->parentWidget(), nullptr);
    EXPECT_EQ(firstCalls, 2);
}

TEST(WindowClassTest, ChildIsParentedEvenWhenTheFactoryIgnoresTheParent)
{
    const std::string careless = Fresh("Brivel.Test.Careless");
    ASSERT_TRUE(RegisterWindowClass(careless, [](QWidget*) { return std::make_unique<QWidget>(); }));
    QPointer<QWidget> child;
    {
        QWidget dialog;
        child = CreateWindowOfClass(careless, dialog);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->parentWidget(), &dialog);
    }
    EXPECT_TRUE(child.isNull()) << "deleted with its parent";
}

TEST(WindowClassTest, RefusesBadRegistrationsAndUnknownNames)
{
    EXPECT_FALSE(RegisterWindowClass("", [](QWidget* p) { return std::make_unique<QWidget>(p); }));
    EXPECT_FALSE(RegisterWindowClass("Brivel.Test.NoFactory", WindowFactory{}));
    EXPECT_FALSE(IsWindowClassRegistered("Brivel.Test.NoFactory"));
    EXPECT_FALSE(RegisterWindowClass(std::string(kMaxWindowClassNameLength + 1, 'c'),
                                     [](QWidget* p) { return std::make_unique<QWidget>(p); }));

    QWidget dialog;
    EXPECT_EQ(CreateWindowOfClass("Brivel.Test.Unknown", dialog), nullptr);
    EXPECT_EQ(CreateWindowOfClass("Brivel.Test.Unknown"), nullptr);
    EXPECT_TRUE(dialog.children().isEmpty());
}

TEST(WindowClassTest, FactoryMayUseTheRegistry)
{
    // A factory that registers and creates another class must not deadlock.
    const std::string outerName = Fresh("Brivel.Test.Outer");
    const std::string innerName = Fresh("Brivel.Test.Inner");
    ASSERT_TRUE(RegisterWindowClass(outerName, [innerName](QWidget* parent) {
        RegisterWindowClass(innerName, [](QWidget* p) { return std::make_unique<QWidget>(p); });
        auto outer = std::make_unique<QWidget>(parent);
        CreateWindowOfClass(innerName, *outer);
        return outer;
    }));
    const std::unique_ptr<QWidget> outer = CreateWindowOfClass(outerName);
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(outer->findChildren<QWidget*>().size(), 1);
}

} // namespace
} // namespace Brivel::Platform
