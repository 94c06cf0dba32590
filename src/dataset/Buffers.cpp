// Record buffers and field values: each buffer holds its record as one comma-text line, and every
// field read or write converts between that line's entry and the field's native format. A
// write that would not fit the text area raises; nothing is ever cut.
#include "dataset/DataSetPrivate.h"
#include "dataset/VDB.h"

#include "ado/engine/internal/CellPeek.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/DecimalText.h"
#include "framework/rtl/FloatRoundTrip.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"
#include "utils/VUtils.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vmado {

using dataset::ReadInt32;
using dataset::WriteInt32;

namespace {

constexpr Integer kMinBuffer = 16; // a dataset opened without a cursor still hands out buffers
constexpr double kMSecsPerDay = 86400000.0;

bool IsDataKind(const TField* field)
{
    return field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc;
}

// Stores an integer in the field's native width (16, 32 or 64 bits).
void StoreInteger(void* buffer, Int64 value, Integer dataSize)
{
    if (dataSize >= 8) {
        std::memcpy(buffer, &value, 8);
    } else if (dataSize >= 4) {
        const Integer v = static_cast<Integer>(value);
        std::memcpy(buffer, &v, 4);
    } else {
        const std::int16_t v = static_cast<std::int16_t>(value);
        std::memcpy(buffer, &v, 2);
    }
}

bool FitsWidth(Int64 value, const TField* field)
{
    if (field->DataSize() >= 8)
        return true;
    if (field->DataSize() >= 4)
        return value >= INT32_MIN && value <= INT32_MAX;
    if (field->DataType() == ftWord)
        return value >= 0 && value <= 65535;
    return value >= -32768 && value <= 32767;
}

Int64 LoadInteger(const void* buffer, TFieldType type, Integer dataSize)
{
    if (dataSize >= 8) {
        Int64 v;
        std::memcpy(&v, buffer, 8);
        return v;
    }
    if (dataSize >= 4) {
        Integer v;
        std::memcpy(&v, buffer, 4);
        return v;
    }
    if (type == ftWord) {
        Word v;
        std::memcpy(&v, buffer, 2);
        return v;
    }
    std::int16_t v;
    std::memcpy(&v, buffer, 2);
    return v;
}

// A time entry: the recordset's own time text, a date-and-time text, or the standard form.
TDateTime TextToTime(const AnsiString& text)
{
    TDateTime value = 0;
    if (text.size() <= 10 && TryStrToTime(text, value))
        return value;
    if (TryStrToDateTime(text, value))
        return value;
    if (TryStrToTime(text, value))
        return value;
    return StdToDate(text); // raises the conversion error naming the text
}

// Milliseconds only when there are some, so that a whole second keeps its usual text; the
// decimal separator is the one the time reader expects after the seconds.
AnsiString TimeText(TDateTime value)
{
    if (FormatDateTime("zzz", value) == "000")
        return FormatDateTime("hh:nn:ss AM/PM", value);
    return FormatDateTime(AnsiString("hh:nn:ss\"") + FormatSettings().DecimalSeparator + "\"zzz AM/PM",
                          value);
}

// The record line's usual forms of numbers and dates are read directly; every other text (blanks,
// signs, exponents, another decimal separator, hexadecimal, a value out of range) goes to the
// locale-aware readers, which give the same value for the plain forms and raise for bad text.
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// [-]digits, or with allowPoint [-]digits.digits
bool IsPlainNumber(std::string_view t, bool allowPoint)
{
    std::size_t i = !t.empty() && t[0] == '-' ? 1 : 0;
    const std::size_t first = i;
    while (i < t.size() && IsDigit(t[i]))
        ++i;
    if (i == first)
        return false;
    if (i == t.size())
        return true;
    if (!allowPoint || t[i] != '.' || ++i == t.size())
        return false;
    while (i < t.size() && IsDigit(t[i]))
        ++i;
    return i == t.size();
}

Int64 TextToInt64(std::string_view text)
{
    if (IsPlainNumber(text, false)) {
        Int64 v = 0;
        const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
        if (r.ec == std::errc())
            return v;
    }
    return StrToInt64(AnsiString(text));
}

double TextToFloat(std::string_view text)
{
    if (FormatSettings().DecimalSeparator == '.' && IsPlainNumber(text, true)) {
        // Up to 15 digits with up to 22 decimals: the digits and the power of ten are both exact
        // doubles, so one division rounds correctly, as the general reader does.
        std::uint64_t digits = 0;
        int count = 0, decimals = 0;
        bool point = false;
        for (char c : text) {
            if (c == '.')
                point = true;
            else if (c != '-') {
                digits = digits * 10 + static_cast<unsigned>(c - '0');
                if (digits != 0 && ++count > 15)
                    break; // too many digits for the exact route
                if (point)
                    ++decimals;
            }
        }
        static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        if (count <= 15 && decimals <= 22) {
            const double v = static_cast<double>(digits) / kPowers[decimals];
            return text[0] == '-' ? -v : v;
        }
        double v = 0;
        const auto r = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
        if (r.ec == std::errc())
            return v;
    }
    return StrToFloat(text);
}

// A typed cell as the value the field would read back from its buffer, when it converts without
// the text route: integers that fit the field, finite floats, Booleans, and whole days within the
// years the date text covers (a time of day keeps the text route, whose rounding the stamp must
// keep). An integer too wide for its field raises, as its text would.
bool CellNumber(TField* field, const engine::CellPeek& cell, TFieldNumber& out)
{
    using engine::CellKind;
    switch (field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        if (cell.Kind != CellKind::Integer)
            return false;
        if (!FitsWidth(cell.Int, field))
            throw EDatabaseError("Value " + IntToStr(cell.Int) + " of field '" + field->FieldName() +
                                 "' does not fit its " + IntToStr(field->DataSize() * 8) + "-bit " +
                                 FieldTypeName(field->DataType()) + " field");
        out.Int = cell.Int;
        return true;
    case ftBoolean:
        if (cell.Kind != CellKind::Boolean)
            return false;
        out.Bool = cell.Bool;
        return true;
    case ftFloat:
    case ftCurrency:
        // The text forms of infinities go to the general reader, which refuses them.
        if (cell.Kind != CellKind::Float || !std::isfinite(cell.Real))
            return false;
        out.Real = cell.Real == 0 ? 0.0 : cell.Real; // the entry of -0 is "0"
        return true;
    case ftDate:
    case ftDateTime: {
        const double day = std::trunc(cell.Real);
        if (cell.Kind != CellKind::Date || !(day >= -693593.0 && day <= 2958465.0) || day != cell.Real)
            return false;
        out.Real = day == 0 ? 0.0 : day;
        return true;
    }
    default:
        return false;
    }
}

// CellNumber's value in the field's native buffer form, as GetFieldData writes it.
void StoreNumber(TField* field, const TFieldNumber& value, void* buffer)
{
    switch (field->DataType()) {
    case ftBoolean: {
        const std::int16_t v = value.Bool ? -1 : 0;
        std::memcpy(buffer, &v, sizeof v);
        return;
    }
    case ftFloat:
    case ftCurrency:
        std::memcpy(buffer, &value.Real, sizeof value.Real);
        return;
    case ftDate:
    case ftDateTime: {
        const Integer date = static_cast<Integer>(value.Real) + DateDelta;
        if (field->DataType() == ftDate) {
            std::memcpy(buffer, &date, sizeof date);
        } else {
            const double msecs = static_cast<double>(date) * kMSecsPerDay;
            std::memcpy(buffer, &msecs, sizeof msecs);
        }
        return;
    }
    default:
        StoreInteger(buffer, value.Int, field->DataSize());
        return;
    }
}

} // namespace

