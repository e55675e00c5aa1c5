// Where the timestamp's inputs come from: the local time and the user's date and time settings.
#include <gtest/gtest.h>

#include <ctime>

#include "checkfile/Timestamp.h"
#include "platform/LocalTime.h"

#ifndef _WIN32
#include <langinfo.h>
#include <locale.h>

#include "platform/posix/LocaleFormats.h"
#endif

namespace {

TEST(LocalTime, IsTheClockOfTheCLibraryInLocalTime) {
  const std::time_t before = std::time(nullptr);
  const platform::LocalTime now = platform::CurrentLocalTime();
  const std::time_t after = std::time(nullptr);
  std::tm fields = {};
  fields.tm_year = now.Year - 1900;
  fields.tm_mon = now.Month - 1;
  fields.tm_mday = now.Day;
  fields.tm_hour = now.Hour;
  fields.tm_min = now.Minute;
  fields.tm_sec = now.Second;
  fields.tm_isdst = -1;
  const std::time_t local = std::mktime(&fields);
  EXPECT_GE(local, before - 1);
  EXPECT_LE(local, after + 1);
  EXPECT_EQ(now.DayOfWeek, fields.tm_wday);
  EXPECT_GE(now.Millisecond, 0);
  EXPECT_LT(now.Millisecond, 1000);
}

#ifndef _WIN32

using platform::posix::DateFormatFromStrftime;
using platform::posix::TimeFormatFromStrftime;

TEST(PosixLocaleFormats, TurnStrftimeDatesIntoDatePictures) {
  const struct {
    const char* format;
    const char* picture;
    const char* separator;
  } cases[] = {
      {"%m/%d/%y", "MM/dd/yy", "/"},
      {"%d.%m.%Y", "dd/MM/yyyy", "."},
      {"%Y-%m-%d", "yyyy/MM/dd", "-"},
      {"%F", "yyyy/MM/dd", "-"},
      {"%D", "MM/dd/yy", "/"},
      {"%e %b %Y", "d/MMM/yyyy", " "},
      {"%A, %d %B", "dddd/dd' 'MMMM", ", "},
      {"%Ey/%Om/%Od", "yy/MM/dd", "/"},
      {"%d.%m.%Y.", "dd/MM/yyyy'.'", "."},
      {"%Y'%m", "yyyy/MM", "'"},
      {"%d/%m %Y", "dd/MM' 'yyyy", "/"},
      {"date: %d-%m", "'date: 'dd/MM", "-"},
      {"%%%d", "'%'dd", "/"},
  };
  for (const auto& c : cases) {
    const auto date = DateFormatFromStrftime(c.format);
    EXPECT_EQ(date.Picture, c.picture) << c.format;
    EXPECT_EQ(date.DateSeparator, c.separator) << c.format;
  }
}

TEST(PosixLocaleFormats, ReadClockTypeLeadingZeroDesignatorPlaceAndSeparator) {
  const struct {
    const char* format;
    bool twelveHour, leadingZero, designatorBefore;
    const char* separator;
  } cases[] = {
      {"%H:%M:%S", false, true, false, ":"},    {"%T", false, true, false, ":"},
      {"%k.%M.%S", false, false, false, "."},   {"%I:%M:%S %p", true, true, false, ":"},
      {"%l:%M:%S %P", true, false, false, ":"}, {"%p %I:%M:%S", true, true, true, ":"},
      {"%r", true, true, false, ":"},
  };
  for (const auto& c : cases) {
    const auto time = TimeFormatFromStrftime(c.format, "%I:%M:%S %p");
    EXPECT_EQ(time.TwelveHourClock, c.twelveHour) << c.format;
    EXPECT_EQ(time.HourLeadingZero, c.leadingZero) << c.format;
    EXPECT_EQ(time.DesignatorBeforeTime, c.designatorBefore) << c.format;
    EXPECT_EQ(time.TimeSeparator, c.separator) << c.format;
  }
  const auto before = TimeFormatFromStrftime("%r", "%p %l:%M:%S");
  EXPECT_TRUE(before.DesignatorBeforeTime);
  EXPECT_FALSE(before.HourLeadingZero);
  EXPECT_TRUE(TimeFormatFromStrftime("%r", "").TwelveHourClock);
}

// The settings, put through our composition, write dates and times as the C library itself
// writes them for the same locale.
TEST(PosixLocaleFormats, TheUsersSettingsWriteWhatStrftimeWrites) {
  locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr))
    locale = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
  ASSERT_NE(locale, static_cast<locale_t>(nullptr));
  const platform::DateTimeSettings settings = platform::UserDateTimeSettings();
  const std::string timeFormat = nl_langinfo_l(T_FMT, locale);
  for (const platform::LocalTime t : {platform::LocalTime{2026, 12, 6, 0, 18, 19, 38, 0},
                                      platform::LocalTime{2007, 3, 4, 0, 7, 5, 9, 0}}) {
    std::tm fields = {};
    fields.tm_year = t.Year - 1900;
    fields.tm_mon = t.Month - 1;
    fields.tm_mday = t.Day;
    fields.tm_wday = t.DayOfWeek;
    fields.tm_hour = t.Hour;
    fields.tm_min = t.Minute;
    fields.tm_sec = t.Second;
    char text[128];
    ASSERT_GT(strftime_l(text, sizeof text, nl_langinfo_l(D_FMT, locale), &fields, locale), 0u);
    EXPECT_EQ(checkfile::ShortDateText(t, settings), text);
    ASSERT_GT(strftime_l(text, sizeof text, timeFormat.c_str(), &fields, locale), 0u);
    EXPECT_EQ(checkfile::LongTimeText(t, settings), text) << timeFormat;
  }
  freelocale(locale);
}

#endif

}  // namespace
