// Statement generators: INSERT, UPDATE, DELETE and their WHERE clauses from the current record.
// (Being built: every entry raises until then.)
#include "dataset/VDB.h"

namespace vmado {

namespace {
[[noreturn]] void NotYet(const char* what) { throw EDatabaseError(AnsiString(what) + " is not available yet"); }
} // namespace

AnsiString TVADODataSet::InsertSQL() { NotYet("InsertSQL"); }
AnsiString TVADODataSet::ModifySQL() { NotYet("ModifySQL"); }
AnsiString TVADODataSet::DeleteSQL() { NotYet("DeleteSQL"); }
AnsiString TVADODataSet::GenerateUpdate() { NotYet("GenerateUpdate"); }
AnsiString TVADODataSet::GenerateWhere(const AnsiString&, TStrings*) { NotYet("GenerateWhere"); }
AnsiString TVADODataSet::GenerateField(const AnsiString&, const AnsiString&) { NotYet("GenerateField"); }
AnsiString TVADODataSet::GenerateField(const AnsiString&) { NotYet("GenerateField"); }

} // namespace vmado
