#pragma once
// The root of the class hierarchy: run-time class information (name, parent,
// "is a") for every class that declares itself with KW_DECLARE_CLASS.

#include "platform/rtl/AnsiStrings.h"

class TObject;

// One per class. Compared by address, with the name as a fallback so that the
// same class seen from the host and from a plug-in still matches.
struct TClassInfo {
  const char* Name;
  const TClassInfo* Parent;

  bool InheritsFrom(const TClassInfo& Ancestor) const;
  bool SameAs(const TClassInfo& Other) const;
};

#define KW_DECLARE_CLASS(Cls, Base)                                      \
 public:                                                                 \
  static const TClassInfo& StaticClass() {                               \
    static const TClassInfo info{#Cls, &Base::StaticClass()};            \
    return info;                                                         \
  }                                                                      \
  const TClassInfo& ClassType() const override { return StaticClass(); } \
                                                                         \
 private:

class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;

  static const TClassInfo& StaticClass() {
    static const TClassInfo info{"TObject", nullptr};
    return info;
  }
  virtual const TClassInfo& ClassType() const { return StaticClass(); }

  AnsiString ClassName() const { return ClassType().Name; }
  bool InheritsFrom(const TClassInfo& Ancestor) const { return ClassType().InheritsFrom(Ancestor); }
  // The "is" operator: Obj->Is<TStrings>().
  template <class T>
  bool Is() const { return InheritsFrom(T::StaticClass()); }
};

// Objects that can copy their state from another object of a compatible class.
class TPersistent : public TObject {
  KW_DECLARE_CLASS(TPersistent, TObject)
 public:
  // Copies Source's state into this object. The default asks Source to assign
  // itself to us and raises EConvertError "Cannot assign a X to a Y" when
  // neither side knows how.
  virtual void Assign(const TPersistent* Source);
  // The dotted name used in messages and property paths; empty by default.
  virtual AnsiString GetNamePath() const;

 protected:
  virtual void AssignTo(TPersistent* Dest) const;
};

// Checked downcast (the "as" operator without the raise): nullptr when Obj
// is null or not a T.
template <class T>
T* ObjectAs(TObject* Obj) {
  return dynamic_cast<T*>(Obj);
}
template <class T>
const T* ObjectAs(const TObject* Obj) {
  return dynamic_cast<const T*>(Obj);
}
