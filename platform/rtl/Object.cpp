#include "platform/rtl/Object.h"

#include <cstring>

#include "platform/rtl/Exceptions.h"

bool TClassInfo::SameAs(const TClassInfo& Other) const {
  return this == &Other || std::strcmp(Name, Other.Name) == 0;
}

bool TClassInfo::InheritsFrom(const TClassInfo& Ancestor) const {
  for (const TClassInfo* c = this; c; c = c->Parent)
    if (c->SameAs(Ancestor)) return true;
  return false;
}

void TPersistent::Assign(const TPersistent* Source) {
  if (Source) {
    Source->AssignTo(this);
    return;
  }
  throw EConvertError("Cannot assign a nil to a " + ClassName());
}

void TPersistent::AssignTo(TPersistent* Dest) const {
  throw EConvertError("Cannot assign a " + ClassName() + " to a " + Dest->ClassName());
}

AnsiString TPersistent::GetNamePath() const { return {}; }

void Abort() { throw EAbort("Operation aborted"); }

