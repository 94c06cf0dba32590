// The main window rendered to a PNG, by the window and by the program's --screenshot mode; the
// picture is left in the build folder. A window that drew nothing would be one or two colours.
#include "BrowserFixture.h"

#include "common/QtDrive.h"

#include <fstream>

#include <QImage>
#include <QPalette>
#include <QProcess>
#include <QProcessEnvironment>

namespace vmado::test {
namespace {

const QString kArtefact = QString(VMADO_BROWSER_ARTEFACT_DIR) + "/browser-main-window.png";

void ExpectDrawnWindow(const QImage& image, const QSize& size)
{
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), size);
    EXPECT_GE(DistinctColours(image), 8);
    // The current rows of both grids are highlighted, and the grids' cells have their base colour.
    const QPalette palette = QApplication::palette();
    EXPECT_GT(CountPixels(image, palette.color(QPalette::Active, QPalette::Highlight)) +
                  CountPixels(image, palette.color(QPalette::Inactive, QPalette::Highlight)),
              1000);
    EXPECT_GT(CountPixels(image, palette.color(QPalette::Base)), 10000);
}

TEST_F(BrowserTest, MainWindowRendersToAPng)
{
    auto& w = OpenSample();
    QFile::remove(kArtefact);
    ASSERT_TRUE(w.SaveScreenshot(kArtefact));
    ExpectDrawnWindow(QImage(kArtefact), w.size());
    EXPECT_FALSE(w.SaveScreenshot(QString::fromStdString((dir_ / "no/such/folder/x.png").string())));
}

class ProgramTest : public BrowserTest {
protected:
    int Run(const QStringList& arguments)
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_DATA_HOME", QString::fromStdString((dir_ / "data").string()));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString((dir_ / "config").string()));
        program.setProcessEnvironment(env);
        program.start(VMADO_BROWSER_EXE, arguments);
        EXPECT_TRUE(program.waitForFinished(180000));
        errorOutput_ = QString::fromUtf8(program.readAllStandardError());
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }
    QString errorOutput_;
};

TEST_F(ProgramTest, ScreenshotModeMakesTheSampleOnFirstRunAndWritesThePicture)
{
    const QString shot = QString::fromStdString((dir_ / "shot.png").string());
    ASSERT_EQ(Run({"--screenshot", shot}), 0) << errorOutput_.toStdString();
    EXPECT_TRUE(std::filesystem::exists(dir_ / "data/vmado-browser/sample.db"));
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "config/vmado-browser")) << "settings saved at exit";
    const QImage image(shot);
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 800);
    EXPECT_GE(image.height(), 500);
    EXPECT_GE(DistinctColours(image), 8);

    // A given database and settings folder, and the tables named on the command line.
    const std::string db = (dir_ / "given.db").string();
    app::CreateSampleDatabase(db);
    const QString settings = QString::fromStdString((dir_ / "given-settings").string());
    ASSERT_EQ(Run({"--database", QString::fromStdString(db), "--settings-dir", settings, "--master", "Orders",
                   "--detail", "Order Details", "--screenshot", shot}),
              0)
        << errorOutput_.toStdString();
    EXPECT_TRUE(std::filesystem::is_directory(settings.toStdString()));
}

TEST_F(ProgramTest, BadCommandLinesAndDataSourcesFailWithAMessage)
{
    struct Case {
        QStringList Arguments;
        int Status;
        const char* Message;
    };
    const QString shot = QString::fromStdString((dir_ / "x.png").string());
    const QString missing = QString::fromStdString((dir_ / "no/such/folder/x.db").string());
    const QString absent = QString::fromStdString((dir_ / "absent.db").string());
    const std::string empty = (dir_ / "empty.db").string();
    {
        std::ofstream file(empty); // an empty file SQLite reads as a database without tables
    }
    const Case cases[] = {
        {{"--no-such-option"}, 2, "no-such-option"},
        {{"--database", "a.db", "--connect", "Provider=SQLite;Data Source=a.db"}, 2, "either --database"},
        {{"extra"}, 2, "Unexpected argument: extra"},
        {{"--database", missing, "--screenshot", shot}, 1, "no such database file"},
        {{"--database", absent, "--screenshot", shot}, 1, "no such database file"},
        {{"--database", QString::fromStdString(empty), "--screenshot", shot}, 1, "no tables"},
        {{"--master", "Nope", "--screenshot", shot}, 1, "no table \"Nope\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        EXPECT_EQ(Run(c.Arguments), c.Status);
        EXPECT_TRUE(errorOutput_.contains(c.Message)) << errorOutput_.toStdString();
    }
    EXPECT_FALSE(QFile::exists(shot));
    EXPECT_FALSE(QFile::exists(absent)) << "no empty database was made";
}

} // namespace
} // namespace vmado::test
