// The mappings behind large column arrays: aligned to huge pages, grown by moving page tables.
#include "ado/engine/cursor/BulkArray.h"

#include <cstdint>
#include <cstring>

#include <sys/mman.h>

namespace vmado::engine {

namespace {

constexpr std::size_t Page = std::size_t{4} << 10;
constexpr std::size_t HugePage = std::size_t{2} << 20;

std::size_t RoundTo(std::size_t bytes, std::size_t unit)
{
    return (bytes + unit - 1) & ~(unit - 1);
}

// The size of the mapping behind a block: whole huge pages once it can fill one.
std::size_t MappedSize(std::size_t bytes)
{
    return RoundTo(bytes, bytes >= HugePage ? HugePage : Page);
}

bool Aligned(const void* p)
{
    return (reinterpret_cast<std::uintptr_t>(p) & (HugePage - 1)) == 0;
}

// A mapping of bytes (a multiple of HugePage) starting on a huge-page boundary, so that the
// kernel can back all of it with huge pages, also after it has moved.
char* MapAligned(std::size_t bytes, int protection)
{
    const std::size_t span = bytes + HugePage;
    const int reserve = protection == PROT_NONE ? MAP_NORESERVE : 0; // only a placeholder
    void* p = mmap(nullptr, span, protection, MAP_PRIVATE | MAP_ANONYMOUS | reserve, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    char* base = static_cast<char*>(p);
    char* aligned = reinterpret_cast<char*>(RoundTo(reinterpret_cast<std::uintptr_t>(base), HugePage));
    if (aligned != base)
        munmap(base, static_cast<std::size_t>(aligned - base));
    char* end = aligned + bytes;
    if (end != base + span)
        munmap(end, static_cast<std::size_t>(base + span - end));
    return aligned;
}

} // namespace

void* AllocateBulk(std::size_t bytes)
{
    if (bytes < BulkThreshold)
        return ::operator new(bytes);
    const std::size_t size = MappedSize(bytes);
    if (size < HugePage) {
        void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        return p;
    }
    char* p = MapAligned(size, PROT_READ | PROT_WRITE);
    madvise(p, size, MADV_HUGEPAGE); // advice only: without huge pages it still works
    return p;
}

void ReleaseBulk(void* p, std::size_t bytes) noexcept
{
    if (bytes < BulkThreshold)
        ::operator delete(p);
    else
        munmap(p, MappedSize(bytes));
}

void* GrowBulk(void* p, std::size_t oldBytes, std::size_t usedBytes, std::size_t newBytes)
{
    if (oldBytes < BulkThreshold || newBytes < BulkThreshold) {
        void* q = AllocateBulk(newBytes);
        if (usedBytes)
            std::memcpy(q, p, usedBytes);
        ReleaseBulk(p, oldBytes);
        return q;
    }
    const std::size_t from = MappedSize(oldBytes);
    const std::size_t to = MappedSize(newBytes);
    if (to <= from)
        return p;
    // Below a huge page the kernel moves the pages wherever it likes; from there on in place
    // when the addresses after the mapping are free, otherwise to an aligned range that huge
    // pages can back. Either way nothing is copied.
    if (to < HugePage) {
        void* q = mremap(p, from, to, MREMAP_MAYMOVE);
        if (q == MAP_FAILED)
            throw std::bad_alloc();
        return q;
    }
    void* q = Aligned(p) ? mremap(p, from, to, 0) : MAP_FAILED;
    if (q == MAP_FAILED) {
        char* target = MapAligned(to, PROT_NONE);
        q = mremap(p, from, to, MREMAP_MAYMOVE | MREMAP_FIXED, target);
        if (q == MAP_FAILED) {
            munmap(target, to);
            throw std::bad_alloc();
        }
    }
    madvise(q, to, MADV_HUGEPAGE);
    return q;
}

} // namespace vmado::engine
