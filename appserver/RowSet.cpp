#include "appserver/RowSet.h"

#include "appserver/AppServerErrors.h"
#include "platform/rtl/AnsiText.h"

TRowSet::~TRowSet() {
  for (std::size_t i = 0; i < FCount; ++i) Cell(i).~Variant();
}

TRowSet& TRowSet::operator=(TRowSet&& Other) noexcept {
  if (this == &Other) return *this;
  for (std::size_t i = 0; i < FCount; ++i) Cell(i).~Variant();
  Fields = std::move(Other.Fields);
  FBlocks = std::move(Other.FBlocks);
  FCount = Other.FCount;
  Other.FBlocks.clear();
  Other.FCount = 0;
  return *this;
}

void TRowSet::TBlockFree::operator()(Variant* Block) const { ::operator delete(Block); }

void TRowSet::AddBlock() {
  FBlocks.emplace_back(static_cast<Variant*>(::operator new(kBlockSize * sizeof(Variant))));
}

int TRowSet::IndexOf(const AnsiString& FieldName) const {
  for (std::size_t i = 0; i < Fields.size(); ++i)
    if (SameText(Fields[i].Name, FieldName)) return static_cast<int>(i);
  return -1;
}

const Variant& TRowSet::Value(int Row, const AnsiString& FieldName) const {
  int field = IndexOf(FieldName);
  if (field < 0) throw ERequestRefused("The rows have no field \"" + FieldName + "\"");
  return Value(Row, field);
}

Variant TRowSet::AsRowArrays() const {
  int rows = RowCount();
  Variant out = VarArrayCreate({0, rows - 1}, varVariant);
  for (int r = 0; r < rows; ++r) {
    Variant row = VarArrayCreate({0, FieldCount() - 1}, varVariant);
    for (int f = 0; f < FieldCount(); ++f) row[f] = Value(r, f);
    out[r] = std::move(row);
  }
  return out;
}
