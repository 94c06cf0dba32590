// Each dataset's settings file: written into the settings folder when the window closes, read
// back when the same table of the same data source opens again.
#include "BrowserFixture.h"

#include "filters/VFilters.h"
#include "framework/graphics/Graphics.h"
#include "tables/VTables.h"

#include <QHeaderView>

#include <fstream>

namespace vmado::test {
namespace {

TEST_F(BrowserTest, SortFilterAndColourRuleSurviveClosingAndReopeningTheWindow)
{
    {
        auto& w = OpenSample();
        QHeaderView* header = w.MasterGrid()->View()->horizontalHeader();
        const int creditColumn = 3;
        const QPoint middle(header->sectionViewportPosition(creditColumn) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
        w.Master()->SetFilterStr("Active = True");
        TVFilter* rule = w.Detail()->Colors()->Add();
        rule->SetCaption("Big orders");
        rule->SetBackGround(clYellow);
        w.Detail()->SetSortStr("Amount DESC");
        ASSERT_EQ(w.Master()->Sort(), "Credit DESC");
        window_.reset(); // closing saves
    }
    ASSERT_TRUE(std::filesystem::is_directory(SettingsDir()));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SettingsDir())) {
        ++files;
        EXPECT_EQ(entry.path().extension(), ".vset");
    }
    EXPECT_EQ(files, 2) << "one for the master, one for the detail";

    auto& w = OpenSample();
    EXPECT_EQ(w.Master()->Sort(), "Credit DESC");
    EXPECT_EQ(w.Master()->Filter(), "Active = True");
    EXPECT_EQ(Cell(w, false, 0, 0), "HEVIZ");
    EXPECT_EQ(w.MasterGrid()->StatusText(), "record 1 of 6");
    EXPECT_EQ(w.Detail()->Sort(), "Amount DESC");
    ASSERT_EQ(w.Detail()->Colors()->Count(), 1);
    EXPECT_EQ(w.Detail()->Colors()->GetItem(0)->Caption(), "Big orders");
    EXPECT_EQ(w.Detail()->Colors()->GetItem(0)->BackGround(), clYellow);
    // The detail follows the master's present record, not the one it was saved on.
    EXPECT_EQ(w.Detail()->Filter(), "CustomerID = 'HEVIZ'");
    EXPECT_EQ(Cell(w, true, 0, 1), "HEVIZ");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(BrowserTest, ARestoredSortStartsOnItsFirstRecord)
{
    {
        auto& w = OpenSample();
        w.Master()->SetSortStr("Credit DESC");
        window_.reset();
    }
    auto& w = OpenSample();
    EXPECT_EQ(w.Master()->Sort(), "Credit DESC");
    EXPECT_EQ(w.Master()->RecNo(), 1);
    EXPECT_EQ(w.Master()->FieldByName("CustomerID")->AsString(), "HEVIZ");
    EXPECT_EQ(Cell(w, true, 0, 1), "HEVIZ");
}

TEST_F(BrowserTest, SettingsOfAnotherDataSourceOrTableStayApart)
{
    {
        auto& w = OpenSample();
        w.Master()->SetSortStr("City DESC");
        window_.reset();
    }
    // The same table names in another file start without settings.
    const std::string other = (dir_ / "other.db").string();
    app::CreateSampleDatabase(other);
    window_ = std::make_unique<browser::MainWindow>(SettingsDir());
    ASSERT_TRUE(window_->OpenConnection("Provider=SQLite;Data Source=" + other, "Customers", "Orders"));
    ASSERT_TRUE(window_->WaitForOpen(60000));
    EXPECT_EQ(window_->Master()->Sort(), "");
    // Orders as master has a file of its own, whatever Orders as detail saved.
    window_->SetMasterTable("Orders");
    ASSERT_TRUE(window_->WaitForOpen(60000));
    EXPECT_EQ(window_->Master()->Sort(), "");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(BrowserTest, AnUnwritableSettingsFolderIsReportedAndTheWindowStillCloses)
{
    {
        std::ofstream blocker(SettingsDir()); // a file where the folder should be
    }
    auto& w = OpenSample();
    w.Master()->SetSortStr("City DESC");
    w.CloseData();
    EXPECT_FALSE(w.Master()->Active());
    EXPECT_FALSE(w.Detail()->Active());
    ASSERT_EQ(errors_.size(), 2u) << "one for each dataset";
    EXPECT_NE(errors_[0].find("settings"), AnsiString::npos) << errors_[0];
}

} // namespace
} // namespace vmado::test
