#include "platform/com/Protocol.h"

#include <cstring>

#include "platform/com/Sockets.h"
#include "platform/rtl/Format.h"

namespace kw_protocol {

namespace {

constexpr char Magic[3] = {'K', 'W', 'A'};

void ReadExactly(int Fd, char* Buffer, size_t Size, int TimeoutMs) {
  while (Size > 0) {
    size_t got = ReceiveSome(Fd, Buffer, Size, TimeoutMs, "Timed out in the middle of a frame");
    if (got == 0) throw ESocketClosedError("Connection closed in the middle of a frame");
    Buffer += got;
    Size -= got;
  }
}

}  // namespace

std::string FrameHeader(uint32_t Length) {
  std::string h(FrameHeaderSize, '\0');
  std::memcpy(h.data(), Magic, 3);
  h[3] = static_cast<char>(ProtocolVersion);
  std::memcpy(h.data() + 4, &Length, 4);
  return h;
}

void WriteFrame(int Fd, std::string_view Payload, int TimeoutMs) {
  if (Payload.size() > UINT32_MAX) throw EProtocolError("Message too large to send");
  std::string header = FrameHeader(static_cast<uint32_t>(Payload.size()));
  SendAll(Fd, header.data(), header.size(), Payload.data(), Payload.size(), TimeoutMs);
}

bool ReadFrame(int Fd, TByteBuffer& Payload, uint32_t MaxSize, int IdleTimeoutMs, int FrameTimeoutMs,
               const char* IdleMessage) {
  char header[FrameHeaderSize];
  size_t got = ReceiveSome(Fd, header, sizeof header, IdleTimeoutMs, IdleMessage);
  if (got == 0) return false;
  ReadExactly(Fd, header + got, sizeof header - got, FrameTimeoutMs);
  if (std::memcmp(header, Magic, 3) != 0) throw EProtocolError("Not an automation protocol frame");
  if (static_cast<uint8_t>(header[3]) != ProtocolVersion)
    throw EProtocolError(Format("Unsupported protocol version %d", {static_cast<int>(static_cast<uint8_t>(header[3]))}));
  uint32_t length;
  std::memcpy(&length, header + 4, 4);
  if (length > MaxSize)
    throw EProtocolError(Format("Frame of %u bytes exceeds the limit of %u bytes", {length, MaxSize}));
  // Reserving only claims address space: memory is used as bytes arrive,
  // so a false length costs nothing.
  Payload.Clear();
  Payload.Reserve(length);
  ReadExactly(Fd, Payload.Extend(length), length, FrameTimeoutMs);
  return true;
}

TByteBuffer EncodeCreateObject(const AnsiString& ClassName) {
  TWireWriter w;
  w.U8(mkCreateObject);
  w.Str(ClassName);
  return std::move(w.Buffer());
}

TByteBuffer EncodeInvoke(uint32_t ObjectId, TInvokeKind Kind, const AnsiString& Name,
                         const std::vector<Variant>& Args, const std::vector<bool>& ByRef,
                         IObjectMarshaler* Objects) {
  TWireWriter w;
  w.U8(mkInvoke);
  w.U32(ObjectId);
  w.U8(static_cast<uint8_t>(Kind));
  w.Str(Name);
  w.U32(static_cast<uint32_t>(Args.size()));
  for (size_t i = 0; i < Args.size(); ++i) {
    w.U8(i < ByRef.size() && ByRef[i] ? 1 : 0);
    WriteVariant(w, Args[i], Objects);
  }
  return std::move(w.Buffer());
}

TByteBuffer EncodeRelease(uint32_t ObjectId) {
  TWireWriter w;
  w.U8(mkRelease);
  w.U32(ObjectId);
  return std::move(w.Buffer());
}

TRequest DecodeRequest(std::string_view Payload, IObjectMarshaler* Objects) {
  TWireReader r(Payload);
  TRequest q;
  uint8_t kind = r.U8();
  switch (kind) {
    case mkCreateObject:
      q.Kind = mkCreateObject;
      q.ClassName = AnsiString(r.Str(MaxNameLength));
      break;
    case mkRelease:
      q.Kind = mkRelease;
      q.ObjectId = r.U32();
      break;
    case mkInvoke: {
      q.Kind = mkInvoke;
      q.ObjectId = r.U32();
      uint8_t invokeKind = r.U8();
      if (invokeKind > static_cast<uint8_t>(TInvokeKind::PropertyPut)) r.Fail("unknown call kind");
      q.InvokeKind = static_cast<TInvokeKind>(invokeKind);
      q.Name = AnsiString(r.Str(MaxNameLength));
      uint32_t count = r.U32();
      // A flag byte and a type code per argument at the least.
      if (count > r.Remaining() / 3) r.Fail("more arguments than data");
      q.Args.reserve(count);
      q.ByRef.reserve(count);
      for (uint32_t i = 0; i < count; ++i) {
        uint8_t flags = r.U8();
        if (flags > 1) r.Fail("bad argument flags");
        q.ByRef.push_back(flags == 1);
        q.Args.push_back(ReadVariant(r, Objects));
      }
      break;
    }
    default:
      r.Fail("unknown request");
  }
  r.ExpectEnd();
  return q;
}

TByteBuffer EncodeResult(const Variant& Result, const std::vector<Variant>& Args,
                         const std::vector<bool>& ByRef, IObjectMarshaler* Objects) {
  TWireWriter w;
  w.Reserve(ByValueSize(Result) + 64);
  w.U8(mkResult);
  WriteVariant(w, Result, Objects);
  uint32_t count = 0;
  for (size_t i = 0; i < Args.size() && i < ByRef.size(); ++i) count += ByRef[i] ? 1 : 0;
  w.U32(count);
  for (size_t i = 0; i < Args.size() && i < ByRef.size(); ++i)
    if (ByRef[i]) {
      w.U32(static_cast<uint32_t>(i));
      WriteVariant(w, Args[i], Objects);
    }
  return std::move(w.Buffer());
}

TByteBuffer EncodeError(TErrorClass Class, int32_t Code, const AnsiString& Message,
                        const AnsiString& Source) {
  TWireWriter w;
  w.U8(mkError);
  w.U8(Class);
  w.I32(Code);
  w.Str(Message);
  w.Str(Source);
  return std::move(w.Buffer());
}

TByteBuffer EncodeCurrentError() {
  try {
    throw;
  } catch (const EMarshalError& e) {
    return EncodeError(ecProtocol, E_FAIL_HR, e.Message, e.ClassName());
  } catch (const EOleException& e) {
    return EncodeError(ecOleException, e.ErrorCode, e.Message, e.Source);
  } catch (const EOleSysError& e) {
    return EncodeError(ecOleSysError, e.ErrorCode, e.Message, e.ClassName());
  } catch (const EOleError& e) {
    return EncodeError(ecOleError, E_FAIL_HR, e.Message, e.ClassName());
  } catch (const Exception& e) {
    return EncodeError(ecOleException, E_UNEXPECTED_HR, e.Message, e.ClassName());
  } catch (const std::exception& e) {
    return EncodeError(ecOleException, E_UNEXPECTED_HR, e.what(), "Exception");
  } catch (...) {
    return EncodeError(ecOleException, E_UNEXPECTED_HR, "Unknown error in the server", "Exception");
  }
}

Variant DecodeReply(std::string_view Payload, std::vector<Variant>& Args, const std::vector<bool>& ByRef,
                    IObjectMarshaler* Objects) {
  TWireReader r(Payload);
  uint8_t kind = r.U8();
  if (kind == mkError) {
    uint8_t errorClass = r.U8();
    int32_t code = r.I32();
    AnsiString message(r.Str());
    AnsiString source(r.Str());
    r.ExpectEnd();
    switch (errorClass) {
      case ecOleError: throw EOleError(message);
      case ecOleSysError: throw EOleSysError(message, code);
      case ecOleException: throw EOleException(message, code, source);
      case ecProtocol: throw EMarshalError("The server refused the request: " + message);
      default: r.Fail("unknown error class");
    }
  }
  if (kind != mkResult) r.Fail("unknown reply");
  Variant result = ReadVariant(r, Objects);
  uint32_t count = r.U32();
  if (count > Args.size()) r.Fail("more written-back arguments than were passed");
  // Decode everything before touching the caller's arguments, so a reply
  // that turns out malformed changes nothing.
  std::vector<std::pair<uint32_t, Variant>> back;
  back.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t index = r.U32();
    if (index >= Args.size() || index >= ByRef.size() || !ByRef[index])
      r.Fail("written-back argument that was not passed by reference");
    back.emplace_back(index, ReadVariant(r, Objects));
  }
  r.ExpectEnd();
  for (auto& [index, value] : back) Args[index] = std::move(value);
  return result;
}

}  // namespace kw_protocol