// ---- buffers ----------------------------------------------------------------------------------------

TRecordBuffer TVADODataSet::AllocRecordBuffer()
{
    lineIndex_->Forget();
    const Integer size = bufferSize_ > kMinBuffer ? bufferSize_ : kMinBuffer;
    return new char[static_cast<std::size_t>(size)]();
}

void TVADODataSet::FreeRecordBuffer(TRecordBuffer& buffer)
{
    lineIndex_->Forget();
    delete[] buffer;
    buffer = nullptr;
}

Word TVADODataSet::GetRecordSize()
{
    return static_cast<Word>(bufferSize_);
}

void TVADODataSet::InternalInitRecord(TRecordBuffer buffer)
{
    lineIndex_->Forget();
    std::memset(buffer, 0, static_cast<std::size_t>(bufferSize_ > kMinBuffer ? bufferSize_ : kMinBuffer));
}

void TVADODataSet::ClearCalcFields(TRecordBuffer buffer)
{
    if (CalcFieldsSize() > 0)
        std::memset(buffer + calcOffset_, 0, static_cast<std::size_t>(CalcFieldsSize()));
}

TGetResult TVADODataSet::GetRecord(TRecordBuffer buffer, TGetMode getMode, bool /*doCheck*/)
{
    // Without a cursor (an open that had nothing to open) there is simply no data.
    if (!cursorOpen_ || records_ == nullptr)
        return grEOF;
    TVRecords& r = *records_;
    // A streaming recordset keeps the last quarter of its window when it slides: four times the
    // ring (a grid may have grown it since the open) keeps every buffered record reachable.
    const Integer cache = r.Recordset->CacheSize();
    if (cache > 1 && cache < 4 * (BufferCount() + 1))
        r.Recordset->SetCacheSize(4 * (BufferCount() + 1));
    TGetResult result = grOK;
    switch (getMode) {
    case gmCurrent:
        if (r.State == dsInsert)
            r.Last();
        if (r.GetEof())
            result = grEOF;
        else if (r.GetBof())
            result = grBOF;
        break;
    case gmNext:
        if (State() != dsInactive || BookmarkSize() > 0) {
            if (!r.GetEof())
                r.Next();
            if (r.GetEof())
                result = grEOF;
        }
        break;
    case gmPrior:
        if (!r.GetBof())
            r.Prior();
        if (r.GetBof())
            result = grBOF;
        break;
    }
    if (result == grOK)
        LoadRecordBuffer(buffer, false);
    return result;
}

