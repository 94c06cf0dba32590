// Edits kept on the row: AddNew, field writes, Update, CancelUpdate, Delete and the batch.
// Read-only recordsets refuse every edit; immediate lock types send each change at once, the
// batch lock type keeps it on the row (with the original values) until UpdateBatch.
#include "ado/engine/cursor/RecordsetImpl.h"

#include "ado/engine/expression/internal/Literals.h"
#include "ado/engine/internal/IsoDate.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/DecimalText.h"
#include "framework/rtl/FloatRoundTrip.h"

#include <climits>
#include <cmath>

namespace vmado::engine {

void RecordsetImpl::CheckUpdatable(const char* what) const
{
    CheckOpen(what);
    if (synthetic_ || lockType_ == adLockReadOnly)
        throw EOleException(AnsiString("Cannot ") + what + ": the recordset is read-only", "vmado.Cursor");
}

const ColumnMeta& RecordsetImpl::MetaOf(int col) const
{
    if (col < 0 || col >= ColumnCount())
        throw EOleException("Field index " + std::to_string(col) + " is out of range", "vmado.Cursor");
    return columns_[static_cast<std::size_t>(col)].Meta();
}

Variant RecordsetImpl::VariantOf(int col, std::uint32_t row) const
{
    const Column& c = columns_[static_cast<std::size_t>(col)];
    if (c.IsNull(row))
        return Variant::Null();
    const ColumnMeta& m = c.Meta();
    switch (c.Kind()) {
    case ValueKind::Integer: {
        const Int64 v = c.IntAt(row);
        switch (m.Type) {
        case adTinyInt:
            return Variant::FromShortInt(static_cast<std::int8_t>(v));
        case adUnsignedTinyInt:
            return Variant::FromByte(static_cast<Byte>(v));
        case adSmallInt:
            return Variant::FromSmallint(static_cast<SmallInt>(v));
        case adUnsignedSmallInt:
            return Variant::FromWord(static_cast<Word>(v));
        case adUnsignedInt:
            return Variant::FromLongWord(static_cast<Cardinal>(v));
        case adInteger:
            if (v >= INT_MIN && v <= INT_MAX)
                return Variant(static_cast<Integer>(v));
            return Variant(v);
        default:
            return Variant(v);
        }
    }
    case ValueKind::Float:
        return m.Type == adSingle ? Variant::FromSingle(static_cast<float>(c.RealAt(row)))
                                  : Variant(c.RealAt(row));
    case ValueKind::Currency:
        return Variant(Currency::FromRaw(c.IntAt(row)));
    case ValueKind::Date:
        return Variant::FromDate(c.RealAt(row));
    case ValueKind::Boolean:
        return Variant(c.BoolAt(row));
    case ValueKind::Text:
        return Variant(AnsiString(c.TextAt(row)));
    case ValueKind::Bytes: {
        const std::string_view b = c.TextAt(row);
        return VarByteArray(b.data(), b.size());
    }
    default:
        return Variant::Null();
    }
}

CellRef RecordsetImpl::CellFromVariant(int col, const Variant& value, std::string& storage) const
{
    const Column& c = columns_[static_cast<std::size_t>(col)];
    const ColumnMeta& m = c.Meta();
    CellRef cell;
    if (value.IsNull() || value.IsEmpty())
        return cell;
    try {
        switch (c.Kind()) {
        case ValueKind::Integer: {
            Int64 v = value.AsInt64();
            Int64 lo = LLONG_MIN, hi = LLONG_MAX;
            switch (m.Type) {
            case adTinyInt:
                lo = -128, hi = 127;
                break;
            case adUnsignedTinyInt:
                lo = 0, hi = 255;
                break;
            case adSmallInt:
                lo = -32768, hi = 32767;
                break;
            case adUnsignedSmallInt:
                lo = 0, hi = 65535;
                break;
            case adInteger:
                lo = INT_MIN, hi = INT_MAX;
                break;
            case adUnsignedInt:
                lo = 0, hi = UINT_MAX;
                break;
            default:
                break;
            }
            if (v < lo || v > hi)
                throw EOleException("Value " + std::to_string(v) + " is out of range for field '" + m.Name +
                                        "'",
                                    "vmado.Cursor");
            cell.Kind = ValueKind::Integer;
            cell.I = v;
            break;
        }
        case ValueKind::Float:
            cell.Kind = ValueKind::Float;
            cell.F = value.AsFloat();
            break;
        case ValueKind::Currency:
            cell.Kind = ValueKind::Currency;
            cell.Cur = value.AsCurrency().Raw;
            break;
        case ValueKind::Date: {
            cell.Kind = ValueKind::Date;
            const Word t = value.VarType() & varTypeMask;
            if ((t == varString || t == varOleStr) && ParseIsoDateTime(value.AsString(), cell.F))
                break;
            cell.F = value.AsDateTime();
            break;
        }
        case ValueKind::Boolean:
            cell.Kind = ValueKind::Boolean;
            cell.B = value.AsBoolean();
            break;
        case ValueKind::Text:
            storage = value.IsArray()
                          ? std::string(reinterpret_cast<const char*>(VarArrayBytes(value).data()),
                                        VarArrayBytes(value).size())
                          : value.AsString();
            if (m.Type == adNumeric || m.Type == adDecimal || m.Type == adVarNumeric) {
                // A decimal too wide for a double is held as its exact digits.
                const Word t = value.VarType() & varTypeMask;
                AnsiString canonical;
                if (!TryDecimalToCanonical(
                        t == varDouble || t == varSingle ? FloatToStrRoundTrip(value.AsFloat()) : storage,
                        canonical))
                    throw EOleException("Cannot assign '" + storage + "' to field '" + m.Name +
                                            "': it is not a decimal number",
                                        "vmado.Cursor");
                storage = canonical;
            }
            // DefinedSize counts characters, which in UTF-8 may take several bytes each.
            if (storage.size() > static_cast<std::size_t>(m.DefinedSize) && !m.Long && !m.Unbounded &&
                AnsiCharCount(storage) > m.DefinedSize)
                throw EOleException(
                    "Value of field '" + m.Name + "' is too long: " + std::to_string(AnsiCharCount(storage)) +
                        " characters where the field holds at most " + std::to_string(m.DefinedSize),
                    "vmado.Cursor");
            cell.Kind = ValueKind::Text;
            cell.Text = storage;
            break;
        case ValueKind::Bytes:
            if (value.IsArray()) {
                const auto& bytes = VarArrayBytes(value);
                storage.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            } else {
                storage = value.AsString();
            }
            if (storage.size() > static_cast<std::size_t>(m.DefinedSize) && !m.Long && !m.Unbounded)
                throw EOleException(
                    "Value of field '" + m.Name + "' is too long: " + std::to_string(storage.size()) +
                        " bytes where the field holds at most " + std::to_string(m.DefinedSize),
                    "vmado.Cursor");
            cell.Kind = ValueKind::Bytes;
            cell.Text = storage;
            break;
        default:
            break;
        }
    } catch (const EOleException&) {
        throw;
    } catch (const Exception& e) {
        throw EOleException("Cannot assign " + VarToStr(value) + " to field '" + m.Name + "': " + e.Message(),
                            "vmado.Cursor");
    }
    return cell;
}

void RecordsetImpl::BeginEdit()
{
    const std::uint32_t row = CurrentRow("edit the record");
    if (flags_[row] & rfPendingDelete)
        throw EOleException("Cannot edit the record: it has been deleted", "vmado.Cursor");
    editMode_ = adEditInProgress;
    editRow_ = row;
    editValues_.assign(columns_.size(), std::nullopt);
}

Variant RecordsetImpl::FieldValue(int col) const
{
    const ColumnMeta& m = MetaOf(col);
    // Read once per field per record by every scan: the message is built only when it is raised.
    if (!OnRecord())
        CurrentRow(("read field '" + m.Name + "'").c_str());
    const std::uint32_t row = view_[static_cast<std::size_t>(pos_)];
    if (editMode_ != adEditNone && row == editRow_ && editValues_[static_cast<std::size_t>(col)])
        return *editValues_[static_cast<std::size_t>(col)];
    return VariantOf(col, row);
}

Variant RecordsetImpl::PeekValueAt(int col, std::uint32_t row) const
{
    if (col < 0 || col >= ColumnCount() || row >= columns_[static_cast<std::size_t>(col)].Size())
        return Variant::Null();
    return VariantOf(col, row);
}

bool RecordsetImpl::PeekRow(std::uint32_t& row) const
{
    if (!OnRecord())
        return false;
    row = base_ + view_[static_cast<std::size_t>(pos_)];
    return true;
}

std::string_view PeekDateText(double value, char* buf)
{
    return internal::FormatDateTime(value, buf);
}

void RecordsetImpl::SetFieldValue(int col, const Variant& value)
{
    const ColumnMeta& m = MetaOf(col);
    CheckUpdatable(("change field '" + m.Name + "'").c_str());
    std::string storage;
    CellFromVariant(col, value, storage); // validates before anything changes
    if (editMode_ == adEditNone)
        BeginEdit();
    else if (!OnRecord() || view_[static_cast<std::size_t>(pos_)] != editRow_)
        throw EOleException("Cannot change field '" + m.Name + "': the record being edited is not current",
                            "vmado.Cursor");
    editValues_[static_cast<std::size_t>(col)] = value.IsEmpty() ? Variant::Null() : value;
}

Variant RecordsetImpl::FieldOriginalValue(int col) const
{
    MetaOf(col);
    const std::uint32_t row = CurrentRow("read the original value");
    if (auto it = originals_.find(row); it != originals_.end())
        return it->second[static_cast<std::size_t>(col)];
    if (flags_[row] & (rfNew | rfAdding))
        return Variant::Null();
    return VariantOf(col, row);
}

bool RecordsetImpl::FieldTextReplaced(int col) const
{
    MetaOf(col);
    std::uint32_t row = 0;
    if (!PeekRow(row))
        return false;
    row -= base_;
    const Column& c = columns_[static_cast<std::size_t>(col)];
    return c.Kind() == ValueKind::Text && !c.IsNull(row) && !c.StoredFor(row, c.TextAt(row)).empty();
}

Integer RecordsetImpl::FieldActualSize(int col) const
{
    const ColumnMeta& m = MetaOf(col);
    const Variant v = FieldValue(col);
    if (v.IsNull())
        return 0;
    if (m.Kind == ValueKind::Bytes)
        return static_cast<Integer>(v.IsArray() ? VarArrayBytes(v).size() : v.AsString().size());
    if (m.Kind == ValueKind::Text)
        return static_cast<Integer>(v.AsString().size());
    return m.DefinedSize;
}

void RecordsetImpl::FieldAppendChunk(int col, const Variant& data)
{
    const ColumnMeta& m = MetaOf(col);
    if (m.Kind != ValueKind::Text && m.Kind != ValueKind::Bytes)
        throw EOleException("Cannot append a chunk to field '" + m.Name +
                                "': it holds neither text nor bytes",
                            "vmado.Cursor");
    const Variant current = FieldValue(col);
    std::string joined;
    if (!current.IsNull())
        joined = current.IsArray() ? std::string(reinterpret_cast<const char*>(VarArrayBytes(current).data()),
                                                 VarArrayBytes(current).size())
                                   : current.AsString();
    if (data.IsArray())
        joined.append(reinterpret_cast<const char*>(VarArrayBytes(data).data()), VarArrayBytes(data).size());
    else if (!data.IsNull() && !data.IsEmpty())
        joined += data.AsString();
    SetFieldValue(col,
                  m.Kind == ValueKind::Bytes ? VarByteArray(joined.data(), joined.size()) : Variant(joined));
}

Variant RecordsetImpl::FieldGetChunk(int col, Integer length)
{
    const ColumnMeta& m = MetaOf(col);
    if (length < 0)
        throw EOleException("Cannot read a chunk of field '" + m.Name + "': the length is negative",
                            "vmado.Cursor");
    const std::uint32_t row = CurrentRow("read a chunk");
    if (chunkRow_ != row) {
        chunkRow_ = row;
        chunkOffsets_.assign(columns_.size(), 0);
    }
    const Variant v = FieldValue(col);
    if (v.IsNull())
        return Variant::Null();
    const std::string whole =
        v.IsArray()
            ? std::string(reinterpret_cast<const char*>(VarArrayBytes(v).data()), VarArrayBytes(v).size())
            : v.AsString();
    std::size_t& offset = chunkOffsets_[static_cast<std::size_t>(col)];
    if (offset >= whole.size())
        return Variant::Null();
    const std::string piece = whole.substr(offset, static_cast<std::size_t>(length));
    offset += piece.size();
    return m.Kind == ValueKind::Bytes ? VarByteArray(piece.data(), piece.size()) : Variant(piece);
}

void RecordsetImpl::ApplyFieldList(const Variant& fields, const Variant& values)
{
    if (fields.IsEmpty() || fields.IsNull())
        return;
    auto columnOf = [&](const Variant& f) {
        const Word t = f.VarType() & varTypeMask;
        int col = (t == varString || t == varOleStr) ? ColumnIndex(f.AsString()) : f.AsInteger();
        if (col < 0 || col >= ColumnCount())
            throw EOleException("Field '" + VarToStr(f) + "' cannot be found in the recordset",
                                "vmado.Cursor");
        return col;
    };
    if (fields.IsArray()) {
        if (!values.IsArray())
            throw EOleException("Cannot assign the field list: the values are not an array", "vmado.Cursor");
        const Integer lo = VarArrayLowBound(fields, 1), hi = VarArrayHighBound(fields, 1);
        const Integer vlo = VarArrayLowBound(values, 1), vhi = VarArrayHighBound(values, 1);
        if (hi - lo != vhi - vlo)
            throw EOleException("Cannot assign the field list: " + std::to_string(hi - lo + 1) +
                                    " fields but " + std::to_string(vhi - vlo + 1) + " values",
                                "vmado.Cursor");
        for (Integer i = lo; i <= hi; ++i)
            SetFieldValue(columnOf(fields.GetElement(i)), values.GetElement(vlo + (i - lo)));
    } else {
        SetFieldValue(columnOf(fields), values);
    }
}

void RecordsetImpl::AddNew(const Variant& fieldList, const Variant& values)
{
    CheckUpdatable("add a record");
    LeaveRecord();
    const auto row = static_cast<std::uint32_t>(flags_.size());
    for (auto& c : columns_)
        c.Append(CellRef{});
    flags_.push_back(rfAdding);
    editMode_ = adEditAdd;
    editRow_ = row;
    editValues_.assign(columns_.size(), std::nullopt);
    addReturnPos_ = pos_;
    view_.push_back(row);
    posValid_ = false;
    pos_ = static_cast<long>(view_.size()) - 1;
    deletedCurrent_.reset();
    if (!fieldList.IsEmpty() && !fieldList.IsNull()) {
        try {
            ApplyFieldList(fieldList, values);
        } catch (...) {
            CancelUpdate();
            throw;
        }
        Update(Variant(), Variant());
    }
}

void RecordsetImpl::SaveOriginals(std::uint32_t row)
{
    if (originals_.count(row) || (flags_[row] & (rfNew | rfAdding)))
        return;
    std::vector<Variant> values(columns_.size());
    for (std::size_t c = 0; c < columns_.size(); ++c)
        values[c] = VariantOf(static_cast<int>(c), row);
    originals_.emplace(row, std::move(values));
}

void RecordsetImpl::WriteEditToStore(std::uint32_t row)
{
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if (!editValues_[c])
            continue;
        std::string storage;
        const CellRef cell = CellFromVariant(static_cast<int>(c), *editValues_[c], storage);
        columns_[c].Set(row, cell);
    }
}

