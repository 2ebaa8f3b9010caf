// The locale's conventions for the build-date text, captured once at load.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vantrel {

struct DateTextSettings {
  std::array<std::string, 7> DayAbbreviations;     // [0] Sunday ... [6] Saturday
  std::array<std::string, 12> MonthAbbreviations;  // [0] January ... [11] December
  char ClockSeparator = ':';                       // 0: nothing is written
  std::string AmDesignator;
  std::string PmDesignator;
  std::string ClockPattern;  // what the token "tt" stands for
};

// Windows LCTYPE numbers of the items that the settings are built from.
enum LocaleItem : std::uint32_t {
  kLocaleSTime = 0x1E,
  kLocaleITime = 0x23,
  kLocaleITlZero = 0x25,
  kLocaleS1159 = 0x28,
  kLocaleS2359 = 0x29,
  kLocaleSAbbrevDayName1 = 0x31,    // Monday; ...7 (0x37) is Sunday
  kLocaleSAbbrevMonthName1 = 0x44,  // January ... December (0x4F)
  kLocaleITimeMarkPosn = 0x1005,
};

// A locale source: the item's text as a buffer of `capacity` bytes would
// receive it, or nothing when the item cannot be read.
using LocaleReader = std::function<std::optional<std::string>(std::uint32_t item, std::size_t capacity)>;

DateTextSettings LoadDateTextSettings(const LocaleReader& read);

}  // namespace vantrel
