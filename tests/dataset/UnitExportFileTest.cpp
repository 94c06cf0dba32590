#include "dataset/ExportText.h"

#include "framework/rtl/Exceptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vmado {
namespace {

namespace fs = std::filesystem;

class ExportFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vmado-export-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        WriteFile(Path(), "old\r\n");
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    std::string Path() const { return dir_ + "/out.csv"; }
    static void WriteFile(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    int FilesInFolder() const
    {
        int count = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_))
            ++count;
        return count;
    }

    std::string dir_;
};

TEST_F(ExportFileTest, CommitReplacesTheFileKeepingItsPermissions)
{
    ASSERT_EQ(::chmod(Path().c_str(), 0640), 0);
    {
        TExportFile file(Path());
        file.Write("a,b\r\n");
        file.Write("");
        EXPECT_EQ(ReadFile(Path()), "old\r\n"); // nothing shows before the commit
        file.Commit();
        EXPECT_THROW(file.Write("late"), EWriteError);
    }
    EXPECT_EQ(ReadFile(Path()), "a,b\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(FilesInFolder(), 1);
}

TEST_F(ExportFileTest, WithoutACommitTheOldFileStaysAndNothingIsLeftBeside)
{
    {
        TExportFile abandoned(Path());
        abandoned.Write("half");
    }
    TExportFile cancelled(Path());
    cancelled.Write("half");
    cancelled.Cancel();
    EXPECT_EQ(ReadFile(Path()), "old\r\n");
    EXPECT_EQ(FilesInFolder(), 1);
}

TEST_F(ExportFileTest, AMissingFolderIsNamedAndNotMade)
{
    const std::string path = dir_ + "/no/such/out.csv";
    try {
        TExportFile file(path);
        FAIL() << "no error for " << path;
    } catch (const EFCreateError& e) {
        EXPECT_THAT(e.Message(), testing::HasSubstr(path));
    }
    EXPECT_FALSE(fs::exists(dir_ + "/no"));
}

} // namespace
} // namespace vmado
