// The text behind "Build Date: ".
#pragma once

#include <string>
#include <string_view>

#include "datetext/date_text_settings.h"

namespace vantrel {

inline constexpr std::string_view kBuildDatePattern = "ddd dd mmm yyyy tt";

// Reads the build time (seconds since 1 January 1970 00:00 UTC) and renders
// it in UTC through kBuildDatePattern. Accepts every ParseInt32Text form and,
// since RPM stores the time as an unsigned 32-bit number, decimal values from
// 2147483648 to 4294967295 (dates up to 7 February 2106). Anything else raises
// the ConversionFailure.
std::string FormatBuildDate(std::string_view text, const DateTextSettings& settings);

}  // namespace vantrel
