// The browser's pieces without a window: the relation guess, the settings file names and folders,
// and the command line.
#include "BrowserOptions.h"
#include "Schema.h"
#include "SettingsPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>

namespace vmado::browser {
namespace {

TEST(BrowserRelationTest, DetailFollowsTheMasterByASharedColumn)
{
    struct Case {
        std::vector<AnsiString> Master, Detail;
        const char* Relation;
    };
    const Case cases[] = {
        {{"CustomerID", "Name"}, {"OrderID", "CustomerID", "Amount"}, "CustomerID = :CustomerID"},
        {{"id", "Name", "City"}, {"no", "city"}, "city = :City"},      // no key: the first shared
        {{"OrderID", "x"}, {"orderid", "Line"}, "orderid = :OrderID"}, // case does not matter
        {{"Order No", "Name"}, {"Order No", "Name"}, "Name = :Name"},  // a blank cannot be a placeholder
        {{"a", "b"}, {"c", "d"}, ""},                                  // nothing shared
        {{}, {"a"}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RelationFor(c.Master, c.Detail), c.Relation);
}

class ScopedVariable {
public:
    ScopedVariable(const char* name, std::optional<std::string> value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(BrowserSettingsPathsTest, FoldersFollowTheXdgVariablesElseTheHomeFolder)
{
    struct Case {
        std::optional<std::string> Config, Data;
        const char* Settings;
        const char* Sample;
    };
    const Case cases[] = {
        {"/cfg", "/dat", "/cfg/vmado-browser", "/dat/vmado-browser/sample.db"},
        {std::nullopt, std::nullopt, "/home/u/.config/vmado-browser",
         "/home/u/.local/share/vmado-browser/sample.db"},
        {"relative", "", "/home/u/.config/vmado-browser", "/home/u/.local/share/vmado-browser/sample.db"},
    };
    const ScopedVariable home("HOME", "/home/u");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Settings);
        const ScopedVariable config("XDG_CONFIG_HOME", c.Config);
        const ScopedVariable data("XDG_DATA_HOME", c.Data);
        EXPECT_EQ(DefaultSettingsDir(), c.Settings);
        EXPECT_EQ(DefaultSamplePath(), c.Sample);
    }
}

TEST(BrowserSettingsPathsTest, OneFileForEachSourceTableAndRoleWithASafeName)
{
    const AnsiString a = "Provider=SQLite;Data Source=/a.db";
    const AnsiString b = "Provider=SQLite;Data Source=/b.db";
    const std::vector<AnsiString> names = {
        SettingsFileFor("/s", a, "Orders", "master"),   SettingsFileFor("/s", a, "Orders", "detail"),
        SettingsFileFor("/s", b, "Orders", "master"),   SettingsFileFor("/s", a, "Order Details", "master"),
        SettingsFileFor("/s", a, "Order", "s Details"),
    };
    EXPECT_EQ(std::set<AnsiString>(names.begin(), names.end()).size(), names.size());
    EXPECT_EQ(SettingsFileFor("/s", a, "Orders", "master"), names[0]) << "the same every time";
    EXPECT_EQ(names[3].rfind("/s/Order_Details.master.", 0), 0u) << names[3];
    EXPECT_EQ(names[3].substr(names[3].size() - 5), ".vset");
    const AnsiString odd = SettingsFileFor("/s", a, "../x/y\\z", "master");
    EXPECT_EQ(odd.find('/', 3), AnsiString::npos) << "no folder can come in through the name: " << odd;
}

TEST(BrowserOptionsTest, ReadsTheOptionsAndRefusesWhatItCannotUse)
{
    struct Case {
        QStringList Arguments;
        bool Ok;
        const char* Error;
    };
    const Case cases[] = {
        {{"--database", "x.db", "--settings-dir", "/tmp/s", "--screenshot", "s.png"}, true, ""},
        {{"--connect", "DSN=pg;UID=u", "--master", "Order Details"}, true, ""},
        {{"--database", "x.db", "--connect", "DSN=pg"}, false, "either --database or --connect"},
        {{"--database"}, false, "database"},
        {{"--database", ""}, false, "--database needs a value"},
        {{"stray"}, false, "Unexpected argument: stray"},
        {{"--bogus"}, false, "bogus"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        BrowserOptions options;
        QString error;
        EXPECT_EQ(ParseBrowserOptions(QStringList{"vmado-browser"} + c.Arguments, options, error), c.Ok);
        EXPECT_TRUE(error.contains(c.Error)) << error.toStdString();
    }
    BrowserOptions options;
    QString error;
    ASSERT_TRUE(
        ParseBrowserOptions({"vmado-browser", "--connect", "DSN=pg", "--master", "Order Details", "--detail",
                             "Lines", "--settings-dir", "/tmp/s", "--screenshot", "s.png"},
                            options, error));
    EXPECT_EQ(options.Connect, "DSN=pg");
    EXPECT_EQ(options.Master, "Order Details");
    EXPECT_EQ(options.Detail, "Lines");
    EXPECT_EQ(options.SettingsDir, "/tmp/s");
    EXPECT_EQ(options.Screenshot, "s.png");
    EXPECT_TRUE(options.Database.isEmpty());
}

} // namespace
} // namespace vmado::browser
