// A row of the column store seen through the expression compiler's row interface; pointed at
// one row id after another while a filter or a search runs.
#pragma once

#include "ado/engine/cursor/ColumnStore.h"
#include "ado/engine/expression/Expression.h"

#include <vector>

namespace vmado::engine {

class StoreRow final : public IRowReader {
public:
    explicit StoreRow(const std::vector<Column>& columns) : columns_(columns) {}
    CellRef Cell(int column) const override { return columns_[static_cast<std::size_t>(column)].Get(row_); }
    void Point(std::uint32_t row) { row_ = row; }

private:
    const std::vector<Column>& columns_;
    std::uint32_t row_ = 0;
};

} // namespace vmado::engine
