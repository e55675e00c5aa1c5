// The local time and the user's date and time settings, for the checkfile's timestamp.
#pragma once

#include <array>
#include <string>

namespace platform {

struct LocalTime {
  int Year = 0;
  int Month = 1;      // 1 to 12
  int Day = 1;        // 1 to 31
  int DayOfWeek = 0;  // 0 is Sunday
  int Hour = 0;       // 0 to 23
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
};

// How the user wants a date and a time written.
struct DateTimeSettings {
  // A date picture: d, dd (day), ddd, dddd (day name), M, MM (month), MMM, MMMM (month name),
  // y, yy (year in the century), yyyy (year), g, gg (era, left out); "/" stands for
  // DateSeparator; text in single quotes is copied ('' is a quote); anything else is copied.
  std::string ShortDateFormat = "M/d/yyyy";
  std::string DateSeparator = "/";
  std::string TimeSeparator = ":";
  bool TwelveHourClock = false;
  bool HourLeadingZero = false;
  bool DesignatorBeforeTime = false;  // "PM 6:19:38" rather than "6:19:38 PM"
  std::string AmDesignator = "AM";
  std::string PmDesignator = "PM";
  std::array<std::string, 12> ShortMonthNames;  // January first
  std::array<std::string, 12> LongMonthNames;
  std::array<std::string, 7> ShortDayNames;  // Sunday first
  std::array<std::string, 7> LongDayNames;
};

LocalTime CurrentLocalTime();

// Win32: the user's locale (GetLocaleInfoA). POSIX: the C library's locale that the
// environment selects (LC_ALL, LC_TIME, LANG), or the "C" locale when that one is not there.
DateTimeSettings UserDateTimeSettings();

}  // namespace platform
