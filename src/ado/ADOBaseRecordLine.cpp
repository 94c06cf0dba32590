// The record line: each field's value as text, joined in the framework's comma-text form, in a
// text area sized for the worst case of every entry. A line never leaves its area and never
// loses its terminator; one that would not fit is refused, not cut.
#include "ado/ADOBase.h"
#include "ado/ADOBasePrivate.h"
#include "ado/engine/internal/CellPeek.h"
#include "framework/classes/internal/CommaText.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/FloatRoundTrip.h"
#include "framework/rtl/SysUtils.h"

#include "framework/rtl/Locale.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vmado {
namespace adobase {

Integer FieldTextBound(DataTypeEnum type, Integer definedSize)
{
    const Integer size = definedSize < 0 ? 0 : definedSize;
    switch (type) {
    case adChar:
    case adVarChar:
    case adLongVarChar:
    case adWChar:
    case adVarWChar:
    case adLongVarWChar:
    case adBSTR:
        // Sized for the worst case: every character as long as the code page allows.
        return static_cast<Integer>(std::min<Int64>(Int64(size) * AnsiMaxCharSize(), INT_MAX / 4));
    default:
        // Numbers, dates, Booleans and GUIDs render to at most a few dozen characters whatever
        // their storage size; 64 covers every format with room to spare.
        return size > 64 ? size : 64;
    }
}

// The shortest digits that read back as value are, when there are at most 15 of them, exactly
// what rounding to FloatToStr's 15 digits gives (a double lies within a tenth of a unit of the
// 15th digit of its shortest form); between 1e-4 and 1e15 FloatToStr lays them out in fixed
// notation, as the shortest fixed form does.
bool ShortFloatText(double value, AnsiString& out)
{
    if (value == 0) {
        out.assign(1, '0');
        return true;
    }
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 1e-4 && magnitude < 1e15))
        return false; // NaN too
    // Amounts with a few decimals: when m / 10^k rounds to value for a whole m below 10^15, that
    // decimal is within half a unit of value's last bit, so it is the 15-digit rounding too.
    static constexpr double kScales[] = {1.0, 10.0, 100.0, 1000.0, 10000.0};
    for (int k = 0; k < 5; ++k) {
        const double scaled = std::nearbyint(magnitude * kScales[k]);
        if (scaled >= 1e15)
            break;
        if (scaled / kScales[k] != magnitude)
            continue;
        char digits[24];
        auto whole = static_cast<std::uint64_t>(scaled);
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + whole % 10);
            whole /= 10;
        } while (whole != 0);
        int decimals = k;
        int skip = 0; // trailing zeros of the fraction are not written
        while (decimals > 0 && digits[skip] == '0')
            ++skip, --decimals;
        char text[40];
        char* q = text;
        if (value < 0)
            *q++ = '-';
        for (int i = n - 1; i >= decimals + skip; --i)
            *q++ = digits[i];
        if (n <= decimals + skip)
            *q++ = '0';
        if (decimals > 0) {
            *q++ = FormatSettings().DecimalSeparator;
            for (int i = decimals + skip - 1; i >= skip; --i)
                *q++ = i < n ? digits[i] : '0';
        }
        out.assign(text, static_cast<std::size_t>(q - text));
        return true;
    }
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (r.ec != std::errc())
        return false;
    const char* first = nullptr;
    const char* last = nullptr;
    char* point = nullptr;
    for (char* p = buf; p < r.ptr; ++p) {
        if (*p == '.')
            point = p;
        else if (*p >= '1' && *p <= '9') {
            if (!first)
                first = p;
            last = p;
        }
    }
    if (!first)
        return false;
    const long significant = (last - first + 1) - (point && point > first && point < last ? 1 : 0);
    if (significant > 15)
        return false;
    if (point)
        *point = FormatSettings().DecimalSeparator;
    out.assign(buf, static_cast<std::size_t>(r.ptr - buf));
    return true;
}

bool DayText(double day, char* buf)
{
    // 0001-01-01 and 9999-12-31 as day numbers (0 is 1899-12-30): four-digit years only.
    if (!(day >= -693593.0 && day <= 2958465.0) || day != std::trunc(day))
        return false;
    // Civil date from the count of days since 0000-03-01, in 400-year eras.
    const long z = static_cast<long>(day) + 693899;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
    if (y < 1 || y > 9999)
        return false;
    buf[0] = static_cast<char>('0' + y / 1000);
    buf[1] = static_cast<char>('0' + y / 100 % 10);
    buf[2] = static_cast<char>('0' + y / 10 % 10);
    buf[3] = static_cast<char>('0' + y % 10);
    buf[4] = '-';
    buf[5] = static_cast<char>('0' + m / 10);
    buf[6] = static_cast<char>('0' + m % 10);
    buf[7] = '-';
    buf[8] = static_cast<char>('0' + d / 10);
    buf[9] = static_cast<char>('0' + d % 10);
    buf[10] = '\0';
    return true;
}

} // namespace adobase