void TVADODataSet::LoadRecordBuffer(TRecordBuffer buffer, bool blank)
{
    lineIndex_->Forget();
    // An unchanged engine row needs no line for its fields to be read: the row is kept instead,
    // and the line written only when something asks for the line itself.
    std::uint32_t row = 0, store = 0;
    if (!blank && recSize_ >= kEngineRowBytes && records_->DirectRow(row, store)) {
        buffer[0] = '\0';
        std::memcpy(buffer + 1, &row, sizeof row);
        std::memcpy(buffer + 5, &store, sizeof store);
        buffer[bookmarkOffset_ + kEngineRowMark] = 1;
    } else {
        records_->LoadRecord(buffer, blank);
        buffer[bookmarkOffset_ + kEngineRowMark] = 0;
    }
    WriteInt32(buffer + bookmarkOffset_, records_->GetBookmark());
    buffer[bookmarkOffset_ + 4] = static_cast<char>(blank ? bfInserted : bfCurrent);
    ClearCalcFields(buffer);
    GetCalcFields(buffer);
}

void TVADODataSet::RenderLine(TRecordBuffer buffer) const
{
    if (buffer == nullptr || !HoldsEngineRow(buffer))
        return;
    std::uint32_t row = 0, store = 0;
    std::memcpy(&row, buffer + 1, sizeof row);
    std::memcpy(&store, buffer + 5, sizeof store);
    lineIndex_->Forget();
    records_->LoadRecordAt(buffer, row, store);
    buffer[bookmarkOffset_ + kEngineRowMark] = 0;
}

