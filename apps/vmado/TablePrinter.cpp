// Column widths are measured in code-page characters (one byte each) before the conversion to
// the terminal's UTF-8, so accented names do not skew the layout.
#include "TablePrinter.h"

#include "framework/db/Fields.h"
#include "framework/rtl/CodePage.h"

#include <algorithm>
#include <vector>

namespace vmado::app {

namespace {

// A memo's text on one line (text of any length is a memo, on SQLite too); other fields their
// display text.
AnsiString CellText(TField& field)
{
    if (field.IsNull())
        return "(null)";
    if (field.DataType() != ftMemo && field.DataType() != ftFmtMemo)
        return field.DisplayText();
    AnsiString text = field.AsString();
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ')
            c = ' ';
    return text;
}

} // namespace

void PrintDataSet(TDataSet& dataSet, std::ostream& out, Integer limit)
{
    TFields& fields = *dataSet.Fields();
    const int columns = fields.Count();
    std::vector<std::vector<AnsiString>> cells(1);
    for (int c = 0; c < columns; ++c)
        cells[0].push_back(fields[c]->DisplayLabel());
    Integer total = 0;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
        if (limit >= 0 && total++ >= limit)
            continue;
        std::vector<AnsiString> row;
        for (int c = 0; c < columns; ++c)
            row.push_back(CellText(*fields[c]));
        cells.push_back(std::move(row));
    }
    std::vector<std::size_t> width(columns, 0);
    for (const auto& row : cells)
        for (int c = 0; c < columns; ++c)
            width[c] = std::max(width[c], row[c].size());
    for (std::size_t r = 0; r < cells.size(); ++r) {
        AnsiString line;
        for (int c = 0; c < columns; ++c) {
            line += cells[r][c];
            if (c + 1 < columns)
                line += AnsiString(width[c] - cells[r][c].size() + 2, ' ');
        }
        out << AnsiToConsole(line) << '\n';
        if (r == 0) {
            AnsiString rule;
            for (int c = 0; c < columns; ++c)
                rule += AnsiString(width[c], '-') + (c + 1 < columns ? "  " : "");
            out << rule << '\n';
        }
    }
    const std::size_t shown = cells.size() - 1;
    if (limit >= 0 && static_cast<std::size_t>(total) > shown)
        out << "(" << shown << " of " << total << " records)\n";
    else
        out << "(" << shown << " records)\n";
}

} // namespace vmado::app
