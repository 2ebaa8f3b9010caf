#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <random>

#include "datetext/date_pattern.h"
#include "library/build_date.h"
#include "library/failures.h"

namespace vantrel {
namespace {

DateTextSettings BuiltInNames() {
  DateTextSettings settings;
  settings.DayAbbreviations = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  settings.MonthAbbreviations = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  settings.ClockSeparator = ':';
  settings.AmDesignator = "AM";
  settings.PmDesignator = "PM";
  return settings;
}

// 12-hour clock, no leading zero, designator after the time.
DateTextSettings SettingsA() {
  DateTextSettings settings = BuiltInNames();
  settings.ClockPattern = "h:mm:ss AMPM";
  return settings;
}

// 24-hour clock with a leading zero.
DateTextSettings SettingsB() {
  DateTextSettings settings = BuiltInNames();
  settings.ClockPattern = "hh:mm:ss";
  return settings;
}

struct DateCase {
  const char* value;
  const char* a;
  const char* b;
};

TEST(FormatBuildDate, RendersTheTableUnderBothClocks) {
  const DateCase cases[] = {
      {"0", "Thu 01 Jan 1970 12:00:00 AM", "Thu 01 Jan 1970 00:00:00"},
      {"3600", "Thu 01 Jan 1970 1:00:00 AM", "Thu 01 Jan 1970 01:00:00"},
      {"43199", "Thu 01 Jan 1970 11:59:59 AM", "Thu 01 Jan 1970 11:59:59"},
      {"43200", "Thu 01 Jan 1970 12:00:00 PM", "Thu 01 Jan 1970 12:00:00"},
      {"46800", "Thu 01 Jan 1970 1:00:00 PM", "Thu 01 Jan 1970 13:00:00"},
      {"86399", "Thu 01 Jan 1970 11:59:59 PM", "Thu 01 Jan 1970 23:59:59"},
      {"-1", "Wed 31 Dec 1969 11:59:59 PM", "Wed 31 Dec 1969 23:59:59"},
      {"1083146523", "Wed 28 Apr 2004 10:02:03 AM", "Wed 28 Apr 2004 10:02:03"},
      {"2147483647", "Tue 19 Jan 2038 3:14:07 AM", "Tue 19 Jan 2038 03:14:07"},
      {"-2147483648", "Fri 13 Dec 1901 8:45:52 PM", "Fri 13 Dec 1901 20:45:52"},
      // RPM stores the time unsigned: the values past 2^31 are dates after 2038.
      {"2147483648", "Tue 19 Jan 2038 3:14:08 AM", "Tue 19 Jan 2038 03:14:08"},
      {"4294967295", "Sun 07 Feb 2106 6:28:15 AM", "Sun 07 Feb 2106 06:28:15"},
      {"  +3000000000", "Sat 24 Jan 2065 5:20:00 AM", "Sat 24 Jan 2065 05:20:00"},
      {"$FFFFFFFF", "Wed 31 Dec 1969 11:59:59 PM", "Wed 31 Dec 1969 23:59:59"},
  };
  for (const DateCase& c : cases) {
    EXPECT_EQ(FormatBuildDate(c.value, SettingsA()), c.a) << c.value;
    EXPECT_EQ(FormatBuildDate(c.value, SettingsB()), c.b) << c.value;
  }
}

TEST(FormatBuildDate, NamesEveryWeekday) {
  const char* expected[] = {"Thu 01", "Fri 02", "Sat 03", "Sun 04", "Mon 05", "Tue 06", "Wed 07"};
  for (int day = 0; day < 7; ++day)
    EXPECT_EQ(FormatBuildDate(std::to_string(day * 86400), SettingsA()),
              std::string(expected[day]) + " Jan 1970 12:00:00 AM");
}

TEST(FormatBuildDate, FollowsTheClockSettings) {
  DateTextSettings before = SettingsA();
  before.ClockPattern = "AMPM h:mm:ss";
  EXPECT_EQ(FormatBuildDate("2147483647", before), "Tue 19 Jan 2038 AM 3:14:07");

  DateTextSettings stop = SettingsB();
  stop.ClockSeparator = '.';
  EXPECT_EQ(FormatBuildDate("2147483647", stop), "Tue 19 Jan 2038 03.14.07");

  DateTextSettings none = SettingsA();
  none.ClockSeparator = '\0';
  EXPECT_EQ(FormatBuildDate("2147483647", none), "Tue 19 Jan 2038 31407 AM");

  DateTextSettings noAm = SettingsA();
  noAm.AmDesignator.clear();
  EXPECT_EQ(FormatBuildDate("0", noAm), "Thu 01 Jan 1970 12:00:00 ");
}

TEST(FormatBuildDate, RefusesWhatIsNoIntegerWithTheConversionMessage) {
  for (const char* text : {"abc", "42 ", "4 2", "--1", "-$2A", "$100000000", "", " ", "4294967296",
                           "-2147483649", "1234, ", "-4294967295"}) {
    try {
      FormatBuildDate(text, SettingsA());
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const ConversionFailure& failure) {
      EXPECT_EQ(failure.what(), "'" + std::string(text) + "' is not a valid integer value");
    }
  }
}

// The date and time must be those of the integer itself: check the serial
// round trip against calendar arithmetic on the whole unsigned range.
TEST(FormatBuildDate, AgreesWithCalendarArithmeticOnRandomTimes) {
  using namespace std::chrono;
  std::mt19937_64 random(20261211);
  const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int i = 0; i < 20000; ++i) {
    const std::int64_t seconds = static_cast<std::int64_t>(random() % 6442450944u) - 2147483648;  // -2^31 .. 2^32-1
    const sys_seconds when{std::chrono::seconds(seconds)};
    const sys_days day = floor<std::chrono::days>(when);
    const year_month_day ymd(day);
    const hh_mm_ss clock(when - day);
    char expected[64];
    std::snprintf(expected, sizeof expected, "%s %02u %s %04d %02d:%02d:%02d", days[weekday(day).c_encoding()],
                  unsigned(ymd.day()), months[unsigned(ymd.month()) - 1], int(ymd.year()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    EXPECT_EQ(FormatBuildDate(std::to_string(seconds), SettingsB()), expected) << seconds;
  }
}

TEST(RenderDatePattern, DropsWhatGoesPast256Bytes) {
  DateTextSettings settings = SettingsB();
  settings.DayAbbreviations.fill(std::string(250, 'D'));
  const std::string text = RenderDatePattern("ddd dd mmm", 25569.0, settings);
  EXPECT_EQ(text, std::string(250, 'D') + " 01 Ja");
}

// A locale source that answers from a table, and nothing for the rest.
LocaleReader TableSource(std::map<std::uint32_t, std::string> items) {
  return [items](std::uint32_t item, std::size_t capacity) -> std::optional<std::string> {
    const auto found = items.find(item);
    if (found == items.end() || found->second.size() + 1 > capacity) return std::nullopt;
    return found->second;
  };
}

TEST(LoadDateTextSettings, TakesTheDefaultsWhereTheLocaleSuppliesNothing) {
  const DateTextSettings settings = LoadDateTextSettings(TableSource({}));
  EXPECT_EQ(settings.ClockPattern, "h:mm:ss AMPM");
  EXPECT_EQ(settings.ClockSeparator, ':');
  EXPECT_EQ(FormatBuildDate("0", settings), "Thu 01 Jan 1970 12:00:00 am");
  EXPECT_EQ(FormatBuildDate("43200", settings), "Thu 01 Jan 1970 12:00:00 pm");
}

TEST(LoadDateTextSettings, BuildsTheSixClockPatterns) {
  struct PatternCase {
    const char* twentyFourHour;
    const char* leadingZero;
    const char* designatorFirst;
    const char* pattern;
  };
  const PatternCase cases[] = {
      {"0", "0", "0", "h:mm:ss AMPM"}, {"0", "1", "0", "hh:mm:ss AMPM"}, {"0", "0", "1", "AMPM h:mm:ss"},
      {"0", "1", "1", "AMPM hh:mm:ss"}, {"1", "0", "1", "h:mm:ss"},       {"1", "1", "0", "hh:mm:ss"},
      {"junk", "2", "0", "hh:mm:ss AMPM"}, {" 0x1", "0", "0", "h:mm:ss"},
  };
  for (const PatternCase& c : cases) {
    const auto settings = LoadDateTextSettings(TableSource(
        {{kLocaleITime, c.twentyFourHour}, {kLocaleITlZero, c.leadingZero}, {kLocaleITimeMarkPosn, c.designatorFirst}}));
    EXPECT_EQ(settings.ClockPattern, c.pattern) << c.twentyFourHour << c.leadingZero << c.designatorFirst;
  }
}

TEST(LoadDateTextSettings, AppliesTheRulesForNamesSeparatorsAndDesignators) {
  std::map<std::uint32_t, std::string> items = {
      {kLocaleSAbbrevDayName1 + 6, "So"},  // Sunday
      {kLocaleSAbbrevDayName1, "Mo"},      // Monday
      {kLocaleSAbbrevDayName1 + 1, ""},    // an empty name counts as missing
      {kLocaleSAbbrevMonthName1 + 11, "Dez"},
      {kLocaleS1159, ""},
      {kLocaleS2359, "nachm."},
      {kLocaleSTime, "."},
  };
  DateTextSettings settings = LoadDateTextSettings(TableSource(items));
  EXPECT_EQ(settings.DayAbbreviations[0], "So");
  EXPECT_EQ(settings.DayAbbreviations[1], "Mo");
  EXPECT_EQ(settings.DayAbbreviations[2], "Tue");
  EXPECT_EQ(settings.MonthAbbreviations[11], "Dez");
  EXPECT_EQ(settings.MonthAbbreviations[0], "Jan");
  EXPECT_EQ(settings.AmDesignator, "");  // an empty designator is taken as it is
  EXPECT_EQ(settings.PmDesignator, "nachm.");
  EXPECT_EQ(settings.ClockSeparator, '.');

  items[kLocaleSTime] = "";
  EXPECT_EQ(LoadDateTextSettings(TableSource(items)).ClockSeparator, '\0');
  items[kLocaleSTime] = "::";  // does not fit the two-byte buffer
  EXPECT_EQ(LoadDateTextSettings(TableSource(items)).ClockSeparator, ':');
  items[kLocaleS2359] = std::string(300, 'p');  // does not fit: the default
  EXPECT_EQ(LoadDateTextSettings(TableSource(items)).PmDesignator, "pm");
}

}  // namespace
}  // namespace vantrel
