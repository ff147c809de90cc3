#include "platform/com/Marshal.h"

#include <bit>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>

#include "platform/rtl/Format.h"

static_assert(std::endian::native == std::endian::little,
              "the wire format is little-endian and copied as raw memory");

namespace {

// Arrays nest (arrays of arrays of ...); deeper input is refused rather than
// allowed to exhaust the stack.
constexpr int MaxNesting = 32;
constexpr int MaxDims = 64;
constexpr uint32_t ByValueMarker = 0xFFFFFFFF;

struct TByValueReaders {
  std::mutex Lock;
  std::map<uint32_t, TByValueReader> Readers;
};

TByValueReaders& ByValueReaders() {
  static TByValueReaders readers;
  return readers;
}

TByValueReader FindByValueReader(uint32_t Kind) {
  TByValueReaders& r = ByValueReaders();
  std::lock_guard guard(r.Lock);
  auto it = r.Readers.find(Kind);
  return it == r.Readers.end() ? nullptr : it->second;
}

size_t RawElementSize(TVarType T) {
  switch (T) {
    case varShortInt: case varByte: return 1;
    case varSmallint: case varWord: case varBoolean: return 2;
    case varInteger: case varLongWord: case varSingle: case varError: return 4;
    case varDouble: case varCurrency: case varDate: case varInt64: case varUInt64: return 8;
    default: return 0;
  }
}

bool IsElementType(TVarType T) {
  return RawElementSize(T) != 0 || T == varVariant || T == varOleStr || T == varDispatch;
}

// Locks an array for reading its elements in place.
class TArrayLock {
 public:
  explicit TArrayLock(const Variant& A)
      : FArray(const_cast<Variant&>(A)), FData(VarArrayLock(FArray)) {}
  ~TArrayLock() { VarArrayUnlock(FArray); }
  void* Data() const { return FData; }

