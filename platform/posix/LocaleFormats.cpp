#include "platform/posix/LocaleFormats.h"

namespace platform::posix {

namespace {

// Copies text into a date picture so that none of it is taken for a field or a separator.
void AppendLiteral(std::string& picture, const std::string& text) {
  std::string quoted;
  for (const char c : text)
    quoted += c == '\'' ? std::string("''") : std::string(1, c);
  picture += "'" + quoted + "'";
}

// The picture of one conversion; empty for one that a short date cannot show.
std::string PictureOf(char conversion) {
  switch (conversion) {
    case 'd':
      return "dd";
    case 'e':
      return "d";
    case 'm':
      return "MM";
    case 'y':
      return "yy";
    case 'Y':
    case 'G':
      return "yyyy";
    case 'b':
    case 'h':
      return "MMM";
    case 'B':
      return "MMMM";
    case 'a':
      return "ddd";
    case 'A':
      return "dddd";
    default:
      return "";
  }
}

// Skips the flags, width and E/O modifiers after a "%"; returns the conversion's position.
size_t ConversionAt(const std::string& format, size_t i) {
  while (i < format.size() && std::string("_-0^#EO123456789").find(format[i]) != std::string::npos)
    ++i;
  return i;
}

// Replaces the conversions that stand for several fields by those fields.
std::string ExpandShorthands(const std::string& format) {
  std::string expanded;
  for (size_t i = 0; i < format.size(); ++i) {
    const bool conversion = format[i] == '%' && i + 1 < format.size();
    if (conversion && format[i + 1] == 'D') {
      expanded += "%m/%d/%y";
    } else if (conversion && format[i + 1] == 'F') {
      expanded += "%Y-%m-%d";
    } else {
      expanded += format[i];
      if (conversion) expanded += format[i + 1];
    }
    if (conversion) ++i;
  }
  return expanded;
}

}  // namespace

DateFormat DateFormatFromStrftime(const std::string& strftimeFormat) {
  const std::string format = ExpandShorthands(strftimeFormat);
  DateFormat result;
  std::string literal;
  bool afterField = false;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      literal += format[i];
      continue;
    }
    i = ConversionAt(format, i + 1);
    if (i == format.size()) break;
    const char conversion = format[i];
    if (conversion == '%' || conversion == 'n' || conversion == 't') {
      literal += conversion == '%' ? '%' : ' ';
      continue;
    }
    if (afterField && result.DateSeparator.empty() && !literal.empty())
      result.DateSeparator = literal;
    if (!literal.empty() && literal == result.DateSeparator) {
      result.Picture += "/";
    } else if (!literal.empty()) {
      AppendLiteral(result.Picture, literal);
    }
    literal.clear();
    const std::string picture = PictureOf(conversion);
    result.Picture += picture;
    afterField = afterField || !picture.empty();
  }
  if (!literal.empty()) AppendLiteral(result.Picture, literal);
  if (result.DateSeparator.empty()) result.DateSeparator = '/';
  return result;
}

TimeFormat TimeFormatFromStrftime(const std::string& format, const std::string& amPmFormat) {
  TimeFormat result;
  bool sawHour = false;
  bool sawSeparator = false;
  std::string separator;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      if (sawHour && !sawSeparator) separator += format[i];
      continue;
    }
    i = ConversionAt(format, i + 1);
    if (i == format.size()) break;
    const char conversion = format[i];
    if (sawHour && !separator.empty()) sawSeparator = true;
    switch (conversion) {
      case 'r':  // the locale's 12-hour time; POSIX gives %I:%M:%S %p when it has none
        return amPmFormat.empty() || amPmFormat.find("%r") != std::string::npos
                   ? TimeFormatFromStrftime("%I:%M:%S %p", "")
                   : TimeFormatFromStrftime(amPmFormat, "");
      case 'T':
      case 'R':
        sawHour = true;
        separator = ':';
        sawSeparator = true;
        break;
      case 'H':
      case 'k':
      case 'I':
      case 'l':
        sawHour = true;
        result.TwelveHourClock = conversion == 'I' || conversion == 'l';
        result.HourLeadingZero = conversion == 'H' || conversion == 'I';
        break;
      case 'p':
      case 'P':
        result.DesignatorBeforeTime = !sawHour;
        break;
      default:
        break;
    }
  }
  if (!separator.empty()) result.TimeSeparator = separator;
  return result;
}

}  // namespace platform::posix
