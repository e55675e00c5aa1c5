// The checkfile's second header line records when it was made, written the way the user's
// date and time settings ask. A pure function of the two, so every rule can be tested
// without touching the machine's settings.
#pragma once

#include <string>

#include "platform/LocalTime.h"

namespace checkfile {

// The short date; then, unless the time is exactly midnight to the second, a blank and the
// time: hour (leading zero only if the settings ask for it; 12, 1, ..., 11 on a 12-hour clock),
// minutes and seconds in two digits, with the time separator, and on a 12-hour clock the AM or
// PM designator after the time (one blank between) or before it (one blank after).
std::string TimestampText(const platform::LocalTime& time,
                          const platform::DateTimeSettings& settings);

std::string ShortDateText(const platform::LocalTime& time,
                          const platform::DateTimeSettings& settings);
std::string LongTimeText(const platform::LocalTime& time,
                         const platform::DateTimeSettings& settings);

}  // namespace checkfile
