#include "DBControlsFixture.h"

#include "controls/DBCheckBox.h"
#include "controls/DBComboBox.h"
#include "controls/DBEdit.h"
#include "controls/DBMemo.h"

#include <QAbstractItemView>
#include <QLineEdit>

#include <functional>

namespace vmado::test {
namespace {

// ---- edit -----------------------------------------------------------------------------------

TEST_F(DBControlsTest, EditShowsTheFieldOfTheCurrentRecord)
{
    auto* name = Add<TVDBEdit>("name");
    auto* qty = Add<TVDBEdit>("qty");
    struct Row {
        Integer id;
        const char* name;
        const char* qty;
    };
    for (const Row& row : {Row{1, "Alma", "5"}, Row{2, "K\xC3\xB6rte", "12"}, Row{3, "Szilva", ""}}) {
        SCOPED_TRACE(row.id);
        GoTo(row.id);
        EXPECT_EQ(name->text(), U(row.name));
        EXPECT_EQ(qty->text(), U(row.qty));
    }
    EXPECT_EQ(name->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(qty->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(name->maxLength(), 12); // the column's width, so an over-long name cannot be typed
    ds_->Close();
    EXPECT_EQ(name->text(), QString());
    EXPECT_EQ(name->Field(), nullptr);
    ds_->Open(); // the fields are new ones: the edit finds its field again by name
    EXPECT_EQ(name->Field(), ds_->FieldByName("name"));
    EXPECT_EQ(name->text(), "Alma");
}

TEST_F(DBControlsTest, TypingEditsTheRecordAndPostWritesTheDatabase)
{
    auto* name = Add<TVDBEdit>("name");
    auto* qty = Add<TVDBEdit>("qty");
    ShowForm();
    GoTo(2);
    FocusTo(name);
    name->selectAll();
    ASSERT_EQ(ds_->State(), dsBrowse);
    TypeText(name, U("Sz\xC5\x91l\xC5\x91"));
    EXPECT_EQ(ds_->State(), dsEdit); // the first keystroke started the edit
    EXPECT_EQ(name->text(), U("Sz\xC5\x91l\xC5\x91"));
    FocusTo(qty); // leaving the edit writes the field, not yet the database
    EXPECT_EQ(ToQString(ds_->FieldByName("name")->AsString()), U("Sz\xC5\x91l\xC5\x91"));
    EXPECT_EQ(Stored("name", 2), "K\xC3\xB6rte");
    qty->selectAll();
    TypeText(qty, "40");
    ds_->Post(); // the focused edit's pending text is written by the post itself
    EXPECT_EQ(Stored("name", 2), "Sz\xC5\x91l\xC5\x91");
    EXPECT_EQ(Stored("qty", 2), "40");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(DBControlsTest, RejectedValueIsShownAndStaysToBeCorrected)
{
    auto* name = Add<TVDBEdit>("name");
    auto* qty = Add<TVDBEdit>("qty");
    ShowForm();
    FocusTo(qty);
    qty->selectAll();
    TypeText(qty, "12x");
    FocusTo(name);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find("12x"), AnsiString::npos) << errors_[0];
    EXPECT_EQ(qty->text(), "12x");
    EXPECT_TRUE(qty->hasFocus()); // the focus came back to the rejected value
    EXPECT_EQ(ds_->FieldByName("qty")->AsInteger(), 5);

    // Corrected, it goes through.
    qty->selectAll();
    TypeText(qty, "13");
    FocusTo(name);
    EXPECT_EQ(errors_.size(), 1u);
    ds_->Post();
    EXPECT_EQ(Stored("qty", 1), "13");
}

TEST_F(DBControlsTest, EscapeDropsTheTypedTextAndReturnChecksIt)
{
    auto* qty = Add<TVDBEdit>("qty");
    ShowForm();
    FocusTo(qty);
    qty->selectAll();
    TypeText(qty, "99");
    QTest::keyClick(qty, Qt::Key_Escape);
    EXPECT_EQ(qty->text(), "5");
    TypeText(qty, "abc");
    QTest::keyClick(qty, Qt::Key_Return);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find("abc"), AnsiString::npos) << errors_[0];
    EXPECT_EQ(qty->text(), "abc");
}

TEST_F(DBControlsTest, EditRefusesTypingWhereTheFieldCannotBeWritten)
{
    struct Case {
        const char* why;
        std::function<void(TVDBEdit*)> arrange;
    };
    const std::vector<Case> cases = {
        {"the control is read-only", [](TVDBEdit* e) { e->SetReadOnly(true); }},
        {"the field is read-only", [this](TVDBEdit*) { ds_->FieldByName("name")->SetReadOnly(true); }},
        {"the source does not start edits", [this](TVDBEdit*) { source_->SetAutoEdit(false); }},
        {"the dataset is read-only", [this](TVDBEdit*) { Reopen(true); }},
    };
    ShowForm();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        auto* name = Add<TVDBEdit>("name");
        c.arrange(name);
        FocusTo(name);
        TypeText(name, "zz");
        EXPECT_TRUE(name->isReadOnly());
        EXPECT_EQ(name->text(), "Alma");
        EXPECT_EQ(ds_->State(), dsBrowse);
        delete name;
        ds_->FieldByName("name")->SetReadOnly(false);
        source_->SetAutoEdit(true);
        if (ds_->ReadOnly())
            Reopen(false);
    }
    // Without AutoEdit the user may still type once the dataset is put into edit mode.
    source_->SetAutoEdit(false);
    auto* name = Add<TVDBEdit>("name");
    ds_->Edit();
    EXPECT_FALSE(name->isReadOnly());
    FocusTo(name);
    name->selectAll();
    TypeText(name, "Birs");
    ds_->Post();
    EXPECT_EQ(Stored("name", 1), "Birs");
}

TEST_F(DBControlsTest, UnknownFieldNameIsRefusedAndLeavesTheBinding)
{
    auto* name = Add<TVDBEdit>("name");
    try {
        name->SetDataField("nosuch");
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("nosuch"), std::string::npos) << e.what();
    }
    EXPECT_EQ(name->DataField(), "name");
    EXPECT_EQ(name->text(), "Alma");
    // On a closed dataset the name waits for the open; a missing one shows nothing.
    ds_->Close();
    name->SetDataField("nosuch");
    EXPECT_NO_THROW(ds_->Open());
    EXPECT_EQ(name->Field(), nullptr);
    EXPECT_TRUE(name->isReadOnly());
}

TEST_F(DBControlsTest, RequiredFieldLeftEmptyGetsTheFocus)
{
    auto* name = Add<TVDBEdit>("name");
    auto* qty = Add<TVDBEdit>("qty");
    ShowForm();
    ds_->FieldByName("name")->SetRequired(true);
    ds_->Insert();
    FocusTo(qty);
    TypeText(qty, "7");
    EXPECT_THROW(ds_->Post(), EDatabaseError);
    EXPECT_TRUE(name->hasFocus());
    EXPECT_EQ(ds_->State(), dsInsert);
}

// ---- memo -----------------------------------------------------------------------------------

TEST_F(DBControlsTest, MemoEditsTheWholeTextAndKeepsItsLineEnds)
{
    struct Case {
        Integer id;
        const char* shown;
        const char* stored; // after " end" is typed at the end
    };
    const Case cases[] = {
        {1, "first\nsecond", "first\r\nsecond end"},
        {2, "one\ntwo", "one\ntwo end"},
        {3, "", " end"},
    };
    auto* memo = Add<TVDBMemo>("note");
    auto* other = Add<TVDBEdit>("name");
    ShowForm();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        GoTo(c.id);
        EXPECT_EQ(memo->toPlainText(), U(c.shown));
        FocusTo(memo);
        memo->moveCursor(QTextCursor::End);
        TypeText(memo, " end");
        EXPECT_EQ(ds_->State(), dsEdit);
        FocusTo(other);
        ds_->Post();
        EXPECT_EQ(Stored("note", c.id), c.stored);
    }
    EXPECT_TRUE(errors_.empty());
}

