#pragma once
// The data error of the run-time's data layer, in a header of its own so that
// code that only raises or catches it (the application server's database
// layer) needs nothing else of the data layer.

#include "platform/rtl/Exceptions.h"

// A data set, field or database operation that cannot be done
// ("Field 'X' not found", "Cannot connect to the PostgreSQL server: ...").
KW_DECLARE_EXCEPTION(EDatabaseError, Exception)
