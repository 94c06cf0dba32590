// The dataset's settings file: the bytes a close writes (compared with streams built from the
// format), what an open reads back, and what a failed save or an unreadable file leaves behind.
#include "DataSetFixture.h"

#include "common/StreamBytes.h"

#include "framework/classes/Application.h"
#include "framework/rtl/Exceptions.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sys/resource.h>
#include <vector>

namespace vmado::test {
namespace {

namespace fs = std::filesystem;

using SettingsFileTest = DataSetTest;

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Names(TVADODataSet& d)
{
    std::vector<std::string> out;
    for (d.First(); !d.Eof(); d.Next())
        out.push_back(d.FieldByName("name")->AsString());
    return out;
}

std::vector<std::string> Listing(const fs::path& dir)
{
    std::vector<std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        out.push_back(entry.path().lexically_relative(dir).string());
    std::sort(out.begin(), out.end());
    return out;
}

// The settings a dataset holds, as the bytes of a wrapper made from them.
std::string SettingsOf(TVADODataSet& d)
{
    TVADOWrapper w(nullptr);
    w.SetColors(d.Colors());
    w.SetFilters(d.Filters());
    w.SetColumns(d.Columns());
    w.SetSort(d.Sort());
    w.SetFilter(d.Filter());
    TMemoryStream s;
    s.WriteComponent(&w);
    return std::string(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

void AddCondition(TVFilters* filters, const char* field, TFilterType type, TRelationType relation,
                  const char* value)
{
    TVSubFilter* line = filters->Add()->Levels()->Add();
    line->SetFieldName(field);
    line->SetFilterType(type);
    line->SetRelation(relation);
    line->SetLowerValue(value);
    line->SetLogicalOp(flEnd);
}

// Colour rule, filter condition and column settings that every field of the format takes part in.
void FullSettings(TVADODataSet& d)
{
    AddCondition(d.Colors(), "city", ffString, frEqual, "Paris");
    d.Colors()->GetItem(0)->SetBackGround(clYellow);
    d.Colors()->GetItem(0)->SetForeGround(clRed);
    AddCondition(d.Filters(), "qty", ffNumeric, frBigger, "1");
    TColumn* column = d.Columns()->Add();
    column->SetFieldName("name");
    column->SetWidth(150);
    column->Title()->SetCaption("Person");
    d.SetSortStr("name DESC");
    d.SetFilterStr("city <> 'Pecs'");
}

// The item of one single-condition rule as the format carries it.
void ConditionItem(StreamBytes& s, const char* name, const char* field, const char* type,
                   const char* relation, const char* value, const char* back, const char* fore)
{
    s.Item().PropString("Name", name).Prop("Levels").Collection().Item();
    s.PropString("FieldName", field).PropIdent("FilterType", type).PropIdent("Relation", relation);
    s.PropString("LowerValue", value).PropIdent("LogicalOp", "flEnd").End().End();
    s.PropIdent("BackGround", back).PropIdent("ForeGround", fore).PropString("Selected", "<all>").End();
}

struct BytesCase {
    const char* name;
    std::function<void(TVADODataSet&)> setUp;
    std::function<void(StreamBytes&)> properties; // the wrapper's properties
};

TEST_F(SettingsFileTest, CloseWritesTheWrapperStreamOfTheFormat)
{
    const BytesCase cases[] = {
        {"nothing set", [](TVADODataSet&) {},
         [](StreamBytes& s) {
             s.Prop("Colors").Collection().End();
             s.Prop("Filters").Collection().End();
             s.Prop("Columns").Collection().End();
         }},
        {"sort and filter text",
         [](TVADODataSet& d) {
             d.SetSortStr("name DESC");
             d.SetFilterStr("qty > 1");
         },
         [](StreamBytes& s) {
             s.Prop("Colors").Collection().End().Prop("Filters").Collection().End();
             s.Prop("Columns").Collection().End();
             s.PropString("Sort", "name DESC").PropString("Filter", "qty > 1");
         }},
        {"filter text alone", [](TVADODataSet& d) { d.SetFilterStr("qty > 1"); },
         [](StreamBytes& s) {
             s.Prop("Colors").Collection().End().Prop("Filters").Collection().End();
             s.Prop("Columns").Collection().End().PropString("Filter", "qty > 1");
         }},
        {"every part", FullSettings,
         [](StreamBytes& s) {
             s.Prop("Colors").Collection();
             ConditionItem(s, "Level1", "city", "ffString", "frEqual", "Paris", "clYellow", "clRed");
             s.End().Prop("Filters").Collection();
             ConditionItem(s, "Level1", "qty", "ffNumeric", "frBigger", "1", "clBlack", "clBlack");
             s.End().Prop("Columns").Collection().Item();
             s.PropBool("Expanded", false)
                 .PropString("FieldName", "name")
                 .PropString("Title.Caption", "Person");
             s.PropInt("Width", 150).PropBool("Visible", true).End().End();
             s.PropString("Sort", "name DESC").PropString("Filter", "city <> 'Pecs'");
         }},
    };
    for (const BytesCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir_ / (std::string(c.name) + ".drf");
        TVADODataSet& d = Make("SELECT id, name, city, qty FROM people");
        d.SetFileName(file.string());
        d.Open();
        c.setUp(d);
        d.Close();
        StreamBytes expected = StreamBytes::Root("TVADOWrapper");
        c.properties(expected);
        expected.End().End();
        EXPECT_EQ(ReadBytes(file), expected.Bytes());
    }
}

TEST_F(SettingsFileTest, SavedSettingsComeBackAtTheNextOpen)
{
    const fs::path file = dir_ / "people.drf";
    TVADODataSet& first = Make("SELECT id, name, city, qty FROM people");
    first.SetFileName(file.string());
    first.Open();
    FullSettings(first);
    const std::string saved = SettingsOf(first);
    first.Close();
    const std::string written = ReadBytes(file);

    TVADODataSet& second = Make("SELECT id, name, city, qty FROM people");
    second.SetFileName(file.string());
    second.Open();
    EXPECT_EQ(SettingsOf(second), saved);
    ASSERT_EQ(second.Colors()->Count(), 1);
    EXPECT_EQ(second.Colors()->GetItem(0)->BackGround(), clYellow);
    ASSERT_EQ(second.Filters()->Count(), 1);
    EXPECT_EQ(second.Filters()->GetItem(0)->Levels()->Count(), 1);
    ASSERT_EQ(second.Columns()->Count(), 1);
    EXPECT_EQ(second.Columns()->GetItem(0)->Title()->Caption(), "Person");
    EXPECT_EQ(second.Columns()->GetItem(0)->Width(), 150);
    // The sort, the filter text and the filter conditions are in force: qty > 1 and not Pecs.
    EXPECT_EQ(Names(second), (std::vector<std::string>{"Smith", "Jones"}));
    second.Close();
    EXPECT_EQ(ReadBytes(file), written);
}

TEST_F(SettingsFileTest, LoadedTextsReplaceOrKeepTheDatasetsOwn)
{
    const struct {
        const char* name;
        const char* fileSort;
        const char* fileFilter;
        const char* sortAfter;
        const char* filterAfter;
    } cases[] = {
        {"both in the file", "name ASC", "qty > 5", "name ASC", "qty > 5"},
        {"empty filter text keeps the dataset's", "name ASC", "", "name ASC", "city = 'Paris'"},
        {"empty sort text clears the dataset's", "", "qty > 5", "", "qty > 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir_ / "texts.drf";
        StreamBytes bytes = StreamBytes::Root("TVADOWrapper");
        bytes.Prop("Colors").Collection().End().Prop("Filters").Collection().End();
        bytes.Prop("Columns").Collection().End();
        if (*c.fileSort)
            bytes.PropString("Sort", c.fileSort);
        if (*c.fileFilter)
            bytes.PropString("Filter", c.fileFilter);
        WriteFile(file, bytes.End().End().Bytes());

        TVADODataSet& d = Make("SELECT id, name, city, qty FROM people");
        d.SetSortStr("city DESC");
        d.SetFilterStr("city = 'Paris'");
        d.SetFileName(file.string());
        d.Open();
        EXPECT_EQ(d.Sort(), c.sortAfter);
        EXPECT_EQ(d.Filter(), c.filterAfter);
        d.SetFileName(""); // leave the prepared file as it is
        d.Close();
    }
}

TEST_F(SettingsFileTest, AnEmptyFileNameNeitherReadsNorWrites)
{
    const std::vector<std::string> before = Listing(dir_.Path());
    TVADODataSet& d = Make("SELECT id, name, city, qty FROM people");
    d.Open();
    FullSettings(d);
    d.Close();
    EXPECT_EQ(Listing(dir_.Path()), before);
}

TEST_F(SettingsFileTest, WindowsNamesAndMissingFoldersAreHandled)
{
    const fs::path file = dir_ / "a" / "b c" / "d" / "people.drf";
    std::string windowsName = "C:" + file.string();
    std::replace(windowsName.begin(), windowsName.end(), '/', '\\');
    const std::string names[] = {file.string(), windowsName};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        fs::remove_all(dir_ / "a");
        TVADODataSet& d = Make("SELECT id, name FROM people");
        d.SetFileName(name);
        d.Open();
        d.SetSortStr("name DESC");
        d.Close();
        ASSERT_TRUE(fs::is_regular_file(file));
        EXPECT_EQ(d.FileName(), name); // the property keeps what was given

        TVADODataSet& again = Make("SELECT id, name FROM people");
        again.SetFileName(name);
        again.Open();
        EXPECT_EQ(again.Sort(), "name DESC");
        again.Close();
    }
}

// Makes writes past limit bytes fail in this process while it lives, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit lowered = old_;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(SettingsFileTest, AFailedSaveFinishesTheCloseAndKeepsTheOldFile)
{
    const struct {
        const char* name;
        bool limitSize;      // the disk fills up half-way through the new file
        bool folderIsAFile;  // the folder chain cannot be made
        const char* message; // part of the error
    } cases[] = {
        {"write fails half-way", true, false, "Cannot write file"},
        {"folder cannot be created", false, true, "Cannot create directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir_ / "settings");
        fs::create_directories(dir_ / "settings");
        fs::path file = dir_ / "settings" / "people.drf";
        if (c.folderIsAFile) {
            WriteFile(dir_ / "settings" / "blocker", "not a folder");
            file = dir_ / "settings" / "blocker" / "sub" / "people.drf";
        }
        TVADODataSet& d = Make("SELECT id, name, city, qty FROM people");
        d.SetFileName(file.string());
        d.Open();
        d.SetSortStr("name ASC");
        if (!c.folderIsAFile) {
            d.Close(); // the old file, which must survive
            d.Open();
        }
        const std::string old = c.folderIsAFile ? std::string() : ReadBytes(file);
        FullSettings(d);
        bool closeEventRan = false;
        d.AfterClose = [&](TDataSet*) { closeEventRan = true; };
        try {
            std::unique_ptr<FileSizeLimit> limit;
            if (c.limitSize)
                limit = std::make_unique<FileSizeLimit>(16);
            d.Close();
            limit.reset();
            FAIL() << "the save did not fail";
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find(c.message), AnsiString::npos) << e.Message();
            EXPECT_NE(e.Message().find(dir_.Path().string()), AnsiString::npos) << e.Message();
        }
        EXPECT_FALSE(d.Active());
        EXPECT_TRUE(closeEventRan);
        EXPECT_FALSE(d.Records()->Active);
        if (!c.folderIsAFile) {
            EXPECT_EQ(ReadBytes(file), old);
            EXPECT_EQ(Listing(dir_ / "settings"), std::vector<std::string>{"people.drf"})
                << "a temporary file was left";
        }
        // Nothing is stuck: the dataset opens again, with the old file's sort and conditions
        // where there is one (the filter text stays, the file has none).
        d.SetFileName(c.folderIsAFile ? std::string() : file.string());
        d.Open();
        const std::vector<std::string> expected = c.folderIsAFile
                                                      ? std::vector<std::string>{"Smith", "Jones"}
                                                      : std::vector<std::string>{"Brown", "Jones", "Smith"};
        EXPECT_EQ(Names(d), expected);
        d.SetFileName("");
        d.Close();
    }
}

TEST_F(SettingsFileTest, ASaveFailingWhileTheDatasetIsFreedIsShown)
{
    WriteFile(dir_ / "blocker", "not a folder");
    std::vector<std::string> shown;
    Application()->OnException = [&](TObject*, const Exception& e) { shown.push_back(e.Message()); };
    TVADODataSet& d = Make("SELECT id, name FROM people");
    d.SetFileName((dir_ / "blocker" / "people.drf").string());
    d.Open();
    dataSet_.reset(); // closes, and the save fails
    Application()->OnException = nullptr;
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("Cannot create directory"), std::string::npos) << shown[0];
}

TEST_F(SettingsFileTest, ASaveKeepsTheFilesLinkAndPermissions)
{
    fs::create_directories(dir_ / "real");
    const fs::path target = dir_ / "real" / "people.drf";
    const fs::path link = dir_ / "people.drf";
    WriteFile(target, StreamBytes::Root("TVADOWrapper").End().End().Bytes());
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(target, link);
    TVADODataSet& d = Make("SELECT id, name FROM people");
    d.SetFileName(link.string());
    d.Open();
    d.SetSortStr("name DESC");
    d.Close();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(ReadBytes(target).find("name DESC"), std::string::npos);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Listing(dir_ / "real"), std::vector<std::string>{"people.drf"});
}

TEST_F(SettingsFileTest, AnUnreadableFileFailsTheOpenAndChangesNothing)
{
    StreamBytes valid = StreamBytes::Root("TVADOWrapper");
    valid.Prop("Colors").Collection().End().Prop("Filters").Collection().End();
    valid.Prop("Columns").Collection().Item().PropString("FieldName", "city").End().End();
    valid.PropString("Sort", "city ASC").End().End();
    const std::string good = valid.Bytes();

    StreamBytes foreign = StreamBytes::Root("TComponent", "Other");
    foreign.PropInt("Tag", 5).End().End();
    StreamBytes unknownProperty = StreamBytes::Root("TVADOWrapper");
    unknownProperty.Prop("Colors").Collection().End().PropString("Colour", "red").End().End();
    StreamBytes wrongValue = StreamBytes::Root("TVADOWrapper");
    wrongValue.Prop("Columns")
        .Collection()
        .Item()
        .PropIdent("ButtonStyle", "cbsHuge")
        .End()
        .End()
        .End()
        .End();

    const struct {
        const char* name;
        std::string bytes;
        const char* reason; // part of the cause kept with "Open error!"
    } cases[] = {
        {"empty file", "", "not a settings file"},
        {"text, not a stream", "object TVADOWrapper\nend\n", "not a settings file"},
        {"signature only", "TPF0", "not a settings file"},
        {"cut in the class name", good.substr(0, 9), "not a settings file"},
        {"cut in the properties", good.substr(0, 40), "cannot be read"},
        {"cut before the end marks", good.substr(0, good.size() - 2), "cannot be read"},
        {"last byte missing", good.substr(0, good.size() - 1), "cannot be read"},
        {"another component", foreign.Bytes(), "TComponent"},
        {"unknown property", unknownProperty.Bytes(), "Colour"},
        {"bad enumeration value", wrongValue.Bytes(), "ButtonStyle"},
        {"data after the end", good + "junk", "unexpected data"},
        {"damaged property name", good.substr(0, 30) + std::string(1, '\x7f') + good.substr(31),
         "cannot be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir_ / "bad.drf";
        WriteFile(file, c.bytes);
        TVADODataSet& d = Make("SELECT id, name, city, qty FROM people");
        FullSettings(d);
        const std::string before = SettingsOf(d);
        d.SetFileName(file.string());
        try {
            d.Open();
            FAIL() << "opened with an unreadable settings file";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), "Open error!");
            EXPECT_NE(e.Context().find(c.reason), AnsiString::npos) << e.Context();
            EXPECT_NE(e.Context().find(file.string()), AnsiString::npos) << e.Context();
        }
        EXPECT_FALSE(d.Active());
        EXPECT_EQ(SettingsOf(d), before);
        EXPECT_EQ(ReadBytes(file), c.bytes) << "the failed open wrote the file";
    }
    // The same folder with the good file opens, so the cases above failed on their content.
    WriteFile(dir_ / "bad.drf", good);
    TVADODataSet& d = Make("SELECT id, name, city, qty FROM people");
    d.SetFileName((dir_ / "bad.drf").string());
    d.Open();
    EXPECT_EQ(d.Sort(), "city ASC");
    EXPECT_EQ(d.Columns()->Count(), 1);
}

} // namespace
} // namespace vmado::test
