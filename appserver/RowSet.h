#pragma once
// The rows a statement returns, held in memory: field names, kinds and sizes,
// and one Variant per cell. Texts are AnsiStrings in the database code page,
// whole numbers Integer (Int64 when they do not fit), decimal numbers
// Currency (four decimals, like the run-time's BCD fields), floating-point
// columns Double, NULL is Null.

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Variant.h"

enum class TFieldKind { String, Integer, Currency, Float, Boolean };

struct TRowSetField {
  AnsiString Name;  // upper case, as the join dialect names columns
  TFieldKind Kind = TFieldKind::String;
  int Size = 0;  // declared length of a text column; 0 when not known
};

class TRowSet {
 public:
  TRowSet() = default;
  TRowSet(TRowSet&& Other) noexcept { *this = std::move(Other); }
  TRowSet& operator=(TRowSet&& Other) noexcept;
  ~TRowSet();

  std::vector<TRowSetField> Fields;

  int FieldCount() const { return static_cast<int>(Fields.size()); }
  int RowCount() const { return Fields.empty() ? 0 : static_cast<int>(FCount / Fields.size()); }
  const Variant& Value(int Row, int Field) const { return Cell(Index(Row, Field)); }
  Variant& Value(int Row, int Field) { return Cell(Index(Row, Field)); }
  // The cell of the named field (ignoring case); raises ERequestRefused for a
  // field the row set does not have.
  const Variant& Value(int Row, const AnsiString& FieldName) const;
  // The field's index (ignoring case) or -1.
  int IndexOf(const AnsiString& FieldName) const;

  // Appends the next cell: rows are filled field by field, row after row.
  void Append(Variant&& Value) {
    if ((FCount & kBlockMask) == 0 && (FCount >> kBlockBits) == FBlocks.size()) AddBlock();
    new (FBlocks[FCount >> kBlockBits].get() + (FCount & kBlockMask)) Variant(std::move(Value));
    ++FCount;
  }

  // The rows as an array of row arrays: [row][field], bounds from 0.
  Variant AsRowArrays() const;

 private:
  // Cells live in fixed blocks, so a growing row set never moves what it
  // holds and touches its memory once.
  static constexpr int kBlockBits = 14;
  static constexpr std::size_t kBlockSize = std::size_t(1) << kBlockBits, kBlockMask = kBlockSize - 1;
  struct TBlockFree {
    void operator()(Variant* Block) const;
  };

  std::size_t Index(int Row, int Field) const {
    return static_cast<std::size_t>(Row) * Fields.size() + static_cast<std::size_t>(Field);
  }
  Variant& Cell(std::size_t I) const { return FBlocks[I >> kBlockBits].get()[I & kBlockMask]; }
  void AddBlock();

  std::vector<std::unique_ptr<Variant, TBlockFree>> FBlocks;
  std::size_t FCount = 0;
};
