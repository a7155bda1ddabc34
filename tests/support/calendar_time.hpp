#pragma once
// Fixed dates for tests of time stamps, so that expected texts never depend on the clock.

#include <ctime>

namespace vortane::test {

// The given calendar fields, month counted from 1. The week day is left at 0 (Sunday) and daylight
// saving at -1, for std::mktime to decide.
inline std::tm CalendarTime(int Year, int Month, int Day, int Hour, int Minute, int Second) {
    std::tm Time{};
    Time.tm_year = Year - 1900;
    Time.tm_mon = Month - 1;
    Time.tm_mday = Day;
    Time.tm_hour = Hour;
    Time.tm_min = Minute;
    Time.tm_sec = Second;
    Time.tm_isdst = -1;
    return Time;
}

} // namespace vortane::test
