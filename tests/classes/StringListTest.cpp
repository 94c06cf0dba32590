// TStringList: item operations and their index errors, case-insensitive search, sorting and
// duplicates, objects, Text, update brackets with OnChanging/OnChange, Assign, files.
#include "framework/classes/Collection.h"
#include "framework/classes/Streams.h"
#include "framework/classes/Strings.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vmado;

namespace {

std::vector<std::string> Items(const TStrings& list)
{
    std::vector<std::string> items;
    for (Integer i = 0; i < list.Count(); ++i)
        items.push_back(list.Strings(i));
    return items;
}

using V = std::vector<std::string>;

template <class E, class F> void ExpectThrowWith(F&& f, const std::string& text)
{
    try {
        f();
        ADD_FAILURE() << "nothing raised; expected " << text;
    } catch (const E& e) {
        EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what();
    }
}

class Marker : public TObject {};

TEST(StringList, AddInsertDeleteAndAccess)
{
    TStringList list;
    EXPECT_EQ(list.Add("b"), 0);
    EXPECT_EQ(list.Add("d"), 1);
    list.Insert(0, "a");
    list.Insert(2, "c");
    list.Insert(4, "e");
    EXPECT_EQ(Items(list), (V{"a", "b", "c", "d", "e"}));
    list.Delete(1);
    list.SetStrings(0, "A");
    EXPECT_EQ(Items(list), (V{"A", "c", "d", "e"}));
    EXPECT_EQ(list[2], "d");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, BadIndexesRaiseListErrors)
{
    TStringList list;
    list.Add("a");
    list.Add("b");
    ExpectThrowWith<EListError>([&] { list.Strings(5); }, "List index out of bounds (5)");
    ExpectThrowWith<EListError>([&] { list.Strings(-1); }, "List index out of bounds (-1)");
    ExpectThrowWith<EListError>([&] { list.Delete(2); }, "List index out of bounds (2)");
    ExpectThrowWith<EListError>([&] { list.Insert(3, "x"); }, "List index out of bounds (3)");
    ExpectThrowWith<EListError>([&] { list.Objects(2); }, "List index out of bounds (2)");
    ExpectThrowWith<EListError>([&] { list.Exchange(0, 2); }, "List index out of bounds (2)");
    ExpectThrowWith<EListError>([&] { list.Move(0, 2); }, "List index out of bounds (2)");
    EXPECT_EQ(Items(list), (V{"a", "b"}));
}

TEST(StringList, IndexOfIgnoresCaseThroughTheCodePage)
{
    TStringList list;
    list.Add("Alpha");
    list.Add(Utf8ToAnsi("Árvíz"));
    EXPECT_EQ(list.IndexOf("ALPHA"), 0);
    EXPECT_EQ(list.IndexOf(Utf8ToAnsi("áRVÍZ")), 1);
    EXPECT_EQ(list.IndexOf("Alph"), -1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("ALPHA"), -1);
    EXPECT_EQ(list.IndexOf("Alpha"), 0);
}

TEST(StringList, SortedListKeepsOrderAndSearchesBinary)
{
    TStringList list;
    for (const char* s : {"pear", "Apple", "fig", "banana", "cherry"})
        list.Add(s);
    list.SetSorted(true);
    EXPECT_EQ(Items(list), (V{"Apple", "banana", "cherry", "fig", "pear"}));
    EXPECT_EQ(list.Add("date"), 3);
    EXPECT_EQ(list.IndexOf("DATE"), 3);
    EXPECT_EQ(list.IndexOf("grape"), -1);
    Integer where = -1;
    EXPECT_FALSE(list.Find("grape", where));
    EXPECT_EQ(where, 5);
    ExpectThrowWith<EListError>([&] { list.Insert(0, "zzz"); }, "Operation not allowed on sorted list");
    ExpectThrowWith<EListError>([&] { list.SetStrings(0, "zzz"); }, "Operation not allowed on sorted list");
    ExpectThrowWith<EListError>([&] { list.Exchange(0, 1); }, "Operation not allowed on sorted list");
    ExpectThrowWith<EListError>([&] { list.Move(0, 1); }, "Operation not allowed on sorted list");
    EXPECT_EQ(Items(list), (V{"Apple", "banana", "cherry", "date", "fig", "pear"}));
}

TEST(StringList, DuplicatesOfASortedList)
{
    struct Row {
        TDuplicates Mode;
        Integer CountAfter;
    };
    for (const Row& row : {Row{dupIgnore, 2}, Row{dupAccept, 3}}) {
        SCOPED_TRACE(row.Mode);
        TStringList list;
        list.SetSorted(true);
        list.SetDuplicates(row.Mode);
        list.Add("b");
        list.Add("a");
        const Integer index = list.Add("B");
        EXPECT_EQ(index, 1);
        EXPECT_EQ(list.Count(), row.CountAfter);
    }
    TStringList strict;
    strict.SetSorted(true);
    strict.SetDuplicates(dupError);
    strict.Add("x");
    ExpectThrowWith<EListError>([&] { strict.Add("X"); }, "String list does not allow duplicates");
    EXPECT_EQ(strict.Count(), 1);
}

TEST(StringList, DupAcceptFindsTheFirstOfEqualStrings)
{
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupAccept);
    for (const char* s : {"m", "a", "m", "z", "M", "m"})
        list.Add(s);
    Integer index = -1;
    ASSERT_TRUE(list.Find("m", index));
    EXPECT_EQ(index, 1);
}

