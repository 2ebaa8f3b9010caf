#include "datetext/date_text_settings.h"

#include "datetext/int_text.h"

namespace vantrel {
namespace {

constexpr std::size_t kTextCapacity = 256;
constexpr std::array<const char*, 7> kDefaultDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kDefaultMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string ReadText(const LocaleReader& read, std::uint32_t item, const char* fallback) {
  return read(item, kTextCapacity).value_or(fallback);
}

// Names: an empty one counts as missing.
std::string ReadName(const LocaleReader& read, std::uint32_t item, const char* fallback) {
  std::string name = ReadText(read, item, fallback);
  return name.empty() ? fallback : name;
}

// A flag item holds an integer text; anything but a readable non-zero value is "not set".
bool ReadFlag(const LocaleReader& read, std::uint32_t item) {
  return ParseInt32Text(ReadText(read, item, "0")).value_or(0) != 0;
}

// The separator is read into a buffer of two bytes: one character fits, a longer one fails.
char ReadSeparator(const LocaleReader& read) {
  const auto separator = read(kLocaleSTime, 2);
  if (!separator || separator->size() > 1) return ':';
  return separator->empty() ? '\0' : separator->front();
}

std::string BuildClockPattern(const LocaleReader& read) {
  const bool twentyFourHour = ReadFlag(read, kLocaleITime);
  const std::string hours = ReadFlag(read, kLocaleITlZero) ? "hh" : "h";
  if (twentyFourHour) return hours + ":mm:ss";
  if (ReadFlag(read, kLocaleITimeMarkPosn)) return "AMPM " + hours + ":mm:ss";
  return hours + ":mm:ss AMPM";
}

}  // namespace

DateTextSettings LoadDateTextSettings(const LocaleReader& read) {
  DateTextSettings settings;
  // The locale numbers its days from Monday (1) to Sunday (7).
  settings.DayAbbreviations[0] = ReadName(read, kLocaleSAbbrevDayName1 + 6, kDefaultDays[0]);
  for (std::uint32_t day = 1; day < 7; ++day)
    settings.DayAbbreviations[day] = ReadName(read, kLocaleSAbbrevDayName1 + day - 1, kDefaultDays[day]);
  for (std::uint32_t month = 0; month < 12; ++month)
    settings.MonthAbbreviations[month] = ReadName(read, kLocaleSAbbrevMonthName1 + month, kDefaultMonths[month]);
  settings.ClockSeparator = ReadSeparator(read);
  settings.AmDesignator = ReadText(read, kLocaleS1159, "am");
  settings.PmDesignator = ReadText(read, kLocaleS2359, "pm");
  settings.ClockPattern = BuildClockPattern(read);
  return settings;
}

}  // namespace vantrel
