// Searching: criteria texts handed to the recordset's Find or, for compound criteria, through a
// temporary filter. (Being built: every entry raises until then.)
#include "dataset/VDB.h"

namespace vmado {

namespace {
[[noreturn]] void NotYet(const char* what) { throw EDatabaseError(AnsiString(what) + " is not available yet"); }
} // namespace

bool TVADODataSet::Locate(const AnsiString&, const Variant&, TLocateOptions) { NotYet("Locate"); }
Variant TVADODataSet::Lookup(const AnsiString&, const Variant&, const AnsiString&) { NotYet("Lookup"); }
AnsiString TVADODataSet::CreateCriteria(const AnsiString&, const AnsiString&, bool) { NotYet("CreateCriteria"); }
bool TVADODataSet::Search(const AnsiString&, const AnsiString&, bool, Byte) { NotYet("Search"); }
bool TVADODataSet::Search(TField*, const AnsiString&, bool, Byte) { NotYet("Search"); }
bool TVADODataSet::Find(const AnsiString&) { NotYet("Find"); }

} // namespace vmado
