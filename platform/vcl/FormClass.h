#pragma once
// Registering a form class (in its .cpp, like KW_REGISTER_CLASS): a form
// created by class name (a stored layout, the class registry) is made through
// CreateForm, so that it reads its descriptions, fires OnCreate, and fires
// OnDestroy while it is still whole.
//
//   KW_REGISTER_FORM(TfrmOptions)
//   void TfrmOptions::PublishMembers(TPublisher<TfrmOptions>& P) { ... }

#include <concepts>
#include <type_traits>

#include "platform/vcl/Forms.h"
#include "platform/vcl/Publisher.h"

namespace kw_forms {

template <class C>
struct TFormRegistrar {
  TFormRegistrar() {
    static_assert(std::derived_from<C, TCustomForm>, "KW_REGISTER_FORM is for form classes");
    TClassRegistration r = kw_publish::MakeRegistration<C>();
    if constexpr (!std::is_abstract_v<C> && std::constructible_from<C, TComponent*>)
      r.CreateComponent = [](TComponent* Owner) -> TComponent* { return CreateForm<C>(Owner); };
    RegisterClassInfo(r);
  }
};

}  // namespace kw_forms

#define KW_REGISTER_FORM(Cls) \
  static const kw_forms::TFormRegistrar<Cls> KW_REGISTER_CLASS_CAT(kw_form_registrar_, __COUNTER__){};
