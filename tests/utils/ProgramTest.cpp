// Starting programs: success codes, the working directory, parameters, never waiting, and the
// failure codes.
#include "utils/Files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace vmado {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vmado-exec-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    // The started program runs on its own; wait for the file it writes.
    std::string WaitForFile(const fs::path& path) const
    {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < deadline) {
            if (fs::exists(path)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                std::ifstream in(path);
                std::stringstream text;
                text << in.rdbuf();
                return text.str();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ADD_FAILURE() << "the program never wrote " << path;
        return {};
    }
    AnsiString Dir() const { return dir_.string(); }

    fs::path dir_;
};

TEST_F(ProgramTest, RunsAnExecutableInTheGivenDirectory)
{
    const Integer result = ExecuteProgram("/bin/sh", "-c \"pwd > where.txt\"", Dir(), wsNormal);
    EXPECT_GT(result, 32);
    EXPECT_EQ(WaitForFile(dir_ / "where.txt"), fs::canonical(dir_).string() + "\n");
}

TEST_F(ProgramTest, FindsAProgramOnThePath)
{
    EXPECT_GT(ExecuteProgram("sh", "-c \"echo found > out.txt\"", Dir(), wsMinimized), 32);
    EXPECT_EQ(WaitForFile(dir_ / "out.txt"), "found\n");
}

TEST_F(ProgramTest, FindsARelativeProgramInTheDirectory)
{
    {
        std::ofstream script(dir_ / "run.sh");
        script << "#!/bin/sh\necho \"$1|$2\" > ran.txt\n";
    }
    fs::permissions(dir_ / "run.sh", fs::perms::owner_all);
    EXPECT_GT(ExecuteProgram("run.sh", "\"two words\" second", Dir(), wsMaximized), 32);
    EXPECT_EQ(WaitForFile(dir_ / "ran.txt"), "two words|second\n");
}

TEST_F(ProgramTest, LongStringsArePassedWhole)
{
    const std::string longWord(300, 'w');
    fs::path deep = dir_;
    for (int i = 0; i < 8; ++i)
        deep /= std::string(20, static_cast<char>('a' + i));
    fs::create_directories(deep);
    ASSERT_GT(deep.string().size(), 127u);
    EXPECT_GT(ExecuteProgram("/bin/sh", "-c \"echo $0 > long.txt\" " + longWord, deep.string(), wsNormal),
              32);
    EXPECT_EQ(WaitForFile(deep / "long.txt"), longWord + "\n");
}

TEST_F(ProgramTest, DoesNotWaitForTheProgram)
{
    const auto start = Clock::now();
    EXPECT_GT(ExecuteProgram("/bin/sleep", "3", Dir(), wsNormal), 32);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

TEST_F(ProgramTest, ReportsFailuresWithTheShellCodes)
{
    EXPECT_EQ(ExecuteProgram("", "", "", wsNormal), 2);
    EXPECT_EQ(ExecuteProgram(Dir() + "/missing-program", "", "", wsNormal), 2);
    EXPECT_EQ(ExecuteProgram("no-such-program-anywhere", "", "", wsNormal), 2);
    EXPECT_EQ(ExecuteProgram("/bin/sh", "", Dir() + "/missing-dir", wsNormal), 3);
    {
        std::ofstream bad(dir_ / "bad.bin");
        bad << "\x7f"
               "ELF not really";
    }
    fs::permissions(dir_ / "bad.bin", fs::perms::owner_all);
    EXPECT_EQ(ExecuteProgram(Dir() + "/bad.bin", "", "", wsNormal), 11);
}

TEST_F(ProgramTest, DocumentWithoutAnOpenerHasNoAssociation)
{
    {
        std::ofstream document(dir_ / "notes.txt");
        document << "text";
    }
    const char* savedPath = std::getenv("PATH");
    const std::string saved = savedPath ? savedPath : "";
    ::setenv("PATH", Dir().c_str(), 1); // no xdg-open to be found
    const Integer result = ExecuteProgram(Dir() + "/notes.txt", "", "", wsNormal);
    ::setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(result, 31);
}

} // namespace
} // namespace vmado
