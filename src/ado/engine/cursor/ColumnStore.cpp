// Typed column storage: appends with kind conversion at load, in-place sets on edit.
#include "ado/engine/cursor/ColumnStore.h"

#include "ado/engine/internal/IsoDate.h"
#include "framework/rtl/CodePage.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vmado::engine {

namespace {

// DefinedSize counts characters. The byte length bounds them, so text is counted only when its
// bytes exceed the longest seen so far (and counting matters only in UTF-8).
void NoteLength(std::size_t& longest, std::string_view value, bool text)
{
    if (value.size() <= longest)
        return;
    const std::size_t length = text ? static_cast<std::size_t>(AnsiCharCount(value)) : value.size();
    if (length > longest)
        longest = length;
}

bool ParseInt(std::string_view s, Int64& out)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size() && !s.empty();
}

bool ParseReal(std::string_view s, double& out)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size() && !s.empty();
}

AnsiString RealText(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    // Prefer the shortest text that reads back exactly.
    for (int digits = 15; digits <= 17; ++digits) {
        char shorter[40];
        std::snprintf(shorter, sizeof shorter, "%.*g", digits, v);
        if (std::strtod(shorter, nullptr) == v)
            return shorter;
    }
    return buf;
}

// Whether every value from lo to hi fits an integer type's own width.
bool TypeHolds(DataTypeEnum type, Int64 lo, Int64 hi)
{
    switch (type) {
    case adTinyInt:
        return lo >= -128 && hi <= 127;
    case adUnsignedTinyInt:
        return lo >= 0 && hi <= 255;
    case adSmallInt:
        return lo >= -32768 && hi <= 32767;
    case adUnsignedSmallInt:
        return lo >= 0 && hi <= 65535;
    case adInteger:
        return lo >= INT_MIN && hi <= INT_MAX;
    case adUnsignedInt:
        return lo >= 0 && hi <= static_cast<Int64>(UINT_MAX);
    default:
        return true;
    }
}

AnsiString CurrencyText(Int64 raw)
{
    const bool negative = raw < 0;
    const unsigned long long magnitude =
        negative ? 0ULL - static_cast<unsigned long long>(raw) : static_cast<unsigned long long>(raw);
    AnsiString s = std::to_string(magnitude / 10000);
    unsigned long long frac = magnitude % 10000;
    if (frac) {
        char buf[8];
        std::snprintf(buf, sizeof buf, ".%04llu", frac);
        s += buf;
        while (s.back() == '0')
            s.pop_back();
    }
    return negative ? "-" + s : s;
}

} // namespace

Column::Column(ColumnMeta meta) : meta_(std::move(meta))
{
    undecided_ = meta_.KindFromData;
}

void Column::SetNullBit(std::uint32_t row, bool isNull)
{
    const std::uint64_t bit = std::uint64_t{1} << (row & 63);
    if (isNull)
        nulls_[row >> 6] |= bit;
    else
        nulls_[row >> 6] &= ~bit;
}

void Column::Grow()
{
    const std::uint32_t row = size_;
    if ((row >> 6) >= nulls_.size())
        nulls_.push_back(0);
    if (undecided_)
        return;
    switch (meta_.Kind) {
    case ValueKind::Integer:
    case ValueKind::Currency:
        ints_.push_back(0);
        break;
    case ValueKind::Float:
    case ValueKind::Date:
        reals_.push_back(0);
        break;
    case ValueKind::Boolean:
        bools_.push_back(0);
        break;
    case ValueKind::Text:
    case ValueKind::Bytes:
        refs_.push_back(0);
        break;
    case ValueKind::Null:
        break;
    }
}

void Column::StoreText(std::uint32_t row, std::string_view text)
{
    if (text.size() > UINT32_MAX)
        throw EOleException("Value of field '" + meta_.Name + "' is too large to hold", "vmado.Cursor");
    // An unchanged length in the arena rewrites in place; otherwise the bytes go to its end.
    if (row < size_ && !(refs_[row] >> 63) && text.size() > 7) {
        const std::string_view current = TextAt(row);
        if (current.size() == text.size()) {
            std::memmove(const_cast<char*>(current.data()), text.data(), text.size());
            return;
        }
    }
    refs_[row] = PlaceText(text);
    NoteLength(maxLength_, text, meta_.Kind == ValueKind::Text);
}