TRecordBuffer TVADODataSet::FieldBuffer()
{
    switch (State()) {
    case dsBrowse:
        return IsEmpty() ? nullptr : TDataSet::ActiveBuffer();
    case dsEdit:
    case dsInsert:
        return TDataSet::ActiveBuffer();
    case dsCalcFields:
        return CalcBuffer();
    default:
        return nullptr;
    }
}

TRecordBuffer TVADODataSet::GetActiveRecordBuffer()
{
    const TRecordBuffer buffer = FieldBuffer();
    RenderLine(buffer);
    return buffer;
}

TRecordBuffer TVADODataSet::ActiveBuffer() const
{
    const TRecordBuffer buffer = TDataSet::ActiveBuffer();
    if (cursorOpen_ && records_)
        RenderLine(buffer);
    return buffer;
}

Integer TVADODataSet::FieldPositionOf(const TField* field)
{
    // Indexed by the field number binding gave (stable while open), checked by the field itself,
    // because a lookup runs on every field read.
    const Integer slot = field->FieldNo();
    if (slot > 0 && slot < static_cast<Integer>(fieldPositions_.size()) &&
        fieldPositions_[slot].first == field)
        return fieldPositions_[slot].second;
    const Integer position = records_ ? records_->FieldPosition(field->FieldName()) : -1;
    if (slot > 0 && slot < 4096) {
        if (slot >= static_cast<Integer>(fieldPositions_.size()))
            fieldPositions_.resize(static_cast<std::size_t>(slot) + 1);
        fieldPositions_[slot] = {field, position};
    }
    return position;
}

// ---- reading ------------------------------------------------------------------------------------------

bool TVADODataSet::EngineFieldData(TField* field, const char* record, void* buffer, bool& result, char* buf,
                                   AnsiString& scratch, std::string_view& entryText)
{
    using engine::CellKind;
    std::uint32_t row = 0, store = 0;
    std::memcpy(&row, record + 1, sizeof row);
    std::memcpy(&store, record + 5, sizeof store);
    const Integer position = FieldPositionOf(field);
    engine::CellPeek cell;
    if (!field->IsBlob() && records_->PeekCell(position, row, store, cell)) {
        // The cell in its stored form, converted once: the same value the entry text would give.
        if (buffer == nullptr && (cell.Kind == CellKind::Null || cell.Kind == CellKind::Text)) {
            result = !cell.Text.empty();
            return true;
        }
        TFieldNumber value;
        if (buffer != nullptr && CellNumber(field, cell, value)) {
            StoreNumber(field, value, buffer);
            return result = true;
        }
        if (cell.Kind == CellKind::Null || cell.Kind == CellKind::Text) {
            entryText = cell.Text;
            return false;
        }
    }
    records_->EntryTextAt(position, row, store, buf, scratch, entryText);
    return false;
}

bool TVADODataSet::BrowsedEngineRow(std::uint32_t& row, std::uint32_t& store)
{
    if (State() != dsBrowse || !cursorOpen_ || records_ == nullptr)
        return false;
    const TRecordBuffer record = FieldBuffer();
    if (record == nullptr || !HoldsEngineRow(record))
        return false;
    std::memcpy(&row, record + 1, sizeof row);
    std::memcpy(&store, record + 5, sizeof store);
    return true;
}

bool TVADODataSet::PeekFieldText(TField* field, std::string_view& text, bool& isNull)
{
    // A text cell of an unchanged engine row in browse state, read as GetFieldData would read
    // it; anything else takes GetFieldData.
    switch (field->DataType()) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftGuid:
        break;
    default:
        return false;
    }
    std::uint32_t row = 0, store = 0;
    if (!IsDataKind(field) || !BrowsedEngineRow(row, store))
        return false;
    engine::CellPeek cell;
    if (!records_->PeekCell(FieldPositionOf(field), row, store, cell))
        return false;
    if (cell.Kind == engine::CellKind::Null) {
        isNull = true;
        return true;
    }
    // The copy GetFieldData makes ends at a zero byte and refuses what outgrows the field.
    if (cell.Kind != engine::CellKind::Text || static_cast<Integer>(cell.Text.size()) > field->Size() ||
        std::memchr(cell.Text.data(), '\0', cell.Text.size()) != nullptr)
        return false;
    text = cell.Text;
    isNull = text.empty();
    return true;
}

