#include "platform/LocalTime.h"

#include <windows.h>

namespace platform {

namespace {

std::string LocaleText(LCTYPE type, const char* fallback) {
  char buffer[128];
  const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  return length > 1 ? std::string(buffer, static_cast<size_t>(length - 1)) : fallback;
}

bool LocaleFlag(LCTYPE type, const char* fallback) {
  return LocaleText(type, fallback) == "1";
}

}  // namespace

LocalTime CurrentLocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth,  now.wDay,    now.wDayOfWeek,
          now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

DateTimeSettings UserDateTimeSettings() {
  DateTimeSettings settings;
  settings.ShortDateFormat = LocaleText(LOCALE_SSHORTDATE, "M/d/yyyy");
  settings.DateSeparator = LocaleText(LOCALE_SDATE, "/");
  settings.TimeSeparator = LocaleText(LOCALE_STIME, ":");
  settings.TwelveHourClock = LocaleText(LOCALE_ITIME, "1") == "0";  // "0" is AM/PM, "1" is 24 h
  settings.HourLeadingZero = LocaleFlag(LOCALE_ITLZERO, "0");
  settings.DesignatorBeforeTime = LocaleFlag(LOCALE_ITIMEMARKPOSN, "0");
  settings.AmDesignator = LocaleText(LOCALE_S1159, "AM");
  settings.PmDesignator = LocaleText(LOCALE_S2359, "PM");
  for (LCTYPE i = 0; i < 12; ++i) {
    settings.ShortMonthNames[i] = LocaleText(LOCALE_SABBREVMONTHNAME1 + i, "");
    settings.LongMonthNames[i] = LocaleText(LOCALE_SMONTHNAME1 + i, "");
  }
  // The locale's day names start with Monday.
  for (LCTYPE i = 0; i < 7; ++i) {
    settings.ShortDayNames[(i + 1) % 7] = LocaleText(LOCALE_SABBREVDAYNAME1 + i, "");
    settings.LongDayNames[(i + 1) % 7] = LocaleText(LOCALE_SDAYNAME1 + i, "");
  }
  return settings;
}

}  // namespace platform
