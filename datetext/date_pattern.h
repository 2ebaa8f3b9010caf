// Rendering of date patterns such as "ddd dd mmm yyyy tt".
#pragma once

#include <string>
#include <string_view>

#include "datetext/date_text_settings.h"

namespace vantrel {

// Days since 30 December 1899 00:00; the fraction is the part of the day passed.
using SerialDateTime = double;

inline constexpr std::size_t kMaxDateTextSize = 256;

// Tokens: ddd, dd, mmm, yyyy, tt (the clock pattern, nested), h, hh, m/mm
// (minutes right after an hour token, otherwise the month), ss, AMPM and ":".
// Any other byte stands for itself. Output past 256 bytes is dropped.
std::string RenderDatePattern(std::string_view pattern, SerialDateTime when, const DateTextSettings& settings);

}  // namespace vantrel
