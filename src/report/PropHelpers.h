#pragma once
// Reading and writing a published property of a component by its name. The
// name may be a dotted path through class-typed properties ("Font.Charset").
// A missing component, an empty name, a property the class does not publish
// or one of another kind is not an error here: the getters then give an
// empty text, 0 or an empty method and the setters do nothing.

#include <cstdint>

#include "platform/rtl/AnsiStrings.h"
#include "platform/vcl/Events.h"

class TObject;

// Text properties (ANSI or wide).
AnsiString GetStrPropByName(TObject* Component, const AnsiString& PropName);
void SetStrPropByName(TObject* Component, const AnsiString& PropName, const AnsiString& Value);
// Ordinal properties: integers, characters, enumerations, Boolean and sets.
int64_t GetOrdPropByName(TObject* Component, const AnsiString& PropName);
void SetOrdPropByName(TObject* Component, const AnsiString& PropName, int64_t Value);
// Event properties.
TMethod GetMethodPropByName(TObject* Component, const AnsiString& PropName);
void SetMethodPropByName(TObject* Component, const AnsiString& PropName, const TMethod& Value);
// Whether the component's class publishes the property.
bool HasPropByName(TObject* Component, const AnsiString& PropName);
