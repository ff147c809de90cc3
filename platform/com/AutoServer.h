#pragma once
// The server side of the automation protocol.
//
// TAutoDispatcher turns request payloads of one connection into calls on its
// objects and answers with reply payloads; it keeps the connection's object
// table (the objects clients created, and the references handed out by
// calls). It knows no sockets, so it is tested directly.
//
// TAutoServer listens on an address and port and serves each connection on
// a thread of its own with a dispatcher of its own. A client that sends a
// malformed request gets an error reply and may go on; one that sends a
// frame over the size limit, a frame that is not of this protocol, or stalls
// in the middle of a frame gets an error reply (where possible) and is
// disconnected. Other clients are not affected.

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/com/ComObj.h"
#include "platform/com/Marshal.h"
#include "platform/com/Sockets.h"
#include "platform/rtl/Dispatch.h"
#include "platform/rtl/Variant.h"

class TAutoDispatcher : public IObjectMarshaler {
 public:
  // Creator makes the object of a class a client asks for; it raises (as
  // CreateOleObject does) for a class that is not served.
  using TCreator = std::function<Variant(const AnsiString& ClassName)>;
  explicit TAutoDispatcher(TCreator Creator);
  ~TAutoDispatcher() override;

  // Handles one request; the reply payload, or an empty string for requests
  // that have none. Never raises: failures become error replies.
  TByteBuffer Handle(std::string_view Request);

  // Objects currently held for the client.
  size_t ObjectCount() const { return FObjects.size(); }

  uint32_t ExportObject(IDispatch* Obj) override;
  Variant ImportObject(uint32_t Id) override;

 private:
  struct TEntry {
    DispatchPtr Object;
    uint32_t Exports = 0;  // proxies the client holds for it
  };
  IDispatch* Lookup(uint32_t Id) const;

  TCreator FCreator;
  std::map<uint32_t, TEntry> FObjects;
  std::map<IDispatch*, uint32_t> FIds;
  uint32_t FNextId = 1;
};

class TAutoServer {
 public:
  TAutoServer();
  ~TAutoServer();
  TAutoServer(const TAutoServer&) = delete;
  TAutoServer& operator=(const TAutoServer&) = delete;

  // Classes clients may create: a class of the registry (CreateOleObject),
  // or one with a factory of its own. Other names are refused as
  // unregistered classes are.
  void AddClass(const AnsiString& ClassName);
  void AddClass(const AnsiString& ClassName, TOleFactory Factory);

  // Limits; set before Start.
  void SetMaxRequestSize(uint32_t Bytes) { FMaxRequestSize = Bytes; }
  // The longest pause allowed inside a frame (a client may idle between
  // frames as long as it likes).
  void SetFrameTimeout(int Milliseconds) { FFrameTimeoutMs = Milliseconds; }
  void SetMaxConnections(int Count) { FMaxConnections = Count; }
  // Receives a line for each refused request or dropped client.
  void SetLog(std::function<void(const AnsiString&)> Log) { FLog = std::move(Log); }

  // Starts listening (port 0: any free port) and serving on a thread.
  // Raises ESocketConnectionError when the address cannot be bound.
  void Start(const AnsiString& Address, int Port);
  // Stops accepting, disconnects every client and waits for their threads.
  void Stop();

  bool Active() const { return FActive; }
  int Port() const { return FPort; }
  int ConnectionCount() const;

 private:
  struct TConnection {
    TSocketHandle Socket;
    std::thread Thread;
    std::atomic<bool> Done{false};
  };

  Variant CreateServed(const AnsiString& ClassName);
  void AcceptLoop();
  void Serve(TConnection& Connection);
  void ReapFinished();
  void Log(const AnsiString& Line);

  mutable std::mutex FLock;
  std::map<AnsiString, TOleFactory> FClasses;  // upper-case names; empty factory: the registry's
  std::list<std::unique_ptr<TConnection>> FConnections;
  TSocketHandle FListener;
  int FWakePipe[2] = {-1, -1};
  std::thread FAcceptThread;
  std::atomic<bool> FActive{false};
  std::atomic<bool> FStopping{false};
  int FPort = 0;
  uint32_t FMaxRequestSize;
  int FFrameTimeoutMs = 30000;
  int FMaxConnections = 256;
  std::function<void(const AnsiString&)> FLog;
};
