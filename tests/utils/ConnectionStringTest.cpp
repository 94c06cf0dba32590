// Reading and writing single keys of a connection string.
#include "utils/ConnectionString.h"

#include <gtest/gtest.h>

namespace vmado {
namespace {

TEST(GetADOPart, ReadsOneKey)
{
    struct Row {
        const char* CS;
        const char* Key;
        const char* Expected;
    };
    const Row rows[] = {
        {"Provider=SQLOLEDB.1;Data Source=srv;Initial Catalog=db", "Data Source", "srv"},
        {"Provider=SQLOLEDB.1;Data Source=srv;Initial Catalog=db", "Initial Catalog", "db"},
        {"Provider=SQLOLEDB.1;Data Source=srv;Initial Catalog=db", "Provider", "SQLOLEDB.1"},
        {"Provider=SQLOLEDB.1;Data Source=srv", "UID", ""},
        {"Provider=SQLOLEDB.1;Data Source=srv", "provider", ""},
        {"DSN= spaced ;UID=x", "DSN", "spaced"},
        {"UID=x;DSN= last ", "DSN", " last "},                        // the last part is not trimmed
        {"Extended Data Source=a;Data Source=b", "Data Source", "a"}, // first occurrence, also inside a key
        {"DSN=", "DSN", ""},
        {"DSN", "DSN", ""},
        {"", "DSN", ""},
        {"DSN=x", "", ""},
        // A quoted value is one value, and keys inside it are not found.
        {"Extended Properties=\"DSN=a;UID=in\";UID=out;X=1", "UID", "out"},
        {"Extended Properties=\"DSN=a;UID=in\";UID=out", "Extended Properties", "\"DSN=a;UID=in\""},
        {"A=' x;y ' ;B=2", "A", "' x;y '"},
        {"A='it''s;UID=q';UID=z", "UID", "z"},
        {"A=\"UID=q", "UID", ""}, // an unclosed quote runs to the end
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.CS) + " / " + row.Key);
        EXPECT_EQ(GetADOPart(row.CS, row.Key), row.Expected);
    }
}

TEST(SetADOPart, WritesOneKeyKeepingTheOthers)
{
    struct Row {
        const char* CS;
        const char* Key;
        const char* Value;
        bool Add;
        const char* Expected;
    };
    const Row rows[] = {
        {"Provider=MSDASQL.1;DSN=Old;", "DSN", "New", false, "Provider=MSDASQL.1;DSN=New"},
        {"", "DSN", "X", true, "DSN=X"},
        {"", "DSN", "X", false, ""},
        {"A=1;;B=2", "A", "3", false, "A=3;B=2"},
        {"A=1;;B=2", "C", "3", false, "A=1;B=2"},
        {"A=1;B=2", "C", " 3 ", true, "A=1;B=2;C=3"},
        {"a=1;B=2", "A", "9", false, "A=9;B=2"}, // the key's case as passed
        {"A=1;B=2", "B", "", false, "A=1;B="},   // an empty value keeps the key
        {"  A=1 ; B=2 ;  ", "B", "5", true, "A=1;B=5"},
        {"Provider=X;DSN=a;UID=u", "DSN", "b", true, "Provider=X;DSN=b;UID=u"},
        {"A=\" x ;; y \" ;B=2", "B", "3", false, "A=\" x ;; y \";B=3"},
        {"P='a;UID=b';UID=c", "UID", "d", false, "P='a;UID=b';UID=d"},
        {"P='a;UID=b'", "UID", "d", true, "P='a;UID=b';UID=d"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.CS) + " / " + row.Key);
        EXPECT_EQ(SetADOPart(row.CS, row.Key, row.Value, row.Add), row.Expected);
    }
}

TEST(SetADOPart, WrittenKeyReadsBack)
{
    AnsiString cs = "Provider=MSDASQL.1";
    cs = SetADOPart(cs, "DSN", "Northwind", true);
    cs = SetADOPart(cs, "UID", "admin", true);
    cs = SetADOPart(cs, "DSN", "Other", true);
    EXPECT_EQ(cs, "Provider=MSDASQL.1;DSN=Other;UID=admin");
    EXPECT_EQ(GetADOPart(cs, "DSN"), "Other");
    EXPECT_EQ(GetADOPart(cs, "UID"), "admin");
}

} // namespace
} // namespace vmado
