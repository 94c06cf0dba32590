// What the single-field controls share: reading a field's text for showing or for editing, and
// the two moments a user's change meets the dataset (the first keystroke asks it to edit, leaving
// the control writes the value), each showing a refusal rather than letting it escape into Qt.
#pragma once

#include "framework/classes/ClassesTypes.h"

#include <QString>
#include <Qt>

namespace vmado {

class TField;
class TFieldDataLink;

namespace controls {

// The field's edit form (forEditing) or display form; a memo-like field gives its whole content.
// A field that cannot be read shows empty, its error going to the application's display.
QString FieldText(TField* field, bool forEditing);
// Writes text back the way FieldText read it.
void SetFieldText(TField* field, const QString& text);
Qt::Alignment ToQtAlignment(TAlignment alignment);

// Asks the link's dataset to edit because the user changed the control; the data change the
// dataset sends meanwhile must not reload the control (flag is set for its duration). False, with
// any error shown, when the field cannot be written.
bool BeginUserEdit(TFieldDataLink& link, bool& flag);
// Writes a pending change into the field; false, with the error shown, when it is rejected.
bool CommitUserEdit(TFieldDataLink& link);
// Whether a keystroke may change the field: the link can write it and the dataset is editing or
// its source will start editing on demand.
bool CanStartEdit(const TFieldDataLink& link);

} // namespace controls
} // namespace vmado