TEST_F(DBControlsTest, MemoEscapeRestoresTheField)
{
    auto* memo = Add<TVDBMemo>("note");
    ShowForm();
    FocusTo(memo);
    TypeText(memo, "xyz");
    QTest::keyClick(memo, Qt::Key_Escape);
    EXPECT_EQ(memo->toPlainText(), "first\nsecond");
    ds_->Cancel();
    EXPECT_EQ(Stored("note", 1), "first\r\nsecond");
}

// ---- check box ------------------------------------------------------------------------------

TEST_F(DBControlsTest, CheckBoxShowsBooleansAndListedValues)
{
    auto* done = Add<TVDBCheckBox>("done");
    auto* flag = Add<TVDBCheckBox>("flag");
    flag->SetValueChecked("Y;Yes");
    flag->SetValueUnchecked("N");
    struct Row {
        Integer id;
        Qt::CheckState done, flag;
    };
    for (const Row& r : {Row{1, Qt::Checked, Qt::Checked}, Row{2, Qt::Unchecked, Qt::Unchecked},
                         Row{3, Qt::PartiallyChecked, Qt::PartiallyChecked}}) {
        SCOPED_TRACE(r.id);
        GoTo(r.id);
        EXPECT_EQ(done->checkState(), r.done);
        EXPECT_EQ(flag->checkState(), r.flag);
    }
    GoTo(1);
    flag->SetValueChecked("yes;y"); // compared ignoring case, any entry of the list
    EXPECT_EQ(flag->checkState(), Qt::Checked);
    EXPECT_THROW(flag->SetValueChecked(""), EDatabaseError);
    EXPECT_THROW(flag->SetValueUnchecked(";N"), EDatabaseError);
    EXPECT_EQ(flag->ValueUnchecked(), "N");
}

