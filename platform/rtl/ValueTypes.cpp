#include "platform/rtl/ValueTypes.h"

#include <cmath>

#include "platform/rtl/Exceptions.h"

bool Currency::TryFromDouble(double Value, Currency& Result) {
  if (!std::isfinite(Value)) return false;
  // Scaled in extended precision, as the run-time's floating-point unit does.
  long double scaled = static_cast<long double>(Value) * Scale;
  long double whole = std::floor(scaled);
  long double fraction = scaled - whole;
  if (fraction > 0.5L || (fraction == 0.5L && std::fmod(whole, 2.0L) != 0)) whole += 1;
  if (whole < -9223372036854775808.0L || whole >= 9223372036854775808.0L) return false;
  Result = FromScaled(static_cast<int64_t>(whole));
  return true;
}

Currency Currency::FromDouble(double Value) {
  Currency result;
  if (!TryFromDouble(Value, result)) throw EConvertError("Invalid floating point operation");
  return result;
}
