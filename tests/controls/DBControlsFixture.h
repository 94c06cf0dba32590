// Shared by the data-aware control tests: a real SQLite table of three items (text with letters
// of the code page, numbers, Booleans, memos with both line-end styles, Nulls), a dataset over it
// on a data source, a shown and active form to put controls on, and the exceptions the controls
// hand to the application's display.
#pragma once

#include "common/QtDrive.h"
#include "common/SqliteFile.h"
#include "controls/QtBridge.h"
#include "dataset/VDB.h"
#include "framework/classes/Application.h"
#include "framework/db/DataSource.h"
#include "framework/db/Fields.h"

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vmado::test {

class DBControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db_.Exec("CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(12) NOT NULL, qty INTEGER,"
                 " done BOOLEAN, note CLOB, kind VARCHAR(10), flag VARCHAR(5))");
        db_.Exec("INSERT INTO items VALUES (1, 'Alma', 5, 1, 'first' || char(13) || char(10) || 'second',"
                 " 'fruit', 'Y')");
        db_.Exec(
            "INSERT INTO items VALUES (2, 'K\xC3\xB6rte', 12, 0, 'one' || char(10) || 'two', 'veg', 'N')");
        db_.Exec("INSERT INTO items VALUES (3, 'Szilva', NULL, NULL, NULL, 'other', 'maybe')");
        ds_ = std::make_unique<TVADODataSet>(nullptr);
        ds_->SetName("Items");
        ds_->SetConnection(db_.ConnectionString());
        ds_->SetCommand("SELECT * FROM items ORDER BY id");
        source_ = std::make_unique<TDataSource>(nullptr);
        source_->SetDataSet(ds_.get());
        ds_->Open();
        Application()->OnException = [this](TObject*, const Exception& e) { errors_.push_back(e.Message()); };
        form_ = std::make_unique<QWidget>();
        form_->resize(420, 320);
        layout_ = new QVBoxLayout(form_.get());
    }

    void TearDown() override
    {
        Application()->OnException = nullptr;
        form_.reset();
        source_.reset();
        ds_.reset();
    }

    // Puts the control on the form, bound to the source and field.
    template <class T> T* Add(const AnsiString& field)
    {
        auto* control = Add<T>();
        control->SetDataField(field);
        return control;
    }
    // Puts the control on the form, bound to the source.
    template <class T> T* Add()
    {
        auto* control = new T(form_.get());
        control->SetDataSource(source_.get());
        layout_->addWidget(control);
        return control;
    }

    // Shows the form and makes it the active window, so focus moves as it does for a user.
    void ShowForm()
    {
        form_->show();
        QApplication::setActiveWindow(form_.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    }

    // Moves the focus to w as a Tab press would, and lets queued focus changes run.
    static void FocusTo(QWidget* w)
    {
        w->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }

    // Takes effect at an open, as the dataset's read-only switch does.
    void Reopen(bool readOnly)
    {
        ds_->Close();
        ds_->SetReadOnly(readOnly);
        ds_->Open();
    }

    // Clicks a check box on its box rather than in the middle of its row.
    static void ClickBox(QWidget* box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }

    void GoTo(Integer id)
    {
        for (ds_->First(); !ds_->Eof(); ds_->Next())
            if (ds_->FieldByName("id")->AsInteger() == id)
                return;
        FAIL() << "no item " << id;
    }

    // A column of one item as the database holds it, in UTF-8.
    std::string Stored(const std::string& column, int id)
    {
        return db_.Scalar("SELECT " + column + " FROM items WHERE id = " + std::to_string(id));
    }

    static QString U(const char* utf8) { return QString::fromUtf8(utf8); }

    SqliteFile db_;
    std::unique_ptr<TVADODataSet> ds_;
    std::unique_ptr<TDataSource> source_;
    std::unique_ptr<QWidget> form_;
    QVBoxLayout* layout_ = nullptr;
    std::vector<AnsiString> errors_;
};

} // namespace vmado::test
