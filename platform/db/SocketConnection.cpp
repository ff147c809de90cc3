#include "platform/db/SocketConnection.h"

#include "platform/com/ComObj.h"
#include "platform/com/RemoteDispatch.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/Format.h"
#include "platform/vcl/Publisher.h"

KW_REGISTER_CLASS(TCustomRemoteServer)
KW_REGISTER_CLASS(TSocketConnection)
KW_REGISTER_CLASS(TServerItem)
KW_REGISTER_CLASS(TSimpleObjectBroker)

// ---- TCustomRemoteServer ------------------------------------------------------------

void TCustomRemoteServer::PublishMembers(TPublisher<TCustomRemoteServer>& P) {
  P.Property("Connected", &TCustomRemoteServer::Connected, &TCustomRemoteServer::SetConnected).Default(false);
  P.Property("BeforeConnect", &TCustomRemoteServer::BeforeConnect, &TCustomRemoteServer::BeforeConnect);
  P.Property("AfterConnect", &TCustomRemoteServer::AfterConnect, &TCustomRemoteServer::AfterConnect);
  P.Property("BeforeDisconnect", &TCustomRemoteServer::BeforeDisconnect, &TCustomRemoteServer::BeforeDisconnect);
  P.Property("AfterDisconnect", &TCustomRemoteServer::AfterDisconnect, &TCustomRemoteServer::AfterDisconnect);
}

void TCustomRemoteServer::SetConnected(bool Value) {
  if (ComponentState().Contains(csLoading)) {
    FStreamedConnected = Value;
    return;
  }
  if (Value == GetConnected()) return;
  if (Value) {
    BeforeConnect(this);
    DoConnect();
    AfterConnect(this);
  } else {
    BeforeDisconnect(this);
    DoDisconnect();
    AfterDisconnect(this);
  }
}

void TCustomRemoteServer::Loaded() {
  TComponent::Loaded();
  if (FStreamedConnected) {
    FStreamedConnected = false;
    SetConnected(true);
  }
}

Variant TCustomRemoteServer::GetServer() {
  SetConnected(true);
  return ServerObject();
}

// ---- TSocketConnection -----------------------------------------------------------------

void TSocketConnection::PublishMembers(TPublisher<TSocketConnection>& P) {
  P.Property("Address", &TSocketConnection::Address, &TSocketConnection::SetAddress);
  P.Property("Host", &TSocketConnection::Host, &TSocketConnection::SetHost);
  P.Property("Port", &TSocketConnection::Port, &TSocketConnection::SetPort).Default(211);
  P.Property("ServerName", &TSocketConnection::ServerName, &TSocketConnection::SetServerName);
  P.Property("ServerGUID", &TSocketConnection::ServerGUID, &TSocketConnection::SetServerGUID);
  P.Property("ObjectBroker", &TSocketConnection::ObjectBroker, &TSocketConnection::SetObjectBroker);
  P.Property("ConnectTimeout", &TSocketConnection::ConnectTimeout, &TSocketConnection::SetConnectTimeout)
      .Default(10000);
  P.Property("CallTimeout", &TSocketConnection::CallTimeout, &TSocketConnection::SetCallTimeout)
      .Default(120000);
}

TSocketConnection::TSocketConnection(TComponent* AOwner) : TCustomRemoteServer(AOwner) {}

TSocketConnection::~TSocketConnection() {
  Destroying();
  FAppServer = Unassigned();
  if (FChannel) FChannel->Close();
}

namespace {
// Connection settings cannot change under an open connection.
void CheckDisconnected(const TSocketConnection* C) {
  if (C->Connected()) DatabaseError("Cannot change the connection while it is open", C);
}
}  // namespace

void TSocketConnection::SetAddress(const AnsiString& Value) {
  if (Value == FAddress) return;
  CheckDisconnected(this);
  FAddress = Value;
}

void TSocketConnection::SetHost(const AnsiString& Value) {
  if (Value == FHost) return;
  CheckDisconnected(this);
  FHost = Value;
}

void TSocketConnection::SetPort(int Value) {
  if (Value == FPort) return;
  CheckDisconnected(this);
  FPort = Value;
}

void TSocketConnection::SetServerName(const AnsiString& Value) {
  if (Value == FServerName) return;
  CheckDisconnected(this);
  FServerName = Value;
}

void TSocketConnection::SetServerGUID(const AnsiString& Value) {
  if (Value == FServerGUID) return;
  CheckDisconnected(this);
  FServerGUID = Value;
}

void TSocketConnection::SetObjectBroker(TSimpleObjectBroker* Value) {
  if (Value == FObjectBroker) return;
  CheckDisconnected(this);
  if (FObjectBroker) RemoveFreeNotification(FObjectBroker);
  FObjectBroker = Value;
  if (FObjectBroker) FreeNotification(FObjectBroker);
}

void TSocketConnection::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomRemoteServer::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FObjectBroker) FObjectBroker = nullptr;
}

bool TSocketConnection::GetConnected() const {
  if (FInProcess) return !FAppServer.IsEmpty();
  return FChannel && FChannel->Connected() && !FAppServer.IsEmpty();
}

