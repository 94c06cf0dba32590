// TParams/TParam: named statement parameters. ParseSQL turns every colon-prefixed name of an SQL
// text into "?" (creating one parameter per occurrence); the list streams as a collection whose
// items carry DataType, Name, ParamType and the value as the binary property "Data".
#pragma once

#include "framework/classes/Collection.h"
#include "framework/db/DataSet.h"

namespace vmado {

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

class TParams;

class TParam : public TCollectionItem {
public:
    explicit TParam(TCollection* collection);
    TParam(TParams* params, TParamType paramType);
    AnsiString ClassName() const override { return "TParam"; }
    // From a TParam: type, value, Bound, name (and the parameter type when this one has none);
    // from a TField: AssignField; from a TStrings: its text as a memo.
    void Assign(const TPersistent* source) override;
    AnsiString DisplayName() const override { return name_.empty() ? ClassName() : name_; }
    void DefineProperties(TFiler& filer) override;

    const AnsiString& Name() const { return name_; }
    void SetName(const AnsiString& value) { name_ = value; }
    TFieldType DataType() const { return dataType_; }
    // Converts a value already held to the new type; one that does not convert is cleared.
    void SetDataType(TFieldType value);
    TParamType ParamType() const { return paramType_; }
    void SetParamType(TParamType value) { paramType_ = value; }
    // Set whenever a value is given; cleared only by the caller (or an Empty value).
    bool Bound() const { return bound_; }
    void SetBound(bool value) { bound_ = value; }
    bool IsNull() const { return data_.IsNull() || data_.IsEmpty(); }
    void Clear();
    // Same name, type, parameter type, Bound, null-ness and value.
    bool IsEqual(const TParam* value) const;
    // Name, type (a fixed-char string field gives ftFixedChar, a long memo ftString) and value
    // of a field.
    void AssignField(TField* field);
    void AssignFieldValue(TField* field, const Variant& value);
    // Sets the value, deriving the type from it when none is set yet.
    void AssignValue(const Variant& value) { SetAsVariant(value); }
    TParams* Params() const;

    // ---- values ---------------------------------------------------------------------------
    // Reading a null parameter gives the type's neutral value ("", 0, false).
    Variant Value() const { return data_; }
    void SetValue(const Variant& value) { SetAsVariant(value); }
    Variant AsVariant() const { return data_; }
    void SetAsVariant(const Variant& value);
    AnsiString AsString() const;
    void SetAsString(const AnsiString& value);
    Integer AsInteger() const;
    void SetAsInteger(Integer value);
    SmallInt AsSmallInt() const { return static_cast<SmallInt>(AsInteger()); }
    void SetAsSmallInt(SmallInt value);
    Word AsWord() const { return static_cast<Word>(AsInteger()); }
    void SetAsWord(Word value);
    double AsFloat() const;
    void SetAsFloat(double value);
    Currency AsCurrency() const;
    void SetAsCurrency(Currency value);
    Currency AsBCD() const { return AsCurrency(); }
    void SetAsBCD(Currency value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    TDateTime AsDate() const { return AsDateTime(); }
    void SetAsDate(TDateTime value);
    TDateTime AsTime() const { return AsDateTime(); }
    void SetAsTime(TDateTime value);
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime value);
    AnsiString AsMemo() const { return AsString(); }
    void SetAsMemo(const AnsiString& value);
    AnsiString AsBlob() const { return AsString(); }
    void SetAsBlob(const AnsiString& value);
    AnsiString Text() const { return AsString(); }
    void SetText(const AnsiString& value);

private:
    AnsiString name_;
    TFieldType dataType_ = ftUnknown;
    TParamType paramType_ = ptUnknown;
    bool bound_ = false;
    Variant data_;
};

class TParams : public TCollection {
public:
    // owner: the component the list belongs to, for naming and streaming (may be null).
    explicit TParams(TPersistent* owner = nullptr);
    AnsiString ClassName() const override { return "TParams"; }
    TPersistent* GetOwner() const override { return owner_; }
    void Assign(const TPersistent* source) override;

    TParam* Items(Integer index) const;
    TParam* operator[](Integer index) const { return Items(index); }
    TParam* AddParam(TParam* value); // takes an item of another list over
    void RemoveParam(TParam* value); // lets it go without freeing
    TParam* CreateParam(TFieldType fieldType, const AnsiString& paramName, TParamType paramType);
    // For each parameter of value, the first of this list with that name takes its contents.
    void AssignValues(const TParams* value);
    bool IsEqual(const TParams* value) const;
    // Case ignored; null when none.
    TParam* FindParam(const AnsiString& value) const;
    // Raises "Parameter 'X' not found".
    TParam* ParamByName(const AnsiString& value) const;
    // The names of a ";"-separated list; raises for an unknown one.
    void GetParamList(std::vector<TParam*>& list, const AnsiString& paramNames) const;
    // Replaces each colon-prefixed name (outside '...', "..." and `...` literals) by "?";
    // "::" stands for one colon; a name ends at a blank, ",", ";", ")", CR or LF and may be
    // quoted (":"a b"" names the parameter a b). With doCreate the list is cleared and one
    // parameter is added per occurrence, in text order.
    AnsiString ParseSQL(const AnsiString& sql, bool doCreate);
    // The value of the named parameter, or a variant array for a ";"-separated list of names.
    Variant ParamValues(const AnsiString& paramName) const;
    void SetParamValues(const AnsiString& paramName, const Variant& value);

private:
    TPersistent* owner_;
};

} // namespace vmado