TEST_F(DBControlsTest, CheckBoxClickWritesTheField)
{
    auto* done = Add<TVDBCheckBox>("done");
    auto* flag = Add<TVDBCheckBox>("flag");
    flag->SetValueChecked("Y;Yes");
    flag->SetValueUnchecked("N");
    ShowForm();
    struct Case {
        Integer id;
        const char* done; // stored after one click
        const char* flag;
    };
    for (const Case& c : {Case{1, "0", "N"}, Case{2, "1", "Y"}, Case{3, "1", "Y"}}) {
        SCOPED_TRACE(c.id);
        GoTo(c.id);
        ClickBox(done);
        EXPECT_EQ(ds_->State(), dsEdit);
        ClickBox(flag);
        EXPECT_NE(done->checkState(), Qt::PartiallyChecked);
        EXPECT_EQ(ds_->FieldByName("done")->AsBoolean(), std::string(c.done) == "1");
        ds_->Post();
        EXPECT_EQ(Stored("done", c.id), c.done);
        EXPECT_EQ(Stored("flag", c.id), c.flag);
    }
}

TEST_F(DBControlsTest, CheckBoxRefusalRevertsTheBox)
{
    auto* done = Add<TVDBCheckBox>("done");
    ShowForm();
    ds_->FieldByName("done")->OnValidate = [](TField*) { throw EDatabaseError("done is frozen"); };
    ClickBox(done);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "done is frozen");
    EXPECT_EQ(done->checkState(), Qt::Checked);
    ds_->FieldByName("done")->OnValidate = nullptr;
    ds_->Cancel();
    done->SetReadOnly(true);
    ClickBox(done);
    EXPECT_EQ(done->checkState(), Qt::Checked);
    EXPECT_EQ(ds_->State(), dsBrowse);
}

// ---- combo box ------------------------------------------------------------------------------

TEST_F(DBControlsTest, ComboBoxShowsTheValueAgainstItsPickList)
{
    auto* editable = Add<TVDBComboBox>("kind");
    auto* listOnly = Add<TVDBComboBox>("kind");
    listOnly->setEditable(false);
    // Filled after binding: the list must not put its first item in the field's place.
    for (TVDBComboBox* combo : {editable, listOnly})
        combo->addItems({"veg", "fruit", "nut"});
    struct Row {
        Integer id;
        int index;
        const char* editableText;
        const char* listText;
    };
    for (const Row& r : {Row{1, 1, "fruit", "fruit"}, Row{2, 0, "veg", "veg"}, Row{3, -1, "other", ""}}) {
        SCOPED_TRACE(r.id);
        GoTo(r.id);
        EXPECT_EQ(editable->currentIndex(), r.index);
        EXPECT_EQ(editable->currentText(), r.editableText);
        EXPECT_EQ(listOnly->currentIndex(), r.index);
        EXPECT_EQ(listOnly->currentText(), r.listText);
    }
    EXPECT_EQ(ds_->State(), dsBrowse);
}

