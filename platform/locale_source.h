// The locale source for date and time texts: the loading thread's locale on
// Windows (GetThreadLocale, GetLocaleInfoA), the environment's LC_TIME on POSIX.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vantrel::platform {

// Reads one locale item, named by its Windows LCTYPE number, as a buffer of
// `capacity` bytes (terminating zero included) would receive it: nothing when
// the source has no value for the item or the value does not fit.
std::optional<std::string> ReadLocaleItem(std::uint32_t item, std::size_t capacity);

}  // namespace vantrel::platform
