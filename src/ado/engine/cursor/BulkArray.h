// A growable array of trivially copyable values for the column store. Arrays past a few pages
// live in their own mapping (backed by transparent huge pages once they fill one) and grow by
// moving that mapping (mremap) rather than copying it: materialising a large result then never
// copies what it has already read, and memory is touched only where values are written.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

namespace vmado::engine {

// Blocks below the threshold come from operator new; larger ones are mappings.
inline constexpr std::size_t BulkThreshold = std::size_t{64} << 10;

void* AllocateBulk(std::size_t bytes);
void ReleaseBulk(void* p, std::size_t bytes) noexcept;
// Returns a block of newBytes holding the first usedBytes of p (a block of oldBytes, which it
// releases or takes over). Raises std::bad_alloc when no memory is left; p is then unchanged.
void* GrowBulk(void* p, std::size_t oldBytes, std::size_t usedBytes, std::size_t newBytes);

template <typename T> class BulkArray {
    static_assert(std::is_trivially_copyable_v<T>, "elements move with their bytes");

public:
    BulkArray() = default;
    BulkArray(const BulkArray&) = delete;
    BulkArray& operator=(const BulkArray&) = delete;
    BulkArray(BulkArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0))
    {
    }
    BulkArray& operator=(BulkArray&& other) noexcept
    {
        if (this != &other) {
            Free();
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
            capacity_ = std::exchange(other.capacity_, 0);
        }
        return *this;
    }
    ~BulkArray() { Free(); }

    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }

    void reserve(std::size_t n)
    {
        if (n > capacity_)
            Reallocate(n);
    }
    void push_back(const T& value)
    {
        if (size_ == capacity_)
            Reallocate(Next(size_ + 1));
        data_[size_++] = value;
    }
    // Adds n elements left uninitialised (the caller writes them at once) and returns the first.
    T* extend(std::size_t n)
    {
        if (capacity_ - size_ < n)
            Reallocate(Next(size_ + n));
        T* at = data_ + size_;
        size_ += n;
        return at;
    }
    // New elements are left uninitialised, as with extend.
    void resize(std::size_t n)
    {
        if (n > capacity_)
            Reallocate(n);
        size_ = n;
    }
    void assign(std::size_t n, const T& value)
    {
        resize(n);
        for (std::size_t i = 0; i < n; ++i)
            data_[i] = value;
    }
    void clear() { size_ = 0; }

private:
    // Doubling costs no copy once an array is a mapping; small arrays start at a useful size.
    std::size_t Next(std::size_t need) const
    {
        const std::size_t n = capacity_ ? capacity_ * 2 : 256 / sizeof(T);
        return n < need ? need : n;
    }
    void Reallocate(std::size_t n)
    {
        if (n > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_alloc();
        if (!data_)
            data_ = static_cast<T*>(AllocateBulk(n * sizeof(T)));
        else
            data_ = static_cast<T*>(GrowBulk(data_, capacity_ * sizeof(T), size_ * sizeof(T), n * sizeof(T)));
        capacity_ = n;
    }
    void Free() noexcept
    {
        if (data_)
            ReleaseBulk(data_, capacity_ * sizeof(T));
        data_ = nullptr;
        size_ = capacity_ = 0;
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace vmado::engine
