// An in-memory row set for the criteria compiler's tests: typed columns, nullable cells.
#pragma once

#include "ado/engine/expression/Expression.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vmado::test {

using engine::CellRef;
using engine::ColumnInfo;
using engine::ValueKind;

struct TestCell {
    CellRef Ref; // Text points into Owned
    std::string Owned;
};

class VectorRow : public engine::IRowReader {
public:
    explicit VectorRow(std::vector<TestCell> cells) : cells_(std::move(cells))
    {
        for (auto& c : cells_)
            if (c.Ref.Kind == ValueKind::Text || c.Ref.Kind == ValueKind::Bytes)
                c.Ref.Text = c.Owned;
    }
    VectorRow(const VectorRow& o) : VectorRow(o.cells_) {}
    CellRef Cell(int column) const override { return cells_.at(static_cast<size_t>(column)).Ref; }

private:
    std::vector<TestCell> cells_;
};

TestCell Null();
TestCell Int(Int64 v);
TestCell Flt(double v);
TestCell Cur(double v);
TestCell Bool(bool v);
TestCell Txt(std::string v);
TestCell Dt(int y, int m, int d, int h = 0, int n = 0, int s = 0);
double DateValue(int y, int m, int d, int h = 0, int n = 0, int s = 0);

// Columns: Id Integer, Name Text, Qty Integer, Price Float, Amount Currency, Born Date,
// Active Boolean, "Last Name" Text, City Text, Note (untyped).
const std::vector<ColumnInfo>& People();
const std::vector<VectorRow>& PeopleRows();
// Ids of the rows a filter text selects, in row order.
std::vector<Int64> Select(const std::string& filter);
std::vector<Int64> SelectFind(const std::string& criteria);

} // namespace vmado::test
