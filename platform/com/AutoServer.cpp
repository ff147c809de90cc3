#include "platform/com/AutoServer.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "platform/com/Protocol.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/Format.h"

using namespace kw_protocol;

// ---- TAutoDispatcher ------------------------------------------------------------

TAutoDispatcher::TAutoDispatcher(TCreator Creator) : FCreator(std::move(Creator)) {}

TAutoDispatcher::~TAutoDispatcher() {
  // Release in creation order's reverse, like a client dropping its objects.
  FIds.clear();
  while (!FObjects.empty()) FObjects.erase(std::prev(FObjects.end()));
}

uint32_t TAutoDispatcher::ExportObject(IDispatch* Obj) {
  auto it = FIds.find(Obj);
  uint32_t id;
  if (it != FIds.end()) {
    id = it->second;
  } else {
    id = FNextId++;
    // 0 is the nil reference and the highest number marks a value.
    if (id == 0 || id == UINT32_MAX) {
      FNextId = 1;
      id = FNextId++;
    }
    FObjects[id].Object = DispatchPtr(Obj);
    FIds[Obj] = id;
  }
  ++FObjects[id].Exports;
  return id;
}

Variant TAutoDispatcher::ImportObject(uint32_t Id) { return Variant(Lookup(Id)); }

IDispatch* TAutoDispatcher::Lookup(uint32_t Id) const {
  auto it = FObjects.find(Id);
  if (it == FObjects.end()) throw EMarshalError(Format("Unknown object number %u", {Id}));
  return it->second.Object.Get();
}

TByteBuffer TAutoDispatcher::Handle(std::string_view Request) {
  try {
    TRequest q = DecodeRequest(Request, this);
    switch (q.Kind) {
      case mkCreateObject: {
        Variant obj = FCreator(q.ClassName);
        if (!VarIsDispatch(obj)) throw EOleSysError("Invalid class string", CO_E_CLASSSTRING_HR);
        return EncodeResult(obj, {}, {}, this);
      }
      case mkRelease: {
        auto it = FObjects.find(q.ObjectId);
        if (it != FObjects.end() && --it->second.Exports == 0) {
          FIds.erase(it->second.Object.Get());
          DispatchPtr dropped = std::move(it->second.Object);
          FObjects.erase(it);
        }
        return {};
      }
      case mkInvoke: {
        DispatchPtr target(Lookup(q.ObjectId));
        Variant result = target->Invoke(q.Name, q.InvokeKind, q.Args);
        // An object that shrank the argument list cannot give the caller's
        // positions back.
        if (q.Args.size() != q.ByRef.size()) q.ByRef.assign(q.Args.size(), false);
        return EncodeResult(result, q.Args, q.ByRef, this);
      }
      default:
        throw EMarshalError("Unknown request");
    }
  } catch (...) {
    return EncodeCurrentError();
  }
}

// ---- TAutoServer ------------------------------------------------------------------

TAutoServer::TAutoServer() : FMaxRequestSize(DefaultMaxRequestSize) {}

TAutoServer::~TAutoServer() { Stop(); }

void TAutoServer::AddClass(const AnsiString& ClassName) {
  std::lock_guard guard(FLock);
  FClasses[UpperCase(ClassName)] = nullptr;
}

void TAutoServer::AddClass(const AnsiString& ClassName, TOleFactory Factory) {
  std::lock_guard guard(FLock);
  FClasses[UpperCase(ClassName)] = std::move(Factory);
}

Variant TAutoServer::CreateServed(const AnsiString& ClassName) {
  TOleFactory factory;
  {
    std::lock_guard guard(FLock);
    auto it = FClasses.find(UpperCase(ClassName));
    if (it == FClasses.end()) throw EOleSysError("Invalid class string", CO_E_CLASSSTRING_HR);
    factory = it->second;
  }
  if (!factory) return CreateOleObject(ClassName);
  DispatchPtr created = DispatchPtr::Attach(factory());
  if (!created) throw EOleSysError("Invalid class string", CO_E_CLASSSTRING_HR);
  return Variant(created);
}

void TAutoServer::Log(const AnsiString& Line) {
  if (FLog) FLog(Line);
}

