// Typed column storage of the client cursor: one array per column of the column's kind, a null
// bitmap, and text/bytes in a per-column arena. A row id indexes every column; rows are only
// ever appended, so row ids (the bookmarks) stay stable for the life of the store.
#pragma once

#include "ado/engine/Provider.h"
#include "ado/engine/cursor/BulkArray.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>

namespace vmado::engine {

static_assert(std::endian::native == std::endian::little, "short texts are kept in the low bytes of a word");

class Column {
public:
    explicit Column(ColumnMeta meta);

    const ColumnMeta& Meta() const { return meta_; }
    ColumnMeta& Meta() { return meta_; }
    ValueKind Kind() const { return meta_.Kind; }
    std::uint32_t Size() const { return size_; }

    // Loading: converts a cell of another kind into the column's kind; a value that cannot be
    // converted without loss changes the column's kind (integer to float, anything to text).
    void Append(const CellRef& cell);
    // Editing: the cell must already be of the column's kind (or Null).
    void Set(std::uint32_t row, const CellRef& cell);

    bool IsNull(std::uint32_t row) const { return (nulls_[row >> 6] >> (row & 63)) & 1u; }
    CellRef Get(std::uint32_t row) const;
    Int64 IntAt(std::uint32_t row) const { return ints_[row]; }
    double RealAt(std::uint32_t row) const { return reals_[row]; }
    bool BoolAt(std::uint32_t row) const { return bools_[row] != 0; }
    std::string_view TextAt(std::uint32_t row) const
    {
        const std::uint64_t& ref = refs_[row];
        if (ref >> 63)
            return std::string_view(reinterpret_cast<const char*>(&ref), (ref >> 56) & 7);
        const char* at = arena_.data() + (ref & kOffsetMask);
        const std::uint64_t length = (ref >> 40) & kLongLength;
        if (length != kLongLength)
            return std::string_view(at, length);
        std::uint32_t longLength;
        std::memcpy(&longLength, at, sizeof longLength);
        return std::string_view(at + sizeof longLength, longLength);
    }
    // The database's bytes behind row's text when it was loaded with characters replaced, as long
    // as text is still the form it was loaded as; empty otherwise.
    std::string_view StoredFor(std::uint32_t row, std::string_view text) const;
    // After a send wrote another value: the database no longer holds what was loaded.
    void ForgetStored(std::uint32_t row) { stored_.erase(row); }

    // After loading: settles DefinedSize (the longest text when none was declared) and the type
    // of columns whose kind came from the data.
    void Finish();
    std::size_t MaxLength() const { return maxLength_; }
    std::size_t MemoryBytes() const;

private:
    void SetNullBit(std::uint32_t row, bool isNull);
    void Grow();
    void StoreText(std::uint32_t row, std::string_view text);
    void Promote(ValueKind to);
    void Decide(ValueKind kind);
    AnsiString RenderText(std::uint32_t row) const;

    ColumnMeta meta_;
    bool undecided_ = false; // KindFromData and no value seen yet
    std::uint32_t size_ = 0;
    std::size_t maxLength_ = 0;
    Int64 minInt_ = 0; // range of the integers loaded, which may exceed the declared type's
    Int64 maxInt_ = 0;
    BulkArray<std::uint64_t> nulls_;
    BulkArray<Int64> ints_;   // Integer, Currency (raw)
    BulkArray<double> reals_; // Float, Date
    BulkArray<std::uint8_t> bools_;
    // Text and bytes: one reference per row. With the top bit set, the value itself, up to seven
    // bytes in the reference's low bytes (its length in bits 56-58): short codes and names cost
    // nothing more. Otherwise an offset into the arena (bits 0-39) and the length (bits 40-62);
    // a length too large for those bits is kLongLength there and a 4-byte prefix in the arena.
    static constexpr std::uint64_t kOffsetMask = (std::uint64_t{1} << 40) - 1;
    static constexpr std::uint64_t kLongLength = (std::uint64_t{1} << 23) - 1;
    std::uint64_t PlaceText(std::string_view text); // the reference of text, stored in the arena if long
    BulkArray<std::uint64_t> refs_;
    BulkArray<char> arena_;
    // Rows whose text lost characters on loading: the text as loaded and the bytes as stored.
    // Rare, so kept apart from the arrays every row pays for.
    std::unordered_map<std::uint32_t, std::pair<std::string, std::string>> stored_;
};

} // namespace vmado::engine