bool TVADODataSet::PeekFieldNumber(TField* field, TFieldNumber& value, bool& isNull)
{
    // A typed cell of an unchanged engine row in browse state that converts as GetFieldData
    // converts it; anything else takes GetFieldData.
    std::uint32_t row = 0, store = 0;
    if (field->IsBlob() || !IsDataKind(field) || !BrowsedEngineRow(row, store))
        return false;
    engine::CellPeek cell;
    if (!records_->PeekCell(FieldPositionOf(field), row, store, cell))
        return false;
    // A Null cell is an empty entry, which every number, Boolean and date field reads as no value.
    isNull = cell.Kind == engine::CellKind::Null;
    return isNull || CellNumber(field, cell, value);
}

bool TVADODataSet::GetFieldData(TField* field, void* buffer)
{
    const TRecordBuffer record = FieldBuffer();
    if (record == nullptr || !cursorOpen_)
        return false;
    const bool engineRow = HoldsEngineRow(record);
    if (!engineRow && record[0] == '\0')
        return false;
    if (!IsDataKind(field)) {
        const char* slot = record + calcOffset_ + field->Offset();
        if (slot[0] == 0)
            return false;
        if (buffer != nullptr)
            std::memcpy(buffer, slot + 1, static_cast<std::size_t>(field->DataSize()));
        return true;
    }
    // A view, not a copy: every field of every record read comes through here. A quoted entry is
    // unquoted into one buffer per thread that keeps its capacity.
    thread_local AnsiString scratch;
    char entryBuf[40];
    std::string_view text;
    if (engineRow) {
        bool result = false;
        if (EngineFieldData(field, record, buffer, result, entryBuf, scratch, text))
            return result;
    } else {
        text = lineIndex_->Entry(record, FieldPositionOf(field), scratch);
    }
    if (buffer == nullptr)
        return !text.empty();

    switch (field->DataType()) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftGuid: {
        // The record line is sized by the engine's declared column sizes; a value the database
        // let grow past its declared size would overrun the field's buffer, so it is refused.
        // Only text longer in bytes than in allowed characters needs counting (UTF-8).
        if (static_cast<Integer>(text.size()) > field->Size()) {
            const Integer length = AnsiCharCount(text);
            if (length > field->Size() || static_cast<Integer>(text.size()) >= field->DataSize())
                throw EDatabaseError("Value of field '" + field->FieldName() + "' (" + IntToStr(length) +
                                     " characters) is longer than the field's size of " +
                                     IntToStr(field->Size()));
        }
        if (!text.empty())
            std::memcpy(buffer, text.data(), text.size());
        static_cast<char*>(buffer)[text.size()] = '\0';
        return !text.empty();
    }
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint: {
        const Int64 value = text.empty() ? 0 : TextToInt64(text);
        // A narrower field (a persistent 32-bit field over a 64-bit column) never gets a cut value.
        if (!FitsWidth(value, field))
            throw EDatabaseError("Value " + IntToStr(value) + " of field '" + field->FieldName() +
                                 "' does not fit its " + IntToStr(field->DataSize() * 8) + "-bit " +
                                 FieldTypeName(field->DataType()) + " field");
        StoreInteger(buffer, value, field->DataSize());
        return !text.empty();
    }
    case ftBoolean:
        if (text == "-1" || text == "0") {
            const std::int16_t v = text == "0" ? 0 : -1;
            std::memcpy(buffer, &v, sizeof v);
            return true;
        }
        return BooleanToBuffer(buffer, AnsiString(text));
    case ftFloat:
    case ftCurrency: {
        const double v = text.empty() ? 0.0 : TextToFloat(text);
        std::memcpy(buffer, &v, sizeof v);
        return !text.empty();
    }
    case ftBCD: {
        const Currency v = text.empty() ? Currency{} : StrToCurr(text);
        std::memcpy(buffer, &v, sizeof v);
        return !text.empty();
    }
    case ftFMTBcd: {
        AnsiString canonical;
        if (!text.empty() && !TryDecimalToCanonical(text, canonical))
            throw EConvertError("'" + AnsiString(text) + "' is not a valid decimal value for field '" +
                                field->FieldName() + "'");
        if (static_cast<Integer>(canonical.size()) >= field->DataSize())
            throw EDatabaseError("Value of field '" + field->FieldName() + "' has more digits than " +
                                 IntToStr(TFMTBCDField::MaxDigits));
        std::memcpy(buffer, canonical.data(), canonical.size());
        static_cast<char*>(buffer)[canonical.size()] = '\0';
        return !text.empty();
    }
    case ftDate: {
        Integer date = 0;
        if (!dataset::PlainDateStamp(text, date))
            return DateToBuffer(buffer, AnsiString(text));
        std::memcpy(buffer, &date, sizeof date);
        return true;
    }
    case ftTime:
        return TimeToBuffer(buffer, AnsiString(text));
    case ftDateTime:
        return DateTimeToBuffer(buffer, AnsiString(text));
    default:
        // No native form for this type: it reads as empty.
        return false;
    }
}

