#include "platform/rtl/StringList.h"

#include <algorithm>
#include <utility>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Files.h"

// ---- TStrings ----

namespace {
// Keeps a list inside BeginUpdate/EndUpdate for a scope, also when it raises.
class TUpdateScope {
 public:
  explicit TUpdateScope(TStrings& List) : FList(List) { FList.BeginUpdate(); }
  ~TUpdateScope() { FList.EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

 private:
  TStrings& FList;
};
}  // namespace

void TStrings::ListIndexError(int Index) {
  throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

int TStrings::Add(const AnsiString& S) {
  int index = GetCount();
  Insert(index, S);
  return index;
}

int TStrings::AddObject(const AnsiString& S, TObject* Obj) {
  int index = Add(S);
  PutObject(index, Obj);
  return index;
}

void TStrings::InsertObject(int Index, const AnsiString& S, TObject* Obj) {
  Insert(Index, S);
  PutObject(Index, Obj);
}

void TStrings::Put(int Index, const AnsiString& S) {
  TObject* obj = GetObject(Index);
  TUpdateScope scope(*this);
  Delete(Index);
  InsertObject(Index, S, obj);
}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::PutObject(int, TObject*) {}

void TStrings::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

int TStrings::CompareStrings(const AnsiString& S1, const AnsiString& S2) const { return AnsiCompareText(S1, S2); }

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::Exchange(int Index1, int Index2) {
  TUpdateScope scope(*this);
  AnsiString s1 = Get(Index1), s2 = Get(Index2);
  TObject* o1 = GetObject(Index1);
  TObject* o2 = GetObject(Index2);
  Put(Index1, s2);
  PutObject(Index1, o2);
  Put(Index2, s1);
  PutObject(Index2, o1);
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= GetCount()) ListIndexError(NewIndex);
  TUpdateScope scope(*this);
  AnsiString s = Get(CurIndex);
  TObject* obj = GetObject(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, s, obj);
}

int TStrings::IndexOf(const AnsiString& S) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const AnsiString& Name) const {
  for (int i = 0, n = GetCount(); i < n; ++i) {
    AnsiString s = Get(i);
    size_t sep = s.find(FNameValueSeparator);
    if (sep != AnsiString::npos && CompareStrings(s.substr(0, sep), Name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* Obj) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (GetObject(i) == Obj) return i;
  return -1;
}

void TStrings::AddStrings(const TStrings* Strings) {
  if (!Strings) return;
  TUpdateScope scope(*this);
  // Adding a list to itself adds its lines once.
  const int n = Strings->GetCount();
  for (int i = 0; i < n; ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
}

bool TStrings::Equals(const TStrings* Strings) const {
  if (!Strings) return false;
  const int n = GetCount();
  if (n != Strings->GetCount()) return false;
  for (int i = 0; i < n; ++i)
    if (Get(i) != Strings->Get(i)) return false;
  return true;
}

void TStrings::Assign(const TPersistent* Source) {
  if (auto* source = ObjectAs<TStrings>(Source)) {
    if (source == this) return;
    TUpdateScope scope(*this);
    Clear();
    FNameValueSeparator = source->FNameValueSeparator;
    FDelimiter = source->FDelimiter;
    FQuoteChar = source->FQuoteChar;
    FStrictDelimiter = source->FStrictDelimiter;
    AddStrings(source);
    return;
  }
  TPersistent::Assign(Source);
}

AnsiString TStrings::Names(int Index) const {
  AnsiString s = Get(Index);
  size_t sep = s.find(FNameValueSeparator);
  return sep == AnsiString::npos ? AnsiString() : s.substr(0, sep);
}

AnsiString TStrings::Values(const AnsiString& Name) const {
  int i = IndexOfName(Name);
  if (i < 0) return {};
  AnsiString s = Get(i);
  return s.substr(s.find(FNameValueSeparator) + 1);
}

void TStrings::SetValues(const AnsiString& Name, const AnsiString& Value) {
  int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  const AnsiString line = Name + FNameValueSeparator + Value;
  if (i < 0)
    Add(line);
  else
    Put(i, line);
}

AnsiString TStrings::ValueFromIndex(int Index) const {
  AnsiString s = Get(Index);
  size_t sep = s.find(FNameValueSeparator);
  return sep == AnsiString::npos ? AnsiString() : s.substr(sep + 1);
}

void TStrings::SetValueFromIndex(int Index, const AnsiString& Value) {
  if (Value.empty()) {
    if (Index >= 0) Delete(Index);
    return;
  }
  if (Index < 0) Index = Add({});
  Put(Index, Names(Index) + FNameValueSeparator + Value);
}

AnsiString TStrings::Text() const {
  AnsiString text;
  for (int i = 0, n = GetCount(); i < n; ++i) {
    text += Get(i);
    text += "\r\n";
  }
  return text;
}

void TStrings::SetText(const AnsiString& Value) {
  TUpdateScope scope(*this);
  Clear();
  size_t start = 0;
  const size_t n = Value.size();
  while (start < n) {
    size_t end = start;
    while (end < n && Value[end] != '\r' && Value[end] != '\n') ++end;
    Add(Value.substr(start, end - start));
    if (end < n && Value[end] == '\r') ++end;
    if (end < n && Value[end] == '\n') ++end;
    start = end;
  }
}

AnsiString TStrings::DelimitedTextWith(char Delim, char Quote, bool Strict) const {
  const int n = GetCount();
  if (n == 1 && Get(0).empty()) return AnsiString(2, Quote);
  AnsiString result;
  for (int i = 0; i < n; ++i) {
    const AnsiString s = Get(i);
    bool needsQuotes = false;
    // By characters: a trail byte that looks like the delimiter is not one.
    for (size_t p = 0; p < s.size() && !needsQuotes; p += CharSizeAt(s, p)) {
      const char c = s[p];
      needsQuotes = c == Quote || c == Delim || c == '\0' || (!Strict && static_cast<unsigned char>(c) <= ' ');
    }
    if (i > 0) result += Delim;
    result += needsQuotes ? AnsiQuotedStr(s, Quote) : s;
  }
  return result;
}

void TStrings::SetDelimitedTextWith(const AnsiString& Value, char Delim, char Quote, bool Strict) {
  TUpdateScope scope(*this);
  Clear();
  const size_t n = Value.size();
  // Blanks separate items unless the delimiter is strict; the NUL byte counts
  // as a blank so that it can never stall the scan.
  auto isBlank = [&](size_t i) { return !Strict && static_cast<unsigned char>(Value[i]) <= ' '; };
  auto next = [&](size_t i) { return i + std::max<size_t>(CharSizeAt(Value, i), 1); };
  size_t p = 0;
  while (p < n && isBlank(p)) ++p;
  while (p < n) {
    AnsiString item;
    if (Value[p] == Quote) {
      ++p;
      while (p < n) {
        if (Value[p] == Quote) {
          if (p + 1 < n && Value[p + 1] == Quote) {
            item += Quote;
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        const size_t after = next(p);
        item.append(Value, p, after - p);
        p = after;
      }
    } else {
      const size_t start = p;
      while (p < n && Value[p] != Delim && !isBlank(p)) p = next(p);
      p = std::min(p, n);
      item = Value.substr(start, p - start);
    }
    Add(item);
    while (p < n && isBlank(p)) ++p;
    if (p < n && Value[p] == Delim) {
      if (p + 1 == n) Add({});
      ++p;
      while (p < n && isBlank(p)) ++p;
    }
  }
}

AnsiString TStrings::DelimitedText() const { return DelimitedTextWith(FDelimiter, FQuoteChar, FStrictDelimiter); }

void TStrings::SetDelimitedText(const AnsiString& Value) {
  SetDelimitedTextWith(Value, FDelimiter, FQuoteChar, FStrictDelimiter);
}

AnsiString TStrings::CommaText() const { return DelimitedTextWith(',', '"', false); }

void TStrings::SetCommaText(const AnsiString& Value) { SetDelimitedTextWith(Value, ',', '"', false); }

void TStrings::LoadFromFile(const AnsiString& FileName) {
  AnsiString bytes;
  if (!ReadFileBytes(FileName, bytes))
    throw EFOpenError("Cannot open file \"" + FileName + "\". " + SysErrorMessage(GetLastOSError()));
  SetText(bytes);
}

void TStrings::SaveToFile(const AnsiString& FileName) const {
  if (!WriteFileBytes(FileName, Text()))
    throw EFCreateError("Cannot create file \"" + FileName + "\". " + SysErrorMessage(GetLastOSError()));
}

// ---- TStringList ----

TStringList::~TStringList() {
  if (FOwnsObjects)
    for (TItem& item : FItems) delete std::exchange(item.Object, nullptr);
}

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= GetCount()) ListIndexError(Index);
}

void TStringList::NotifyChanging() {
  if (UpdateCount() == 0) Changing();
}

void TStringList::NotifyChanged() {
  if (UpdateCount() == 0) Changed();
}

AnsiString TStringList::Get(int Index) const {
  CheckIndex(Index);
  return FItems[static_cast<size_t>(Index)].String;
}

void TStringList::Put(int Index, const AnsiString& S) {
  if (FSorted) throw EStringListError("Operation not allowed on sorted list");
  CheckIndex(Index);
  NotifyChanging();
  FItems[static_cast<size_t>(Index)].String = S;
  NotifyChanged();
}

TObject* TStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return FItems[static_cast<size_t>(Index)].Object;
}

void TStringList::PutObject(int Index, TObject* Obj) {
  CheckIndex(Index);
  NotifyChanging();
  FItems[static_cast<size_t>(Index)].Object = Obj;
  NotifyChanged();
}

int TStringList::CompareStrings(const AnsiString& S1, const AnsiString& S2) const {
  return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

void TStringList::InsertItem(int Index, const AnsiString& S, TObject* Obj) {
  NotifyChanging();
  FItems.insert(FItems.begin() + Index, TItem{S, Obj});
  NotifyChanged();
}

int TStringList::Add(const AnsiString& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const AnsiString& S, TObject* Obj) {
  int index = GetCount();
  if (FSorted && Find(S, index)) {
    switch (FDuplicates) {
      case dupIgnore: return index;
      case dupError: throw EStringListError("String list does not allow duplicates");
      case dupAccept: break;
    }
  }
  InsertItem(index, S, Obj);
  return index;
}

void TStringList::Insert(int Index, const AnsiString& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const AnsiString& S, TObject* Obj) {
  if (FSorted) throw EStringListError("Operation not allowed on sorted list");
  if (Index < 0 || Index > GetCount()) ListIndexError(Index);
  InsertItem(Index, S, Obj);
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  NotifyChanging();
  TObject* obj = FItems[static_cast<size_t>(Index)].Object;
  FItems.erase(FItems.begin() + Index);
  if (FOwnsObjects) delete obj;
  NotifyChanged();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  NotifyChanging();
  std::vector<TItem> items = std::move(FItems);
  FItems.clear();
  if (FOwnsObjects)
    for (TItem& item : items) delete item.Object;
  NotifyChanged();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  NotifyChanging();
  std::swap(FItems[static_cast<size_t>(Index1)], FItems[static_cast<size_t>(Index2)]);
  NotifyChanged();
}

void TStringList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  // Checked before anything is taken out, so a refused move loses no line.
  if (FSorted) throw EStringListError("Operation not allowed on sorted list");
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  NotifyChanging();
  TItem item = std::move(FItems[static_cast<size_t>(CurIndex)]);
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, std::move(item));
  NotifyChanged();
}

int TStringList::IndexOf(const AnsiString& S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  int index = 0;
  return Find(S, index) ? index : -1;
}

bool TStringList::Find(const AnsiString& S, int& Index) const {
  bool found = false;
  int lo = 0, hi = GetCount() - 1;
  while (lo <= hi) {
    int mid = lo + (hi - lo) / 2;
    int c = CompareStrings(FItems[static_cast<size_t>(mid)].String, S);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (FDuplicates != dupAccept) lo = mid;
      }
    }
  }
  Index = lo;
  return found;
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) SortItems(CompareLines);
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted) SortItems(CompareLines);
}

