// Storage for records of one size that are made and freed in great numbers (dependency
// links): blocks carved in order from large slabs, a freed block kept on a free list for the
// next record. The slabs go back to the heap when the last block is freed, so a process
// holds them only while records live. Safe to use from several threads.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace dbtwin {

class TBlockPool {
public:
    // aBlockSize and aAlign: the record's size and alignment; aSlabBlocks: blocks per slab.
    TBlockPool(std::size_t aBlockSize, std::size_t aAlign, std::size_t aSlabBlocks);
    TBlockPool(const TBlockPool&) = delete;
    TBlockPool& operator=(const TBlockPool&) = delete;

    void* Get();
    void Put(void* aBlock) noexcept;
    std::size_t Live() const;

private:
    struct TFree {
        TFree* Next;
    };
    void ReleaseSlabs() noexcept;

    mutable std::mutex fLock;
    const std::size_t fBlockSize;
    const std::size_t fSlabBlocks;
    std::vector<std::unique_ptr<std::byte[]>> fSlabs;
    std::byte* fNext = nullptr;  // the next unused block of the newest slab
    std::byte* fEnd = nullptr;
    TFree* fFree = nullptr;
    std::size_t fLive = 0;
};

}  // namespace dbtwin
