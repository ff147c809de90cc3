#pragma once
// Data packets: the rows a provider sends to a client data set, as one byte
// array (a Variant of bytes when it travels through an automation call).
//
// Layout, integers little-endian:
//   "KWDP", version byte 1, column count (u32), row count (u32)
//   per column: name (u32 length + bytes), field type (u8), size (i32),
//               display label (u32 length + bytes), flags (u8: 1 required,
//               2 read-only)
//   per column, its values, column after column:
//               null map flag (u8: 0 no nulls, 1 a bitmap of (rows+7)/8 bytes
//               follows, bit r set for a null row r)
//               fixed-width kinds: rows x width bytes (int32, int64, double,
//               bool byte, decimal scaled by 10,000 as int64)
//               texts and blobs: (rows + 1) u32 offsets starting at 0, then
//               the bytes of all values back to back
// Column-wise arrays are what a record store holds (RecordStore.h), so a
// client reads a packet with one copy per column and no allocation per value.
// Reading checks every count, offset and length; malformed packets raise
// EDatabaseError "Invalid data packet: ..." and never read out of bounds.

#include <string>
#include <string_view>
#include <vector>

#include "platform/com/AutoObject.h"
#include "platform/com/Marshal.h"
#include "platform/db/DBTypes.h"
#include "platform/db/RecordStore.h"
#include "platform/rtl/Variant.h"

struct TPacketColumn {
  AnsiString Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;
  AnsiString DisplayLabel;
  bool Required = false;
  bool ReadOnly = false;
};

// Builds a packet: declare the columns, then give each row's values in
// column order (AddNull / Add... once per column), then Finish.
class TDataPacketWriter {
 public:
  // Raises EDatabaseError for a type a data set cannot hold.
  int AddColumn(const AnsiString& Name, TFieldType Type, int Size = 0, const AnsiString& DisplayLabel = {},
                bool Required = false);
  int ColumnCount() const { return static_cast<int>(FColumns.size()); }

  // Values of the current row, in column order; the row ends with its last column.
  void AddNull();
  void AddInteger(int64_t Value);
  void AddFloat(double Value);
  void AddBoolean(bool Value);
  void AddCurrency(Currency Value);
  void AddString(std::string_view Value);
  // Converted to the column's kind with the Variant rules; Null and Empty are null.
  void AddVariant(const Variant& Value);

  uint32_t RowCount() const { return FStore.RowCount(); }
  // The packet bytes, the packet as a byte-array Variant, or a packet object
  // (TDataPacketObject, the fast form for providers: the records move
  // instead of being copied). Raises when a row was left incomplete.
  std::string Finish();
  Variant FinishVariant();
  Variant FinishObject();

 private:
  int NextColumn(TStorageKind& Kind);
  void Advance();

  std::vector<TPacketColumn> FColumns;
  TRecordStore FStore;
  int FNext = 0;  // column that takes the next value
};

// A data packet as an automation object: what providers answer. In this
// process a client data set takes its records over without copying them;
// across a connection it travels by value, written in the packet layout
// above, and arrives as a packet object again. Late-bound callers see the
// members RecordCount, FieldCount and Bytes (the packet as a byte array).
class TDataPacketObject : public TAutoObject, public IMarshalByValue {
 public:
  static constexpr uint32_t Kind = 1;
  TDataPacketObject(std::vector<TPacketColumn> Columns, TRecordStore Store);
  // A packet object read from packet bytes (raises EDatabaseError for a
  // malformed packet).
  static Variant FromBytes(std::string_view Packet);

  const std::vector<TPacketColumn>& Columns() const { return FColumns; }
  const TRecordStore& Store() const { return FStore; }
  // Moves the records out; the object is left empty.
  void TakeRecords(std::vector<TPacketColumn>& Columns, TRecordStore& Store);

  uint32_t MarshalKind() const override { return Kind; }
  size_t MarshalSize() const override;
  void MarshalWrite(TWireWriter& W) const override;

 protected:
  ~TDataPacketObject() override;

 private:
  std::vector<TPacketColumn> FColumns;
  TRecordStore FStore;
};

// Reads a packet into Columns and Store (replacing what they held).
void ReadDataPacket(std::string_view Packet, std::vector<TPacketColumn>& Columns, TRecordStore& Store);
// Writes the rows of Store listed in Rows (all rows when Rows is null) with
// the given column descriptions.
std::string WriteDataPacket(const std::vector<TPacketColumn>& Columns, const TRecordStore& Store,
                            const std::vector<uint32_t>* Rows = nullptr);
