// The master without a database: its key properties and their quoting, source classification,
// folders, dataset registration, assignment, the editor hook and streaming.
#include "master/MasterHooks.h"
#include "master/VMaster.h"

#include "framework/classes/ComponentStreaming.h"
#include "framework/classes/Streams.h"
#include "framework/rtl/Exceptions.h"
#include "utils/ConnectionString.h"
#include "utils/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

namespace vmado::test {
namespace {

TEST(MasterUnit, ANewMasterHasTheDefaultTextAndIsClosed)
{
    TVMaster master;
    EXPECT_EQ(master.Connection(), "Provider=MSDASQL;");
    EXPECT_FALSE(master.GetConnected());
    EXPECT_EQ(master.GetSourceType(), stUnknown);
    EXPECT_EQ(master.GetConnectMode(), cmNone);
    EXPECT_EQ(master.DataSetCount(), 0);
    EXPECT_FALSE(master.GetData()->AutoClose);
    EXPECT_EQ(master.GetData()->ConnectionString, "Provider=MSDASQL;");
}

TEST(MasterUnit, KeyPropertiesWriteTheirKeysAndReadThemBack)
{
    const struct {
        const char* Key;
        std::function<void(TVMaster&, const AnsiString&)> Set;
        std::function<AnsiString(const TVMaster&)> Get;
    } keys[] = {
        {"DBQ", &TVMaster::SetFileDSN, &TVMaster::GetFileDSN},
        {"DSN", &TVMaster::SetSysDSN, &TVMaster::GetSysDSN},
        {"DRIVER", &TVMaster::SetDriver, &TVMaster::GetDriver},
        {"SERVER", &TVMaster::SetServer, &TVMaster::GetServer},
        {"DATABASE", &TVMaster::SetDatabase, &TVMaster::GetDatabase},
        {"UID", &TVMaster::SetUsername, &TVMaster::GetUsername},
        {"PWD", &TVMaster::SetPassword, &TVMaster::GetPassword},
        {"Provider", &TVMaster::SetProvider, &TVMaster::GetProvider},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.Key);
        TVMaster master;
        master.SetConnect("Provider=SQLite;Data Source=a.db");
        k.Set(master, "value1");
        EXPECT_EQ(k.Get(master), "value1");
        EXPECT_EQ(GetADOPart(master.Connection(), k.Key), "value1");
        k.Set(master, "value2"); // replaced, not added again
        EXPECT_EQ(k.Get(master), "value2");
        EXPECT_EQ(master.Connection().find("value1"), AnsiString::npos) << master.Connection();
    }
}

TEST(MasterUnit, AnEmptyProviderWritesMsdasql)
{
    TVMaster master;
    master.SetConnect("Provider=SQLite;Data Source=a.db");
    master.SetProvider("");
    EXPECT_EQ(master.Connection(), "Provider=MSDASQL;Data Source=a.db");
    EXPECT_EQ(master.GetProvider(), "MSDASQL");
}

TEST(MasterUnit, KeysAreReadAsWholeNamesIgnoringCase)
{
    TVMaster master;
    master.SetConnect("GUID=not-me;Server=host;database=sales;PWD=xUIDy;UID=me");
    EXPECT_EQ(master.GetUsername(), "me");
    EXPECT_EQ(master.GetServer(), "host");
    EXPECT_EQ(master.GetDatabase(), "sales");
    EXPECT_EQ(master.GetSysDSN(), "");
}

TEST(MasterUnit, ValuesThatCouldInjectKeysAreQuotedAndReadBackAsSet)
{
    const char* values[] = {
        "pa;ss",
        "a=b",
        "x;UID=evil;DATABASE=other",
        "\"starts quoted\"",
        "'single'",
        "it\"s;here",
        " blanks ",
        "ends;with\"",
        "plain",
        "",
    };
    for (const char* value : values) {
        SCOPED_TRACE(value);
        TVMaster master;
        master.SetConnect("Provider=MSDASQL;DRIVER={PostgreSQL Unicode};DATABASE=sales;UID=me");
        master.SetPassword(value);
        EXPECT_EQ(master.GetPassword(), value);
        EXPECT_EQ(master.GetDatabase(), "sales");
        EXPECT_EQ(master.GetUsername(), "me");
        EXPECT_EQ(master.GetProvider(), "MSDASQL");
        // The library's own reader sees one value as well.
        EXPECT_EQ(SplitADOParts(master.Connection()).size(), 5u) << master.Connection();
    }
}

TEST(MasterUnit, AQuotedValueLeavesTheFollowingKeysReadable)
{
    TVMaster master;
    master.SetConnect("Provider=MSDASQL");
    master.SetPassword("a;b");
    master.SetUsername("u=v");
    master.SetDatabase("sales");
    EXPECT_EQ(master.GetPassword(), "a;b");
    EXPECT_EQ(master.GetUsername(), "u=v");
    EXPECT_EQ(master.GetDatabase(), "sales");
    EXPECT_EQ(master.Connection(), "Provider=MSDASQL;PWD=\"a;b\";UID=\"u=v\";DATABASE=sales");
}

TEST(MasterUnit, SourceTypeIsTheHighestKeywordFound)
{
    const struct {
        const char* Text;
        TSourceType Expected;
    } cases[] = {
        {"DRIVER={Microsoft Access Driver (*.mdb)}", stAccess},
        {"DRIVER={Microsoft dBase Driver}", stDbase},
        {"DRIVER={Microsoft Excel Driver}", stExcel},
        {"DRIVER={Microsoft FoxPro Driver}", stFoxPro},
        {"DRIVER={Microsoft Visual FoxPro Driver}", stVisualFoxPro},
        {"DRIVER={Microsoft Paradox Driver}", stParadox},
        {"DRIVER={Microsoft Text Driver}", stText},
        {"DRIVER={Oracle in XE};DBQ=notes.text", stOracle},
        {"DRIVER={sql server}", stMsSQL},
        {"DRIVER={SQL SERVER}", stMsSQL},
        {"DRIVER={Adaptive Server / Sybase}", stSybase},
        {"DRIVER={Informix}", stInformix},
        {"DRIVER={Ingres}", stIngres},
        {"DRIVER={IBM DB2 ODBC DRIVER};DBQ=access", stDB2},
        {"Provider=SQLite;Data Source=a.db", stUnknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        TVMaster master;
        master.SetConnect(c.Text);
        EXPECT_EQ(master.GetSourceType(), c.Expected);
    }
}

TEST(MasterUnit, ConnectModePrefersServerThenDriverThenDsn)
{
    const struct {
        const char* Text;
        TConnectMode Expected;
    } cases[] = {
        {"SERVER=h;DRIVER={x};DSN=d", cmServer},
        {"DRIVER={x};DSN=d", cmFile},
        {"DSN=d", cmSystem},
        {"Provider=MSDASQL;SERVER=", cmNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        TVMaster master;
        master.SetConnect(c.Text);
        EXPECT_EQ(master.GetConnectMode(), c.Expected);
    }
}

TEST(MasterUnit, BaseAndSystemFoldersFollowDesignOrRunTime)
{
    TVMaster master;
    EXPECT_EQ(master.GetBaseDir(), GetExeDir());
    EXPECT_EQ(master.GetSystemDir(), GetExeDir() + "System/");

    const auto root = std::filesystem::temp_directory_path() / ("vmado-master-" + std::to_string(getpid()));
    std::filesystem::create_directories(root / "Proj" / "Source" / "Units");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(root / "Proj" / "Source" / "Units");
    master.SetDesigning(true);
    const AnsiString designed = master.GetBaseDir();
    const AnsiString system = master.GetSystemDir();
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(root);
    EXPECT_EQ(designed, (root / "Proj").string() + "/");
    EXPECT_EQ(system, (root / "Proj").string() + "/System/");
}

TEST(MasterUnit, DataSetsRegisterOnceAndLeaveWhenFreed)
{
    TVMaster master;
    auto first = std::make_unique<TVADODataSet>(nullptr);
    auto second = std::make_unique<TVADODataSet>(nullptr);
    first->SetMaster(&master);
    second->SetMaster(&master);
    master.InsertDataSet(first.get());
    master.InsertDataSet(nullptr);
    ASSERT_EQ(master.DataSetCount(), 2);
    EXPECT_EQ(master.GetDataSet(0), first.get());
    EXPECT_EQ(master.GetDataSet(1), second.get());
    EXPECT_EQ(master.GetDataSet(-1), nullptr);
    EXPECT_EQ(master.GetDataSet(2), nullptr);
    EXPECT_EQ(first->GetConnection(), master.Connection());

    first.reset();
    ASSERT_EQ(master.DataSetCount(), 1);
    EXPECT_EQ(master.GetDataSet(0), second.get());
    second->SetMaster(nullptr);
    EXPECT_EQ(master.DataSetCount(), 0);
}

TEST(MasterUnit, OnlyANewTextReachesTheRegisteredDataSets)
{
    TVMaster master;
    TVADODataSet dataSet(nullptr);
    dataSet.SetMaster(&master);
    dataSet.SetConnection("the dataset's own");

    master.SetConnect(master.Connection());
    EXPECT_EQ(dataSet.GetConnection(), "the dataset's own");

    master.SetConnect("Provider=SQLite;Data Source=b.db");
    EXPECT_EQ(dataSet.GetConnection(), "Provider=SQLite;Data Source=b.db");
    EXPECT_EQ(master.GetData()->ConnectionString, "Provider=SQLite;Data Source=b.db");

    master.SetDatabase("c.db"); // a key goes the same way
    EXPECT_EQ(dataSet.GetConnection(), master.Connection());
    EXPECT_EQ(master.GetData()->ConnectionString, master.Connection());
}

TEST(MasterUnit, AssignTakesAnotherMastersText)
{
    TVMaster source;
    source.SetConnect("Provider=SQLite;Data Source=x.db");
    TVMaster master;
    TVADODataSet dataSet(nullptr);
    dataSet.SetMaster(&master);
    master.Assign(&source);
    EXPECT_EQ(master.Connection(), "Provider=SQLite;Data Source=x.db");
    EXPECT_EQ(dataSet.GetConnection(), "Provider=SQLite;Data Source=x.db");

    TVADODataSet notAMaster(nullptr);
    EXPECT_THROW(master.Assign(&notAMaster), EConvertError);
}

TEST(MasterUnit, MachineNameReachesTheSharedConnection)
{
    TVMaster master;
    master.SetMachine("db-host");
    EXPECT_EQ(master.MachineName(), "db-host");
    EXPECT_EQ(master.GetData()->MachineName, "db-host");
}

// Installs a hook for one test and puts the previous one back.
class HookScope {
public:
    explicit HookScope(TConnectionEditorHook hook) : previous_(SetConnectionEditorHook(std::move(hook))) {}
    ~HookScope() { SetConnectionEditorHook(std::move(previous_)); }

private:
    TConnectionEditorHook previous_;
};

TEST(MasterUnit, EditorAppliesOnlyAnAcceptedText)
{
    const struct {
        const char* What;
        bool Installed;
        bool Accept;
        const char* Expected;
    } cases[] = {
        {"no UI module", false, false, "Provider=SQLite;Data Source=a.db"},
        {"cancelled", true, false, "Provider=SQLite;Data Source=a.db"},
        {"accepted", true, true, "Provider=SQLite;Data Source=edited.db"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TVMaster master;
        master.SetConnect("Provider=SQLite;Data Source=a.db");
        TVADODataSet dataSet(nullptr);
        dataSet.SetMaster(&master);
        TComponent* shownFor = nullptr;
        AnsiString shownText;
        HookScope scope(c.Installed ? TConnectionEditorHook([&](TComponent* owner, AnsiString& text) {
            shownFor = owner;
            shownText = text;
            text = "Provider=SQLite;Data Source=edited.db";
            return c.Accept;
        })
                                    : TConnectionEditorHook());
        EXPECT_EQ(master.Editor(), c.Expected);
        EXPECT_EQ(master.Connection(), c.Expected);
        EXPECT_EQ(dataSet.GetConnection(), c.Expected);
        EXPECT_EQ(master.GetData()->ConnectionString, c.Expected);
        if (c.Installed) {
            EXPECT_EQ(shownFor, &master);
            EXPECT_EQ(shownText, "Provider=SQLite;Data Source=a.db");
        }
    }
}

TEST(MasterUnit, StreamingKeepsTheTextAndMachineName)
{
    TVMaster written;
    written.SetName("Master1");
    written.SetConnect("Provider=SQLite;Data Source=\"a;b.db\"");
    written.SetMachine("db-host");
    TMemoryStream stream;
    WriteComponent(stream, written);

    stream.SetPosition(0);
    TVMaster read;
    ReadComponent(stream, &read);
    EXPECT_EQ(read.Name(), "Master1");
    EXPECT_EQ(read.Connection(), written.Connection());
    EXPECT_EQ(read.MachineName(), "db-host");
    EXPECT_FALSE(read.GetConnected());
}

} // namespace
} // namespace vmado::test
