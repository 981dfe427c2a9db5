// The update settings dialog: starting values from the frame, texts, and the
// frequency edit that takes whole non-negative numbers only.
#include "app/update_settings_dlg.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QRadioButton>
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

TEST(UpdateSettingsDlgTest, TheFrequencyOpensSelectedSoThatTypingReplacesIt)
{
    CUpdateSettingsDlg dialog(5000, 0);
    QLineEdit* frequency = Control<QLineEdit>(dialog, 1006);
    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), frequency);
    EXPECT_EQ(frequency->selectedText(), "5000");
    QTest::keyClicks(frequency, "250");
    EXPECT_EQ(frequency->text(), "250");
}

TEST(UpdateSettingsDlgTest, StartsFromTheFrameValues)
{
    CUpdateSettingsDlg dialog(5000, 0);
    EXPECT_EQ(dialog.windowTitle(), "Update items settings");
    EXPECT_EQ(Control<QLineEdit>(dialog, 1006)->text(), "5000");
    EXPECT_EQ(Control<QRadioButton>(dialog, 1007)->text(), "GUI thread");
    EXPECT_EQ(Control<QRadioButton>(dialog, 1002)->text(), "non-GUI thread");
    EXPECT_TRUE(Control<QRadioButton>(dialog, 1007)->isChecked());
    EXPECT_EQ(dialog.findChild<QGroupBox*>()->title(), "Source of updates");
    bool unit = false;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        unit = unit || label->text() == "upd/sec";
    EXPECT_TRUE(unit);

    CUpdateSettingsDlg timer(100, 1);
    EXPECT_TRUE(Control<QRadioButton>(timer, 1002)->isChecked());
    CUpdateSettingsDlg other(100, 7);
    EXPECT_TRUE(Control<QRadioButton>(other, 1007)->isChecked()) << "any source but 1 is the GUI thread";
    EXPECT_EQ(other.GetSource(), 0);
}

TEST(UpdateSettingsDlgTest, OkTakesTheControlsCancelKeepsTheStart)
{
    CUpdateSettingsDlg dialog(5000, 0);
    Control<QLineEdit>(dialog, 1006)->setText("1000");
    Control<QRadioButton>(dialog, 1002)->click();
    Control<QAbstractButton>(dialog, 1)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetFrequency(), 1000);
    EXPECT_EQ(dialog.GetSource(), 1);

    CUpdateSettingsDlg cancelled(5000, 0);
    Control<QLineEdit>(cancelled, 1006)->setText("1");
    Control<QAbstractButton>(cancelled, 2)->click();
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(cancelled.GetFrequency(), 5000);
}

TEST(UpdateSettingsDlgTest, NegativeOrMissingFrequencyKeepsTheDialogOpen)
{
    CUpdateSettingsDlg dialog(5000, 0);
    QLineEdit* edit = Control<QLineEdit>(dialog, 1006);
    QLabel* error = dialog.findChild<QLabel*>("error");
    for (const char* bad : {"-1", "", "-", "4294967295"}) {
        edit->setText(bad);
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << bad;
        EXPECT_FALSE(error->isHidden()) << bad;
        EXPECT_EQ(dialog.GetFrequency(), 5000) << bad;
    }
    edit->setText("0");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetFrequency(), 0);
}

} // namespace
} // namespace Quellon
