#include "platform/db/ClientDataSet.h"

#include "platform/com/ComObj.h"
#include "platform/com/Marshal.h"
#include "platform/db/SocketConnection.h"
#include "platform/rtl/Format.h"
#include "platform/vcl/Publisher.h"

KW_REGISTER_CLASS(TClientDataSet)

void TClientDataSet::PublishMembers(TPublisher<TClientDataSet>& P) {
  P.Property("CommandText", &TClientDataSet::CommandText, &TClientDataSet::SetCommandText);
  P.Property("ProviderName", &TClientDataSet::ProviderName, &TClientDataSet::SetProviderName);
  P.Property("RemoteServer", &TClientDataSet::RemoteServer, &TClientDataSet::SetRemoteServer);
}

TClientDataSet::TClientDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TClientDataSet::~TClientDataSet() = default;

void TClientDataSet::SetProviderName(const AnsiString& Value) {
  if (Value == FProviderName) return;
  if (Active()) DatabaseError("Cannot perform this operation on an open dataset", this);
  FProviderName = Value;
}

void TClientDataSet::SetRemoteServer(TCustomRemoteServer* Value) {
  if (Value == FRemoteServer) return;
  if (Active()) DatabaseError("Cannot perform this operation on an open dataset", this);
  if (FRemoteServer) RemoveFreeNotification(FRemoteServer);
  FRemoteServer = Value;
  if (FRemoteServer) FreeNotification(FRemoteServer);
}

void TClientDataSet::Notification(TComponent* AComponent, TOperation Operation) {
  TDataSet::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FRemoteServer) FRemoteServer = nullptr;
}

Variant TClientDataSet::AppServer() {
  if (!FRemoteServer) DatabaseError("Missing data provider or data packet", this);
  return FRemoteServer->GetServer();
}

Variant TClientDataSet::DataRequest(const Variant& Data) {
  if (FProviderName.empty()) DatabaseError("Missing data provider or data packet", this);
  return OleCall(AppServer(), "AS_DataRequest", {FProviderName, Data});
}

Variant TClientDataSet::Data() const {
  if (!Active()) return Null();
  return BytesToVariant(SavePacket());
}

void TClientDataSet::SetData(const Variant& Packet) {
  Close();
  if (Packet.IsNull() || Packet.IsEmpty()) return;
  if (Packet.VarType() != (varArray | varByte)) DatabaseError("Invalid data packet: not a byte array", this);
  // Read straight from the caller's array (no copy of the packet).
  FPendingColumns.clear();
  ReadDataPacket(VariantBytes(Packet), FPendingColumns, FPendingRecords);
  FPending = true;
  try {
    Open();
  } catch (...) {
    FPending = false;
    FPendingColumns.clear();
    FPendingRecords.Clear();
    throw;
  }
}

void TClientDataSet::CreateDataSet() {
  Close();
  FCreating = true;
  try {
    Open();
  } catch (...) {
    FCreating = false;
    throw;
  }
  FCreating = false;
}

void TClientDataSet::InternalOpen() {
  if (FCreating) {
    std::vector<TPacketColumn> columns;
    TRecordStore store;
    auto add = [&](const AnsiString& Name, TFieldType Type, int Size, bool Required) {
      TStorageKind kind = StorageOf(Type);
      if (kind == TStorageKind::None)
        DatabaseError(Format("Field '%s' is of an unsupported type (%s)", {Name, AnsiString(FieldTypeName(Type))}),
                      this);
      TPacketColumn c;
      c.Name = Name;
      c.DataType = Type;
      c.Size = Size;
      c.Required = Required;
      columns.push_back(c);
      store.AddColumn(kind);
    };
    for (int i = 0; i < FieldDefs().Count(); ++i) {
      const TFieldDef* def = FieldDefs().Items(i);
      add(def->Name, def->DataType, def->Size, def->Required);
    }
    if (columns.empty())
      for (TField* f : PersistentFields()) add(f->FieldName(), f->DataType(), f->Size(), f->Required());
    if (columns.empty()) DatabaseError("No fields defined; cannot create the dataset", this);
    LoadColumns(std::move(columns), std::move(store));
    return;
  }
  if (FPending) {
    FPending = false;
    LoadColumns(std::move(FPendingColumns), std::move(FPendingRecords));
    FPendingColumns.clear();
    FPendingRecords.Clear();
    return;
  }
  if (FProviderName.empty()) DatabaseError("Missing data provider or data packet", this);
  Variant packet = OleCall(AppServer(), "AS_GetRecords", {FProviderName, FCommandText, FParams});
  if (auto* object = packet.VarType() == varDispatch ? dynamic_cast<TDataPacketObject*>(packet.AsDispatch())
                                                     : nullptr) {
    std::vector<TPacketColumn> columns;
    TRecordStore store;
    if (object->RefCount() == 1) {
      // Nobody else holds the packet: its records become ours.
      object->TakeRecords(columns, store);
    } else {
      columns = object->Columns();
      store = object->Store();
    }
    LoadColumns(std::move(columns), std::move(store));
    return;
  }
  if (packet.VarType() != (varArray | varByte))
    DatabaseError(Format("Invalid data packet: provider %s answered with %s",
                         {FProviderName, VarTypeAsText(packet.VarType())}),
                  this);
  LoadPacket(VariantBytes(packet));
}