TEST_F(DBControlsTest, ComboBoxPickAndTypingWriteTheField)
{
    auto* combo = Add<TVDBComboBox>("kind");
    auto* name = Add<TVDBEdit>("name");
    combo->addItems({"veg", "fruit", "nut"});
    ShowForm();
    FocusTo(combo);
    QTest::keyClick(combo, Qt::Key_Down); // fruit -> nut, as a user steps through the list
    EXPECT_EQ(ds_->State(), dsEdit);
    EXPECT_EQ(ds_->FieldByName("kind")->AsString(), "nut");
    ds_->Post();
    EXPECT_EQ(Stored("kind", 1), "nut");

    combo->lineEdit()->selectAll();
    TypeText(combo->lineEdit(), "berry");
    EXPECT_EQ(ds_->State(), dsEdit);
    FocusTo(name);
    EXPECT_EQ(ds_->FieldByName("kind")->AsString(), "berry");
    ds_->Post();
    EXPECT_EQ(Stored("kind", 1), "berry");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(DBControlsTest, ComboBoxOffersNoPickWhereTheFieldCannotBeWritten)
{
    auto* combo = Add<TVDBComboBox>("kind");
    combo->addItems({"veg", "fruit", "nut"});
    combo->SetReadOnly(true);
    ShowForm();
    FocusTo(combo);
    combo->showPopup();
    EXPECT_FALSE(combo->view()->isVisible());
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(ds_->State(), dsBrowse);
    EXPECT_EQ(combo->currentText(), "fruit"); // the step was taken back
    EXPECT_EQ(Stored("kind", 1), "fruit");
}

// ---- freed sources --------------------------------------------------------------------------

TEST_F(DBControlsTest, ControlsOutliveTheirDataSetAndSource)
{
    auto* name = Add<TVDBEdit>("name");
    auto* memo = Add<TVDBMemo>("note");
    auto* done = Add<TVDBCheckBox>("done");
    auto* combo = Add<TVDBComboBox>("kind");
    ShowForm();
    ds_.reset();
    EXPECT_EQ(name->text(), QString());
    EXPECT_EQ(memo->toPlainText(), QString());
    EXPECT_EQ(combo->currentText(), QString());
    EXPECT_EQ(name->Field(), nullptr);
    source_.reset();
    EXPECT_EQ(name->DataSource(), nullptr);
    FocusTo(name);
    TypeText(name, "x");
    ClickBox(done);
    EXPECT_TRUE(name->text().isEmpty());
    EXPECT_TRUE(errors_.empty());
}

// ---- rendering ------------------------------------------------------------------------------

TEST_F(DBControlsTest, FormRendersTheRecord)
{
    auto* name = Add<TVDBEdit>("name");
    Add<TVDBMemo>("note");
    Add<TVDBCheckBox>("done")->setText("Done");
    Add<TVDBComboBox>("kind");
    ShowForm();
    // Text pixels: near-black ones inside the frame.
    const auto textPixels = [](const QImage& image) {
        int count = 0;
        for (int y = 4; y < image.height() - 4; ++y)
            for (int x = 4; x < image.width() - 4; ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() < 90 && c.green() < 90 && c.blue() < 90;
            }
        return count;
    };
    const QImage image = form_->grab().toImage();
    EXPECT_EQ(image.size(), form_->size() * form_->devicePixelRatio());
    EXPECT_GT(DistinctColours(image), 4);
    const QImage edit = name->grab().toImage();
    EXPECT_GT(CountPixels(edit, ToQColor(clWindow)), edit.width() * edit.height() / 2);
    const int withText = textPixels(edit);
    EXPECT_GT(withText, 20); // "Alma" is drawn
    ds_->Close();
    EXPECT_LT(textPixels(name->grab().toImage()), withText / 2);
}

} // namespace
} // namespace vmado::test