void RecordsetImpl::Update(const Variant& fields, const Variant& values)
{
    CheckOpen("update the record");
    if (!fields.IsEmpty() && !fields.IsNull()) {
        CheckUpdatable("update the record");
        ApplyFieldList(fields, values);
    }
    if (editMode_ == adEditNone)
        return;
    const std::uint32_t row = editRow_;
    std::vector<int> changed;
    for (std::size_t c = 0; c < editValues_.size(); ++c)
        if (editValues_[c])
            changed.push_back(static_cast<int>(c));
    const bool adding = editMode_ == adEditAdd;
    if (!adding && changed.empty()) {
        editMode_ = adEditNone;
        editValues_.clear();
        return;
    }
    if (lockType_ == adLockBatchOptimistic) {
        if (!adding)
            SaveOriginals(row);
        if (adding || (flags_[row] & rfNew)) {
            std::vector<bool>& assigned = assigned_[row];
            assigned.resize(columns_.size());
            for (int col : changed)
                assigned[static_cast<std::size_t>(col)] = true;
        }
        WriteEditToStore(row);
        flags_[row] = static_cast<std::uint8_t>((flags_[row] & ~rfAdding) | (adding ? rfNew : rfModified));
    } else {
        std::vector<std::pair<int, CellRef>> generated;
        std::vector<std::string> generatedText;
        SendRow(row, adding ? 0 : 1, changed, &generated, &generatedText); // raises: the edit stays pending
        WriteEditToStore(row);
        for (const auto& [col, cell] : generated)
            columns_[static_cast<std::size_t>(col)].Set(row, cell);
        flags_[row] = static_cast<std::uint8_t>(flags_[row] & ~rfAdding);
    }
    editMode_ = adEditNone;
    editValues_.clear();
    chunkRow_ = UINT32_MAX;
}

