// File helpers: listing, counting and deleting by mask, host directories, environment and
// file-system ids, on a scratch directory tree.
#include "utils/Files.h"
#include "framework/rtl/CodePage.h"

#include "framework/classes/Strings.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vmado {
namespace {

namespace fs = std::filesystem;

class ScratchTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vmado-utils-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        Write("a.txt", 3);
        Write("b.txt", 5);
        Write("c.tar.gz", 7);
        Write("noext", 11);
        Write(".hidden", 13);
        fs::create_directories(root_ / "sub1" / "deep");
        Write("sub1/d.txt", 17);
        Write("sub1/deep/e.txt", 19);
        fs::create_directories(root_ / "dir.txt");
        Write("dir.txt/f.txt", 23);
        fs::create_directories(root_ / ".git");
        Write(".git/g.txt", 29);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    void Write(const std::string& name, std::size_t size)
    {
        std::ofstream(root_ / name, std::ios::binary) << std::string(size, 'x');
    }
    AnsiString Root() const { return root_.string(); }
    static std::vector<AnsiString> Items(const TStrings& list)
    {
        std::vector<AnsiString> items;
        for (Integer i = 0; i < list.Count(); ++i)
            items.push_back(list[i]);
        return items;
    }
    std::vector<AnsiString> List(const AnsiString& mask, TDirFile mode, bool sub) const
    {
        TStringList list;
        DirToStrings(mask, list, mode, sub);
        return Items(list);
    }

    fs::path root_;
};

TEST_F(ScratchTree, DirToStringsListsFilesByMaskAndMode)
{
    const AnsiString r = Root() + "/";
    struct Row {
        AnsiString Mask;
        TDirFile Mode;
        bool Sub;
        std::vector<AnsiString> Expected;
    };
    const Row rows[] = {
        {r + "*.txt", dfFile, false, {"a.txt", "b.txt"}},
        {r + "*.txt", dfName, false, {"a", "b"}},
        {r + "*.txt", dfFull, false, {r + "a.txt", r + "b.txt"}},
        {r + "?.txt", dfFile, false, {"a.txt", "b.txt"}},
        {r + "a*", dfFile, false, {"a.txt"}},
        {r + "*", dfFile, false, {"a.txt", "b.txt", "c.tar.gz", "noext"}},
        {r + "*", dfName, false, {"a", "b", "c"}},
        {r + "*.*", dfFile, false, {"a.txt", "b.txt", "c.tar.gz", "noext"}},
        {r + "noext", dfFile, false, {"noext"}},
        {r + "noext", dfName, false, {}},
        {r + "*.txt", dfFile, true, {"a.txt", "b.txt", "f.txt"}},
        {r + "*.txt", dfFull, true, {r + "a.txt", r + "b.txt", r + "dir.txt/f.txt"}},
        {r + "*", dfFile, true, {"a.txt", "b.txt", "c.tar.gz", "noext", "f.txt", "d.txt"}},
        {r + "missing/*", dfFile, true, {}},
        {r, dfFile, false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Mask + (row.Sub ? " (sub)" : ""));
        EXPECT_EQ(List(row.Mask, row.Mode, row.Sub), row.Expected);
    }
}

TEST_F(ScratchTree, DirToStringsAppendsToTheList)
{
    TStringList list;
    list.Add("kept");
    DirToStrings(Root() + "/a.txt", list, dfFile, false);
    EXPECT_EQ(Items(list), (std::vector<AnsiString>{"kept", "a.txt"}));
}

TEST_F(ScratchTree, DirToStringsWithoutDirectoryUsesTheCurrentOne)
{
    const fs::path saved = fs::current_path();
    fs::current_path(root_);
    const std::vector<AnsiString> found = List("*.txt", dfFull, false);
    fs::current_path(saved);
    EXPECT_EQ(found, (std::vector<AnsiString>{"a.txt", "b.txt"}));
}

