#pragma once
// The class registry: classes known by name, so that a stored layout or a
// form description can create a component from its class name, and so that
// published properties, methods and fields are found for a class.
//
// A class registers in its own .cpp with KW_REGISTER_CLASS (Publisher.h).
// Registration only records a few pointers; the published tables are built
// the first time they are asked for.
//
// Registration runs while the program starts. A class that is only ever
// created by name must be linked in: keep it in an object file the program
// uses, or link the library whole (the plug-in does).

#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"

class TComponent;
class TCollection;
class TCollectionItem;
class TPublisherBase;

// Errors of reading and writing form descriptions. Line is the line of the
// description the error was found on (0 when there is none); the message
// already ends with " on line N" then.
class EFilerError : public Exception {
  KW_DECLARE_CLASS(EFilerError, Exception)
 public:
  explicit EFilerError(AnsiString Msg, int ALine = 0) : Exception(std::move(Msg)), Line(ALine) {}
  int Line;
};
// "Class TFoo not found".
KW_DECLARE_EXCEPTION(EClassNotFound, EFilerError)

using TComponentFactory = TComponent* (*)(TComponent* Owner);
using TItemFactory = TCollectionItem* (*)(TCollection* Collection);
using TObjectFactory = TObject* (*)();
using TPublishFunction = void (*)(TPublisherBase& Publisher);

struct TClassRegistration {
  const TClassInfo* Info = nullptr;
  TComponentFactory CreateComponent = nullptr;  // components: new T(Owner), then AfterConstruction
  TItemFactory CreateItem = nullptr;            // collection items: new T(Collection)
  TObjectFactory CreateObject = nullptr;        // other persistent classes: new T()
  TPublishFunction Publish = nullptr;           // fills the class's own published tables
};

// Records a class. Registering a class twice keeps the first registration.
void RegisterClassInfo(const TClassRegistration& Registration);
// The class registered under Name (ignoring case), or nullptr (GetClass) /
// EClassNotFound "Class X not found" (FindClass).
const TClassInfo* GetClass(const AnsiString& Name);
const TClassInfo& FindClass(const AnsiString& Name);
const TClassRegistration* FindRegistration(const TClassInfo& Class);
std::vector<const TClassInfo*> RegisteredClasses();

// Creates a component of a registered class owned by Owner (the class's
// factory runs AfterConstruction, so a form class reads its descriptions).
// Raises EClassNotFound for an unknown class, EFilerError for a class that
// cannot be created (not a component, or abstract).
TComponent* CreateComponent(const TClassInfo& Class, TComponent* Owner);
TComponent* CreateComponent(const AnsiString& ClassName, TComponent* Owner);
// Creates an item of a registered collection item class in Collection.
TCollectionItem* CreateCollectionItem(const TClassInfo& Class, TCollection* Collection);
