// The checkfile's timestamp line, composed from a local time and date/time settings.
#include <gtest/gtest.h>

#include "checkfile/Timestamp.h"

namespace {

using checkfile::ShortDateText;
using checkfile::TimestampText;
using platform::DateTimeSettings;
using platform::LocalTime;

LocalTime At(int hour, int minute, int second, int millisecond = 0) {
  return {2026, 12, 6, 0, hour, minute, second, millisecond};  // a Sunday
}

DateTimeSettings DayMonthYear24() {
  DateTimeSettings s;
  s.ShortDateFormat = "dd/MM/yyyy";
  s.DateSeparator = ".";
  s.TimeSeparator = ":";
  s.TwelveHourClock = false;
  s.HourLeadingZero = true;
  return s;
}

DateTimeSettings MonthDayYear12(bool designatorBefore) {
  DateTimeSettings s;
  s.ShortDateFormat = "M/d/yyyy";
  s.DateSeparator = "/";
  s.TimeSeparator = ":";
  s.TwelveHourClock = true;
  s.HourLeadingZero = false;
  s.DesignatorBeforeTime = designatorBefore;
  s.AmDesignator = "AM";
  s.PmDesignator = "PM";
  return s;
}

TEST(Timestamp, DayMonthYearWithA24HourClock) {
  EXPECT_EQ(TimestampText(At(18, 19, 38), DayMonthYear24()), "06.12.2026 18:19:38");
  EXPECT_EQ(TimestampText(At(7, 5, 9), DayMonthYear24()), "06.12.2026 07:05:09");
  EXPECT_EQ(TimestampText(At(0, 0, 1), DayMonthYear24()), "06.12.2026 00:00:01");
}

TEST(Timestamp, MonthDayYearWithA12HourClockAndTheDesignatorAfter) {
  const DateTimeSettings s = MonthDayYear12(false);
  EXPECT_EQ(TimestampText(At(18, 19, 38), s), "12/6/2026 6:19:38 PM");
  EXPECT_EQ(TimestampText(At(0, 5, 9), s), "12/6/2026 12:05:09 AM");
  EXPECT_EQ(TimestampText(At(11, 59, 59), s), "12/6/2026 11:59:59 AM");
  EXPECT_EQ(TimestampText(At(12, 0, 0), s), "12/6/2026 12:00:00 PM");
  EXPECT_EQ(TimestampText(At(23, 0, 0), s), "12/6/2026 11:00:00 PM");
}

TEST(Timestamp, TheDesignatorCanStandBeforeTheTime) {
  DateTimeSettings s = MonthDayYear12(true);
  s.AmDesignator = "vorm.";
  s.PmDesignator = "nachm.";
  EXPECT_EQ(TimestampText(At(18, 19, 38), s), "12/6/2026 nachm. 6:19:38");
  EXPECT_EQ(TimestampText(At(9, 1, 2), s), "12/6/2026 vorm. 9:01:02");
}

TEST(Timestamp, TheHourHasALeadingZeroOnlyWhenTheSettingsAskForOne) {
  DateTimeSettings s = DayMonthYear24();
  s.HourLeadingZero = false;
  EXPECT_EQ(TimestampText(At(8, 5, 9), s), "06.12.2026 8:05:09");
  EXPECT_EQ(TimestampText(At(0, 30, 0), s), "06.12.2026 0:30:00");
  s = MonthDayYear12(false);
  s.HourLeadingZero = true;
  EXPECT_EQ(TimestampText(At(20, 5, 9), s), "12/6/2026 08:05:09 PM");
  EXPECT_EQ(TimestampText(At(0, 5, 9), s), "12/6/2026 12:05:09 AM");
}

TEST(Timestamp, ExactlyMidnightShowsTheDateAlone) {
  EXPECT_EQ(TimestampText(At(0, 0, 0), DayMonthYear24()), "06.12.2026");
  EXPECT_EQ(TimestampText(At(0, 0, 0, 999), MonthDayYear12(false)), "12/6/2026");
}

TEST(Timestamp, TheTimeSeparatorIsTheUsers) {
  DateTimeSettings s = DayMonthYear24();
  s.TimeSeparator = ".";
  EXPECT_EQ(TimestampText(At(18, 19, 38), s), "06.12.2026 18.19.38");
}

TEST(Timestamp, DatePicturesCoverFieldsNamesSeparatorsAndQuotedText) {
  DateTimeSettings s;
  s.DateSeparator = "-";
  s.ShortMonthNames[11] = "Dec";
  s.LongMonthNames[11] = "December";
  s.ShortDayNames[0] = "Sun";
  s.LongDayNames[0] = "Sunday";
  const LocalTime t = At(1, 2, 3);
  const struct {
    const char* picture;
    const char* expected;
  } cases[] = {
      {"d/M/yy", "6-12-26"},
      {"dd/MM/yyyy", "06-12-2026"},
      {"yyyy.MM.dd", "2026.12.06"},  // a literal separator stays as it is
      {"y/M/d", "26-12-6"},
      {"ddd d MMM yyyy", "Sun 6 Dec 2026"},
      {"dddd, MMMM d", "Sunday, December 6"},
      {"'day' d 'of' M", "day 6 of 12"},  // quoted letters are not fields
      {"d'/'M", "6/12"},                  // a quoted "/" is not the separator
      {"d 'o''clock'", "6 o'clock"},
      {"gg yyyy", " 2026"},  // the era is left out
  };
  for (const auto& c : cases) {
    s.ShortDateFormat = c.picture;
    EXPECT_EQ(ShortDateText(t, s), c.expected) << c.picture;
  }
  s.ShortDateFormat = "yy/MM/dd";
  EXPECT_EQ(ShortDateText({2007, 3, 4, 0, 0, 0, 0, 0}, s), "07-03-04");
}

}  // namespace
