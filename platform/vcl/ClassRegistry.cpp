#include "platform/vcl/ClassRegistry.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/Format.h"
#include "platform/vcl/ClassTables.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Publisher.h"

namespace {

struct TClassEntry {
  TClassRegistration Reg;
  std::unique_ptr<TPublisherBase> Tables;
};

struct TRegistry {
  std::recursive_mutex Lock;
  // Keyed by the upper-cased class name: class names are identifiers and
  // compare ignoring case.
  std::map<AnsiString, TClassEntry> ByName;
  std::unordered_map<const TClassInfo*, TClassEntry*> ByAddress;
  // Merged property lists (ancestors first), per class seen.
  std::unordered_map<const TClassInfo*, std::vector<const TPropInfo*>> Merged;
};

TRegistry& Registry() {
  static TRegistry* R = new TRegistry;  // never freed: used by static registrars at any time
  return *R;
}

TClassEntry* FindEntry(TRegistry& R, const TClassInfo& Class) {
  auto It = R.ByAddress.find(&Class);
  if (It != R.ByAddress.end()) return It->second;
  auto N = R.ByName.find(UpperCase(Class.Name));
  if (N == R.ByName.end() || !N->second.Reg.Info->SameAs(Class)) return nullptr;
  R.ByAddress.emplace(&Class, &N->second);
  return &N->second;
}

const TPublisherBase* TablesOf(TRegistry& R, TClassEntry* Entry) {
  if (!Entry) return nullptr;
  if (!Entry->Tables) {
    auto Tables = std::make_unique<TPublisherBase>(*Entry->Reg.Info);
    if (Entry->Reg.Publish) Entry->Reg.Publish(*Tables);
    Entry->Tables = std::move(Tables);
  }
  return Entry->Tables.get();
}

}  // namespace

void RegisterClassInfo(const TClassRegistration& Registration) {
  TRegistry& R = Registry();
  std::lock_guard<std::recursive_mutex> Guard(R.Lock);
  R.ByName.try_emplace(UpperCase(Registration.Info->Name), TClassEntry{Registration, nullptr});
  // Merged tables of the class and its descendants, built before it was
  // known, lack its properties. Registration normally ends before any use.
  for (auto It = R.Merged.begin(); It != R.Merged.end();)
    It = It->first->InheritsFrom(*Registration.Info) ? R.Merged.erase(It) : std::next(It);
}

const TClassInfo* GetClass(const AnsiString& Name) {
  TRegistry& R = Registry();
  std::lock_guard<std::recursive_mutex> Guard(R.Lock);
  auto It = R.ByName.find(UpperCase(Name));
  return It == R.ByName.end() ? nullptr : It->second.Reg.Info;
}

const TClassInfo& FindClass(const AnsiString& Name) {
  const TClassInfo* Info = GetClass(Name);
  if (!Info) throw EClassNotFound(Format("Class %s not found", {Name}));
  return *Info;
}

const TClassRegistration* FindRegistration(const TClassInfo& Class) {
  TRegistry& R = Registry();
  std::lock_guard<std::recursive_mutex> Guard(R.Lock);
  TClassEntry* E = FindEntry(R, Class);
  return E ? &E->Reg : nullptr;
}

std::vector<const TClassInfo*> RegisteredClasses() {
  TRegistry& R = Registry();
  std::lock_guard<std::recursive_mutex> Guard(R.Lock);
  std::vector<const TClassInfo*> Result;
  for (auto& [Key, Entry] : R.ByName) Result.push_back(Entry.Reg.Info);
  return Result;
}

TComponent* CreateComponent(const TClassInfo& Class, TComponent* Owner) {
  const TClassRegistration* Reg = FindRegistration(Class);
  if (!Reg) throw EClassNotFound(Format("Class %s not found", {AnsiString(Class.Name)}));
  if (!Reg->CreateComponent)
    throw EFilerError(Format("Cannot create an instance of class %s", {AnsiString(Class.Name)}));
  return Reg->CreateComponent(Owner);
}

TComponent* CreateComponent(const AnsiString& ClassName, TComponent* Owner) {
  return CreateComponent(FindClass(ClassName), Owner);
}

TCollectionItem* CreateCollectionItem(const TClassInfo& Class, TCollection* Collection) {
  const TClassRegistration* Reg = FindRegistration(Class);
  if (!Reg) throw EClassNotFound(Format("Class %s not found", {AnsiString(Class.Name)}));
  if (!Reg->CreateItem)
    throw EFilerError(Format("Cannot create an instance of class %s", {AnsiString(Class.Name)}));
  return Reg->CreateItem(Collection);
}

// ---- Published tables --------------------------------------------------------

const TPublisherBase* OwnTables(const TClassInfo& Class) {
  TRegistry& R = Registry();
  std::lock_guard<std::recursive_mutex> Guard(R.Lock);
  return TablesOf(R, FindEntry(R, Class));
}

const std::vector<const TPropInfo*>& MergedProperties(const TClassInfo& Class) {
  TRegistry& R = Registry();
  std::lock_guard<std::recursive_mutex> Guard(R.Lock);
  auto It = R.Merged.find(&Class);
  if (It != R.Merged.end()) return It->second;
  std::vector<const TPropInfo*> List;
  if (Class.Parent) List = MergedProperties(*Class.Parent);
  if (const TPublisherBase* Own = TablesOf(R, FindEntry(R, Class))) {
    for (const auto& P : Own->Properties) {
      auto Same = std::find_if(List.begin(), List.end(),
                               [&](const TPropInfo* Q) { return SameText(Q->Name, P->Name); });
      if (Same != List.end())
        *Same = P.get();
      else
        List.push_back(P.get());
    }
  }
  return R.Merged.emplace(&Class, std::move(List)).first->second;
}

TPropInfo& TPublisherBase::AddProperty(const char* Name, const TTypeInfo* Type,
                                       std::unique_ptr<TPropAccessor> Access) {
  auto Info = std::make_unique<TPropInfo>();
  Info->Name = Name;
  Info->PropType = Type;
  Info->DeclaringClass = FClass;
  Info->Access = std::move(Access);
  for (auto& P : Properties)
    if (SameText(P->Name, Name)) {
      P = std::move(Info);
      return *P;
    }
  Properties.push_back(std::move(Info));
  return *Properties.back();
}

void TPublisherBase::AddMethod(TMethodEntry Entry) { Methods.push_back(std::move(Entry)); }
void TPublisherBase::AddField(TFieldEntry Entry) { Fields.push_back(std::move(Entry)); }
