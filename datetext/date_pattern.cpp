#include "datetext/date_pattern.h"

#include <chrono>
#include <cmath>
#include <cstdint>

namespace vantrel {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 86400000;

struct DateParts {
  int year, month, day, weekday;  // month 1..12, weekday 0 = Sunday
  int hour, minute, second;
};

DateParts SplitSerial(SerialDateTime when) {
  using namespace std::chrono;
  const auto milliseconds = static_cast<std::int64_t>(std::llround(when * kMillisecondsPerDay));
  std::int64_t dayNumber = milliseconds / kMillisecondsPerDay;
  std::int64_t timeOfDay = milliseconds % kMillisecondsPerDay;
  if (timeOfDay < 0) {
    timeOfDay += kMillisecondsPerDay;
    --dayNumber;
  }
  const sys_days date = sys_days(year(1899) / December / 30) + days(dayNumber);
  const year_month_day ymd(date);
  const auto seconds = timeOfDay / 1000;
  return {int(ymd.year()), static_cast<int>(unsigned(ymd.month())), static_cast<int>(unsigned(ymd.day())),
          static_cast<int>(weekday(date).c_encoding()), static_cast<int>(seconds / 3600),
          static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60)};
}

class PatternWriter {
 public:
  PatternWriter(const DateParts& parts, const DateTextSettings& settings, std::string& out)
      : parts_(parts), settings_(settings), out_(out) {}

  void Render(std::string_view pattern) {
    const bool twelveHour = pattern.find("AMPM") != std::string_view::npos;
    bool afterHour = false;
    for (std::size_t i = 0; i < pattern.size();) {
      const char c = pattern[i];
      if (pattern.substr(i, 4) == "AMPM") {
        Append(parts_.hour < 12 ? settings_.AmDesignator : settings_.PmDesignator);
        afterHour = false;
        i += 4;
        continue;
      }
      if (!IsLetter(c)) {
        if (c == ':') {
          if (settings_.ClockSeparator != '\0') Append(std::string_view(&settings_.ClockSeparator, 1));
        } else {
          Append(std::string_view(&c, 1));
        }
        ++i;
        continue;
      }
      std::size_t run = 1;
      while (i + run < pattern.size() && pattern[i + run] == c) ++run;
      afterHour = Token(c, run, twelveHour, afterHour);
      i += run;
    }
  }

 private:
  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

  // Writes one letter token; answers whether it was an hour.
  bool Token(char letter, std::size_t run, bool twelveHour, bool afterHour) {
    switch (letter) {
      case 'd':
        if (run >= 3) Append(settings_.DayAbbreviations[static_cast<std::size_t>(parts_.weekday)]);
        else Number(parts_.day, run);
        return false;
      case 'm':
        if (afterHour) Number(parts_.minute, run);
        else if (run >= 3) Append(settings_.MonthAbbreviations[static_cast<std::size_t>(parts_.month - 1)]);
        else Number(parts_.month, run);
        return false;
      case 'y':
        Number(run <= 2 ? parts_.year % 100 : parts_.year, run <= 2 ? 2 : 4);
        return false;
      case 't':
        if (!nested_) {  // the clock pattern is rendered in place, never within itself
          nested_ = true;
          Render(settings_.ClockPattern);
          nested_ = false;
        }
        return false;
      case 'h':
        Number(twelveHour ? (parts_.hour + 11) % 12 + 1 : parts_.hour, run);
        return true;
      case 's':
        Number(parts_.second, run);
        return false;
      default:
        Append(std::string(run, letter));
        return false;
    }
  }

  // One digit count means no leading zero; two or more pad to that width.
  void Number(int value, std::size_t width) {
    std::string digits = std::to_string(value);
    if (width >= 2 && digits.size() < width) digits.insert(0, width - digits.size(), '0');
    Append(digits);
  }

  void Append(std::string_view text) {
    const std::size_t room = kMaxDateTextSize - out_.size();
    out_.append(text.substr(0, room));
  }

  const DateParts& parts_;
  const DateTextSettings& settings_;
  std::string& out_;
  bool nested_ = false;
};

}  // namespace

std::string RenderDatePattern(std::string_view pattern, SerialDateTime when, const DateTextSettings& settings) {
  const DateParts parts = SplitSerial(when);
  std::string out;
  PatternWriter(parts, settings, out).Render(pattern);
  return out;
}

}  // namespace vantrel
