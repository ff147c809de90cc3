#include "platform/db/DataPacket.h"

#include <cstring>
#include <limits>

#include "platform/com/Marshal.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Numbers.h"

namespace {

constexpr char Magic[4] = {'K', 'W', 'D', 'P'};
constexpr uint8_t PacketVersion = 1;
constexpr uint32_t MaxColumns = 4096;
constexpr size_t MaxNameLength = 1024;

template <class T>
void PushFixed(TRecordStore::TColumn& C, T Value) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&Value);
  C.Fixed.append(bytes, bytes + sizeof(T));
}

void PushInt(TRecordStore::TColumn& C, int64_t Value) {
  switch (C.Kind) {
    case TStorageKind::Int32:
      if (Value < INT32_MIN || Value > INT32_MAX) throw EVariantOverflowError("Arithmetic overflow");
      PushFixed(C, static_cast<int32_t>(Value));
      break;
    case TStorageKind::Bool: PushFixed(C, static_cast<uint8_t>(Value != 0)); break;
    default: PushFixed(C, Value); break;
  }
}

void PushText(TRecordStore::TColumn& C, std::string_view Value) {
  if (C.Text.size() + Value.size() > std::numeric_limits<uint32_t>::max())
    DatabaseError("Data packet column larger than 4 GB");
  C.Text.append(Value.data(), Value.data() + Value.size());
  C.Offsets.push_back(static_cast<uint32_t>(C.Text.size()));
}

}  // namespace

// ---- Writer ---------------------------------------------------------------------

int TDataPacketWriter::AddColumn(const AnsiString& Name, TFieldType Type, int Size,
                                 const AnsiString& DisplayLabel, bool Required) {
  if (FStore.RowCount() || FNext) DatabaseError("Columns must be declared before the first row");
  TStorageKind kind = StorageOf(Type);
  if (kind == TStorageKind::None)
    DatabaseError(Format("Field '%s' is of an unsupported type (%s)", {Name, AnsiString(FieldTypeName(Type))}));
  TPacketColumn c;
  c.Name = Name;
  c.DataType = Type;
  c.Size = Size;
  c.DisplayLabel = DisplayLabel;
  c.Required = Required;
  FColumns.push_back(std::move(c));
  return FStore.AddColumn(kind);
}

void TDataPacketWriter::Advance() {
  if (++FNext == ColumnCount()) {
    FNext = 0;
    FStore.SetRowCount(FStore.RowCount() + 1);
  }
}

int TDataPacketWriter::NextColumn(TStorageKind& Kind) {
  if (FColumns.empty()) DatabaseError("Data packet has no columns");
  int col = FNext;
  Kind = FStore.Column(col).Kind;
  return col;
}


void TDataPacketWriter::AddNull() {
  TStorageKind kind;
  int col = NextColumn(kind);
  TRecordStore::TColumn& c = FStore.Column(col);
  const uint32_t row = FStore.RowCount();
  if (kind == TStorageKind::Bytes)
    PushText(c, {});
  else
    c.Fixed.resize(c.Fixed.size() + c.Width);
  if (c.Nulls.size() * 8 <= row) c.Nulls.resize(row / 8 + 1, 0);
  c.Nulls[row >> 3] |= static_cast<uint8_t>(1u << (row & 7));
  Advance();
}

void TDataPacketWriter::AddInteger(int64_t Value) {
  TStorageKind kind;
  int col = NextColumn(kind);
  TRecordStore::TColumn& c = FStore.Column(col);
  switch (kind) {
    case TStorageKind::Double: PushFixed(c, static_cast<double>(Value)); break;
    case TStorageKind::Scaled: PushFixed(c, Value * Currency::Scale); break;
    case TStorageKind::Bytes: PushText(c, IntToStr(static_cast<long long>(Value))); break;
    default: PushInt(c, Value); break;
  }
  Advance();
}

void TDataPacketWriter::AddFloat(double Value) {
  TStorageKind kind;
  int col = NextColumn(kind);
  TRecordStore::TColumn& c = FStore.Column(col);
  switch (kind) {
    case TStorageKind::Double: PushFixed(c, Value); break;
    case TStorageKind::Scaled: PushFixed(c, Currency::FromDouble(Value).Scaled); break;
    case TStorageKind::Bytes: PushText(c, FloatToStr(Value)); break;
    case TStorageKind::Bool: PushInt(c, Value != 0); break;
    default: {
      int64_t whole = Variant(Value).AsInt64();
      PushInt(c, whole);
    }
  }
  Advance();
}

void TDataPacketWriter::AddBoolean(bool Value) { AddVariant(Variant(Value)); }