void Column::Decide(ValueKind kind)
{
    undecided_ = false;
    meta_.Kind = kind;
    switch (kind) {
    case ValueKind::Integer:
        meta_.Type = adBigInt, meta_.DefinedSize = 8;
        break;
    case ValueKind::Float:
        meta_.Type = adDouble, meta_.DefinedSize = 8;
        break;
    case ValueKind::Currency:
        meta_.Type = adCurrency, meta_.DefinedSize = 8;
        break;
    case ValueKind::Date:
        meta_.Type = adDBTimeStamp, meta_.DefinedSize = 16;
        break;
    case ValueKind::Boolean:
        meta_.Type = adBoolean, meta_.DefinedSize = 2;
        break;
    case ValueKind::Bytes:
        meta_.Type = adLongVarBinary, meta_.DefinedSize = INT_MAX, meta_.Long = true;
        break;
    default:
        meta_.Kind = ValueKind::Text, meta_.Type = adVarChar, meta_.DefinedSize = 0;
        break;
    }
    // Every row so far is Null: give them zeroed slots of the new kind.
    switch (meta_.Kind) {
    case ValueKind::Integer:
    case ValueKind::Currency:
        ints_.assign(size_, 0);
        break;
    case ValueKind::Float:
    case ValueKind::Date:
        reals_.assign(size_, 0);
        break;
    case ValueKind::Boolean:
        bools_.assign(size_, 0);
        break;
    default:
        refs_.assign(size_, 0);
        break;
    }
}

AnsiString Column::RenderText(std::uint32_t row) const
{
    switch (meta_.Kind) {
    case ValueKind::Integer:
        return std::to_string(ints_[row]);
    case ValueKind::Currency:
        return CurrencyText(ints_[row]);
    case ValueKind::Float:
        return RealText(reals_[row]);
    case ValueKind::Date:
        return FormatIsoDateTime(reals_[row], meta_.Type == adDBDate   ? adDBDate
                                              : meta_.Type == adDBTime ? adDBTime
                                                                       : adDBTimeStamp);
    case ValueKind::Boolean:
        return bools_[row] ? "1" : "0";
    default:
        return AnsiString(TextAt(row));
    }
}

void Column::Promote(ValueKind to)
{
    if (to == ValueKind::Float && meta_.Kind == ValueKind::Integer) {
        reals_.resize(size_);
        for (std::uint32_t r = 0; r < size_; ++r)
            reals_[r] = static_cast<double>(ints_[r]);
        ints_ = {};
        meta_.Kind = ValueKind::Float;
        meta_.Type = adDouble;
        meta_.DefinedSize = 8;
        return;
    }
    // Anything to text: SQLite let a value of another type into the column; keep it whole.
    std::vector<AnsiString> texts(size_);
    for (std::uint32_t r = 0; r < size_; ++r)
        if (!IsNull(r))
            texts[r] = RenderText(r);
    const bool bytes = meta_.Kind == ValueKind::Bytes;
    ints_ = {};
    reals_ = {};
    bools_ = {};
    if (!bytes) {
        refs_.assign(size_, 0);
        arena_.clear();
    }
    meta_.Kind = ValueKind::Text;
    meta_.Type = meta_.Long ? adLongVarChar : adVarChar;
    meta_.DefinedSize = meta_.Long ? INT_MAX : 0;
    if (!bytes)
        for (std::uint32_t r = 0; r < size_; ++r)
            if (!IsNull(r))
                StoreText(r, texts[r]);
}

