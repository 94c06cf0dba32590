// TField and its classes, one per family of field types, and TFields, a dataset's field list.
// A field holds no value itself: every read and write goes through its dataset's active record
// in the field type's native buffer format (see each class).
#pragma once

#include "framework/db/DataSet.h"

#include <vector>

namespace vmado {

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

using TBlobType = TFieldType; // ftBlob .. ftTypedBinary, ftOraBlob, ftOraClob

using TFieldNotifyEvent = std::function<void(TField* sender)>;
using TFieldGetTextEvent = std::function<void(TField* sender, AnsiString& text, bool displayText)>;
using TFieldSetTextEvent = std::function<void(TField* sender, const AnsiString& text)>;

// Display name of a field type for messages ("String", "Integer", "DateTime", ...).
AnsiString FieldTypeName(TFieldType type);
// The variant type a field type's values travel as (varString, varInteger, ...); varError
// for a type without one.
Word FieldTypeVarType(TFieldType type);

class TField : public TComponent {
public:
    explicit TField(TComponent* owner);
    // Leaves the dataset's field list (closing the dataset first, as the framework does).
    ~TField() override;
    AnsiString ClassName() const override { return "TField"; }
    // Copies the value of another field (Null included); other sources raise.
    void Assign(const TPersistent* source) override;
    void Notification(TComponent* component, TOperation operation) override;

    // ---- identity and binding ------------------------------------------------------------
    TDataSet* DataSet() const { return dataSet_; }
    // Joins dataSet's field list; both datasets must be closed and the name unique there.
    void SetDataSet(TDataSet* value);
    const AnsiString& FieldName() const { return fieldName_; }
    void SetFieldName(const AnsiString& value);
    TFieldKind FieldKind() const { return fieldKind_; }
    void SetFieldKind(TFieldKind value);
    bool Calculated() const { return fieldKind_ == fkCalculated; }
    bool Lookup() const { return fieldKind_ == fkLookup; }
    TFieldType DataType() const { return dataType_; }
    Integer Size() const { return size_; }
    // Raises "Invalid field size" for a size the class cannot take; the dataset must be closed.
    void SetSize(Integer value);
    // Bytes of the native value in a record buffer.
    virtual Integer DataSize() const { return 0; }
    Integer Offset() const { return offset_; }
    Integer FieldNo() const { return fieldNo_; }
    Integer Index() const;
    void SetIndex(Integer value);
    virtual bool IsBlob() const { return false; }
    bool IsIndexField() const { return false; }
    const AnsiString& Origin() const { return origin_; }
    void SetOrigin(const AnsiString& value) { origin_ = value; }