void RecordsetImpl::CancelUpdate()
{
    CheckOpen("cancel the update");
    if (editMode_ == adEditAdd) {
        const std::uint32_t row = editRow_;
        flags_[row] = rfGone;
        std::erase(view_, row);
        posValid_ = false;
        editMode_ = adEditNone;
        editValues_.clear();
        SetPosition(addReturnPos_);
        return;
    }
    editMode_ = adEditNone;
    editValues_.clear();
}

void RecordsetImpl::Delete(AffectEnum affectRecords)
{
    CheckUpdatable("delete the record");
    if (affectRecords == adAffectGroup || affectRecords == adAffectAll) {
        if (editMode_ != adEditNone)
            CancelUpdate();
        const std::vector<std::uint32_t> rows = view_;
        for (std::uint32_t row : rows) {
            SetPosition(PositionOf(row));
            Delete(adAffectCurrent);
        }
        return;
    }
    if (affectRecords != adAffectCurrent)
        throw EOleException("Cannot delete: " + std::to_string(affectRecords) + " is not a choice of records",
                            "vmado.Cursor");
    if (editMode_ == adEditAdd) {
        CancelUpdate();
        return;
    }
    const std::uint32_t row = CurrentRow("delete the record");
    if (editMode_ != adEditNone) {
        editMode_ = adEditNone;
        editValues_.clear();
    }
    if (lockType_ == adLockBatchOptimistic) {
        if (flags_[row] & rfNew) {
            flags_[row] = rfGone;
            originals_.erase(row);
            assigned_.erase(row);
        } else {
            flags_[row] = static_cast<std::uint8_t>(flags_[row] | rfPendingDelete);
        }
    } else {
        SendRow(row, 2, {}, nullptr, nullptr);
        flags_[row] = rfGone;
    }
    RemoveCurrentFromView(row);
}

