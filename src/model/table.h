// The node and element tables of the problem model: a fixed number of plain records in one block
// of memory, every record zero (its default) at the start.
//
// The block comes from calloc, which hands a large block over as fresh pages that the system maps
// as zero on first use, without a pass that clears them. Capacity that no row ever reaches costs
// address space, not memory: NMAX = MMAX = 2e7 no longer takes 2.3 GB and seconds at every start,
// and a table of a million rows costs what its used rows hold.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <concepts>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace velkor {

// A row, node, element or matrix entry number, or a count of them, as the std::size_t that
// containers are indexed and sized with. The program counts in signed integers (NN, NM, the node
// numbers an element holds, the entries of the matrix in int64_t), and a negative one here is a
// fault of the caller: debug and sanitizer builds stop on it. In release builds this is the plain
// conversion and costs nothing.
template <std::signed_integral Index> constexpr std::size_t idx(Index i) noexcept {
    assert(i >= 0 && "negative index");
    return static_cast<std::size_t>(i);
}

// True when T's default value is all zero bytes, so that zeroed memory holds default records.
template <typename T> constexpr bool defaultIsAllZero() {
    const auto bytes = std::bit_cast<std::array<unsigned char, sizeof(T)>>(T{});
    return std::all_of(bytes.begin(), bytes.end(), [](unsigned char b) { return b == 0; });
}

template <typename T> class Table {
    static_assert(std::is_trivially_copyable_v<T> && defaultIsAllZero<T>(),
                  "a table holds plain records whose default is all zero");

  public:
    Table() = default;
    // Throws std::bad_alloc when the memory cannot be had.
    explicit Table(std::size_t size) : rows_(allocate(size)), size_(size) {}
    Table(const Table& other) : Table(other.size_) {
        if (size_ > 0) std::memcpy(rows_, other.rows_, size_ * sizeof(T));
    }
    Table(Table&& other) noexcept { swap(other); }
    Table& operator=(Table other) noexcept {
        swap(other);
        return *this;
    }
    ~Table() { std::free(rows_); }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Rows past the size are a fault of the caller: debug and sanitizer builds stop on them.
    T& operator[](std::size_t i) {
        assert(i < size_ && "row past the table");
        return rows_[i];
    }
    const T& operator[](std::size_t i) const {
        assert(i < size_ && "row past the table");
        return rows_[i];
    }
    T* data() { return rows_; }
    const T* data() const { return rows_; }
    T* begin() { return rows_; }
    T* end() { return rows_ + size_; }
    const T* begin() const { return rows_; }
    const T* end() const { return rows_ + size_; }

    // A table of the other's size holding copies of its first `rows` rows; the rest start as
    // defaults. Costs what the rows copied hold, whatever the capacity.
    static Table copyOfRows(const Table& other, std::size_t rows) {
        Table copy(other.size_);
        rows = std::min(rows, other.size_);
        if (rows > 0) std::memcpy(copy.rows_, other.rows_, rows * sizeof(T));
        return copy;
    }

    // The first rows are kept; rows beyond the old size start as defaults.
    void resize(std::size_t size) {
        Table other(size);
        if (std::min(size, size_) > 0) std::memcpy(other.rows_, rows_, std::min(size, size_) * sizeof(T));
        swap(other);
    }

    void swap(Table& other) noexcept {
        std::swap(rows_, other.rows_);
        std::swap(size_, other.size_);
    }

  private:
    static T* allocate(std::size_t size) {
        if (size == 0) return nullptr;
        // calloc checks size * sizeof(T) for overflow. The records are created by the zero bytes
        // themselves: T is an implicit-lifetime type.
        void* block = std::calloc(size, sizeof(T));
        if (block == nullptr) throw std::bad_alloc();
        return static_cast<T*>(block);
    }

    T* rows_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace velkor