namespace {

constexpr Integer kMaxEntry = 65000;
constexpr Integer kBlobEntry = 10;

Integer QuotedBudget(Integer textBound)
{
    const Integer n = textBound > kMaxEntry ? kMaxEntry : textBound;
    return 2 * n + 2 + 1; // every byte a doubled quote, two enclosing quotes, separator
}

AnsiString EntryText(const Variant& value, DataTypeEnum type)
{
    if (VarIsNullOrEmpty(value))
        return {};
    char buf[32];
    switch (type) {
    case adDate:
    case adDBDate: {
        const double day = std::trunc(value.AsDateTime());
        if (adobase::DayText(day, buf))
            return AnsiString(buf, 10);
        return AnsiString(engine::PeekDateText(day, buf));
    }
    case adDBTimeStamp: {
        const double stamp = value.AsDateTime();
        if (adobase::DayText(stamp, buf))
            return AnsiString(buf, 10); // midnight: the date alone
        return AnsiString(engine::PeekDateText(stamp, buf));
    }
    default:
        break;
    }
    AnsiString text;
    if (value.VarType() == varDouble)
        return adobase::ShortFloatText(value.AsFloat(), text) ? text : FloatToStrRoundTrip(value.AsFloat());
    return VarToStr(value);
}

// Whether a cell's entry text is its plain rendering below, the same text EntryText gives for
// its Variant; not for kinds and types whose text needs the general converters.
bool PlainCell(const engine::CellPeek& cell, DataTypeEnum type)
{
    using engine::CellKind;
    const bool dateType = type == adDate || type == adDBDate || type == adDBTimeStamp;
    switch (cell.Kind) {
    case CellKind::Null:
        return true;
    case CellKind::Text:
    case CellKind::Boolean:
        return !dateType;
    case CellKind::Integer:
        // These types narrow the stored value into their own width first.
        return !(dateType || type == adTinyInt || type == adUnsignedTinyInt || type == adSmallInt ||
                 type == adUnsignedSmallInt || type == adUnsignedInt);
    case CellKind::Float:
        return !(dateType || type == adSingle);
    case CellKind::Date:
        return dateType;
    default:
        return false;
    }
}

// The entry text of a plain cell (PlainCell); text may point into buf (40 bytes), scratch or
// the store.
std::string_view PlainCellText(const engine::CellPeek& cell, DataTypeEnum type, char* buf,
                               AnsiString& scratch)
{
    using engine::CellKind;
    switch (cell.Kind) {
    case CellKind::Text:
        return cell.Text;
    case CellKind::Integer: {
        const auto r = std::to_chars(buf, buf + 40, cell.Int);
        return std::string_view(buf, static_cast<std::size_t>(r.ptr - buf));
    }
    case CellKind::Float:
        if (!adobase::ShortFloatText(cell.Real, scratch))
            scratch = FloatToStrRoundTrip(cell.Real);
        return scratch;
    case CellKind::Date: {
        const double value = type == adDate || type == adDBDate ? std::trunc(cell.Real) : cell.Real;
        return adobase::DayText(value, buf) ? std::string_view(buf, 10) : engine::PeekDateText(value, buf);
    }
    case CellKind::Boolean:
        return cell.Bool ? "-1" : "0";
    default:
        return {};
    }
}

} // namespace

// The mark goes only where there is content to fetch, so that a Null blob reads as Null.
bool TVRecords::BlobIsNull(const LineField& field, int col, bool direct, std::uint32_t row) const
{
    engine::CellPeek cell;
    if (direct && lineCursor_->PeekCellAt(col, row, cell))
        return cell.Kind == engine::CellKind::Null;
    return field.Field->ActualSize() == 0 && field.Field->Value().IsNull();
}

Integer TVRecords::CalcRecSize(const TFields& fields)
{
    RecSize = 0;
    budgets_.clear();
    rowBudgets_.clear();
    lineSource_ = nullptr;
    lineFields_.clear();
    if (!Active)
        return RecSize;
    BlobFields->Clear();
    const FieldsPtr adoFields = Recordset->Fields();
    const Integer count = adoFields->Count();
    for (Integer i = 0; i < count; ++i) {
        const FieldPtr f = adoFields->Item(i);
        const TField* field = fields.FindField(f->Name());
        Integer budget;
        if (field && field->IsBlob()) {
            BlobFields->Add(field->FieldName());
            budget = kBlobEntry + 1;
        } else {
            budget = QuotedBudget(adobase::FieldTextBound(f->Type(), f->DefinedSize()));
        }
        budgets_.push_back(budget);
        RecSize += budget;
    }
    return RecSize;
}