    // ---- presentation -------------------------------------------------------------------
    // The label when set, else the field name.
    AnsiString DisplayLabel() const { return DisplayName(); }
    void SetDisplayLabel(const AnsiString& value);
    AnsiString DisplayName() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
    Integer DisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : GetDefaultWidth(); }
    void SetDisplayWidth(Integer value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    bool Required() const { return required_; }
    void SetRequired(bool value) { required_ = value; }
    // Not read-only, of a dataset that can modify, and not a lookup or calculated field outside
    // calculation.
    bool CanModify();
    // OnGetText when assigned, else the class's text (display form / edit form).
    AnsiString DisplayText();
    AnsiString Text();
    // OnSetText when assigned, else AsString.
    void SetText(const AnsiString& value);

    // ---- values ---------------------------------------------------------------------------
    bool IsNull();
    AnsiString AsString() { return GetAsString(); }
    virtual void SetAsString(const AnsiString& value);
    Integer AsInteger() { return GetAsInteger(); }
    virtual void SetAsInteger(Integer value);
    Int64 AsLargeInt() { return GetAsLargeInt(); }
    virtual void SetAsLargeInt(Int64 value);
    double AsFloat() { return GetAsFloat(); }
    virtual void SetAsFloat(double value);
    Currency AsCurrency() { return GetAsCurrency(); }
    virtual void SetAsCurrency(Currency value);
    bool AsBoolean() { return GetAsBoolean(); }
    virtual void SetAsBoolean(bool value);
    TDateTime AsDateTime() { return GetAsDateTime(); }
    virtual void SetAsDateTime(TDateTime value);
    Variant AsVariant() { return GetAsVariant(); }
    // Null clears the field; other values go through the class's conversion.
    void SetAsVariant(const Variant& value);
    Variant Value() { return GetAsVariant(); }
    void SetValue(const Variant& value) { SetAsVariant(value); }
    // The value in the dataset's old-value, new-value and current-value states.
    Variant OldValue();
    Variant NewValue();
    void SetNewValue(const Variant& value);
    Variant CurValue();
    virtual void Clear();
    void FocusControl();

    // Native access through the dataset. A null buffer asks only whether there is a value.
    bool GetData(void* buffer, bool nativeFormat = true);
    void SetData(void* buffer, bool nativeFormat = true);
    // OnValidate with the new value visible through the field's getters.
    virtual void Validate(void* buffer);
    // Frees per-record state (a blob's Modified flag) when the record is left.
    virtual void FreeBuffers() {}
    // Fires OnChange; the dataset calls it after a field-change event.
    virtual void Change();
    void DataChanged();

    // ---- lookup ---------------------------------------------------------------------------
    TDataSet* LookupDataSet() const { return lookupDataSet_; }
    void SetLookupDataSet(TDataSet* value);
    const AnsiString& KeyFields() const { return keyFields_; }
    void SetKeyFields(const AnsiString& value) { keyFields_ = value; }
    const AnsiString& LookupKeyFields() const { return lookupKeyFields_; }
    void SetLookupKeyFields(const AnsiString& value) { lookupKeyFields_ = value; }
    const AnsiString& LookupResultField() const { return lookupResultField_; }
    void SetLookupResultField(const AnsiString& value) { lookupResultField_ = value; }
    // Fills a lookup field from LookupDataSet.Lookup (Null when the lookup dataset is closed).
    void CalcLookupValue();

    // ---- events ---------------------------------------------------------------------------
    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

protected:
    friend class TDataSet;
    friend class TFieldDef;
    friend class TFields;

    virtual bool GetIsNull() { return !GetData(nullptr); }
    // "(Blob)", "(Memo)", ...: the class's short name in parentheses, upper-cased when the field
    // has a value.
    AnsiString GetClassDesc();
    virtual AnsiString GetAsString();
    virtual Integer GetAsInteger();
    virtual Int64 GetAsLargeInt();
    virtual double GetAsFloat();
    virtual Currency GetAsCurrency();
    virtual bool GetAsBoolean();
    virtual TDateTime GetAsDateTime();
    virtual Variant GetAsVariant();
    virtual void SetVarValue(const Variant& value);
    virtual void GetText(AnsiString& text, bool displayText);
    virtual void SetTextValue(const AnsiString& value) { SetAsString(value); }
    virtual Integer GetDefaultWidth() const { return 10; }
    // Raises "Invalid field size" unless the class takes that size.
    virtual void CheckTypeSize(Integer value) const;
    // Sets the type of a class that serves several (string, blob families); others ignore it.
    virtual void SetFieldType(TFieldType value) {}
    void SetDataType(TFieldType value) { dataType_ = value; }
    void SetSizeValue(Integer value) { size_ = value; }
    // "Cannot access field 'X' as type Y".
    [[noreturn]] void AccessError(const AnsiString& typeName) const;
    // "<value> is not a valid value for field 'X'. The allowed range is <min> to <max>".
    [[noreturn]] void RangeError(double value, double min, double max) const;
    void CheckInactive() const;
    // The field's text as the dataset holds it, when the dataset can lend it without a copy
    // (TDataSet::PeekFieldText); false sends the reader to GetData.
    bool PeekDataText(std::string_view& text, bool& isNull)
    {
        return !validating_ && dataSet_ != nullptr && dataSet_->PeekFieldText(this, text, isNull);
    }
    // The field's number, Boolean or date as the dataset holds it (TDataSet::PeekFieldNumber);
    // false sends the reader to GetData.
    bool PeekDataNumber(TFieldNumber& value, bool& isNull)
    {
        return !validating_ && dataSet_ != nullptr && dataSet_->PeekFieldNumber(this, value, isNull);
    }
    // Tells the controls that the field's presentation changed (layout: columns change).
    void PropertyChanged(bool layoutAffected);

private:
    TDataSet* dataSet_ = nullptr;
    AnsiString fieldName_;
    TFieldKind fieldKind_ = fkData;
    TFieldType dataType_ = ftUnknown;
    Integer size_ = 0;
    Integer offset_ = 0;
    Integer fieldNo_ = 0;
    AnsiString displayLabel_;
    Integer displayWidth_ = 0;
    TAlignment alignment_ = taLeftJustify;
    bool visible_ = true;
    bool readOnly_ = false;
    bool required_ = false;
    AnsiString origin_;
    TDataSet* lookupDataSet_ = nullptr;
    AnsiString keyFields_;
    AnsiString lookupKeyFields_;
    AnsiString lookupResultField_;
    void* valueBuffer_ = nullptr; // the value being validated
    bool validating_ = false;
};

// ftString, ftFixedChar, ftWideString, ftGuid: Size characters (default 20) held as a
// zero-terminated string of room for Size characters (4 bytes each in UTF-8) plus 1 bytes.
// A longer value is refused, not cut.
class TStringField : public TField {
public:
    explicit TStringField(TComponent* owner);
    AnsiString ClassName() const override { return "TStringField"; }
    Integer DataSize() const override;
    bool FixedChar() const { return fixedChar_; }
    void SetFixedChar(bool value);
    bool Transliterate() const { return transliterate_; }
    void SetTransliterate(bool value) { transliterate_ = value; }
    void SetAsString(const AnsiString& value) override;
    void SetAsInteger(Integer value) override;
    void SetAsLargeInt(Int64 value) override;
    void SetAsFloat(double value) override;
    void SetAsBoolean(bool value) override;
    void SetAsDateTime(TDateTime value) override;
    // The text and whether the field has a value.
    bool GetValue(AnsiString& value);

protected:
    AnsiString GetAsString() override;
    Integer GetAsInteger() override;
    Int64 GetAsLargeInt() override;
    double GetAsFloat() override;
    bool GetAsBoolean() override;
    TDateTime GetAsDateTime() override;
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& value) override;
    Integer GetDefaultWidth() const override { return Size(); }
    void CheckTypeSize(Integer value) const override;
    void SetFieldType(TFieldType value) override;

private:
    bool fixedChar_ = false;
    bool transliterate_ = true;
};

