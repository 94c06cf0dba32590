#include "dialogs/DlgFillUp.h"

#include "common/QtDrive.h"
#include "controls/QtBridge.h"
#include "framework/classes/Strings.h"
#include "framework/db/Fields.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace vmado {
namespace {

class FillUpDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        field_.SetFieldName("CITY_NAME");
        field_.SetDisplayLabel("City");
        dialog_.SetField(&field_);
        dialog_.show();
    }
    QAbstractButton* Item(int i)
    {
        return dialog_.findChild<QAbstractButton*>("rgpKonvertItem" + QString::number(i));
    }
    QWidget* Control(const char* name) { return dialog_.findChild<QWidget*>(name); }

    TStringField field_{nullptr};
    TFillUpDialog dialog_;
};

TEST_F(FillUpDialogTest, CaptionAndUpdateLabelNameTheField)
{
    EXPECT_EQ(dialog_.windowTitle(), "Conversion or fill up the \"CITY\" field");
    EXPECT_EQ(dialog_.findChild<QLabel*>("lbUpdate")->text(), "UPDATE ... SET CITY_NAME = ");
    EXPECT_EQ(dialog_.ItemIndex(), -1);
    for (const char* name : {"edTolt", "lbUpdate", "mSQL", "lbWhere"})
        EXPECT_FALSE(Control(name)->isVisible()) << name;
}

TEST_F(FillUpDialogTest, EachChoiceShowsItsInputAndTheMemoStartsEmptyAgain)
{
    QTest::mouseClick(Item(2), Qt::LeftButton);
    EXPECT_TRUE(Control("edTolt")->isVisible());
    EXPECT_FALSE(Control("mSQL")->isVisible());
    QTest::keyClicks(Control("edTolt"), "Pecs");

    QTest::mouseClick(Item(3), Qt::LeftButton);
    EXPECT_FALSE(Control("edTolt")->isVisible());
    for (const char* name : {"lbUpdate", "mSQL", "lbWhere"})
        EXPECT_TRUE(Control(name)->isVisible()) << name;
    QTest::keyClicks(Control("mSQL"), "UPPER(city)");
    QTest::mouseClick(Item(2), Qt::LeftButton);
    QTest::mouseClick(Item(3), Qt::LeftButton);
    EXPECT_EQ(dialog_.findChild<QPlainTextEdit*>("mSQL")->toPlainText(), "");

    QTest::mouseClick(Item(0), Qt::LeftButton);
    for (const char* name : {"edTolt", "lbUpdate", "mSQL", "lbWhere"})
        EXPECT_FALSE(Control(name)->isVisible()) << name;
    EXPECT_EQ(dialog_.ItemIndex(), 0);
    EXPECT_EQ(dialog_.Constant(), "Pecs"); // read whatever item is chosen
}

TEST_F(FillUpDialogTest, MemoLinesAreHandedOverOneByOne)
{
    QTest::mouseClick(Item(3), Qt::LeftButton);
    dialog_.findChild<QPlainTextEdit*>("mSQL")->setPlainText("qty * 2\n+ 1");
    TStringList lines;
    dialog_.SqlLines(lines);
    ASSERT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.Strings(0), "qty * 2");
    EXPECT_EQ(lines.Strings(1), "+ 1");
}

TEST_F(FillUpDialogTest, TheFormRendersItsChoices)
{
    const QImage image = dialog_.grab().toImage();
    EXPECT_GT(image.width(), 150);
    EXPECT_GT(image.height(), 100);
    EXPECT_GT(test::DistinctColours(image), 3);
    // The radio group's captions are drawn: dark text pixels inside the group box.
    QWidget* group = Control("rgpKonvert");
    const QImage groupImage = group->grab().toImage();
    int dark = 0;
    for (int y = 0; y < groupImage.height(); ++y)
        for (int x = 0; x < groupImage.width(); ++x)
            dark += QColor(groupImage.pixel(x, y)).lightness() < 100;
    EXPECT_GT(dark, 50);
}

} // namespace
} // namespace vmado
