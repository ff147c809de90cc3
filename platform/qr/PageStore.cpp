#include "platform/qr/PageStore.h"

TPageStore::TPageStore() : FResources(std::make_unique<TPageResources>()) {}
TPageStore::~TPageStore() = default;

void TPageStore::BeginGeneration() {
  std::lock_guard<std::mutex> Guard(FLock);
  FCancelled = false;
  FStatus = TPageStoreStatus::Busy;
}

void TPageStore::EndGeneration() { FStatus = TPageStoreStatus::Finished; }

void TPageStore::Clear() {
  std::vector<std::unique_ptr<TPageMetafile>> Dropped;
  {
    std::lock_guard<std::mutex> Guard(FLock);
    Dropped.swap(FPages);
    FReplaced.clear();
    FMemory = 0;
    FResources = std::make_unique<TPageResources>();
    FCancelled = false;
    FStatus = TPageStoreStatus::Ready;
  }
}

int TPageStore::AddPage(std::unique_ptr<TPageMetafile> Page) {
  if (!Page) Page = std::make_unique<TPageMetafile>();
  Page->Shrink();
  int Count;
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FMemory += Page->MemoryUsed();
    FPages.push_back(std::move(Page));
    Count = static_cast<int>(FPages.size());
  }
  // Outside the lock: a listener may read pages back at once.
  if (OnPageAvailable) OnPageAvailable(Count);
  return Count;
}

int TPageStore::PageCount() const {
  std::lock_guard<std::mutex> Guard(FLock);
  return static_cast<int>(FPages.size());
}

const TPageMetafile* TPageStore::Page(int Number) const {
  std::lock_guard<std::mutex> Guard(FLock);
  if (Number < 1 || Number > static_cast<int>(FPages.size())) return nullptr;
  return FPages[Number - 1].get();
}

void TPageStore::ReplacePage(int Number, std::unique_ptr<TPageMetafile> Page) {
  if (!Page) return;
  Page->Shrink();
  std::lock_guard<std::mutex> Guard(FLock);
  if (Number < 1 || Number > static_cast<int>(FPages.size())) return;
  auto& Slot = FPages[Number - 1];
  FMemory += Page->MemoryUsed();
  FReplaced.push_back(std::move(Slot));
  Slot = std::move(Page);
}

size_t TPageStore::MemoryUsed() const {
  std::lock_guard<std::mutex> Guard(FLock);
  return FMemory + sizeof(*this) + FPages.capacity() * sizeof(std::unique_ptr<TPageMetafile>);
}
