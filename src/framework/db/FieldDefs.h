// TFieldDefs/TFieldDef: the description of a dataset's columns (name, type, size, required,
// number) that default fields are made from and persistent fields are bound against.
#pragma once

#include "framework/classes/Collection.h"
#include "framework/db/DataSet.h"

namespace vmado {

enum TFieldAttribute { faHiddenCol, faReadonly, faRequired, faLink, faUnNamed, faFixed };
using TFieldAttributes = TSet<TFieldAttribute>;

class TFieldDef : public TCollectionItem {
public:
    // For the collection's Add; the definition joins owner (when given).
    explicit TFieldDef(TCollection* owner);
    // The framework's full constructor: joins owner with these values.
    TFieldDef(TFieldDefs* owner, const AnsiString& name, TFieldType dataType, Integer size, bool required,
              Integer fieldNo);
    AnsiString ClassName() const override { return "TFieldDef"; }
    void Assign(const TPersistent* source) override;
    AnsiString DisplayName() const override { return name_; }

    const AnsiString& Name() const { return name_; }
    // Raises "Duplicate name 'X' in TFieldDefs" when another definition has it (case ignored).
    void SetName(const AnsiString& value);
    TFieldType DataType() const { return dataType_; }
    void SetDataType(TFieldType value);
    Integer Size() const { return size_; }
    void SetSize(Integer value);
    Integer Precision() const { return precision_; }
    void SetPrecision(Integer value);
    bool Required() const { return attributes_.Contains(faRequired); }
    void SetRequired(bool value);
    TFieldAttributes Attributes() const { return attributes_; }
    void SetAttributes(TFieldAttributes value);
    Integer FieldNo() const { return fieldNo_ > 0 ? fieldNo_ : Index() + 1; }
    void SetFieldNo(Integer value) { fieldNo_ = value; }
    TFieldDefs* Owner() const;
    TDataSet* DataSet() const;
    // The factory of the field class the dataset maps this type to; null when none.
    TFieldClass FieldClass() const;
    // Makes the field, owned by owner, named fieldName (default: this definition's name), with
    // this definition's size, type and required flag, and joins it to the dataset. Raises
    // "Field 'X' is of an unknown type" when no field class serves the type.
    TField* CreateField(TComponent* owner, const AnsiString& fieldName = {}, bool checkName = true);

private:
    AnsiString name_;
    TFieldType dataType_ = ftUnknown;
    Integer size_ = 0;
    Integer precision_ = 0;
    Integer fieldNo_ = 0;
    TFieldAttributes attributes_;
};

class TFieldDefs : public TOwnedCollection {
public:
    explicit TFieldDefs(TDataSet* owner);
    AnsiString ClassName() const override { return "TFieldDefs"; }

    TDataSet* DataSet() const { return dataSet_; }
    TFieldDef* Items(Integer index) const;
    TFieldDef* operator[](Integer index) const { return Items(index); }
    // Raises "Field name missing" for an empty name; numbers the definition Count + 1.
    TFieldDef* Add(const AnsiString& name, TFieldType dataType, Integer size = 0, bool required = false);
    TFieldDef* AddFieldDef();
    Integer IndexOf(const AnsiString& name) const; // case ignored; -1 when none
    // Raises "Field 'X' not found".
    TFieldDef* Find(const AnsiString& name) const;
    // Null when none.
    TFieldDef* FindDef(const AnsiString& name) const;
    // Reads the definitions from the dataset unless they are up to date.
    void Update();
    bool Updated() const { return updated_; }
    void SetUpdated(bool value) { updated_ = value; }
    bool HiddenFields() const { return hiddenFields_; }
    void SetHiddenFields(bool value) { hiddenFields_ = value; }
    void GetItemNames(TStrings* list) const;

protected:
    void Update(TCollectionItem* item) override;

private:
    TDataSet* dataSet_;
    bool updated_ = false;
    bool hiddenFields_ = false;
};

} // namespace vmado
