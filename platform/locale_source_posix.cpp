#include "platform/locale_source.h"

#include <langinfo.h>
#include <locale.h>

#include <string_view>

namespace vantrel::platform {
namespace {

// The environment's LC_TIME (LC_ALL, LC_TIME, LANG), opened without touching
// the process's global locale; released when the read is done.
class TimeLocale {
 public:
  TimeLocale() : locale_(newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr))) {}
  TimeLocale(const TimeLocale&) = delete;
  TimeLocale& operator=(const TimeLocale&) = delete;
  ~TimeLocale() {
    if (locale_ != static_cast<locale_t>(nullptr)) freelocale(locale_);
  }
  std::optional<std::string> Item(nl_item item) const {
    if (locale_ == static_cast<locale_t>(nullptr)) return std::nullopt;
    return std::string(nl_langinfo_l(item, locale_));
  }

 private:
  locale_t locale_;
};

// What the locale's time format says about the clock, in the terms of the
// Windows items: 24-hour clock, hour with leading zero, designator first, and
// the separator that follows the hour.
struct ClockShape {
  bool twentyFourHour = false;
  bool leadingZero = false;
  bool designatorFirst = false;
  std::string separator;
};

// Replaces the composite conversions by what they stand for.
std::string ExpandTimeFormat(const TimeLocale& locale, std::string_view format, int depth = 0) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      out += format[i];
      continue;
    }
    const char c = format[++i];
    if (c == 'T') out += "%H:%M:%S";
    else if (c == 'R') out += "%H:%M";
    else if (c == 'r' && depth == 0) out += ExpandTimeFormat(locale, locale.Item(T_FMT_AMPM).value_or(""), 1);
    else {
      out += '%';
      out += c;
    }
  }
  return out;
}

std::optional<ClockShape> ReadClockShape(const TimeLocale& locale) {
  const auto format = locale.Item(T_FMT);
  if (!format) return std::nullopt;
  const std::string expanded = ExpandTimeFormat(locale, *format);
  ClockShape shape;
  bool designatorSeen = false;
  for (std::size_t i = 0; i + 1 < expanded.size(); ++i) {
    if (expanded[i] != '%') continue;
    std::size_t j = i + 1;
    bool padded = true;
    while (j < expanded.size() && std::string_view("-_0^#EO").find(expanded[j]) != std::string_view::npos) {
      if (expanded[j] == '-' || expanded[j] == '_') padded = false;
      ++j;
    }
    if (j == expanded.size()) break;
    const char c = expanded[j];
    if (c == 'p' || c == 'P') designatorSeen = true;
    if (c == 'H' || c == 'k' || c == 'I' || c == 'l') {
      shape.twentyFourHour = c == 'H' || c == 'k';
      shape.leadingZero = padded && (c == 'H' || c == 'I');
      shape.designatorFirst = designatorSeen;
      const std::size_t next = expanded.find('%', j + 1);
      shape.separator = expanded.substr(j + 1, next == std::string::npos ? std::string::npos : next - j - 1);
      return shape;
    }
    i = j;
  }
  return std::nullopt;
}

std::optional<std::string> ItemText(const TimeLocale& locale, std::uint32_t item) {
  if (item >= 0x31 && item <= 0x37)  // abbreviated day names, Monday first; POSIX counts from Sunday
    return locale.Item(item == 0x37 ? ABDAY_1 : static_cast<nl_item>(ABDAY_2 + (item - 0x31)));
  if (item >= 0x44 && item <= 0x4F) return locale.Item(static_cast<nl_item>(ABMON_1 + (item - 0x44)));
  if (item == 0x28) return locale.Item(AM_STR);
  if (item == 0x29) return locale.Item(PM_STR);
  const auto shape = ReadClockShape(locale);
  if (!shape) return std::nullopt;
  switch (item) {
    case 0x1E: return shape->separator;
    case 0x23: return std::string(shape->twentyFourHour ? "1" : "0");
    case 0x25: return std::string(shape->leadingZero ? "1" : "0");
    case 0x1005: return std::string(shape->designatorFirst ? "1" : "0");
    default: return std::nullopt;
  }
}

}  // namespace

std::optional<std::string> ReadLocaleItem(std::uint32_t item, std::size_t capacity) {
  const TimeLocale locale;
  auto text = ItemText(locale, item);
  if (text && text->size() + 1 > capacity) return std::nullopt;
  return text;
}

}  // namespace vantrel::platform
