#include "platform/vcl/FormResources.h"

#include <map>
#include <mutex>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/FormText.h"

namespace {

struct TResource {
  const char* Text;
  AnsiString Source;
};

struct TResources {
  std::mutex Lock;
  std::map<AnsiString, TResource> ByClass;  // upper-cased class names
};

TResources& Resources() {
  static TResources* R = new TResources;
  return *R;
}

}  // namespace

void RegisterFormResource(const AnsiString& ClassName, const char* Utf8Text, const char* SourceName) {
  TResources& R = Resources();
  std::lock_guard<std::mutex> Guard(R.Lock);
  R.ByClass[UpperCase(ClassName)] = TResource{Utf8Text, SourceName ? SourceName : ClassName};
}

const char* FindFormResource(const AnsiString& ClassName) {
  TResources& R = Resources();
  std::lock_guard<std::mutex> Guard(R.Lock);
  auto It = R.ByClass.find(UpperCase(ClassName));
  return It == R.ByClass.end() ? nullptr : It->second.Text;
}

AnsiString FormResourceSource(const AnsiString& ClassName) {
  TResources& R = Resources();
  std::lock_guard<std::mutex> Guard(R.Lock);
  auto It = R.ByClass.find(UpperCase(ClassName));
  return It == R.ByClass.end() ? ClassName : It->second.Source;
}

bool InitInheritedComponent(TComponent* Instance, const TClassInfo& RootAncestor) {
  std::vector<const TClassInfo*> Chain;
  for (const TClassInfo* C = &Instance->ClassType(); C && !C->SameAs(RootAncestor); C = C->Parent)
    Chain.push_back(C);
  TFormReader Reader(Instance);
  bool Any = false;
  for (auto It = Chain.rbegin(); It != Chain.rend(); ++It) {
    const char* Text = FindFormResource((*It)->Name);
    if (!Text) continue;
    try {
      Reader.Read(ParseFormText(Text, TFormTextEncoding{936, CP_UTF8, false}));
    } catch (Exception& E) {
      E.Message = FormResourceSource((*It)->Name) + ": " + E.Message;
      throw;
    }
    Any = true;
  }
  if (Any) Reader.Finish();
  return Any;
}