std::uint64_t Column::PlaceText(std::string_view text)
{
    const std::size_t n = text.size();
    if (n <= 7) {
        // Fixed-size loads (the two halves may overlap) rather than a call to memcpy: short
        // codes and names are much of what a result holds.
        const char* p = text.data();
        std::uint64_t ref = 0;
        if (n >= 4) {
            std::uint32_t head, tail;
            std::memcpy(&head, p, 4);
            std::memcpy(&tail, p + n - 4, 4);
            ref = head | (std::uint64_t{tail} << ((n - 4) * 8));
        } else if (n > 0) {
            ref = static_cast<unsigned char>(p[0]) |
                  std::uint64_t{static_cast<unsigned char>(p[n / 2])} << (n / 2 * 8) |
                  std::uint64_t{static_cast<unsigned char>(p[n - 1])} << ((n - 1) * 8);
        }
        return ref | ((std::uint64_t{0x80} | n) << 56);
    }
    const std::size_t at = arena_.size();
    if (at > kOffsetMask)
        throw EOleException("Column '" + meta_.Name + "' holds more text than the recordset can address",
                            "vmado.Cursor");
    const bool longText = text.size() >= kLongLength;
    const std::size_t prefix = longText ? sizeof(std::uint32_t) : 0;
    char* to = arena_.extend(prefix + text.size());
    if (longText) {
        const auto length = static_cast<std::uint32_t>(text.size());
        std::memcpy(to, &length, sizeof length);
    }
    std::memcpy(to + prefix, text.data(), text.size());
    return at | (std::uint64_t{longText ? kLongLength : text.size()} << 40);
}

