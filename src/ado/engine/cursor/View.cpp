// The view: the row ids that pass the filter, in fetch order, then stably sorted by the sort
// keys. A record being added stays at the end of the view until it is saved or cancelled.
#include "ado/engine/cursor/RecordsetImpl.h"
#include "ado/engine/cursor/StoreRowPrivate.h"

#include "ado/engine/internal/Text.h"

#include <algorithm>
#include <cstring>

namespace vmado::engine {

namespace {

// Nulls sort first; text and bytes compare byte by byte, as the databases' ORDER BY does.
inline int CompareRows(const Column& c, std::uint32_t a, std::uint32_t b)
{
    const bool na = c.IsNull(a), nb = c.IsNull(b);
    if (na || nb)
        return na == nb ? 0 : (na ? -1 : 1);
    switch (c.Kind()) {
    case ValueKind::Integer:
    case ValueKind::Currency: {
        const Int64 x = c.IntAt(a), y = c.IntAt(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case ValueKind::Float:
    case ValueKind::Date: {
        const double x = c.RealAt(a), y = c.RealAt(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case ValueKind::Boolean:
        return static_cast<int>(c.BoolAt(a)) - static_cast<int>(c.BoolAt(b));
    case ValueKind::Text:
    case ValueKind::Bytes: {
        const std::string_view x = c.TextAt(a), y = c.TextAt(b);
        const int r = std::memcmp(x.data(), y.data(), std::min(x.size(), y.size()));
        if (r)
            return r;
        return x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
    }
    default:
        return 0;
    }
}

// Splits "A ASC, [B C] DESC" into (name, descending) items.
std::vector<std::pair<AnsiString, bool>> ParseSort(std::string_view text)
{
    std::vector<std::pair<AnsiString, bool>> items;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        while (i < n && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i >= n)
            break;
        AnsiString name;
        if (text[i] == '[' || text[i] == '"' || text[i] == '`') {
            const char close = text[i] == '[' ? ']' : text[i];
            const std::size_t openAt = i++;
            const std::size_t end = text.find(close, i);
            if (end == std::string_view::npos)
                throw EOleException("Sort text '" + AnsiString(text) +
                                        "' is malformed: the name opened at position " +
                                        std::to_string(openAt + 1) + " is not closed",
                                    "vmado.Cursor");
            name = AnsiString(text.substr(i, end - i));
            i = end + 1;
        }
        std::size_t itemEnd = text.find(',', i);
        if (itemEnd == std::string_view::npos)
            itemEnd = n;
        AnsiString rest = Trim(text.substr(i, itemEnd - i));
        bool descending = false;
        auto endsWithWord = [&](const char* word) {
            const std::size_t len = std::strlen(word);
            if (rest.size() < len ||
                !EqualsIgnoreCase(std::string_view(rest).substr(rest.size() - len), word))
                return false;
            if (rest.size() > len && rest[rest.size() - len - 1] != ' ')
                return false;
            return name.empty() ? rest.size() > len : true;
        };
        if (endsWithWord("DESC")) {
            descending = true;
            rest = Trim(std::string_view(rest).substr(0, rest.size() - 4));
        } else if (endsWithWord("ASC")) {
            rest = Trim(std::string_view(rest).substr(0, rest.size() - 3));
        }
        if (name.empty())
            name = rest;
        else if (!rest.empty())
            throw EOleException("Sort text '" + AnsiString(text) + "' is malformed near '" + rest + "'",
                                "vmado.Cursor");
        if (name.empty())
            throw EOleException("Sort text '" + AnsiString(text) + "' is malformed: a field name is missing",
                                "vmado.Cursor");
        items.emplace_back(std::move(name), descending);
        i = itemEnd + 1;
    }
    return items;
}

} // namespace

std::vector<ColumnInfo> RecordsetImpl::ColumnInfos() const
{
    std::vector<ColumnInfo> infos;
    infos.reserve(columns_.size());
    for (const auto& c : columns_)
        infos.push_back({c.Meta().Name, c.Kind()});
    return infos;
}

int RecordsetImpl::ColumnIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (EqualsIgnoreCase(columns_[i].Meta().Name, name))
            return static_cast<int>(i);
    return -1;
}

bool RecordsetImpl::RowVisible(std::uint32_t row) const
{
    const std::uint8_t f = flags_[row];
    if (f & (rfGone | rfAdding))
        return false;
    switch (filterGroup_) {
    case adFilterPendingRecords:
    case adFilterAffectedRecords:
        return (f & (rfNew | rfModified | rfPendingDelete)) != 0;
    case adFilterConflictingRecords:
        return false;
    default:
        break;
    }
    return (f & rfPendingDelete) == 0;
}

void RecordsetImpl::RebuildView(std::optional<std::uint32_t> keepRow)
{
    view_.clear();
    const auto rows = static_cast<std::uint32_t>(flags_.size());
    view_.reserve(rows);
    if (filterExpr_) {
        StoreRow reader(columns_);
        const CompiledExpression& expression = *filterExpr_;
        for (std::uint32_t r = 0; r < rows; ++r) {
            if (!RowVisible(r))
                continue;
            reader.Point(r);
            if (expression.Matches(reader))
                view_.push_back(r);
        }
    } else {
        for (std::uint32_t r = 0; r < rows; ++r)
            if (RowVisible(r))
                view_.push_back(r);
    }
    SortView();
    if (editMode_ == adEditAdd)
        view_.push_back(editRow_);
    view_.shrink_to_fit();
    posValid_ = false;
    deletedCurrent_.reset();
    long pos = 0;
    if (keepRow) {
        const long at = PositionOf(*keepRow);
        if (at >= 0)
            pos = at;
    }
    pos_ = pos;
}

namespace {

// The length byte of a text key: this and more means the key holds only a prefix.
constexpr std::size_t LongText = 8;

// A sort key's value as an unsigned number in the same order as CompareRows, or a prefix of it:
// integers with the sign bit flipped, doubles by their bits (negatives inverted), Booleans as
// 0/1, text and bytes by their first seven bytes, big-endian, then their length capped at eight.
// A text shorter than eight bytes is thus wholly in its key, so equal keys mean equal texts and
// the sort never has to reach into the column store for them, which at millions of rows would be
// a cache miss per comparison. Null is 0, which a value may share (the smallest integer, an empty
// text): equal keys of 0, and equal keys of long texts, are settled by the full comparison.
inline std::uint64_t OrderedKey(const Column& c, std::uint32_t row)
{
    if (c.IsNull(row))
        return 0;
    switch (c.Kind()) {
    case ValueKind::Integer:
    case ValueKind::Currency:
        return static_cast<std::uint64_t>(c.IntAt(row)) ^ (std::uint64_t{1} << 63);
    case ValueKind::Float:
    case ValueKind::Date: {
        const double v = c.RealAt(row) == 0 ? 0.0 : c.RealAt(row); // -0 sorts with 0
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return (bits >> 63) ? ~bits : bits | (std::uint64_t{1} << 63);
    }
    case ValueKind::Boolean:
        return c.BoolAt(row) ? 2 : 1;
    case ValueKind::Text:
    case ValueKind::Bytes: {
        const std::string_view t = c.TextAt(row);
        std::uint64_t key = 0;
        for (std::size_t i = 0; i < 7; ++i)
            key = (key << 8) | (i < t.size() ? static_cast<unsigned char>(t[i]) : 0u);
        return (key << 8) | std::min<std::size_t>(t.size(), LongText);
    }
    default:
        return 0;
    }
}

} // namespace

namespace {

struct KeySpec {
    const Column* Col;
    bool Descending;
    bool Text; // a key of text or bytes: exact only below LongText bytes
};

// Whether two equal keys of this spec mean two equal values.
inline bool Settles(const KeySpec& spec, std::uint64_t key)
{
    return key != 0 && (!spec.Text || (key & 0xFF) < LongText);
}

// Orders two view positions by their extracted keys ka and kb, the full comparison settling what
// the keys cannot; the position last, which keeps the order of equal rows. The rows are looked up
// only when a comparison needs them.
inline bool KeysBefore(const std::vector<KeySpec>& specs, const std::vector<std::uint32_t>& view,
                       const std::uint64_t* ka, const std::uint64_t* kb, std::uint32_t a, std::uint32_t b)
{
    for (std::size_t k = 0; k < specs.size(); ++k) {
        int r = 0;
        if (ka[k] != kb[k])
            r = ka[k] < kb[k] ? -1 : 1;
        else if (!Settles(specs[k], ka[k]))
            r = CompareRows(*specs[k].Col, view[a], view[b]);
        if (r)
            return specs[k].Descending ? r > 0 : r < 0;
    }
    return a < b;
}

// Few keys: each entry carries its keys, so the sort moves them along and reads nothing else.
template <std::size_t N> void SortByKeys(std::vector<std::uint32_t>& view, const std::vector<KeySpec>& specs)
{
    struct Entry {
        std::uint64_t Key[N];
        std::uint32_t Pos;
    };
    std::vector<Entry> entries(view.size());
    for (std::size_t i = 0; i < view.size(); ++i) {
        for (std::size_t k = 0; k < N; ++k)
            entries[i].Key[k] = OrderedKey(*specs[k].Col, view[i]);
        entries[i].Pos = static_cast<std::uint32_t>(i);
    }
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        return KeysBefore(specs, view, a.Key, b.Key, a.Pos, b.Pos);
    });
    std::vector<std::uint32_t> sorted(view.size());
    for (std::size_t i = 0; i < view.size(); ++i)
        sorted[i] = view[entries[i].Pos];
    view.swap(sorted);
}

// Any number of keys: one flat array of them, and the positions sorted.
void SortByManyKeys(std::vector<std::uint32_t>& view, const std::vector<KeySpec>& specs)
{
    const std::size_t keys = specs.size();
    std::vector<std::uint64_t> flat(view.size() * keys);
    for (std::size_t i = 0; i < view.size(); ++i)
        for (std::size_t k = 0; k < keys; ++k)
            flat[i * keys + k] = OrderedKey(*specs[k].Col, view[i]);
    std::vector<std::uint32_t> order(view.size());
    for (std::size_t i = 0; i < view.size(); ++i)
        order[i] = static_cast<std::uint32_t>(i);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return KeysBefore(specs, view, &flat[a * keys], &flat[b * keys], a, b);
    });
    std::vector<std::uint32_t> sorted(view.size());
    for (std::size_t i = 0; i < view.size(); ++i)
        sorted[i] = view[order[i]];
    view.swap(sorted);
}

} // namespace

