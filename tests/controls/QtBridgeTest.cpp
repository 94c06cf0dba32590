#include "controls/QtBridge.h"

#include "framework/graphics/Graphics.h"
#include "framework/rtl/CodePage.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace vmado {
namespace {

TEST(QtBridge, TextCrossesIntoQtAndBackInTheCodePage)
{
    const QString hungarian = QString::fromUtf8("árvíztűrő tükörfúrógép");
    const AnsiString ansi = FromQString(hungarian);
    EXPECT_EQ(ToQString(ansi), hungarian);
    if (!IsUtf8CodePage())
        EXPECT_EQ(ansi.size(), static_cast<size_t>(hungarian.size())); // one byte per letter
    EXPECT_EQ(ToQString(AnsiString()), QString());
}

TEST(QtBridge, ColoursResolveSystemColoursAndKeepBgrOrder)
{
    EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(0x00336699), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(ToQColor(clWindow), QColor(255, 255, 255));
    EXPECT_EQ(ToQColor(clInfoBk), QColor(255, 255, 225));
    EXPECT_EQ(ToQColor(clWindowText), QColor(0, 0, 0));
    EXPECT_EQ(FromQColor(QColor(0x99, 0x66, 0x33)), 0x00336699);
}

TEST(QtBridge, InputColourIsRememberedAndPainted)
{
    QLineEdit edit;
    EXPECT_EQ(InputColor(&edit), clWindow);
    SetInputColor(&edit, clInfoBk);
    EXPECT_EQ(InputColor(&edit), clInfoBk);
    EXPECT_EQ(edit.palette().color(QPalette::Base), QColor(255, 255, 225));
}

TEST(QtBridge, UpperCaseTypingFollowsTheSwitch)
{
    QLineEdit edit;
    SetUpperCaseTyping(&edit, true);
    QTest::keyClicks(&edit, "sm");
    // keyClicks knows only ASCII keys; a letter of the code page arrives as a key with text.
    QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, QString::fromUtf8("í"), Qt::NoModifier);
    QTest::keyClicks(&edit, "th");
    EXPECT_EQ(edit.text(), QString::fromUtf8("SMÍTH"));
    SetUpperCaseTyping(&edit, false);
    edit.clear();
    QTest::keyClicks(&edit, "ab");
    EXPECT_EQ(edit.text(), "ab");
}

} // namespace
} // namespace vmado
