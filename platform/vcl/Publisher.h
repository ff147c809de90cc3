#pragma once
// Publishing a class's properties, methods and component fields. Include this
// in the .cpp file of a class that publishes (never in a header):
//
//   // header
//   class TPanelFont : public TPersistent {
//     KW_DECLARE_CLASS(TPanelFont, TPersistent)
//     KW_PUBLISHED(TPanelFont)
//    public:
//     TColor Color() const;  void SetColor(TColor);
//     ...
//   };
//   // .cpp
//   KW_REGISTER_CLASS(TPanelFont)
//   void TPanelFont::PublishMembers(TPublisher<TPanelFont>& P) {
//     P.Property("Charset", &TPanelFont::Charset, &TPanelFont::SetCharset)
//         .Type(TypeInfo_TFontCharset()).Default(DEFAULT_CHARSET);
//     P.Property("Color", &TPanelFont::Color, &TPanelFont::SetColor).Type(TypeInfo_TColor());
//     P.Property("Style", &TPanelFont::FStyle, &TPanelFont::FStyle).Default(TFontStyles{});
//     KW_PUBLISH_METHOD(P, TfrmX, btnOkClick);
//     KW_PUBLISH_FIELD(P, TfrmX, btnOk);
//   }
//
// A getter is a const member function returning the value (or a reference to
// it) or a data member; a setter a member function taking the value (by value
// or const reference), a data member, or nullptr for a read-only property. The
// property's kind follows from the value's C++ type: integers, char, bool and
// enums (with KW_DECLARE_TYPEINFO) are ordinal, TSet<E> a set, floating types,
// TDateTime and Currency floats, AnsiString and WideString strings, pointers to
// TObject classes class-typed, TEvent<...> methods, Variant variants. .Type()
// names another type of the same kind (TColor, TCursor, TFontCharset are plain
// integers in C++).

#include <concepts>
#include <memory>
#include <type_traits>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/ValueTypes.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/ClassRegistry.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/TypeInfo.h"

// The tables one class publishes (its own entries, not its ancestors').
class TPublisherBase {
 public:
  explicit TPublisherBase(const TClassInfo& Class) : FClass(&Class) {}
  const TClassInfo& Class() const { return *FClass; }

  // Adds (or, for a name published earlier by this class, replaces) a property.
  TPropInfo& AddProperty(const char* Name, const TTypeInfo* Type,
                         std::unique_ptr<TPropAccessor> Access);
  void AddMethod(TMethodEntry Entry);
  void AddField(TFieldEntry Entry);

  std::vector<std::unique_ptr<TPropInfo>> Properties;
  std::vector<TMethodEntry> Methods;
  std::vector<TFieldEntry> Fields;

 private:
  const TClassInfo* FClass;
};

