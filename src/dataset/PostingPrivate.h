// What posting and the statement generators share: which fields of the active record differ from
// the engine record they came from. Compared as record-line entries, so a value the line cannot
// carry exactly (a time stamp's milliseconds) is never written back unless the user changed it.
#pragma once

#include "dataset/VDB.h"

#include <vector>

namespace vmado::dataset {

class RecordChanges {
public:
    // Takes the active record's line and, outside an insert, the line of the engine's current
    // record, which must be the record being edited.
    explicit RecordChanges(TVADODataSet& dataSet);
    // True when field, at engine position, has a value to write: a blob field when its Modified
    // flag is set, any other field when its entry differs from the engine record's.
    bool Changed(TField* field, Integer position) const;

private:
    std::vector<AnsiString> active_;
    std::vector<AnsiString> original_;
};

// The data field an engine field of that name posts into; null for none (calculated and lookup
// fields never reach the engine).
TField* PostedField(const TVADODataSet& dataSet, const AnsiString& name);

} // namespace vmado::dataset
