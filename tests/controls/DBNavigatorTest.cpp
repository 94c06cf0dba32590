#include "DBControlsFixture.h"

#include "controls/DBEdit.h"
#include "controls/DBNavigator.h"

#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include <functional>

namespace vmado::test {
namespace {

class DBNavigatorTest : public DBControlsTest {
protected:
    // The enabled buttons, in button order: F(irst) P(rior) N(ext) L(ast) I(nsert) D(elete)
    // E(dit) S (post) C(ancel) R(efresh), a '.' for each disabled one.
    static std::string Enabled(const TVDBNavigator& nav)
    {
        static const char letters[] = "FPNLIDESCR";
        std::string result;
        for (int i = nbFirst; i <= nbRefresh; ++i)
            result += nav.Button(static_cast<TNavigateBtn>(i))->isEnabled() ? letters[i] : '.';
        return result;
    }

    static void Click(TVDBNavigator& nav, TNavigateBtn button)
    {
        QTest::mouseClick(nav.Button(button), Qt::LeftButton);
    }

    // Answers the delete question with the given button when it comes up.
    static void AnswerDelete(QMessageBox::StandardButton answer)
    {
        WhenModal([answer](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), "Delete record?");
            box->button(answer)->click();
        });
    }
};

TEST_F(DBNavigatorTest, ButtonsFollowTheDataSetStateAndPosition)
{
    auto* nav = Add<TVDBNavigator>();
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* enabled;
    };
    const std::vector<Step> steps = {
        {"opened on the first record", [] {}, "..NLIDE..R"},
        {"moved to the second", [this] { ds_->Next(); }, "FPNLIDE..R"},
        {"at the last", [this] { ds_->Last(); }, "FP..IDE..R"},
        {"editing", [this] { ds_->Edit(); }, "FP..ID.SC."},
        {"cancelled (the dataset's resync clears Eof)", [this] { ds_->Cancel(); }, "FPNLIDE..R"},
        {"inserting", [this] { ds_->Insert(); }, "FPNLID.SC."},
        {"back at the first", [this] { ds_->Cancel(), ds_->First(); }, "..NLIDE..R"},
        {"read-only", [this] { Reopen(true); }, "..NL.....R"},
        {"closed", [this] { ds_->Close(); }, ".........."},
        {"opened empty",
         [this] {
             ds_->SetReadOnly(false);
             ds_->SetCommand("SELECT * FROM items WHERE id < 0");
             ds_->Open();
         },
         "....I.E..R"},
        {"source gone", [this] { source_.reset(); }, ".........."},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(Enabled(*nav), step.enabled);
    }
}

