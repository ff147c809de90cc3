#include "platform/com/RemoteDispatch.h"

#include "platform/com/Protocol.h"
#include "platform/rtl/Format.h"

using namespace kw_protocol;

// References cross this channel as numbers of the server's object table: our
// proxies go back as their own numbers, numbers that arrive become proxies.
class TRemoteChannel::TMarshaler : public IObjectMarshaler {
 public:
  explicit TMarshaler(TRemoteChannel& Channel) : FChannel(Channel) {}

  uint32_t ExportObject(IDispatch* Obj) override {
    auto* proxy = dynamic_cast<TRemoteDispatch*>(Obj);
    if (!proxy || proxy->Channel().get() != &FChannel)
      throw EMarshalError("Only objects of the same server can be passed to it");
    return proxy->ObjectId();
  }

  Variant ImportObject(uint32_t Id) override {
    DispatchPtr proxy = DispatchPtr::Attach(new TRemoteDispatch(FChannel.shared_from_this(), Id));
    return Variant(proxy);
  }

 private:
  TRemoteChannel& FChannel;
};

TRemoteChannel::TRemoteChannel(TSocketHandle Socket, AnsiString Host, int Port, const TOptions& Options)
    : FSocket(std::move(Socket)), FHost(std::move(Host)), FPort(Port), FOptions(Options) {}

TRemoteChannel::~TRemoteChannel() = default;

std::shared_ptr<TRemoteChannel> TRemoteChannel::Connect(const AnsiString& Host, int Port,
                                                        const TOptions& Options) {
  TSocketHandle socket = ConnectTcp(Host, Port, Options.ConnectTimeoutMs);
  return std::shared_ptr<TRemoteChannel>(new TRemoteChannel(std::move(socket), Host, Port, Options));
}

bool TRemoteChannel::Connected() const {
  std::lock_guard guard(FLock);
  return FClosedReason.empty();
}

void TRemoteChannel::Close() {
  std::lock_guard guard(FLock);
  if (FClosedReason.empty()) FClosedReason = "Not connected to the server";
  FSocket.Close();
}

void TRemoteChannel::CheckOpen() const {
  if (!FClosedReason.empty()) throw ESocketConnectionError(FClosedReason);
}

void TRemoteChannel::Broken(const AnsiString& Why) {
  FClosedReason = Why;
  FSocket.Close();
  throw ESocketConnectionError(Why);
}

TByteBuffer TRemoteChannel::RoundTrip(const TByteBuffer& Request) {
  std::lock_guard guard(FLock);
  CheckOpen();
  const int timeout = FOptions.CallTimeoutMs > 0 ? FOptions.CallTimeoutMs : -1;
  const AnsiString silent =
      Format("The server %s:%d did not answer within %d ms", {FHost, FPort, FOptions.CallTimeoutMs});
  TByteBuffer reply;
  try {
    WriteFrame(FSocket.Fd(), Request, timeout);
    if (!ReadFrame(FSocket.Fd(), reply, FOptions.MaxReplySize, timeout, timeout, silent.c_str()))
      Broken("Connection closed by server");
  } catch (const EProtocolError& e) {
    Broken("Invalid reply from the server: " + e.Message);
  } catch (const ESocketClosedError&) {
    if (!FClosedReason.empty()) throw;  // raised by Broken above
    Broken("Connection closed by server");
  } catch (const ESocketConnectionError& e) {
    if (!FClosedReason.empty()) throw;
    Broken(e.Message);
  }
  return reply;
}

Variant TRemoteChannel::CreateObject(const AnsiString& ClassName) {
  TByteBuffer reply = RoundTrip(EncodeCreateObject(ClassName));
  TMarshaler objects(*this);
  std::vector<Variant> none;
  Variant result = DecodeReply(reply, none, {}, &objects);
  if (result.VarType() != varDispatch || !result.AsDispatch())
    throw EMarshalError("The server answered the object request without an object");
  return result;
}

Variant TRemoteChannel::Invoke(uint32_t ObjectId, const AnsiString& Name, TInvokeKind Kind,
                               std::vector<Variant>& Args, const std::vector<bool>& ByRef) {
  TMarshaler objects(*this);
  TByteBuffer request = EncodeInvoke(ObjectId, Kind, Name, Args, ByRef, &objects);
  TByteBuffer reply = RoundTrip(request);
  return DecodeReply(reply, Args, ByRef, &objects);
}

void TRemoteChannel::ReleaseObject(uint32_t ObjectId) {
  std::lock_guard guard(FLock);
  if (!FClosedReason.empty()) return;
  try {
    WriteFrame(FSocket.Fd(), EncodeRelease(ObjectId), FOptions.CallTimeoutMs > 0 ? FOptions.CallTimeoutMs : -1);
  } catch (const Exception& e) {
    FClosedReason = "Connection closed by server";
    FSocket.Close();
  }
}

// ---- TRemoteDispatch ----------------------------------------------------------

TRemoteDispatch::TRemoteDispatch(std::shared_ptr<TRemoteChannel> Channel, uint32_t ObjectId)
    : FChannel(std::move(Channel)), FObjectId(ObjectId) {}

TRemoteDispatch::~TRemoteDispatch() { FChannel->ReleaseObject(FObjectId); }

long TRemoteDispatch::AddRef() { return ++FRefCount; }

long TRemoteDispatch::Release() {
  long count = --FRefCount;
  if (count == 0) delete this;
  return count;
}

Variant TRemoteDispatch::Invoke(const AnsiString& Name, TInvokeKind Kind, std::vector<Variant>& Args) {
  return InvokeByRef(Name, Kind, Args, std::vector<bool>(Args.size(), true));
}

Variant TRemoteDispatch::InvokeByRef(const AnsiString& Name, TInvokeKind Kind, std::vector<Variant>& Args,
                                     const std::vector<bool>& ByRefMask) {
  DispatchPtr self(this);
  return FChannel->Invoke(FObjectId, Name, Kind, Args, ByRefMask);
}
