// The record line's comma-text form: split, single-entry read, join and store. Splitting follows
// the framework's CommaText reader so that lines written by the recordset read back whole.
#include "dataset/DataSetPrivate.h"

#include "framework/classes/internal/CommaText.h"
#include "framework/rtl/Exceptions.h"

namespace vmado::dataset {

namespace {

inline bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// Reads the entry starting at pos (after leading blanks) into out when given; returns the
// position after it and its separator. A separator that ends the line stands for one more,
// empty entry: trailingEmpty tells.
std::size_t ScanEntry(std::string_view line, std::size_t pos, AnsiString* out, bool* trailingEmpty = nullptr)
{
    const std::size_t n = line.size();
    if (pos < n && line[pos] == '"') {
        ++pos;
        // From quote to quote: the text between is taken whole, a doubled quote gives one.
        for (;;) {
            const std::size_t quote = line.find('"', pos);
            if (out)
                out->append(line.data() + pos, (quote == std::string_view::npos ? n : quote) - pos);
            if (quote == std::string_view::npos) {
                pos = n;
                break;
            }
            if (quote + 1 < n && line[quote + 1] == '"') {
                if (out)
                    *out += '"';
                pos = quote + 2;
                continue;
            }
            pos = quote + 1;
            break;
        }
    } else {
        const std::size_t start = pos;
        while (pos < n && line[pos] != ',' && !IsBlank(line[pos]))
            ++pos;
        if (out)
            out->assign(line.data() + start, pos - start);
    }
    while (pos < n && IsBlank(line[pos]))
        ++pos;
    if (pos < n && line[pos] == ',') {
        ++pos;
        if (trailingEmpty && pos == n)
            *trailingEmpty = true;
        while (pos < n && IsBlank(line[pos]))
            ++pos;
    }
    return pos;
}

std::size_t SkipBlanks(std::string_view line, std::size_t pos)
{
    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
    return pos;
}

} // namespace

std::vector<AnsiString> SplitLine(std::string_view line)
{
    std::vector<AnsiString> entries;
    std::size_t pos = SkipBlanks(line, 0);
    while (pos < line.size()) {
        AnsiString entry;
        bool trailingEmpty = false;
        pos = ScanEntry(line, pos, &entry, &trailingEmpty);
        entries.push_back(std::move(entry));
        if (trailingEmpty)
            entries.emplace_back();
    }
    return entries;
}

std::string_view LineIndex::Entry(const char* buffer, Integer index, AnsiString& scratch)
{
    if (buffer != buffer_) {
        const std::string_view line = TextArea(buffer);
        starts_.clear();
        std::size_t pos = SkipBlanks(line, 0);
        while (pos < line.size()) {
            starts_.push_back(static_cast<std::uint32_t>(pos));
            bool trailingEmpty = false;
            pos = ScanEntry(line, pos, nullptr, &trailingEmpty);
            if (trailingEmpty)
                starts_.push_back(static_cast<std::uint32_t>(line.size()));
        }
        buffer_ = buffer;
        length_ = line.size();
    }
    if (index < 0 || static_cast<std::size_t>(index) >= starts_.size())
        return {};
    const std::string_view line(buffer, length_);
    std::size_t pos = starts_[static_cast<std::size_t>(index)];
    if (pos >= line.size())
        return {};
    if (line[pos] == '"') {
        scratch.clear();
        ScanEntry(line, pos, &scratch);
        return scratch;
    }
    const std::size_t start = pos;
    while (pos < line.size() && line[pos] != ',' && !IsBlank(line[pos]))
        ++pos;
    return line.substr(start, pos - start);
}

bool PlainDateStamp(std::string_view t, Integer& date)
{
    if (t.size() != 10 || t[4] != '-' || t[7] != '-')
        return false;
    int parts[3] = {0, 0, 0};
    const std::size_t from[3] = {0, 5, 8}, count[3] = {4, 2, 2};
    for (int k = 0; k < 3; ++k)
        for (std::size_t i = from[k]; i < from[k] + count[k]; ++i) {
            if (t[i] < '0' || t[i] > '9')
                return false;
            parts[k] = parts[k] * 10 + (t[i] - '0');
        }
    const int y = parts[0], m = parts[1], d = parts[2];
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    static constexpr int kBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1] + (m == 2 && leap ? 1 : 0))
        return false;
    const int before = y - 1;
    date = before * 365 + before / 4 - before / 100 + before / 400 + kBefore[m - 1] +
           (m > 2 && leap ? 1 : 0) + d;
    return true;
}

AnsiString JoinLine(const std::vector<AnsiString>& entries)
{
    AnsiString line;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0)
            line += ',';
        internal::AppendDelimitedItem(line, entries[i]);
    }
    return line;
}

void StoreLine(char* area, Integer areaSize, const AnsiString& line, const AnsiString& what)
{
    if (line.find('\0') != AnsiString::npos)
        throw EDatabaseError(what + " holds a zero byte, which a record line cannot carry");
    if (static_cast<Integer>(line.size()) + 1 > areaSize) {
        throw EDatabaseError(what + " does not fit the record buffer: the line needs " +
                             std::to_string(line.size() + 1) + " bytes, the text area holds " +
                             std::to_string(areaSize));
    }
    std::memcpy(area, line.data(), line.size());
    area[line.size()] = '\0';
}

} // namespace vmado::dataset
