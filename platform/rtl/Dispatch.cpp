#include "platform/rtl/Dispatch.h"

IDispatch::~IDispatch() = default;
