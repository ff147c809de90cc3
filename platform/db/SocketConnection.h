#pragma once
// The connection of client data sets to an application server.
//
// TSocketConnection reaches the server's automation object over TCP
// (Address or Host, Port, ServerName: the class the server creates for this
// connection). It can instead be given an object of this process
// (SetAppServer), which is how the in-process server is used when the
// configured address is this machine: data sets cannot tell the difference.
// Errors are clear: "Cannot connect to 10.0.0.5:211: Connection refused",
// "Connection closed by server", "Invalid class string" for a class the
// server does not serve.
//
// TSimpleObjectBroker hands out server addresses from a list, skipping the
// ones that failed.

#include <memory>

#include "platform/db/DBTypes.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"

class TRemoteChannel;
class TSimpleObjectBroker;

// What a client data set fetches its records through.
class TCustomRemoteServer : public TComponent {
  KW_DECLARE_CLASS(TCustomRemoteServer, TComponent)
 public:
  static void PublishMembers(TPublisher<TCustomRemoteServer>& P);
  explicit TCustomRemoteServer(TComponent* AOwner) : TComponent(AOwner) {}

  bool Connected() const { return GetConnected(); }
  // While read from a form description, connecting waits until loading ends.
  void SetConnected(bool Value);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }
  // The server's automation object, connecting first when needed.
  Variant GetServer();

  TNotifyEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;

 protected:
  virtual bool GetConnected() const = 0;
  virtual void DoConnect() = 0;
  virtual void DoDisconnect() = 0;
  virtual Variant ServerObject() const = 0;
  void Loaded() override;

 private:
  bool FStreamedConnected = false;
};

class TSocketConnection : public TCustomRemoteServer {
  KW_DECLARE_CLASS(TSocketConnection, TCustomRemoteServer)
 public:
  static void PublishMembers(TPublisher<TSocketConnection>& P);
  explicit TSocketConnection(TComponent* AOwner);
  ~TSocketConnection() override;

  // The server machine: Address (dotted) wins over Host (a name).
  const AnsiString& Address() const { return FAddress; }
  void SetAddress(const AnsiString& Value);
  const AnsiString& Host() const { return FHost; }
  void SetHost(const AnsiString& Value);
  int Port() const { return FPort; }
  void SetPort(int Value);
  // The automation class the server makes for this connection.
  const AnsiString& ServerName() const { return FServerName; }
  void SetServerName(const AnsiString& Value);
  const AnsiString& ServerGUID() const { return FServerGUID; }
  void SetServerGUID(const AnsiString& Value);
  TSimpleObjectBroker* ObjectBroker() const { return FObjectBroker; }
  void SetObjectBroker(TSimpleObjectBroker* Value);
  // Time limits in milliseconds: for making the connection, and for each
  // call's answer (0: no limit).
  int ConnectTimeout() const { return FConnectTimeout; }
  void SetConnectTimeout(int Value) { FConnectTimeout = Value; }
  int CallTimeout() const { return FCallTimeout; }
  void SetCallTimeout(int Value) { FCallTimeout = Value; }

  // The server's object; Unassigned while not connected.
  Variant AppServer() const { return FAppServer; }
  // Uses an object of this process as the server: the connection counts as
  // connected (with no socket) until it is closed or given another object.
  // An empty Variant disconnects.
  void SetAppServer(const Variant& Server);
  bool InProcess() const { return FInProcess; }

 protected:
  bool GetConnected() const override;
  void DoConnect() override;
  void DoDisconnect() override;
  Variant ServerObject() const override { return FAppServer; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void ConnectTo(const AnsiString& Where, int Port);

  AnsiString FAddress;
  AnsiString FHost;
  int FPort = 211;
  AnsiString FServerName;
  AnsiString FServerGUID;
  TSimpleObjectBroker* FObjectBroker = nullptr;
  int FConnectTimeout = 10000;
  int FCallTimeout = 120000;
  std::shared_ptr<TRemoteChannel> FChannel;
  Variant FAppServer;
  bool FInProcess = false;
};

// One server of a broker's list.
class TServerItem : public TCollectionItem {
  KW_DECLARE_CLASS(TServerItem, TCollectionItem)
 public:
  static void PublishMembers(TPublisher<TServerItem>& P);
  explicit TServerItem(TCollection* Collection) : TCollectionItem(Collection) {}
  AnsiString DisplayName() const override { return ComputerName; }

  AnsiString ComputerName;
  int Port = 211;
  bool Enabled = true;
  // A connection to it failed; skipped until every server has failed.
  bool HasFailed = false;
};

class TServerCollection : public TCollection {
  KW_DECLARE_CLASS(TServerCollection, TCollection)
 public:
  explicit TServerCollection(TPersistent* Owner) : TCollection(Owner, ItemClassOf<TServerItem>()) {}
  TServerItem* Items(int Index) const { return static_cast<TServerItem*>(TCollection::Items(Index)); }
  TServerItem* Add(const AnsiString& ComputerName, int Port = 211);
};

class TSimpleObjectBroker : public TComponent {
  KW_DECLARE_CLASS(TSimpleObjectBroker, TComponent)
 public:
  static void PublishMembers(TPublisher<TSimpleObjectBroker>& P);
  explicit TSimpleObjectBroker(TComponent* AOwner);
  ~TSimpleObjectBroker() override;

  TServerCollection* Servers() const { return FServers.get(); }
  bool LoadBalanced() const { return FLoadBalanced; }
  void SetLoadBalanced(bool Value) { FLoadBalanced = Value; }

  // The next server to try: the first enabled one that has not failed (a
  // random one when load balanced). When all have failed the failures are
  // forgotten and the list starts over. Raises EDatabaseError "No server
  // available" for a list without enabled servers.
  AnsiString GetComputerForGUID(const AnsiString& GUID);
  int GetPortForComputer(const AnsiString& ComputerName) const;
  void SetConnectStatus(const AnsiString& ComputerName, bool Success);

 private:
  std::unique_ptr<TServerCollection> FServers;
  bool FLoadBalanced = false;
  unsigned FNextRandom = 12345;
};