TEST(StringList, DuplicatesAreIgnoredOnlyWhenSorted)
{
    TStringList list;
    list.SetDuplicates(dupError);
    list.Add("a");
    list.Add("a");
    EXPECT_EQ(list.Count(), 2);
}

TEST(StringList, ChangingCaseSensitivityResortsASortedList)
{
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupAccept);
    for (const char* s : {"b", "B", "a", "A"})
        list.Add(s);
    list.SetCaseSensitive(true);
    for (const char* s : {"a", "A", "b", "B"}) {
        SCOPED_TRACE(s);
        const Integer index = list.IndexOf(s);
        ASSERT_GE(index, 0);
        EXPECT_EQ(list.Strings(index), s);
    }
}

TEST(StringList, ObjectsTravelWithTheirStrings)
{
    Marker one, two;
    TStringList list;
    list.AddObject("one", &one);
    list.AddObject("two", &two);
    list.Add("none");
    list.Exchange(0, 1);
    EXPECT_EQ(list.Objects(0), &two);
    EXPECT_EQ(list.Strings(0), "two");
    list.Move(0, 2);
    EXPECT_EQ(Items(list), (V{"one", "none", "two"}));
    EXPECT_EQ(list.Objects(2), &two);
    EXPECT_EQ(list.Objects(1), nullptr);
    EXPECT_EQ(list.IndexOfObject(&one), 0);
    list.SetObjects(1, &one);
    EXPECT_EQ(list.IndexOfObject(&one), 0);
    EXPECT_EQ(list.Objects(1), &one);
}

TEST(StringList, TextEndsEveryLineWithCrLf)
{
    TStringList list;
    EXPECT_EQ(list.Text(), "");
    list.Add("a");
    list.Add("");
    list.Add("b");
    EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
}

TEST(StringList, SettingTextSplitsAtCrLfOrEither)
{
    const struct {
        const char* Text;
        V Expected;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\rc", {"a", "b", "c"}},
        {"\r\n", {""}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {" x \t", {" x \t"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.Text)));
        TStringList list;
        list.Add("old");
        list.SetText(c.Text);
        EXPECT_EQ(Items(list), c.Expected);
    }
}

TEST(StringList, ChangeEventsFireOncePerOutermostUpdate)
{
    TStringList list;
    std::vector<std::string> log;
    list.OnChanging = [&](TObject* sender) {
        EXPECT_EQ(sender, &list);
        log.push_back("changing");
    };
    list.OnChange = [&](TObject*) { log.push_back("change"); };
    list.Add("a");
    EXPECT_EQ(log, (V{"changing", "change"}));
    log.clear();
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("b");
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(log, (V{"changing"}));
    list.Add("c");
    list.EndUpdate();
    EXPECT_EQ(log, (V{"changing", "change"}));
    log.clear();
    list.EndUpdate(); // unbalanced: ignored
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(list.UpdateCount(), 0);
}

