// FILETIME values (100-nanosecond intervals since 1 January 1601, UTC) as
// calendar dates, by the proleptic Gregorian calendar Windows uses.
#pragma once
#include <cstdint>

#include "platform/platform.h"

namespace qm {

inline constexpr std::uint64_t kFileTimeTicksPerSecond = 10'000'000;

// The calendar date and time of `fileTime`, in the same zone as it (UTC for
// a FILETIME); false past the year 30827, where SYSTEMTIME ends.
constexpr bool CalendarOf(std::uint64_t fileTime, LocalTime& out) {
    const std::uint64_t seconds = fileTime / kFileTimeTicksPerSecond;
    // Days since 1601-01-01, counted from 0000-03-01 so that a leap day
    // ends its year (the civil-from-days method).
    const std::int64_t days = static_cast<std::int64_t>(seconds / 86400) + 584694;  // 1601-01-01 from 0000-03-01
    const std::int64_t era = days / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    if (year > 30827) return false;
    out.year = static_cast<int>(year);
    out.month = month;
    out.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    const std::uint64_t inDay = seconds % 86400;
    out.hour = static_cast<int>(inDay / 3600);
    out.minute = static_cast<int>(inDay / 60 % 60);
    out.second = static_cast<int>(inDay % 60);
    return true;
}

}  // namespace qm
