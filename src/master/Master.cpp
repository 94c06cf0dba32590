// The master's life and its shared connection: registration of datasets, the text every
// registered dataset follows, and closing those datasets before the connection moves or goes.
#include "master/VMaster.h"

#include <algorithm>

namespace vmado {

void RegisterMasterClasses();

TVMaster::TVMaster(TComponent* owner) : TVCustomMaster(owner), shared_(std::make_unique<TVConnection>(false))
{
    RegisterMasterClasses();
}

TVMaster::~TVMaster()
{
    Destroying();
    // A dataset left open on the shared connection would keep a recordset on a connection that is
    // about to be freed; datasets with connections of their own are left as they are.
    const std::vector<TVADODataSet*> registered = dataSets_;
    for (TVADODataSet* dataSet : registered) {
        if (dataSet->GetData() != shared_.get())
            continue;
        try {
            dataSet->Close();
        } catch (...) {
            // a destructor must not throw; the connection is closed below all the same
        }
    }
    // Owned datasets unregister themselves while the master is still whole.
    DestroyComponents();
    try {
        if (shared_->Active)
            shared_->Close();
    } catch (...) {
    }
}

void TVMaster::Assign(const TPersistent* source)
{
    if (const auto* master = dynamic_cast<const TVMaster*>(source)) {
        SetConnect(master->Connection());
        return;
    }
    TVCustomMaster::Assign(source);
}

void TVMaster::Notification(TComponent* component, TOperation operation)
{
    TVCustomMaster::Notification(component, operation);
    if (operation == opRemove)
        if (auto* dataSet = dynamic_cast<TVADODataSet*>(component))
            RemoveDataSet(dataSet);
}

void TVMaster::Loaded()
{
    TVCustomMaster::Loaded();
    if (streamedConnected_) {
        streamedConnected_ = false;
        SetConnected(true);
    }
}

void TVMaster::CloseDataSets()
{
    // Closing a dataset may unregister another (a detail going with its master).
    const std::vector<TVADODataSet*> registered = dataSets_;
    for (TVADODataSet* dataSet : registered)
        if (std::find(dataSets_.begin(), dataSets_.end(), dataSet) != dataSets_.end())
            dataSet->Close();
}

void TVMaster::SetConnect(const AnsiString& value)
{
    if (value == connection_)
        return;
    CloseDataSets();
    connection_ = value;
    for (TVADODataSet* dataSet : dataSets_)
        dataSet->SetConnection(value);
    if (shared_->Active)
        shared_->Close();
    shared_->SetConnect(value);
}

bool TVMaster::GetConnected() const
{
    return shared_->Active;
}

void TVMaster::SetConnected(bool value)
{
    if (ComponentState().Contains(csLoading)) {
        streamedConnected_ = value;
        return;
    }
    if (!value)
        CloseDataSets();
    if (shared_->ConnectionString != connection_)
        shared_->SetConnect(connection_);
    shared_->SetActive(value);
}

void TVMaster::SetMachine(const AnsiString& value)
{
    if (value == machineName_)
        return;
    machineName_ = value;
    shared_->MachineName = value;
}

TVConnection* TVMaster::GetData()
{
    if (shared_->ConnectionString != connection_)
        shared_->SetConnect(connection_);
    return shared_.get();
}

void TVMaster::InsertDataSet(TVADODataSet* dataSet)
{
    if (dataSet != nullptr && std::find(dataSets_.begin(), dataSets_.end(), dataSet) == dataSets_.end())
        dataSets_.push_back(dataSet);
}

void TVMaster::RemoveDataSet(TVADODataSet* dataSet)
{
    const auto it = std::find(dataSets_.begin(), dataSets_.end(), dataSet);
    if (it != dataSets_.end())
        dataSets_.erase(it);
}

TVADODataSet* TVMaster::GetDataSet(Integer index) const
{
    if (index < 0 || index >= DataSetCount())
        return nullptr;
    return dataSets_[static_cast<std::size_t>(index)];
}

} // namespace vmado
