#pragma once
// The storage behind a data set: one column per field, each a plain array.
// Fixed-width values (integers, floats, dates, booleans, scaled decimals)
// lie back to back; texts lie back to back in one byte block with an offset
// array beside it, so a column of 100,000 texts is two allocations, and a
// data packet (DataPacket.h) is read into it with a copy per column. A null
// bitmap exists only for columns that hold nulls.
//
// Rows are added at the end. Any cell may be changed later: a fixed value in
// place, a text by keeping the new bytes beside the block (a change log of
// edits stays small next to the fetched rows).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/com/LargeBuffer.h"
#include "platform/db/DBTypes.h"


class TRecordStore {
 public:
  struct TColumn {
    TStorageKind Kind = TStorageKind::None;
    uint8_t Width = 0;                   // bytes per row of Fixed
    TPodVector<unsigned char> Fixed;     // fixed-width kinds
    TPodVector<char> Text;               // Bytes: every value of the column, back to back
    TPodVector<uint32_t> Offsets{0};     // Bytes: row r is Text[Offsets[r], Offsets[r + 1])
    std::vector<uint8_t> Nulls;          // bit r set: row r is null; empty: no nulls
    std::unordered_map<uint32_t, std::string> Changed;  // Bytes rows rewritten after they were added

    bool IsNull(uint32_t Row) const {
      return !Nulls.empty() && (Nulls[Row >> 3] >> (Row & 7) & 1);
    }
    void SetNullBit(uint32_t Row, bool Null, uint32_t RowCount);
  };

  static uint8_t WidthOf(TStorageKind Kind);

  TRecordStore() = default;
  // A copy owns its columns outright (no shared blocks).
  TRecordStore(const TRecordStore& Other) : FColumns(Other.FColumns), FRowCount(Other.FRowCount) {}
  TRecordStore& operator=(const TRecordStore& Other) {
    if (this != &Other) *this = TRecordStore(Other);
    return *this;
  }
  TRecordStore(TRecordStore&&) noexcept = default;
  TRecordStore& operator=(TRecordStore&&) noexcept = default;

  void Clear();
  // Clears the rows, keeping the columns.
  void ClearRows();
  int AddColumn(TStorageKind Kind);
  int ColumnCount() const { return static_cast<int>(FColumns.size()); }
  uint32_t RowCount() const { return FRowCount; }
  TColumn& Column(int Index) { return FColumns[Index]; }
  const TColumn& Column(int Index) const { return FColumns[Index]; }

  // A new row at the end with every cell null; its number.
  uint32_t AppendRow();

  bool IsNull(uint32_t Row, int Col) const { return FColumns[Col].IsNull(Row); }
  // Readers for the column's own kind (the caller checks the kind).
  int64_t GetInt(uint32_t Row, int Col) const;  // Int32, Int64, Scaled, Bool
  double GetDouble(uint32_t Row, int Col) const;
  std::string_view GetBytes(uint32_t Row, int Col) const;

  void SetNull(uint32_t Row, int Col);
  void SetInt(uint32_t Row, int Col, int64_t Value);
  void SetDouble(uint32_t Row, int Col, double Value);
  void SetBytes(uint32_t Row, int Col, std::string_view Value);

  // Bytes held by the columns (their capacity), for memory figures.
  size_t MemoryUsed() const;

  // For bulk loaders that fill the columns themselves: the row count they filled.
  void SetRowCount(uint32_t Rows) { FRowCount = Rows; }
  // For bulk loaders: one block of Size bytes that columns may borrow
  // (TPodVector::Borrow), kept as long as the store lives. Loading every
  // column into one block costs one allocation instead of two per column.
  char* AllocateBlock(size_t Size);

 private:
  std::vector<TColumn> FColumns;
  uint32_t FRowCount = 0;
  std::vector<std::shared_ptr<char>> FBlocks;
  size_t FBlockBytes = 0;
};