 private:
  Variant& FArray;
  void* FData;
};

// The stored bits of a scalar whose kind has no accessor of its own (error
// codes, the upper half of UInt64): a one-element array of that kind keeps
// them raw.
template <class T>
void RawBitsOf(const Variant& V, T* Out) {
  Variant holder = VarArrayCreate({0, 0}, V.VarType());
  holder.PutElement({0}, V);
  TArrayLock lock(holder);
  std::memcpy(Out, lock.Data(), sizeof(T));
}

size_t ElementCount(const Variant& A) {
  size_t n = 1;
  for (int d = 1, dims = VarArrayDimCount(A); d <= dims; ++d)
    n *= static_cast<size_t>(VarArrayHighBound(A, d) - VarArrayLowBound(A, d) + 1);
  return n;
}

void WriteArray(TWireWriter& W, const Variant& A, IObjectMarshaler* Objects) {
  const TVarType element = A.VarType() & varTypeMask;
  const int dims = VarArrayDimCount(A);
  W.U16(A.VarType());
  W.U8(static_cast<uint8_t>(dims));
  for (int d = 1; d <= dims; ++d) {
    int low = VarArrayLowBound(A, d);
    W.I32(low);
    W.U32(static_cast<uint32_t>(static_cast<int64_t>(VarArrayHighBound(A, d)) - low + 1));
  }
  const size_t count = ElementCount(A);
  TArrayLock lock(A);
  if (size_t size = RawElementSize(element)) {
    W.Raw(lock.Data(), count * size);
  } else {
    const Variant* items = static_cast<const Variant*>(lock.Data());
    for (size_t i = 0; i < count; ++i) WriteVariant(W, items[i], Objects);
  }
}

Variant ReadValue(TWireReader& R, IObjectMarshaler* Objects, int Depth);

Variant ReadArray(TWireReader& R, TVarType Type, IObjectMarshaler* Objects, int Depth) {
  const TVarType element = Type & varTypeMask;
  if ((Type & ~(varArray | varTypeMask)) != 0 || !IsElementType(element))
    R.Fail("unknown array element type");
  if (Depth >= MaxNesting) R.Fail("arrays nested too deeply");
  const int dims = R.U8();
  if (dims < 1 || dims > MaxDims) R.Fail("bad array dimension count");
  std::vector<int> bounds;
  bounds.reserve(2 * dims);
  size_t total = 1;
  for (int d = 0; d < dims; ++d) {
    int32_t low = R.I32();
    uint32_t count = R.U32();
    int64_t high = static_cast<int64_t>(low) + count - 1;
    if (high > std::numeric_limits<int>::max()) R.Fail("array bound out of range");
    if (__builtin_mul_overflow(total, static_cast<size_t>(count), &total))
      R.Fail("array too large");
    bounds.push_back(low);
    bounds.push_back(static_cast<int>(high));
  }
  const size_t size = RawElementSize(element);
  // Every element takes at least one byte (raw) or a two-byte type code, so
  // a count beyond what is left cannot be honest: refuse before allocating.
  if (size ? total > R.Remaining() / size : total > R.Remaining() / 2)
    R.Fail("array longer than the data");
  Variant result = VarArrayCreate(bounds, element);
  TArrayLock lock(result);
  if (size) {
    if (total) std::memcpy(lock.Data(), R.Raw(total * size).data(), total * size);
  } else {
    Variant* items = static_cast<Variant*>(lock.Data());
    for (size_t i = 0; i < total; ++i) {
      Variant v = ReadValue(R, Objects, Depth + 1);
      if (element == varOleStr && v.VarType() != varOleStr) R.Fail("wide text array holds another kind");
      if (element == varDispatch && v.VarType() != varDispatch)
        R.Fail("reference array holds another kind");
      items[i] = std::move(v);
    }
  }
  return result;
}

template <class T>
Variant Value(T V) {
  return Variant(V);
}

Variant ReadValue(TWireReader& R, IObjectMarshaler* Objects, int Depth) {
  const TVarType type = R.U16();
  if (type & varArray) return ReadArray(R, type, Objects, Depth);
  switch (type) {
    case varEmpty: return Variant();
    case varNull: return Variant::Null();
    case varSmallint: return Value(static_cast<int16_t>(R.U16()));
    case varInteger: return Value(R.I32());
    case varSingle: {
      uint32_t bits = R.U32();
      return Value(std::bit_cast<float>(bits));
    }
    case varDouble: return Value(R.F64());
    case varCurrency: return Variant(Currency::FromScaled(R.I64()));
    case varDate: return Variant(TDateTime(R.F64()));
    case varBoolean: {
      uint8_t b = R.U8();
      if (b > 1) R.Fail("bad boolean");
      return Variant(b != 0);
    }
    case varShortInt: return Value(static_cast<int8_t>(R.U8()));
    case varByte: return Value(R.U8());
    case varWord: return Value(R.U16());
    case varLongWord: return Value(R.U32());
    case varInt64: return Value(R.I64());
    case varUInt64: return Value(R.U64());
    case varError: return VarAsError(R.I32());
    case varString: return Variant(AnsiString(R.Str()));
    case varOleStr: {
      uint32_t units = R.U32();
      if (units > R.Remaining() / 2) R.Fail("text longer than the data");
      std::string_view bytes = R.Raw(size_t{units} * 2);
      WideString text(units, u'\0');
      if (units) std::memcpy(text.data(), bytes.data(), bytes.size());
      return Variant(text);
    }
    case varDispatch: {
      uint32_t id = R.U32();
      if (id == 0) return Variant(static_cast<IDispatch*>(nullptr));
      if (id == ByValueMarker) {
        uint32_t kind = R.U32();
        uint64_t size = R.U64();
        if (size > R.Remaining()) R.Fail("object longer than the data");
        TByValueReader reader = FindByValueReader(kind);
        if (!reader) R.Fail("unknown kind of object");
        return reader(R.Raw(static_cast<size_t>(size)));
      }
      if (!Objects) throw EMarshalError("Object references cannot be passed on this connection");
      return Objects->ImportObject(id);
    }
    default:
      R.Fail("unknown value type");
  }
}

}  // namespace

void TWireWriter::Str(std::string_view S) {
  if (S.size() > std::numeric_limits<uint32_t>::max()) throw EMarshalError("Text too long to marshal");
  U32(static_cast<uint32_t>(S.size()));
  Raw(S.data(), S.size());
}

std::string_view TWireReader::Raw(size_t Size) {
  if (Size > Remaining()) Fail("truncated");
  std::string_view v(FPos, Size);
  FPos += Size;
  return v;
}

std::string_view TWireReader::Str(size_t MaxLength) {
  uint32_t length = U32();
  if (length > MaxLength) Fail("text too long");
  if (length > Remaining()) Fail("text longer than the data");
  return Raw(length);
}

void TWireReader::ExpectEnd() const {
  if (!AtEnd()) Fail("unexpected bytes after the end");
}

void TWireReader::Fail(const char* What) const {
  throw EMarshalError(Format("Malformed data: %s (at byte %d)", {What, static_cast<int64_t>(Offset())}));
}