void RecordsetImpl::SortView()
{
    if (sortKeys_.empty())
        return;
    // Every key read once into a flat array, then one sort, as stable as the view's order.
    std::vector<KeySpec> specs;
    specs.reserve(sortKeys_.size());
    for (const SortKey& key : sortKeys_) {
        const Column& c = columns_[static_cast<std::size_t>(key.Column)];
        specs.push_back({&c, key.Descending, c.Kind() == ValueKind::Text || c.Kind() == ValueKind::Bytes});
    }
    switch (specs.size()) {
    case 1:
        SortByKeys<1>(view_, specs);
        break;
    case 2:
        SortByKeys<2>(view_, specs);
        break;
    case 3:
        SortByKeys<3>(view_, specs);
        break;
    default:
        SortByManyKeys(view_, specs);
        break;
    }
}

Variant RecordsetImpl::Filter() const
{
    if (!filterText_.empty())
        return Variant(filterText_);
    return Variant(filterGroup_);
}

void RecordsetImpl::SetFilter(const Variant& value)
{
    CheckOpen("set the filter");
    AnsiString text;
    Integer group = adFilterNone;
    if (value.IsEmpty() || value.IsNull()) {
        // no filter
    } else if ((value.VarType() & varTypeMask) == varString || value.VarType() == varOleStr) {
        text = Trim(value.AsString());
        if (text == "0")
            text.clear();
    } else {
        group = value.AsInteger();
        if (group != adFilterNone && group != adFilterPendingRecords && group != adFilterAffectedRecords &&
            group != adFilterFetchedRecords && group != adFilterConflictingRecords)
            throw EOleException("Cannot set the filter: " + std::to_string(group) + " is not a filter group",
                                "vmado.Cursor");
        if (group == adFilterFetchedRecords)
            group = adFilterNone;
    }
    if (streaming_) {
        if (!text.empty() || group != adFilterNone)
            CheckWholeResult("filter the records");
        return; // nothing to clear: a streaming view is never filtered
    }
    std::shared_ptr<const CompiledExpression> expression;
    if (!text.empty())
        expression = CompileFilter(text, ColumnInfos()); // raises before anything changes
    LeaveRecord();
    filterText_ = text;
    filterGroup_ = group;
    filterExpr_ = std::move(expression);
    RebuildView(std::nullopt);
}

void RecordsetImpl::SetSort(const AnsiString& value)
{
    CheckOpen("set the sort order");
    std::vector<SortKey> keys;
    for (const auto& [name, descending] : ParseSort(value)) {
        const int col = ColumnIndex(name);
        if (col < 0)
            throw EOleException("Cannot sort on '" + name + "': the recordset has no such field",
                                "vmado.Cursor");
        keys.push_back({col, descending});
    }
    if (streaming_) {
        if (!keys.empty())
            CheckWholeResult("sort the records");
        return;
    }
    LeaveRecord();
    std::optional<std::uint32_t> current;
    if (OnRecord())
        current = view_[static_cast<std::size_t>(pos_)];
    sort_ = value;
    sortKeys_ = std::move(keys);
    RebuildView(current);
}

} // namespace vmado::engine
