#pragma once
// Errors of the application server's data layer. Every refusal carries a
// plain English text that says what was refused and why; the automation
// object turns them into the answer shape each server operation has (an
// error text, a negative result or a raised automation error).

#include "platform/rtl/Exceptions.h"

// Base of every error raised by the application server's data layer.
KW_DECLARE_EXCEPTION(EAppServerError, Exception)
// A request was not accepted: a statement or value that is not of the form
// the operation is for, an unknown table or column, a name that breaks the
// rules. Nothing was run.
KW_DECLARE_EXCEPTION(ERequestRefused, EAppServerError)
// An optimistic write found the stored revision changed since it was read.
KW_DECLARE_EXCEPTION(ERevisionConflict, EAppServerError)
// The database refused or failed a statement; the message is the backend's.
#include "platform/db/DBErrors.h"  // EDatabaseError, shared with the data layer (one class of that name)
