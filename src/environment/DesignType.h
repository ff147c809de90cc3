#pragma once
// Which configuration an environment component follows: the client's
// (TandrilC.ini) or the server's (TandrilS.ini).

#include "platform/vcl/TypeInfo.h"

enum TDesignType { dtClient, dtServer };
KW_DECLARE_TYPEINFO(TDesignType)