int TStringList::CompareLines(TStringList& List, int Index1, int Index2) {
  return List.CompareStrings(List.FItems[static_cast<size_t>(Index1)].String,
                             List.FItems[static_cast<size_t>(Index2)].String);
}

void TStringList::Sort() { CustomSort(CompareLines); }

// A sorted list keeps its own order: any other would break Find.
void TStringList::CustomSort(const TStringListSortCompare& Compare) {
  if (!FSorted) SortItems(Compare);
}

void TStringList::SortItems(const TStringListSortCompare& Compare) {
  const size_t n = FItems.size();
  if (n < 2) return;
  // Merge sort of positions: Compare sees the lines where they stand, and an
  // inconsistent comparison can never lead outside the list.
  std::vector<int> order(n), scratch(n);
  for (size_t i = 0; i < n; ++i) order[i] = static_cast<int>(i);
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      size_t a = lo, b = mid, out = lo;
      while (a < mid && b < hi) scratch[out++] = Compare(*this, order[b], order[a]) < 0 ? order[b++] : order[a++];
      while (a < mid) scratch[out++] = order[a++];
      while (b < hi) scratch[out++] = order[b++];
    }
    order.swap(scratch);
  }
  NotifyChanging();
  std::vector<TItem> sorted;
  sorted.reserve(n);
  for (int i : order) sorted.push_back(std::move(FItems[static_cast<size_t>(i)]));
  FItems = std::move(sorted);
  NotifyChanged();
}
