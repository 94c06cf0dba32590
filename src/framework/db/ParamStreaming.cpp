// How the dataset classes stream: a TParam writes DataType, Name and ParamType as published
// properties and its value as the custom property "Data" (a variant); TParams is a collection of
// them; TDataSource publishes AutoEdit, DataSet and Enabled; TDataSet and TField are parents.
#include "framework/classes/Filer.h"
#include "framework/classes/PropInfo.h"
#include "framework/db/DataSource.h"
#include "framework/db/Fields.h"
#include "framework/db/Params.h"

namespace vmado {

namespace {

std::vector<AnsiString> FieldTypeNames()
{
    return {"ftUnknown",    "ftString",     "ftSmallint", "ftInteger",     "ftWord",      "ftBoolean",
            "ftFloat",      "ftCurrency",   "ftBCD",      "ftDate",        "ftTime",      "ftDateTime",
            "ftBytes",      "ftVarBytes",   "ftAutoInc",  "ftBlob",        "ftMemo",      "ftGraphic",
            "ftFmtMemo",    "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor",    "ftFixedChar",
            "ftWideString", "ftLargeint",   "ftADT",      "ftArray",       "ftReference", "ftDataSet",
            "ftOraBlob",    "ftOraClob",    "ftVariant",  "ftInterface",   "ftIDispatch", "ftGuid",
            "ftTimeStamp",  "ftFMTBcd"};
}

const bool kRegistered = [] {
    ClassInfo<TParam>("TParam")
        .Parent<TCollectionItem>()
        .Enum("DataType", &TParam::DataType, &TParam::SetDataType, FieldTypeNames())
        .String("Name", &TParam::Name, &TParam::SetName)
        .Enum("ParamType", &TParam::ParamType, &TParam::SetParamType,
              {"ptUnknown", "ptInput", "ptOutput", "ptInputOutput", "ptResult"});
    ClassInfo<TParams>("TParams").Parent<TCollection>();
    // Abstract bases that descendants name as their parent, so Tag and the rest are inherited.
    ClassInfo<TDataSet>("TDataSet").Parent<TComponent>();
    ClassInfo<TField>("TField").Parent<TComponent>();
    ClassInfo<TDataSource>("TDataSource")
        .Parent<TComponent>()
        .Bool("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit)
        .Default(1)
        .Component("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)
        .Bool("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled)
        .Default(1);
    return true;
}();

// The stream keeps integers in their smallest form; give them back the variant type the
// parameter's own setters would have made, so a value reads back equal to what was written.
Variant IntegerAsDeclared(const Variant& value, TFieldType dataType)
{
    switch (value.VarType()) {
    case varShortInt:
    case varByte:
    case varSmallint:
    case varWord:
    case varLongWord:
    case varInteger:
    case varInt64:
        break;
    default:
        return value;
    }
    switch (dataType) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return VarAsType(value, varInteger);
    case ftLargeint:
        return VarAsType(value, varInt64);
    default:
        return value;
    }
}

} // namespace

void TParam::DefineProperties(TFiler& filer)
{
    TCollectionItem::DefineProperties(filer);
    // Read after the published properties, so the value lands on the type already read.
    filer.DefineProperty(
        "Data", [this](TReader& reader) { SetAsVariant(IntegerAsDeclared(reader.ReadVariant(), dataType_)); },
        [this](TWriter& writer) { writer.WriteVariant(data_); }, !IsNull());
}

} // namespace vmado