void Column::Append(const CellRef& cell)
{
    // The common case, a value of the column's own kind: one push per array.
    if (cell.Kind == meta_.Kind && !undecided_) {
        const std::uint32_t row = size_;
        if ((row >> 6) >= nulls_.size())
            nulls_.push_back(0);
        switch (meta_.Kind) {
        case ValueKind::Integer:
            ints_.push_back(cell.I);
            if (cell.I < minInt_)
                minInt_ = cell.I;
            if (cell.I > maxInt_)
                maxInt_ = cell.I;
            break;
        case ValueKind::Currency:
            ints_.push_back(cell.Cur);
            break;
        case ValueKind::Float:
        case ValueKind::Date:
            reals_.push_back(cell.F);
            break;
        case ValueKind::Boolean:
            bools_.push_back(cell.B ? 1 : 0);
            break;
        case ValueKind::Text:
        case ValueKind::Bytes:
            if (cell.Text.size() > UINT32_MAX)
                throw EOleException("Value of field '" + meta_.Name + "' is too large to hold",
                                    "vmado.Cursor");
            refs_.push_back(PlaceText(cell.Text));
            NoteLength(maxLength_, cell.Text, cell.Kind == ValueKind::Text);
            if (!cell.Stored.empty() && meta_.Kind == ValueKind::Text)
                stored_.emplace(row, std::make_pair(std::string(cell.Text), std::string(cell.Stored)));
            break;
        case ValueKind::Null:
            break;
        }
        ++size_;
        return;
    }
    if (undecided_ && cell.Kind != ValueKind::Null)
        Decide(cell.Kind);
    const std::uint32_t row = size_;
    Grow();
    ++size_;
    if (cell.Kind == ValueKind::Null) {
        SetNullBit(row, true);
        return;
    }
    SetNullBit(row, false);
    // Let the column change kind first when the cell cannot be held by the current kind.
    const ValueKind want = meta_.Kind;
    if (cell.Kind != want) {
        bool fits = true;
        Int64 i = 0;
        double f = 0;
        switch (want) {
        case ValueKind::Integer:
            if (cell.Kind == ValueKind::Float)
                fits = false; // SQLite stored a real: keep the fraction
            else if (cell.Kind == ValueKind::Text)
                fits =
                    ParseInt(cell.Text, i) || (ParseReal(cell.Text, f) && (Promote(ValueKind::Float), false));
            else if (cell.Kind != ValueKind::Boolean && cell.Kind != ValueKind::Currency)
                fits = false;
            if (!fits && meta_.Kind == ValueKind::Integer) {
                if (cell.Kind == ValueKind::Float || cell.Kind == ValueKind::Date)
                    Promote(ValueKind::Float);
                else
                    Promote(ValueKind::Text);
            }
            break;
        case ValueKind::Float:
        case ValueKind::Currency:
        case ValueKind::Date:
            if (cell.Kind == ValueKind::Text && !ParseReal(cell.Text, f))
                Promote(ValueKind::Text);
            else if (cell.Kind == ValueKind::Bytes)
                Promote(ValueKind::Text);
            break;
        case ValueKind::Boolean:
            if (cell.Kind == ValueKind::Text &&
                !(ParseInt(cell.Text, i) || cell.Text == "true" || cell.Text == "false" ||
                  cell.Text == "TRUE" || cell.Text == "FALSE"))
                Promote(ValueKind::Text);
            else if (cell.Kind == ValueKind::Bytes || cell.Kind == ValueKind::Date)
                Promote(ValueKind::Text);
            break;
        default:
            break;
        }
    }
    switch (meta_.Kind) {
    case ValueKind::Integer: {
        Int64 v = 0;
        switch (cell.Kind) {
        case ValueKind::Integer:
            v = cell.I;
            break;
        case ValueKind::Boolean:
            v = cell.B ? 1 : 0;
            break;
        case ValueKind::Currency:
            v = cell.Cur / 10000;
            break;
        case ValueKind::Text:
            ParseInt(cell.Text, v);
            break;
        default:
            v = static_cast<Int64>(cell.F);
            break;
        }
        ints_[row] = v;
        if (v < minInt_)
            minInt_ = v;
        if (v > maxInt_)
            maxInt_ = v;
        break;
    }
    case ValueKind::Currency: {
        Int64 v = 0;
        double f = 0;
        switch (cell.Kind) {
        case ValueKind::Currency:
            v = cell.Cur;
            break;
        case ValueKind::Integer:
            v = cell.I * 10000;
            break;
        case ValueKind::Boolean:
            v = cell.B ? 10000 : 0;
            break;
        case ValueKind::Text:
            ParseReal(cell.Text, f);
            v = std::llround(f * 10000.0);
            break;
        default:
            v = std::llround(cell.F * 10000.0);
            break;
        }
        ints_[row] = v;
        break;
    }
    case ValueKind::Float:
    case ValueKind::Date: {
        double v = 0;
        switch (cell.Kind) {
        case ValueKind::Integer:
            v = static_cast<double>(cell.I);
            break;
        case ValueKind::Boolean:
            v = cell.B ? 1 : 0;
            break;
        case ValueKind::Currency:
            v = static_cast<double>(cell.Cur) / 10000.0;
            break;
        case ValueKind::Text:
            ParseReal(cell.Text, v);
            break;
        default:
            v = cell.F;
            break;
        }
        reals_[row] = v;
        break;
    }
    case ValueKind::Boolean: {
        bool v = false;
        switch (cell.Kind) {
        case ValueKind::Boolean:
            v = cell.B;
            break;
        case ValueKind::Integer:
            v = cell.I != 0;
            break;
        case ValueKind::Currency:
            v = cell.Cur != 0;
            break;
        case ValueKind::Text: {
            Int64 i = 0;
            v = ParseInt(cell.Text, i) ? i != 0 : (cell.Text == "true" || cell.Text == "TRUE");
            break;
        }
        default:
            v = cell.F != 0;
            break;
        }
        bools_[row] = v ? 1 : 0;
        break;
    }
    default: {
        if (cell.Kind == ValueKind::Text || cell.Kind == ValueKind::Bytes) {
            StoreText(row, cell.Text);
            if (!cell.Stored.empty() && cell.Kind == ValueKind::Text)
                stored_.emplace(row, std::make_pair(std::string(cell.Text), std::string(cell.Stored)));
        } else {
            // A number or date in a text column: hold its text form.
            CellRef copy = cell;
            AnsiString text;
            switch (cell.Kind) {
            case ValueKind::Integer:
                text = std::to_string(copy.I);
                break;
            case ValueKind::Currency:
                text = CurrencyText(copy.Cur);
                break;
            case ValueKind::Boolean:
                text = copy.B ? "1" : "0";
                break;
            case ValueKind::Date:
                text = FormatIsoDateTime(copy.F, adDBTimeStamp);
                break;
            default:
                text = RealText(copy.F);
                break;
            }
            StoreText(row, text);
        }
        break;
    }
    }
}

