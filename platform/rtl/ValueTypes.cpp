#include "platform/rtl/ValueTypes.h"

#include <cmath>

Currency Currency::FromDouble(double Value) {
  return FromScaled(static_cast<int64_t>(std::llround(Value * Scale)));
}
