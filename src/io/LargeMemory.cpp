#include "io/LargeMemory.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace pf::io {

namespace {

constexpr size_t kLarge = size_t{1} << 20;      // from here on, straight from the system
constexpr size_t kHugePage = size_t{2} << 20;   // the huge page size the mapping is aligned to

size_t mappedSize(size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

}  // namespace

void* allocateLarge(size_t bytes) {
    if (bytes < kLarge) {
        if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) return p;
        throw std::bad_alloc();
    }
    // Map one huge page more than needed and trim it to an aligned block, so that every 2 MiB
    // of the block can be one huge page.
    const size_t size = mappedSize(bytes);
    void* raw = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
    if (aligned > start) ::munmap(raw, aligned - start);
    if (const uintptr_t end = start + size + kHugePage; end > aligned + size)
        ::munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
    // Huge pages are a wish (without them, small pages), and only for the whole ones the block
    // fills: a huge page is resident whole once one byte of it is written, so the block's last
    // part, which would fill one only partly, stays in small pages.
    if (const size_t whole = bytes & ~(kHugePage - 1); whole > 0)
        ::madvise(reinterpret_cast<void*>(aligned), whole, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void freeLarge(void* block, size_t bytes) noexcept {
    if (block == nullptr) return;
    if (bytes < kLarge) std::free(block);
    else ::munmap(block, mappedSize(bytes));
}

std::pmr::memory_resource* largeMemory() {
    struct Resource final : std::pmr::memory_resource {
        void* do_allocate(size_t bytes, size_t) override { return allocateLarge(bytes); }
        void do_deallocate(void* p, size_t bytes, size_t) noexcept override { freeLarge(p, bytes); }
        bool do_is_equal(const memory_resource& other) const noexcept override { return this == &other; }
    };
    static Resource resource;
    return &resource;
}

ByteBuffer::ByteBuffer(size_t size) : data_(static_cast<char*>(allocateLarge(size))), size_(size), capacity_(size) {}

ByteBuffer::ByteBuffer(std::string_view bytes) : ByteBuffer(bytes.size()) {
    if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
}

void ByteBuffer::resize(size_t size) {
    if (size <= capacity_) {
        size_ = size;
        return;
    }
    ByteBuffer bigger(size);
    if (size_ > 0) std::memcpy(bigger.data_, data_, size_);
    swap(bigger);
}

void ByteBuffer::swap(ByteBuffer& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
}

// A log's blocks come from the ordinary heap, not in huge pages: the last block of a log is
// mostly empty, and a huge page is resident whole as soon as one byte of it is written.
char* ByteLog::grow(size_t size) {
    const size_t previous = blocks_.empty() ? 0 : blocks_.back().capacity;
    const size_t capacity = std::max(size, std::clamp(previous * 2, size_t{64} << 10, kHugePage));
    void* data = std::malloc(capacity);
    if (!data) throw std::bad_alloc();
    blocks_.push_back(Block{static_cast<char*>(data), capacity, 0});
    return blocks_.back().data;
}

void ByteLog::clear() {
    for (const Block& b : blocks_) std::free(b.data);
    blocks_.clear();
}

}  // namespace pf::io
