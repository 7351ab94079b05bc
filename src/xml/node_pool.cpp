#include "xml/node_pool.h"

#include <atomic>
#include <cstdint>
#include <new>

namespace kvr {

namespace {

constexpr std::size_t kSlabBytes = 64 * 1024;
constexpr std::size_t kAlign = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
// Larger objects would leave too much of a slab unused.
constexpr std::size_t kLargestPooled = 1024;

// Every block is preceded by a header naming its slab, so a block can be
// freed without knowing where it came from.
struct Slab {
    // Blocks not yet freed, plus kOpen while a thread still carves from the
    // slab: that thread counts its blocks without atomics and settles the
    // difference once when it moves on.
    std::atomic<std::size_t> live;
};

constexpr std::size_t kOpen = std::size_t{1} << (sizeof(std::size_t) * 8 - 2);

constexpr std::size_t RoundUp(std::size_t n) { return (n + kAlign - 1) / kAlign * kAlign; }

constexpr std::size_t kSlabHeader = RoundUp(sizeof(Slab));
constexpr std::size_t kBlockHeader = RoundUp(sizeof(Slab*));

void Drop(Slab* slab, std::size_t count) noexcept {
    if (slab->live.fetch_sub(count, std::memory_order_acq_rel) == count) {
        slab->~Slab();
        ::operator delete(static_cast<void*>(slab));
    }
}

// The slab this thread carves from. Trees may be built on several threads;
// each has its own slab, so taking a block needs no lock.
class Carver {
public:
    ~Carver() { Retire(); }

    void* Take(std::size_t size) {
        const std::size_t need = kBlockHeader + RoundUp(size);
        if (slab_ == nullptr || static_cast<std::size_t>(end_ - next_) < need) Renew();
        char* header = next_;
        next_ += need;
        ++taken_;
        ::new (static_cast<void*>(header)) Slab*(slab_);
        return header + kBlockHeader;
    }

private:
    Slab* slab_ = nullptr;
    char* next_ = nullptr;
    char* end_ = nullptr;
    std::size_t taken_ = 0;

    void Renew() {
        char* memory = static_cast<char*>(::operator new(kSlabBytes));
        Retire();
        slab_ = new (memory) Slab{kOpen};
        next_ = memory + kSlabHeader;
        end_ = memory + kSlabBytes;
        taken_ = 0;
    }

    void Retire() noexcept {
        if (slab_ == nullptr) return;
        Drop(slab_, kOpen - taken_);
        slab_ = nullptr;
    }
};

thread_local Carver carver;

}  // namespace

void* AllocateNodeBlock(std::size_t size) {
    if (size > kLargestPooled) return ::operator new(size);
    return carver.Take(size);
}

void FreeNodeBlock(void* block, std::size_t size) noexcept {
    if (block == nullptr) return;
    if (size > kLargestPooled) {
        ::operator delete(block);
        return;
    }
    Slab* slab = *std::launder(reinterpret_cast<Slab**>(static_cast<char*>(block) - kBlockHeader));
    Drop(slab, 1);
}

}  // namespace kvr
