#pragma once
// The server side of client data sets: named providers on an application
// server's automation object. A server object derives from TProviderServer
// and adds its providers; clients then call
//
//   AS_GetProviderNames()                             -> array of names
//   AS_GetRecords(Provider, CommandText, Params)      -> data packet (TDataPacketObject)
//   AS_DataRequest(Provider, Data)                    -> the provider's answer
//
// An unknown provider raises "Provider not exported: X".

#include <map>
#include <memory>

#include "platform/com/AutoObject.h"
#include "platform/db/DataPacket.h"

class TDataProvider {
 public:
  virtual ~TDataProvider() = default;
  // The default keeps Data's text as the statement the next fetch without a
  // command text runs, and answers Unassigned.
  virtual Variant DataRequest(const Variant& Data);
  // Writes the records for CommandText (or, when it is empty, the
  // provider's own statement) into Writer.
  virtual void GetRecords(const AnsiString& CommandText, const Variant& Params, TDataPacketWriter& Writer) = 0;

  // The statement set by the last data request.
  const AnsiString& Statement() const { return FStatement; }

 protected:
  AnsiString FStatement;
};

class TProviderServer : public TAutoObject {
 public:
  TProviderServer();

  // Adds (or replaces) a provider; names ignore case.
  void AddProvider(const AnsiString& Name, std::unique_ptr<TDataProvider> Provider);
  // Raises EDatabaseError "Provider not exported: X".
  TDataProvider& Provider(const AnsiString& Name) const;

 protected:
  ~TProviderServer() override;

 private:
  std::map<AnsiString, std::unique_ptr<TDataProvider>> FProviders;  // upper-case names
  std::vector<AnsiString> FNames;                                   // as added
};
