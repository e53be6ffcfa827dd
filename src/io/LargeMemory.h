#pragma once

#include <cstddef>
#include <memory_resource>
#include <string_view>
#include <vector>

namespace pf::io {

// Memory for the large arrays of a document. Blocks of a megabyte and more come straight from
// the system in huge pages where it offers them: a 20 MB file then costs ten page faults, not
// five thousand. Smaller blocks come from the ordinary heap. Nothing is cleared beforehand.
void* allocateLarge(size_t bytes);
void freeLarge(void* block, size_t bytes) noexcept;

// allocateLarge and freeLarge as a memory resource, for arenas of many small arrays.
std::pmr::memory_resource* largeMemory();

// An allocator for containers of large arrays (std::vector<T, LargeAllocator<T>>).
template <class T>
struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <class U>
    LargeAllocator(const LargeAllocator<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(allocateLarge(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { freeLarge(p, n * sizeof(T)); }
    template <class U>
    bool operator==(const LargeAllocator<U>&) const { return true; }
};

// A block of bytes of a set size, not cleared when made: what a file is read into.
class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(size_t size);
    explicit ByteBuffer(std::string_view bytes);
    ByteBuffer(const ByteBuffer& other) : ByteBuffer(other.view()) {}
    ByteBuffer(ByteBuffer&& other) noexcept { swap(other); }
    ByteBuffer& operator=(ByteBuffer other) noexcept {
        swap(other);
        return *this;
    }
    ~ByteBuffer() { freeLarge(data_, capacity_); }

    char* data() { return data_; }
    const char* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::string_view view() const { return {data_, size_}; }

    // A new size; the bytes up to the smaller of the two sizes are kept.
    void resize(size_t size);
    void swap(ByteBuffer& other) noexcept;

private:
    char* data_ = nullptr;
    size_t size_ = 0, capacity_ = 0;
};

// Bytes appended in blocks that never move: a log that grows without copying what it holds.
// Blocks grow from 64 KiB to 2 MiB.
class ByteLog {
public:
    ByteLog() = default;
    ByteLog(const ByteLog&) = delete;
    ByteLog& operator=(const ByteLog&) = delete;
    ~ByteLog() { clear(); }

    // Room for `size` bytes at the end, in one block; commit() says how many were used.
    char* reserve(size_t size) {
        if (!blocks_.empty() && blocks_.back().capacity - blocks_.back().used >= size)
            return blocks_.back().data + blocks_.back().used;
        return grow(size);
    }
    void commit(size_t used) { blocks_.back().used += used; }
    void clear();

    // Calls f(bytes of one block) for every block, in order. What one reserve() gave lies in
    // one block.
    template <class F>
    void forEachBlock(F&& f) const {
        for (const Block& b : blocks_) f(std::string_view(b.data, b.used));
    }

private:
    struct Block {
        char* data;
        size_t capacity, used;
    };
    char* grow(size_t size);  // a new block with room for `size` bytes
    std::vector<Block> blocks_;
};

}  // namespace pf::io