// ftGuid: a GUID as its 38-character braced text, {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}; Size is
// always 38.
class TGuidField : public TStringField {
public:
    static constexpr Integer GuidSize = 38;
    explicit TGuidField(TComponent* owner);
    AnsiString ClassName() const override { return "TGuidField"; }
    // Empty clears; anything but a GUID's text, braced or not, raises.
    void SetAsString(const AnsiString& value) override;
    // A GUID's text is ASCII whatever the code page, so no room for wider characters.
    Integer DataSize() const override { return GuidSize + 1; }

protected:
    void CheckTypeSize(Integer value) const override;
    Integer GetDefaultWidth() const override { return GuidSize + 2; }
};

// Numeric fields: right-aligned, with display and edit formats (FormatFloat syntax).
class TNumericField : public TField {
public:
    explicit TNumericField(TComponent* owner);
    AnsiString ClassName() const override { return "TNumericField"; }
    const AnsiString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const AnsiString& value) { displayFormat_ = value; }
    const AnsiString& EditFormat() const { return editFormat_; }
    void SetEditFormat(const AnsiString& value) { editFormat_ = value; }

private:
    AnsiString displayFormat_;
    AnsiString editFormat_;
};

// ftInteger: a 32-bit integer. The smallint, word and auto-increment classes below read the same
// way from a zeroed 32-bit slot, so a descendant that writes every integer type as 32 bits
// (little-endian) serves them all.
class TIntegerField : public TNumericField {
public:
    explicit TIntegerField(TComponent* owner);
    AnsiString ClassName() const override { return "TIntegerField"; }
    Integer DataSize() const override { return 4; }
    Integer MinValue() const { return minValue_; }
    void SetMinValue(Integer value) { minValue_ = value; }
    Integer MaxValue() const { return maxValue_; }
    void SetMaxValue(Integer value) { maxValue_ = value; }
    void SetAsString(const AnsiString& value) override;
    void SetAsInteger(Integer value) override;
    void SetAsLargeInt(Int64 value) override;
    void SetAsFloat(double value) override;
    bool GetValue(Integer& value);

protected:
    TIntegerField(TComponent* owner, TFieldType type, Integer minRange, Integer maxRange);
    AnsiString GetAsString() override;
    Integer GetAsInteger() override;
    Int64 GetAsLargeInt() override;
    double GetAsFloat() override;
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& value) override;
    void GetText(AnsiString& text, bool displayText) override;
    Integer GetDefaultWidth() const override { return 11; }
    void CheckRange(Int64 value) const;