namespace kw_publish {

template <class T>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {};

template <class T>
struct IsEvent : std::false_type {};
template <class... A>
struct IsEvent<TEvent<A...>> : std::true_type {};

enum class TCategory { Ordinal, Float, Str, WideStr, Object, Method, Var };

template <class V>
constexpr TCategory CategoryOf() {
  if constexpr (std::is_same_v<V, bool> || std::is_integral_v<V> || std::is_enum_v<V> ||
                IsSet<V>::value)
    return TCategory::Ordinal;
  else if constexpr (std::is_floating_point_v<V> || std::is_same_v<V, TDateTime> ||
                     std::is_same_v<V, Currency>)
    return TCategory::Float;
  else if constexpr (std::is_same_v<V, AnsiString>)
    return TCategory::Str;
  else if constexpr (std::is_same_v<V, WideString>)
    return TCategory::WideStr;
  else if constexpr (std::is_pointer_v<V>) {
    static_assert(std::derived_from<std::remove_cv_t<std::remove_pointer_t<V>>, TObject>,
                  "a class-typed property must point to a TObject class");
    return TCategory::Object;
  } else if constexpr (IsEvent<V>::value)
    return TCategory::Method;
  else {
    static_assert(std::is_same_v<V, Variant>, "this C++ type cannot be published");
    return TCategory::Var;
  }
}

template <class V>
const TTypeInfo* DefaultTypeInfo() {
  if constexpr (std::is_pointer_v<V>)
    return &ClassTypeInfo(std::remove_cv_t<std::remove_pointer_t<V>>::StaticClass());
  else
    return TypeInfoOf<V>();
}

// ---- Getters ----------------------------------------------------------------

template <class G>
struct Getter;
template <class C, class R>
struct Getter<R (C::*)() const> {
  using Class = C;
  using Value = std::remove_cvref_t<R>;
  static Value Get(const C* Obj, R (C::*G)() const) { return (Obj->*G)(); }
};
template <class C, class R>
struct Getter<R (C::*)() const noexcept> {
  using Class = C;
  using Value = std::remove_cvref_t<R>;
  static Value Get(const C* Obj, R (C::*G)() const noexcept) { return (Obj->*G)(); }
};
template <class C, class R>
  requires(!std::is_function_v<R>)
struct Getter<R C::*> {
  using Class = C;
  using Value = R;
  static Value Get(const C* Obj, R C::*G) { return Obj->*G; }
};

// ---- Setters ----------------------------------------------------------------

template <class S>
struct Setter;
template <>
struct Setter<std::nullptr_t> {
  static constexpr bool Writable = false;
  template <class C, class V>
  static void Set(C*, std::nullptr_t, const V&) {}
};
template <class C, class P>
struct Setter<void (C::*)(P)> {
  static constexpr bool Writable = true;
  template <class V>
  static void Set(C* Obj, void (C::*S)(P), const V& Value) {
    (Obj->*S)(Value);
  }
};
template <class C, class R>
  requires(!std::is_function_v<R>)
struct Setter<R C::*> {
  static constexpr bool Writable = true;
  template <class V>
  static void Set(C* Obj, R C::*S, const V& Value) {
    Obj->*S = Value;
  }
};

// Raises EPropertyError "Property is read-only".
[[noreturn]] void ReadOnlyError();

template <class C, class V, class G, class S>
class TAccessorBase : public TPropAccessor {
 public:
  TAccessorBase(G Get, S Set) : FGet(Get), FSet(Set) {}
  bool Writable() const override { return Setter<S>::Writable; }

 protected:
  V Read(TObject* Instance) const {
    return Getter<G>::Get(static_cast<const C*>(Instance), FGet);
  }
  void Write(TObject* Instance, const V& Value) const {
    if constexpr (Setter<S>::Writable)
      Setter<S>::Set(static_cast<C*>(Instance), FSet, Value);
    else
      ReadOnlyError();
  }

