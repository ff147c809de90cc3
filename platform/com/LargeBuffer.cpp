#include "platform/com/LargeBuffer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kw_memory {

namespace {
constexpr size_t LargeBlock = size_t{1} << 20;
constexpr size_t HugePage = size_t{2} << 20;
}  // namespace

void* AllocateLarge(size_t Size) {
  if (Size < LargeBlock) {
    void* p = std::malloc(Size ? Size : 1);
    if (!p) throw std::bad_alloc();
    return p;
  }
  // Whole huge pages, so that the tail of the block can be one too.
  const size_t rounded = (Size + HugePage - 1) / HugePage * HugePage;
  void* p = nullptr;
  if (rounded < Size || posix_memalign(&p, HugePage, rounded) != 0) throw std::bad_alloc();
  // Only advice: without huge page support the block works the same.
  madvise(p, rounded, MADV_HUGEPAGE);
  return p;
}

void FreeLarge(void* Block) noexcept { std::free(Block); }

}  // namespace kw_memory

void TByteBuffer::Reserve(size_t Capacity) {
  if (Capacity <= FCapacity) return;
  char* block = static_cast<char*>(kw_memory::AllocateLarge(Capacity));
  if (FSize) std::memcpy(block, FData, FSize);
  kw_memory::FreeLarge(FData);
  FData = block;
  FCapacity = Capacity;
}

char* TByteBuffer::Extend(size_t Count) {
  if (Count > SIZE_MAX - FSize) throw std::bad_alloc();
  const size_t needed = FSize + Count;
  if (needed > FCapacity) Reserve(std::max(needed, FCapacity + FCapacity / 2 + 64));
  char* at = FData + FSize;
  FSize = needed;
  return at;
}

void TByteBuffer::Append(const void* Bytes, size_t Count) {
  if (Count == 0) return;
  std::memcpy(Extend(Count), Bytes, Count);
}

void TByteBuffer::Resize(size_t Size) {
  if (Size <= FSize)
    FSize = Size;
  else
    Extend(Size - FSize);
}
