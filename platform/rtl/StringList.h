#pragma once
// Lists of strings with an optional object per line: the abstract TStrings
// (what every list of lines offers: name=value access, text, delimited text,
// files) and TStringList, the stand-alone list with sorting and duplicate
// rules.
//
// Indexes are 0-based like the run-time's lists. Texts are bytes; nothing is
// re-encoded on the way in or out of files.

#include <functional>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"

class TStrings : public TPersistent {
  KW_DECLARE_CLASS(TStrings, TPersistent)
 public:
  TStrings() = default;
  // Lists own their lines and often their objects: copying one would share or
  // double-free, so copy state with Assign instead.
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;

  int Count() const { return GetCount(); }
  AnsiString Strings(int Index) const { return Get(Index); }
  // Read-only: a const result keeps "List[i] = s" from compiling into an
  // assignment to a copy (use SetStrings).
  const AnsiString operator[](int Index) const { return Get(Index); }
  void SetStrings(int Index, const AnsiString& S) { Put(Index, S); }
  TObject* Objects(int Index) const { return GetObject(Index); }
  void SetObjects(int Index, TObject* Obj) { PutObject(Index, Obj); }

  virtual int Add(const AnsiString& S);
  virtual int AddObject(const AnsiString& S, TObject* Obj);
  virtual void Insert(int Index, const AnsiString& S) = 0;
  virtual void InsertObject(int Index, const AnsiString& S, TObject* Obj);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  virtual void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);
  virtual int IndexOf(const AnsiString& S) const;
  int IndexOfName(const AnsiString& Name) const;
  int IndexOfObject(const TObject* Obj) const;
  void AddStrings(const TStrings* Strings);
  // Same lines in the same order, compared byte for byte.
  bool Equals(const TStrings* Strings) const;
  void Assign(const TPersistent* Source) override;

  // name=value lines. A line without the separator has an empty name.
  char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(char C) { FNameValueSeparator = C; }
  AnsiString Names(int Index) const;
  AnsiString Values(const AnsiString& Name) const;
  // An empty value deletes the line; a missing name is added at the end.
  void SetValues(const AnsiString& Name, const AnsiString& Value);
  // The part after the first separator; empty for a line without one.
  AnsiString ValueFromIndex(int Index) const;
  void SetValueFromIndex(int Index, const AnsiString& Value);

  // Every line followed by CR LF. Setting splits at CR LF, LF or CR; a final
  // line break does not start another line.
  AnsiString Text() const;
  void SetText(const AnsiString& Value);

  // Lines joined by Delimiter; a line holding the quote, the delimiter or,
  // unless StrictDelimiter is set, a blank or control byte is quoted. Reading
  // splits at the delimiter and, unless StrictDelimiter is set, at blanks
  // outside quotes too. A byte of a double-byte character is never taken for
  // the delimiter or the quote.
  char Delimiter() const { return FDelimiter; }
  void SetDelimiter(char C) { FDelimiter = C; }
  char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char C) { FQuoteChar = C; }
  bool StrictDelimiter() const { return FStrictDelimiter; }
  void SetStrictDelimiter(bool Value) { FStrictDelimiter = Value; }
  AnsiString DelimitedText() const;
  void SetDelimitedText(const AnsiString& Value);
  // DelimitedText with ',' and '"' whatever Delimiter and QuoteChar hold.
  AnsiString CommaText() const;
  void SetCommaText(const AnsiString& Value);

  // Raise EFOpenError / EFCreateError when the file cannot be read or written.
  // Saving replaces the file atomically.
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName) const;

  // Nested; the list reports one change when the outermost update ends.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

 protected:
  virtual int GetCount() const = 0;
  virtual AnsiString Get(int Index) const = 0;
  virtual void Put(int Index, const AnsiString& S);
  virtual TObject* GetObject(int Index) const;
  virtual void PutObject(int Index, TObject* Obj);
  // Called with true when the outermost BeginUpdate starts and with false when
  // the matching EndUpdate ends; the default reports Changing and Changed.
  virtual void SetUpdateState(bool Updating);
  // Change notification: Changing before and Changed after a modification
  // made outside BeginUpdate/EndUpdate, or once around a whole update.
  virtual void Changing() {}
  virtual void Changed() {}
  // Comparison used by IndexOf and IndexOfName: ignores case by default.
  virtual int CompareStrings(const AnsiString& S1, const AnsiString& S2) const;

  [[noreturn]] static void ListIndexError(int Index);

 private:
  AnsiString DelimitedTextWith(char Delim, char Quote, bool Strict) const;
  void SetDelimitedTextWith(const AnsiString& Value, char Delim, char Quote, bool Strict);

  int FUpdateCount = 0;
  char FNameValueSeparator = '=';
  char FDelimiter = ',';
  char FQuoteChar = '"';
  bool FStrictDelimiter = false;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
// Negative, zero or positive like a comparison of the lines at the two indexes.
using TStringListSortCompare = std::function<int(TStringList& List, int Index1, int Index2)>;

class TStringList : public TStrings {
  KW_DECLARE_CLASS(TStringList, TStrings)
 public:
  TStringList() = default;
  explicit TStringList(bool OwnsObjects) : FOwnsObjects(OwnsObjects) {}
  ~TStringList() override;

  // In a sorted list Add inserts in order and honours Duplicates; Insert, Put
  // and Move raise EStringListError.
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  // Only a sorted list checks for duplicates, as the run-time's list does.
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  // Off by default: comparisons ignore case. Changing it re-sorts a sorted list.
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);
  // When set, Delete, Clear and the destructor free the lines' objects.
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

  int Add(const AnsiString& S) override;
  int AddObject(const AnsiString& S, TObject* Obj) override;
  void Insert(int Index, const AnsiString& S) override;
  void InsertObject(int Index, const AnsiString& S, TObject* Obj) override;
  void Delete(int Index) override;
  void Clear() override;
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;
  int IndexOf(const AnsiString& S) const override;

  // Binary search of a sorted list: true when S is there; Index is where it is
  // (the first of equal lines when duplicates are accepted) or where it would
  // be inserted.
  bool Find(const AnsiString& S, int& Index) const;
  // Both leave a sorted list as it is (it is in order already).
  void Sort();
  // Stable; Compare sees the lines at their positions before the sort.
  void CustomSort(const TStringListSortCompare& Compare);

 protected:
  int GetCount() const override { return static_cast<int>(FItems.size()); }
  AnsiString Get(int Index) const override;
  void Put(int Index, const AnsiString& S) override;
  TObject* GetObject(int Index) const override;
  void PutObject(int Index, TObject* Obj) override;
  int CompareStrings(const AnsiString& S1, const AnsiString& S2) const override;

 private:
  struct TItem {
    AnsiString String;
    TObject* Object = nullptr;
  };
  void CheckIndex(int Index) const;
  void InsertItem(int Index, const AnsiString& S, TObject* Obj);
  void SortItems(const TStringListSortCompare& Compare);
  static int CompareLines(TStringList& List, int Index1, int Index2);
  void NotifyChanging();
  void NotifyChanged();

  std::vector<TItem> FItems;
  TDuplicates FDuplicates = dupIgnore;
  bool FSorted = false;
  bool FCaseSensitive = false;
  bool FOwnsObjects = false;
};
