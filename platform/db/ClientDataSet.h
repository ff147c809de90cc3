#pragma once
// TClientDataSet: a data set whose records come from a named provider of an
// application server (through a TSocketConnection or any remote server), from
// a data packet given to it (Data), or from its own field definitions
// (CreateDataSet). Opening asks the server object for the provider's records:
//
//   AS_GetRecords(ProviderName, CommandText, Params) -> data packet (a packet
//                                                       object, or bytes)
//   AS_DataRequest(ProviderName, Data)               -> whatever the provider answers
//
// (Provider.h is the server side.) DataRequest hands a request, such as the
// statement to run, to the provider; the next Open fetches its records.

#include "platform/db/DataSet.h"

class TCustomRemoteServer;

class TClientDataSet : public TDataSet {
  KW_DECLARE_CLASS(TClientDataSet, TDataSet)
 public:
  static void PublishMembers(TPublisher<TClientDataSet>& P);
  explicit TClientDataSet(TComponent* AOwner);
  ~TClientDataSet() override;

  const AnsiString& ProviderName() const { return FProviderName; }
  void SetProviderName(const AnsiString& Value);
  TCustomRemoteServer* RemoteServer() const { return FRemoteServer; }
  void SetRemoteServer(TCustomRemoteServer* Value);
  // Sent with every fetch; empty lets the provider use its own statement.
  const AnsiString& CommandText() const { return FCommandText; }
  void SetCommandText(const AnsiString& Value) { FCommandText = Value; }
  // Parameters sent with every fetch (any Variant, usually an array).
  const Variant& Params() const { return FParams; }
  void SetParams(const Variant& Value) { FParams = Value; }

  // The remote server's automation object (connecting it when needed).
  // Raises EDatabaseError "Missing data provider or data packet" without a
  // remote server.
  Variant AppServer();
  // Hands Data to the provider and returns its answer.
  Variant DataRequest(const Variant& Data);

  // The records as a data packet (a byte array); Null while closed. Setting
  // it loads the packet and opens the data set.
  Variant Data() const;
  void SetData(const Variant& Packet);
  // Opens an empty data set with the columns of FieldDefs (or of the
  // persistent fields when there are no definitions).
  void CreateDataSet();

 protected:
  void InternalOpen() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  AnsiString FProviderName;
  TCustomRemoteServer* FRemoteServer = nullptr;
  AnsiString FCommandText;
  Variant FParams;
  // Records of a packet given to SetData, waiting for InternalOpen.
  bool FPending = false;
  std::vector<TPacketColumn> FPendingColumns;
  TRecordStore FPendingRecords;
  bool FCreating = false;
};