private:
    Integer minRange_;
    Integer maxRange_;
    Integer minValue_ = 0;
    Integer maxValue_ = 0;
};

// ftSmallint: a 16-bit signed integer (DataSize 2), range -32768..32767.
class TSmallintField : public TIntegerField {
public:
    explicit TSmallintField(TComponent* owner);
    AnsiString ClassName() const override { return "TSmallintField"; }
    Integer DataSize() const override { return 2; }

protected:
    Integer GetDefaultWidth() const override { return 6; }
};

// ftWord: a 16-bit unsigned integer (DataSize 2), range 0..65535.
class TWordField : public TIntegerField {
public:
    explicit TWordField(TComponent* owner);
    AnsiString ClassName() const override { return "TWordField"; }
    Integer DataSize() const override { return 2; }

protected:
    Integer GetDefaultWidth() const override { return 5; }
};

// ftAutoInc: a 32-bit integer the database assigns; read-only to controls.
class TAutoIncField : public TIntegerField {
public:
    explicit TAutoIncField(TComponent* owner);
    AnsiString ClassName() const override { return "TAutoIncField"; }
};

// ftLargeint: a 64-bit integer (DataSize 8).
class TLargeintField : public TNumericField {
public:
    explicit TLargeintField(TComponent* owner);
    AnsiString ClassName() const override { return "TLargeintField"; }
    Integer DataSize() const override { return 8; }
    Int64 MinValue() const { return minValue_; }
    void SetMinValue(Int64 value) { minValue_ = value; }
    Int64 MaxValue() const { return maxValue_; }
    void SetMaxValue(Int64 value) { maxValue_ = value; }
    void SetAsString(const AnsiString& value) override;
    void SetAsInteger(Integer value) override;
    void SetAsLargeInt(Int64 value) override;
    void SetAsFloat(double value) override;
    bool GetValue(Int64& value);

protected:
    AnsiString GetAsString() override;
    Integer GetAsInteger() override; // raises a range error beyond 32 bits
    Int64 GetAsLargeInt() override;
    double GetAsFloat() override;
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& value) override;
    void GetText(AnsiString& text, bool displayText) override;
    Integer GetDefaultWidth() const override { return 15; }

private:
    Int64 minValue_ = 0;
    Int64 maxValue_ = 0;
};

// ftFloat: a double (DataSize 8). Precision is the significant digits of the text form.
class TFloatField : public TNumericField {
public:
    explicit TFloatField(TComponent* owner);
    AnsiString ClassName() const override { return "TFloatField"; }
    Integer DataSize() const override { return 8; }
    // Currency display (the locale's currency format) for the currency field.
    bool IsCurrency() const { return currency_; }
    void SetCurrency(bool value) { currency_ = value; }
    Integer Precision() const { return precision_; }
    void SetPrecision(Integer value);
    double MinValue() const { return minValue_; }
    void SetMinValue(double value);
    double MaxValue() const { return maxValue_; }
    void SetMaxValue(double value);
    void SetAsString(const AnsiString& value) override;
    void SetAsInteger(Integer value) override { SetAsFloat(value); }
    void SetAsLargeInt(Int64 value) override { SetAsFloat(static_cast<double>(value)); }
    void SetAsFloat(double value) override;
    void SetAsCurrency(Currency value) override { SetAsFloat(value.ToDouble()); }
    bool GetValue(double& value);

protected:
    TFloatField(TComponent* owner, TFieldType type);
    AnsiString GetAsString() override;
    Integer GetAsInteger() override;
    Int64 GetAsLargeInt() override;
    double GetAsFloat() override;
    Currency GetAsCurrency() override;
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& value) override;
    void GetText(AnsiString& text, bool displayText) override;

