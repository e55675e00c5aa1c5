#include "checkfile/Timestamp.h"

#include <string_view>

namespace checkfile {

namespace {

using platform::DateTimeSettings;
using platform::LocalTime;

std::string Number(int value, size_t minimumDigits) {
  std::string digits = std::to_string(value);
  if (digits.size() < minimumDigits) digits.insert(0, minimumDigits - digits.size(), '0');
  return digits;
}

template <size_t N>
std::string NameAt(const std::array<std::string, N>& names, int index) {
  return index >= 0 && static_cast<size_t>(index) < N ? names[static_cast<size_t>(index)] : "";
}

// One field of a date picture: a run of count equal letters.
std::string DateField(char letter, size_t count, const LocalTime& time,
                      const DateTimeSettings& settings) {
  switch (letter) {
    case 'd':
      if (count <= 2) return Number(time.Day, count);
      return NameAt(count == 3 ? settings.ShortDayNames : settings.LongDayNames, time.DayOfWeek);
    case 'M':
      if (count <= 2) return Number(time.Month, count);
      return NameAt(count == 3 ? settings.ShortMonthNames : settings.LongMonthNames,
                    time.Month - 1);
    case 'y':
      return count <= 2 ? Number(time.Year % 100, count) : Number(time.Year, 4);
    default:  // the era of the Gregorian calendar is not shown
      return "";
  }
}

// Copies the quoted text that starts after the quote at position i; returns the position of
// the closing quote (or the end).
size_t CopyQuoted(std::string_view picture, size_t i, std::string& text) {
  for (++i; i < picture.size(); ++i) {
    if (picture[i] != '\'') {
      text += picture[i];
    } else if (i + 1 < picture.size() && picture[i + 1] == '\'') {
      text += '\'';
      ++i;
    } else {
      break;
    }
  }
  return i;
}

}  // namespace

std::string ShortDateText(const LocalTime& time, const DateTimeSettings& settings) {
  const std::string_view picture = settings.ShortDateFormat;
  std::string text;
  for (size_t i = 0; i < picture.size(); ++i) {
    const char c = picture[i];
    if (c == '\'') {
      i = CopyQuoted(picture, i, text);
    } else if (c == 'd' || c == 'M' || c == 'y' || c == 'g') {
      size_t count = 1;
      while (i + count < picture.size() && picture[i + count] == c)
        ++count;
      text += DateField(c, count, time, settings);
      i += count - 1;
    } else if (c == '/') {
      text += settings.DateSeparator;
    } else {
      text += c;
    }
  }
  return text;
}

std::string LongTimeText(const LocalTime& time, const DateTimeSettings& settings) {
  int hour = time.Hour;
  if (settings.TwelveHourClock) hour = hour % 12 == 0 ? 12 : hour % 12;
  const std::string& separator = settings.TimeSeparator;
  const std::string clock = Number(hour, settings.HourLeadingZero ? 2 : 1) + separator +
                            Number(time.Minute, 2) + separator + Number(time.Second, 2);
  if (!settings.TwelveHourClock) return clock;
  const std::string& designator = time.Hour < 12 ? settings.AmDesignator : settings.PmDesignator;
  return settings.DesignatorBeforeTime ? designator + " " + clock : clock + " " + designator;
}

std::string TimestampText(const LocalTime& time, const DateTimeSettings& settings) {
  const std::string date = ShortDateText(time, settings);
  if (time.Hour == 0 && time.Minute == 0 && time.Second == 0) return date;
  return date + " " + LongTimeText(time, settings);
}

}  // namespace checkfile
