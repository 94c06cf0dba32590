// Small value types shared by the framework classes: the enumerations components publish, the
// notify-event signature and TSet, a bit set over an enumeration (ordinals 0..63).
#pragma once

#include "framework/rtl/Types.h"

#include <cstdint>
#include <functional>
#include <initializer_list>

namespace vmado {

class TObject;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TOperation { opInsert, opRemove };
enum TDuplicates { dupIgnore, dupAccept, dupError };

// Ordinals match the framework's, which matters where a set is streamed by position.
enum TComponentStateItem {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };

// A Pascal-style set of enumeration values; bit i stands for the value with ordinal i.
template <typename E> class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items)
    {
        for (E e : items)
            bits_ |= Bit(e);
    }
    static constexpr TSet FromBits(std::uint64_t bits)
    {
        TSet s;
        s.bits_ = bits;
        return s;
    }

    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr TSet& Include(E e)
    {
        bits_ |= Bit(e);
        return *this;
    }
    constexpr TSet& Exclude(E e)
    {
        bits_ &= ~Bit(e);
        return *this;
    }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint64_t Bits() const { return bits_; }

    friend constexpr TSet operator+(TSet a, TSet b) { return FromBits(a.bits_ | b.bits_); }
    friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.bits_ & ~b.bits_); }
    friend constexpr TSet operator*(TSet a, TSet b) { return FromBits(a.bits_ & b.bits_); }
    friend constexpr bool operator==(TSet a, TSet b) { return a.bits_ == b.bits_; }
    // a <= b: every member of a is in b.
    friend constexpr bool operator<=(TSet a, TSet b) { return (a.bits_ & ~b.bits_) == 0; }

private:
    static constexpr std::uint64_t Bit(E e) { return std::uint64_t{1} << static_cast<unsigned>(e); }
    std::uint64_t bits_ = 0;
};

using TComponentState = TSet<TComponentStateItem>;
using TShiftState = TSet<TShiftStateItem>;

// Event signatures. Events are public std::function members, tested before every call.
using TNotifyEvent = std::function<void(TObject* sender)>;

} // namespace vmado
