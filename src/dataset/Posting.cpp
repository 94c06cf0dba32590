// Editing and posting: edits live in the record line until post writes the changed values into
// the engine record and sends them. (Being built: every entry raises until then.)
#include "dataset/VDB.h"

namespace vmado {

namespace {
[[noreturn]] void NotYet(const char* what) { throw EDatabaseError(AnsiString(what) + " is not available yet"); }
} // namespace

void TVADODataSet::InternalEdit() { NotYet("Edit"); }
void TVADODataSet::InternalInsert() { NotYet("Insert"); }
void TVADODataSet::InternalCancel() { NotYet("Cancel"); }
void TVADODataSet::InternalPost() { NotYet("Post"); }
void TVADODataSet::InternalDelete() { NotYet("Delete"); }
void TVADODataSet::InternalAddRecord(void*, bool) { NotYet("AddRecord"); }
void TVADODataSet::SetUpdateObject(TVUpdateObject*) { NotYet("SetUpdateObject"); }
void TVADODataSet::SendPending() { NotYet("SendPending"); }

} // namespace vmado
