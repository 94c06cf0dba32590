// Data-link files written by the test as UTF-16 with a byte-order mark (and as UTF-8), read back
// into the connection line of the ANSI code page with the caller's credentials put in.
#include "AdoBaseFixture.h"
#include "framework/rtl/CodePage.h"

#include "ado/ADOBasePrivate.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace vmado::test {
namespace {

// UTF-16 LE with BOM of a UTF-8 text (code points below 0x10000 and pairs above).
std::string Utf16Le(const std::u32string& text)
{
    std::string out = "\xFF\xFE";
    auto put = [&](char16_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    for (char32_t c : text) {
        if (c >= 0x10000) {
            c -= 0x10000;
            put(static_cast<char16_t>(0xD800 + (c >> 10)));
            put(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            put(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::u32string Udl(const std::u32string& line)
{
    return U"[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n" + line + U"\r\n";
}

class UdlFile : public ::testing::Test {
protected:
    std::string Write(const std::u32string& content, const char* name = "test.udl")
    {
        const auto path = dir_ / name;
        WriteFile(path, Utf16Le(content));
        return path.string();
    }
    TempDir dir_;
};

TEST_F(UdlFile, ReadsTheConnectionLine)
{
    const auto file = Write(Udl(U"Provider=SQLite;Data Source=/tmp/a.db;Persist Security Info=False"));
    EXPECT_EQ(TVConnection::LoadUDLFile(file, "", ""),
              "Provider=SQLite;Data Source=/tmp/a.db;Persist Security Info=False");
}

TEST_F(UdlFile, CredentialsReplaceEntriesAndDropIntegratedSecurity)
{
    const auto file =
        Write(Udl(U"Provider=SQLOLEDB.1;Integrated Security=SSPI;user id=old;Initial Catalog=db"));
    EXPECT_EQ(TVConnection::LoadUDLFile(file, "sa", "secret"),
              "Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=db;Password=secret");
}

TEST_F(UdlFile, UserWithoutPasswordKeepsIntegratedSecurityAndWritesAnEmptyPassword)
{
    const auto file = Write(Udl(U"Provider=X;Integrated Security=SSPI;Password=old"));
    EXPECT_EQ(TVConnection::LoadUDLFile(file, "bob", ""),
              "Provider=X;Integrated Security=SSPI;Password=;User ID=bob");
}

TEST_F(UdlFile, LettersOfTheCodePageSurviveAndOthersAreReplaced)
{
    ScopedCodePage singleByte(CP_1250);
    const auto file = Write(Udl(U"Provider=SQLite;Data Source=/tmp/P\u00E9cs.db"));
    EXPECT_EQ(TVConnection::LoadUDLFile(file, "", ""), "Provider=SQLite;Data Source=/tmp/P\xE9"
                                                       "cs.db");
    const AnsiString decoded = adobase::DecodeUdlText(Utf16Le(U"A\U0001F600B"));
    ASSERT_EQ(decoded.size(), 3u); // one replacement character for the pair, not two
    EXPECT_EQ(decoded.front(), 'A');
    EXPECT_EQ(decoded.back(), 'B');
}

TEST_F(UdlFile, QuotedValuesStayWholeAndHideTheirKeys)
{
    struct Row {
        const char* Line;
        const char* User;
        const char* Password;
        const char* Expected;
    };
    const Row rows[] = {
        // Inner ";", blanks and empty pieces are part of the value.
        {"Provider=MSDASQL;Extended Properties=\"DSN=pg; UID=in ;;PWD=x\";Persist Security Info=False", "",
         "", "Provider=MSDASQL;Extended Properties=\"DSN=pg; UID=in ;;PWD=x\";Persist Security Info=False"},
        // Keys inside a quoted value are not the line's own: the credentials are appended.
        {"Provider=MSDASQL;Extended Properties='User ID=in;Password=old';Integrated Security=SSPI", "sa",
         "pw", "Provider=MSDASQL;Extended Properties='User ID=in;Password=old';User ID=sa;Password=pw"},
        // A doubled quote does not end the value; a top-level key after it is replaced in place.
        {"Provider=X;Password=\"a\"\";b\";User ID=old;Mode=Read", "bob", "",
         "Provider=X;Password=;User ID=bob;Mode=Read"},
        {"Provider=X;Extended Properties=\"a;\"\"User ID=q\"\"\";User ID=old", "bob", "pw",
         "Provider=X;Extended Properties=\"a;\"\"User ID=q\"\"\";User ID=bob;Password=pw"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Line);
        std::u32string line;
        for (const char* c = row.Line; *c; ++c)
            line += static_cast<char32_t>(static_cast<unsigned char>(*c));
        EXPECT_EQ(TVConnection::LoadUDLFile(Write(Udl(line)), row.User, row.Password), row.Expected);
    }
}

TEST_F(UdlFile, Utf8FilesAreDecodedAndOtherBytesRefused)
{
    const std::string udl = "[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"
                            "Provider=SQLite;Data Source=/tmp/P\xC3\xA9"
                            "cs P\xC5\x99"
                            "erov.db\r\n";
    const std::string expected = Utf8ToAnsi("Provider=SQLite;Data Source=/tmp/P\u00E9cs P\u0159erov.db");
    struct Row {
        const char* Name;
        std::string Bytes;
    };
    const Row rows[] = {{"with mark", "\xEF\xBB\xBF" + udl}, {"without mark", udl}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        const auto path = dir_ / "utf8.udl";
        WriteFile(path, row.Bytes);
        EXPECT_EQ(TVConnection::LoadUDLFile(path.string(), "", ""), expected);
    }
    // Latin-1 bytes are neither UTF-16 nor UTF-8: refused, naming the file, not read as garbage.
    const auto latin1 = dir_ / "latin1.udl";
    WriteFile(latin1, "[oledb]\r\nProvider=SQLite;Data Source=/tmp/P\xE9"
                      "cs.db\r\n");
    try {
        TVConnection::LoadUDLFile(latin1.string(), "", "");
        ADD_FAILURE() << "accepted";
    } catch (const EReadError& e) {
        EXPECT_NE(std::string(e.what()).find("latin1.udl"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("neither UTF-16 nor UTF-8"), std::string::npos) << e.what();
    }
    // Cut, overlong and surrogate sequences are not UTF-8 either.
    for (const char* bad : {"A\xC3", "A\xC0\xAF", "A\xED\xA0\x80", "A\xF4\x90\x80\x80"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(adobase::DecodeUdlText(bad), EReadError);
    }
}

TEST_F(UdlFile, LongLinesAreReadWhole)
{
    std::u32string longLine = U"Provider=SQLite;Data Source=/tmp/";
    longLine += std::u32string(5000, U'x');
    const auto file = Write(Udl(longLine));
    EXPECT_EQ(TVConnection::LoadUDLFile(file, "", "").size(), longLine.size());
}

TEST_F(UdlFile, WithoutSectionTheProviderLineIsTaken)
{
    const auto file = Write(U"junk\r\nProvider=MSDASQL;DSN=x\r\nmore");
    EXPECT_EQ(TVConnection::LoadUDLFile(file, "", ""), "Provider=MSDASQL;DSN=x");
}

TEST_F(UdlFile, MissingOrEmptyFilesGiveEmptyText)
{
    EXPECT_EQ(TVConnection::LoadUDLFile((dir_ / "none.udl").string(), "u", "p"), "");
    WriteFile(dir_ / "empty.udl", "");
    EXPECT_EQ(TVConnection::LoadUDLFile((dir_ / "empty.udl").string(), "u", "p"), "");
}

TEST_F(UdlFile, EditorLaunchesTheDesktopOpenerWithoutWaiting)
{
    // A stand-in opener on PATH records its argument, then lingers: the call must not wait.
    const auto bin = dir_ / "bin";
    std::filesystem::create_directory(bin);
    const auto marker = dir_ / "opened.txt";
    WriteFile(bin / "xdg-open", "#!/bin/sh\necho \"$1\" > \"" + marker.string() + ".tmp\"\nmv \"" +
                                    marker.string() + ".tmp\" \"" + marker.string() + "\"\nsleep 2\n");
    std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
    ScopedEnv path("PATH", bin.string() + ":" + std::getenv("PATH"));
    const auto file = Write(Udl(U"Provider=SQLite"));

    TVConnection::UDLEditor((dir_ / "missing.udl").string());
    const auto start = std::chrono::steady_clock::now();
    TVConnection::UDLEditor(file);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    for (int i = 0; i < 100 && !std::filesystem::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(marker);
    std::string opened;
    std::getline(in, opened);
    EXPECT_EQ(opened, file);
}

} // namespace
} // namespace vmado::test
