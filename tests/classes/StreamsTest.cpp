// Streams: memory and string streams, file open and share modes, and the exact-count helpers.
#include "framework/classes/Streams.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace vmado;

namespace {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vmado-streams-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

template <class E> void ExpectThrowWith(const std::function<void()>& action, const std::string& fragment)
{
    try {
        action();
        ADD_FAILURE() << "no exception; expected one containing \"" << fragment << "\"";
    } catch (const E& e) {
        EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
    }
}

} // namespace

TEST(MemoryStream, WriteSeekReadAndGrowWithZeros)
{
    TMemoryStream s;
    s.WriteBuffer("abc", 3);
    EXPECT_EQ(s.Size(), 3);
    EXPECT_EQ(s.Position(), 3);
    s.Seek(2, soFromCurrent); // past the end: a write fills the gap with zeros
    s.WriteBuffer("z", 1);
    EXPECT_EQ(s.Size(), 6);
    EXPECT_EQ(std::string(static_cast<const char*>(s.Memory()), 6), std::string("abc\0\0z", 6));
    EXPECT_EQ(s.Seek(-2, soFromEnd), 4);
    char two[2];
    EXPECT_EQ(s.Read(two, 10), 2);
    EXPECT_EQ(s.Read(two, 1), 0);
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, ReadBufferPastEndRaisesReadError)
{
    TMemoryStream s;
    s.WriteBuffer("ab", 2);
    s.SetPosition(0);
    char buffer[4];
    ExpectThrowWith<EReadError>([&] { s.ReadBuffer(buffer, 3); }, "Stream read error");
    ExpectThrowWith<EStreamError>([&] { s.Seek(-1, soFromBeginning); }, "before the start");
    ExpectThrowWith<EStreamError>([&] { s.Seek(0, 7); }, "origin");
}

TEST(StringStream, ReadStringWriteStringAndCopyFrom)
{
    TStringStream s("hello");
    EXPECT_EQ(s.Position(), 0);
    EXPECT_EQ(s.ReadString(3), "hel");
    EXPECT_EQ(s.ReadString(100), "lo");
    s.SetPosition(1);
    s.WriteString("EY there");
    EXPECT_EQ(s.DataString(), "hEY there");

    TMemoryStream copy;
    EXPECT_EQ(copy.CopyFrom(s, 0), 9); // 0 copies the whole source from its start
    s.SetPosition(4);
    EXPECT_EQ(copy.CopyFrom(s, 5), 5);
    EXPECT_EQ(std::string(static_cast<const char*>(copy.Memory()), copy.Size()), "hEY theret"
                                                                                 "here");
    s.SetPosition(8);
    ExpectThrowWith<EReadError>([&] { copy.CopyFrom(s, 5); }, "Stream read error");
}

TEST(FileStream, CreateWriteReopenRead)
{
    TempDir dir;
    const std::string name = dir.File("data.bin");
    {
        TFileStream f(name, fmCreate);
        f.WriteBuffer("0123456789", 10);
        f.SetSize(8);
        EXPECT_EQ(f.Position(), 8);
    }
    {
        TFileStream f(name, fmOpenRead | fmShareDenyNone);
        EXPECT_EQ(f.Size(), 8);
        f.Seek(-3, soFromEnd);
        char buffer[3];
        f.ReadBuffer(buffer, 3);
        EXPECT_EQ(std::string(buffer, 3), "567");
        ExpectThrowWith<EReadError>([&] { f.ReadBuffer(buffer, 1); }, "Stream read error");
    }
    {
        TFileStream f(name, fmCreate); // truncates
        EXPECT_EQ(f.Size(), 0);
    }
    TMemoryStream m;
    m.WriteBuffer("xyz", 3);
    m.SaveToFile(name);
    TMemoryStream back;
    back.LoadFromFile(name);
    EXPECT_EQ(std::string(static_cast<const char*>(back.Memory()), back.Size()), "xyz");
}

TEST(FileStream, OpenFailuresNameTheFile)
{
    TempDir dir;
    const std::string missing = dir.File("missing.bin");
    ExpectThrowWith<EFOpenError>([&] { TFileStream f(missing, fmOpenRead); },
                                 "Cannot open file \"" + missing + "\". No such file");
    const std::string nowhere = dir.File("no/such/dir.bin");
    ExpectThrowWith<EFCreateError>([&] { TFileStream f(nowhere, fmCreate); },
                                   "Cannot create file \"" + nowhere + "\". ");
    ExpectThrowWith<EFOpenError>([&] { TFileStream f(dir.File(""), fmOpenRead); }, "Cannot open file");
}

struct ShareCase {
    Word first;
    Word second;
    bool secondOpens;
};

TEST(FileStream, ShareModesFollowThePlatformRules)
{
    const ShareCase cases[] = {
        {fmOpenRead | fmShareDenyNone, fmOpenRead | fmShareDenyNone, true},
        {fmOpenRead | fmShareDenyNone, fmOpenReadWrite | fmShareDenyNone, true},
        {fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyWrite, true},
        {fmOpenRead | fmShareDenyWrite, fmOpenWrite | fmShareDenyNone, false},
        {fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyNone, true},
        {fmOpenReadWrite | fmShareDenyWrite, fmOpenRead | fmShareDenyWrite,
         false}, // second denies the first's writing
        {fmOpenWrite | fmShareDenyRead, fmOpenRead | fmShareDenyNone, false},
        {fmOpenWrite | fmShareDenyRead, fmOpenWrite | fmShareDenyRead, true},
        {fmOpenRead | fmShareExclusive, fmOpenRead | fmShareDenyNone, false},
        {fmOpenRead | fmShareDenyNone, fmOpenRead | fmShareExclusive, false},
        {fmOpenRead, fmOpenRead | fmShareDenyNone, false}, // compatibility acts as exclusive
        {fmOpenRead | fmShareDenyNone, fmCreate, false},
    };
    TempDir dir;
    const std::string name = dir.File("shared.bin");
    {
        TFileStream f(name, fmCreate);
        f.WriteBuffer("keep", 4);
    }
    for (const ShareCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.first << " then " << c.second);
        TFileStream first(name, c.first);
        if (c.secondOpens) {
            EXPECT_NO_THROW(TFileStream second(name, c.second));
        } else {
            ExpectThrowWith<EStreamError>([&] { TFileStream second(name, c.second); },
                                          "used by another process");
        }
    }
    // A refused fmCreate must not have truncated the file.
    TFileStream check(name, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(check.Size(), 4);
}

TEST(FileStream, ClosingReleasesTheShare)
{
    TempDir dir;
    const std::string name = dir.File("release.bin");
    {
        TFileStream f(name, fmCreate | fmShareExclusive);
    }
    {
        TFileStream f(name, fmOpenRead | fmShareExclusive);
    }
    EXPECT_NO_THROW(TFileStream f(name, fmOpenReadWrite | fmShareExclusive));
}

TEST(FileStream, AnsiNamesReachTheFileSystemAsUtf8)
{
    TempDir dir;
    // "zkouška.bin" in the code page (in Windows-1250 š is byte 0x9A).
    const std::string ansiName = dir.File(Utf8ToAnsi("zkouška.bin"));
    {
        TFileStream f(ansiName, fmCreate);
        f.WriteBuffer("x", 1);
    }
    EXPECT_TRUE(std::filesystem::exists(dir.File("zkou\xC5\xA1ka.bin")));
    TFileStream f(ansiName, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(f.Size(), 1);
    EXPECT_EQ(f.FileName(), ansiName);
}