private:
    bool currency_ = false;
    bool checkRange_ = false;
    Integer precision_ = 15;
    double minValue_ = 0;
    double maxValue_ = 0;
};

// ftCurrency: a money amount held as a double (DataSize 8), shown in the currency format.
class TCurrencyField : public TFloatField {
public:
    explicit TCurrencyField(TComponent* owner);
    AnsiString ClassName() const override { return "TCurrencyField"; }
};

// ftBCD: an exact decimal of Size decimals (0..4, default 4) served as Currency. Its native
// value is a double (DataSize 8), the form datasets of this library keep decimals in; every
// value written is first rounded to Size decimals so that a round trip is exact.
class TBCDField : public TNumericField {
public:
    explicit TBCDField(TComponent* owner);
    AnsiString ClassName() const override { return "TBCDField"; }
    Integer DataSize() const override { return 8; }
    bool IsCurrency() const { return currency_; }
    void SetCurrency(bool value) { currency_ = value; }
    Integer Precision() const { return precision_; }
    void SetPrecision(Integer value) { precision_ = value; }
    Currency MinValue() const { return minValue_; }
    void SetMinValue(Currency value);
    Currency MaxValue() const { return maxValue_; }
    void SetMaxValue(Currency value);
    void SetAsString(const AnsiString& value) override;
    void SetAsInteger(Integer value) override
    {
        SetAsCurrency(Currency::FromRaw(Int64{value} * Currency::Scale));
    }
    void SetAsLargeInt(Int64 value) override;
    void SetAsFloat(double value) override;
    void SetAsCurrency(Currency value) override;
    bool GetValue(Currency& value);

protected:
    AnsiString GetAsString() override;
    Integer GetAsInteger() override;
    Int64 GetAsLargeInt() override;
    double GetAsFloat() override;
    Currency GetAsCurrency() override;
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& value) override;
    void GetText(AnsiString& text, bool displayText) override;
    void CheckTypeSize(Integer value) const override;

private:
    bool currency_ = false;
    bool checkRange_ = false;
    Integer precision_ = 0;
    Currency minValue_;
    Currency maxValue_;
};

// ftFMTBcd: an exact decimal of up to 64 digits, Precision digits in all and Size of them after
// the point. Native: the canonical decimal text ("-123.45", a point whatever the locale),
// zero-terminated, in DataSize bytes. AsString is exact (in the locale's decimal separator);
// AsFloat is the nearest double. A value with more decimals than Size is rounded half away from
// zero; one with more integer digits than Precision - Size is refused.
class TFMTBCDField : public TNumericField {
public:
    static constexpr Integer MaxDigits = 64;
    explicit TFMTBCDField(TComponent* owner);
    AnsiString ClassName() const override { return "TFMTBCDField"; }
    Integer DataSize() const override { return MaxDigits + 3; }
    Integer Precision() const { return precision_; }
    void SetPrecision(Integer value);
    bool IsCurrency() const { return currency_; }
    void SetCurrency(bool value) { currency_ = value; }
    void SetAsString(const AnsiString& value) override;
    void SetAsInteger(Integer value) override { SetAsLargeInt(value); }
    void SetAsLargeInt(Int64 value) override;
    void SetAsFloat(double value) override;
    void SetAsCurrency(Currency value) override;
    // The canonical text (point as separator) and whether the field has a value.
    bool GetValue(AnsiString& value);

protected:
    AnsiString GetAsString() override;
    Integer GetAsInteger() override;
    Int64 GetAsLargeInt() override;
    double GetAsFloat() override;
    Currency GetAsCurrency() override;
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& value) override;
    void GetText(AnsiString& text, bool displayText) override;
    void CheckTypeSize(Integer value) const override;
    Integer GetDefaultWidth() const override { return precision_ + 2; }

private:
    bool currency_ = false;
    Integer precision_ = 15;
};