// ---- writing -------------------------------------------------------------------------------------------

void TVADODataSet::SetFieldData(TField* field, void* buffer)
{
    const TRecordBuffer record = GetActiveRecordBuffer(); // the line is rewritten: it has to be there
    if (record == nullptr)
        return;
    if (!IsDataKind(field)) {
        char* slot = record + calcOffset_ + field->Offset();
        slot[0] = buffer != nullptr ? 1 : 0;
        if (buffer != nullptr)
            std::memcpy(slot + 1, buffer, static_cast<std::size_t>(field->DataSize()));
    } else {
        const Integer position = FieldPositionOf(field);
        AnsiString text;
        if (buffer != nullptr) {
            switch (field->DataType()) {
            case ftString:
            case ftFixedChar:
            case ftWideString:
            case ftGuid: {
                const char* chars = static_cast<const char*>(buffer);
                text.assign(chars, strnlen(chars, static_cast<std::size_t>(field->DataSize())));
                break;
            }
            case ftSmallint:
            case ftInteger:
            case ftWord:
            case ftAutoInc:
            case ftLargeint:
                text = IntToStr(LoadInteger(buffer, field->DataType(), field->DataSize()));
                break;
            case ftBoolean: {
                std::int16_t v;
                std::memcpy(&v, buffer, sizeof v);
                text = v != 0 ? "-1" : "0";
                break;
            }
            case ftFloat:
            case ftCurrency: {
                double v;
                std::memcpy(&v, buffer, sizeof v);
                text = FloatToStrRoundTrip(v);
                break;
            }
            case ftBCD: {
                Currency v;
                std::memcpy(&v, buffer, sizeof v);
                text = CurrToStr(v);
                break;
            }
            case ftFMTBcd: {
                const char* chars = static_cast<const char*>(buffer);
                text.assign(chars, strnlen(chars, static_cast<std::size_t>(field->DataSize())));
                break;
            }
            case ftDate:
                text = BufferToDate(buffer);
                break;
            case ftTime:
                text = BufferToTime(buffer);
                break;
            case ftDateTime:
                text = BufferToDateTime(buffer);
                break;
            default:
                text = "Unknown";
                break;
            }
        }
        if (position >= 0) {
            std::vector<AnsiString> entries = dataset::SplitLine(dataset::TextArea(record));
            if (static_cast<Integer>(entries.size()) <= position)
                entries.resize(static_cast<std::size_t>(position) + 1);
            entries[static_cast<std::size_t>(position)] = text;
            lineIndex_->Forget();
            dataset::StoreLine(record, recSize_, dataset::JoinLine(entries),
                               "Value of field '" + field->FieldName() + "'");
        }
    }
    if (State() != dsCalcFields && State() != dsFilter)
        DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(field));
}

