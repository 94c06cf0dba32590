// TDataSource joins a dataset to its data links; TDataLink is what a control or a detail dataset
// holds to be told of every data event and to see a window of BufferCount records of the
// dataset's buffer ring. TDetailDataLink/TMasterDataLink serve master-detail links.
#pragma once

#include "framework/db/DataSet.h"

#include <vector>

namespace vmado {

using TDataChangeEvent = std::function<void(TObject* sender, TField* field)>;

class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* owner);
    // Detaches every data link and leaves the dataset.
    ~TDataSource() override;
    AnsiString ClassName() const override { return "TDataSource"; }
    void Notification(TComponent* component, TOperation operation) override;

    TDataSet* DataSet() const { return dataSet_; }
    // Raises "Circular datalinks are not allowed" when value is linked back to this source.
    void SetDataSet(TDataSet* value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool value) { autoEdit_ = value; }
    // The dataset's state while enabled and attached; dsInactive otherwise.
    TDataSetState State() const { return state_; }
    // Puts the dataset into edit mode when AutoEdit is set and it is browsing.
    void Edit();
    // True when dataSet's chain of master sources reaches this source.
    bool IsLinkedTo(TDataSet* dataSet);
    Integer DataLinkCount() const { return static_cast<Integer>(dataLinks_.size()); }

    TNotifyEvent OnStateChange;
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnUpdateData;

private:
    friend class TDataSet;
    friend class TDataLink;

    void AddDataLink(TDataLink* dataLink);
    void RemoveDataLink(TDataLink* dataLink);
    void DataEvent(TDataEvent event, std::intptr_t info);
    void NotifyDataLinks(TDataEvent event, std::intptr_t info);
    void SetState(TDataSetState value);
    void UpdateState();

    TDataSet* dataSet_ = nullptr;
    std::vector<TDataLink*> dataLinks_; // not owned
    bool enabled_ = true;
    bool autoEdit_ = true;
    TDataSetState state_ = dsInactive;
};

class TDataLink : public TPersistent {
public:
    TDataLink();
    // Leaves the data source.
    ~TDataLink() override;
    AnsiString ClassName() const override { return "TDataLink"; }

    TDataSource* DataSource() const { return dataSource_; }
    // Raises when DataSourceFixed is set.
    void SetDataSource(TDataSource* value);
    bool DataSourceFixed() const { return dataSourceFixed_; }
    void SetDataSourceFixed(bool value) { dataSourceFixed_ = value; }
    TDataSet* DataSet() const;
    bool Active() const { return active_; }
    bool Editing() const { return editing_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    // The link's own record index inside its window of the ring (0 .. BufferCount - 1);
    // setting it makes that record the dataset's active one for reading.
    Integer ActiveRecord() const;
    void SetActiveRecord(Integer value);
    // How many records the link wants to see at once; the dataset's ring is at least this long.
    Integer BufferCount() const { return bufferCount_; }
    void SetBufferCount(Integer value);
    // Records in the link's window (at most BufferCount).
    Integer RecordCount() const;
    bool Bof() const;
    bool Eof() const;
    Integer MoveBy(Integer distance);
    // Asks the source to edit; true when the link is then editing.
    bool Edit();
    // Runs UpdateData with field-change notifications of this link suppressed.
    void UpdateRecord();

protected:
    friend class TDataSource;
    friend class TDataSet;

    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(Integer distance) { DataSetChanged(); }
    virtual void EditingChanged() {}
    // info points at a TField* the control should focus; it sets it to null when it did.
    virtual void FocusControl(TField** field) {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* field) {}
    virtual void UpdateData() {}
    virtual void DataEvent(TDataEvent event, std::intptr_t info);

private:
    void UpdateState();
    void SetActive(bool value);
    void SetEditing(bool value);
    void UpdateRange();

    TDataSource* dataSource_ = nullptr;
    Integer firstRecord_ = 0;
    Integer bufferCount_ = 1;
    bool active_ = false;
    bool editing_ = false;
    bool readOnly_ = false;
    bool updating_ = false;
    bool dataSourceFixed_ = false;
};

// A link that a detail dataset holds on its master's source; GetDetailDataSet names the
// detail so that the master can list its details.
class TDetailDataLink : public TDataLink {
public:
    AnsiString ClassName() const override { return "TDetailDataLink"; }
    virtual TDataSet* GetDetailDataSet() { return nullptr; }
};

// The framework's master link: watches the master fields named by FieldNames and tells the
// detail dataset through OnMasterChange when their record changes and OnMasterDisable when the
// master goes away.
class TMasterDataLink : public TDetailDataLink {
public:
    explicit TMasterDataLink(TDataSet* dataSet);
    AnsiString ClassName() const override { return "TMasterDataLink"; }
    TDataSet* GetDetailDataSet() override { return dataSet_; }
    const AnsiString& FieldNames() const { return fieldNames_; }
    void SetFieldNames(const AnsiString& value);
    const std::vector<TField*>& Fields() const { return fields_; }

    TNotifyEvent OnMasterChange;
    TNotifyEvent OnMasterDisable;

protected:
    void ActiveChanged() override;
    void CheckBrowseMode() override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;

private:
    TDataSet* dataSet_;
    AnsiString fieldNames_;
    std::vector<TField*> fields_;
};

} // namespace vmado