// ftBoolean: a 16-bit Boolean (0 false, any other value true; true is written as -1).
class TBooleanField : public TField {
public:
    explicit TBooleanField(TComponent* owner);
    AnsiString ClassName() const override { return "TBooleanField"; }
    Integer DataSize() const override { return 2; }
    // "<true text>;<false text>" (empty: "True" and "False"): the texts AsString gives and
    // reads back (ignoring case; a prefix is enough).
    const AnsiString& DisplayValues() const { return displayValues_; }
    void SetDisplayValues(const AnsiString& value);
    void SetAsString(const AnsiString& value) override;
    void SetAsBoolean(bool value) override;
    bool GetValue(bool& value);

protected:
    AnsiString GetAsString() override;
    bool GetAsBoolean() override;
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& value) override;
    Integer GetDefaultWidth() const override;

private:
    AnsiString displayValues_;
    AnsiString textTrue_ = "True";
    AnsiString textFalse_ = "False";
};

// ftDateTime: native a double of milliseconds since 0001-01-01 (the time stamp's millisecond
// count, DataSize 8). ftDate and ftTime below keep the day number / the milliseconds since
// midnight as 32-bit integers. Values pass to and from TDateTime through DataConvert.
class TDateTimeField : public TField {
public:
    explicit TDateTimeField(TComponent* owner);
    AnsiString ClassName() const override { return "TDateTimeField"; }
    Integer DataSize() const override { return 8; }
    const AnsiString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const AnsiString& value) { displayFormat_ = value; }
    void SetAsString(const AnsiString& value) override;
    void SetAsDateTime(TDateTime value) override;
    void SetAsFloat(double value) override { SetAsDateTime(value); }
    bool GetValue(TDateTime& value);

protected:
    TDateTimeField(TComponent* owner, TFieldType type);
    AnsiString GetAsString() override;
    double GetAsFloat() override;
    TDateTime GetAsDateTime() override;
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& value) override;
    void GetText(AnsiString& text, bool displayText) override;
    Integer GetDefaultWidth() const override { return 18; }

private:
    AnsiString displayFormat_;
};

// ftDate: native the day number of the time stamp (days since 0001-01-01, that day 1), 32-bit.
class TDateField : public TDateTimeField {
public:
    explicit TDateField(TComponent* owner);
    AnsiString ClassName() const override { return "TDateField"; }
    Integer DataSize() const override { return 4; }

protected:
    Integer GetDefaultWidth() const override { return 10; }
};

// ftTime: native the milliseconds since midnight, 32-bit.
class TTimeField : public TDateTimeField {
public:
    explicit TTimeField(TComponent* owner);
    AnsiString ClassName() const override { return "TTimeField"; }
    Integer DataSize() const override { return 4; }

protected:
    Integer GetDefaultWidth() const override { return 10; }
};

// Fixed binary data: its variant form is a zero-based byte array; AsString is the raw bytes.
class TBinaryField : public TField {
public:
    explicit TBinaryField(TComponent* owner);
    AnsiString ClassName() const override { return "TBinaryField"; }
    void SetAsString(const AnsiString& value) override;

protected:
    AnsiString GetAsString() override;
    void GetText(AnsiString& text, bool displayText) override;
    void CheckTypeSize(Integer value) const override;
    // Reads the value's bytes; false for no value.
    virtual bool GetBytes(std::vector<Byte>& bytes) = 0;
    virtual void SetBytes(const Byte* data, std::size_t size) = 0;
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& value) override;
};

// ftBytes: exactly Size bytes (DataSize Size); a shorter value is padded with zeros.
class TBytesField : public TBinaryField {
public:
    explicit TBytesField(TComponent* owner);
    AnsiString ClassName() const override { return "TBytesField"; }
    Integer DataSize() const override { return Size(); }

protected:
    bool GetBytes(std::vector<Byte>& bytes) override;
    void SetBytes(const Byte* data, std::size_t size) override;
};

// ftVarBytes: up to Size bytes: a 16-bit length, then the bytes (DataSize Size + 2).
class TVarBytesField : public TBinaryField {
public:
    explicit TVarBytesField(TComponent* owner);
    AnsiString ClassName() const override { return "TVarBytesField"; }
    Integer DataSize() const override { return Size() + 2; }

protected:
    bool GetBytes(std::vector<Byte>& bytes) override;
    void SetBytes(const Byte* data, std::size_t size) override;
};

