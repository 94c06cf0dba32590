// Field objects forwarding to the recordset; their metadata comes from the column store.
#include "ado/engine/cursor/FieldsImpl.h"

#include "ado/engine/PropertyList.h"
#include "ado/engine/cursor/RecordsetImpl.h"
#include "ado/engine/internal/Text.h"

namespace vmado::engine {

namespace {

class FieldImpl final : public Field {
public:
    FieldImpl(std::weak_ptr<RecordsetImpl> owner, std::weak_ptr<int> token, int index)
        : owner_(std::move(owner)), token_(std::move(token)), index_(index)
    {
    }

    AnsiString Name() const override { return Meta().Name; }
    DataTypeEnum Type() const override { return Meta().Type; }
    Integer DefinedSize() const override { return Meta().DefinedSize; }
    Integer ActualSize() const override { return Owner()->FieldActualSize(index_); }
    Integer Attributes() const override
    {
        const ColumnMeta& m = Meta();
        Integer a = adFldUnknownUpdatable;
        if (!m.BaseTable.empty() && !m.AutoIncrement)
            a |= adFldUpdatable;
        if (m.Nullable)
            a |= adFldIsNullable | adFldMayBeNull;
        if (m.Long)
            a |= adFldLong;
        if (m.Type == adChar || m.Type == adBinary ||
            (m.Kind != ValueKind::Text && m.Kind != ValueKind::Bytes))
            a |= adFldFixed;
        if (m.PrimaryKey)
            a |= adFldKeyColumn;
        return a;
    }
    Byte Precision() const override
    {
        const ColumnMeta& m = Meta();
        if (m.Precision != 255)
            return m.Precision;
        switch (m.Type) {
        case adTinyInt:
            return 3;
        case adSmallInt:
            return 5;
        case adInteger:
            return 10;
        case adBigInt:
            return 19;
        case adDouble:
            return 15;
        case adCurrency:
            return 19;
        default:
            return 255;
        }
    }
    Byte NumericScale() const override
    {
        const ColumnMeta& m = Meta();
        if (m.Scale != 255)
            return m.Scale;
        return m.Type == adCurrency ? 4 : 255;
    }
    Variant Value() const override { return Owner()->FieldValue(index_); }
    void SetValue(const Variant& value) override { Owner()->SetFieldValue(index_, value); }
    Variant OriginalValue() const override { return Owner()->FieldOriginalValue(index_); }
    Variant UnderlyingValue() const override { return Owner()->FieldUnderlyingValue(index_); }
    void AppendChunk(const Variant& data) override { Owner()->FieldAppendChunk(index_, data); }
    Variant GetChunk(Integer length) override { return Owner()->FieldGetChunk(index_, length); }
    PropertiesPtr Properties() const override
    {
        const ColumnMeta& m = Meta();
        auto list = std::make_shared<PropertyList>();
        list->Add("BASECATALOGNAME", Variant(AnsiString()));
        list->Add("BASESCHEMANAME", Variant(m.BaseSchema));
        list->Add("BASETABLENAME", Variant(m.BaseTable));
        list->Add("BASECOLUMNNAME", Variant(m.BaseColumn));
        list->Add("KEYCOLUMN", Variant(m.PrimaryKey), adBoolean);
        list->Add("ISAUTOINCREMENT", Variant(m.AutoIncrement), adBoolean);
        list->Add("ISLONG", Variant(m.Long), adBoolean);
        list->Add("Text Replaced", Variant(Owner()->FieldTextReplaced(index_)), adBoolean);
        return list;
    }

private:
    std::shared_ptr<RecordsetImpl> Owner() const
    {
        auto owner = owner_.lock();
        if (!owner || token_.expired())
            throw EOleException("Cannot use the field: its recordset was closed", "vmado.Cursor");
        return owner;
    }
    const ColumnMeta& Meta() const { return Owner()->MetaOf(index_); }

    std::weak_ptr<RecordsetImpl> owner_;
    std::weak_ptr<int> token_;
    int index_;
};

} // namespace

FieldsImpl::FieldsImpl(std::weak_ptr<RecordsetImpl> owner, int count) : owner_(std::move(owner))
{
    for (int i = 0; i < count; ++i)
        items_.push_back(std::make_shared<FieldImpl>(owner_, token_, i));
}

Integer FieldsImpl::Count() const
{
    return token_ ? static_cast<Integer>(items_.size()) : 0;
}

FieldPtr FieldsImpl::Item(Integer index) const
{
    if (index < 0 || index >= Count())
        throw EOleException("Field index " + std::to_string(index) + " is out of range (the recordset has " +
                                std::to_string(Count()) + " fields)",
                            "vmado.Cursor");
    return items_[static_cast<std::size_t>(index)];
}

FieldPtr FieldsImpl::Item(const AnsiString& name) const
{
    if (auto owner = owner_.lock(); owner && token_)
        for (int i = 0; i < owner->ColumnCount(); ++i)
            if (EqualsIgnoreCase(owner->MetaOf(i).Name, name))
                return items_[static_cast<std::size_t>(i)];
    throw EOleException("Field '" + name + "' cannot be found in the recordset", "vmado.Cursor");
}

void FieldsImpl::Detach()
{
    token_.reset();
    items_.clear();
}

} // namespace vmado::engine
