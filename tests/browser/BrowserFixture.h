// A browser window on a fresh copy of the sample database, with its own settings folder, and
// the application's exception display collecting messages instead of showing message boxes.
#pragma once

#include "MainWindow.h"

#include "common/SampleDatabase.h"
#include "controls/DBGrid.h"
#include "editors/UiModule.h"
#include "framework/classes/Application.h"
#include "framework/rtl/Exceptions.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace vmado::test {

class BrowserTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vmado-browser-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        InitializeUi();
        SetExceptionShower([this](const Exception& e) {
            const auto* database = dynamic_cast<const EDatabaseError*>(&e);
            errors_.push_back(database == nullptr || database->Context().empty()
                                  ? e.Message()
                                  : e.Message() + " (" + database->Context() + ")");
        });
    }
    void TearDown() override
    {
        window_.reset();
        FinalizeUi();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::string SamplePath() const { return (dir_ / "sample.db").string(); }
    std::string SettingsDir() const { return (dir_ / "settings").string(); }

    // A shown window with the sample open in both grids.
    browser::MainWindow& OpenSample()
    {
        window_ = std::make_unique<browser::MainWindow>(SettingsDir());
        window_->resize(1100, 720);
        window_->show();
        // Focus moves only inside the active window; the inspector follows it.
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        EXPECT_TRUE(window_->OpenSample(SamplePath()));
        EXPECT_TRUE(window_->WaitForOpen(60000));
        QApplication::processEvents();
        return *window_;
    }

    static QString Cell(browser::MainWindow& w, bool detail, int row, int column)
    {
        QAbstractItemModel* model = (detail ? w.DetailGrid() : w.MasterGrid())->View()->model();
        return model->index(row, column).data().toString();
    }
    static int Rows(browser::MainWindow& w, bool detail)
    {
        return (detail ? w.DetailGrid() : w.MasterGrid())->View()->model()->rowCount();
    }

    std::filesystem::path dir_;
    std::vector<AnsiString> errors_;
    std::unique_ptr<browser::MainWindow> window_;
};

} // namespace vmado::test