 private:
  G FGet;
  S FSet;
};

template <class C, class V, class G, class S>
class TOrdAccessor final : public TAccessorBase<C, V, G, S> {
 public:
  using TAccessorBase<C, V, G, S>::TAccessorBase;
  int64_t GetOrd(TObject* Instance) const override {
    V v = this->Read(Instance);
    if constexpr (IsSet<V>::value)
      return v.Bits();
    else if constexpr (std::is_same_v<V, char>)
      return static_cast<unsigned char>(v);
    else
      return static_cast<int64_t>(v);
  }
  void SetOrd(TObject* Instance, int64_t Value) const override {
    if constexpr (IsSet<V>::value)
      this->Write(Instance, V::FromBits(static_cast<uint32_t>(Value)));
    else if constexpr (std::is_same_v<V, bool>)
      this->Write(Instance, Value != 0);
    else
      this->Write(Instance, static_cast<V>(Value));
  }
};

template <class C, class V, class G, class S>
class TFloatAccessor final : public TAccessorBase<C, V, G, S> {
 public:
  using TAccessorBase<C, V, G, S>::TAccessorBase;
  double GetFloat(TObject* Instance) const override {
    V v = this->Read(Instance);
    if constexpr (std::is_same_v<V, Currency>)
      return v.ToDouble();
    else
      return static_cast<double>(v);
  }
  void SetFloat(TObject* Instance, double Value) const override {
    if constexpr (std::is_same_v<V, Currency>)
      this->Write(Instance, Currency::FromDouble(Value));
    else
      this->Write(Instance, static_cast<V>(Value));
  }
};

template <class C, class V, class G, class S>
class TStrAccessor final : public TAccessorBase<C, V, G, S> {
 public:
  using TAccessorBase<C, V, G, S>::TAccessorBase;
  AnsiString GetStr(TObject* Instance) const override {
    if constexpr (std::is_same_v<V, WideString>)
      return WideToAnsi(this->Read(Instance));
    else
      return this->Read(Instance);
  }
  void SetStr(TObject* Instance, const AnsiString& Value) const override {
    if constexpr (std::is_same_v<V, WideString>)
      this->Write(Instance, AnsiToWide(Value));
    else
      this->Write(Instance, Value);
  }
};

template <class C, class V, class G, class S>
class TObjectAccessor final : public TAccessorBase<C, V, G, S> {
 public:
  using TAccessorBase<C, V, G, S>::TAccessorBase;
  using Target = std::remove_cv_t<std::remove_pointer_t<V>>;
  TObject* GetObject(TObject* Instance) const override {
    return const_cast<Target*>(this->Read(Instance));
  }
  // The caller has checked the class.
  void SetObject(TObject* Instance, TObject* Value) const override {
    this->Write(Instance, static_cast<V>(static_cast<Target*>(Value)));
  }
};

template <class C, class V, class G, class S>
class TMethodAccessor final : public TAccessorBase<C, V, G, S> {
 public:
  using TAccessorBase<C, V, G, S>::TAccessorBase;
  TMethod GetMethod(TObject* Instance) const override { return this->Read(Instance).Method; }
  void SetMethod(TObject* Instance, const TMethod& Value) const override {
    this->Write(Instance, V(Value));
  }
};

template <class C, class V, class G, class S>
class TVariantAccessor final : public TAccessorBase<C, V, G, S> {
 public:
  using TAccessorBase<C, V, G, S>::TAccessorBase;
  Variant GetVariant(TObject* Instance) const override { return this->Read(Instance); }
  void SetVariant(TObject* Instance, const Variant& Value) const override {
    this->Write(Instance, Value);
  }
};

template <class C, class V, class G, class S>
std::unique_ptr<TPropAccessor> MakeAccessor(G Get, S Set) {
  constexpr TCategory Cat = CategoryOf<V>();
  if constexpr (Cat == TCategory::Ordinal)
    return std::make_unique<TOrdAccessor<C, V, G, S>>(Get, Set);
  else if constexpr (Cat == TCategory::Float)
    return std::make_unique<TFloatAccessor<C, V, G, S>>(Get, Set);
  else if constexpr (Cat == TCategory::Str || Cat == TCategory::WideStr)
    return std::make_unique<TStrAccessor<C, V, G, S>>(Get, Set);
  else if constexpr (Cat == TCategory::Object)
    return std::make_unique<TObjectAccessor<C, V, G, S>>(Get, Set);
  else if constexpr (Cat == TCategory::Method)
    return std::make_unique<TMethodAccessor<C, V, G, S>>(Get, Set);
  else
    return std::make_unique<TVariantAccessor<C, V, G, S>>(Get, Set);
}

// Raises when an explicit type does not have the kind the C++ type gives.
void CheckTypeOverride(const TPropInfo& Prop, const TTypeInfo& Type);

}  // namespace kw_publish

// Chained settings of a property just published.
template <class C>
class TPropertyBuilder {
 public:
  explicit TPropertyBuilder(TPropInfo& Prop) : FProp(Prop) {}
  // Another type of the same kind: .Type(TypeInfo_TColor()).
  TPropertyBuilder& Type(const TTypeInfo& T) {
    kw_publish::CheckTypeOverride(FProp, T);
    FProp.PropType = &T;
    return *this;
  }
  // The ordinal or set value that is not written.
  template <class V>
  TPropertyBuilder& Default(V Value) {
    if constexpr (kw_publish::IsSet<V>::value)
      FProp.Default = Value.Bits();
    else
      FProp.Default = static_cast<int64_t>(Value);
    return *this;
  }
  TPropertyBuilder& NoDefault() {
    FProp.Default = TPropInfo::NoDefault;
    return *this;
  }
  TPropertyBuilder& Stored(bool Value) {
    FProp.Stored = Value;
    return *this;
  }
  // Stored only when the instance's test says so: .StoredWhen<&TFoo::IsFontStored>().
  template <bool (C::*Test)() const>
  TPropertyBuilder& StoredWhen() {
    FProp.StoredTest = [](const TObject* I) { return (static_cast<const C*>(I)->*Test)(); };
    return *this;
  }