void Column::Set(std::uint32_t row, const CellRef& cell)
{
    if (cell.Kind == ValueKind::Null) {
        SetNullBit(row, true);
        return;
    }
    SetNullBit(row, false);
    switch (meta_.Kind) {
    case ValueKind::Integer:
        ints_[row] = cell.I;
        break;
    case ValueKind::Currency:
        ints_[row] = cell.Cur;
        break;
    case ValueKind::Float:
    case ValueKind::Date:
        reals_[row] = cell.F;
        break;
    case ValueKind::Boolean:
        bools_[row] = cell.B ? 1 : 0;
        break;
    case ValueKind::Text:
    case ValueKind::Bytes:
        StoreText(row, cell.Text);
        break;
    case ValueKind::Null:
        break;
    }
}

CellRef Column::Get(std::uint32_t row) const
{
    CellRef c;
    if (undecided_ || IsNull(row))
        return c;
    c.Kind = meta_.Kind;
    switch (meta_.Kind) {
    case ValueKind::Integer:
        c.I = ints_[row];
        break;
    case ValueKind::Currency:
        c.Cur = ints_[row];
        break;
    case ValueKind::Float:
    case ValueKind::Date:
        c.F = reals_[row];
        break;
    case ValueKind::Boolean:
        c.B = bools_[row] != 0;
        break;
    case ValueKind::Text:
    case ValueKind::Bytes:
        c.Text = TextAt(row);
        if (!stored_.empty())
            c.Stored = StoredFor(row, c.Text);
        break;
    case ValueKind::Null:
        break;
    }
    return c;
}

std::string_view Column::StoredFor(std::uint32_t row, std::string_view text) const
{
    const auto it = stored_.find(row);
    if (it == stored_.end() || it->second.first != text)
        return {};
    return it->second.second;
}

void Column::Finish()
{
    if (undecided_) {
        // No value at all: a text column with room for an ordinary value.
        undecided_ = false;
        Decide(ValueKind::Text);
    }
    if (meta_.Kind == ValueKind::Integer) {
        const bool fitsInt32 = minInt_ >= INT_MIN && maxInt_ <= INT_MAX;
        if (meta_.KindFromData && fitsInt32) {
            meta_.Type = adInteger;
            meta_.DefinedSize = 4;
        } else if (!TypeHolds(meta_.Type, minInt_, maxInt_)) {
            // SQLite keeps whatever integer it is given, whatever the declared width: a column
            // holding wider values than its name promises is reported as wide as they are.
            const bool fitsInt16 = minInt_ >= -32768 && maxInt_ <= 32767;
            meta_.Type = fitsInt16 ? adSmallInt : fitsInt32 ? adInteger : adBigInt;
            meta_.DefinedSize = fitsInt16 ? 2 : fitsInt32 ? 4 : 8;
        }
    }
    if ((meta_.Kind == ValueKind::Text || meta_.Kind == ValueKind::Bytes) && meta_.DefinedSize == 0) {
        // The database sets no length (SQLite's TEXT): report room for an ordinary value or the
        // longest one held, and accept longer values on edit, as the database does.
        meta_.Unbounded = true;
        meta_.DefinedSize =
            static_cast<Integer>(std::min<std::size_t>(std::max<std::size_t>(maxLength_, 255), INT_MAX));
    }
    if (meta_.Kind == ValueKind::Text && static_cast<std::size_t>(meta_.DefinedSize) < maxLength_ &&
        !meta_.Long)
        meta_.DefinedSize = static_cast<Integer>(std::min<std::size_t>(maxLength_, INT_MAX));
}

std::size_t Column::MemoryBytes() const
{
    return nulls_.capacity() * 8 + ints_.capacity() * 8 + reals_.capacity() * 8 + bools_.capacity() +
           refs_.capacity() * 8 + arena_.capacity();
}

} // namespace vmado::engine
