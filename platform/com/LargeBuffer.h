#pragma once
// Memory for large transient buffers: data packets, record columns, frames.
//
// Fresh memory costs a page fault per 4 KB page the first time it is
// touched; for the tens of megabytes a large data packet takes, that costs
// more than copying the bytes (on virtual machines many times more). Blocks
// of a megabyte or more are therefore aligned to 2 MB and offered to the
// system as candidates for huge pages, which fault 512 times less often.
// Smaller blocks come from malloc as usual.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <new>
#include <string_view>
#include <type_traits>
#include <utility>

namespace kw_memory {
// Allocates Size bytes (huge-page friendly from 1 MB on); raises
// std::bad_alloc when the system has no memory left.
void* AllocateLarge(size_t Size);
void FreeLarge(void* Block) noexcept;
}  // namespace kw_memory

template <class T>
class THugePageAllocator {
 public:
  using value_type = T;
  THugePageAllocator() noexcept = default;
  template <class U>
  THugePageAllocator(const THugePageAllocator<U>&) noexcept {}

  T* allocate(size_t Count) {
    if (Count > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(kw_memory::AllocateLarge(Count * sizeof(T)));
  }
  void deallocate(T* Block, size_t) noexcept { kw_memory::FreeLarge(Block); }

  template <class U>
  friend bool operator==(const THugePageAllocator&, const THugePageAllocator<U>&) noexcept {
    return true;
  }
};

// A vector of plain values (numbers, bytes) in large-buffer memory, copied
// with memcpy: the columns of a record store. Only what those need of
// std::vector is here.
template <class T>
class TPodVector {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  TPodVector() = default;
  TPodVector(std::initializer_list<T> Values) { append(Values.begin(), Values.end()); }
  TPodVector(const TPodVector& Other) { append(Other.begin(), Other.end()); }
  TPodVector(TPodVector&& Other) noexcept
      : FData(std::exchange(Other.FData, nullptr)),
        FSize(std::exchange(Other.FSize, 0)),
        FCapacity(std::exchange(Other.FCapacity, 0)),
        FBorrowed(std::exchange(Other.FBorrowed, false)) {}
  TPodVector& operator=(TPodVector Other) noexcept {
    std::swap(FData, Other.FData);
    std::swap(FSize, Other.FSize);
    std::swap(FCapacity, Other.FCapacity);
    std::swap(FBorrowed, Other.FBorrowed);
    return *this;
  }
  ~TPodVector() {
    if (!FBorrowed) kw_memory::FreeLarge(FData);
  }

  // Uses Count values at Data, memory that someone else owns and keeps
  // alive (a block shared by several columns); growing moves the values
  // into memory of this vector's own.
  void Borrow(T* Data, size_t Count) {
    if (!FBorrowed) kw_memory::FreeLarge(FData);
    FData = Data;
    FSize = FCapacity = Count;
    FBorrowed = true;
  }

  T* data() { return FData; }
  const T* data() const { return FData; }
  size_t size() const { return FSize; }
  size_t capacity() const { return FCapacity; }
  bool empty() const { return FSize == 0; }
  bool Borrowed() const { return FBorrowed; }
  T& operator[](size_t I) { return FData[I]; }
  const T& operator[](size_t I) const { return FData[I]; }
  T& back() { return FData[FSize - 1]; }
  const T& back() const { return FData[FSize - 1]; }
  const T* begin() const { return FData; }
  const T* end() const { return FData + FSize; }
  T* begin() { return FData; }
  T* end() { return FData + FSize; }

  void reserve(size_t Count) {
    if (Count <= FCapacity) return;
    if (Count > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    T* block = static_cast<T*>(kw_memory::AllocateLarge(Count * sizeof(T)));
    if (FSize) std::memcpy(block, FData, FSize * sizeof(T));
    if (!FBorrowed) kw_memory::FreeLarge(FData);
    FData = block;
    FCapacity = Count;
    FBorrowed = false;
  }
  void clear() { FSize = 0; }
  void push_back(T Value) {  // by value: it may live in this vector
    if (FSize == FCapacity) Grow(FSize + 1);
    FData[FSize++] = Value;
  }
  // New elements are Value (zero by default).
  void resize(size_t Count, T Value = T()) {
    if (Count > FSize) {
      Grow(Count);
      std::fill(FData + FSize, FData + Count, Value);
    }
    FSize = Count;
  }
  void assign(size_t Count, T Value) {
    FSize = 0;
    resize(Count, Value);
  }
  template <class P>
  void assign(P First, P Last) {
    FSize = 0;
    append(First, Last);
  }
  // Appends a contiguous range (pointers or contiguous iterators).
  template <class P>
  void append(P First, P Last) {
    const size_t count = static_cast<size_t>(Last - First);
    if (!count) return;
    Grow(FSize + count);
    std::memcpy(FData + FSize, &*First, count * sizeof(T));
    FSize += count;
  }

 private:
  void Grow(size_t Needed) {
    if (Needed > FCapacity) reserve(std::max(Needed, FCapacity + FCapacity / 2 + 16));
  }

  T* FData = nullptr;
  size_t FSize = 0;
  size_t FCapacity = 0;
  bool FBorrowed = false;
};

// A growable byte buffer that does not clear the bytes it grows by (they are
// written right after), so growing touches no memory twice.
class TByteBuffer {
 public:
  TByteBuffer() = default;
  explicit TByteBuffer(std::string_view Bytes) { Append(Bytes.data(), Bytes.size()); }
  TByteBuffer(const TByteBuffer& Other) : TByteBuffer(Other.View()) {}
  TByteBuffer(TByteBuffer&& Other) noexcept
      : FData(std::exchange(Other.FData, nullptr)),
        FSize(std::exchange(Other.FSize, 0)),
        FCapacity(std::exchange(Other.FCapacity, 0)) {}
  TByteBuffer& operator=(TByteBuffer Other) noexcept {
    std::swap(FData, Other.FData);
    std::swap(FSize, Other.FSize);
    std::swap(FCapacity, Other.FCapacity);
    return *this;
  }
  ~TByteBuffer() { kw_memory::FreeLarge(FData); }

  const char* Data() const { return FData; }
  char* Data() { return FData; }
  size_t Size() const { return FSize; }
  bool Empty() const { return FSize == 0; }
  size_t Capacity() const { return FCapacity; }
  std::string_view View() const { return std::string_view(FData, FSize); }
  operator std::string_view() const { return View(); }
  char operator[](size_t Index) const { return FData[Index]; }

  // Makes room for Size bytes in all without changing the content.
  void Reserve(size_t Capacity);
  // Grows by Count bytes left as they are and returns where they start.
  char* Extend(size_t Count);
  void Append(const void* Bytes, size_t Count);
  void Resize(size_t Size);  // shrinks, or grows like Extend
  void Clear() { FSize = 0; }

  friend bool operator==(const TByteBuffer& A, const TByteBuffer& B) { return A.View() == B.View(); }

 private:
  char* FData = nullptr;
  size_t FSize = 0;
  size_t FCapacity = 0;
};
