// Seconds since 1970-01-01 00:00 UTC of a local date and time, converted with the
// machine's time zone, as the report's time stamp.
#pragma once

#include <cstdint>

#include "platform/Machine.h"

namespace vexa {

// 0 for the zero date-time (all fields 0) and for a time the machine cannot convert;
// milliseconds are truncated toward zero.
std::int64_t UnixTime(Machine& machine, const TCalendarTime& local);
// UnixTime of the machine's local time now.
std::int64_t UnixTimeNow(Machine& machine);

}  // namespace vexa