TEST_F(ScratchTree, FileNumbersCountsEntriesOrSumsSizes)
{
    const AnsiString r = Root() + "/";
    // ".", "..", five files and three directories.
    EXPECT_EQ(FileNumbers(r + "*", false, false), 10);
    EXPECT_EQ(FileNumbers(r + "*", false, true), 3 + 5 + 7 + 11 + 13);
    EXPECT_EQ(FileNumbers(r + "*.txt", false, false), 3); // a.txt, b.txt and the directory dir.txt
    EXPECT_EQ(FileNumbers(r + "*.txt", true, true), 3 + 5 + 23);
    // sub1 holds ".", "..", d.txt and deep; .git is not entered.
    EXPECT_EQ(FileNumbers(r + "*", true, false), 10 + 4 + 3);
    EXPECT_EQ(FileNumbers(r + "missing*", true, true), 0);
}

TEST_F(ScratchTree, DeleteFilesRemovesTheListedFiles)
{
    const AnsiString r = Root() + "/";
    EXPECT_TRUE(DeleteFiles(r + "*.txt"));
    EXPECT_FALSE(fs::exists(root_ / "a.txt"));
    EXPECT_FALSE(fs::exists(root_ / "b.txt"));
    EXPECT_TRUE(fs::exists(root_ / "dir.txt" / "f.txt")); // never into sub-directories
    EXPECT_TRUE(fs::exists(root_ / "c.tar.gz"));
    EXPECT_FALSE(DeleteFiles(r + "*.txt"));
    EXPECT_FALSE(DeleteFiles(r + "missing/*"));
}

TEST(ExtractName, NameWithoutDirectoryAndExtensions)
{
    struct Row {
        const char* Path;
        const char* Expected;
    };
    const Row rows[] = {{"/a/b.tar.gz", "b"}, {"b.txt", "b"},  {"/a/noext", "noext"},
                        {"/a/.hidden", ""},   {"/a/dir/", ""}, {"", ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Path);
        EXPECT_EQ(ExtractName(row.Path), row.Expected);
    }
}

TEST_F(ScratchTree, GetWorkDirCutsBeforeTheNameIgnoringCase)
{
    fs::create_directories(root_ / "Proj" / "Source" / "Units");
    const fs::path saved = fs::current_path();
    fs::current_path(root_ / "Proj" / "Source" / "Units");
    const AnsiString cut = GetWorkDir("source");
    const AnsiString whole = GetWorkDir("");
    const AnsiString missing = GetWorkDir("Nowhere");
    fs::current_path("/");
    const AnsiString top = GetWorkDir("Source");
    fs::current_path(saved);
    EXPECT_EQ(cut, Root() + "/Proj/");
    EXPECT_EQ(whole, Root() + "/Proj/Source/Units/");
    EXPECT_EQ(missing, whole);
    EXPECT_EQ(top, "/");
}

TEST(GetExeDir, IsTheTestProgramsDirectory)
{
    const AnsiString dir = GetExeDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(fs::exists(dir + "test_utils"));
}

TEST(GetEnviroment, ReadsTheWholeValueUpperCased)
{
    ::setenv("VMADO_UTILS_TEST", "abc \xC3\xA1rv\xC3\xADz", 1); // UTF-8 in the environment
    EXPECT_EQ(GetEnviroment("VMADO_UTILS_TEST"), Utf8ToAnsi("ABC ÁRVÍZ"));
    const std::string longValue(1000, 'q');
    ::setenv("VMADO_UTILS_TEST", longValue.c_str(), 1);
    EXPECT_EQ(GetEnviroment("VMADO_UTILS_TEST"), AnsiString(1000, 'Q'));
    ::unsetenv("VMADO_UTILS_TEST");
    EXPECT_EQ(GetEnviroment("VMADO_UTILS_TEST"), "");
    EXPECT_EQ(GetEnviroment(""), "");
    EXPECT_EQ(GetEnviroment("PATH=x"), "");
}

TEST_F(ScratchTree, GetVolumeIDIdentifiesTheFileSystem)
{
    EXPECT_EQ(GetVolumeID(Root()), GetVolumeID(Root() + "/a.txt"));
    EXPECT_EQ(GetVolumeID('C'), GetVolumeID(AnsiString("/")));
    EXPECT_EQ(GetVolumeID(AnsiString()), GetVolumeID(AnsiString("/")));
    try {
        GetVolumeID(Root() + "/missing/file");
        ADD_FAILURE() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("missing/file"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace vmado
