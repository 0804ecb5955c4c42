#include "core/krvBlockPool.h"

#include <algorithm>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define DBTWIN_POOL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DBTWIN_POOL_ASAN 1
#endif
#endif

#ifdef DBTWIN_POOL_ASAN
#include <sanitizer/asan_interface.h>
// A block outside a record is poisoned, so that a use of a freed link is reported as it is
// for heap memory.
#define POOL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define POOL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define POOL_POISON(p, n) ((void)(p), (void)(n))
#define POOL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace dbtwin {

namespace {
// A block's size: the record's, rounded up to its alignment and room for the free-list link.
std::size_t BlockSize(std::size_t aSize, std::size_t aAlign) {
    const std::size_t align = std::max(aAlign, alignof(void*));
    return (std::max(aSize, sizeof(void*)) + align - 1) / align * align;
}
}  // namespace

// Slabs come from new[], aligned for any fundamental type; blocks keep the alignment
// asked for as long as it is not larger than that.
TBlockPool::TBlockPool(std::size_t aBlockSize, std::size_t aAlign, std::size_t aSlabBlocks)
    : fBlockSize(BlockSize(aBlockSize, std::min(aAlign, alignof(std::max_align_t)))),
      fSlabBlocks(std::max<std::size_t>(aSlabBlocks, 1)) {}

void* TBlockPool::Get() {
    std::lock_guard<std::mutex> lock(fLock);
    void* block;
    if (fFree) {
        POOL_UNPOISON(fFree, fBlockSize);
        block = fFree;
        fFree = fFree->Next;
    } else {
        if (fNext == fEnd) {
            const std::size_t bytes = fBlockSize * fSlabBlocks;
            fSlabs.push_back(std::unique_ptr<std::byte[]>(new std::byte[bytes]));
            fNext = fSlabs.back().get();
            fEnd = fNext + bytes;
            POOL_POISON(fNext, bytes);
        }
        block = fNext;
        fNext += fBlockSize;
        POOL_UNPOISON(block, fBlockSize);
    }
    ++fLive;
    return block;
}

void TBlockPool::Put(void* aBlock) noexcept {
    if (!aBlock) return;
    std::lock_guard<std::mutex> lock(fLock);
    if (--fLive == 0) {
        ReleaseSlabs();
        return;
    }
    auto* f = static_cast<TFree*>(aBlock);
    f->Next = fFree;
    fFree = f;
    POOL_POISON(aBlock, fBlockSize);
}

std::size_t TBlockPool::Live() const {
    std::lock_guard<std::mutex> lock(fLock);
    return fLive;
}

void TBlockPool::ReleaseSlabs() noexcept {
    for (auto& s : fSlabs) POOL_UNPOISON(s.get(), fBlockSize * fSlabBlocks);
    fSlabs.clear();
    fNext = fEnd = nullptr;
    fFree = nullptr;
}

}  // namespace dbtwin
