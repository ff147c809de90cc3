#pragma once
// TCP sockets for the automation protocol: connecting with a time limit,
// listening, and sending or receiving whole buffers with time limits. Errors
// are ESocketConnectionError with a message that names the peer and the cause.

#include <cstddef>
#include <utility>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"

// The connection to a server could not be made, broke, or timed out.
KW_DECLARE_EXCEPTION(ESocketConnectionError, Exception)
// The other side closed the connection (or reset it) while we were using it.
KW_DECLARE_EXCEPTION(ESocketClosedError, ESocketConnectionError)

// Owns one socket descriptor.
class TSocketHandle {
 public:
  TSocketHandle() = default;
  explicit TSocketHandle(int Fd) : FFd(Fd) {}
  TSocketHandle(TSocketHandle&& Other) noexcept : FFd(std::exchange(Other.FFd, -1)) {}
  TSocketHandle& operator=(TSocketHandle&& Other) noexcept;
  TSocketHandle(const TSocketHandle&) = delete;
  TSocketHandle& operator=(const TSocketHandle&) = delete;
  ~TSocketHandle() { Close(); }

  int Fd() const { return FFd; }
  bool Valid() const { return FFd >= 0; }
  void Close();
  // Wakes a thread blocked on the socket (both directions end) without
  // closing the descriptor under it.
  void Shutdown();

 private:
  int FFd = -1;
};

// Connects to Host:Port (a dotted address or a host name). TimeoutMs <= 0
// waits as long as the system does. Raises ESocketConnectionError
// "Cannot connect to 127.0.0.1:211: Connection refused".
TSocketHandle ConnectTcp(const AnsiString& Host, int Port, int TimeoutMs);

// Listens on Address:Port (empty address: all interfaces; port 0: a free
// port, returned in BoundPort).
TSocketHandle ListenTcp(const AnsiString& Address, int Port, int& BoundPort);

// Accepts one connection; an invalid handle when there was none to take.
TSocketHandle AcceptTcp(const TSocketHandle& Listener);

// Outcome of waiting for a socket.
enum class TWaitResult { Ready, TimedOut, Failed };
// Waits until Fd is readable (or writable); TimeoutMs < 0 waits without limit.
TWaitResult WaitSocket(int Fd, bool ForWrite, int TimeoutMs);

// Sends every byte of the buffers, waiting at most TimeoutMs for the peer to
// take each part. Raises ESocketClosedError when the peer has gone and
// ESocketConnectionError for other failures.
void SendAll(int Fd, const void* First, size_t FirstSize, const void* Second, size_t SecondSize,
             int TimeoutMs);

// Receives up to Size bytes (at least one). Returns 0 at the end of the
// stream; raises on errors; TimeoutMs < 0 waits without limit and a timeout
// raises ESocketConnectionError with TimeoutMessage.
size_t ReceiveSome(int Fd, void* Buffer, size_t Size, int TimeoutMs, const char* TimeoutMessage);
