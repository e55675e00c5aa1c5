// The C library describes dates and times with strftime formats (nl_langinfo D_FMT, T_FMT);
// these turn them into the parts of DateTimeSettings that the timestamp needs.
#pragma once

#include <string>

namespace platform::posix {

struct DateFormat {
  std::string Picture;        // as DateTimeSettings::ShortDateFormat
  std::string DateSeparator;  // the text between the first two fields, "/" when there is none
};
DateFormat DateFormatFromStrftime(const std::string& format);

struct TimeFormat {
  bool TwelveHourClock = false;
  bool HourLeadingZero = true;
  bool DesignatorBeforeTime = false;
  std::string TimeSeparator = ":";
};
// format is T_FMT; amPmFormat (T_FMT_AMPM) stands in for a %r in it.
TimeFormat TimeFormatFromStrftime(const std::string& format, const std::string& amPmFormat);

}  // namespace platform::posix
