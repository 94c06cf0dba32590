// Runs the built tool as a user would, on temporary SQLite files, and checks its output, its
// exit status and what it did to the database and the files.
#include "common/SqliteFile.h"
#include "dataset/VDB.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"
#include "tables/VTables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace vmado {
namespace {

using testing::HasSubstr;
using testing::Not;

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

std::string ShellQuoted(const std::string& arg)
{
    std::string out = "'";
    for (const char c : arg)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

class CliTest : public testing::Test {
protected:
    void SetUp() override
    {
        db_.Exec("CREATE TABLE t (name VARCHAR(10), city VARCHAR(8), note VARCHAR(20))");
        db_.Exec("INSERT INTO t VALUES ('Kiss', 'Pécs', 'a,b'), ('O\"Neil', 'Győr', 'line' || char(10) || "
                 "'break'), ('Nagy', 'Eger', NULL)");
        db_.Exec("CREATE TABLE \"my table\" (id INTEGER)");
    }

    std::string Path(const std::string& name) const { return db_.Dir() + "/" + name; }

    // The tool with args in the test's folder, input on its stdin; stdout and stderr are files,
    // so the tool sees no terminal.
    // Another program (a shell command) may run the tool instead.
    Result Run(const std::vector<std::string>& args, const std::string& input = {},
               const std::string& program = ShellQuoted(VMADO_CLI))
    {
        WriteFile(Path("stdin"), input);
        std::string command = "cd " + ShellQuoted(db_.Dir()) + " && " + program;
        for (const std::string& arg : args)
            command += " " + ShellQuoted(arg);
        command += " <stdin >stdout 2>stderr";
        const int raw = std::system(command.c_str());
        Result result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = ReadFile(Path("stdout"));
        result.err = ReadFile(Path("stderr"));
        return result;
    }
    // The same on the test database.
    Result RunOnDb(std::vector<std::string> args, const std::string& input = {})
    {
        args.insert(args.begin(), {"--database", db_.Path()});
        return Run(args, input);
    }

    test::SqliteFile db_;
};

TEST_F(CliTest, TablesListsEveryTableByItsName)
{
    const Result r = RunOnDb({"tables"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("my table\n"));
    EXPECT_THAT(r.out, HasSubstr("t\n"));
    EXPECT_EQ(r.err, "");
}

TEST_F(CliTest, QueryShowsTheRecordsFilteredSortedAndLimited)
{
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> shown;
        std::vector<std::string> hidden;
    };
    const Case cases[] = {
        {{"query", "SELECT name, city FROM t"}, {"Kiss", "Pécs", "Győr", "(3 records)"}, {}},
        {{"query", "--table", "t", "--filter", "city = 'Eger' OR city = 'Pécs'"},
         {"Kiss", "Nagy", "(2 records)"},
         {"Neil"}},
        {{"query", "--table", "t", "--sort", "name DESC", "--limit", "1"},
         {"O\"Neil", "(1 of 3 records)"},
         {"Kiss"}},
        {{"query", "--table", "my table"}, {"id", "(0 records)"}, {}},
    };
    for (const Case& c : cases) {
        const Result r = RunOnDb(c.args);
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        for (const std::string& text : c.shown)
            EXPECT_THAT(r.out, HasSubstr(text));
        for (const std::string& text : c.hidden)
            EXPECT_THAT(r.out, Not(HasSubstr(text)));
    }
}

TEST_F(CliTest, WithoutADataSourceTheSampleIsMadeOnFirstUse)
{
    const std::string sample = Path("sub/sample.db");
    const Result first = Run({"--sample", sample, "query", "--table", "Customers", "--limit", "1"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_THAT(first.out, HasSubstr("(1 of 8 records)"));
    // A second run uses the file as it is: what was changed stays.
    EXPECT_EQ(
        Run({"--sample", sample, "fill", "City", "--table", "Customers", "--const", "X", "--yes"}).status, 0);
    const Result second = Run({"--sample", sample, "query", "SELECT DISTINCT City FROM Customers"});
    EXPECT_THAT(second.out, HasSubstr("(1 records)"));
}

TEST_F(CliTest, ExportWritesEachFormatsExactBytes)
{
    // The dialog's layouts in the code page; RFC-4180 in UTF-8 with a header and the NULL token.
    const auto cp = [](const char* utf8) { return Utf8ToAnsi(utf8); };
    struct Case {
        std::vector<std::string> options;
        std::string expected;
    };
    const Case cases[] = {
        {{"-o", "a.prn"},
         cp("Kiss      Pécs    a,b                 \r\nO\"Neil    Győr    line break          \r\n"
            "Nagy      Eger                        \r\n")},
        {{"-o", "a.txt"}, cp("Kiss\tPécs\ta,b\r\n\"O\"\"Neil\"\tGyőr\t\"line\nbreak\"\r\nNagy\tEger\t\r\n")},
        {{"-o", "a.csv"}, cp("Kiss,Pécs,\"a,b\"\r\n\"O\"\"Neil\",Győr,\"line\nbreak\"\r\nNagy,Eger,\r\n")},
        {{"-o", "b.out", "--format", "csv", "--fields", "city,name"},
         cp("Pécs,Kiss\r\nGyőr,\"O\"\"Neil\"\r\nEger,Nagy\r\n")},
        {{"-o", "a.rfc", "--format", "rfc4180", "--null", "NULL"},
         "name,city,note\r\nKiss,P\xC3\xA9"
         "cs,\"a,b\"\r\n\"O\"\"Neil\",Gy\xC5\x91r,\"line\nbreak\"\r\nNagy,Eger,NULL\r\n"},
        {{"-o", "b.rfc", "--format", "rfc4180"},
         "name,city,note\r\nKiss,P\xC3\xA9"
         "cs,\"a,b\"\r\n\"O\"\"Neil\",Gy\xC5\x91r,\"line\nbreak\"\r\nNagy,Eger,\r\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"export", "SELECT name, city, note FROM t ORDER BY rowid"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Result r = RunOnDb(args);
        SCOPED_TRACE(c.options[1]);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(ReadFile(Path(c.options[1])), c.expected);
    }
}

TEST_F(CliTest, ExportOfNothingReplacesAStaleFileWithAnEmptyOne)
{
    for (const char* format : {"csv", "rfc4180"}) {
        WriteFile(Path("stale"), "old rows\r\n");
        const Result r = RunOnDb(
            {"export", "--table", "t", "--filter", "city = 'Nowhere'", "-o", "stale", "--format", format});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ReadFile(Path("stale")), std::string(format) == "csv" ? "" : "name,city,note\r\n");
    }
    // A failed export leaves the old file and no temporary one beside it.
    WriteFile(Path("kept.csv"), "previous\r\n");
    EXPECT_EQ(RunOnDb({"export", "--table", "t", "--fields", "name,nosuch", "-o", "kept.csv"}).status, 1);
    EXPECT_EQ(ReadFile(Path("kept.csv")), "previous\r\n");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(db_.Dir()))
        files += entry.path().filename().string().starts_with("kept.csv") ? 1 : 0;
    EXPECT_EQ(files, 1);
}

TEST_F(CliTest, ALongExportShowsItsProgressOnATerminalOnly)
{
    db_.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
             "INSERT INTO t SELECT 'n' || i, 'c', 'x' FROM n");
    const std::vector<std::string> args = {"--database", db_.Path(), "export", "--table",
                                           "t",          "-o",       "big.csv"};
    const Result piped = Run(args);
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.err, "");
    const std::string pipedBytes = ReadFile(Path("big.csv"));
    // script(1) gives the tool a terminal; what the terminal shows comes back as its output.
    std::string tool = ShellQuoted(VMADO_CLI);
    for (const std::string& arg : args)
        tool += " " + ShellQuoted(arg);
    const Result shown = Run({}, {}, "script -qec " + ShellQuoted(tool) + " /dev/null");
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_THAT(shown.out, testing::MatchesRegex(".*\rexporting: [0-9]+% \\([0-9]+ of 100003\\).*"));
    // The line is cleared at the end: blanks between the last two carriage returns.
    ASSERT_GE(shown.out.size(), 2u);
    EXPECT_EQ(shown.out.back(), '\r');
    const std::size_t cleared = shown.out.rfind('\r', shown.out.size() - 2);
    EXPECT_EQ(shown.out.find_first_not_of(' ', cleared + 1), shown.out.size() - 1);
    EXPECT_EQ(ReadFile(Path("big.csv")), pipedBytes);
}

TEST_F(CliTest, FillChangesTheFilteredRecordsOnlyWhenConfirmed)
{
    struct Case {
        std::vector<std::string> args;
        std::string answer;
        std::string preview;
        std::string names; // the names afterwards, in rowid order
    };
    const std::string before = "Kiss|O\"Neil|Nagy";
    const Case cases[] = {
        {{"--upper", "--filter", "city = 'Pécs'"},
         "y\n",
         "1 record of table 't' will change",
         "KISS|O\"Neil|Nagy"},
        {{"--upper"}, "n\n", "3 records of table 't' will change", before},
        {{"--upper"}, "", "3 records", before}, // no answer at all is no
        {{"--lower", "--yes"}, "", "3 records", "kiss|o\"neil|nagy"},
        {{"--const", "Név", "--filter", "city <> 'Győr'", "--yes"}, "", "2 records", "Név|O\"Neil|Név"},
        {{"--const", " 12.5", "--number", "--filter", "city = 'Eger'", "--yes"},
         "",
         "1 record",
         "Kiss|O\"Neil|12.5"},
        {{"--exchange", "a", "A", "--yes"}, "", "3 records", "Kiss|O\"Neil|NAgy"},
        {{"--sql", "name || '!'", "--filter", "note IS NULL", "--yes"}, "", "1 record", "Kiss|O\"Neil|Nagy!"},
    };
    for (const Case& c : cases) {
        db_.Exec("DELETE FROM t");
        db_.Exec(
            "INSERT INTO t VALUES ('Kiss', 'Pécs', 'a,b'), ('O\"Neil', 'Győr', 'x'), ('Nagy', 'Eger', NULL)");
        std::vector<std::string> args = {"fill", "name", "--table", "t"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Result r = RunOnDb(args, c.answer);
        SCOPED_TRACE(c.args.front() + " " + c.answer);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_THAT(r.out, HasSubstr(c.preview));
        EXPECT_EQ(db_.Scalar("SELECT group_concat(name, '|') FROM (SELECT name FROM t ORDER BY rowid)"),
                  c.names);
        if (c.names == before) {
            EXPECT_THAT(r.out, HasSubstr("Nothing changed"));
        }
    }
}

// The tool refuses a --number constant before it opens anything; it must refuse exactly the
// values the fill itself would refuse, and write what the fill writes for the others.
TEST_F(CliTest, ANumberConstantIsRefusedExactlyWhenTheFillRefusesIt)
{
    db_.Exec("CREATE TABLE n (id INTEGER PRIMARY KEY, qty NUMERIC)");
    db_.Exec("INSERT INTO n VALUES (1, NULL)");
    struct Case {
        std::string value;
        bool number;
    };
    const Case cases[] = {
        {"12", true},
        {"-7", true},
        {"+3.25", true},
        {" 12.5 ", true},
        {"\t8", true},
        {".5", true},
        {"5.", true},
        {"1e3", true},
        {"2.5E-2", true},
        {"-1e+2", true},
        {"", false},
        {" ", false},
        {"1e", false},
        {"1e+", false},
        {"e5", false},
        {"0x10", false},
        {"1,5", false},
        {"1.234,5", false},
        {"1,234.5", false},
        {"1 000", false},
        {"1.2.3", false},
        {"--1", false},
        {"+-1", false},
        {".", false},
        {"-", false},
        {"12a", false},
        {"NaN", false},
        {"Infinity", false},
        {"1;DROP TABLE n", false},
        {"\xd9\xa1", false}, // the Arabic-Indic digit one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.value + "'");
        db_.Exec("UPDATE n SET qty = NULL");
        bool fillTakesIt = true;
        {
            TVTable table(nullptr);
            table.SetConnection(db_.ConnectionString());
            table.SetTableName("n");
            table.Open();
            try {
                table.FillConst("qty", Utf8ToAnsi(c.value), false);
            } catch (const EConvertError& e) {
                fillTakesIt = false;
                EXPECT_THAT(e.Message(), HasSubstr("not a valid number"));
            }
        }
        const std::string filled = db_.Scalar("SELECT quote(qty) FROM n");
        EXPECT_EQ(fillTakesIt, c.number) << "the fill wrote " << filled;

        db_.Exec("UPDATE n SET qty = NULL");
        const Result r = RunOnDb({"fill", "qty", "--table", "n", "--const", c.value, "--number", "--yes"});
        const bool toolTakesIt = r.status == 0;
        EXPECT_EQ(toolTakesIt, fillTakesIt) << r.err;
        if (toolTakesIt) {
            EXPECT_EQ(db_.Scalar("SELECT quote(qty) FROM n"), filled);
        } else {
            EXPECT_EQ(r.status, 2) << "refused before the open: " << r.err;
            EXPECT_THAT(r.err, HasSubstr("'" + c.value + "' is not a number"));
            EXPECT_EQ(r.out, "") << "no preview, no question";
            EXPECT_EQ(db_.Scalar("SELECT quote(qty) FROM n"), "NULL");
        }
    }
}

class CliSettingsTest : public CliTest {
protected:
    // A settings file as a dataset writes it when it closes.
    std::string MakeSettings()
    {
        const std::string path = Path("grid.vds");
        TVADODataSet dataSet(nullptr);
        dataSet.SetConnection(db_.ConnectionString());
        dataSet.SetCommand("SELECT name, city FROM t");
        dataSet.SetFileName(path);
        dataSet.Open();
        dataSet.SetSortStr("city DESC");
        dataSet.Close();
        return ReadFile(path);
    }
};

TEST_F(CliSettingsTest, SettingsPrintAsTextThatTurnsBackIntoTheSameBytes)
{
    const std::string original = MakeSettings();
    ASSERT_FALSE(original.empty());
    const Result shown = Run({"settings", "grid.vds"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_THAT(shown.out, HasSubstr("TVADOWrapper"));
    EXPECT_THAT(shown.out, HasSubstr("city DESC"));
    WriteFile(Path("grid.txt"), shown.out);
    const Result back = Run({"settings", "--to-binary", "grid.txt", "again.vds"});
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(ReadFile(Path("again.vds")), original);
}

TEST_F(CliSettingsTest, ConvertGoesBothWaysByTheSignatureOrAsTold)
{
    const std::string original = MakeSettings();
    struct Case {
        std::vector<std::string> args;
        std::string output;
    };
    const Case cases[] = {
        {{"convert", "grid.vds", "auto.txt"}, "auto.txt"},
        {{"convert", "auto.txt", "auto.bin"}, "auto.bin"},
        {{"convert", "--to-text", "grid.vds", "told.txt"}, "told.txt"},
        {{"convert", "--to-binary", "told.txt", "told.bin"}, "told.bin"},
    };
    for (const Case& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
    }
    EXPECT_THAT(ReadFile(Path("auto.txt")), HasSubstr("object"));
    EXPECT_EQ(ReadFile(Path("auto.txt")), ReadFile(Path("told.txt")));
    EXPECT_EQ(ReadFile(Path("auto.bin")), original);
    EXPECT_EQ(ReadFile(Path("told.bin")), original);
}

TEST_F(CliSettingsTest, BadInputFailsWithAMessageNamingTheThing)
{
    MakeSettings();
    WriteFile(Path("junk.txt"), "this is no component\n");
    WriteFile(Path("old.bin"), "kept");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string named;
    };
    const Case cases[] = {
        {{"--database", db_.Path(), "query", "--table", "nosuch"}, 1, "nosuch"},
        {{"--database", db_.Path(), "query", "--table", "t", "--filter", "bogus = 1"}, 1, "bogus"},
        {{"--database", db_.Path(), "query", "SELECT * FROM t", "--filter", "name ==== 1"}, 1, "filter"},
        {{"--database", db_.Path(), "fill", "nosuch", "--table", "t", "--upper", "--yes"}, 1, "nosuch"},
        {{"--database", db_.Path(), "fill", "name", "--table", "t", "--yes"}, 2, "--upper"},
        {{"--database", db_.Path(), "fill", "name", "--table", "t", "--upper", "--lower"}, 2, "--lower"},
        {{"--database", db_.Path(), "export", "--table", "t", "-o", "x", "--format", "xml"}, 2, "xml"},
        {{"--database", db_.Path(), "export", "--table", "t", "-o", "x.csv", "--null", "-"}, 2, "--null"},
        {{"--database", db_.Path(), "export", "--table", "t", "-o", "x.csv", "--null", ""}, 2, "--null"},
        {{"--database", db_.Path(), "fill", "name", "--table", "t", "--const", "12a", "--number"}, 2, "12a"},
        {{"--database", db_.Path(), "export", "--table", "t"}, 2, "--output"},
        {{"--database", db_.Path(), "query"}, 2, "--table"},
        {{"--database", db_.Path(), "query", "--limit", "many", "--table", "t"}, 2, "many"},
        {{"--database", "missing.db", "tables"}, 2, "missing.db"},
        {{"--database", db_.Path(), "--connect", "DSN=x", "tables"}, 2, "--connect"},
        {{"query", "--bogus"}, 2, "--bogus"},
        {{"frobnicate"}, 2, "frobnicate"},
        {{}, 2, "subcommand"},
        {{"settings", "missing.vds"}, 1, "missing.vds"},
        {{"settings", "junk.txt"}, 1, "junk.txt"},
        {{"settings", "--to-binary", "junk.txt", "old.bin"}, 1, "junk.txt"},
        {{"settings", "--to-binary", "grid.vds"}, 2, "--to-binary"},
        {{"convert", "junk.txt", "old.bin"}, 1, "junk.txt"},
        {{"convert", "--to-text", "junk.txt", "old.bin"}, 1, "junk.txt"},
        {{"convert", "nothing.vds", "out.txt"}, 2, "nothing.vds"},
    };
    for (const Case& c : cases) {
        const Result r = Run(c.args);
        SCOPED_TRACE(testing::PrintToString(c.args));
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_THAT(r.err, HasSubstr(c.named));
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(ReadFile(Path("old.bin")), "kept");
    EXPECT_EQ(db_.Scalar("SELECT group_concat(name, '|') FROM t"), "Kiss|O\"Neil|Nagy");
}

} // namespace
} // namespace vmado
