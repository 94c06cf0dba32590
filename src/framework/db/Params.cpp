// TParam values and conversions, TParams lookups, and ParseSQL, which rewrites colon-prefixed
// names to "?" with the framework's rules for literals, "::" and quoted names.
#include "framework/db/Params.h"

#include "framework/classes/Strings.h"
#include "framework/db/Fields.h"
#include "framework/db/internal/DbMessages.h"
#include "framework/rtl/Format.h"
#include "framework/rtl/SysUtils.h"

namespace vmado {

// ---- TParam ------------------------------------------------------------------------------------

TParam::TParam(TCollection* collection) : TCollectionItem(collection) {}

TParam::TParam(TParams* params, TParamType paramType) : TCollectionItem(params), paramType_(paramType) {}

TParams* TParam::Params() const
{
    return dynamic_cast<TParams*>(Collection());
}

void TParam::Assign(const TPersistent* source)
{
    if (const auto* param = dynamic_cast<const TParam*>(source)) {
        dataType_ = param->dataType_;
        if (param->IsNull())
            Clear();
        else
            data_ = param->data_;
        bound_ = param->bound_;
        name_ = param->name_;
        if (paramType_ == ptUnknown)
            paramType_ = param->paramType_;
        return;
    }
    if (const auto* field = dynamic_cast<const TField*>(source)) {
        AssignField(const_cast<TField*>(field));
        return;
    }
    if (const auto* strings = dynamic_cast<const TStrings*>(source)) {
        SetAsMemo(strings->Text());
        return;
    }
    TCollectionItem::Assign(source);
}

void TParam::Clear()
{
    data_ = Variant();
}

void TParam::SetDataType(TFieldType value)
{
    dataType_ = value;
    if (IsNull())
        return;
    const Word varType = FieldTypeVarType(value);
    if (varType == varError || varType == varEmpty) {
        Clear();
        return;
    }
    try {
        data_ = VarAsType(data_, varType);
    } catch (const Exception&) {
        Clear();
    }
}

bool TParam::IsEqual(const TParam* value) const
{
    return value != nullptr && data_.VarType() == value->data_.VarType() &&
           (data_.IsEmpty() || data_ == value->data_) && name_ == value->name_ &&
           dataType_ == value->dataType_ && IsNull() == value->IsNull() && bound_ == value->bound_ &&
           paramType_ == value->paramType_;
}

void TParam::AssignField(TField* field)
{
    if (field == nullptr)
        return;
    AssignFieldValue(field, field->Value());
    name_ = field->FieldName();
}

void TParam::AssignFieldValue(TField* field, const Variant& value)
{
    if (field == nullptr)
        return;
    auto* text = dynamic_cast<TStringField*>(field);
    if (field->DataType() == ftString && text != nullptr && text->FixedChar())
        dataType_ = ftFixedChar;
    else if (field->DataType() == ftMemo && field->Size() > 255)
        dataType_ = ftString;
    else
        dataType_ = field->DataType();
    if (value.IsNull() || value.IsEmpty())
        Clear();
    else
        data_ = value;
    bound_ = true;
}

void TParam::SetAsVariant(const Variant& value)
{
    bound_ = !value.IsEmpty();
    if (dataType_ == ftUnknown) {
        switch (value.VarType()) {
        case varSmallint:
        case varShortInt:
        case varByte:
            dataType_ = ftSmallint;
            break;
        case varWord:
            dataType_ = ftWord;
            break;
        case varInteger:
        case varLongWord:
            dataType_ = ftInteger;
            break;
        case varInt64:
            dataType_ = ftLargeint;
            break;
        case varCurrency:
            dataType_ = ftBCD;
            break;
        case varSingle:
        case varDouble:
            dataType_ = ftFloat;
            break;
        case varDate:
            dataType_ = ftDateTime;
            break;
        case varBoolean:
            dataType_ = ftBoolean;
            break;
        case varString:
        case varOleStr:
            dataType_ = ftString;
            break;
        default:
            dataType_ = ftUnknown;
            break;
        }
    }
    data_ = value;
}

AnsiString TParam::AsString() const
{
    if (IsNull())
        return {};
    if (dataType_ == ftBoolean)
        return data_.AsBoolean() ? "True" : "False";
    return data_.AsString();
}

Integer TParam::AsInteger() const
{
    return IsNull() ? 0 : data_.AsInteger();
}

double TParam::AsFloat() const
{
    return IsNull() ? 0.0 : data_.AsFloat();
}

Currency TParam::AsCurrency() const
{
    return IsNull() ? Currency() : data_.AsCurrency();
}

bool TParam::AsBoolean() const
{
    return IsNull() ? false : data_.AsBoolean();
}

TDateTime TParam::AsDateTime() const
{
    return IsNull() ? 0.0 : data_.AsDateTime();
}

void TParam::SetAsString(const AnsiString& value)
{
    if (dataType_ != ftFixedChar)
        dataType_ = ftString;
    SetAsVariant(Variant(value));
}

void TParam::SetAsInteger(Integer value)
{
    dataType_ = ftInteger;
    SetAsVariant(Variant(value));
}

void TParam::SetAsSmallInt(SmallInt value)
{
    dataType_ = ftSmallint;
    SetAsVariant(Variant(Integer{value}));
}

void TParam::SetAsWord(Word value)
{
    dataType_ = ftWord;
    SetAsVariant(Variant(Integer{value}));
}

void TParam::SetAsFloat(double value)
{
    dataType_ = ftFloat;
    SetAsVariant(Variant(value));
}

void TParam::SetAsCurrency(Currency value)
{
    dataType_ = ftCurrency;
    SetAsVariant(Variant(value.ToDouble()));
}

void TParam::SetAsBCD(Currency value)
{
    dataType_ = ftBCD;
    SetAsVariant(Variant(value));
}

void TParam::SetAsBoolean(bool value)
{
    dataType_ = ftBoolean;
    SetAsVariant(Variant(value));
}

void TParam::SetAsDate(TDateTime value)
{
    dataType_ = ftDate;
    SetAsVariant(Variant::FromDate(value));
}

void TParam::SetAsTime(TDateTime value)
{
    dataType_ = ftTime;
    SetAsVariant(Variant::FromDate(value));
}

void TParam::SetAsDateTime(TDateTime value)
{
    dataType_ = ftDateTime;
    SetAsVariant(Variant::FromDate(value));
}

void TParam::SetAsMemo(const AnsiString& value)
{
    dataType_ = ftMemo;
    SetAsVariant(Variant(value));
}

void TParam::SetAsBlob(const AnsiString& value)
{
    dataType_ = ftBlob;
    SetAsVariant(Variant(value));
}

void TParam::SetText(const AnsiString& value)
{
    SetAsVariant(Variant(value));
}

// ---- TParams -----------------------------------------------------------------------------------

TParams::TParams(TPersistent* owner) : TCollection(ItemClassOf<TParam>()), owner_(owner) {}

void TParams::Assign(const TPersistent* source)
{
    TCollection::Assign(source);
}

TParam* TParams::Items(Integer index) const
{
    return static_cast<TParam*>(TCollection::Items(index));
}

TParam* TParams::AddParam(TParam* value)
{
    value->SetCollection(this);
    return value;
}

void TParams::RemoveParam(TParam* value)
{
    if (value->Collection() == this)
        value->SetCollection(nullptr);
}

TParam* TParams::CreateParam(TFieldType fieldType, const AnsiString& paramName, TParamType paramType)
{
    auto* param = static_cast<TParam*>(Add());
    param->SetName(paramName);
    param->SetDataType(fieldType);
    param->SetParamType(paramType);
    return param;
}

void TParams::AssignValues(const TParams* value)
{
    if (value == nullptr)
        return;
    for (Integer i = 0; i < value->Count(); ++i) {
        TParam* param = FindParam(value->Items(i)->Name());
        if (param != nullptr)
            param->Assign(value->Items(i));
    }
}

bool TParams::IsEqual(const TParams* value) const
{
    if (value == nullptr || Count() != value->Count())
        return false;
    for (Integer i = 0; i < Count(); ++i)
        if (!Items(i)->IsEqual(value->Items(i)))
            return false;
    return true;
}

TParam* TParams::FindParam(const AnsiString& value) const
{
    for (Integer i = 0; i < Count(); ++i)
        if (AnsiSameText(Items(i)->Name(), value))
            return Items(i);
    return nullptr;
}

TParam* TParams::ParamByName(const AnsiString& value) const
{
    TParam* param = FindParam(value);
    if (param == nullptr) {
        const auto* component = dynamic_cast<const TComponent*>(owner_);
        DatabaseError(Format(dbmsg::ParameterNotFound, {value}), component);
    }
    return param;
}

void TParams::GetParamList(std::vector<TParam*>& list, const AnsiString& paramNames) const
{
    std::size_t pos = 0;
    while (pos < paramNames.size())
        list.push_back(ParamByName(ExtractFieldName(paramNames, pos)));
}

Variant TParams::ParamValues(const AnsiString& paramName) const
{
    if (paramName.find(';') == AnsiString::npos)
        return ParamByName(paramName)->Value();
    std::vector<TParam*> list;
    GetParamList(list, paramName);
    std::vector<Variant> values;
    for (TParam* param : list)
        values.push_back(param->Value());
    return VarArrayOf(values);
}

void TParams::SetParamValues(const AnsiString& paramName, const Variant& value)
{
    if (paramName.find(';') == AnsiString::npos) {
        ParamByName(paramName)->SetValue(value);
        return;
    }
    std::vector<TParam*> list;
    GetParamList(list, paramName);
    for (std::size_t i = 0; i < list.size(); ++i)
        list[i]->SetValue(value.GetElement(static_cast<Integer>(i)));
}

namespace {

bool IsLiteralChar(char c)
{
    return c == '\'' || c == '"' || c == '`';
}

bool IsNameDelimiter(char c)
{
    return c == ' ' || c == ',' || c == ';' || c == ')' || c == '\r' || c == '\n';
}

// A name written in quotes loses its first and last quote characters.
AnsiString StripLiterals(AnsiString name)
{
    if (!name.empty() && IsLiteralChar(name.front()))
        name.erase(0, 1);
    if (!name.empty() && IsLiteralChar(name.back()))
        name.pop_back();
    return name;
}

} // namespace

AnsiString TParams::ParseSQL(const AnsiString& sql, bool doCreate)
{
    if (doCreate)
        Clear();
    AnsiString result;
    result.reserve(sql.size());
    // The quote character of the literal being read, 0 outside one. A literal ends only at its
    // own quote, so a double quote inside '...' (or the reverse) does not end it.
    char quote = 0;
    auto toggle = [&quote](char c) {
        if (quote == 0)
            quote = c;
        else if (c == quote)
            quote = 0;
    };
    // The text ends at its first zero byte, as the framework's character-pointer scan does.
    const std::size_t end = std::min(sql.size(), sql.find('\0'));
    std::size_t i = 0;
    while (i < end) {
        const char c = sql[i];
        const char next = i + 1 < end ? sql[i + 1] : '\0';
        if (c == ':' && quote == 0 && next != ':') {
            // A parameter: its name runs to a delimiter outside quotes.
            std::size_t j = i + 1;
            bool embedded = false;
            while (j < end && (quote != 0 || !IsNameDelimiter(sql[j]))) {
                if (IsLiteralChar(sql[j])) {
                    toggle(sql[j]);
                    if (j == i + 1)
                        embedded = true;
                }
                ++j;
            }
            AnsiString name = sql.substr(i + 1, j - i - 1);
            if (embedded)
                name = StripLiterals(name);
            if (doCreate)
                static_cast<TParam*>(Add())->SetName(name);
            result += '?';
            // The delimiter after the name is copied without being examined again.
            if (j < end) {
                result += sql[j];
                ++j;
            }
            i = j;
            continue;
        }
        if (c == ':' && quote == 0 && next == ':') {
            result += ':';
            i += 2;
            continue;
        }
        if (IsLiteralChar(c))
            toggle(c);
        result += c;
        ++i;
    }
    return result;
}

} // namespace vmado
