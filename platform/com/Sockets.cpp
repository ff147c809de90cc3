#include "platform/com/Sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/rtl/Format.h"

namespace {

AnsiString ErrorText(int Code) { return std::strerror(Code); }

void SetNoDelay(int Fd) {
  int on = 1;
  setsockopt(Fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  // A peer host that vanishes without closing is noticed eventually even
  // when no call is running.
  setsockopt(Fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
}

void SetBlocking(int Fd, bool Blocking) {
  int flags = fcntl(Fd, F_GETFL, 0);
  if (flags < 0) return;
  fcntl(Fd, F_SETFL, Blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK));
}

// Connects one resolved address; 0 on success, else the error number.
int TryConnect(const addrinfo& Address, int TimeoutMs, TSocketHandle& Out) {
  TSocketHandle s(socket(Address.ai_family, Address.ai_socktype | SOCK_CLOEXEC, Address.ai_protocol));
  if (!s.Valid()) return errno;
  SetBlocking(s.Fd(), false);
  if (connect(s.Fd(), Address.ai_addr, Address.ai_addrlen) != 0) {
    if (errno != EINPROGRESS) return errno;
    TWaitResult w = WaitSocket(s.Fd(), true, TimeoutMs);
    if (w == TWaitResult::TimedOut) return ETIMEDOUT;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(s.Fd(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
    if (error != 0) return error;
  }
  SetBlocking(s.Fd(), true);
  SetNoDelay(s.Fd());
  Out = std::move(s);
  return 0;
}

}  // namespace

TSocketHandle& TSocketHandle::operator=(TSocketHandle&& Other) noexcept {
  if (this != &Other) {
    Close();
    FFd = std::exchange(Other.FFd, -1);
  }
  return *this;
}

void TSocketHandle::Close() {
  if (FFd >= 0) ::close(std::exchange(FFd, -1));
}

void TSocketHandle::Shutdown() {
  if (FFd >= 0) ::shutdown(FFd, SHUT_RDWR);
}

TWaitResult WaitSocket(int Fd, bool ForWrite, int TimeoutMs) {
  pollfd p{Fd, static_cast<short>(ForWrite ? POLLOUT : POLLIN), 0};
  for (;;) {
    int n = poll(&p, 1, TimeoutMs < 0 ? -1 : TimeoutMs);
    if (n > 0) return TWaitResult::Ready;  // errors and hang-ups show on the next call
    if (n == 0) return TWaitResult::TimedOut;
    if (errno != EINTR) return TWaitResult::Failed;
  }
}

TSocketHandle ConnectTcp(const AnsiString& Host, int Port, int TimeoutMs) {
  const AnsiString where = Format("%s:%d", {Host, Port});
  if (Port <= 0 || Port > 65535)
    throw ESocketConnectionError(Format("Cannot connect to %s: invalid port", {where}));
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const AnsiString service = std::to_string(Port);
  int rc = getaddrinfo(Host.empty() ? "127.0.0.1" : Host.c_str(), service.c_str(), &hints, &found);
  if (rc != 0)
    throw ESocketConnectionError(Format("Cannot connect to %s: %s", {where, AnsiString(gai_strerror(rc))}));
  int lastError = ECONNREFUSED;
  TSocketHandle result;
  for (addrinfo* a = found; a; a = a->ai_next) {
    lastError = TryConnect(*a, TimeoutMs, result);
    if (lastError == 0) break;
  }
  freeaddrinfo(found);
  if (!result.Valid())
    throw ESocketConnectionError(Format("Cannot connect to %s: %s", {where, ErrorText(lastError)}));
  return result;
}

TSocketHandle ListenTcp(const AnsiString& Address, int Port, int& BoundPort) {
  const AnsiString where = Format("%s:%d", {Address.empty() ? AnsiString("*") : Address, Port});
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  const AnsiString service = std::to_string(Port);
  int rc = getaddrinfo(Address.empty() ? nullptr : Address.c_str(), service.c_str(), &hints, &found);
  if (rc != 0)
    throw ESocketConnectionError(Format("Cannot listen on %s: %s", {where, AnsiString(gai_strerror(rc))}));
  int lastError = EADDRNOTAVAIL;
  TSocketHandle s;
  for (addrinfo* a = found; a && !s.Valid(); a = a->ai_next) {
    TSocketHandle candidate(socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol));
    if (!candidate.Valid()) {
      lastError = errno;
      continue;
    }
    int on = 1;
    setsockopt(candidate.Fd(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(candidate.Fd(), a->ai_addr, a->ai_addrlen) != 0 || listen(candidate.Fd(), 64) != 0) {
      lastError = errno;
      continue;
    }
    s = std::move(candidate);
  }
  freeaddrinfo(found);
  if (!s.Valid())
    throw ESocketConnectionError(Format("Cannot listen on %s: %s", {where, ErrorText(lastError)}));
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  getsockname(s.Fd(), reinterpret_cast<sockaddr*>(&bound), &length);
  BoundPort = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6&>(bound).sin6_port)
                                          : ntohs(reinterpret_cast<sockaddr_in&>(bound).sin_port);
  return s;
}

TSocketHandle AcceptTcp(const TSocketHandle& Listener) {
  int fd;
  do {
    fd = accept4(Listener.Fd(), nullptr, nullptr, SOCK_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return TSocketHandle();
  SetNoDelay(fd);
  return TSocketHandle(fd);
}

void SendAll(int Fd, const void* First, size_t FirstSize, const void* Second, size_t SecondSize,
             int TimeoutMs) {
  iovec parts[2] = {{const_cast<void*>(First), FirstSize}, {const_cast<void*>(Second), SecondSize}};
  int index = 0;
  while (index < 2) {
    if (parts[index].iov_len == 0) {
      ++index;
      continue;
    }
    msghdr msg{};
    msg.msg_iov = parts + index;
    msg.msg_iovlen = 2 - index;
    ssize_t sent = sendmsg(Fd, &msg, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        TWaitResult w = WaitSocket(Fd, true, TimeoutMs);
        if (w == TWaitResult::TimedOut)
          throw ESocketConnectionError("Timed out sending to the other side of the connection");
        if (w == TWaitResult::Failed) throw ESocketConnectionError("Connection failed: " + ErrorText(errno));
        continue;
      }
      if (errno == EPIPE || errno == ECONNRESET)
        throw ESocketClosedError("Connection closed by the other side");
      throw ESocketConnectionError("Connection failed: " + ErrorText(errno));
    }
    size_t left = static_cast<size_t>(sent);
    while (index < 2 && left >= parts[index].iov_len) {
      left -= parts[index].iov_len;
      parts[index].iov_len = 0;
      ++index;
    }
    if (index < 2) {
      parts[index].iov_base = static_cast<char*>(parts[index].iov_base) + left;
      parts[index].iov_len -= left;
    }
  }
}

size_t ReceiveSome(int Fd, void* Buffer, size_t Size, int TimeoutMs, const char* TimeoutMessage) {
  for (;;) {
    if (TimeoutMs >= 0) {
      TWaitResult w = WaitSocket(Fd, false, TimeoutMs);
      if (w == TWaitResult::TimedOut) throw ESocketConnectionError(TimeoutMessage);
      if (w == TWaitResult::Failed) throw ESocketConnectionError("Connection failed: " + ErrorText(errno));
    }
    ssize_t got = recv(Fd, Buffer, Size, 0);
    if (got >= 0) return static_cast<size_t>(got);
    if (errno == EINTR) continue;
    if (errno == ECONNRESET) return 0;  // the peer went away: the same as a close
    throw ESocketConnectionError("Connection failed: " + ErrorText(errno));
  }
}