void TDataPacketWriter::AddCurrency(Currency Value) {
  TStorageKind kind;
  int col = NextColumn(kind);
  if (kind == TStorageKind::Scaled) {
    PushFixed(FStore.Column(col), Value.Scaled);
    Advance();
    return;
  }
  AddVariant(Variant(Value));
}

void TDataPacketWriter::AddString(std::string_view Value) {
  TStorageKind kind;
  int col = NextColumn(kind);
  if (kind == TStorageKind::Bytes) {
    PushText(FStore.Column(col), Value);
    Advance();
    return;
  }
  AddVariant(Variant(AnsiString(Value)));
}

void TDataPacketWriter::AddVariant(const Variant& Value) {
  if (Value.IsNull() || Value.IsEmpty()) {
    AddNull();
    return;
  }
  TStorageKind kind;
  int col = NextColumn(kind);
  TRecordStore::TColumn& c = FStore.Column(col);
  switch (kind) {
    case TStorageKind::Int32: case TStorageKind::Int64:
      PushInt(c, Value.AsInt64());
      break;
    case TStorageKind::Bool:
      PushInt(c, Value.AsBoolean());
      break;
    case TStorageKind::Double:
      PushFixed(c, FColumns[col].DataType == ftFloat || FColumns[col].DataType == ftCurrency
                       ? Value.AsFloat()
                       : Value.AsDate().Value);
      break;
    case TStorageKind::Scaled:
      PushFixed(c, Value.AsCurrency().Scaled);
      break;
    default:
      PushText(c, Value.AsString());
  }
  Advance();
}

std::string TDataPacketWriter::Finish() {
  if (FNext != 0) DatabaseError("Data packet ends in the middle of a record");
  const size_t nullBytes = (size_t{FStore.RowCount()} + 7) / 8;
  for (int i = 0; i < FStore.ColumnCount(); ++i) {
    auto& nulls = FStore.Column(i).Nulls;
    if (!nulls.empty()) nulls.resize(nullBytes, 0);
  }
  return WriteDataPacket(FColumns, FStore);
}

Variant TDataPacketWriter::FinishVariant() { return BytesToVariant(Finish()); }

Variant TDataPacketWriter::FinishObject() {
  if (FNext != 0) DatabaseError("Data packet ends in the middle of a record");
  const size_t nullBytes = (size_t{FStore.RowCount()} + 7) / 8;
  for (int i = 0; i < FStore.ColumnCount(); ++i) {
    auto& nulls = FStore.Column(i).Nulls;
    if (!nulls.empty()) nulls.resize(nullBytes, 0);
  }
  Variant packet(DispatchPtr::Attach(new TDataPacketObject(std::move(FColumns), std::move(FStore))));
  FColumns.clear();
  FStore.Clear();
  return packet;
}

// ---- Writing a store ----------------------------------------------------------------