void TSocketConnection::SetAppServer(const Variant& Server) {
  if (!Server.IsEmpty() && !VarIsDispatch(Server))
    DatabaseError("The application server must be an automation object", this);
  if (Connected()) Close();
  if (Server.IsEmpty()) return;
  BeforeConnect(this);
  FAppServer = Server;
  FInProcess = true;
  AfterConnect(this);
}

void TSocketConnection::ConnectTo(const AnsiString& Where, int ToPort) {
  TRemoteChannel::TOptions options;
  options.ConnectTimeoutMs = FConnectTimeout;
  options.CallTimeoutMs = FCallTimeout;
  std::shared_ptr<TRemoteChannel> channel = TRemoteChannel::Connect(Where, ToPort, options);
  try {
    FAppServer = channel->CreateObject(FServerName.empty() ? FServerGUID : FServerName);
  } catch (...) {
    channel->Close();
    throw;
  }
  FChannel = std::move(channel);
}

void TSocketConnection::DoConnect() {
  if (FServerName.empty() && FServerGUID.empty())
    DatabaseError(Format("Cannot connect, %s must contain a valid ServerName or ServerGUID", {Name()}));
  DoDisconnect();  // what is left of a connection that broke
  if (FObjectBroker) {
    // Try the broker's servers until one answers; each failure is remembered.
    const int count = FObjectBroker->Servers()->Count();
    for (int attempt = 0;; ++attempt) {
      AnsiString computer = FObjectBroker->GetComputerForGUID(FServerGUID);
      try {
        ConnectTo(computer, FObjectBroker->GetPortForComputer(computer));
        FObjectBroker->SetConnectStatus(computer, true);
        return;
      } catch (const Exception&) {
        FObjectBroker->SetConnectStatus(computer, false);
        if (attempt + 1 >= count) throw;
      }
    }
  }
  const AnsiString where = !FAddress.empty() ? FAddress : FHost;
  if (where.empty()) DatabaseError(Format("Cannot connect, %s has no Address or Host", {Name()}));
  ConnectTo(where, FPort);
}

void TSocketConnection::DoDisconnect() {
  FAppServer = Unassigned();
  FInProcess = false;
  if (FChannel) {
    FChannel->Close();
    FChannel.reset();
  }
}

// ---- TSimpleObjectBroker -------------------------------------------------------------------

void TServerItem::PublishMembers(TPublisher<TServerItem>& P) {
  P.Property("ComputerName", &TServerItem::ComputerName, &TServerItem::ComputerName);
  P.Property("Port", &TServerItem::Port, &TServerItem::Port).Default(211);
  P.Property("Enabled", &TServerItem::Enabled, &TServerItem::Enabled).Default(true);
}

TServerItem* TServerCollection::Add(const AnsiString& ComputerName, int Port) {
  auto* item = static_cast<TServerItem*>(TCollection::Add());
  item->ComputerName = ComputerName;
  item->Port = Port;
  return item;
}

void TSimpleObjectBroker::PublishMembers(TPublisher<TSimpleObjectBroker>& P) {
  P.Property("Servers", &TSimpleObjectBroker::Servers, nullptr);
  P.Property("LoadBalanced", &TSimpleObjectBroker::LoadBalanced, &TSimpleObjectBroker::SetLoadBalanced)
      .Default(false);
}

TSimpleObjectBroker::TSimpleObjectBroker(TComponent* AOwner)
    : TComponent(AOwner), FServers(std::make_unique<TServerCollection>(this)) {}

TSimpleObjectBroker::~TSimpleObjectBroker() = default;

AnsiString TSimpleObjectBroker::GetComputerForGUID(const AnsiString&) {
  std::vector<TServerItem*> candidates;
  for (int pass = 0; pass < 2 && candidates.empty(); ++pass) {
    for (int i = 0; i < FServers->Count(); ++i) {
      TServerItem* item = FServers->Items(i);
      if (item->Enabled && !item->HasFailed) candidates.push_back(item);
    }
    if (candidates.empty())
      for (int i = 0; i < FServers->Count(); ++i) FServers->Items(i)->HasFailed = false;
  }
  if (candidates.empty()) DatabaseError("No server available", this);
  if (!FLoadBalanced) return candidates.front()->ComputerName;
  FNextRandom = FNextRandom * 1103515245u + 12345u;
  return candidates[(FNextRandom >> 16) % candidates.size()]->ComputerName;
}

int TSimpleObjectBroker::GetPortForComputer(const AnsiString& ComputerName) const {
  for (int i = 0; i < FServers->Count(); ++i)
    if (SameText(FServers->Items(i)->ComputerName, ComputerName)) return FServers->Items(i)->Port;
  return 211;
}

void TSimpleObjectBroker::SetConnectStatus(const AnsiString& ComputerName, bool Success) {
  for (int i = 0; i < FServers->Count(); ++i)
    if (SameText(FServers->Items(i)->ComputerName, ComputerName)) FServers->Items(i)->HasFailed = !Success;
}
