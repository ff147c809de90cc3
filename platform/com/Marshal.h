#pragma once
// Marshalling: a compact binary form of Variants for the network, and the
// checked readers and writers it is built from.
//
// Integers and floats are little-endian and fixed-width. A Variant is its
// 16-bit type code followed by its value: nothing for Empty and Null, the
// value's bytes for numbers, dates and booleans, a 32-bit byte count and the
// bytes for texts (ANSI texts as they are, wide texts as UTF-16LE), a 32-bit
// object number for automation references. An array is its type code
// (varArray | element type), the dimension count, a (low bound, count) pair
// per dimension, then its elements, first dimension fastest: raw bytes for
// number element types, one encoded Variant each for Variant, wide text and
// reference elements (so arrays of arrays nest).
//
// Reading is defensive: every length and count is checked against what is
// left, nesting is limited, and malformed input raises EMarshalError; it never
// reads outside the buffer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/ComObj.h"
#include "platform/com/LargeBuffer.h"
#include "platform/rtl/Variant.h"

// Malformed or unsupported data on the wire.
KW_DECLARE_EXCEPTION(EMarshalError, EOleError)

class TWireWriter {
 public:
  void U8(uint8_t V) { *FBuf.Extend(1) = static_cast<char>(V); }
  void U16(uint16_t V) { Raw(&V, 2); }
  void U32(uint32_t V) { Raw(&V, 4); }
  void I32(int32_t V) { Raw(&V, 4); }
  void U64(uint64_t V) { Raw(&V, 8); }
  void I64(int64_t V) { Raw(&V, 8); }
  void F64(double V) { Raw(&V, 8); }
  void Raw(const void* Data, size_t Size) { FBuf.Append(Data, Size); }
  // A 32-bit length, then the bytes. Raises EMarshalError beyond 4 GiB.
  void Str(std::string_view S);
  // Room for Bytes more bytes, when the size is known in advance.
  void Reserve(size_t Bytes) { FBuf.Reserve(FBuf.Size() + Bytes); }

  TByteBuffer& Buffer() { return FBuf; }
  size_t Size() const { return FBuf.Size(); }

 private:
  TByteBuffer FBuf;
};

class TWireReader {
 public:
  TWireReader(const char* Data, size_t Size) : FPos(Data), FEnd(Data + Size), FBegin(Data) {}
  explicit TWireReader(std::string_view Data) : TWireReader(Data.data(), Data.size()) {}

  uint8_t U8() { return Fixed<uint8_t>(); }
  uint16_t U16() { return Fixed<uint16_t>(); }
  uint32_t U32() { return Fixed<uint32_t>(); }
  int32_t I32() { return Fixed<int32_t>(); }
  uint64_t U64() { return Fixed<uint64_t>(); }
  int64_t I64() { return Fixed<int64_t>(); }
  double F64() { return Fixed<double>(); }
  // The next Size bytes, checked.
  std::string_view Raw(size_t Size);
  // A length-prefixed text of at most MaxLength bytes.
  std::string_view Str(size_t MaxLength = SIZE_MAX);

  size_t Remaining() const { return static_cast<size_t>(FEnd - FPos); }
  size_t Offset() const { return static_cast<size_t>(FPos - FBegin); }
  bool AtEnd() const { return FPos == FEnd; }
  // Raises when bytes are left over.
  void ExpectEnd() const;
  // Raises EMarshalError "Malformed data: <What> (at byte N)".
  [[noreturn]] void Fail(const char* What) const;

 private:
  template <class T>
  T Fixed() {
    T v;
    __builtin_memcpy(&v, Raw(sizeof(T)).data(), sizeof(T));
    return v;
  }

  const char* FPos;
  const char* FEnd;
  const char* FBegin;
};

// How automation references cross the wire: the sending side gives each
// object a number, the receiving side turns the number back into an object
// (a proxy, or the original object on its home side). Without one,
// references cannot be marshalled and raise EMarshalError.
class IObjectMarshaler {
 public:
  virtual ~IObjectMarshaler() = default;
  // 0 stands for a nil reference and is never returned for an object.
  virtual uint32_t ExportObject(IDispatch* Obj) = 0;
  virtual Variant ImportObject(uint32_t Id) = 0;
};

// An object that travels by value: instead of a reference, its state is
// written, and the receiving side makes an object of its own from it with
// the reader registered for its kind. Data packets travel this way.
class IMarshalByValue {
 public:
  virtual ~IMarshalByValue() = default;
  virtual uint32_t MarshalKind() const = 0;
  // The number of bytes MarshalWrite writes.
  virtual size_t MarshalSize() const = 0;
  virtual void MarshalWrite(TWireWriter& W) const = 0;
};
// Makes the object back from exactly the bytes MarshalWrite wrote; raises
// EMarshalError (or the kind's own error) for malformed bytes.
using TByValueReader = Variant (*)(std::string_view Bytes);
void RegisterByValueReader(uint32_t Kind, TByValueReader Reader);

void WriteVariant(TWireWriter& W, const Variant& V, IObjectMarshaler* Objects = nullptr);
// The size WriteVariant will write for V when V is an object travelling by
// value (0 otherwise): callers reserve it before writing large results.
size_t ByValueSize(const Variant& V);
Variant ReadVariant(TWireReader& R, IObjectMarshaler* Objects = nullptr);

// Whole-buffer forms: decoding raises when bytes are left over.
std::string EncodeVariant(const Variant& V, IObjectMarshaler* Objects = nullptr);
Variant DecodeVariant(std::string_view Data, IObjectMarshaler* Objects = nullptr);

// A byte array Variant (varArray | varByte, bounds 0..n-1) holding Data, and
// the bytes of such an array without a copy (empty for anything else). Data
// packets travel as byte arrays.
Variant BytesToVariant(std::string_view Data);
std::string_view VariantBytes(const Variant& V);
