#pragma once
// The clock behind Now(), Date() and Time().
//
// It reads the local system time unless a test has set a fixed time; a fixed
// time stays until it is cleared, so code under test sees one stable "now".

#include "platform/rtl/ValueTypes.h"

// The local system time with milliseconds, or the test time when one is set.
TDateTime ClockNow();
// The local system time with milliseconds, ignoring any test time.
TDateTime SystemClockNow();

void SetTestClock(TDateTime Now);
void ClearTestClock();

// Sets the test clock for one scope and clears it at the end.
class TTestClockGuard {
 public:
  explicit TTestClockGuard(TDateTime Now) { SetTestClock(Now); }
  ~TTestClockGuard() { ClearTestClock(); }
  TTestClockGuard(const TTestClockGuard&) = delete;
  TTestClockGuard& operator=(const TTestClockGuard&) = delete;
};
