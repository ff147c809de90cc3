#pragma once
// Small value types shared by the conversions, dates and Variant.

#include <cstdint>

// Days since 30 December 1899; the fraction is the time of day. A class of its
// own (not a bare double) so that overloads, and Variant, can tell a date from
// a number, while arithmetic still works through the conversion to double.
class TDateTime {
 public:
  constexpr TDateTime() = default;
  constexpr TDateTime(double Days) : Value(Days) {}
  constexpr operator double() const { return Value; }

  double Value = 0.0;
};

// Fixed-point money with four decimals, stored as an integer scaled by 10,000.
struct Currency {
  static constexpr int64_t Scale = 10000;

  constexpr Currency() = default;
  static constexpr Currency FromScaled(int64_t Scaled) {
    Currency c;
    c.Scaled = Scaled;
    return c;
  }
  // Rounds to four decimals as the run-time does: a half goes to the even
  // neighbour. FromDouble raises
  // EConvertError when the value is not a number or outside the currency
  // range (about +-922337203685477.58); TryFromDouble returns false instead.
  static Currency FromDouble(double Value);
  static bool TryFromDouble(double Value, Currency& Result);
  double ToDouble() const { return static_cast<double>(Scaled) / Scale; }

  friend constexpr bool operator==(Currency a, Currency b) { return a.Scaled == b.Scaled; }
  friend constexpr bool operator<(Currency a, Currency b) { return a.Scaled < b.Scaled; }

  int64_t Scaled = 0;
};