void TVRecords::PrepareLineFields(const FieldsPtr& adoFields)
{
    rowBudgets_.clear();
    lineFields_.clear();
    lineSource_ = adoFields;
    lineRecordset_ = Recordset;
    lineCursor_ = dynamic_cast<const engine::CellPeekView*>(Recordset.get());
    if (!adoFields)
        return;
    const Integer count = adoFields->Count();
    lineFields_.reserve(static_cast<std::size_t>(count));
    for (Integer i = 0; i < count; ++i) {
        LineField lf;
        lf.Field = adoFields->Item(i);
        lf.Name = lf.Field->Name();
        lf.Type = lf.Field->Type();
        lf.Blob = BlobFields->IndexOf(lf.Name) >= 0;
        lineFields_.push_back(std::move(lf));
    }
    lineBlobCount_ = BlobFields->Count();
}

namespace adobase {

void RecordLineWriter::Add(const AnsiString& fieldName, std::string_view text)
{
    // One pass finds both a zero byte and whether the entry needs quotes, for every cell of
    // every record loaded.
    bool quote = text.empty();
    bool zero = false;
    for (char c : text) {
        if (internal::ForcesQuotes(c)) {
            quote = true;
            zero = zero || c == '\0';
        }
    }
    if (zero)
        throw EDatabaseError("Field '" + fieldName + "' holds a zero byte, which a record line cannot carry");
    const size_t before = line_.size();
    if (count_ > 0)
        line_ += ',';
    if (quote)
        internal::AppendQuoted(line_, text);
    else
        line_ += text;
    // The entry and its separator (for the first, the terminator's byte) within its own share.
    const size_t used = line_.size() - before + (count_ == 0 ? 1 : 0);
    if (count_ < budgets_.size() && used > static_cast<size_t>(budgets_[count_])) {
        throw EDatabaseError("Value of field '" + fieldName + "' (" + std::to_string(text.size()) +
                             " characters) does not fit its record entry of " +
                             std::to_string(budgets_[count_]) + " bytes");
    }
    ++count_;
}

void RecordLineWriter::Write(char* buffer) const
{
    if (static_cast<Integer>(line_.size()) + 1 > recSize_) {
        throw EDatabaseError("Record line of " + std::to_string(line_.size()) +
                             " bytes does not fit the text area of " + std::to_string(recSize_) + " bytes");
    }
    std::memcpy(buffer, line_.data(), line_.size());
    buffer[line_.size()] = '\0';
}

} // namespace adobase

Integer TVRecords::LineFieldCount()
{
    const FieldsPtr adoFields = Active ? Recordset->Fields() : nullptr;
    const Integer count = adoFields ? adoFields->Count() : 0;
    // Names, types and blob marks are the same for every record of an open: looked up once.
    if (adoFields != lineSource_ || Recordset != lineRecordset_ ||
        static_cast<Integer>(lineFields_.size()) != count || BlobFields->Count() != lineBlobCount_)
        PrepareLineFields(adoFields);
    return count;
}

void TVRecords::LoadRecord(char* buffer, bool blank)
{
    if (RecSize <= 0) {
        throw EDatabaseError("Record buffer has no text area: CalcRecSize was not called for " +
                             (Source.empty() ? AnsiString("the recordset") : Source));
    }
    const bool onRecord = !blank && GetOkRec();
    LineFieldCount();
    // The engine's cursor is asked once per record for its row; its cells are then read directly.
    std::uint32_t row = 0;
    const bool direct =
        onRecord && lineCursor_ && Recordset->EditMode() == adEditNone && lineCursor_->PeekRow(row);
    WriteLine(buffer, onRecord, direct, row);
}

void TVRecords::WriteLine(char* buffer, bool onRecord, bool direct, std::uint32_t row)
{
    // One line storage per thread, so that its capacity outlives the record.
    thread_local AnsiString lineStorage;
    adobase::RecordLineWriter writer(budgets_, RecSize, &lineStorage);
    char buf[40];
    AnsiString scratch;
    engine::CellPeek cell;
    const auto count = static_cast<Integer>(lineFields_.size());
    for (Integer i = 0; i < count; ++i) {
        const LineField& lf = lineFields_[static_cast<std::size_t>(i)];
        if (lf.Blob)
            writer.Add(lf.Name, onRecord && !BlobIsNull(lf, static_cast<int>(i), direct, row)
                                    ? std::string_view("(Blob)")
                                    : std::string_view());
        else if (!onRecord)
            writer.Add(lf.Name, {});
        else if (direct && lineCursor_->PeekCellAt(static_cast<int>(i), row, cell) &&
                 PlainCell(cell, lf.Type))
            writer.Add(lf.Name, PlainCellText(cell, lf.Type, buf, scratch));
        else
            writer.Add(lf.Name, EntryText(direct ? lineCursor_->PeekValueAt(static_cast<int>(i), row)
                                                 : lf.Field->Value(),
                                          lf.Type));
    }
    writer.Write(buffer); // all or nothing: the buffer is written only once the line is known to fit
}