TEST_F(DBNavigatorTest, ButtonsMoveAndEditTheDataSet)
{
    auto* nav = Add<TVDBNavigator>();
    auto* id = Add<TVDBEdit>("id");
    auto* name = Add<TVDBEdit>("name");
    ShowForm();
    std::vector<TNavigateBtn> clicked;
    nav->OnClick = [&clicked](QObject*, TNavigateBtn b) { clicked.push_back(b); };

    struct Move {
        TNavigateBtn button;
        const char* name;
    };
    for (const Move& m : {Move{nbNext, "K\xC3\xB6rte"}, Move{nbLast, "Szilva"}, Move{nbPrior, "K\xC3\xB6rte"},
                          Move{nbFirst, "Alma"}}) {
        Click(*nav, m.button);
        EXPECT_EQ(name->text(), U(m.name));
    }

    Click(*nav, nbInsert);
    EXPECT_EQ(ds_->State(), dsInsert);
    FocusTo(id);
    TypeText(id, "10");
    FocusTo(name);
    TypeText(name, U("\xC3\x9Aj"));
    Click(*nav, nbPost);
    EXPECT_EQ(ds_->State(), dsBrowse);
    EXPECT_EQ(Stored("name", 10), "\xC3\x9Aj");

    Click(*nav, nbEdit);
    EXPECT_EQ(ds_->State(), dsEdit);
    Click(*nav, nbCancel);
    EXPECT_EQ(ds_->State(), dsBrowse);

    Click(*nav, nbFirst);
    Click(*nav, nbRefresh); // re-reads the buffers on the same record
    EXPECT_EQ(name->text(), "Alma");
    EXPECT_EQ(ds_->State(), dsBrowse);

    const std::vector<TNavigateBtn> expected = {nbNext, nbLast, nbPrior,  nbFirst, nbInsert,
                                                nbPost, nbEdit, nbCancel, nbFirst, nbRefresh};
    EXPECT_EQ(clicked, expected);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(DBNavigatorTest, DeleteAsksFirst)
{
    auto* nav = Add<TVDBNavigator>();
    ShowForm();
    struct Case {
        const char* what;
        bool confirm;
        QMessageBox::StandardButton answer;
        const char* left; // ids left
    };
    for (const Case& c :
         {Case{"cancelled", true, QMessageBox::Cancel, "3"}, Case{"confirmed", true, QMessageBox::Ok, "2"},
          Case{"unasked", false, QMessageBox::NoButton, "1"}}) {
        SCOPED_TRACE(c.what);
        nav->SetConfirmDelete(c.confirm);
        if (c.confirm)
            AnswerDelete(c.answer);
        Click(*nav, nbDelete);
        EXPECT_EQ(db_.Scalar("SELECT COUNT(*) FROM items"), c.left);
    }
    EXPECT_EQ(db_.Scalar("SELECT id FROM items"), "3");
}

TEST_F(DBNavigatorTest, FailedActionIsShownAndTheRecordStaysInEdit)
{
    auto* nav = Add<TVDBNavigator>();
    auto* qty = Add<TVDBEdit>("qty");
    ShowForm();
    FocusTo(qty);
    qty->selectAll();
    TypeText(qty, "many");
    Click(*nav, nbPost);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find("many"), AnsiString::npos) << errors_[0];
    EXPECT_EQ(ds_->State(), dsEdit);
    EXPECT_EQ(qty->text(), "many");
    EXPECT_EQ(Enabled(*nav), "..NLID.SC.");
    EXPECT_EQ(Stored("qty", 1), "5");

    // An action stopped before it starts leaves the dataset alone.
    Click(*nav, nbCancel);
    nav->BeforeAction = [](QObject*, TNavigateBtn b) {
        if (b == nbNext)
            throw EDatabaseError("not now");
    };
    Click(*nav, nbNext);
    EXPECT_EQ(errors_.back(), "not now");
    EXPECT_EQ(ds_->FieldByName("id")->AsInteger(), 1);
}

TEST_F(DBNavigatorTest, VisibleButtonsAndRendering)
{
    auto* nav = Add<TVDBNavigator>();
    ShowForm();
    nav->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast});
    for (int i = nbFirst; i <= nbRefresh; ++i)
        EXPECT_EQ(nav->Button(static_cast<TNavigateBtn>(i))->isVisible(), i <= nbLast) << i;
    EXPECT_EQ(nav->Button(nbNext)->toolTip(), "Next record");
    nav->SetVisibleButtons(TButtonSet{nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost,
                                      nbCancel, nbRefresh});
    QApplication::processEvents();

    // Enabled glyphs are drawn darker than disabled ones: the first record greys First and Prior.
    const auto inkOf = [](QWidget* button) {
        const QImage image = button->grab().toImage();
        int ink = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ink = std::max(ink, 255 - qGray(image.pixel(x, y)));
        return ink;
    };
    const QImage image = nav->grab().toImage();
    EXPECT_EQ(image.size(), nav->size() * nav->devicePixelRatio());
    EXPECT_GT(DistinctColours(image), 2);
    EXPECT_GT(inkOf(nav->Button(nbNext)), inkOf(nav->Button(nbFirst)) + 40);
}

} // namespace
} // namespace vmado::test