void RecordsetImpl::RemoveCurrentFromView(std::uint32_t row)
{
    const long at = pos_;
    view_.erase(view_.begin() + at);
    posValid_ = false;
    pos_ = at;
    deletedCurrent_ = row;
}

void RecordsetImpl::AcceptUpdate()
{
    CheckUpdatable("accept the update");
    if (editMode_ == adEditNone)
        return;
    const std::uint32_t row = editRow_;
    WriteEditToStore(row);
    // An earlier change still waiting for the batch stays pending; only this one is taken as sent.
    flags_[row] = static_cast<std::uint8_t>(flags_[row] & ~rfAdding);
    editMode_ = adEditNone;
    editValues_.clear();
    chunkRow_ = UINT32_MAX;
}

void RecordsetImpl::AcceptDelete()
{
    CheckUpdatable("accept the deletion");
    if (editMode_ == adEditAdd) {
        CancelUpdate();
        return;
    }
    const std::uint32_t row = CurrentRow("accept the deletion");
    if (editMode_ != adEditNone) {
        editMode_ = adEditNone;
        editValues_.clear();
    }
    flags_[row] = rfGone;
    originals_.erase(row);
    RemoveCurrentFromView(row);
}

void RecordsetImpl::UpdateBatch(AffectEnum affectRecords)
{
    CheckOpen("send the batch");
    LeaveRecord();
    std::vector<std::uint32_t> rows;
    if (affectRecords == adAffectCurrent) {
        const std::uint32_t row = deletedCurrent_ ? *deletedCurrent_ : CurrentRow("send the current record");
        if (flags_[row] & (rfNew | rfModified | rfPendingDelete))
            rows.push_back(row);
    } else {
        for (std::uint32_t r = 0; r < flags_.size(); ++r)
            if ((flags_[r] & (rfNew | rfModified | rfPendingDelete)) && !(flags_[r] & rfGone))
                if (affectRecords != adAffectGroup || PositionOf(r) >= 0 || (flags_[r] & rfPendingDelete))
                    rows.push_back(r);
    }
    if (rows.empty())
        return;
    CheckUpdatable("send the batch");
    SendBatch(rows);
}

void RecordsetImpl::CancelBatch(AffectEnum affectRecords)
{
    CheckOpen("cancel the batch");
    if (editMode_ != adEditNone)
        CancelUpdate();
    std::optional<std::uint32_t> current;
    if (OnRecord())
        current = view_[static_cast<std::size_t>(pos_)];
    for (std::uint32_t r = 0; r < flags_.size(); ++r) {
        if (affectRecords == adAffectCurrent && (!current || *current != r) && deletedCurrent_ != r)
            continue;
        if (flags_[r] & rfNew) {
            flags_[r] = rfGone;
            assigned_.erase(r);
        } else if (flags_[r] & (rfModified | rfPendingDelete)) {
            if (auto it = originals_.find(r); it != originals_.end()) {
                for (std::size_t c = 0; c < columns_.size(); ++c) {
                    std::string storage;
                    columns_[c].Set(r, CellFromVariant(static_cast<int>(c), it->second[c], storage));
                }
                originals_.erase(it);
            }
            flags_[r] = 0;
        }
    }
    RebuildView(current);
}

} // namespace vmado::engine
