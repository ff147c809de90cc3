#include "platform/db/RecordStore.h"

#include <cstring>
#include <limits>

uint8_t TRecordStore::WidthOf(TStorageKind Kind) {
  switch (Kind) {
    case TStorageKind::Int32: return 4;
    case TStorageKind::Int64: case TStorageKind::Double: case TStorageKind::Scaled: return 8;
    case TStorageKind::Bool: return 1;
    default: return 0;
  }
}

void TRecordStore::TColumn::SetNullBit(uint32_t Row, bool Null, uint32_t RowCount) {
  if (Nulls.empty()) {
    if (!Null) return;
    Nulls.assign((RowCount + 7) / 8, 0);
  }
  if (Null)
    Nulls[Row >> 3] |= static_cast<uint8_t>(1u << (Row & 7));
  else
    Nulls[Row >> 3] &= static_cast<uint8_t>(~(1u << (Row & 7)));
}

void TRecordStore::Clear() {
  FColumns.clear();
  FRowCount = 0;
  FBlocks.clear();
  FBlockBytes = 0;
}

char* TRecordStore::AllocateBlock(size_t Size) {
  std::shared_ptr<char> block(static_cast<char*>(kw_memory::AllocateLarge(Size)), kw_memory::FreeLarge);
  FBlocks.push_back(block);
  FBlockBytes += Size;
  return block.get();
}

void TRecordStore::ClearRows() {
  for (TColumn& c : FColumns) {
    TColumn fresh;
    fresh.Kind = c.Kind;
    fresh.Width = c.Width;
    c = std::move(fresh);
  }
  FRowCount = 0;
  FBlocks.clear();
  FBlockBytes = 0;
}

int TRecordStore::AddColumn(TStorageKind Kind) {
  TColumn c;
  c.Kind = Kind;
  c.Width = WidthOf(Kind);
  if (FRowCount) {
    // Existing rows get nulls in the new column.
    c.Fixed.resize(size_t{FRowCount} * c.Width);
    if (Kind == TStorageKind::Bytes) c.Offsets.assign(FRowCount + 1, 0);
    c.Nulls.assign((FRowCount + 7) / 8, 0xFF);
  }
  FColumns.push_back(std::move(c));
  return static_cast<int>(FColumns.size()) - 1;
}

uint32_t TRecordStore::AppendRow() {
  if (FRowCount == std::numeric_limits<uint32_t>::max()) DatabaseError("Too many records");
  const uint32_t row = FRowCount++;
  for (TColumn& c : FColumns) {
    if (c.Kind == TStorageKind::Bytes)
      c.Offsets.push_back(c.Offsets.back());
    else
      c.Fixed.resize(c.Fixed.size() + c.Width);
    if (c.Nulls.size() * 8 < FRowCount) {
      if (c.Nulls.empty()) c.Nulls.assign((FRowCount + 7) / 8, 0);
      else c.Nulls.resize((FRowCount + 7) / 8, 0);
    }
    c.SetNullBit(row, true, FRowCount);
  }
  return row;
}

int64_t TRecordStore::GetInt(uint32_t Row, int Col) const {
  const TColumn& c = FColumns[Col];
  const unsigned char* p = c.Fixed.data() + size_t{Row} * c.Width;
  switch (c.Kind) {
    case TStorageKind::Int32: {
      int32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
    case TStorageKind::Bool:
      return *p ? 1 : 0;
    default: {
      int64_t v;
      std::memcpy(&v, p, 8);
      return v;
    }
  }
}

double TRecordStore::GetDouble(uint32_t Row, int Col) const {
  const TColumn& c = FColumns[Col];
  double v;
  std::memcpy(&v, c.Fixed.data() + size_t{Row} * 8, 8);
  return v;
}

std::string_view TRecordStore::GetBytes(uint32_t Row, int Col) const {
  const TColumn& c = FColumns[Col];
  if (!c.Changed.empty()) {
    auto it = c.Changed.find(Row);
    if (it != c.Changed.end()) return it->second;
  }
  return std::string_view(c.Text.data() + c.Offsets[Row], c.Offsets[Row + 1] - c.Offsets[Row]);
}

void TRecordStore::SetNull(uint32_t Row, int Col) {
  TColumn& c = FColumns[Col];
  c.SetNullBit(Row, true, FRowCount);
  if (c.Kind == TStorageKind::Bytes) c.Changed.erase(Row);
}

void TRecordStore::SetInt(uint32_t Row, int Col, int64_t Value) {
  TColumn& c = FColumns[Col];
  unsigned char* p = c.Fixed.data() + size_t{Row} * c.Width;
  switch (c.Kind) {
    case TStorageKind::Int32: {
      int32_t v = static_cast<int32_t>(Value);
      std::memcpy(p, &v, 4);
      break;
    }
    case TStorageKind::Bool:
      *p = Value ? 1 : 0;
      break;
    default:
      std::memcpy(p, &Value, 8);
  }
  c.SetNullBit(Row, false, FRowCount);
}

void TRecordStore::SetDouble(uint32_t Row, int Col, double Value) {
  TColumn& c = FColumns[Col];
  std::memcpy(c.Fixed.data() + size_t{Row} * 8, &Value, 8);
  c.SetNullBit(Row, false, FRowCount);
}

void TRecordStore::SetBytes(uint32_t Row, int Col, std::string_view Value) {
  TColumn& c = FColumns[Col];
  const bool last = Row + 1 == FRowCount && c.Offsets[Row + 1] == c.Text.size();
  if (last && c.Text.size() - (c.Offsets[Row + 1] - c.Offsets[Row]) + Value.size() <=
                  std::numeric_limits<uint32_t>::max()) {
    // The newest row sits at the end of the block: rewrite it there, which
    // is how rows of a local data set are filled in.
    c.Text.resize(c.Offsets[Row]);
    c.Text.append(Value.data(), Value.data() + Value.size());
    c.Offsets[Row + 1] = static_cast<uint32_t>(c.Text.size());
    c.Changed.erase(Row);
  } else {
    c.Changed[Row] = AnsiString(Value);
  }
  c.SetNullBit(Row, false, FRowCount);
}

size_t TRecordStore::MemoryUsed() const {
  // Borrowed columns count through their block.
  size_t total = FColumns.capacity() * sizeof(TColumn) + FBlockBytes;
  auto owned = [](const auto& V) { return V.Borrowed() ? 0 : V.capacity() * sizeof(V[0]); };
  for (const TColumn& c : FColumns) {
    total += owned(c.Fixed) + owned(c.Text) + owned(c.Offsets) + c.Nulls.capacity();
    for (const auto& [row, text] : c.Changed) total += sizeof(row) + text.capacity() + 32;
  }
  return total;
}
