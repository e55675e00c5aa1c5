#include "platform/LocalTime.h"

#include <langinfo.h>
#include <locale.h>
#include <time.h>

#include "platform/posix/LocaleFormats.h"

namespace platform {

namespace {

// The sole owner of a locale object.
class Locale {
 public:
  Locale() : locale_(newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr))) {
    if (locale_ == static_cast<locale_t>(nullptr))
      locale_ = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
  }
  ~Locale() {
    if (locale_ != static_cast<locale_t>(nullptr)) freelocale(locale_);
  }
  Locale(const Locale&) = delete;
  Locale& operator=(const Locale&) = delete;

  std::string Text(nl_item item) const {
    if (locale_ == static_cast<locale_t>(nullptr)) return std::string();
    const char* text = nl_langinfo_l(item, locale_);
    return text != nullptr ? text : "";
  }

 private:
  locale_t locale_;
};

}  // namespace

LocalTime CurrentLocalTime() {
  timespec now = {};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local = {};
  localtime_r(&now.tv_sec, &local);
  return {local.tm_year + 1900, local.tm_mon + 1,
          local.tm_mday,        local.tm_wday,
          local.tm_hour,        local.tm_min,
          local.tm_sec,         static_cast<int>(now.tv_nsec / 1000000)};
}

DateTimeSettings UserDateTimeSettings() {
  const Locale locale;
  DateTimeSettings settings;
  const posix::DateFormat date = posix::DateFormatFromStrftime(locale.Text(D_FMT));
  settings.ShortDateFormat = date.Picture;
  settings.DateSeparator = date.DateSeparator;
  const posix::TimeFormat time =
      posix::TimeFormatFromStrftime(locale.Text(T_FMT), locale.Text(T_FMT_AMPM));
  settings.TimeSeparator = time.TimeSeparator;
  settings.TwelveHourClock = time.TwelveHourClock;
  settings.HourLeadingZero = time.HourLeadingZero;
  settings.DesignatorBeforeTime = time.DesignatorBeforeTime;
  settings.AmDesignator = locale.Text(AM_STR);
  settings.PmDesignator = locale.Text(PM_STR);
  for (int i = 0; i < 12; ++i) {
    settings.ShortMonthNames[static_cast<size_t>(i)] = locale.Text(ABMON_1 + i);
    settings.LongMonthNames[static_cast<size_t>(i)] = locale.Text(MON_1 + i);
  }
  for (int i = 0; i < 7; ++i) {
    settings.ShortDayNames[static_cast<size_t>(i)] = locale.Text(ABDAY_1 + i);
    settings.LongDayNames[static_cast<size_t>(i)] = locale.Text(DAY_1 + i);
  }
  return settings;
}

}  // namespace platform
