// The master's data-link services and its connection editor, which the UI module supplies
// through the hook; without it the editor shows nothing and changes nothing.
#include "master/MasterHooks.h"
#include "master/VMaster.h"

namespace vmado {

AnsiString TVMaster::LoadUDLFile(const AnsiString& fileName, const AnsiString& userID,
                                 const AnsiString& password)
{
    return TVConnection::LoadUDLFile(fileName, userID, password);
}

void TVMaster::UDLEditor(const AnsiString& fileName)
{
    TVConnection::UDLEditor(fileName);
}

AnsiString TVMaster::Editor(Byte)
{
    const TConnectionEditorHook& hook = ConnectionEditorHook();
    AnsiString text = connection_;
    if (hook && hook(this, text))
        SetConnect(text);
    if (shared_->ConnectionString != connection_)
        shared_->SetConnect(connection_);
    return connection_;
}

} // namespace vmado
