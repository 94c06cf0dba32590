// The field tick list: the mark buttons act on every item, the ticks survive the user's OK and are
// read per item, and the form draws its list.
#include "dialogs/DlgSelFld.h"

#include "../common/QtDrive.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace vmado;

namespace {

void Fill(TSelFldDialog& dialog)
{
    dialog.AddField("Customer name", "Name", true);
    dialog.AddField("City", "City", false);
    dialog.AddField("Credit limit", "Credit", true);
}

std::vector<bool> Ticks(const TSelFldDialog& dialog)
{
    std::vector<bool> ticks;
    for (Integer i = 0; i < dialog.Count(); ++i)
        ticks.push_back(dialog.Checked(i));
    return ticks;
}

} // namespace

TEST(SelFldDialogTest, NamesCaptionAndHints)
{
    TSelFldDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Select fields:");
    auto* on = dialog.findChild<QToolButton*>("btnMarkON");
    auto* off = dialog.findChild<QToolButton*>("btnMarkOFF");
    ASSERT_TRUE(on && off && dialog.findChild<QListWidget*>("clbSelField"));
    EXPECT_EQ(on->toolTip(), "Check ON all item");
    EXPECT_EQ(off->toolTip(), "Check OFF all item");
    EXPECT_TRUE(dialog.findChild<QPushButton*>("btnOk") && dialog.findChild<QPushButton*>("btnCancel"));
}

TEST(SelFldDialogTest, MarkButtonsTickAndUntickEveryItemAndFieldsStayParallel)
{
    TSelFldDialog dialog;
    Fill(dialog);
    dialog.show();
    ASSERT_EQ(dialog.Fields()->Count(), 3);
    EXPECT_EQ(dialog.Fields()->Strings(2), "Credit");
    EXPECT_EQ(Ticks(dialog), (std::vector<bool>{true, false, true}));

    QTest::mouseClick(dialog.findChild<QToolButton*>("btnMarkOFF"), Qt::LeftButton);
    EXPECT_EQ(Ticks(dialog), (std::vector<bool>{false, false, false}));
    QTest::mouseClick(dialog.findChild<QToolButton*>("btnMarkON"), Qt::LeftButton);
    EXPECT_EQ(Ticks(dialog), (std::vector<bool>{true, true, true}));
}

TEST(SelFldDialogTest, TicksMadeByTheUserAreReadAfterOkAndCancelReportsSo)
{
    for (const bool ok : {true, false}) {
        TSelFldDialog dialog;
        Fill(dialog);
        test::WhenModal([ok](QDialog& form) {
            auto* list = form.findChild<QListWidget*>("clbSelField");
            list->item(1)->setCheckState(Qt::Checked);
            list->item(0)->setCheckState(Qt::Unchecked);
            QTest::mouseClick(form.findChild<QPushButton*>(ok ? "btnOk" : "btnCancel"), Qt::LeftButton);
        });
        EXPECT_EQ(dialog.exec(), ok ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(Ticks(dialog), (std::vector<bool>{false, true, true})) << "ok=" << ok;
    }
}

TEST(SelFldDialogTest, FormShowsItsListOnScreen)
{
    TSelFldDialog dialog;
    Fill(dialog);
    dialog.show();
    QApplication::processEvents();
    const QImage image = dialog.grab().toImage();
    EXPECT_GE(image.width(), 200);
    EXPECT_GE(image.height(), 200);
    EXPECT_GE(test::DistinctColours(image), 4);
    auto* list = dialog.findChild<QListWidget*>("clbSelField");
    const QImage listImage = list->grab().toImage();
    // The list paints its base colour and the item texts in a darker ink.
    EXPECT_GT(test::CountPixels(listImage, list->palette().color(QPalette::Base)), 100);
    EXPECT_GE(test::DistinctColours(listImage), 3);
}
