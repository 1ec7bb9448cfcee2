// The machine turns local time into UTC (its time zone, daylight time included); the
// rest is calendar arithmetic.
#include "online/UnixTime.h"

#include "support/Utils.h"

namespace vexa {

std::int64_t UnixTime(Machine& machine, const TCalendarTime& local) {
  if (local.year == 0 && local.month == 0 && local.day == 0 && local.hour == 0 && local.minute == 0 &&
      local.second == 0 && local.milliseconds == 0)
    return 0;
  const std::optional<TCalendarTime> utc = machine.LocalToUtc(local);
  if (!utc) return 0;
  const std::int64_t milliseconds =
      ((DaysFromCivil(utc->year, utc->month, utc->day) * 24 + utc->hour) * 60 + utc->minute) * 60000 +
      std::int64_t{utc->second} * 1000 + utc->milliseconds;
  return milliseconds / 1000;
}

std::int64_t UnixTimeNow(Machine& machine) {
  return UnixTime(machine, machine.LocalTime());
}

}  // namespace vexa
