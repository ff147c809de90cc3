#include "platform/db/Provider.h"

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/Format.h"

Variant TDataProvider::DataRequest(const Variant& Data) {
  FStatement = VarToStr(Data);
  return Variant();
}

TProviderServer::TProviderServer() {
  DefineMethod("AS_GetProviderNames", 0, 0, [this](TAutoArgs&) {
    std::vector<Variant> names(FNames.begin(), FNames.end());
    return VarArrayOf(names);
  });
  DefineMethod("AS_GetRecords", 1, 3, [this](TAutoArgs& A) {
    TDataProvider& provider = Provider(A[0].AsString());
    TDataPacketWriter writer;
    provider.GetRecords(A.size() > 1 ? VarToStr(A[1]) : AnsiString(), A.size() > 2 ? A[2] : Variant(),
                        writer);
    return writer.FinishObject();
  });
  DefineMethod("AS_DataRequest", 2, 2, [this](TAutoArgs& A) {
    return Provider(A[0].AsString()).DataRequest(A[1]);
  });
}

TProviderServer::~TProviderServer() = default;

void TProviderServer::AddProvider(const AnsiString& Name, std::unique_ptr<TDataProvider> Provider) {
  const AnsiString key = UpperCase(Name);
  if (!FProviders.count(key)) FNames.push_back(Name);
  FProviders[key] = std::move(Provider);
}

TDataProvider& TProviderServer::Provider(const AnsiString& Name) const {
  auto it = FProviders.find(UpperCase(Name));
  if (it == FProviders.end()) DatabaseError(Format("Provider not exported: %s", {Name}));
  return *it->second;
}
