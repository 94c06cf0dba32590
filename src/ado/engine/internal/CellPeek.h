// The one window the connection wrapper has into the engine: the client cursor's cells read in
// place, without a Variant, for readers that render every cell of every record. Nothing else of
// the engine shows through it, so the cursor's storage can change without touching its readers.
#pragma once

#include "framework/rtl/Types.h"
#include "framework/rtl/Variant.h"

#include <cstdint>
#include <string_view>

namespace vmado::engine {

// The cursor's storage kinds, not field types: a Text cell may sit in a numeric field (SQLite's
// dynamic typing).
enum class CellKind : std::uint8_t { Null, Boolean, Integer, Float, Currency, Date, Text, Bytes };

// One cell as the cursor stores it.
struct CellPeek {
    CellKind Kind = CellKind::Null; // Null for a NULL cell
    Int64 Int = 0;                  // Integer, Currency (raw, scaled by 10,000)
    double Real = 0;                // Float, Date
    bool Bool = false;
    std::string_view Text; // Text, Bytes: a view of the stored value, valid until the recordset changes
};

// Implemented by the engine's own recordsets; reach it with dynamic_cast from a Recordset. A
// recordset of another implementation has no peek view, and its readers take the Variant route.
class CellPeekView {
public:
    // The current record's row id (its bookmark less one); false off a record.
    virtual bool PeekRow(std::uint32_t& row) const = 0;
    // Cell col of a row PeekRow gave, as the field's Value would read it when that row was
    // current with no edit in progress. False for a column or row out of range.
    virtual bool PeekCellAt(int col, std::uint32_t row, CellPeek& out) const = 0;
    // Whether row's cells all fit a record line: no Bytes cell, and no Text cell with a zero byte
    // or with more than (budgets[col] - 3) / 2 bytes (every byte doubled by quoting, two quotes
    // and a separator). A negative budget skips its column. False for a row out of range or
    // count above the column count. One call per record instead of one per cell.
    virtual bool PeekRowFits(std::uint32_t row, const Integer* budgets, int count) const = 0;
    // The same cell as the Variant the field's Value gives; Null out of range.
    virtual Variant PeekValueAt(int col, std::uint32_t row) const = 0;
    // Names the rows the store holds: a different number after every close, open or requery,
    // so a row id kept from an earlier load is never read from rows it does not belong to. Not
    // virtual: every field read checks it.
    std::uint32_t PeekStore() const { return peekStore_; }

protected:
    ~CellPeekView() = default;
    std::uint32_t peekStore_ = 0; // the implementation gives each load of its rows a new number
};

// The engine's standard text of a date: yyyy-mm-dd, then " hh:nn:ss AM/PM" unless midnight. buf
// holds 32 bytes; the result may point into it.
std::string_view PeekDateText(double value, char* buf);

} // namespace vmado::engine