TEST(StringList, ClearingAnEmptyListIsNoChange)
{
    TStringList list;
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    list.Clear();
    EXPECT_EQ(changes, 0);
}

TEST(StringList, AssignCopiesStringsAndObjects)
{
    Marker m;
    TStringList source;
    source.Add("x");
    source.AddObject("y", &m);
    TStringList target;
    target.Add("old");
    int changes = 0;
    target.OnChange = [&](TObject*) { ++changes; };
    target.Assign(&source);
    EXPECT_EQ(Items(target), (V{"x", "y"}));
    EXPECT_EQ(target.Objects(1), &m);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(target.Equals(source));
    target.Assign(&target);
    EXPECT_EQ(Items(target), (V{"x", "y"}));
}

class TOther : public TPersistent {
public:
    AnsiString ClassName() const override { return "TOther"; }
};

TEST(StringList, AssignFromSomethingElseRaises)
{
    TStringList list;
    TOther other;
    ExpectThrowWith<EConvertError>([&] { list.Assign(&other); }, "Cannot assign a TOther to a TStringList");
    ExpectThrowWith<EConvertError>([&] { list.Assign(nullptr); }, "Cannot assign a nil to a TStringList");
    ExpectThrowWith<EConvertError>([&] { other.Assign(&list); }, "Cannot assign a TStringList to a TOther");
}

TEST(StringList, AddStringsOfItself)
{
    TStringList list;
    list.Add("a");
    list.Add("b");
    list.AddStrings(list);
    EXPECT_EQ(Items(list), (V{"a", "b", "a", "b"}));
}

TEST(StringList, EqualsComparesExactly)
{
    TStringList a, b;
    a.Add("x");
    b.Add("X");
    EXPECT_FALSE(a.Equals(b));
    b.SetStrings(0, "x");
    EXPECT_TRUE(a.Equals(b));
    b.Add("y");
    EXPECT_FALSE(a.Equals(b));
}

TEST(StringList, CustomSortOrdersByTheCallersRule)
{
    TStringList list;
    for (const char* s : {"ccc", "a", "bb"})
        list.Add(s);
    list.CustomSort([](TStringList& l, Integer i, Integer j) {
        return static_cast<int>(l.Strings(i).size()) - static_cast<int>(l.Strings(j).size());
    });
    EXPECT_EQ(Items(list), (V{"a", "bb", "ccc"}));
}

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vmado-strings-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(StringListFiles, SaveWritesCrLfLinesAndLoadReadsThemBack)
{
    TempDir dir;
    const std::string path = dir.File("lines.txt");
    TStringList list;
    list.Add("first");
    list.Add("\xE1rv\xEDz");
    list.Add("");
    list.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), "first\r\n\xE1rv\xEDz\r\n\r\n");
    TStringList loaded;
    loaded.LoadFromFile(path);
    EXPECT_TRUE(loaded.Equals(list));
}

TEST(StringListFiles, LoadAcceptsUnixLineEnds)
{
    TempDir dir;
    const std::string path = dir.File("unix.txt");
    std::ofstream(path, std::ios::binary) << "x\ny\r\nz";
    TStringList list;
    list.LoadFromFile(path);
    EXPECT_EQ(Items(list), (V{"x", "y", "z"}));
}

TEST(StringListFiles, MissingFileRaisesNamingIt)
{
    TempDir dir;
    const std::string path = dir.File("absent.txt");
    TStringList list;
    list.Add("kept");
    ExpectThrowWith<EFOpenError>([&] { list.LoadFromFile(path); }, path);
    EXPECT_EQ(Items(list), (V{"kept"}));
    ExpectThrowWith<EFCreateError>([&] { list.SaveToFile(dir.File("no/such/dir.txt")); }, "no/such/dir.txt");
}

TEST(StringListStreams, LoadReadsFromThePositionOn)
{
    TStringStream stream("skip\r\nline1\r\nline2");
    stream.SetPosition(6);
    TStringList list;
    list.LoadFromStream(stream);
    EXPECT_EQ(Items(list), (V{"line1", "line2"}));
    TStringStream out;
    list.SaveToStream(out);
    EXPECT_EQ(out.DataString(), "line1\r\nline2\r\n");
}

} // namespace
