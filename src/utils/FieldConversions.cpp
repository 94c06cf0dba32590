// Field-type names of a field: the description and short name of its data type.
#include "framework/db/Fields.h"
#include "utils/Conversions.h"

namespace vmado {

// An absent field has no type to name; it reads as the unknown type, like any unnamed one.
AnsiString FieldTypeToText(const TField* Field)
{
    return FieldTypeToText(Field ? Field->DataType() : ftUnknown);
}

AnsiString FieldTypeToStr(const TField* Field)
{
    return FieldTypeToStr(Field ? Field->DataType() : ftUnknown);
}

} // namespace vmado
