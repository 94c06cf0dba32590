// Values as SQL literals, the one way the table relation, the query parameters and the update-SQL
// statements put a value into text sent to the database. Strings are quoted with their quotes
// doubled, so no value can end its literal early; numbers always use a point.
#pragma once

#include "framework/db/FieldTypes.h"
#include "framework/rtl/Variant.h"

namespace vmado {

class TField;
class TParam;

// The literal of value read as dataType:
// - Null (or Empty): NULL;
// - ftString, ftMemo, ftFmtMemo, ftFixedChar, ftWideString, ftGuid: QuotedStr of the text;
// - ftBoolean: -1 or 0;
// - ftDate, ftDateTime, ftTimeStamp: {d 'yyyy-mm-dd' } with " hh:nn:ss AM/PM" when the time is
//   not midnight; ftTime: {t 'hh:nn:ss AM/PM' };
// - integer and decimal types: the number with a point, whatever the locale;
// - ftUnknown and the other non-binary types: by the value's own variant type.
// Binary types (and binary values) raise EDatabaseError; so does a value that does not convert to
// the type, or a number that is not finite. what names the value in the message (a field or a
// parameter).
AnsiString SqlLiteral(TFieldType dataType, const Variant& value, const AnsiString& what = {});
// The field's current value by its data type.
AnsiString SqlLiteral(TField* field);
// The parameter's value by its data type.
AnsiString SqlLiteral(const TParam* param);

} // namespace vmado
