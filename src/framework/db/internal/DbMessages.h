// The framework's fixed database message texts, in one place so that every class raises the
// same words; "%s"-style holes are filled by the callers through Format.
#pragma once

namespace vmado::dbmsg {

inline constexpr const char* FieldNotFound = "Field '%s' not found";
inline constexpr const char* ParameterNotFound = "Parameter '%s' not found";
inline constexpr const char* DataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* DataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* NotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* DataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* DataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* RecordNotFound = "Record not found";
inline constexpr const char* FieldRequired = "Field '%s' must have a value";
inline constexpr const char* FieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* FieldNameMissing = "Field name missing";
inline constexpr const char* DuplicateFieldName = "Duplicate field name '%s'";
inline constexpr const char* DuplicateName = "Duplicate name '%s' in %s";
inline constexpr const char* FieldAccessError = "Cannot access field '%s' as type %s";
inline constexpr const char* InvalidIntegerValue = "'%s' is not a valid integer value for field '%s'";
inline constexpr const char* InvalidFloatValue = "'%s' is not a valid floating point value for field '%s'";
inline constexpr const char* InvalidBoolValue = "'%s' is not a valid boolean value for field '%s'";
inline constexpr const char* FieldRangeError =
    "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr const char* InvalidFieldSize = "Invalid field size";
inline constexpr const char* InvalidFieldKind = "Invalid FieldKind";
inline constexpr const char* UnknownFieldType = "Field '%s' is of an unknown type";
inline constexpr const char* InvalidCalcType = "Field '%s' cannot be a calculated or lookup field";
inline constexpr const char* FieldTypeMismatch = "Type mismatch for field '%s', expecting: %s actual: %s";
inline constexpr const char* DataSetMissing = "Field '%s' has no dataset";
inline constexpr const char* CircularDataLink = "Circular datalinks are not allowed";
inline constexpr const char* DataSourceChange = "DataSource cannot be changed";
inline constexpr const char* StringTooLong =
    "Value of field '%s' is too long: %d characters, at most %d allowed";
inline constexpr const char* BytesTooLong = "Value of field '%s' is too long: %d bytes, at most %d allowed";
inline constexpr const char* NoBlobStream = "Dataset gives no blob stream for field '%s'";
inline constexpr const char* InvalidBoolDisplayValues = "'%s' is not a valid value for DisplayValues";

} // namespace vmado::dbmsg