void TAutoServer::Start(const AnsiString& Address, int Port) {
  if (FActive) throw ESocketConnectionError("The server is already listening");
  FListener = ListenTcp(Address, Port, FPort);
  if (pipe2(FWakePipe, O_CLOEXEC) != 0) {
    FListener.Close();
    throw ESocketConnectionError("Cannot start the server: no pipe");
  }
  FStopping = false;
  FActive = true;
  FAcceptThread = std::thread([this] { AcceptLoop(); });
}

void TAutoServer::Stop() {
  if (!FActive) return;
  FStopping = true;
  char wake = 1;
  (void)!write(FWakePipe[1], &wake, 1);
  if (FAcceptThread.joinable()) FAcceptThread.join();
  FListener.Close();
  {
    std::lock_guard guard(FLock);
    for (auto& c : FConnections) c->Socket.Shutdown();
  }
  // The threads end on their own once their sockets are shut down.
  for (;;) {
    std::unique_ptr<TConnection> c;
    {
      std::lock_guard guard(FLock);
      if (FConnections.empty()) break;
      c = std::move(FConnections.front());
      FConnections.pop_front();
    }
    if (c->Thread.joinable()) c->Thread.join();
  }
  ::close(FWakePipe[0]);
  ::close(FWakePipe[1]);
  FWakePipe[0] = FWakePipe[1] = -1;
  FActive = false;
}

int TAutoServer::ConnectionCount() const {
  std::lock_guard guard(FLock);
  int n = 0;
  for (auto& c : FConnections) n += c->Done ? 0 : 1;
  return n;
}

void TAutoServer::ReapFinished() {
  std::list<std::unique_ptr<TConnection>> finished;
  {
    std::lock_guard guard(FLock);
    for (auto it = FConnections.begin(); it != FConnections.end();) {
      if ((*it)->Done) {
        finished.push_back(std::move(*it));
        it = FConnections.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& c : finished)
    if (c->Thread.joinable()) c->Thread.join();
}

void TAutoServer::AcceptLoop() {
  while (!FStopping) {
    pollfd p[2] = {{FListener.Fd(), POLLIN, 0}, {FWakePipe[0], POLLIN, 0}};
    int n = poll(p, 2, -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      Log("Server stopped: poll failed");
      return;
    }
    if (FStopping || (p[1].revents & POLLIN)) return;
    if (!(p[0].revents & POLLIN)) continue;
    TSocketHandle socket = AcceptTcp(FListener);
    if (!socket.Valid()) continue;
    ReapFinished();
    if (ConnectionCount() >= FMaxConnections) {
      Log("Client refused: too many connections");
      try {
        WriteFrame(socket.Fd(), EncodeError(ecProtocol, E_FAIL_HR, "Too many connections", "TAutoServer"), 1000);
      } catch (const Exception&) {
      }
      continue;
    }
    auto connection = std::make_unique<TConnection>();
    connection->Socket = std::move(socket);
    TConnection* c = connection.get();
    {
      std::lock_guard guard(FLock);
      FConnections.push_back(std::move(connection));
    }
    c->Thread = std::thread([this, c] { Serve(*c); });
  }
}

void TAutoServer::Serve(TConnection& Connection) {
  const int fd = Connection.Socket.Fd();
  {
    TAutoDispatcher dispatcher([this](const AnsiString& Name) { return CreateServed(Name); });
    TByteBuffer request;
    while (!FStopping) {
      try {
        if (!ReadFrame(fd, request, FMaxRequestSize, -1, FFrameTimeoutMs, "")) break;
      } catch (const EProtocolError& e) {
        // The stream cannot be trusted past a bad frame: answer and hang up.
        Log("Client dropped: " + e.Message);
        try {
          WriteFrame(fd, EncodeError(ecProtocol, E_FAIL_HR, e.Message, e.ClassName()), 1000);
        } catch (const Exception&) {
        }
        break;
      } catch (const Exception& e) {
        Log("Client dropped: " + e.Message);
        break;
      }
      TByteBuffer reply = dispatcher.Handle(request);
      if (reply.Empty()) continue;
      if (static_cast<uint8_t>(reply[0]) == mkError && static_cast<uint8_t>(reply[1]) == ecProtocol)
        Log("Request refused: malformed");
      try {
        WriteFrame(fd, reply, FFrameTimeoutMs);
      } catch (const Exception& e) {
        Log("Client dropped: " + e.Message);
        break;
      }
    }
    // The dispatcher releases the client's objects here, on this thread.
  }
  std::lock_guard guard(FLock);
  Connection.Socket.Close();
  Connection.Done = true;
}
