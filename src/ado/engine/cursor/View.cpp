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

void RecordsetImpl::SortView()
{
    if (sortKeys_.empty())
        return;
    if (sortKeys_.size() == 1) {
        const Column& c = columns_[static_cast<std::size_t>(sortKeys_[0].Column)];
        if (sortKeys_[0].Descending)
            std::stable_sort(view_.begin(), view_.end(),
                             [&c](std::uint32_t a, std::uint32_t b) { return CompareRows(c, a, b) > 0; });
        else
            std::stable_sort(view_.begin(), view_.end(),
                             [&c](std::uint32_t a, std::uint32_t b) { return CompareRows(c, a, b) < 0; });
        return;
    }
    std::stable_sort(view_.begin(), view_.end(), [this](std::uint32_t a, std::uint32_t b) {
        for (const SortKey& key : sortKeys_) {
            const int r = CompareRows(columns_[static_cast<std::size_t>(key.Column)], a, b);
            if (r)
                return key.Descending ? r > 0 : r < 0;
        }
        return false;
    });
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