namespace {

bool IsPlain(const TRecordStore& Store, const std::vector<uint32_t>* Rows) {
  if (Rows) return false;
  for (int i = 0; i < Store.ColumnCount(); ++i)
    if (!Store.Column(i).Changed.empty()) return false;
  return true;
}

// The rows picked (or all, with their rewritten texts) in a store of their own.
TRecordStore CopyRows(const TRecordStore& Store, const std::vector<uint32_t>* Rows) {
  TRecordStore copy;
  for (int i = 0; i < Store.ColumnCount(); ++i) copy.AddColumn(Store.Column(i).Kind);
  const uint32_t count = Rows ? static_cast<uint32_t>(Rows->size()) : Store.RowCount();
  for (uint32_t n = 0; n < count; ++n) {
    const uint32_t from = Rows ? (*Rows)[n] : n;
    const uint32_t to = copy.AppendRow();
    for (int col = 0; col < Store.ColumnCount(); ++col) {
      if (Store.IsNull(from, col)) continue;
      switch (Store.Column(col).Kind) {
        case TStorageKind::Double: copy.SetDouble(to, col, Store.GetDouble(from, col)); break;
        case TStorageKind::Bytes: copy.SetBytes(to, col, Store.GetBytes(from, col)); break;
        default: copy.SetInt(to, col, Store.GetInt(from, col)); break;
      }
    }
  }
  return copy;
}

bool HasNulls(const TRecordStore::TColumn& C, size_t NullBytes) {
  for (size_t b = 0; b < C.Nulls.size() && b < NullBytes; ++b)
    if (C.Nulls[b]) return true;
  return false;
}

size_t PacketSize(const std::vector<TPacketColumn>& Columns, const TRecordStore& Store) {
  const uint32_t rows = Store.RowCount();
  const size_t nullBytes = (size_t{rows} + 7) / 8;
  size_t size = 4 + 1 + 4 + 4;
  for (const TPacketColumn& c : Columns) size += 4 + c.Name.size() + 1 + 4 + 4 + c.DisplayLabel.size() + 1;
  for (int i = 0; i < Store.ColumnCount(); ++i) {
    const TRecordStore::TColumn& c = Store.Column(i);
    size += 1 + (HasNulls(c, nullBytes) ? nullBytes : 0);
    size += c.Kind == TStorageKind::Bytes ? (size_t{rows} + 1) * 4 + c.Offsets[rows] : size_t{rows} * c.Width;
  }
  return size;
}

// A store without rewritten texts, every column as it lies.
void WritePacket(TWireWriter& W, const std::vector<TPacketColumn>& Columns, const TRecordStore& Store) {
  const uint32_t rows = Store.RowCount();
  W.Raw(Magic, 4);
  W.U8(PacketVersion);
  W.U32(static_cast<uint32_t>(Columns.size()));
  W.U32(rows);
  for (const TPacketColumn& c : Columns) {
    W.Str(c.Name);
    W.U8(c.DataType);
    W.I32(c.Size);
    W.Str(c.DisplayLabel);
    W.U8((c.Required ? 1 : 0) | (c.ReadOnly ? 2 : 0));
  }
  const size_t nullBytes = (size_t{rows} + 7) / 8;
  for (int i = 0; i < Store.ColumnCount(); ++i) {
    const TRecordStore::TColumn& c = Store.Column(i);
    const bool anyNull = HasNulls(c, nullBytes);
    W.U8(anyNull ? 1 : 0);
    if (anyNull) {
      std::string bits(nullBytes, '\0');
      std::memcpy(bits.data(), c.Nulls.data(), std::min(nullBytes, c.Nulls.size()));
      if (rows % 8) bits.back() &= static_cast<char>((1u << (rows % 8)) - 1);
      W.Raw(bits.data(), bits.size());
    }
    if (c.Kind == TStorageKind::Bytes) {
      W.Raw(c.Offsets.data(), (size_t{rows} + 1) * 4);
      W.Raw(c.Text.data(), c.Offsets[rows]);
    } else {
      W.Raw(c.Fixed.data(), size_t{rows} * c.Width);
    }
  }
}

void CheckColumns(const std::vector<TPacketColumn>& Columns, const TRecordStore& Store) {
  if (static_cast<int>(Columns.size()) != Store.ColumnCount())
    DatabaseError("Data packet columns do not match the records");
}

}  // namespace

std::string WriteDataPacket(const std::vector<TPacketColumn>& Columns, const TRecordStore& Store,
                            const std::vector<uint32_t>* Rows) {
  CheckColumns(Columns, Store);
  if (!IsPlain(Store, Rows)) return WriteDataPacket(Columns, CopyRows(Store, Rows), nullptr);
  TWireWriter w;
  w.Reserve(PacketSize(Columns, Store));
  WritePacket(w, Columns, Store);
  return std::string(w.Buffer().View());
}

// ---- Packet objects ---------------------------------------------------------------------

namespace {

const bool PacketReaderRegistered =
    (RegisterByValueReader(TDataPacketObject::Kind, &TDataPacketObject::FromBytes), true);

}  // namespace

TDataPacketObject::TDataPacketObject(std::vector<TPacketColumn> Columns, TRecordStore Store) {
  CheckColumns(Columns, Store);
  if (!IsPlain(Store, nullptr)) Store = CopyRows(Store, nullptr);
  FColumns = std::move(Columns);
  FStore = std::move(Store);
  (void)PacketReaderRegistered;
  DefineProperty("RecordCount", [this] { return Variant(static_cast<int>(FStore.RowCount())); });
  DefineProperty("FieldCount", [this] { return Variant(static_cast<int>(FColumns.size())); });
  DefineMethod("Bytes", 0, 0, [this](TAutoArgs&) {
    TWireWriter w;
    w.Reserve(MarshalSize());
    WritePacket(w, FColumns, FStore);
    return BytesToVariant(w.Buffer().View());
  });
}

TDataPacketObject::~TDataPacketObject() = default;

Variant TDataPacketObject::FromBytes(std::string_view Packet) {
  std::vector<TPacketColumn> columns;
  TRecordStore store;
  ReadDataPacket(Packet, columns, store);
  return Variant(DispatchPtr::Attach(new TDataPacketObject(std::move(columns), std::move(store))));
}

void TDataPacketObject::TakeRecords(std::vector<TPacketColumn>& Columns, TRecordStore& Store) {
  Columns = std::move(FColumns);
  Store = std::move(FStore);
  FColumns.clear();
  FStore.Clear();
}

size_t TDataPacketObject::MarshalSize() const { return PacketSize(FColumns, FStore); }

void TDataPacketObject::MarshalWrite(TWireWriter& W) const { WritePacket(W, FColumns, FStore); }