 private:
  TPropInfo& FProp;
};

template <class C>
class TPublisher {
 public:
  explicit TPublisher(TPublisherBase& Base) : FBase(Base) {}

  template <class G, class S = std::nullptr_t>
  TPropertyBuilder<C> Property(const char* Name, G Get, S Set = nullptr) {
    using V = typename kw_publish::Getter<G>::Value;
    static_assert(std::is_base_of_v<typename kw_publish::Getter<G>::Class, C>,
                  "the getter must belong to the class or an ancestor");
    auto Access = kw_publish::MakeAccessor<C, V>(Get, Set);
    TPropInfo& Prop =
        FBase.AddProperty(Name, kw_publish::DefaultTypeInfo<V>(), std::move(Access));
    return TPropertyBuilder<C>(Prop);
  }

  template <auto Member>
  void Method(const char* Name) {
    using A = kw_events::TMemberAdaptor<Member>;
    using D = typename A::Class;
    FBase.AddMethod(TMethodEntry{
        Name, MethodCode<Member>(), MakeEventFrom(&A::Call, nullptr).Signature(),
        [](TObject* I) -> void* { return static_cast<void*>(static_cast<D*>(static_cast<C*>(I))); }});
  }

  template <auto Member>
  void Field(const char* Name) {
    using T = std::remove_pointer_t<typename kw_publish::Getter<decltype(Member)>::Value>;
    FBase.AddField(TFieldEntry{Name, &T::StaticClass(), [](TObject* I, TComponent* Value) {
                                 static_cast<C*>(I)->*Member = static_cast<T*>(Value);
                               }});
  }

 private:
  TPublisherBase& FBase;
};

#define KW_PUBLISH_METHOD(P, Cls, Name) (P).template Method<&Cls::Name>(#Name)
#define KW_PUBLISH_FIELD(P, Cls, Name) (P).template Field<&Cls::Name>(#Name)

// Declares the class's publishing function inside its class body.
#define KW_PUBLISHED(Cls)                              \
 public:                                               \
  static void PublishMembers(TPublisher<Cls>& P);      \
                                                       \
 private:

namespace kw_publish {

template <class C>
constexpr bool HasOwnPublish = requires {
  static_cast<void (*)(TPublisher<C>&)>(&C::PublishMembers);
};

template <class C>
TClassRegistration MakeRegistration() {
  TClassRegistration R;
  R.Info = &C::StaticClass();
  if constexpr (std::derived_from<C, TComponent> && !std::is_abstract_v<C> &&
                std::constructible_from<C, TComponent*>) {
    R.CreateComponent = [](TComponent* Owner) -> TComponent* { return NewComponent<C>(Owner); };
  } else if constexpr (std::derived_from<C, TCollectionItem> && !std::is_abstract_v<C> &&
                       std::constructible_from<C, TCollection*>) {
    R.CreateItem = [](TCollection* Owner) -> TCollectionItem* { return new C(Owner); };
  } else if constexpr (!std::is_abstract_v<C> && std::is_default_constructible_v<C>) {
    R.CreateObject = []() -> TObject* { return new C(); };
  }
  if constexpr (HasOwnPublish<C>) {
    R.Publish = [](TPublisherBase& Base) {
      TPublisher<C> P(Base);
      C::PublishMembers(P);
    };
  }
  return R;
}

template <class C>
struct TRegistrar {
  TRegistrar() { RegisterClassInfo(MakeRegistration<C>()); }
};

}  // namespace kw_publish

#define KW_REGISTER_CLASS_CAT2(a, b) a##b
#define KW_REGISTER_CLASS_CAT(a, b) KW_REGISTER_CLASS_CAT2(a, b)
// Registers a class (by name, with its factory and its publishing function).
#define KW_REGISTER_CLASS(Cls) \
  static const kw_publish::TRegistrar<Cls> KW_REGISTER_CLASS_CAT(kw_registrar_, __COUNTER__){};
