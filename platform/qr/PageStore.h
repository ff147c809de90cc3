#pragma once
// The pages of one report run, in order, with the resources they share. The
// engine fills it while generating; the preview, the picture and PDF export
// and printing read from it, possibly while generation is still going on
// (the preview shows the first page as soon as it exists).

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/qr/PageMetafile.h"

enum class TPageStoreStatus { Ready, Busy, Finished };

class TPageStore {
 public:
  TPageStore();
  ~TPageStore();
  TPageStore(const TPageStore&) = delete;
  TPageStore& operator=(const TPageStore&) = delete;

  TPageResources& Resources() { return *FResources; }
  const TPageResources& Resources() const { return *FResources; }

  // Ready (empty, nothing started) → Busy (generating) → Finished. Clear
  // goes back to Ready and drops pages and resources.
  TPageStoreStatus Status() const { return FStatus.load(); }
  void BeginGeneration();
  void EndGeneration();
  void Clear();

  // Appends a finished page; answers its number (1-based) and tells
  // OnPageAvailable.
  int AddPage(std::unique_ptr<TPageMetafile> Page);
  int PageCount() const;
  // Page Number (1-based); nullptr outside 1..PageCount. Pages stay valid
  // until Clear.
  const TPageMetafile* Page(int Number) const;

  // Replaces a page already stored (the engine patches "page n of m" texts
  // once the total is known).
  void ReplacePage(int Number, std::unique_ptr<TPageMetafile> Page);

  // Asked between pages; generation stops at the next page boundary and the
  // store ends Finished with the pages made so far.
  void Cancel() { FCancelled = true; }
  bool Cancelled() const { return FCancelled.load(); }

  // Total bytes held by the pages (not counting shared pictures).
  size_t MemoryUsed() const;

  // Called after each AddPage with the new page count, on the generating
  // thread.
  std::function<void(int)> OnPageAvailable;

 private:
  std::unique_ptr<TPageResources> FResources;
  mutable std::mutex FLock;
  std::vector<std::unique_ptr<TPageMetafile>> FPages;
  // Pages that ReplacePage took out: kept until Clear, because a reader may
  // still hold a pointer to them.
  std::vector<std::unique_ptr<TPageMetafile>> FReplaced;
  std::atomic<TPageStoreStatus> FStatus{TPageStoreStatus::Ready};
  std::atomic<bool> FCancelled{false};
  size_t FMemory = 0;
};
