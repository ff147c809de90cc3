#include "platform/rtl/Clock.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>

#include "platform/rtl/DateTime.h"

namespace {

// NaN means "no test time"; one atomic word, so a reader never sees half a set.
std::atomic<double> TestNow{std::numeric_limits<double>::quiet_NaN()};

}  // namespace

TDateTime SystemClockNow() {
  using namespace std::chrono;
  const int64_t Ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  const time_t Secs = static_cast<time_t>(Ms >= 0 ? Ms / 1000 : (Ms - 999) / 1000);
  const int MSec = static_cast<int>(Ms - static_cast<int64_t>(Secs) * 1000);
  std::tm Local{};
  localtime_r(&Secs, &Local);
  // A leap second shows as :60; keep it inside the minute.
  const int Sec = Local.tm_sec > 59 ? 59 : Local.tm_sec;
  return EncodeDate(Local.tm_year + 1900, Local.tm_mon + 1, Local.tm_mday) +
         EncodeTime(Local.tm_hour, Local.tm_min, Sec, MSec);
}

TDateTime ClockNow() {
  const double Fixed = TestNow.load(std::memory_order_acquire);
  return std::isnan(Fixed) ? SystemClockNow() : TDateTime(Fixed);
}

void SetTestClock(TDateTime Now) { TestNow.store(Now.Value, std::memory_order_release); }

void ClearTestClock() {
  TestNow.store(std::numeric_limits<double>::quiet_NaN(), std::memory_order_release);
}