void TVADODataSet::DataConvert(TField* field, const void* source, void* dest, bool toNative)
{
    if (field->DataType() == ftBCD) {
        std::memcpy(dest, source, sizeof(Currency));
        return;
    }
    TDataSet::DataConvert(field, source, dest, toNative);
}

Variant TVADODataSet::GetStateFieldValue(TDataSetState state, TField* field)
{
    if (!IsDataKind(field))
        return Variant::Null();
    switch (state) {
    case dsNewValue:
    case dsCurValue:
        return field->AsVariant();
    case dsOldValue:
        // Outside an edit nothing has changed yet: the old value is the one the record holds,
        // which is what a delete must find its row by.
        if (!records_ || (records_->State != dsEdit && records_->State != dsInsert))
            return field->AsVariant();
        return records_->FieldOldValue(field->FieldName());
    default:
        return Variant::Null();
    }
}

void TVADODataSet::DataEvent(TDataEvent event, std::intptr_t info)
{
    TDataSet::DataEvent(event, info);
    if ((event == deDataSetChange || event == deDataSetScroll || event == deUpdateState) && Active()) {
        const TRecordBuffer active = TDataSet::ActiveBuffer(); // the bookmark is all it needs
        if (active != nullptr)
            InternalSetToRecord(active);
    }
}

// ---- converters -----------------------------------------------------------------------------------------

bool TVADODataSet::IntegerToBuffer(void* buffer, const AnsiString& text)
{
    const Integer v = text.empty() ? 0 : StrToInt(text);
    std::memcpy(buffer, &v, sizeof v);
    return !text.empty();
}

bool TVADODataSet::FloatToBuffer(void* buffer, const AnsiString& text)
{
    const double v = text.empty() ? 0.0 : StrToFloat(text);
    std::memcpy(buffer, &v, sizeof v);
    return !text.empty();
}

bool TVADODataSet::BooleanToBuffer(void* buffer, const AnsiString& text)
{
    const std::int16_t v = (text.empty() ? 0 : StrToInt(text)) != 0 ? -1 : 0;
    std::memcpy(buffer, &v, sizeof v);
    return !text.empty();
}

bool TVADODataSet::DateToBuffer(void* buffer, const AnsiString& text)
{
    TTimeStamp stamp = DateTimeToTimeStamp(0);
    if (!text.empty())
        stamp = DateTimeToTimeStamp(DateOf(StdToDate(text)));
    std::memcpy(buffer, &stamp.Date, sizeof stamp.Date);
    return !text.empty();
}

bool TVADODataSet::TimeToBuffer(void* buffer, const AnsiString& text)
{
    Integer msecs = 0;
    if (!text.empty())
        msecs = DateTimeToTimeStamp(TimeOf(TextToTime(text))).Time;
    std::memcpy(buffer, &msecs, sizeof msecs);
    return !text.empty();
}

bool TVADODataSet::DateTimeToBuffer(void* buffer, const AnsiString& text)
{
    const TDateTime value = text.empty() ? 0.0 : StdToDate(text);
    const double msecs = TimeStampToMSecs(DateTimeToTimeStamp(value));
    std::memcpy(buffer, &msecs, sizeof msecs);
    return !text.empty();
}

AnsiString TVADODataSet::BufferToDate(const void* buffer)
{
    TTimeStamp stamp;
    std::memcpy(&stamp.Date, buffer, sizeof stamp.Date);
    stamp.Time = 0;
    return DateToStd(TimeStampToDateTime(stamp));
}

AnsiString TVADODataSet::BufferToTime(const void* buffer)
{
    Integer msecs;
    std::memcpy(&msecs, buffer, sizeof msecs);
    return TimeText(msecs / kMSecsPerDay);
}

AnsiString TVADODataSet::BufferToDateTime(const void* buffer)
{
    double msecs;
    std::memcpy(&msecs, buffer, sizeof msecs);
    return DateToStd(TimeStampToDateTime(MSecsToTimeStamp(std::round(msecs))));
}

} // namespace vmado
