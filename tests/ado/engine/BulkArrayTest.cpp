// The column store's growable arrays: values survive every growth, from the first small block
// through the switch to a mapping and the moves of that mapping, whatever the element size.
#include "ado/engine/cursor/BulkArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

namespace vmado::engine {

namespace {

constexpr std::size_t Huge = std::size_t{2} << 20;

// A value no two indexes share, so a block copied or moved to the wrong place shows.
template <typename T> T ValueAt(std::size_t i)
{
    return static_cast<T>(i * 2654435761u + 7);
}

template <typename T> void ExpectHolds(const BulkArray<T>& a, std::size_t n, const std::string& what)
{
    ASSERT_EQ(a.size(), n) << what;
    ASSERT_GE(a.capacity(), n) << what;
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != ValueAt<T>(i))
            FAIL() << what << ": element " << i << " of " << n << " reads " << +a[i];
}

template <typename T> void GrowAcrossBoundaries()
{
    // Element counts at the edges of the first block, of the switch to a mapping, and of the
    // huge pages a mapping grows by.
    const std::size_t first = 256 / sizeof(T);
    const std::size_t mapped = BulkThreshold / sizeof(T);
    const std::size_t page = Huge / sizeof(T);
    const std::size_t sizes[] = {0,      1,          first - 1,    first,    first + 1,    mapped - 1,
                                 mapped, mapped + 1, 3 * page - 1, 3 * page, 3 * page + 1, 5 * page + 3};
    for (const std::size_t n : sizes) {
        const std::string what = std::to_string(sizeof(T)) + "-byte elements, " + std::to_string(n);
        BulkArray<T> pushed;
        for (std::size_t i = 0; i < n; ++i)
            pushed.push_back(ValueAt<T>(i));
        ExpectHolds(pushed, n, what + " pushed");

        // Two arrays growing in turn: neither mapping can grow in place, so each growth moves.
        BulkArray<T> a, b;
        for (std::size_t done = 0; done < n;) {
            const std::size_t chunk = std::min<std::size_t>(n - done, 1 + done % 4099);
            T* pa = a.extend(chunk);
            T* pb = b.extend(chunk);
            for (std::size_t i = 0; i < chunk; ++i)
                pa[i] = pb[i] = ValueAt<T>(done + i);
            done += chunk;
        }
        ExpectHolds(a, n, what + " extended");
        ExpectHolds(b, n, what + " extended alongside");

        BulkArray<T> moved = std::move(a);
        ExpectHolds(moved, n, what + " moved");
        EXPECT_EQ(a.size(), 0u) << what;
        a = std::move(moved);
        ExpectHolds(a, n, what + " moved back");
    }
}

TEST(BulkArray, KeepsEveryValueAcrossGrowth)
{
    GrowAcrossBoundaries<std::uint64_t>();
    GrowAcrossBoundaries<std::uint8_t>();
}

TEST(BulkArray, ResizeAndAssignKeepTheirPrefix)
{
    BulkArray<std::uint64_t> a;
    for (std::size_t i = 0; i < 1000; ++i)
        a.push_back(ValueAt<std::uint64_t>(i));
    // Growing to a mapping by resize keeps what was there; the new elements are written after.
    const std::size_t big = BulkThreshold / 8 + 17;
    a.resize(big);
    for (std::size_t i = 1000; i < big; ++i)
        a[i] = ValueAt<std::uint64_t>(i);
    ExpectHolds(a, big, "resized");
    a.resize(10);
    ExpectHolds(a, 10, "shrunk");
    a.assign(big + 1, 42);
    ASSERT_EQ(a.size(), big + 1);
    for (std::size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(a[i], 42u) << i;
    a.clear();
    EXPECT_TRUE(a.empty());
    a.push_back(5);
    EXPECT_EQ(a[0], 5u);
}

} // namespace

} // namespace vmado::engine