void TVRecords::CheckStore(std::uint32_t store) const
{
    if (!Active || !lineCursor_ || Recordset != lineRecordset_ || lineCursor_->PeekStore() != store)
        throw EDatabaseError("A record buffer still refers to a row of an earlier open of " +
                             (Source.empty() ? AnsiString("the recordset") : Source) +
                             "; the dataset has to be refreshed before it is read");
}

bool TVRecords::DirectRow(std::uint32_t& row, std::uint32_t& store)
{
    if (!Active || RecSize <= 0 || !GetOkRec())
        return false;
    const Integer count = LineFieldCount();
    if (!lineCursor_ || Recordset->EditMode() != adEditNone || !lineCursor_->PeekRow(row))
        return false;
    // Blobs have no share of the line to fit: their budgets go as negative.
    if (static_cast<Integer>(rowBudgets_.size()) != count) {
        rowBudgets_.resize(static_cast<std::size_t>(count));
        for (Integer i = 0; i < count; ++i)
            rowBudgets_[static_cast<std::size_t>(i)] =
                lineFields_[static_cast<std::size_t>(i)].Blob ? -1 : budgets_[static_cast<std::size_t>(i)];
    }
    if (!lineCursor_->PeekRowFits(row, rowBudgets_.data(), static_cast<int>(count)))
        return false;
    store = lineCursor_->PeekStore();
    return true;
}

bool TVRecords::PeekCell(Integer col, std::uint32_t row, std::uint32_t store, engine::CellPeek& out) const
{
    CheckStore(store);
    if (col < 0 || col >= static_cast<Integer>(lineFields_.size()))
        return false;
    const LineField& lf = lineFields_[static_cast<std::size_t>(col)];
    return !lf.Blob && lineCursor_->PeekCellAt(static_cast<int>(col), row, out) && PlainCell(out, lf.Type);
}

bool TVRecords::PeekBlobText(Integer col, std::uint32_t row, std::uint32_t store, std::string_view& text,
                             bool& isNull) const
{
    CheckStore(store);
    if (col < 0 || col >= static_cast<Integer>(lineFields_.size()) ||
        !lineFields_[static_cast<std::size_t>(col)].Blob)
        return false;
    engine::CellPeek cell;
    if (!lineCursor_->PeekCellAt(static_cast<int>(col), row, cell))
        return false;
    isNull = cell.Kind == engine::CellKind::Null;
    if (isNull) {
        text = {};
        return true;
    }
    if (cell.Kind != engine::CellKind::Text)
        return false;
    text = cell.Text;
    return true;
}

void TVRecords::EntryTextAt(Integer col, std::uint32_t row, std::uint32_t store, char* buf,
                            AnsiString& scratch, std::string_view& text) const
{
    CheckStore(store);
    text = {};
    if (col < 0 || col >= static_cast<Integer>(lineFields_.size()))
        return;
    const LineField& lf = lineFields_[static_cast<std::size_t>(col)];
    engine::CellPeek cell;
    if (lf.Blob) {
        if (!BlobIsNull(lf, static_cast<int>(col), true, row))
            text = "(Blob)";
    } else if (lineCursor_->PeekCellAt(static_cast<int>(col), row, cell) && PlainCell(cell, lf.Type)) {
        text = PlainCellText(cell, lf.Type, buf, scratch);
    } else {
        scratch = EntryText(lineCursor_->PeekValueAt(static_cast<int>(col), row), lf.Type);
        text = scratch;
    }
}

bool TVRecords::IsOnRow(std::uint32_t row, std::uint32_t store) const
{
    std::uint32_t current = 0;
    return Active && lineCursor_ && Recordset == lineRecordset_ && lineCursor_->PeekStore() == store &&
           Recordset->EditMode() == adEditNone && lineCursor_->PeekRow(current) && current == row;
}

void TVRecords::LoadRecordAt(char* buffer, std::uint32_t row, std::uint32_t store)
{
    if (RecSize <= 0) {
        throw EDatabaseError("Record buffer has no text area: CalcRecSize was not called for " +
                             (Source.empty() ? AnsiString("the recordset") : Source));
    }
    LineFieldCount();
    CheckStore(store);
    WriteLine(buffer, true, true, row);
}

} // namespace vmado