// ftBlob and the other blob types: content of any length reached through the dataset's blob
// stream (CreateBlobStream); nothing of it sits in the record buffer (DataSize 0).
class TBlobField : public TField {
public:
    explicit TBlobField(TComponent* owner);
    AnsiString ClassName() const override { return "TBlobField"; }
    bool IsBlob() const override { return true; }
    // Set when the content was written through a blob stream since the record was fetched.
    bool Modified() const { return modified_; }
    void SetModified(bool value);
    Integer BlobSize();
    TBlobType BlobType() const { return DataType(); }
    void SetBlobType(TBlobType value) { SetFieldType(value); }
    bool Transliterate() const { return transliterate_; }
    void SetTransliterate(bool value) { transliterate_ = value; }
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream);
    void LoadFromFile(const AnsiString& fileName);
    void SaveToFile(const AnsiString& fileName);
    void SetAsString(const AnsiString& value) override;
    void Clear() override;
    void FreeBuffers() override;

protected:
    TBlobField(TComponent* owner, TFieldType type);
    AnsiString GetAsString() override;
    Variant GetAsVariant() override;
    void SetVarValue(const Variant& value) override;
    void GetText(AnsiString& text, bool displayText) override;
    void CheckTypeSize(Integer value) const override;
    void SetFieldType(TFieldType value) override;
    bool GetIsNull() override;
    // Raises EDatabaseError when the dataset gives no blob stream for this field.
    std::unique_ptr<TStream> OpenBlob(TBlobStreamMode mode);

private:
    friend class TDataSet;
    bool modified_ = false;
    bool transliterate_ = false;
};

// ftMemo: text blob; its variant form is a string.
class TMemoField : public TBlobField {
public:
    explicit TMemoField(TComponent* owner);
    AnsiString ClassName() const override { return "TMemoField"; }

protected:
    Variant GetAsVariant() override;
    void GetText(AnsiString& text, bool displayText) override;
};

// ftGraphic: picture bytes in a blob.
class TGraphicField : public TBlobField {
public:
    explicit TGraphicField(TComponent* owner);
    AnsiString ClassName() const override { return "TGraphicField"; }

protected:
    void GetText(AnsiString& text, bool displayText) override;
};

// ftADT: a structured (object) value that has no native form here. It stores nothing, reads as
// Null, and shows "(ADT)".
class TADTField : public TField {
public:
    explicit TADTField(TComponent* owner);
    AnsiString ClassName() const override { return "TADTField"; }

protected:
    AnsiString GetAsString() override;
    Variant GetAsVariant() override;
    void GetText(AnsiString& text, bool displayText) override;
};

// The fields of one dataset, in field order. Fields are owned by their dataset's list: Clear and
// the dataset's destruction free them.
class TFields {
public:
    explicit TFields(TDataSet* dataSet) : dataSet_(dataSet) {}
    ~TFields();
    TFields(const TFields&) = delete;
    TFields& operator=(const TFields&) = delete;

    TDataSet* DataSet() const { return dataSet_; }
    Integer Count() const { return static_cast<Integer>(list_.size()); }
    // Raises EListError "List index out of bounds (<i>)" for a bad index.
    TField* Fields(Integer index) const;
    TField* operator[](Integer index) const { return Fields(index); }
    void Add(TField* field);
    void Remove(TField* field); // does not free it
    void Clear();               // frees every field
    Integer IndexOf(const TField* field) const;
    TField* FindField(const AnsiString& fieldName) const;
    TField* FieldByName(const AnsiString& fieldName) const;
    TField* FieldByNumber(Integer fieldNo) const;
    void CheckFieldName(const AnsiString& fieldName) const;
    void CheckFieldNames(const AnsiString& fieldNames) const;
    void GetFieldNames(TStrings* list) const;
    void SetFieldIndex(TField* field, Integer value);
    std::vector<TField*>::const_iterator begin() const { return list_.begin(); }
    std::vector<TField*>::const_iterator end() const { return list_.end(); }

private:
    TDataSet* dataSet_;
    std::vector<TField*> list_;
};

} // namespace vmado
