#pragma once
// The automation wire protocol between a client (TSocketConnection's proxy
// objects) and an automation server (TAutoServer).
//
// Frame: an 8-byte header, the bytes "KWA", the protocol version (1) and the
// payload length (32-bit little-endian), then the payload. A receiver refuses
// a frame longer than its limit before reading it, and grows its buffer only
// as the bytes arrive, so a false length cannot make it allocate.
//
// Requests (client to server), first byte:
//   1 CreateObject  class name                    -> Result (the object)
//   2 Invoke        object number, kind (0 method, 1 get, 2 put), member name,
//                   argument count, then per argument a flag byte (1 = by
//                   reference) and the Variant  -> Result or Error
//   3 Release       object number                 (no reply)
// Replies (server to client), first byte:
//   0x81 Result     the result Variant, the count of written-back arguments,
//                   then per argument its position and Variant
//   0x82 Error      error class (0 EOleError, 1 EOleSysError, 2 EOleException,
//                   3 protocol error), status code, message, source
// Automation references travel as object numbers of the server's table
// (Marshal.h); the server's root object of a connection is the one made by
// CreateObject.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/Marshal.h"
#include "platform/rtl/Dispatch.h"
#include "platform/rtl/Variant.h"

// A frame that breaks the protocol: bad header, too long, cut off.
KW_DECLARE_EXCEPTION(EProtocolError, EMarshalError)

namespace kw_protocol {

constexpr size_t FrameHeaderSize = 8;
constexpr uint8_t ProtocolVersion = 1;
// Requests carry call arguments; replies may carry whole data packets.
constexpr uint32_t DefaultMaxRequestSize = 16u << 20;
constexpr uint32_t DefaultMaxReplySize = 1u << 30;
constexpr size_t MaxNameLength = 1024;

enum TMessageKind : uint8_t {
  mkCreateObject = 1,
  mkInvoke = 2,
  mkRelease = 3,
  mkResult = 0x81,
  mkError = 0x82,
};

enum TErrorClass : uint8_t { ecOleError = 0, ecOleSysError = 1, ecOleException = 2, ecProtocol = 3 };

struct TRequest {
  TMessageKind Kind = mkInvoke;
  AnsiString ClassName;  // CreateObject
  uint32_t ObjectId = 0;  // Invoke, Release
  TInvokeKind InvokeKind = TInvokeKind::Method;
  AnsiString Name;
  std::vector<Variant> Args;
  std::vector<bool> ByRef;
};

// ---- Frames -----------------------------------------------------------------

// Writes one frame (header and payload) to a socket.
void WriteFrame(int Fd, std::string_view Payload, int TimeoutMs);

// Reads one frame into Payload. Returns false when the stream ended cleanly
// before a frame began. IdleTimeoutMs limits the wait for the first byte
// (< 0: no limit), FrameTimeoutMs the wait for each further part of a frame.
// Raises EProtocolError for a bad header or a frame over MaxSize,
// ESocketClosedError for a stream that ends inside a frame, and
// ESocketConnectionError for other socket failures and timeouts (with
// IdleMessage when nothing arrived).
bool ReadFrame(int Fd, TByteBuffer& Payload, uint32_t MaxSize, int IdleTimeoutMs, int FrameTimeoutMs,
               const char* IdleMessage);

// The 8-byte header of a payload of Length bytes.
std::string FrameHeader(uint32_t Length);

// ---- Messages -------------------------------------------------------------------

TByteBuffer EncodeCreateObject(const AnsiString& ClassName);
TByteBuffer EncodeInvoke(uint32_t ObjectId, TInvokeKind Kind, const AnsiString& Name,
                         const std::vector<Variant>& Args, const std::vector<bool>& ByRef,
                         IObjectMarshaler* Objects);
TByteBuffer EncodeRelease(uint32_t ObjectId);
// Raises EMarshalError for a malformed request.
TRequest DecodeRequest(std::string_view Payload, IObjectMarshaler* Objects);

// A Result reply: the result and the by-reference arguments.
TByteBuffer EncodeResult(const Variant& Result, const std::vector<Variant>& Args,
                         const std::vector<bool>& ByRef, IObjectMarshaler* Objects);
// An Error reply describing the exception being handled (call inside a catch
// block) or a protocol failure.
TByteBuffer EncodeCurrentError();
TByteBuffer EncodeError(TErrorClass Class, int32_t Code, const AnsiString& Message,
                        const AnsiString& Source);

// Decodes a reply: returns the result and writes the by-reference values
// back into Args (only where ByRef allows); an Error reply is raised as the
// exception it describes.
Variant DecodeReply(std::string_view Payload, std::vector<Variant>& Args, const std::vector<bool>& ByRef,
                    IObjectMarshaler* Objects);

}  // namespace kw_protocol
