#pragma once
// The client side of the automation protocol: a channel (one TCP connection
// to a TAutoServer) and proxy objects that implement IDispatch by sending each
// call over it. A caller cannot tell a proxy from an in-process object:
// by-reference arguments come back, errors come back as the same EOleError
// family exceptions, references the server returns become proxies of their
// own.
//
// Failures of the connection raise ESocketConnectionError: "Cannot connect to
// ..." (refused, unknown host, time-out), "Connection closed by server" (the
// server went away), "The server did not answer within N ms". After such a
// failure the channel is closed and every later call raises at once.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/com/ComObj.h"
#include "platform/com/Marshal.h"
#include "platform/com/Sockets.h"
#include "platform/rtl/Dispatch.h"
#include "platform/rtl/Variant.h"

class TRemoteChannel : public std::enable_shared_from_this<TRemoteChannel> {
 public:
  struct TOptions {
    int ConnectTimeoutMs = 10000;
    // The longest wait for a reply; <= 0 waits without limit. Long enough
    // for a large query, short enough that a vanished server is noticed.
    int CallTimeoutMs = 120000;
    uint32_t MaxReplySize = 1u << 30;
  };

  // Connects. Raises ESocketConnectionError when the server cannot be reached.
  static std::shared_ptr<TRemoteChannel> Connect(const AnsiString& Host, int Port, const TOptions& Options);
  static std::shared_ptr<TRemoteChannel> Connect(const AnsiString& Host, int Port) {
    return Connect(Host, Port, TOptions());
  }
  ~TRemoteChannel();

  // Asks the server for a new object of the class: a proxy in a Variant.
  // Raises EOleSysError "Invalid class string" for a class the server does
  // not serve.
  Variant CreateObject(const AnsiString& ClassName);

  Variant Invoke(uint32_t ObjectId, const AnsiString& Name, TInvokeKind Kind, std::vector<Variant>& Args,
                 const std::vector<bool>& ByRef);
  // Tells the server a proxy is gone; errors are ignored (the server drops
  // everything of a connection when it closes anyway).
  void ReleaseObject(uint32_t ObjectId);

  // Closes the connection; later calls raise.
  void Close();
  bool Connected() const;
  const AnsiString& Host() const { return FHost; }
  int Port() const { return FPort; }

 private:
  TRemoteChannel(TSocketHandle Socket, AnsiString Host, int Port, const TOptions& Options);
  // Sends a request and waits for its reply (under FLock).
  TByteBuffer RoundTrip(const TByteBuffer& Request);
  [[noreturn]] void Broken(const AnsiString& Why);
  void CheckOpen() const;

  class TMarshaler;
  friend class TRemoteDispatch;

  mutable std::mutex FLock;
  TSocketHandle FSocket;
  AnsiString FHost;
  int FPort;
  TOptions FOptions;
  AnsiString FClosedReason;  // empty while open
};

// A proxy: one object of the server, reached through a channel.
class TRemoteDispatch : public IDispatch, public IByRefDispatch {
 public:
  // Starts with one reference, as new objects do.
  TRemoteDispatch(std::shared_ptr<TRemoteChannel> Channel, uint32_t ObjectId);

  long AddRef() override;
  long Release() override;
  // Without by-reference information every argument may be written back.
  Variant Invoke(const AnsiString& Name, TInvokeKind Kind, std::vector<Variant>& Args) override;
  Variant InvokeByRef(const AnsiString& Name, TInvokeKind Kind, std::vector<Variant>& Args,
                      const std::vector<bool>& ByRefMask) override;

  uint32_t ObjectId() const { return FObjectId; }
  const std::shared_ptr<TRemoteChannel>& Channel() const { return FChannel; }

 private:
  ~TRemoteDispatch() override;

  std::shared_ptr<TRemoteChannel> FChannel;
  uint32_t FObjectId;
  std::atomic<long> FRefCount{1};
};