// ---- Reading ---------------------------------------------------------------------------

namespace {

// Where one column's values lie in a packet.
struct TColumnData {
  std::string_view Nulls;
  std::string_view Fixed;    // fixed-width kinds
  std::string_view Offsets;  // texts: (rows + 1) offsets
  std::string_view Text;
};

TColumnData LocateColumnValues(TWireReader& R, TStorageKind Kind, uint8_t Width, uint32_t Rows) {
  TColumnData d;
  const uint8_t nullFlag = R.U8();
  if (nullFlag > 1) R.Fail("bad null map flag");
  if (nullFlag == 1) d.Nulls = R.Raw((size_t{Rows} + 7) / 8);
  if (Kind == TStorageKind::Bytes) {
    d.Offsets = R.Raw((size_t{Rows} + 1) * 4);
    uint32_t previous;
    std::memcpy(&previous, d.Offsets.data(), 4);
    if (previous != 0) R.Fail("text offsets do not start at 0");
    for (uint32_t r = 1; r <= Rows; ++r) {
      uint32_t next;
      std::memcpy(&next, d.Offsets.data() + size_t{r} * 4, 4);
      if (next < previous) R.Fail("text offsets go backwards");
      previous = next;
    }
    d.Text = R.Raw(previous);
  } else {
    d.Fixed = R.Raw(size_t{Rows} * Width);
  }
  return d;
}

size_t Aligned(size_t Size) { return (Size + 7) & ~size_t{7}; }

}  // namespace

void ReadDataPacket(std::string_view Packet, std::vector<TPacketColumn>& Columns, TRecordStore& Store) {
  std::vector<TPacketColumn> columns;
  TRecordStore store;
  try {
    TWireReader r(Packet);
    if (r.Raw(4) != std::string_view(Magic, 4)) r.Fail("not a data packet");
    if (r.U8() != PacketVersion) r.Fail("unsupported packet version");
    const uint32_t count = r.U32();
    const uint32_t rows = r.U32();
    if (count > MaxColumns) r.Fail("too many columns");
    if (count == 0 && rows != 0) r.Fail("records without columns");
    // Every row takes at least a byte in every column.
    if (rows > r.Remaining()) r.Fail("more records than data");
    columns.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
      TPacketColumn c;
      c.Name = AnsiString(r.Str(MaxNameLength));
      uint8_t type = r.U8();
      if (type >= FieldTypeCount || StorageOf(static_cast<TFieldType>(type)) == TStorageKind::None)
        r.Fail("unsupported field type");
      c.DataType = static_cast<TFieldType>(type);
      c.Size = r.I32();
      if (c.Size < 0) r.Fail("negative field size");
      c.DisplayLabel = AnsiString(r.Str(MaxNameLength));
      uint8_t flags = r.U8();
      if (flags > 3) r.Fail("bad field flags");
      c.Required = flags & 1;
      c.ReadOnly = flags & 2;
      store.AddColumn(StorageOf(c.DataType));
      columns.push_back(std::move(c));
    }
    // Find and check every column first, then copy them all into one block.
    std::vector<TColumnData> data;
    data.reserve(count);
    size_t total = 0;
    for (uint32_t i = 0; i < count; ++i) {
      const TRecordStore::TColumn& c = store.Column(static_cast<int>(i));
      data.push_back(LocateColumnValues(r, c.Kind, c.Width, rows));
      total += Aligned(data.back().Fixed.size()) + Aligned(data.back().Offsets.size()) +
               Aligned(data.back().Text.size());
    }
    r.ExpectEnd();
    char* block = total ? store.AllocateBlock(total) : nullptr;
    for (uint32_t i = 0; i < count; ++i) {
      TRecordStore::TColumn& c = store.Column(static_cast<int>(i));
      const TColumnData& d = data[i];
      c.Nulls.assign(d.Nulls.begin(), d.Nulls.end());
      auto place = [&](std::string_view Bytes) {
        char* at = block;
        if (!Bytes.empty()) std::memcpy(at, Bytes.data(), Bytes.size());
        block += Aligned(Bytes.size());
        return at;
      };
      if (c.Kind == TStorageKind::Bytes) {
        c.Offsets.Borrow(reinterpret_cast<uint32_t*>(place(d.Offsets)), rows + size_t{1});
        c.Text.Borrow(place(d.Text), d.Text.size());
      } else {
        c.Fixed.Borrow(reinterpret_cast<unsigned char*>(place(d.Fixed)), d.Fixed.size());
      }
    }
    store.SetRowCount(rows);
  } catch (const EMarshalError& e) {
    DatabaseError("Invalid data packet: " + e.Message.substr(e.Message.find(':') + 2));
  }
  Columns = std::move(columns);
  Store = std::move(store);
}
