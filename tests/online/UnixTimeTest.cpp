// Local times to Unix time through the machine's time zone.
#include "online/UnixTime.h"

#include <gtest/gtest.h>

#include "platform/MachineFile.h"
#include "platform/ReplayMachine.h"

namespace vexa {
namespace {

ReplayMachine MachineAt(std::string_view offset) {
  return ReplayMachine(ParseMachineFile(
      "vexa-machine 1\n[os]\nclock 2014-06-14 20:15:00\nutc-offset " + std::string(offset) + "\n", "clock.machine"));
}

TEST(UnixTime, ConvertsLocalTimeWithTheMachinesOffset) {
  const struct {
    std::string_view offset;
    TCalendarTime local;
    std::int64_t seconds;
  } rows[] = {
      {"+08:00", {2014, 6, 14, 20, 15, 0, 0}, 1402748100},
      {"-05:30", {1970, 1, 1, 0, 0, 0, 0}, 19800},
      {"+00:00", {2038, 1, 19, 3, 14, 8, 999}, 2147483648},  // past 32 bits; milliseconds dropped
      {"+00:00", {1969, 12, 31, 23, 59, 59, 0}, -1},
      {"+00:00", {}, 0},                            // no time at all
      {"+00:00", {2014, 2, 30, 0, 0, 0, 0}, 0},    // not a date
  };
  for (const auto& row : rows) {
    ReplayMachine machine = MachineAt(row.offset);
    EXPECT_EQ(UnixTime(machine, row.local), row.seconds) << row.offset << " " << row.local.year;
  }
}

TEST(UnixTime, NowReadsTheMachinesClock) {
  ReplayMachine machine = MachineAt("+08:00");
  EXPECT_EQ(UnixTimeNow(machine), 1402748100);
}

}  // namespace
}  // namespace vexa
