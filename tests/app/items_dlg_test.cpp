// The add and remove dialogs: controls, texts, starting values, what OK and
// Cancel leave behind for the next dialog, and what the count edit takes.
#include "app/add_items_dlg.h"
#include "app/remove_items_dlg.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace Quellon {
namespace {

template <typename T>
T* Control(QWidget& dialog, int id)
{
    T* control = dialog.findChild<T*>(QString::number(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
}

class ItemsDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CAddItemsDlg::ResetRememberedValuesForTesting();
        CRemoveItemsDlg::ResetRememberedValuesForTesting();
    }
};

TEST_F(ItemsDlgTest, AddDialogStartsWithOneRowAtTheTailFromTheGuiThread)
{
    CAddItemsDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "Add lines to grid...");
    EXPECT_EQ(dialog.GetResourceId(), 132);
    EXPECT_EQ(Control<QLineEdit>(dialog, 1000)->text(), "1");
    EXPECT_EQ(Control<QRadioButton>(dialog, 1001)->text(), "Add to the head");
    EXPECT_EQ(Control<QRadioButton>(dialog, 1002)->text(), "Add to the tail");
    EXPECT_EQ(Control<QRadioButton>(dialog, 1003)->text(), "Add to the random location");
    EXPECT_EQ(Control<QRadioButton>(dialog, 1004)->text(), "Add from GUI thread");
    EXPECT_EQ(Control<QRadioButton>(dialog, 1005)->text(), "Add from non-GUI thread");
    EXPECT_EQ(Control<QAbstractButton>(dialog, 1)->text(), "Add");
    EXPECT_EQ(Control<QAbstractButton>(dialog, 2)->text(), "Cancel");
    EXPECT_TRUE(Control<QRadioButton>(dialog, 1002)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(dialog, 1004)->isChecked());

    QStringList boxes;
    for (QGroupBox* box : dialog.findChildren<QGroupBox*>())
        boxes << box->title();
    EXPECT_EQ(boxes, QStringList({"Position", "Threading"}));
}

TEST_F(ItemsDlgTest, TheCountOpensSelectedSoThatTypingReplacesIt)
{
    CAddItemsDlg dialog;
    QLineEdit* count = Control<QLineEdit>(dialog, 1000);
    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), count);
    EXPECT_EQ(count->selectedText(), "1");
    QTest::keyClicks(count, "100000");
    EXPECT_EQ(count->text(), "100000");
}

TEST_F(ItemsDlgTest, OkStoresTheControlsForTheNextDialogAndCancelDoesNot)
{
    {
        CAddItemsDlg dialog;
        Control<QLineEdit>(dialog, 1000)->setText("250");
        Control<QRadioButton>(dialog, 1001)->click();
        Control<QRadioButton>(dialog, 1005)->click();
        Control<QAbstractButton>(dialog, 1)->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.GetCount(), 250);
        EXPECT_EQ(dialog.GetPosition(), 0);
        EXPECT_EQ(dialog.GetThread(), 1);
    }
    {
        CAddItemsDlg dialog;
        EXPECT_EQ(Control<QLineEdit>(dialog, 1000)->text(), "250");
        EXPECT_TRUE(Control<QRadioButton>(dialog, 1001)->isChecked());
        EXPECT_TRUE(Control<QRadioButton>(dialog, 1005)->isChecked());
        Control<QLineEdit>(dialog, 1000)->setText("7");
        Control<QRadioButton>(dialog, 1003)->click();
        Control<QAbstractButton>(dialog, 2)->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(dialog.GetCount(), 250) << "Cancel reports the values the dialog started from";
    }
    const ItemsDlgValues kept = CAddItemsDlg::GetRememberedValues();
    EXPECT_EQ(kept.count, 250);
    EXPECT_EQ(kept.position, 0);
    EXPECT_EQ(kept.thread, 1);
    // The remove dialog remembers its own values.
    EXPECT_EQ(CRemoveItemsDlg::GetRememberedValues().count, 1);
    EXPECT_EQ(CRemoveItemsDlg::GetRememberedValues().position, 1);
}

TEST_F(ItemsDlgTest, CountEditTakesIntegersOnly)
{
    CAddItemsDlg dialog;
    QLineEdit* count = Control<QLineEdit>(dialog, 1000);
    count->clear();
    QTest::keyClicks(count, "12a.5x");
    EXPECT_EQ(count->text(), "125") << "letters and points are not typed";

    // An edit that holds no number keeps the dialog open and says why.
    count->setText("-");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.findChild<QLabel*>("error")->isHidden());
    EXPECT_EQ(CAddItemsDlg::GetRememberedValues().count, 1);
    count->setText("");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    count->setText("99999999999");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted) << "beyond 32 bits";

    // A negative count is an integer: it is taken (the frame decides).
    count->setText("-5");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetCount(), -5);
    EXPECT_TRUE(dialog.findChild<QLabel*>("error")->isHidden());
}

TEST_F(ItemsDlgTest, RemoveDialogTextsAndPresetCount)
{
    CRemoveItemsDlg::PresetCount(3000);
    CRemoveItemsDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "Remove items from the grid");
    EXPECT_EQ(dialog.GetResourceId(), 134);
    EXPECT_EQ(Control<QLineEdit>(dialog, 1000)->text(), "3000");
    EXPECT_EQ(Control<QRadioButton>(dialog, 1001)->text(), "Remove from the head");
    EXPECT_EQ(Control<QRadioButton>(dialog, 1002)->text(), "Remove from the tail");
    EXPECT_EQ(Control<QRadioButton>(dialog, 1003)->text(), "Remove from the random location");
    EXPECT_EQ(Control<QRadioButton>(dialog, 1004)->text(), "Remove from GUI thread");
    EXPECT_EQ(Control<QRadioButton>(dialog, 1005)->text(), "Remove from non-GUI thread");
    EXPECT_EQ(Control<QAbstractButton>(dialog, 1)->text(), "Remove");
    EXPECT_TRUE(Control<QRadioButton>(dialog, 1002)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(dialog, 1004)->isChecked());
}

TEST(ParseDialogIntegerTest, WholeThirtyTwoBitNumbersOnly)
{
    int32_t value = 0;
    EXPECT_TRUE(ParseDialogInteger(" 42 ", &value));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(ParseDialogInteger("-2147483648", &value));
    EXPECT_EQ(value, INT32_MIN);
    EXPECT_TRUE(ParseDialogInteger("2147483647", &value));
    EXPECT_FALSE(ParseDialogInteger("2147483648", &value));
    EXPECT_FALSE(ParseDialogInteger("1e3", &value));
    EXPECT_FALSE(ParseDialogInteger("0x10", &value));
    EXPECT_FALSE(ParseDialogInteger("", &value));
    EXPECT_EQ(value, 2147483647) << "a refused text writes nothing";
}

} // namespace
} // namespace Quellon
