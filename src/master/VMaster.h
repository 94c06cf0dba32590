// TVMaster: one connection string and one shared TVConnection lent to every registered dataset.
// The master's text governs the shared connection: every change of it reaches the registered
// datasets after they have been closed, so none is left open on a connection that moved away.
#pragma once

#include "dataset/VDB.h"

#include <memory>
#include <vector>

namespace vmado {

enum TConnectMode { cmNone, cmSystem, cmFile, cmServer };

// Ordered by precedence: of all keywords found in a connection string the highest value wins, so
// "VISUAL FOXPRO" beats "FOXPRO" and "ORACLE" beats "TEXT".
enum TSourceType {
    stUnknown,
    stAccess,
    stDbase,
    stExcel,
    stFoxPro,
    stParadox,
    stText,
    stVisualFoxPro,
    stOracle,
    stMsSQL,
    stSybase,
    stInformix,
    stIngres,
    stDB2
};

class TVMaster : public TVCustomMaster {
public:
    explicit TVMaster(TComponent* owner = nullptr);
    // Closes the registered datasets that are open on the shared connection before it goes.
    ~TVMaster() override;
    AnsiString ClassName() const override { return "TVMaster"; }
    void Assign(const TPersistent* source) override; // from another master: its connection string
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override; // a streamed Connected applies once every property is read

    // ---- the shared connection (Master.cpp) --------------------------------------------------
    AnsiString Connection() const override { return connection_; }
    // Closes every registered dataset, stores the text, hands it to each dataset, closes the
    // shared connection and gives it the text. Nothing happens when the text is unchanged.
    void SetConnect(const AnsiString& value);
    bool GetConnected() const;
    // False closes the registered datasets first, in registration order.
    void SetConnected(bool value);
    const AnsiString& MachineName() const { return machineName_; }
    void SetMachine(const AnsiString& value); // used when the connection next creates its engine object
    TVConnection* GetData() override;         // the shared connection, given the master's text first

    void InsertDataSet(TVADODataSet* dataSet) override; // once; null is ignored
    void RemoveDataSet(TVADODataSet* dataSet) override;
    TVADODataSet* GetDataSet(Integer index) const; // null outside 0..DataSetCount()-1
    Integer DataSetCount() const { return static_cast<Integer>(dataSets_.size()); }

    // ---- single keys of the connection string (MasterKeys.cpp) -------------------------------
    // Reads find the key as a whole name, ignoring case, and return the value without the quotes
    // a write may have put around it. Writes add a missing key and go through SetConnect; a value
    // that holds ";" or "=" (or would lose its blanks or open like a quoted one) is stored
    // quoted, so it stays one value and cannot add or replace keys.
    AnsiString GetFileDSN() const;
    void SetFileDSN(const AnsiString& value);
    AnsiString GetSysDSN() const;
    void SetSysDSN(const AnsiString& value);
    AnsiString GetDriver() const;
    void SetDriver(const AnsiString& value);
    AnsiString GetServer() const;
    void SetServer(const AnsiString& value);
    AnsiString GetDatabase() const;
    void SetDatabase(const AnsiString& value);
    AnsiString GetUsername() const;
    void SetUsername(const AnsiString& value);
    AnsiString GetPassword() const;
    void SetPassword(const AnsiString& value);
    AnsiString GetProvider() const;
    void SetProvider(const AnsiString& value); // empty writes "MSDASQL"

    // ---- classification and folders (MasterSource.cpp) --------------------------------------
    TConnectMode GetConnectMode() const;
    TSourceType GetSourceType() const;
    // While designed: the working directory cut before its "Source" part; at run time the
    // executable's directory. Both end in "/".
    AnsiString GetBaseDir() const;
    AnsiString GetSystemDir() const; // GetBaseDir() + "System/"

    // ---- data-link files and the editor (MasterEditor.cpp) ----------------------------------
    // The connection line of the file with user and password put in; not applied.
    AnsiString LoadUDLFile(const AnsiString& fileName, const AnsiString& userID, const AnsiString& password);
    void UDLEditor(const AnsiString& fileName);
    // Runs the connection editor of the UI module on the master's text and applies an accepted
    // result; without the UI module nothing is shown. Returns the master's text either way.
    virtual AnsiString Editor(Byte unused = 0);

private:
    AnsiString Key(const char* key) const;
    void SetKey(const char* key, const AnsiString& value);
    void CloseDataSets();

    AnsiString connection_ = "Provider=MSDASQL;";
    std::vector<TVADODataSet*> dataSets_; // registration order; not owned
    std::unique_ptr<TVConnection> shared_;
    AnsiString machineName_;
    bool streamedConnected_ = false;
};

} // namespace vmado