void WriteVariant(TWireWriter& W, const Variant& V, IObjectMarshaler* Objects) {
  const TVarType type = V.VarType();
  if (type & varArray) {
    WriteArray(W, V, Objects);
    return;
  }
  switch (type) {
    case varEmpty: case varNull:
      W.U16(type);
      return;
    case varSmallint: W.U16(type); W.U16(static_cast<uint16_t>(V.AsInteger())); return;
    case varInteger: W.U16(type); W.I32(V.AsInteger()); return;
    case varSingle: {
      W.U16(type);
      W.U32(std::bit_cast<uint32_t>(static_cast<float>(V.AsFloat())));
      return;
    }
    case varDouble: W.U16(type); W.F64(V.AsFloat()); return;
    case varCurrency: W.U16(type); W.I64(V.AsCurrency().Scaled); return;
    case varDate: W.U16(type); W.F64(V.AsDate().Value); return;
    case varBoolean: W.U16(type); W.U8(V.AsBoolean() ? 1 : 0); return;
    case varShortInt: W.U16(type); W.U8(static_cast<uint8_t>(V.AsInteger())); return;
    case varByte: W.U16(type); W.U8(static_cast<uint8_t>(V.AsInteger())); return;
    case varWord: W.U16(type); W.U16(static_cast<uint16_t>(V.AsInteger())); return;
    case varLongWord: W.U16(type); W.U32(static_cast<uint32_t>(V.AsInt64())); return;
    case varInt64: W.U16(type); W.I64(V.AsInt64()); return;
    case varUInt64: {
      // AsInt64 would refuse the upper half.
      uint64_t bits;
      RawBitsOf(V, &bits);
      W.U16(type);
      W.U64(bits);
      return;
    }
    case varError: {
      int32_t code;
      RawBitsOf(V, &code);
      W.U16(type);
      W.I32(code);
      return;
    }
    case varString: W.U16(type); W.Str(V.AsString()); return;
    case varOleStr: {
      WideString text = V.AsWideString();
      if (text.size() > std::numeric_limits<uint32_t>::max()) throw EMarshalError("Text too long to marshal");
      W.U16(type);
      W.U32(static_cast<uint32_t>(text.size()));
      W.Raw(text.data(), text.size() * 2);
      return;
    }
    case varDispatch: {
      IDispatch* obj = V.AsDispatch();
      if (auto* value = dynamic_cast<const IMarshalByValue*>(obj)) {
        const size_t size = value->MarshalSize();
        W.Reserve(size + 18);
        W.U16(type);
        W.U32(ByValueMarker);
        W.U32(value->MarshalKind());
        W.U64(size);
        const size_t before = W.Size();
        value->MarshalWrite(W);
        if (W.Size() - before != size) throw EMarshalError("Object wrote another size than it announced");
        return;
      }
      uint32_t id = 0;
      if (obj) {
        if (!Objects) throw EMarshalError("Object references cannot be passed on this connection");
        id = Objects->ExportObject(obj);
      }
      W.U16(type);
      W.U32(id);
      return;
    }
    default:
      throw EMarshalError(Format("Variants of type %s cannot be marshalled", {VarTypeAsText(type)}));
  }
}

Variant ReadVariant(TWireReader& R, IObjectMarshaler* Objects) { return ReadValue(R, Objects, 0); }

void RegisterByValueReader(uint32_t Kind, TByValueReader Reader) {
  TByValueReaders& r = ByValueReaders();
  std::lock_guard guard(r.Lock);
  r.Readers[Kind] = Reader;
}

size_t ByValueSize(const Variant& V) {
  if (V.VarType() != varDispatch) return 0;
  auto* value = dynamic_cast<const IMarshalByValue*>(V.AsDispatch());
  return value ? value->MarshalSize() : 0;
}

std::string EncodeVariant(const Variant& V, IObjectMarshaler* Objects) {
  TWireWriter w;
  WriteVariant(w, V, Objects);
  return std::string(w.Buffer().View());
}

Variant DecodeVariant(std::string_view Data, IObjectMarshaler* Objects) {
  TWireReader r(Data);
  Variant v = ReadVariant(r, Objects);
  r.ExpectEnd();
  return v;
}

Variant BytesToVariant(std::string_view Data) {
  if (Data.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
    throw EMarshalError("Byte array too large");
  Variant v = VarArrayCreate({0, static_cast<int>(Data.size()) - 1}, varByte);
  if (!Data.empty()) {
    TArrayLock lock(v);
    std::memcpy(lock.Data(), Data.data(), Data.size());
  }
  return v;
}

std::string_view VariantBytes(const Variant& V) {
  if (V.VarType() != (varArray | varByte) || VarArrayDimCount(V) != 1) return {};
  size_t n = ElementCount(V);
  if (n == 0) return {};
  TArrayLock lock(V);
  return std::string_view(static_cast<const char*>(lock.Data()), n);
}
