#include "dialogs/DlgExport.h"

#include "common/QtDrive.h"
#include "common/SqliteFile.h"
#include "dataset/VDB.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace vmado {
namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class ExportDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        db_.Exec("CREATE TABLE t (name VARCHAR(10), city VARCHAR(8), note VARCHAR(20))");
        db_.Exec("INSERT INTO t VALUES ('Kiss', 'Pécs', 'a,b'), ('O\"Neil', 'Győr', 'line' || char(10) || "
                 "'break')");
        dataSet_ = std::make_unique<TVADODataSet>(nullptr);
        dataSet_->SetConnection(db_.ConnectionString());
        dataSet_->SetCommand("SELECT name, city, note FROM t ORDER BY rowid");
        dataSet_->Open();
        dialog_.SetDataSet(dataSet_.get());
        dialog_.show();
    }
    QComboBox* Driver() { return dialog_.findChild<QComboBox*>("cbxDriver"); }
    QLineEdit* Out() { return dialog_.findChild<QLineEdit*>("edOut"); }
    QPushButton* Export() { return dialog_.findChild<QPushButton*>("btnExport"); }
    QListWidget* Fields() { return dialog_.findChild<QListWidget*>("clbFields"); }
    // Exports in layout driver to the file name, as a user would: format, name, Export.
    std::string Run(int driver, const std::string& name)
    {
        Driver()->setCurrentIndex(driver);
        Out()->setText(QString::fromStdString(db_.Dir() + "/" + name));
        QTest::mouseClick(Export(), Qt::LeftButton);
        return ReadFile(db_.Dir() + "/" + name);
    }
    // The expected file in the library's code page, from UTF-8 source text.
    static std::string Bytes(const char* utf8) { return Utf8ToAnsi(utf8); }

    test::SqliteFile db_;
    std::unique_ptr<TVADODataSet> dataSet_;
    TExportDialog dialog_;
};

TEST_F(ExportDialogTest, EachLayoutWritesTheExpectedBytes)
{
    // Fixed width: the display widths, nothing between; the line break inside a value would
    // start a new record, so it becomes a blank there.
    Fields()->item(2)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(Run(0, "a.prn"), Bytes("Kiss      Pécs    \r\nO\"Neil    Győr    \r\n"));
    // A value longer than its width is cut there, between characters.
    dataSet_->FieldByName("name")->SetDisplayWidth(3);
    dataSet_->FieldByName("city")->SetDisplayWidth(2);
    EXPECT_EQ(Run(0, "cut.prn"), Bytes("KisPé\r\nO\"NGy\r\n"));
    Fields()->item(2)->setCheckState(Qt::Checked);
    EXPECT_EQ(Run(1, "a.txt"), Bytes("Kiss\tPécs\ta,b\r\n\"O\"\"Neil\"\tGyőr\t\"line\nbreak\"\r\n"));
    EXPECT_EQ(Run(2, "a.csv"), Bytes("Kiss,Pécs,\"a,b\"\r\n\"O\"\"Neil\",Győr,\"line\nbreak\"\r\n"));
    // After the export the dataset is back on its first record, its controls on again.
    EXPECT_TRUE(dataSet_->Bof());
    EXPECT_FALSE(dataSet_->ControlsDisabled());

    QTest::mouseClick(dialog_.findChild<QToolButton*>("btnMarkOFF"), Qt::LeftButton);
    EXPECT_EQ(Run(2, "none.csv"), "\r\n\r\n"); // one empty line per record
    QTest::mouseClick(dialog_.findChild<QToolButton*>("btnMarkON"), Qt::LeftButton);
    for (int i = 0; i < Fields()->count(); ++i)
        EXPECT_EQ(Fields()->item(i)->checkState(), Qt::Checked);
}

TEST_F(ExportDialogTest, TheFormatProposesANameInTheFolderTyped)
{
    EXPECT_FALSE(Out()->isEnabled());
    EXPECT_FALSE(Export()->isEnabled());
    Driver()->setCurrentIndex(0);
    EXPECT_TRUE(Out()->isEnabled());
    EXPECT_TRUE(Out()->text().endsWith("/Export.prn"));
    Out()->setText("/srv/out/x.txt");
    Driver()->setCurrentIndex(2);
    EXPECT_EQ(Out()->text(), "/srv/out/Export.csv");
    EXPECT_EQ(dialog_.OutDir(), "/srv/out/");
    Out()->clear();
    EXPECT_FALSE(Export()->isEnabled());
    Out()->setText("y.csv");
    EXPECT_TRUE(Export()->isEnabled());
}

TEST_F(ExportDialogTest, AnEmptyDatasetReplacesAStaleFileWithAnEmptyOne)
{
    const std::string path = db_.Dir() + "/stale.csv";
    WriteFile(path, "old rows\r\n");
    dataSet_->Close();
    dataSet_->SetCommand("SELECT name, city, note FROM t WHERE 0");
    dataSet_->Open();
    EXPECT_EQ(Run(2, "stale.csv"), "");
    EXPECT_TRUE(QFile::exists(QString::fromStdString(path)));
}

TEST_F(ExportDialogTest, AFailedOrCancelledExportLeavesTheOldFile)
{
    Driver()->setCurrentIndex(2);
    Out()->setText(QString::fromStdString(db_.Dir() + "/no/such/folder/x.csv"));
    EXPECT_THROW(dialog_.ExportClick(), EFCreateError);
    EXPECT_TRUE(dataSet_->Bof());
    EXPECT_FALSE(dataSet_->ControlsDisabled());
    EXPECT_TRUE(Export()->isEnabled());

    db_.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
             "INSERT INTO t SELECT 'n' || i, 'c', 'x' FROM n");
    dataSet_->Close();
    dataSet_->Open();
    const std::string path = db_.Dir() + "/kept.csv";
    WriteFile(path, "previous export\r\n");
    Out()->setText(QString::fromStdString(path));
    // The close button stops a running export the next time it looks at its events.
    QTimer::singleShot(0, [this] { dialog_.findChild<QPushButton*>("btnClose")->click(); });
    dialog_.ExportClick();
    EXPECT_EQ(ReadFile(path), "previous export\r\n");
    EXPECT_TRUE(dialog_.isVisible()); // the close button stopped the export, not the form
    EXPECT_FALSE(dataSet_->ControlsDisabled());
}

TEST_F(ExportDialogTest, TheFormRendersItsFieldList)
{
    const QImage image = dialog_.grab().toImage();
    EXPECT_GT(image.width(), 200);
    EXPECT_GT(image.height(), 150);
    EXPECT_GT(test::DistinctColours(image), 4);
    ASSERT_EQ(Fields()->count(), 3);
    EXPECT_EQ(Fields()->item(1)->text(), "city");
    const QImage list = Fields()->grab().toImage();
    int dark = 0;
    for (int y = 0; y < list.height(); ++y)
        for (int x = 0; x < list.width(); ++x)
            dark += QColor(list.pixel(x, y)).lightness() < 100;
    EXPECT_GT(dark, 30); // the labels and ticks are drawn
}

} // namespace
} // namespace vmado
